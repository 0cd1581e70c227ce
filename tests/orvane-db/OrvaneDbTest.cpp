#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "DatabaseFile.h"
#include "archive/Archive.h"
#include "exam/PNQuestion.h"
#include "exam/PNTestDB.h"
#include "petrinet/PNPetriNet.h"
#include "support/ByteBuilder.h"
#include "support/TempFolder.h"
#include "users/PNUserDB.h"

namespace orvane {
namespace {

using test::Exists;
using test::ReadBytes;
using test::WriteBytes;

class DumpPackTest : public test::InTempFolder {};

// A net with every kind of element, a missing and a present label, and several arcs per
// element, as a drawing program would leave it.
std::shared_ptr<CPNPetriNet> SampleNet() {
    auto net = std::make_shared<CPNPetriNet>();
    net->AddPlace(1, 100, 50);
    net->AddTransition(2, 200, 30);
    net->AddNode(3, 150, 40, true);
    net->AddNode(4, 160, 45, false);
    net->AddPlace(5, 300, 60);
    net->First();
    net->Current()->SetLabel(nullptr);
    net->Current()->SetTokens(2);
    const auto find = [&](int id) {
        net->FindById(id);
        return net->Current();
    };
    find(1)->AddArc(find(2));
    find(1)->AddArc(find(3));
    find(3)->AddArc(find(2));
    find(2)->AddArc(find(5));
    find(2)->FirstArc();
    find(2)->SetArcWeight(3);
    find(2)->AddArc(find(1));
    return net;
}

CPNQuestion::Requirements SampleRequirements() {
    CPNQuestion::Requirements requirements;
    requirements[0] = {true, 3};
    requirements[2] = {true, 1};
    requirements[5] = {false, 1};
    return requirements;
}

// One question of each kind that the program can make, in a test file as the program saves it.
std::vector<std::uint8_t> SampleTestFile() {
    auto test = std::make_shared<CPNTest>();
    test->SetLogin(u"študent");
    test->SetId(4);
    test->SetTimeLimit(2700);
    test->AddQuestion(std::make_shared<CPNQuestion>(
        1, u"Vyber", u"Ktoré sú živé?", 3, std::vector<std::u16string>{u"a", u"b", u"č"},
        std::vector<bool>{true, false, true}, SampleNet()));
    test->AddQuestion(std::make_shared<CPNQuestion>(
        2, u"Spoj", u"Spoj súvisiace", 2, std::vector<std::u16string>{u"l1", u"l2"},
        std::vector<std::u16string>{u"r1", u"r2"}, std::vector<std::int32_t>{1, 0}, nullptr));
    test->AddQuestion(std::make_shared<CPNQuestion>(3, u"Dokonči", u"t", SampleNet(), SampleNet()));
    test->AddQuestion(
        std::make_shared<CPNQuestion>(4, u"Podľa", u"t", SampleNet(), SampleRequirements()));
    test->AddQuestion(std::make_shared<CPNQuestion>(5, u"Nakresli", u"t", SampleNet()));
    test->AddQuestion(std::make_shared<CPNQuestion>(6, u"Nakresli 2", u"t", SampleRequirements()));
    test->AddQuestion(std::make_shared<CPNQuestion>(7, u"Bez opravy", u"t"));
    test->AddQuestion(std::make_shared<CPNQuestion>(8));
    test->FirstQuestion();
    test->CurrentQuestion()->SetPoints(5);
    CPNTestDB database;
    database.AddTest(test);
    database.First();
    database.Save(u"testdb");
    return ReadBytes("testdb");
}

TEST_F(DumpPackTest, TestFileListsQuestionsElementsAndArcsInFileOrderAndPacksBack) {
    const Json json = DumpDatabaseFile(SampleTestFile());
    const Json& test = json["test"];
    EXPECT_EQ(test["login"], "študent");
    EXPECT_EQ(test["timeLimit"], 2700);
    ASSERT_EQ(test["questions"].size(), 8u);
    EXPECT_EQ(test["questions"][0]["id"], 8);  // the newest question is stored first
    EXPECT_EQ(test["questions"][0]["points"], 5);
    const Json& choose = test["questions"][7];
    EXPECT_EQ(choose["kind"], 2002);
    EXPECT_EQ(choose["key"], Json::parse("[1, 0, 1]"));
    EXPECT_EQ(choose["rightItems"], nullptr);
    EXPECT_EQ(choose["items"][2], "č");
    const Json& net = choose["workNet"];
    EXPECT_EQ(net["elements"][0].dump(),
              R"({"type":1001,"id":1,"x":100,"y":50,"label":{"id":-1,"x":-20,"y":-25,)"
              R"("text":"Place.1","flag":true},"radius":20,"capacity":32767,"tokens":0})");
    EXPECT_EQ(net["elements"][3]["label"], nullptr);
    EXPECT_EQ(net["elements"][4]["label"], nullptr);
    EXPECT_EQ(net["elements"][2]["label"]["text"], "");
    // Elements from the newest, each element's arcs newest first.
    EXPECT_EQ(net["arcs"], Json::parse("[[3, 2, 1], [2, 1, 1], [2, 5, 3], [1, 3, 1], [1, 2, 1]]"));
    EXPECT_EQ(test["questions"][1]["workNet"]["elements"], Json::array());
    EXPECT_EQ(test["questions"][1]["keyNet"], nullptr);
    // Packed again, byte for byte the program's file, which dumps to the same JSON.
    const auto packed = PackDatabaseDocument(json);
    EXPECT_EQ(test::Hex(packed), test::Hex(SampleTestFile()));
    EXPECT_EQ(DumpDatabaseFile(packed), json);
}

TEST_F(DumpPackTest, HandWrittenPoolSurvivesPackAndDump) {
    Json written = Json::parse(R"({"type": "test", "test": {
      "login": "", "id": 0, "toBeWorkedOut": false, "timeLimit": -5, "questions": [
      {"kind": 2004, "id": 3, "title": "Spoj súvisiace 𝄞", "text": "ľ\nš", "answerNumber": -2,
       "itemCount": 2, "askedRequirements": 4294967295, "keyNumber": 7, "answer": [-1, -1],
       "key": [1, 0], "items": ["ä", "ô"], "rightItems": ["x", "y"], "keyRequirements": 1023,
       "points": -32768, "workNet": null, "keyNet": null},
      {"kind": 2001, "id": 9, "title": "", "text": "", "answerNumber": 0, "itemCount": 5,
       "askedRequirements": 0, "keyNumber": 0, "answer": null, "key": [], "items": ["only one"],
       "rightItems": null, "keyRequirements": 0, "points": 32767,
       "workNet": {"elements": [
          {"type": 1003, "id": 7, "x": -1, "y": 2147483647, "label": {"id": -7, "x": 0, "y": -5, "text": "n", "flag": false}},
          {"type": 1002, "id": 8, "x": 0, "y": 0, "label": null, "width": 1, "height": 2},
          {"type": 1001, "id": 9, "x": 0, "y": 0, "label": null, "radius": 1, "capacity": 2, "tokens": 3}],
        "arcs": [[9, 8, 2], [8, 7, 1], [8, 9, 4], [7, 9, 1]]},
       "keyNet": {"elements": [], "arcs": []}}]}})");
    Json& questions = written["test"]["questions"];
    for (const int kind : {2000, 2002, 2005, 2006, 2015, 2016, 2026}) {
        Json question = questions[0];
        question["kind"] = kind;
        question["id"] = kind;
        question["workNet"] = questions[1]["workNet"];
        questions.push_back(std::move(question));
    }
    const Json dumped = DumpDatabaseFile(PackDatabaseDocument(written));
    Json expected = written;
    expected["test"]["questions"][1]["key"] = nullptr;  // [] and null are both "no array"
    EXPECT_EQ(dumped.dump(2), expected.dump(2));
}

TEST_F(DumpPackTest, UserDatabaseOf65535AccountsStartsWithFFFFAndStillDumps) {
    CPNUserDB database;
    for (int i = 0; i < 65535; ++i) {
        database.InsertUser(std::make_shared<CPNUser>(u"u", u"", u"", false));
    }
    CArchive archive;
    database.Serialize(archive);
    ASSERT_EQ(test::Hex({archive.Data().begin(), archive.Data().begin() + 2}), "FF FF");
    EXPECT_EQ(DumpDatabaseFile(archive.Data())["users"].size(), 65535u);
}

TEST_F(DumpPackTest, ShapeErrorsNameTheKey) {
    for (const auto& [text, message] : std::vector<std::pair<const char*, const char*>>{
             {R"({"type": "tests"})", R"(type: expected "userdb" or "test")"},
             {R"({"type": "userdb", "users": [{"login": 5}]})",
              "users[0].login: expected a string"},
             {R"({"type": "userdb", "users": [{"logn": "a"}]})", "users[0].logn: unknown key"},
             {R"({"type": "test", "test": {"questions": [{"points": 40000}]}})",
              "test.questions[0].points: out of range -32768 to 32767"},
             {R"({"type": "test", "test": {"questions": [{"workNet": {"elements": [],
              "arcs": [[1, 2, 1]]}}]}})",
              "test.questions[0].workNet.arcs[0][1]: no element has this id"},
             {R"({"type": "test", "test": {"questions": [{"keyNet": {"elements": [
              {"type": 1004, "id": 1, "x": 0, "y": 0, "label": null}]}}]}})",
              "test.questions[0].keyNet.elements[0].type: expected 1001 (place), 1002 "
              "(transition) or 1003 (node)"}}) {
        try {
            PackDatabaseDocument(Json::parse(text));
            ADD_FAILURE() << "no error for " << text;
        } catch (const JsonShapeError& error) {
            EXPECT_EQ(std::string(error.what()), message);
        }
    }
}

TEST_F(DumpPackTest, DamagedFilesSayWhyTheyCannotBeRead) {
    auto bytes = SampleTestFile();
    bytes.resize(bytes.size() / 2);
    EXPECT_THROW(DumpDatabaseFile(bytes), DatabaseFileError);
    EXPECT_THROW(DumpDatabaseFile(std::vector<std::uint8_t>{}), DatabaseFileError);
    try {
        DumpDatabaseFile(test::Bytes().I32(1).Class("CPNFoo").Get());
        ADD_FAILURE() << "no error";
    } catch (const DatabaseFileError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "not a user database (bad class: the class \"CPNFoo\" is not known)");
    }
}

// orvane-db as a program: files and standard input in, files out, one line on failure.
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

// A user database dumps in file order and packs back to the same bytes, from a file or from
// standard input.
TEST_F(CommandLineTest, UserDatabaseDumpsInFileOrderAndPacksToTheSameBytes) {
    CPNUserDB database;
    database.AddUser(u"Tutor", u"Predvolené konto učiteľa", u"", u"", true, u"Tutor", u"");
    database.AddUser(u"jan", u"Ján \U0001F600", u"x", u"x", false, u"Tutor", u"");
    database.Save(u"userdb");
    const ToolRun dump = Tool("dump userdb");
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.err, "");
    EXPECT_EQ(Json::parse(dump.out).dump(), Json::parse(R"({"type": "userdb", "users": [
        {"teacher": false, "name": "Ján 😀", "login": "jan", "password": "x"},
        {"teacher": true, "name": "Predvolené konto učiteľa", "login": "Tutor", "password": ""}]})")
                                                .dump());
    WriteText("users.json", dump.out);
    EXPECT_EQ(Tool("pack users.json copy").status, 0);
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
