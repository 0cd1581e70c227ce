#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "support/TempFolder.h"
#include "users/PNUserDB.h"

namespace orvane {
namespace {

using test::Exists;
using test::ReadBytes;
using test::WriteBytes;

struct ToolRun {
    int status;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

class CommandLineTest : public test::InTempFolder {
protected:
    ToolRun Tool(const std::string& arguments) {
        const std::string command =
            std::string("'") + ORVANE_DB_PROGRAM + "' " + arguments + " >.out 2>.err";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(".out"), Slurp(".err")};
    }
    void WriteText(const std::string& path, const std::string& text) {
        WriteBytes(path, std::vector<std::uint8_t>(text.begin(), text.end()));
    }
};

TEST_F(CommandLineTest, DumpAndPackRoundTripThroughFiles) {
    CPNUserDB database;
    database.AddUser(u"Tutor", u"Učiteľ", u"", u"", true, u"Tutor", u"");
    database.Save(u"userdb");
    const ToolRun dump = Tool("dump userdb");
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.err, "");
    WriteText("users.json", dump.out);
    const ToolRun pack = Tool("pack users.json copy");
    ASSERT_EQ(pack.status, 0) << pack.err;
    EXPECT_EQ(ReadBytes("copy"), ReadBytes("userdb"));
    EXPECT_EQ(Tool("pack - again <users.json").status, 0);
    EXPECT_EQ(ReadBytes("again"), ReadBytes("userdb"));
}

// Each failure is one line on standard error and exit 1, and writes no output file.
TEST_F(CommandLineTest, UnreadableInputOrUnwritableOutputIsOneLineAndExitOne) {
    WriteBytes("garbage", {1, 2, 3});
    WriteBytes("userdb", {7, 7, 7});
    WriteText("bad.json", R"({"type": "userdb", "users": [{"teacher": "yes"}]})");
    WriteText("broken.json", "{\"type\": ");
    WriteText("good.json", R"({"type": "userdb", "users": []})");
    for (const char* arguments :
         {"dump missing", "dump garbage", "dump .", "pack missing.json out", "pack bad.json out",
          "pack broken.json out", "pack bad.json userdb", "pack good.json no/such/folder/out"}) {
        const ToolRun run = Tool(arguments);
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << arguments << run.err;
        EXPECT_EQ(run.err.rfind("orvane-db: ", 0), 0u) << run.err;
    }
    EXPECT_NE(Tool("pack bad.json out").err.find("users[0].teacher: expected true or false"),
              std::string::npos);
    EXPECT_NE(Tool("pack good.json no/such/folder/out")
                  .err.find("no/such/folder/out: cannot write the file"),
              std::string::npos);
    EXPECT_EQ(ReadBytes("userdb"), (std::vector<std::uint8_t>{7, 7, 7}));
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{".err", ".out", "bad.json", "broken.json",
                                                          "garbage", "good.json", "userdb"}));
}

TEST_F(CommandLineTest, HelpExplainsBothCommandsAndWrongUsageExitsTwo) {
    const ToolRun help = Tool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("orvane-db dump FILE"), std::string::npos);
    EXPECT_NE(help.out.find("orvane-db pack IN.json OUT"), std::string::npos);
    EXPECT_EQ(Tool("").status, 2);
    EXPECT_EQ(Tool("dump").status, 2);
}

}  // namespace
}  // namespace orvane
