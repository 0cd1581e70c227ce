#include <gtest/gtest.h>

#include <functional>

#include "archive/ClassRegistry.h"
#include "exam/PNTestDB.h"
#include "petrinet/PNLabel.h"
#include "petrinet/PNNode.h"
#include "petrinet/PNPlace.h"
#include "petrinet/PNTransition.h"
#include "support/ByteBuilder.h"
#include "support/TempFolder.h"

namespace orvane {
namespace {

using test::Bytes;
using test::Hex;
using test::ReadBytes;
using test::WriteBytes;
using Ids = std::vector<std::int32_t>;

class TestDBTest : public test::InTempFolder {
protected:
    void Add(std::int32_t id, const std::u16string& login = u"s") {
        auto test = std::make_shared<CPNTest>();
        test->SetId(id);
        test->SetLogin(login);
        EXPECT_TRUE(db.AddTest(test));
    }
    Ids Order() {
        Ids ids;
        for (bool more = db.First(); more; more = db.Next()) {
            ids.push_back(db.Current()->GetId());
        }
        return ids;
    }
    static std::string Captured(const std::function<void()>& action) {
        testing::internal::CaptureStdout();
        action();
        return testing::internal::GetCapturedStdout();
    }

    CPNTestDB db;
};

TEST(ModelClasses, AreRegisteredByName) {
    for (const CRuntimeClass* record :
         {&CPNObject::Class(), &CPNPlace::Class(), &CPNTransition::Class(), &CPNNode::Class(),
          &CPNLabel::Class(), &CPNPetriNet::Class(), &CPNQuestion::Class(), &CPNTest::Class(),
          &CPNTestDB::Class()}) {
        EXPECT_EQ(FindClass(record->className), record) << record->className;
    }
}

TEST_F(TestDBTest, NewTestsGoToTheFrontAndIdsFillTheGaps) {
    EXPECT_EQ(db.NextFreeId(), 0);
    EXPECT_FALSE(db.Next() || db.AddTest(nullptr));
    Add(1);
    Add(2);
    EXPECT_EQ(db.NextFreeId(), 0);
    Add(0);
    Add(3);
    EXPECT_EQ(db.NextFreeId(), 4);
    EXPECT_EQ(db.Current(), nullptr);  // adding does not move the cursor
    ASSERT_TRUE(db.RemoveTest(2));
    EXPECT_EQ(db.NextFreeId(), 2);
    EXPECT_EQ(Order(), (Ids{3, 0, 1}));
    EXPECT_FALSE(db.Next());
    EXPECT_EQ(db.Current()->GetId(), 1);
    EXPECT_FALSE(db.SelectTest(9));
    EXPECT_EQ(db.Current()->GetId(), 1);
}

TEST_F(TestDBTest, RemovingTestsKeepsTheOthersInOrder) {
    EXPECT_FALSE(db.RemoveTest(0));
    Add(1, u"a");
    Add(2, u"b");
    Add(2, u"c");
    Add(3, u"b");
    Add(4, u"b");
    ASSERT_TRUE(db.RemoveTest(2));
    ASSERT_TRUE(db.SelectTest(2));
    EXPECT_EQ(db.Current()->GetLogin(), u"b");  // the one nearer the front went
    EXPECT_TRUE(db.RemoveTestsOfLogin(u"b"));
    EXPECT_EQ(db.Current(), nullptr);
    EXPECT_FALSE(db.Next());
    EXPECT_EQ(Order(), Ids{1});
    EXPECT_TRUE(db.RemoveTestsOfLogin(u"A") && db.RemoveTestsOfLogin(u"a"));
    EXPECT_TRUE(db.IsEmpty());
}

TEST_F(TestDBTest, FileOfANewTestIsItsClassRecordAndStartValues) {
    db.Save(u"testdb");
    Add(0, u"");
    db.Save(u"testdb");  // no test under the cursor yet
    EXPECT_FALSE(test::Exists("testdb"));
    ASSERT_TRUE(db.First());
    db.Save(u"testdb");
    const Bytes expected = Bytes().Class("CPNTest").Str(u"").I32(0).Byte(1).I64(0).I32(0);
    EXPECT_EQ(Hex(ReadBytes("testdb")), Hex(expected));

    CPNTestDB loaded;
    loaded.Load(u"testdb");
    loaded.Load(u"testdb");
    ASSERT_TRUE(loaded.First());
    const auto newer = loaded.Current();
    EXPECT_TRUE(newer->IsEmpty() && newer->GetToBeWorkedOut());
    ASSERT_TRUE(loaded.Next());
    EXPECT_NE(loaded.Current(), newer);
    EXPECT_FALSE(loaded.Next());

    // A longer older file leaves nothing behind, nor does the temporary file.
    WriteBytes("testdb", std::vector<std::uint8_t>(500, 0xAB));
    db.Save(u"testdb");
    EXPECT_EQ(Hex(ReadBytes("testdb")), Hex(expected));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"testdb"});
    EXPECT_EQ(Captured([&] { db.Save(u"chýba/testdb"); }), "Cannot write to file: chýba/testdb\n");
}

TEST_F(TestDBTest, UnreadableFilesLeaveTheDatabaseAsItWas) {
    EXPECT_EQ(Captured([&] { db.Load(u"testdb"); }), "Cannot open file: testdb\n");
    const Bytes test = Bytes().Class("CPNTest").Str(u"eva").I32(3).Byte(1).I64(0).I32(0);
    const std::vector<std::uint8_t>& whole = test;
    for (std::size_t size = 0; size < whole.size(); ++size) {
        WriteBytes("testdb", {whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)});
        EXPECT_THROW(db.Load(u"testdb"), ArchiveError) << size;
    }
    WriteBytes("testdb", Bytes().Class("CPNQuestion").I32(2000));
    try {
        db.Load(u"testdb");
        ADD_FAILURE() << "no read error";
    } catch (const ArchiveError& error) {
        EXPECT_EQ(error.GetCause(), ArchiveError::Cause::BadClass);
    }
    WriteBytes("testdb", Bytes().U16(0));
    db.Load(u"testdb");
    EXPECT_TRUE(db.IsEmpty());

    // Bytes after the one test are not read.
    WriteBytes("testdb", Bytes(test).Raw({1, 2, 3}));
    db.Load(u"testdb");
    ASSERT_TRUE(db.First());
    EXPECT_EQ(db.Current()->GetLogin(), u"eva");
}

}  // namespace
}  // namespace orvane
