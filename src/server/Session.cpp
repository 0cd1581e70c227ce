#include "server/Session.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

#include "common/AtomicFile.h"
#include "common/ConsoleLine.h"
#include "common/ExamFolders.h"
#include "common/FileBytes.h"
#include "common/TextCodec.h"
#include "server/KeptSubmission.h"
#include "server/LoginThrottle.h"
#include "server/OperatorMessages.h"
#include "server/PersonalTest.h"
#include "server/ServerLog.h"
#include "server/SessionList.h"
#include "server/UploadScanner.h"
#include "server/UserDBCache.h"

namespace orvane {
namespace {

constexpr std::size_t kCommandBuffer = 512;
constexpr std::size_t kGoAheadBuffer = 32;
constexpr std::size_t kDownloadBlock = 1024;
// Uploads are received in large blocks: the markers are found in the stream whatever the
// size of each receive.
constexpr std::size_t kUploadBuffer = 256 * 1024;
// The most that one sendfile call of a download is asked to move.
constexpr std::size_t kSendfileChunk = 4 * 1024 * 1024;
constexpr std::chrono::milliseconds kGoAheadPause{10};

constexpr std::array<std::u16string_view, 3> kTeacherOnlyDownloads = {u"userdb", u"testdb_bla",
                                                                      u"quesdb"};
constexpr std::array<std::u16string_view, 3> kTeacherOnlyUploads = {u"userdb", u"testdb",
                                                                    u"quesdb"};

constexpr std::string_view kServerReady = "#Server Ready.\r\n";
constexpr std::string_view kLoggedIn = "#You are logged in!!!\r\n";
constexpr std::string_view kAuthRefused = "!Wrong user / pass!!!\r\n";
constexpr std::string_view kNoDatabase = "!Databaza neexistuje!\r\n";
constexpr std::string_view kNotLoggedIn = "!Wrong user / pass.\r\n";
constexpr std::string_view kCannotDownload = "!You cannot download the file.\r\n";
constexpr std::string_view kFileMissing = "!File does not exist.\r\n";
constexpr std::string_view kAllowedToDownload = "#You are allowed to download.\r\n";
constexpr std::string_view kFileSent = "#File sent successfully.\r\n";
constexpr std::string_view kCouldntOpen = "!File couldnt be opened.\r\n";
constexpr std::string_view kCannotModify = "!You do not have the rights to modify the file.\r\n";
constexpr std::string_view kAllowedToModify = "#You are allowed to modify the file.\r\n";

constexpr std::string_view kSocketErrorMessage = "socket error socket error socket error";
constexpr std::string_view kAbortedMessage = "File not found on server!";
constexpr std::string_view kSavedMessage = "File has been saved";

using Level = CServerLog::Level;

// Only a plain name of a file in the working folder is served: no path, and no name that
// begins with "." (which also keeps the temporary files of uploads out of reach). Control
// characters are refused too, since the file system would cut the name at a zero.
bool IsServedName(std::u16string_view name) {
    return !name.empty() && name.front() != u'.' &&
           std::none_of(name.begin(), name.end(), [](char16_t c) {
               return c == u'/' || c == u'\\' || c < 0x20 || c == 0x7F;
           });
}

bool IsOneOf(std::u16string_view name, std::span<const std::u16string_view> names) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// Clients send UTF-8 or, from Slovak Windows, Windows-1250; a zero byte ends the line as it
// ends any 8-bit text.
std::u16string DecodeCommandLine(std::string_view received) {
    received = received.substr(0, received.find('\0'));
    return IsValidUtf8(received) ? FromUtf8(received) : FromWindows1250(received);
}

std::u16string Trim(const std::u16string& text) {
    constexpr std::u16string_view kWhiteSpace = u" \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(kWhiteSpace);
    if (first == std::u16string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(kWhiteSpace) - first + 1);
}

std::u16string ToUpper(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return text;
}

// Opens a regular file for reading; -1 for anything else, so that a folder is not a file and
// a named pipe cannot hold the session.
int OpenRegularFile(const std::string& fileName) {
    int fd = -1;
    OpenFileForReading(fileName, fd);
    return fd;
}

bool IsFolderOrSpecial(const std::string& fileName) {
    struct stat info {};
    return ::stat(fileName.c_str(), &info) == 0 && !S_ISREG(info.st_mode);
}

// Reads until the block is full or the file ends; -1 on a read error.
long ReadBlock(int fd, char* block, std::size_t size) {
    std::size_t filled = 0;
    while (filled < size) {
        const ssize_t got = ::read(fd, block + filled, size - filled);
        if (got < 0 && errno == EINTR) {
            continue;
        }
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

SendResult SendWithSendfile(int socket, int fd, std::uint64_t& sent) {
    const SigpipeHeldBack heldBack;
    for (bool first = true;; first = false) {
        const ssize_t moved = ::sendfile(socket, fd, nullptr, kSendfileChunk);
        if (moved < 0 && errno == EINTR) {
            continue;
        }
        if (moved < 0 && first && (errno == EINVAL || errno == ENOSYS)) {
            return SendResult::Unsupported;
        }
        if (moved < 0) {
            return SendResult::Failed;
        }
        if (moved == 0) {
            return SendResult::Sent;  // the end of the file
        }
        sent += static_cast<std::uint64_t>(moved);
    }
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

// A reply as the log quotes it: without its line end.
std::string Quoted(std::string_view reply) {
    return "\"" + std::string(reply.substr(0, reply.find('\r'))) + "\"";
}

}  // namespace

// Password guessing comes over the network; a socket pair is this process talking to itself.
CSession::CSession(int socket)
    : connection(socket),
      peer(connection.PeerName()),
      throttle(connection.HasNetworkPeer() ? &CLoginThrottle::Shared() : nullptr) {}

void CSession::Run() {
    WriteServerLog(Level::Info, "session started: peer " + peer);
    Serve();
    WriteServerLog(Level::Info, "session ended: " + Who());
}

void CSession::Serve() {
    connection.Send(kServerReady);
    std::array<char, kCommandBuffer> buff;
    for (;;) {
        const long got = connection.Receive(buff.data(), buff.size());
        if (got <= 0) {
            return;  // a failed receive, or the client has closed the connection
        }
        // One receive is one command line: nothing is assembled across receives.
        if (ParseCommand(std::string_view(buff.data(), static_cast<std::size_t>(got)), cmd, meno,
                         heslo, file) &&
            Dispatch() == Step::End) {
            return;
        }
    }
}

CSession::Step CSession::Dispatch() {
    if (cmd == u"QUIT") {
        return Step::End;
    }
    if (cmd == u"AUTH") {
        return Auth();
    }
    if (cmd == u"FILE") {
        return Download();
    }
    return Upload();  // SAVE, the only other word ParseCommand accepts
}

CSession::Step CSession::Auth() {
    const std::string who = "login " + LogText(meno) + ", peer " + peer;
    // A login being guessed waits for its turn before its password is checked; when the turns
    // are taken for longer than the throttle allows, it is refused unchecked.
    if (throttle != nullptr) {
        const auto turn = throttle->TurnOf(meno);
        if (!turn) {
            WriteServerLog(Level::Warning, "AUTH refused unchecked, too many attempts: " + who);
            connection.Send(kAuthRefused);
            return Step::Continue;
        }
        if (!connection.WaitWhileUp(*turn)) {
            return Step::End;
        }
    }
    const auto accounts = CUserDBCache::Shared().Current();
    if (accounts->state != CUserDBCache::State::Loaded) {
        WriteServerLog(Level::Error, "AUTH answered " + Quoted(kNoDatabase) + ": " + who);
        connection.Send(kNoDatabase);
        return Step::Continue;
    }
    // A refused login leaves an earlier accepted one in force.
    if (accounts->Accepts(meno, heslo)) {
        loggedIn = true;
        account = meno;
        accountIsTeacher = accounts->IsTeacher(meno, heslo);
        if (throttle != nullptr) {
            throttle->Accepted(meno);
        }
        WriteServerLog(Level::Info, "AUTH accepted: " + who);
        connection.Send(kLoggedIn);
    } else {
        if (throttle != nullptr) {
            throttle->Refused(meno);
        }
        WriteServerLog(Level::Warning, "AUTH refused: " + who);
        connection.Send(kAuthRefused);
    }
    return Step::Continue;
}

std::string_view CSession::Refusal(std::span<const std::u16string_view> teacherOnly,
                                   std::string_view refusal) {
    if (!IsServedName(file)) {
        return refusal;
    }
    if (!IsOneOf(file, teacherOnly)) {
        return {};
    }
    const auto accounts = CUserDBCache::Shared().Current();
    if (accounts->state != CUserDBCache::State::Loaded) {
        return kNoDatabase;
    }
    return accounts->IsTeacher(meno, heslo) ? std::string_view() : refusal;
}

void CSession::Refuse(std::string_view command, std::string_view reply) {
    WriteServerLog(reply == kNoDatabase ? Level::Error : Level::Warning,
                   std::string(command) + " refused " + Quoted(reply) + ": file " + LogText(file) +
                       ", " + Who());
    connection.Send(reply);
}

CSession::Step CSession::Download() {
    if (!loggedIn) {
        Refuse("FILE", kNotLoggedIn);
        return Step::Continue;
    }
    if (const std::string_view refusal = Refusal(kTeacherOnlyDownloads, kCannotDownload);
        !refusal.empty()) {
        Refuse("FILE", refusal);
        return Step::Continue;
    }
    const std::string path = DownloadPath();
    if (!FileExists(path)) {
        Refuse("FILE", kFileMissing);
        return Step::Continue;
    }
    connection.Send(kAllowedToDownload);
    if (!WaitForGoAhead()) {
        WriteServerLog(Level::Warning, "FILE cut off: " + AboutFile("before the go-ahead"));
        return Step::End;
    }
    const SentFile sent = SendWholeFile(connection.Socket(), path);
    if (!sent.opened) {
        Refuse("FILE", kCouldntOpen);
        return Step::Continue;
    }
    WriteServerLog(sent.whole ? Level::Info : Level::Warning,
                   (sent.whole ? "FILE completed: " : "FILE cut off: ") +
                       AboutFile(std::to_string(sent.bytes) + " bytes sent"));
    connection.Send(kFileSent);
    return Step::Continue;
}

std::string CSession::DownloadPath() const {
    return PathToSend(file, account, accountIsTeacher);
}

bool CSession::WaitForGoAhead() {
    std::array<char, kGoAheadBuffer> reply;
    for (;;) {
        const long got = connection.Receive(reply.data(), reply.size());
        if (got <= 0) {
            return false;
        }
        if (reply[0] == '#') {
            return true;
        }
        std::this_thread::sleep_for(kGoAheadPause);
    }
}

CSession::Step CSession::Upload() {
    if (!loggedIn) {
        // Without a reply: the client sees the connection close.
        WriteServerLog(Level::Warning,
                       "SAVE refused, not logged in: file " + LogText(file) + ", " + Who());
        return Step::End;
    }
    if (const std::string_view refusal = Refusal(kTeacherOnlyUploads, kCannotModify);
        !refusal.empty()) {
        Refuse("SAVE", refusal);
        return Step::Continue;
    }
    // The upload goes to a temporary file that replaces the target only once it is whole. The
    // names of the folders of kept tests and submissions are never taken by a file, even
    // before the folders exist, or nothing could be kept in them.
    const std::string path = ToUtf8(file);
    CAtomicFile target;
    if (IsFolderOrSpecial(path) || path == kKeptTestsFolder || path == kSubmissionsFolder ||
        !target.Open(path)) {
        Refuse("SAVE", kCouldntOpen);
        return Step::Continue;
    }
    connection.Send(kAllowedToModify);
    ReportUpload(ReceiveUpload(target), path);
    return Step::End;
}

// The file is closed and in place before the operator sees the message; the log has the
// message first, then its context.
void CSession::ReportUpload(const Received& received, const std::string& path) {
    const std::string bytes = std::to_string(received.bytes) + " bytes";
    switch (received.end) {
        case UploadEnd::Saved:
            UploadCompleted(received);
            break;
        case UploadEnd::Aborted:
            WriteServerLog(Level::Warning, std::string(kAbortedMessage) + ": " +
                                               AboutFile("given up by the client after " + bytes +
                                                         ", old file kept"));
            ShowOperatorMessage(std::string(kAbortedMessage));
            break;
        case UploadEnd::CutOff:
            WriteServerLog(Level::Warning,
                           std::string(kSocketErrorMessage) + ": " +
                               AboutFile("cut off after " + bytes + ", old file kept"));
            ShowOperatorMessage(std::string(kSocketErrorMessage));
            break;
        case UploadEnd::NotWritten:
            PrintConsoleLine(kCannotWriteToFile, path);
            // strerror is not safe beside other sessions; the category's message is.
            WriteServerLog(Level::Error, "SAVE not written (" +
                                             std::generic_category().message(received.error) +
                                             "): " + AboutFile(bytes + " received, old file kept"));
            break;
    }
}

void CSession::UploadCompleted(const Received& received) {
    WriteServerLog(Level::Info, std::string(kSavedMessage) + ": " +
                                    AboutFile(std::to_string(received.bytes) + " bytes stored"));
    if (!received.kept.empty()) {
        WriteServerLog(Level::Info, "submission kept: " +
                                        AboutFile(std::to_string(received.bytes) + " bytes as " +
                                                  LogText(FromUtf8(received.kept))));
    }
    ShowOperatorMessage(std::string(kSavedMessage));
}

CSession::Received CSession::ReceiveUpload(CAtomicFile& target) {
    CUploadScanner scanner;
    // The bytes that the scanner holds back stay at the front of the buffer, and the next
    // receive lands right after them.
    std::vector<std::uint8_t> buffer(CUploadScanner::kMostHeld + kUploadBuffer);
    std::size_t held = 0;
    Received received;
    for (;;) {
        const long got = connection.Receive(buffer.data() + held, kUploadBuffer);
        if (got <= 0) {
            target.Abort();
            received.end = UploadEnd::CutOff;
            return received;
        }
        const std::size_t pending = held + static_cast<std::size_t>(got);
        const auto [outcome, content] = scanner.Feed(std::span(buffer.data(), pending));
        if (!target.Write(buffer.data(), content)) {
            received.error = errno;
            received.end = UploadEnd::NotWritten;
            return received;
        }
        received.bytes += content;
        if (outcome == CUploadScanner::Outcome::Aborted) {
            target.Abort();
            received.end = UploadEnd::Aborted;
            return received;
        }
        if (outcome == CUploadScanner::Outcome::Ended) {
            CKeptSubmission kept(account, file, target);
            const bool committed = target.Commit();
            received.error = errno;
            received.end = committed ? UploadEnd::Saved : UploadEnd::NotWritten;
            if (committed) {
                received.kept = kept.Confirm();
            }
            return received;
        }
        held = pending - content;
        std::memmove(buffer.data(), buffer.data() + content, held);
    }
}

std::string CSession::Who() const {
    return (loggedIn ? "login " + LogText(account) + ", " : std::string()) + "peer " + peer;
}

std::string CSession::AboutFile(const std::string& details) const {
    return "file " + LogText(file) + ", " + details + ", " + Who();
}

int ClientThread(int socket) {
    try {
        CSession(socket).Run();
    } catch (const std::exception&) {
        // An unexpected error (memory exhausted) ends this session only.
    }
    CSessionList::Running().Remove(socket);
    ::close(socket);
    return 0;
}

bool ParseCommand(std::string_view received, std::u16string& cmd, std::u16string& meno,
                  std::u16string& heslo, std::u16string& file) {
    const std::u16string text = Trim(DecodeCommandLine(received));
    std::vector<std::size_t> spaces;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == u' ') {
            spaces.push_back(i);
        }
    }
    if (spaces.empty()) {
        if (ToUpper(text) != u"QUIT") {
            return false;
        }
        cmd = u"QUIT";
        return true;
    }
    if (spaces.size() == 2) {
        cmd = text.substr(0, spaces[0]);
        meno = text.substr(spaces[0] + 1, spaces[1] - spaces[0] - 1);
        heslo = text.substr(spaces[1] + 1);
    } else if (spaces.size() == 1) {
        cmd = text.substr(0, spaces[0]);
        file = text.substr(spaces[0] + 1);
    } else {
        return false;  // three or more spaces: no meaning, nothing changes
    }
    cmd = ToUpper(cmd);
    return cmd == u"AUTH" || cmd == u"FILE" || cmd == u"SAVE";
}

bool FileExists(const std::string& fileName) {
    const int fd = OpenRegularFile(fileName);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

SentFile SendWholeFile(int socket, const std::string& fileName) {
    SentFile sent;
    const int fd = OpenRegularFile(fileName);
    if (fd < 0) {
        return sent;
    }
    sent.opened = true;
    // The kernel moves the file to the socket without a copy through the session; where it
    // cannot (an end that takes no sendfile), the file goes in blocks as read.
    const SendResult result = SendWithSendfile(socket, fd, sent.bytes);
    sent.whole = result == SendResult::Unsupported ? SendInBlocks(socket, fd, sent.bytes)
                                                   : result == SendResult::Sent;
    if (!sent.whole) {
        // Without its end marker the client cannot take half a file for the whole; the
        // session sees the connection ended at its next receive.
        CConnection(socket).Shutdown();
    }
    ::close(fd);
    return sent;
}

bool SendFile(int socket, const std::string& fileName) {
    return SendWholeFile(socket, fileName).opened;
}

}  // namespace orvane
