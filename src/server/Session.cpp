// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/Session.h"

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
#include "common/TextCodec.h"
#include "common/TextSets.h"
#include "server/Download.h"
#include "server/KeptSubmission.h"
#include "server/OperatorMessages.h"
#include "server/PasswordLimits.h"
#include "server/RefusalLines.h"
#include "server/ServedNames.h"
#include "server/ServerLog.h"
#include "server/SessionList.h"
#include "server/UploadRoom.h"
#include "server/UploadScanner.h"
#include "server/UserDBCache.h"

namespace orvane {
namespace {

constexpr std::size_t kCommandBuffer = 512;
constexpr std::size_t kGoAheadBuffer = 32;
// Uploads are received in large blocks: the markers are found in the stream whatever the
// size of each receive.
constexpr std::size_t kUploadBuffer = 256 * 1024;
constexpr std::chrono::milliseconds kGoAheadPause{10};

constexpr std::array<std::u16string_view, 3> kTeacherOnlyDownloads = {
    kUserDBName, kWorkedTestDBName, kQuestionDBName};
constexpr std::array<std::u16string_view, 3> kTeacherOnlyUploads = {kUserDBName, kTestDBName,
                                                                    kQuestionDBName};

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

// Clients send UTF-8 or, from Slovak Windows, Windows-1250; a zero byte ends the line as it
// ends any 8-bit text.
std::u16string DecodeCommandLine(std::string_view received) {
    received = received.substr(0, received.find('\0'));
    return IsValidUtf8(received) ? FromUtf8(received) : FromWindows1250(received);
}

// White space around a command line: what clients add at its end, and what a hand-typed
// line may start with.
constexpr std::u16string_view kCommandSpaces = u" \t\r\n\v\f";

std::u16string ToUpper(std::u16string text) {
    for (char16_t& c : text) {
        if (c >= u'a' && c <= u'z') {
            c = static_cast<char16_t>(c - u'a' + u'A');
        }
    }
    return text;
}

// A reply as the log quotes it: without its line end.
std::string Quoted(std::string_view reply) {
    return "\"" + std::string(reply.substr(0, reply.find('\r'))) + "\"";
}

}  // namespace

// Password guessing comes over the network; a socket pair is this process talking to itself.
CSession::CSession(int socket, const ServerOptions& serverOptions)
    : connection(socket),
      peerInfo(connection.GetPeer()),
      options(serverOptions),
      limits(peerInfo.network ? &CPasswordLimits::Shared() : nullptr),
      loginDeadline(std::chrono::steady_clock::now() + serverOptions.loginDeadline) {}

void CSession::Run() {
    WriteServerLog(Level::Info, "session started: peer " + peer);
    Serve();
    WriteServerLog(Level::Info, "session ended: " + Who());
}

void CSession::Serve() {
    connection.Send(kServerReady);
    std::array<char, kCommandBuffer> buff;
    for (;;) {
        if (!loggedIn && !connection.WaitForData(loginDeadline)) {
            WriteServerLog(Level::Warning, "session closed, no login within " +
                                               std::to_string(options.loginDeadline.count()) +
                                               " s: peer " + peer);
            return;
        }
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
        if (limits != nullptr && refusals >= options.maxRefusals) {
            WriteServerLog(Level::Warning, "session closed after " + std::to_string(refusals) +
                                               " refused passwords: " + Who());
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
    switch (CheckPassword(meno, heslo)) {
        case Verdict::Gone:
            return Step::End;
        case Verdict::NoDatabase:
            WriteServerLog(Level::Error, "AUTH answered " + Quoted(kNoDatabase) + " (" +
                                             CUserDBCache::Shared().Current()->Cause() +
                                             "): " + who);
            connection.Send(kNoDatabase);
            return Step::Continue;
        case Verdict::Refused:
            connection.Send(kAuthRefused);  // a refused login leaves an earlier one in force
            return Step::Continue;
        case Verdict::Accepted:
            break;
    }
    if (!CSessionList::Running().LogIn(connection.Socket(), meno, options.maxPerLogin)) {
        WriteServerLog(Level::Warning, "login refused, " + std::to_string(options.maxPerLogin) +
                                           " sessions of the login at once already: " + who);
        connection.Send(kAuthRefused);
        return Step::Continue;
    }
    loggedIn = true;
    account = meno;
    accountPassword = heslo;
    WriteServerLog(Level::Info, "AUTH accepted: " + who);
    connection.Send(kLoggedIn);
    return Step::Continue;
}

CSession::Verdict CSession::CheckPassword(const std::u16string& login,
                                          const std::u16string& password,
                                          const std::string& purpose) {
    const std::string who = ": login " + LogText(login) + ", peer " + peer;
    const std::string about = purpose.empty() ? std::string() : " (" + purpose + ")";
    bool refused = false;
    if (limits != nullptr) {
        // A login or an address being guessed waits for its turn before its password is
        // checked; one whose turn lies too far away is refused unchecked.
        const auto turn = limits->TurnOf(login, address);
        if (!turn) {
            CRefusalLines::Shared().Write("AUTH refused unchecked, guessed too often" + about,
                                          login, address, who);
            refused = true;
        } else if (!WaitUntil(*turn)) {
            return Verdict::Gone;
        }
    }
    if (!refused) {
        const auto accounts = CUserDBCache::Shared().Current();
        if (accounts->state != CUserDBCache::State::Loaded) {
            return Verdict::NoDatabase;
        }
        if (accounts->Accepts(login, password)) {
            if (limits != nullptr) {
                limits->Accepted(login, address);
            }
            return Verdict::Accepted;
        }
        if (limits != nullptr) {
            limits->Refused(login, address);
        }
        CRefusalLines::Shared().Write("AUTH refused" + about, login, address, who);
    }
    ++refusals;
    const auto pause = limits == nullptr ? std::chrono::steady_clock::duration()
                                         : CPasswordLimits::SessionPause(refusals);
    return WaitUntil(std::chrono::steady_clock::now() + pause) ? Verdict::Refused : Verdict::Gone;
}

CSession::Rights CSession::TeacherRights(std::string_view command) {
    if (!(meno == account && heslo == accountPassword)) {
        switch (CheckPassword(meno, heslo,
                              "teacher check of " + std::string(command) + " " + LogText(file))) {
            case Verdict::Gone:
                return Rights::Gone;
            case Verdict::NoDatabase:
                return Rights::NoDatabase;
            case Verdict::Refused:
                return Rights::NotTeacher;
            case Verdict::Accepted:
                break;
        }
    }
    const auto accounts = CUserDBCache::Shared().Current();
    if (accounts->state != CUserDBCache::State::Loaded) {
        return Rights::NoDatabase;
    }
    return accounts->IsTeacher(meno, heslo) ? Rights::Teacher : Rights::NotTeacher;
}

bool CSession::AccountIsTeacher() const {
    const auto accounts = CUserDBCache::Shared().Current();
    return accounts->state == CUserDBCache::State::Loaded &&
           accounts->IsTeacher(account, accountPassword);
}

bool CSession::WaitUntil(std::chrono::steady_clock::time_point until) {
    if (!loggedIn && until > loginDeadline) {
        connection.WaitWhileUp(loginDeadline);
        return false;
    }
    return connection.WaitWhileUp(until);
}

std::string_view CSession::TeacherOnly(std::string_view command, std::string_view refusal,
                                       Step& step) {
    switch (TeacherRights(command)) {
        case Rights::Teacher:
            return {};
        case Rights::NotTeacher:
            return refusal;
        case Rights::NoDatabase:
            return kNoDatabase;
        case Rights::Gone:
            break;
    }
    step = Step::End;
    return refusal;
}

void CSession::Refuse(std::string_view command, std::string_view reply, const std::string& cause) {
    const bool trouble = reply == kNoDatabase || !cause.empty();
    WriteServerLog(trouble ? Level::Error : Level::Warning,
                   std::string(command) + " refused " + Quoted(reply) +
                       (cause.empty() ? "" : " (" + cause + ")") + ": file " + LogText(file) +
                       ", " + Who());
    connection.Send(reply);
}

CSession::Step CSession::Download() {
    if (!loggedIn) {
        Refuse("FILE", kNotLoggedIn);
        return Step::Continue;
    }
    if (!IsServedName(file) || IsNeverServed(file)) {
        Refuse("FILE", kCannotDownload);
        return Step::Continue;
    }
    CDownload download(file);
    Step step = Step::Continue;
    bool teacher = AccountIsTeacher();
    if (IsOneOf(download.FixedName(), kTeacherOnlyDownloads)) {
        if (const auto refusal = TeacherOnly("FILE", kCannotDownload, step); !refusal.empty()) {
            if (step == Step::Continue) {
                Refuse("FILE", refusal);
            }
            return step;
        }
        teacher = true;
    }
    // Teachers never get a generated test, and get every test with its keys.
    if (download.FixedName() == kTestDBName && !teacher && !download.UseKeptTestOf(account)) {
        Refuse("FILE", kFileMissing, download.Failure());
        return Step::Continue;
    }
    if (!download.IsOpen()) {
        WriteServerLog(Level::Warning, "FILE refused " + Quoted(kFileMissing) + " (" +
                                           download.Failure() + "): file " + LogText(file) + ", " +
                                           Who());
        connection.Send(kFileMissing);
        return Step::Continue;
    }
    const std::string source = download.Source();
    if (!teacher && !options.serveKeys && !download.RemoveKeys()) {
        Refuse("FILE", kFileMissing,
               (source.empty() ? "the file" : source) + ": " + download.Failure());
        return Step::Continue;
    }
    connection.Send(kAllowedToDownload);
    if (!WaitForGoAhead()) {
        WriteServerLog(Level::Warning, "FILE cut off: " + AboutFile("before the go-ahead"));
        return Step::End;
    }
    const SentFile sent = download.Send(connection.Socket());
    // A test for "testdb", or one without its keys, says which it was and how it went.
    std::string details = std::to_string(sent.bytes) + " bytes sent";
    if (!source.empty()) {
        details += " from " + source + ", keys " + (download.KeysRemoved() ? "removed" : "kept");
    } else if (download.KeysRemoved()) {
        details += ", keys removed";
    }
    WriteServerLog(sent.whole ? Level::Info : Level::Warning,
                   (sent.whole ? "FILE completed: " : "FILE cut off: ") + AboutFile(details));
    connection.Send(kFileSent);
    return Step::Continue;
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
    if (!IsServedName(file)) {
        Refuse("SAVE", kCannotModify);
        return Step::Continue;
    }
    const std::string path = ToUtf8(file);
    struct stat existing {};
    const bool exists = ::lstat(path.c_str(), &existing) == 0;
    Step step = Step::Continue;
    if (IsOneOf(exists ? FixedNameOf(file, existing) : file, kTeacherOnlyUploads)) {
        if (const auto refusal = TeacherOnly("SAVE", kCannotModify, step); !refusal.empty()) {
            if (step == Step::Continue) {
                Refuse("SAVE", refusal);
            }
            return step;
        }
    }
    // The upload goes to a temporary file that replaces the target only once it is whole. It
    // never replaces a folder, a link or a named pipe, nor takes the name of the folders of
    // kept tests and submissions, even before they exist, or nothing could be kept in them.
    if ((exists && !S_ISREG(existing.st_mode)) || IsKeptFolderName(file)) {
        Refuse("SAVE", kCouldntOpen);
        return Step::Continue;
    }
    CUploadRoom room(options, account, !AccountIsTeacher());
    const std::string submissions = SubmissionsFolderOf(account);
    std::string cause = room.Refusal();
    if (cause.empty()) {
        cause = OtherLoginsFolder(kSubmissionsFolder, submissions);
    }
    CAtomicFile target;
    if (!cause.empty() || !target.Open(path, kPrivateFileMode, exists)) {
        Received refused;
        refused.error = cause.empty() ? errno : 0;
        refused.shortage = room.Shortage();
        Refuse("SAVE", kCouldntOpen, cause);
        TellOperator({}, refused, true);
        return Step::Continue;
    }
    connection.Send(kAllowedToModify);
    ReportUpload(ReceiveUpload(target, room, exists ? existing.st_mode : 0), path);
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
            TellOperator(std::string(kAbortedMessage), received, true);
            break;
        case UploadEnd::CutOff:
            WriteServerLog(Level::Warning,
                           std::string(kSocketErrorMessage) + ": " +
                               AboutFile("cut off after " + bytes + ", old file kept"));
            TellOperator(std::string(kSocketErrorMessage), received, true);
            break;
        case UploadEnd::NotWritten:
            if (received.limit.empty()) {
                PrintConsoleLine(kCannotWriteToFile, LogText(FromUtf8(path)));
            }
            // strerror is not safe beside other sessions; the category's message is.
            WriteServerLog(Level::Error, "SAVE not written (" +
                                             (received.limit.empty()
                                                  ? std::generic_category().message(received.error)
                                                  : received.limit) +
                                             "): " + AboutFile(bytes + " received, old file kept"));
            TellOperator({}, received, true);
            break;
    }
}

void CSession::UploadCompleted(const Received& received) {
    WriteServerLog(Level::Info, std::string(kSavedMessage) + ": " +
                                    AboutFile(std::to_string(received.bytes) + " bytes stored"));
    if (!received.kept.empty()) {
        WriteServerLog(Level::Info, "submission kept: " +
                                        AboutFile(std::to_string(received.bytes) + " bytes as " +
                                                  LogText(FromUtf8(received.kept)) +
                                                  (received.keptCopy ? ", a copy" : "")));
    }
    TellOperator(std::string(kSavedMessage), received, false);
}

void CSession::TellOperator(const std::string& message, const Received& received,
                            bool failed) const {
    orvane::ReportUpload(
        {message, account, file, received.bytes, failed, received.shortage, received.error});
}

CSession::Received CSession::ReceiveUpload(CAtomicFile& target, CUploadRoom& room,
                                           mode_t servedMode) {
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
        received.limit = room.Check(received.bytes + content);
        received.shortage = room.Shortage();
        if (!received.limit.empty() || !target.Write(buffer.data(), content)) {
            received.error = errno;
            target.Abort();
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
            CKeptSubmission kept(account, file, target, servedMode);
            const bool committed = target.Commit();
            received.error = errno;
            received.end = committed ? UploadEnd::Saved : UploadEnd::NotWritten;
            if (committed) {
                received.kept = kept.Confirm();
                received.keptCopy = kept.IsCopy();
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

int ClientThread(int socket, ServerOptions options) {
    try {
        CSession(socket, options).Run();
    } catch (const std::exception&) {
        // An unexpected error (memory exhausted) ends this session only.
    }
    CSessionList::Running().Remove(socket);
    ::close(socket);
    return 0;
}

bool ParseCommand(std::string_view received, std::u16string& cmd, std::u16string& meno,
                  std::u16string& heslo, std::u16string& file) {
    const std::u16string decoded = DecodeCommandLine(received);
    const std::u16string text(Trimmed<char16_t>(decoded, kCommandSpaces));
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

}  // namespace orvane
