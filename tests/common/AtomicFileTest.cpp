#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <csignal>
#include <thread>

#include "common/AtomicFile.h"
#include "common/FileBytes.h"
#include "support/TempFolder.h"

namespace orvane {
namespace {

using test::Exists;
using test::ReadBytes;
using test::WriteBytes;

class AtomicFileTest : public test::InTempFolder {};

// Runs `write` while no file may grow beyond `limit` bytes, and answers what it answered.
template <class Write>
bool UnderFileSizeLimit(rlim_t limit, Write write) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    EXPECT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    rlimit small = old;
    small.rlim_cur = limit;
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = write();
    setrlimit(RLIMIT_FSIZE, &old);
    return written;
}

TEST_F(AtomicFileTest, ReplacesTheTargetAndLeavesNoTemporaryFile) {
    WriteBytes("target", {1, 2, 3, 4, 5, 6});
    ASSERT_TRUE(WriteFileAtomically("target", std::vector<std::uint8_t>{9}));
    EXPECT_EQ(ReadBytes("target"), std::vector<std::uint8_t>{9});
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"target"});
}

TEST_F(AtomicFileTest, TemporaryFileIsHiddenBesideTheTarget) {
    CAtomicFile file;
    ASSERT_TRUE(file.Open(folder.Path() + "/quesdb"));
    EXPECT_EQ(file.TemporaryPath().rfind(folder.Path() + "/.quesdb.", 0), 0u);
    EXPECT_TRUE(Exists(file.TemporaryPath()));
}

TEST_F(AtomicFileTest, DroppedOrAbortedWriterKeepsTheOldFile) {
    WriteBytes("target", {7, 7});
    {
        CAtomicFile file;
        ASSERT_TRUE(file.Open("target"));
        ASSERT_TRUE(file.Write("new", 3));
    }
    CAtomicFile aborted;
    ASSERT_TRUE(aborted.Open("target"));
    aborted.Abort();
    EXPECT_EQ(ReadBytes("target"), (std::vector<std::uint8_t>{7, 7}));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"target"});
}

TEST_F(AtomicFileTest, FailedWriteKeepsTheOldFileAndRemovesTheTemporaryFile) {
    WriteBytes("target", {1, 2, 3});
    EXPECT_FALSE(UnderFileSizeLimit(
        1000, [] { return WriteFileAtomically("target", std::vector<std::uint8_t>(5000, 0xAB)); }));
    EXPECT_EQ(ReadBytes("target"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"target"});
}

TEST_F(AtomicFileTest, PiecesGoInOrderAndAFailedLaterPieceKeepsTheOldFile) {
    const std::vector<std::uint8_t> a{1, 2}, none, b{3};
    const std::vector<std::span<const std::uint8_t>> pieces{a, none, b};
    ASSERT_TRUE(WriteFileAtomically("target", pieces));
    EXPECT_EQ(ReadBytes("target"), (std::vector<std::uint8_t>{1, 2, 3}));

    const std::vector<std::uint8_t> half(600, 0xAB);
    const std::vector<std::span<const std::uint8_t>> tooLong{half, half};
    EXPECT_FALSE(UnderFileSizeLimit(1000, [&] { return WriteFileAtomically("target", tooLong); }));
    EXPECT_EQ(ReadBytes("target"), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"target"});
}

TEST_F(AtomicFileTest, MissingFolderFailsCleanly) {
    EXPECT_FALSE(WriteFileAtomically("no/such/folder/target", std::vector<std::uint8_t>{1}));
    EXPECT_FALSE(ReadFileBytes("no/such/file").has_value());
    EXPECT_FALSE(ReadFileBytes(".").has_value());  // a folder is not a file
}

TEST_F(AtomicFileTest, ReaderOnAnotherThreadSeesOnlyWholeVersions) {
    const std::vector<std::uint8_t> small(100, 'a');
    const std::vector<std::uint8_t> large(200000, 'b');
    ASSERT_TRUE(WriteFileAtomically("target", small));
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        while (!done) {
            const auto bytes = ReadFileBytes("target");
            if (!bytes || (*bytes != small && *bytes != large)) {
                ++torn;
            }
        }
    });
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(WriteFileAtomically("target", i % 2 ? small : large));
    }
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0);
}

}  // namespace
}  // namespace orvane
