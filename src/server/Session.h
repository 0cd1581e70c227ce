#pragma once
// CSession: one client's session of the remote-access protocol, from the greeting to the end
// of its connection. The client sends one-line commands (AUTH, FILE, SAVE, QUIT); every reply
// is one line beginning with "#" (success) or "!" (refusal). Files travel raw on the same
// connection, ended by a line beginning with "#File". Every credential check loads a fresh
// user database from "userdb", so a session always sees what the window last saved.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "server/Connection.h"

namespace orvane {

class CAtomicFile;
class CLoginThrottle;

class CSession {
public:
    // Each event of the session goes to the server log (CServerLog) with its context.
    explicit CSession(int socket);

    // Runs the session until it ends; the socket stays open for the caller to close.
    void Run();

private:
    enum class Step { Continue, End };
    enum class UploadEnd { Saved, Aborted, CutOff, NotWritten };
    struct Received {
        UploadEnd end = UploadEnd::CutOff;
        std::uint64_t bytes = 0;  // file content received
        int error = 0;            // errno of a write that failed
        std::string kept;         // where the completed upload was kept as a submission
    };

    void Serve();
    Step Dispatch();
    Step Auth();
    Step Download();
    Step Upload();
    // Empty when `file` may travel: a plain name in the working folder, and teacher rights
    // when it is one of `teacherOnly`; otherwise the reply that refuses it.
    std::string_view Refusal(std::span<const std::u16string_view> teacherOnly,
                             std::string_view refusal);
    void Refuse(std::string_view command, std::string_view reply);
    bool WaitForGoAhead();
    // The file that a download sends: the one place where its path is chosen.
    std::string DownloadPath() const;
    Received ReceiveUpload(CAtomicFile& target);
    void ReportUpload(const Received& received, const std::string& path);
    // Every upload that is whole ends here, once the file is in place.
    void UploadCompleted(const Received& received);

    // "login ziak, peer 192.0.2.7:51234" for the account logged in, or the peer alone.
    std::string Who() const;
    // "file odpovede, <details>, login ..., peer ..." for the file of the command.
    std::string AboutFile(const std::string& details) const;

    CConnection connection;
    const std::string peer;
    CLoginThrottle* const throttle;  // null for a peer that is not on the network
    std::u16string cmd;
    std::u16string meno;   // login of the last line with two arguments
    std::u16string heslo;  // password of the last line with two arguments
    std::u16string file;   // file name of the last line with one argument
    bool loggedIn = false;
    // The account of the last accepted AUTH, whom downloads and uploads are for. A refused
    // AUTH afterwards changes `meno` and `heslo`, by which rights are judged, but not these.
    std::u16string account;
    bool accountIsTeacher = false;
};

// The thread procedure of one accepted connection: runs its session, then closes the socket.
int ClientThread(int socket);

// Reads one received command line into the session's fields. The shape of the line decides
// which fields it replaces, even when its command word is then refused: two spaces give
// `cmd`, `meno` and `heslo`, one space gives `cmd` and `file`. True when the line is a
// command: QUIT alone, or AUTH, FILE or SAVE with arguments, in any letter case.
bool ParseCommand(std::string_view received, std::u16string& cmd, std::u16string& meno,
                  std::u16string& heslo, std::u16string& file);

// True when the name is a regular file that can be opened for reading.
bool FileExists(const std::string& fileName);

// What became of sending a file.
struct SentFile {
    bool opened = false;      // false: it could not be opened, nothing was sent
    bool whole = false;       // every byte went out
    std::uint64_t bytes = 0;  // the bytes that went out
};

// Sends the whole file raw, as it lies on disk. A file that cannot be read to its end, or a
// client that cannot take it, ends the connection.
SentFile SendWholeFile(int socket, const std::string& fileName);
// The same; false when the file cannot be opened.
bool SendFile(int socket, const std::string& fileName);

}  // namespace orvane
