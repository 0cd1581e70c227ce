#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>

#include "DatabaseFile.h"
#include "exam/PNQuestion.h"
#include "exam/PNTestDB.h"
#include "petrinet/PNPetriNet.h"
#include "support/ByteBuilder.h"
#include "support/Serialized.h"
#include "support/TempFolder.h"
#include "users/PNUserDB.h"

namespace orvane {
namespace {

using test::ReadBytes;
using testing::ThrowsMessage;

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

// One question of each kind that the program can make, in a test file as the program saves it.
std::vector<std::uint8_t> SampleTestFile() {
    const CPNQuestion::Requirements asked{{{true, 3}, {}, {true, 1}, {}, {}, {false, 1}}};
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
    test->AddQuestion(std::make_shared<CPNQuestion>(4, u"Podľa", u"t", SampleNet(), asked));
    test->AddQuestion(std::make_shared<CPNQuestion>(5, u"Nakresli", u"t", SampleNet()));
    test->AddQuestion(std::make_shared<CPNQuestion>(6, u"Nakresli 2", u"t", asked));
    test->AddQuestion(std::make_shared<CPNQuestion>(7, u"Bez opravy", u"t"));
    test->AddQuestion(std::make_shared<CPNQuestion>(8));
    test->FirstQuestion();
    test->CurrentQuestion()->SetPoints(5);
    CPNTestDB database;
    database.AddTest(test);
    database.First();
    return test::StoredItems(database);
}

TEST(DumpPackTest, TestFileListsQuestionsElementsAndArcsInFileOrderAndPacksBack) {
    const std::vector<std::uint8_t> file = SampleTestFile();
    const Json json = DumpDatabaseFile(file);
    const Json& test = json["test"];
    EXPECT_EQ(test["timeLimit"], 2700);
    ASSERT_EQ(test["questions"].size(), 8u);
    EXPECT_EQ(test["questions"][0]["id"], 8);  // the newest question is stored first
    EXPECT_EQ(test["questions"][0]["points"], 5);
    const Json& choose = test["questions"][7];
    EXPECT_EQ(choose["kind"], 2002);
    EXPECT_EQ(choose["key"], Json::parse("[1, 0, 1]"));
    EXPECT_EQ(choose["items"][2], "č");
    const Json& net = choose["workNet"];
    EXPECT_EQ(net["elements"][0].dump(),
              R"({"type":1001,"id":1,"x":100,"y":50,"label":{"id":-1,"x":-20,"y":-25,)"
              R"("text":"Place.1","flag":true},"radius":20,"capacity":32767,"tokens":0})");
    EXPECT_EQ(net["elements"][3]["label"], nullptr);
    // Elements from the newest, each element's arcs newest first.
    EXPECT_EQ(net["arcs"], Json::parse("[[3, 2, 1], [2, 1, 1], [2, 5, 3], [1, 3, 1], [1, 2, 1]]"));
    // Packed again, byte for byte the program's file, which dumps to the same JSON.
    const auto packed = PackDatabaseDocument(json);
    EXPECT_EQ(test::Hex(packed), test::Hex(file));
    EXPECT_EQ(DumpDatabaseFile(packed), json);
}

TEST(DumpPackTest, HandWrittenPoolSurvivesPackAndDump) {
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
        question["kind"] = question["id"] = kind;
        question["workNet"] = questions[1]["workNet"];
        questions.push_back(std::move(question));
    }
    const Json dumped = DumpDatabaseFile(PackDatabaseDocument(written));
    written["test"]["questions"][1]["key"] = nullptr;  // [] and null are both "no array"
    EXPECT_EQ(dumped.dump(2), written.dump(2));
}

TEST(DumpPackTest, ShapeErrorsNameTheKey) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"type": "tests"})", R"(type: expected "userdb" or "test")"},
        {R"({"type": "userdb", "users": [{"login": 5}]})", "users[0].login: expected a string"},
        {R"({"type": "userdb", "users": [{"logn": "a"}]})", "users[0].logn: unknown key"},
        {R"({"type": "test", "test": {"questions": [{"points": 40000}]}})",
         "test.questions[0].points: out of range -32768 to 32767"},
        {R"({"type": "test", "test": {"questions": [{"workNet": {"arcs": [[1, 2, 1]]}}]}})",
         "test.questions[0].workNet.arcs[0][1]: no element has this id"},
        {R"({"type": "test", "test": {"questions": [{"keyNet": {"elements": [{"type": 4}]}}]}})",
         "test.questions[0].keyNet.elements[0].type: expected 1001 (place), 1002 (transition) "
         "or 1003 (node)"}};
    for (const auto& [text, message] : cases) {
        EXPECT_THAT([&] { PackDatabaseDocument(Json::parse(text)); },
                    ThrowsMessage<JsonShapeError>(message));
    }
}

// A file that starts with FF FF is a test file, or a user database of 65,535 or more accounts.
TEST(DumpPackTest, FileKindIsToldByTheBytesAndDamagedFilesSayWhy) {
    CPNUserDB database;
    for (int i = 0; i < 65535; ++i) {
        database.InsertUser(std::make_shared<CPNUser>(u"u", u"", u"", false));
    }
    const std::vector<std::uint8_t> users = test::StoredItems(database);
    ASSERT_EQ(test::Hex({users.begin(), users.begin() + 2}), "FF FF");
    EXPECT_EQ(DumpDatabaseFile(users)["users"].size(), 65535u);
    auto bytes = SampleTestFile();
    bytes.resize(bytes.size() / 2);
    EXPECT_THROW(DumpDatabaseFile(bytes), DatabaseFileError);
    EXPECT_THAT([] { DumpDatabaseFile(test::Bytes().I32(1).Class("CPNFoo").Get()); },
                ThrowsMessage<DatabaseFileError>(
                    "not a user database (bad class: the class \"CPNFoo\" is not known)"));
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

// Runs orvane-db with the arguments (shell syntax) in the working folder.
ToolRun Tool(const std::string& arguments) {
    const std::string command = "'" ORVANE_DB_PROGRAM "' " + arguments + " >.out 2>.err";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(".out"), Slurp(".err")};
}

class CommandLineTest : public test::InTempFolder {};

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
    EXPECT_EQ(Json::parse(dump.out), Json::parse(R"({"type": "userdb", "users": [
        {"teacher": false, "name": "Ján 😀", "login": "jan", "password": "x"},
        {"teacher": true, "name": "Predvolené konto učiteľa", "login": "Tutor", "password": ""}]})"));
    std::ofstream("users.json") << dump.out;
    EXPECT_EQ(Tool("pack users.json copy").status, 0);
    EXPECT_EQ(ReadBytes("copy"), ReadBytes("userdb"));
    EXPECT_EQ(Tool("pack - again <users.json").status, 0);
    EXPECT_EQ(ReadBytes("again"), ReadBytes("userdb"));
}

// Each failure is one line on standard error and exit 1, and writes no output file; a wrong
// command line is the help and exit 2.
TEST_F(CommandLineTest, FailuresAreOneLineAndExitOneWrongUsageExitsTwo) {
    test::WriteBytes("garbage", {1, 2, 3});
    test::WriteBytes("userdb", {7, 7, 7});
    std::ofstream("bad.json") << R"({"type": "userdb", "users": [{"teacher": "yes"}]})";
    std::ofstream("broken.json") << "{\"type\": ";
    std::ofstream("good.json") << R"({"type": "userdb", "users": []})";
    for (const auto& [arguments, message] : std::vector<std::pair<std::string, std::string>>{
             {"dump missing", "missing: cannot read"},
             {"dump .", ".: cannot read the file"},
             {"dump garbage", "garbage: not a user database"},
             {"pack missing.json out", "missing.json: cannot read"},
             {"pack bad.json out", "bad.json: users[0].teacher: expected true or false"},
             {"pack broken.json out", "broken.json: [json.exception.parse_error"},
             {"pack bad.json userdb", "bad.json: users[0].teacher"},
             {"pack good.json no/such/folder/out", "no/such/folder/out: cannot write the file"}}) {
        const ToolRun run = Tool(arguments);
        EXPECT_EQ(run.status, 1) << arguments;
        EXPECT_EQ(run.out, "") << arguments;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << arguments << run.err;
        EXPECT_EQ(run.err.rfind("orvane-db: " + message, 0), 0u) << run.err;
    }
    EXPECT_EQ(ReadBytes("userdb"), (std::vector<std::uint8_t>{7, 7, 7}));
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{".err", ".out", "bad.json", "broken.json",
                                                          "garbage", "good.json", "userdb"}));
    const ToolRun help = Tool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: orvane-db dump FILE\n       orvane-db pack IN.json OUT\n", 0),
              0u);
    EXPECT_EQ(Tool("").status, 2);
    EXPECT_EQ(Tool("dump").status, 2);
}

}  // namespace
}  // namespace orvane
