// (A reader on another thread that sees only whole versions is tested with the user database,
// whose saves come here.)
#include <gtest/gtest.h>

#include <cerrno>

#include "common/AtomicFile.h"
#include "common/FileBytes.h"
#include "support/TempFolder.h"

namespace orvane::test {
namespace {

class AtomicFileTest : public InTempFolder {
protected:
    // "target" holds `bytes`, and no temporary file is left beside it.
    void ExpectOnlyTarget(const std::vector<std::uint8_t>& bytes) {
        EXPECT_EQ(ReadBytes("target"), bytes);
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{"target"});
    }
};

TEST_F(AtomicFileTest, OnlyACommitReplacesTheTargetThroughAHiddenFileBesideIt) {
    WriteBytes("target", {7, 7});
    {
        CAtomicFile dropped;
        ASSERT_TRUE(dropped.Open(folder.Path() + "/target"));
        EXPECT_EQ(dropped.TemporaryPath().rfind(folder.Path() + "/.target.", 0), 0u);
        EXPECT_TRUE(Exists(dropped.TemporaryPath()));
        ASSERT_TRUE(dropped.Write("new", 3));
    }
    CAtomicFile aborted;
    ASSERT_TRUE(aborted.Open("target"));
    aborted.Abort();
    ExpectOnlyTarget({7, 7});
    ASSERT_TRUE(WriteFileAtomically("target", std::vector<std::uint8_t>{9}).IsOk());
    ExpectOnlyTarget({9});
}

TEST_F(AtomicFileTest, PiecesGoInOrderAndAFailedWriteKeepsTheOldFile) {
    const std::vector<std::uint8_t> a{1, 2}, none, b{3}, half(600, 0xAB), whole(5000, 0xAB);
    ASSERT_TRUE(
        WriteFileAtomically("target", std::vector<std::span<const std::uint8_t>>{a, none, b})
            .IsOk());
    ExpectOnlyTarget({1, 2, 3});
    UnderFileSizeLimit(1000, [&] {
        EXPECT_EQ(WriteFileAtomically("target", whole).Error(), EFBIG);
        EXPECT_EQ(
            WriteFileAtomically("target", std::vector<std::span<const std::uint8_t>>{half, half})
                .Error(),
            EFBIG);
    });
    ExpectOnlyTarget({1, 2, 3});
    EXPECT_EQ(WriteFileAtomically("no/such/folder/target", a).GetKind(),
              CFileResult::Kind::Unwritable);
    std::vector<std::uint8_t> read{1};
    EXPECT_TRUE(ReadFileBytes("no/such/file", read).IsMissing());
    EXPECT_EQ(ReadFileBytes(".", read).Error(), EISDIR);  // a folder is not a file
    EXPECT_TRUE(read.empty());
}

}  // namespace
}  // namespace orvane::test
