// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CSession: one client's session of the remote-access protocol, from the greeting to the end
// of its connection. The client sends one-line commands (AUTH, FILE, SAVE, QUIT); every reply
// is one line beginning with "#" (success) or "!" (refusal). Files travel raw on the same
// connection, ended by a line beginning with "#File". Every credential check sees "userdb" as
// last saved, so a session always sees what the window last saved.
//
// Every credential check, an AUTH or the teacher check of a teacher-only name with another
// login and password than those the session logged in with, goes through the same limits
// (CPasswordLimits) and gives the same refusal line in the log. A session that has not logged
// in within its deadline, or that has had its most refused passwords, is closed.
#include <chrono>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "server/Connection.h"
#include "server/TCPServer.h"
#include "server/UploadRoom.h"

namespace orvane {

class CAtomicFile;
class CPasswordLimits;
class CUploadRoom;

class CSession {
public:
    // Each event of the session goes to the server log (CServerLog) with its context.
    CSession(int socket, const ServerOptions& options);

    // Runs the session until it ends; the socket stays open for the caller to close.
    void Run();

private:
    enum class Step { Continue, End };
    enum class Verdict { Accepted, Refused, NoDatabase, Gone };
    enum class Rights { Teacher, NotTeacher, NoDatabase, Gone };
    enum class UploadEnd { Saved, Aborted, CutOff, NotWritten };
    struct Received {
        UploadEnd end = UploadEnd::CutOff;
        std::uint64_t bytes = 0;  // file content received
        int error = 0;            // errno of a write that failed
        std::string limit;        // the limit that stopped the upload, if one did
        UploadShortage shortage = UploadShortage::None;
        std::string kept;  // where the completed upload was kept as a submission
        bool keptCopy = false;
    };

    void Serve();
    Step Dispatch();
    Step Auth();
    Step Download();
    Step Upload();
    // Checks a login and password through the limits; a refusal is counted and logged, and
    // the session pauses before it answers. `purpose` names a check other than AUTH.
    Verdict CheckPassword(const std::u16string& login, const std::u16string& password,
                          const std::string& purpose = {});
    // Whether `meno` and `heslo` are a teacher's, for a teacher-only name of `command`.
    Rights TeacherRights(std::string_view command);
    // Whether the account logged in with is a teacher's, as "userdb" says now.
    bool AccountIsTeacher() const;
    // Waits until `until` while the client stays, and before a login no longer than the
    // session's deadline; false when the session is to end.
    bool WaitUntil(std::chrono::steady_clock::time_point until);
    // Replies the refusal and logs it, with its cause when one is given.
    void Refuse(std::string_view command, std::string_view reply, const std::string& cause = {});
    // The refusal for a teacher-only name, or an empty view when the rights pass.
    std::string_view TeacherOnly(std::string_view command, std::string_view refusal, Step& step);
    bool WaitForGoAhead();
    // `servedMode` is the mode of the file that the upload replaces, 0 when there is none.
    Received ReceiveUpload(CAtomicFile& target, CUploadRoom& room, mode_t servedMode);
    void ReportUpload(const Received& received, const std::string& path);
    // Tells the operator about this upload (empty `message`: none of the operator texts).
    void TellOperator(const std::string& message, const Received& received, bool failed) const;
    // Every upload that is whole ends here, once the file is in place.
    void UploadCompleted(const Received& received);

    // "login ziak, peer 192.0.2.7:51234" for the account logged in, or the peer alone.
    std::string Who() const;
    // "file odpovede, <details>, login ..., peer ..." for the file of the command.
    std::string AboutFile(const std::string& details) const;

    CConnection connection;
    const CConnection::Peer peerInfo;
    const std::string& peer = peerInfo.name;
    const ServerOptions options;
    const std::uint32_t address = peerInfo.address;
    CPasswordLimits* const limits;  // null for a peer that is not on the network
    const std::chrono::steady_clock::time_point loginDeadline;
    std::size_t refusals = 0;  // refused passwords in this session
    std::u16string cmd;
    std::u16string meno;   // login of the last line with two arguments
    std::u16string heslo;  // password of the last line with two arguments
    std::u16string file;   // file name of the last line with one argument
    bool loggedIn = false;
    // The account of the last accepted AUTH, whom downloads and uploads are for. A refused
    // AUTH afterwards changes `meno` and `heslo`, by which rights are judged, but not these.
    std::u16string account;
    std::u16string accountPassword;
};

// The thread procedure of one accepted connection: runs its session, then closes the socket.
int ClientThread(int socket, ServerOptions options = {});

// Reads one received command line into the session's fields. The shape of the line decides
// which fields it replaces, even when its command word is then refused: two spaces give
// `cmd`, `meno` and `heslo`, one space gives `cmd` and `file`. True when the line is a
// command: QUIT alone, or AUTH, FILE or SAVE with arguments, in any letter case.
bool ParseCommand(std::string_view received, std::u16string& cmd, std::u16string& meno,
                  std::u16string& heslo, std::u16string& file);

}  // namespace orvane
