// SPDX-License-Identifier: GPL-3.0-or-later
// (A reader on another thread that sees only whole versions is tested with the user database,
// whose saves come here.)
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>

#include "common/AtomicFile.h"
#include "common/FileBytes.h"
#include "support/LoopbackClient.h"
#include "support/TempFolder.h"

namespace orvane::test {
namespace {

// Each case runs with an unnamed temporary file, and with a named one as on a file system
// without unnamed files (NFS).
class AtomicFileTest : public InTempFolder, public testing::WithParamInterface<bool> {
protected:
    AtomicFileTest() { AllowUnnamedTemporaryFiles(GetParam()); }
    ~AtomicFileTest() override { AllowUnnamedTemporaryFiles(true); }

    // `name` holds `bytes`, and no temporary file is left beside it.
    void ExpectOnly(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        EXPECT_EQ(ReadBytes(name), bytes);
        EXPECT_EQ(folder.Entries(), std::vector<std::string>{name});
    }
};
INSTANTIATE_TEST_SUITE_P(Temporary, AtomicFileTest, testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Unnamed" : "Named"; });

// The mode of the temporary file that this process is writing in the working folder.
mode_t TemporaryFileMode() {
    const std::string folder = std::filesystem::current_path().string() + "/";
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        const std::string target = std::filesystem::read_symlink(entry.path(), error).string();
        struct stat info {};
        if (target.starts_with(folder) && ::stat(entry.path().c_str(), &info) == 0 &&
            S_ISREG(info.st_mode)) {
            return info.st_mode & 07777;
        }
    }
    return 0;
}

// The name is the longest that a file system takes: the temporary file's name must fit too.
TEST_P(AtomicFileTest, AReplacedFileKeepsModeAndOwnerANewOneGetsTheModeAskedLessTheUmask) {
    const std::string name(255, 'n');
    struct Case {
        mode_t existing;  // 0: there is no file yet
        mode_t asked, umask, expected;
    };
    for (const Case& c :
         {Case{0600, kNewFileMode, 022, 0600}, Case{0640, kPrivateFileMode, 0, 0640},
          Case{0, kPrivateFileMode, 0, 0600}, Case{0, kNewFileMode, 027, 0640}}) {
        std::filesystem::remove(name);
        if (c.existing != 0) {
            WriteBytes(name, {1});
            ASSERT_EQ(::chmod(name.c_str(), c.existing), 0);
            EXPECT_EQ(::chown(name.c_str(), 65534, 65534) == 0, ::getuid() == 0);
        }
        const mode_t umask = ::umask(c.umask);
        CAtomicFile file;
        ASSERT_TRUE(file.Open(folder.Path() + "/" + name, c.asked) && file.Write("\x09", 1));
        // Private while written over an existing file, whatever mode that file has.
        EXPECT_EQ(TemporaryFileMode(), c.existing != 0 ? 0600 : c.expected);
        EXPECT_TRUE(file.Commit());
        ::umask(umask);
        struct stat info {};
        ASSERT_EQ(::stat(name.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, c.expected) << std::oct << c.existing << ' ' << c.asked;
        EXPECT_EQ(info.st_uid, c.existing != 0 && ::getuid() == 0 ? 65534 : ::getuid());
        EXPECT_EQ(info.st_gid, c.existing != 0 && ::getuid() == 0 ? 65534 : ::getgid());
        ExpectOnly(name, {9});
    }
}

TEST_P(AtomicFileTest, PiecesGoInOrderAndOnlyACommitReplacesTheOldFile) {
    const std::vector<std::uint8_t> a{1, 2}, none, b{3}, half(600, 0xAB), whole(5000, 0xAB);
    ASSERT_TRUE(
        WriteFileAtomically("target", std::vector<std::span<const std::uint8_t>>{a, none, b})
            .IsOk());
    ExpectOnly("target", {1, 2, 3});
    {
        CAtomicFile dropped;  // dropped before its commit, like one aborted
        ASSERT_TRUE(dropped.Open(folder.Path() + "/target"));
        ASSERT_TRUE(dropped.Write("new", 3));
        EXPECT_EQ(dropped.TemporaryPath().rfind(folder.Path() + "/.", 0),
                  GetParam() ? std::string::npos : 0u);
        EXPECT_EQ(Exists(dropped.TemporaryPath()), !GetParam());
    }
    UnderFileSizeLimit(1000, [&] {
        EXPECT_EQ(WriteFileAtomically("target", whole).Error(), EFBIG);
        EXPECT_EQ(
            WriteFileAtomically("target", std::vector<std::span<const std::uint8_t>>{half, half})
                .Error(),
            EFBIG);
    });
    ExpectOnly("target", {1, 2, 3});
    EXPECT_EQ(WriteFileAtomically("no/such/folder/target", a).GetKind(),
              CFileResult::Kind::Unwritable);
    std::filesystem::create_directories("folder/inside");  // the rename fails at the end
    EXPECT_EQ(WriteFileAtomically("folder", a).Error(), EISDIR);
    EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"folder", "target"}));
    std::filesystem::remove_all("folder");
    std::vector<std::uint8_t> read{1};
    EXPECT_TRUE(ReadFileBytes("no/such/file", read).IsMissing());
    EXPECT_EQ(ReadFileBytes(".", read).Error(), EISDIR);  // a folder is not a file
    EXPECT_TRUE(read.empty());
}

// A process that writes through a named temporary file and then waits to be killed, or ends
// without removing it as a killed one does. Nothing in the file's name tells its writer, as for
// a writer on another host or in another PID namespace.
pid_t WriterProcess(bool waits) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        AllowUnnamedTemporaryFiles(false);
        CAtomicFile file;
        file.Open("target");
        while (waits) {
            ::pause();
        }
        ::_exit(0);
    }
    return pid;
}

using StaleTemporaryFilesTest = InTempFolder;

TEST_F(StaleTemporaryFilesTest, OnlyAgedOnesThatNoWriterHoldsAreRemoved) {
    ::waitpid(WriterProcess(false), nullptr, 0);
    const std::string left = folder.Entries().at(0);
    const pid_t writer = WriterProcess(true);
    ASSERT_TRUE(WaitUntil([&] { return folder.Entries().size() == 2; }, std::chrono::seconds(5)));
    const std::string held = folder.Entries().at(folder.Entries().at(0) == left ? 1 : 0);
    WriteBytes(".hidden", {1});
    RemoveStaleTemporaryFiles(folder.Path());
    EXPECT_EQ(folder.Entries().size(), 3u) << "young files stay";
    for (const std::string& name : {held, left, std::string(".hidden")}) {
        const auto now = std::filesystem::file_time_type::clock::now();
        std::filesystem::last_write_time(name, now - std::chrono::hours(1));
    }
    RemoveStaleTemporaryFiles(folder.Path());
    EXPECT_TRUE(Exists(held) && !Exists(left) && Exists(".hidden"));
    ::kill(writer, SIGKILL);
    ::waitpid(writer, nullptr, 0);
    RemoveStaleTemporaryFiles(folder.Path());
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{".hidden"});
}

}  // namespace
}  // namespace orvane::test
