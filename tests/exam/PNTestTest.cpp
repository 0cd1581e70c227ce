// Tests and the test database: stored bytes, question and test order, cursors, free ids, the
// database file, whole files through store and load, and fuzz-found files.
#include <gtest/gtest.h>

#include <limits>
#include <tuple>

#include "exam/PNTestDB.h"
#include "support/ByteBuilder.h"
#include "support/ExamFixtures.h"
#include "support/Serialized.h"
#include "support/TempFolder.h"

namespace orvane::test {
namespace {

using Ids = std::vector<std::int32_t>;
using Texts = std::vector<std::u16string>;

// The items of a question made with the id-only constructor.
Bytes UnsetItems(std::int32_t id) {
    Bytes items = Bytes().I32s({2000, id}).Str(u"").Str(u"").I16(0).I32(0).U32(0).I16(0);
    return items.I32s({0, 0, 0, 0}).U32(0).I16(0).I32s({0, 0});
}

// A test whose questions, front to end, have the given ids.
std::shared_ptr<CPNTest> TestOf(const Ids& ids) {
    std::vector<std::shared_ptr<CPNQuestion>> questions;
    for (const std::int32_t id : ids) {
        questions.push_back(std::make_shared<CPNQuestion>(id));
    }
    return MakeTest(0, u"", true, questions);
}

Ids IdsOf(CPNTestDB& db) {
    Ids ids;
    for (const auto& test : TestsOf(db)) {
        ids.push_back(test->GetId());
    }
    return ids;
}

TEST(Test, StoringWalksTheQuestionsAndLoadingReversesThem) {
    const auto test = TestOf({3, 2, 1});  // added 1, 2, 3
    test->SetLogin(u"jožko");
    test->SetTimeLimit(45 * 60);
    const auto stored = StoredItems(*test);
    EXPECT_EQ(test->CurrentQuestion()->GetId(), 1);  // storing walked to the last question
    Bytes expected = Bytes().Str(u"jožko").I32(0).Byte(1).I64(2700).I32(3);
    expected.Class("CPNQuestion").Raw(UnsetItems(3)).U16(0x8001).Raw(UnsetItems(2));
    EXPECT_EQ(Hex(stored), Hex(expected.U16(0x8001).Raw(UnsetItems(1))));
    const auto loaded = LoadedItems<CPNTest>(stored);
    EXPECT_EQ(QuestionIds(*loaded), (Ids{1, 2, 3}));
    EXPECT_EQ(loaded->GetTimeLimit(), 2700);
}

TEST(Test, MoveQuestionPutsItAtThePosition) {
    const struct {
        std::int32_t id, position;
        bool result;
        Ids order;
    } cases[] = {
        {4, 2, true, {1, 4, 2, 3}},  {1, 3, true, {2, 3, 1, 4}},  {3, 1, false, {1, 2, 3, 4}},
        {1, 1, true, {1, 2, 3, 4}},  {2, 5, false, {1, 2, 3, 4}}, {1, 4, true, {2, 3, 4, 1}},
        {4, 1, false, {1, 2, 3, 4}}, {9, 2, false, {1, 2, 3, 4}}, {3, 0, false, {1, 2, 3, 4}},
    };
    for (const auto& move : cases) {
        const auto test = TestOf({1, 2, 3, 4});
        ASSERT_TRUE(test->SelectQuestion(3));
        EXPECT_EQ(test->MoveQuestion(move.id, move.position), move.result)
            << move.id << " to " << move.position;
        EXPECT_EQ(test->CurrentQuestion()->GetId(), 3);
        EXPECT_EQ(QuestionIds(*test), move.order) << move.id << " to " << move.position;
    }
}

TEST(Test, SelectionRemovalAndFreeIds) {
    CPNTest empty;
    EXPECT_EQ(empty.NextFreeQuestionId(), 0);
    EXPECT_FALSE(empty.RemoveQuestion(0) || empty.AddQuestion(nullptr) || !empty.IsEmpty());

    const auto test = TestOf({2, 0, 1});
    const auto current = [&] { return test->CurrentQuestion()->GetId(); };
    EXPECT_EQ(test->NextFreeQuestionId(), 3);
    ASSERT_TRUE(test->SelectQuestionAt(1));
    EXPECT_FALSE(test->SelectQuestionAt(0) || test->SelectQuestionAt(4));
    EXPECT_EQ(current(), 2);
    test->SelectQuestionAt(3);
    test->CurrentQuestion()->SetTag(77);
    ASSERT_TRUE(test->SelectQuestionByTag(0));
    EXPECT_EQ(current(), 2);
    ASSERT_TRUE(test->SelectQuestionByTag(77));
    EXPECT_TRUE(current() == 1 && !test->NextQuestion() && current() == 1);

    EXPECT_FALSE(test->RemoveQuestion(5));
    ASSERT_TRUE(test->RemoveQuestion(1));
    EXPECT_TRUE(test->CurrentQuestion() == nullptr && !test->NextQuestion());
    EXPECT_EQ(test->NextFreeQuestionId(), 1);
}

TEST(Test, LoadingTakesWhatTheFileSays) {
    // A flag byte of 2, a null reference that is passed over, then one question.
    const Bytes head = Bytes().Str(u"eva").I32(7).Byte(2).I64(-5);
    const Bytes question = Bytes().Class("CPNQuestion").Raw(UnsetItems(4));
    const auto test = LoadedItems<CPNTest>(Bytes(head).I32(2).U16(0).Raw(question));
    EXPECT_TRUE(test->GetToBeWorkedOut());
    EXPECT_EQ(Hex(StoredItems(*test)), Hex(Bytes(head).I32(1).Raw(question)));
    test->SetToBeWorkedOut(false);
    EXPECT_FALSE(LoadedItems<CPNTest>(StoredItems(*test))->GetToBeWorkedOut());
    const Bytes net = Bytes(head).I32(1).Class("CPNPetriNet");
    EXPECT_EQ(LoadFailure<CPNTest>(net), ArchiveError::Cause::BadClass);

    test->SetTimeLimit(std::numeric_limits<std::int64_t>::min() + 1);
    test->ReduceTimeLimit(2);
    EXPECT_EQ(test->GetTimeLimit(), std::numeric_limits<std::int64_t>::min());
    test->SetTimeLimit(100);
    test->ReduceTimeLimit(30);
    EXPECT_EQ(test->GetTimeLimit(), 70);
}

class TestDBTest : public InTempFolder {
protected:
    void Add(std::int32_t id, std::u16string_view login = u"s") {
        EXPECT_TRUE(db.AddTest(MakeTest(id, login, true)));
    }
    // The test in a file with one test.
    static std::shared_ptr<CPNTest> Load(const std::u16string& name) {
        CPNTestDB file;
        file.Load(name);
        return file.First() ? file.Current() : nullptr;
    }

    CPNTestDB db;
};

TEST_F(TestDBTest, NewTestsGoToTheFrontAndRemovalsKeepTheOthersInOrder) {
    EXPECT_EQ(db.NextFreeId(), 0);
    EXPECT_FALSE(db.Next() || db.AddTest(nullptr) || db.RemoveTest(0));
    for (const auto& [id, login, free] :
         {std::tuple{1, u"a", 0}, {2, u"b", 0}, {2, u"c", 0}, {0, u"b", 3}, {4, u"b", 3}}) {
        Add(id, login);
        EXPECT_EQ(db.NextFreeId(), free) << id;
    }
    EXPECT_EQ(db.Current(), nullptr);  // adding does not move the cursor
    EXPECT_EQ(IdsOf(db), (Ids{4, 0, 2, 2, 1}));
    EXPECT_FALSE(db.Next() || db.SelectTest(9));
    EXPECT_EQ(db.Current()->GetId(), 1);
    ASSERT_TRUE(db.RemoveTest(2) && db.SelectTest(2));
    EXPECT_EQ(db.Current()->GetLogin(), u"b");  // the one nearer the front went
    EXPECT_TRUE(db.RemoveTestsOfLogin(u"b") && db.Current() == nullptr && !db.Next());
    EXPECT_EQ(db.NextFreeId(), 0);
    EXPECT_TRUE(db.RemoveTestsOfLogin(u"A") && IdsOf(db) == Ids{1});  // logins are exact
    EXPECT_TRUE(db.RemoveTestsOfLogin(u"a") && db.IsEmpty());
}

TEST_F(TestDBTest, FileOfANewTestIsItsClassRecordAndStartValues) {
    db.Save(u"testdb");
    Add(0, u"");
    db.Save(u"testdb");  // no test under the cursor yet
    EXPECT_FALSE(Exists("testdb"));
    ASSERT_TRUE(db.First());
    // A longer older file leaves nothing behind, nor does the temporary file.
    WriteBytes("testdb", std::vector<std::uint8_t>(500, 0xAB));
    db.Save(u"testdb");
    const Bytes expected = Bytes().Class("CPNTest").Str(u"").I32(0).Byte(1).I64(0).I32(0);
    EXPECT_EQ(Hex(ReadBytes("testdb")), Hex(expected));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"testdb"});
    EXPECT_EQ(Printed([&] { db.Save(u"chýba/testdb"); }), "Cannot write to file: chýba/testdb\n");

    // Each load adds the file's test at the front.
    CPNTestDB loaded;
    loaded.Load(u"testdb");
    loaded.Load(u"testdb");
    ASSERT_TRUE(loaded.First());
    const auto newer = loaded.Current();
    EXPECT_TRUE(newer->IsEmpty() && newer->GetToBeWorkedOut());
    ASSERT_TRUE(loaded.Next());
    EXPECT_TRUE(loaded.Current() != newer && !loaded.Next());
}

TEST_F(TestDBTest, UnreadableFilesLeaveTheDatabaseAsItWas) {
    // "ok", or the archive's cause of a malformed file.
    const auto load = [&](const std::vector<std::uint8_t>& bytes) {
        WriteBytes("testdb", bytes);
        const CFileResult result = db.Load(u"testdb");
        EXPECT_NE(result.GetKind(), CFileResult::Kind::Unreadable);
        return result.IsOk() ? "ok" : result.Reason().substr(0, result.Reason().find(':'));
    };
    EXPECT_EQ(Printed([&] { EXPECT_TRUE(db.Load(u"testdb").IsMissing()); }),
              "Cannot open file: testdb\n");
    const std::vector<std::uint8_t> test =
        Bytes().Class("CPNTest").Str(u"eva").I32(3).Byte(1).I64(0).I32(0);
    for (auto end = test.begin(); end != test.end(); ++end) {
        EXPECT_EQ(load({test.begin(), end}), "end of data") << end - test.begin();
    }
    EXPECT_EQ(load(Bytes().Class("CPNQuestion").I32(2000)), "bad class");
    EXPECT_EQ(load(Bytes().U16(0)), "ok");
    EXPECT_TRUE(db.IsEmpty());
    EXPECT_EQ(load(Bytes().Raw(test).Raw({1, 2, 3})),
              "ok");  // bytes after the one test are not read
    ASSERT_TRUE(db.First());
    EXPECT_EQ(db.Current()->GetLogin(), u"eva");
}

// Every kind of element, labelled and not, with several arcs per element and two to one target.
std::shared_ptr<CPNPetriNet> SampleNet(std::int32_t seed) {
    auto net = std::make_shared<CPNPetriNet>();
    const auto element = [&](std::int32_t id) {
        return net->FindById(id) ? net->Current() : nullptr;
    };
    net->AddPlace(1, seed, 20);
    net->AddTransition(2, 100, seed);
    net->AddNode(3, 50, 50, true);
    net->AddNode(4, 60, 60, false);
    net->AddPlace(5, -seed, 0);
    element(5)->SetLabel(nullptr);
    const std::int32_t arcs[][3] = {{1, 2, 1}, {1, 3, 2}, {1, 4, seed}, {2, 5, 1},
                                    {3, 4, 1}, {4, 2, 7}, {5, 1, 1},    {5, 1, 3}};
    for (const auto& [from, to, weight] : arcs) {
        element(from)->AddArc(element(to));
        element(from)->FirstArc();
        element(from)->SetArcWeight(weight);
    }
    return net;
}

// One question of each kind that has a constructor, with nets where the kind has them.
std::shared_ptr<CPNTest> SampleTest() {
    const CPNQuestion::Requirements pairs{
        {{true, 3}, {true, 1}, {false, 1}, {true, 0}, {false, 0}, {true, 1}, {false, 1}}};
    std::vector<std::shared_ptr<CPNQuestion>> questions{
        std::make_shared<CPNQuestion>(0),
        std::make_shared<CPNQuestion>(1, u"Výber", u"Ktoré platí?", 3, Texts{u"á", u"b", u"č"},
                                      std::vector<bool>{true, false, true}, SampleNet(1)),
        std::make_shared<CPNQuestion>(2, u"Spoj", u"Spoj súvisiace", 2, Texts{u"l1", u"l2"},
                                      Texts{u"p1", u"p2"}, Ids{1, 0}, nullptr),
        std::make_shared<CPNQuestion>(3, u"Dokonči", u"Dokonči PN", SampleNet(2), SampleNet(3)),
        std::make_shared<CPNQuestion>(4, u"Podľa", u"požiadaviek", SampleNet(4), pairs),
        std::make_shared<CPNQuestion>(5, u"Nakresli", u"Nakresli PN", SampleNet(5)),
        std::make_shared<CPNQuestion>(6, u"Nakresli", u"podľa požiadaviek", pairs),
        std::make_shared<CPNQuestion>(7, u"Voľne", u"bez opravy"),
    };
    questions[2]->SetAnswerPair(0, 1);
    questions[1]->SetAnswerFlag(2, true);
    questions[6]->SetPoints(9);
    auto test = MakeTest(11, u"študent", true, questions);
    test->SetTimeLimit(2700);
    return test;
}

// Loading reverses the questions and each element's arcs, so the second file differs from
// the first and the third is the first again, byte for byte.
TEST_F(TestDBTest, TwoStoreLoadCyclesGiveBackTheFirstFile) {
    WriteTestFile("first", SampleTest());
    const auto once = Load(u"first");
    ASSERT_NE(once, nullptr);
    EXPECT_EQ(QuestionIds(*once), (Ids{7, 6, 5, 4, 3, 2, 1, 0}));
    WriteTestFile("second", once);
    WriteTestFile("third", Load(u"second"));
    EXPECT_NE(ReadBytes("second"), ReadBytes("first"));
    EXPECT_EQ(Hex(ReadBytes("third")), Hex(ReadBytes("first")));
}

// A file that the fuzz targets once found mishandled, kept byte for byte as it was found: a
// net that lists an element twice keeps its size over saving and loading.
TEST_F(TestDBTest, FuzzInputNetThatListsAnElementTwiceKeepsItsSize) {
    WriteBytes("found", ReadBytes(ORVANE_FUZZ_INPUTS "/testdb-element-listed-twice"));
    WriteTestFile("once", Load(u"found"));
    WriteTestFile("twice", Load(u"once"));
    WriteTestFile("thrice", Load(u"twice"));
    EXPECT_EQ(ReadBytes("twice").size(), ReadBytes("once").size());
    EXPECT_EQ(Hex(ReadBytes("thrice")), Hex(ReadBytes("once")));
}

}  // namespace
}  // namespace orvane::test
