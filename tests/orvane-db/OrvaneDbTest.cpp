// SPDX-License-Identifier: GPL-3.0-or-later
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <new>

#include "DatabaseFile.h"
#include "DatabaseTool.h"
#include "ToolRun.h"
#include "exam/PNQuestion.h"
#include "exam/PNTestDB.h"
#include "petrinet/PNPetriNet.h"
#include "support/ByteBuilder.h"
#include "support/Serialized.h"
#include "support/TempFolder.h"
#include "users/PNUserDB.h"

// Every allocation of this program comes here, so that a test can see the peak of the heap
// and make every allocation from a chosen one on fail, as when memory has run out.
namespace {
std::size_t heapInUse = 0, heapPeak = 0, allocations = 0;
std::size_t failFrom = std::numeric_limits<std::size_t>::max();
}  // namespace
void* operator new(std::size_t size) {
    void* block = ++allocations > failFrom ? nullptr : std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    heapPeak = std::max(heapPeak, heapInUse += malloc_usable_size(block));
    return block;
}
void operator delete(void* block) noexcept {
    heapInUse -= block == nullptr ? 0 : malloc_usable_size(block);
    std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}

namespace orvane {
namespace {

using test::ReadBytes;
using testing::ThrowsMessage;

// `piece` `times` over, after `head`.
test::Bytes Repeated(int times, const test::Bytes& piece, test::Bytes head = {}) {
    for (int i = 0; i < times; ++i) {
        head.Raw(piece);
    }
    return head;
}

// What dump writes for the file.
std::string DumpText(const std::vector<std::uint8_t>& file) {
    return test::Printed([&] { DumpDatabaseFile(file, stdout); });
}

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
    const std::string text = DumpText(file);
    EXPECT_LT(text.size(), kDumpBytesPerByte / 2 * file.size());  // a program's file, with room
    const Json json = Json::parse(text);
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
    EXPECT_EQ(net["elements"][0],
              Json::parse(R"({"type":1001,"id":1,"x":100,"y":50,"label":{"id":-1,"x":-20,)"
                          R"("y":-25,"text":"Place.1","flag":true},"radius":20,"capacity":32767,)"
                          R"("tokens":0})"));
    EXPECT_EQ(net["elements"][3]["label"], nullptr);
    // Elements from the newest, each element's arcs newest first.
    EXPECT_EQ(net["arcs"], Json::parse("[[3, 2, 1], [2, 1, 1], [2, 5, 3], [1, 3, 1], [1, 2, 1]]"));
    // Packed again, byte for byte the program's file.
    EXPECT_EQ(test::Hex(PackDatabaseDocument(json).bytes), test::Hex(file));
}

TEST(DumpPackTest, HandWrittenPoolSurvivesPackAndDump) {
    Json written = Json::parse(R"({"type": "test", "test": {
      "login": "", "id": 0, "toBeWorkedOut": false, "timeLimit": -5, "questions": [
      {"kind": 2004, "id": 3, "title": "Spoj súvisiace 𝄞", "text": "ľ\nš\t\"\\\u001b\u007f",
       "answerNumber": -2, "itemCount": 2, "askedRequirements": 4294967295, "keyNumber": 7,
       "answer": [-1, -1], "key": [1, 0], "items": ["ä", "ô"], "rightItems": ["x", "y"],
       "keyRequirements": 1023, "points": -32768, "workNet": null, "keyNet": null},
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
    const std::string dumped = DumpText(PackDatabaseDocument(written).bytes);
    written["test"]["questions"][1]["key"] = nullptr;  // [] and null are both "no array"
    EXPECT_EQ(Json::parse(dumped), written);
    // Laid out as the JSON library lays it out, keys in the order they are written.
    EXPECT_EQ(dumped, nlohmann::ordered_json::parse(dumped).dump(2) + "\n");
}

TEST(DumpPackTest, ShapeErrorsNameTheKey) {
    const std::pair<const char*, const char*> cases[] = {
        {R"({"type": "tests"})", R"(type: expected "userdb" or "test")"},
        {R"({"type": "userdb", "users": [{"login": 5}]})", "users[0].login: expected a string"},
        {R"({"type": "userdb", "users": [{"logn": "a"}]})", "users[0].logn: unknown key"},
        {R"({"type": "userdb", "users": [{"password": "x"}]})", "users[0].login: missing"},
        {R"({"type": "userdb", "users": [{"login": "a", "password": ""}, {"login": "b"}]})",
         "users[1].password: missing"},
        {R"({"type": "test", "test": {"questions": [{"points": 40000}]}})",
         "test.questions[0].points: out of range -32768 to 32767"},
        {R"({"type": "test", "test": {"questions": [{"workNet": {"arcs": [[1, 2, 1]]}}]}})",
         "test.questions[0].workNet.arcs[0][1]: no element has this id"},
        {R"({"type": "test", "test": {"questions": [{"keyNet": {"elements": [{"type": 4}]}}]}})",
         "test.questions[0].keyNet.elements[0].type: expected 1001 (place), 1002 (transition) "
         "or 1003 (node)"}};
    for (const auto& [text, message] : cases) {
        EXPECT_THAT([&document = text] { PackDatabaseDocument(Json::parse(document)); },
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
    EXPECT_EQ(Json::parse(DumpText(users))["users"].size(), 65535u);
    auto bytes = SampleTestFile();
    bytes.resize(bytes.size() / 2);
    EXPECT_THROW(DumpDatabaseFile(bytes, nullptr), DatabaseFileError);
    EXPECT_THAT([] { DumpDatabaseFile(test::Bytes().I32(1).Class("CPNFoo").Get(), nullptr); },
                ThrowsMessage<DatabaseFileError>(
                    "not a user database (bad class: the class \"CPNFoo\" is not known)"));
}

class CommandLineTest : public test::InTempFolder {};

// A user database dumps in file order and packs back to the same bytes, from a file or standard
// input, to a file (a new one for its owner only), through symbolic links, or to standard output.
TEST_F(CommandLineTest, UserDatabaseDumpsInFileOrderAndPacksToTheSameBytes) {
    CPNUserDB database;
    database.AddUser(u"Tutor", u"Predvolené konto učiteľa", u"", u"", true, u"Tutor", u"");
    database.AddUser(u"jan", u"Ján \U0001F600", u"x", u"x", false, u"Tutor", u"");
    ASSERT_TRUE(database.Save(u"userdb").IsOk());
    const ToolRun dump = Tool("dump - <userdb");
    ASSERT_EQ(dump.status, 0) << dump.err;
    EXPECT_EQ(dump.err, "");
    EXPECT_EQ(Json::parse(dump.out), Json::parse(R"({"type": "userdb", "users": [
        {"teacher": false, "name": "Ján 😀", "login": "jan", "password": "x"},
        {"teacher": true, "name": "Predvolené konto učiteľa", "login": "Tutor", "password": ""}]})"));
    std::ofstream("users.json") << dump.out;
    EXPECT_EQ(Tool("pack users.json copy").status, 0);
    EXPECT_EQ(ReadBytes("copy"), ReadBytes("userdb"));
    EXPECT_EQ(std::filesystem::status("copy").permissions(), std::filesystem::perms(0600));
    std::filesystem::create_directory("real");
    std::filesystem::create_symlink("target", "real/link");  // relative to its folder
    std::filesystem::create_symlink("real/link", "link");
    EXPECT_EQ(Tool("pack - link <users.json").status, 0);  // makes the missing end
    test::WriteBytes("real/target", {1});
    EXPECT_EQ(Tool("pack users.json link").status, 0);  // replaces it
    EXPECT_EQ(ReadBytes("real/target"), ReadBytes("userdb"));
    EXPECT_TRUE(std::filesystem::is_symlink("link") && std::filesystem::is_symlink("real/link"));
    EXPECT_EQ(Tool("pack users.json -").out, Slurp("userdb"));
}

// Each failure is one line on standard error and exit 1, and writes no output file; a wrong
// command line is the help and exit 2.
TEST_F(CommandLineTest, FailuresAreOneLineAndExitOneWrongUsageExitsTwo) {
    test::WriteBytes("garbage", {1, 2, 3});
    test::WriteBytes("userdb", {7, 7, 7});
    std::ofstream("bad.json") << R"({"type": "userdb", "users": [{"login": "a", "password": "",
                                                                  "teacher": "yes"}]})";
    std::ofstream("broken.json") << "{\"type\": ";
    std::ofstream("good.json") << R"({"type": "userdb", "users": []})";
    test::Bytes refs;  // 160 KB, every account the first one, whose name is 120 KB
    refs.I32(20001).Class("CPNUser").Byte(1).Str(std::u16string(60000, u'N')).Str(u"a").Str(u"");
    test::WriteBytes("refs", Repeated(20000, {2, 0}, refs));
    for (const auto& [arguments, message] : std::vector<std::pair<std::string, std::string>>{
             {"dump missing", "missing: cannot read"},
             {"dump refs", "refs: refused: its JSON would pass 5125184 bytes"},
             {"dump - <garbage", "standard input: not a user database"},
             {"dump garbage", "garbage: not a user database"},
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
    EXPECT_EQ(folder.Entries(),
              (std::vector<std::string>{".err", ".out", "bad.json", "broken.json", "garbage",
                                        "good.json", "refs", "userdb"}));
    const ToolRun help = Tool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("usage: orvane-db dump FILE\n       orvane-db pack IN.json OUT\n", 0),
              0u);
    EXPECT_EQ(Tool("--version").out, "orvane-db " ORVANE_VERSION "\n");
    EXPECT_EQ(Tool("").status, 2);
    EXPECT_EQ(Tool("dump").status, 2);
}

// Memory that runs out anywhere ends the tool with one line and status 1, never with an
// abort: every allocation from the n-th on fails, for each n until the command goes through.
TEST_F(CommandLineTest, RunningOutOfMemoryAnywhereIsOneLineAndExitOne) {
    test::WriteBytes("testdb", SampleTestFile());
    std::ofstream("users.json")
        << R"({"type": "userdb", "users": [{"login": "a", "password": ""}]})";
    std::ofstream("test.json") << R"({"type": "test", "test": {"questions": [{"workNet": {
        "elements": [{"type": 1001, "id": 1, "x": 0, "y": 0}], "arcs": [[1, 1, 2]]}}]}})";
    std::FILE* nowhere = std::fopen("/dev/null", "w");
    for (const std::vector<const char*>& arguments :
         {std::vector<const char*>{"", "dump", "testdb"},
          {"", "pack", "users.json", "o"},
          {"", "dump", "o"},
          {"", "pack", "test.json", "-"}}) {
        for (int status = 1, failing = 0; status != 0; ++failing) {
            const std::string line = test::Printed([&] {
                failFrom = allocations + failing;
                status = RunDatabaseTool(int(arguments.size()), arguments.data(), nowhere, stdout);
                failFrom = std::numeric_limits<std::size_t>::max();
            });
            const std::string expected =
                "orvane-db: " + std::string(arguments[2]) + ": out of memory\n";
            EXPECT_EQ(line, status == 0 ? "" : expected);
        }
    }
    std::fclose(nowhere);
    EXPECT_EQ(folder.Entries(),
              (std::vector<std::string>{"o", "test.json", "testdb", "users.json"}));
}

// The files whose bytes the loaders turn into the most memory, and one of the program's own.
TEST(LoadMemoryTest, AnyFileLoadsInAtMost32BytesPerByteOfIt) {
#ifndef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "only the sanitizer's allocator tells the bytes asked for, without overhead";
#endif
    constexpr int n = 20000;
    test::Bytes account, items;
    account.I32(n + 1).Class("CPNUser").Byte(1).Str(u"T").Str(u"T").Str(u"");
    // A test of one question whose texts are 8-bit and empty (a byte each), its items too.
    items.Class("CPNTest").Str(u"").I32(0).Byte(1).I64(0).I32(1).Class("CPNQuestion");
    items.I32s({2002, 1}).Raw({0, 0}).I16(0).I32s({0, 0}).I16(0).I32s({0, 0, n});
    items = Repeated(n, {0}, items).I32(0).U32(0).I16(0).I32s({0, 0});
    const std::pair<const char*, std::vector<std::uint8_t>> files[] = {
        {"references back to one account", Repeated(n, {2, 0}, account)},
        {"accounts of 8-bit empty texts", Repeated(n, {1, 0x80, 0, 0, 0, 0}, account)},
        {"items of 8-bit empty texts", items},
        {"a test file of the program", SampleTestFile()}};
    for (const auto& [what, file] : files) {
        const std::size_t before = heapPeak = heapInUse;
        if (file[0] == 0xFF) {
            test::LoadedItems<CPNTestDB>(file);
        } else {
            test::LoadedItems<CPNUserDB>(file);
        }
        EXPECT_LE(heapPeak - before, 32 * file.size() + 4096) << what;
    }
}

}  // namespace
}  // namespace orvane
