// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Download.h"

#include <pthread.h>
#include <signal.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <new>
#include <utility>

#include "archive/Archive.h"
#include "common/ExamFolders.h"
#include "common/FileBytes.h"
#include "common/Interrupted.h"
#include "common/TextCodec.h"
#include "exam/PNTest.h"
#include "exam/WithoutKeys.h"
#include "server/Connection.h"
#include "server/NewestKeptTests.h"
#include "server/ServedNames.h"
#include "server/ServerLog.h"

namespace orvane {
namespace {

constexpr std::size_t kDownloadBlock = 1024;
// The most that the kernel moves in one sendfile call.
constexpr std::uint64_t kLargestSendfile = 0x7FFFF000;
// A test file begins with the class record of its test.
constexpr std::array<std::uint8_t, 13> kTestRecord = {0xFF, 0xFF, 0x01, 0x00, 0x07, 0x00, 'C',
                                                      'P',  'N',  'T',  'e',  's',  't'};

// Reads until the block is full or the file ends; -1 on a read error.
long ReadBlock(int fd, char* block, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got =
            RetryInterrupted([&] { return ::read(fd, block + filled, size - filled); });
        if (got < 0) {
            return -1;
        }
        if (got == 0) {
            break;
        }
        filled += static_cast<std::size_t>(got);
    }
    return static_cast<long>(filled);
}

enum class SendResult { Sent, Failed, Unsupported };

// sendfile cannot be told MSG_NOSIGNAL: while it runs, SIGPIPE is held back on this thread,
// and one that a client who has gone raised is taken back, so it cannot end the process.
class SigpipeHeldBack {
public:
    SigpipeHeldBack() {
        sigemptyset(&pipe);
        sigaddset(&pipe, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe, &previous);
    }
    ~SigpipeHeldBack() {
        const timespec noWait{};
        while (sigtimedwait(&pipe, nullptr, &noWait) == SIGPIPE) {
        }
        pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    }
    SigpipeHeldBack(const SigpipeHeldBack&) = delete;
    SigpipeHeldBack& operator=(const SigpipeHeldBack&) = delete;

private:
    sigset_t pipe;
    sigset_t previous;
};

bool IsSigpipeIgnored() {
    struct sigaction current {};
    return ::sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

// Asks the kernel for the whole file at once: a socket that takes it all needs one call.
SendResult SendWhole(int socket, int fd, std::uint64_t size, std::uint64_t& sent) {
    for (bool first = true; sent < size; first = false) {
        const ssize_t moved = RetryInterrupted([&] {
            return ::sendfile(socket, fd, nullptr, std::min(size - sent, kLargestSendfile));
        });
        if (moved < 0 && first && (errno == EINVAL || errno == ENOSYS)) {
            return SendResult::Unsupported;
        }
        if (moved <= 0) {
            return moved == 0 ? SendResult::Sent : SendResult::Failed;  // 0: it shrank
        }
        sent += static_cast<std::uint64_t>(moved);
    }
    return SendResult::Sent;
}

// The file as its size was when it was opened; a program that ignores SIGPIPE (as Orvane's
// do) needs nothing held back.
SendResult SendWithSendfile(int socket, int fd, std::uint64_t size, std::uint64_t& sent) {
    if (IsSigpipeIgnored()) {
        return SendWhole(socket, fd, size, sent);
    }
    const SigpipeHeldBack heldBack;
    return SendWhole(socket, fd, size, sent);
}

// Sends the file in blocks of 1024 bytes as read; false when it cannot be read to its end or
// the client cannot take it.
bool SendInBlocks(int socket, int fd, std::uint64_t& sent) {
    CConnection connection(socket);
    std::array<char, kDownloadBlock> block;
    for (;;) {
        const long got = ReadBlock(fd, block.data(), block.size());
        if (got < 0 || !connection.Send(block.data(), static_cast<std::size_t>(got))) {
            return false;
        }
        sent += static_cast<std::uint64_t>(got);
        if (static_cast<std::size_t>(got) < block.size()) {
            return true;  // the first short block, possibly empty, is the last
        }
    }
}

bool BeginsAsTest(int fd) {
    std::array<std::uint8_t, kTestRecord.size()> head{};
    return ::pread(fd, head.data(), head.size(), 0) == static_cast<ssize_t>(head.size()) &&
           head == kTestRecord;
}

// The same test with its questions in the opposite order. Loading a test put each question at
// the front; turned around, it stores its questions in the order of the file it came from, and
// the student sees them in the order the file gave.
std::shared_ptr<CPNTest> TurnedAround(const CPNTest& test) {
    auto turned = std::make_shared<CPNTest>();
    turned->SetId(test.GetId());
    turned->SetLogin(test.GetLogin());
    turned->SetToBeWorkedOut(test.GetToBeWorkedOut());
    turned->SetTimeLimit(test.GetTimeLimit());
    for (const auto& question : test.Questions()) {
        turned->AddQuestion(question);
    }
    return turned;
}

}  // namespace

CDownload::CDownload(std::u16string_view name) : fixedName(name) {
    if (Open(ToUtf8(name))) {
        fixedName = FixedNameOf(name, info);
    }
}

CDownload::~CDownload() {
    if (fd >= 0) {
        ::close(fd);
    }
}

// Folders, named pipes and links are never opened: a named pipe cannot hold the session, and
// a link left in the folder never hands out what it points to.
bool CDownload::Open(const std::string& file) {
    if (fd >= 0) {
        ::close(fd);
    }
    const CFileResult opened = OpenFileWithoutLinks(file, fd, &info);
    path = file;
    failure = opened.IsOk() ? std::string() : opened.Reason();
    return opened.IsOk();
}

bool CDownload::UseKeptTestOf(const std::u16string& login) {
    const std::string folder = KeptTestsFolderOf(login);
    if (std::string cause = OtherLoginsFolder(kKeptTestsFolder, folder); !cause.empty()) {
        failure = std::move(cause);
        ::close(fd);
        fd = -1;
        return false;
    }
    const std::string newest = CNewestKeptTests::Shared().NewestIn(folder);
    if (newest.empty()) {
        return true;  // the shared "testdb"
    }
    keptFor = login;
    return Open(folder + "/" + newest);
}

bool CDownload::RemoveKeys() {
    if (!BeginsAsTest(fd)) {
        return true;
    }
    std::vector<std::uint8_t> bytes;
    const CFileResult read = ReadDescriptorBytes(fd, bytes, static_cast<std::size_t>(info.st_size));
    try {
        CArchive archive(bytes);
        const auto test = read.IsOk() ? archive.ReadObjectOf<CPNTest>() : nullptr;
        if (test == nullptr) {
            failure = read.IsOk() ? "it holds no test" : read.Reason();
            return false;
        }
        if (!keptFor.empty() && test->GetLogin() != keptFor) {
            failure = "it is the test of the login " + LogText(test->GetLogin());
            return false;
        }
        CArchive stored;
        stored.WriteObject(WithoutKeys(*TurnedAround(*test)).get());
        content = stored.TakeData();
    } catch (const ArchiveError& error) {
        failure = std::string("it does not decode as a test: ") + error.what();
        return false;
    } catch (const std::bad_alloc&) {
        failure = "it is too large to be decoded";
        return false;
    }
    keysRemoved = true;
    return true;
}

SentFile CDownload::Send(int socket) {
    SentFile sent;
    if (keysRemoved) {
        sent.whole = CConnection(socket).Send(content.data(), content.size());
        sent.bytes = sent.whole ? content.size() : 0;
    } else {
        // The kernel moves the file to the socket without a copy through the session; where
        // it cannot (an end that takes no sendfile), the file goes in blocks as read.
        const SendResult result =
            SendWithSendfile(socket, fd, static_cast<std::uint64_t>(info.st_size), sent.bytes);
        sent.whole = result == SendResult::Unsupported ? SendInBlocks(socket, fd, sent.bytes)
                                                       : result == SendResult::Sent;
    }
    if (!sent.whole) {
        // Without its end marker the client cannot take half a file for the whole; the
        // session sees the connection ended at its next receive.
        CConnection(socket).Shutdown();
    }
    return sent;
}

std::string CDownload::Source() const {
    if (!keptFor.empty()) {
        return "the kept test " + LogText(FromUtf8(path));
    }
    return fixedName == kTestDBName ? "the shared \"testdb\"" : "";
}

}  // namespace orvane
