#pragma once
// CSession: one client's session of the remote-access protocol, from the greeting to the end
// of its connection. The client sends one-line commands (AUTH, FILE, SAVE, QUIT); every reply
// is one line beginning with "#" (success) or "!" (refusal). Files travel raw on the same
// connection, ended by a line beginning with "#File". Every credential check loads a fresh
// user database from "userdb", so a session always sees what the window last saved.
#include <span>
#include <string>
#include <string_view>

#include "server/Connection.h"

namespace orvane {

class CAtomicFile;

class CSession {
public:
    explicit CSession(int socket) : connection(socket) {}

    // Runs the session until it ends; the socket stays open for the caller to close.
    void Run();

private:
    enum class Step { Continue, End };
    enum class Rights { Granted, Refused, NoDatabase };
    enum class UploadEnd { Saved, Aborted, CutOff, NotWritten };

    Step Dispatch();
    void Auth();
    Step Download();
    Step Upload();
    // True when `file` may travel: a plain name in the working folder, and teacher rights
    // when it is one of `teacherOnly`. Otherwise the refusal (or the reply for a missing
    // user database) has been sent.
    bool MayUse(std::span<const std::u16string_view> teacherOnly, std::string_view refusal);
    bool WaitForGoAhead();
    UploadEnd ReceiveUpload(CAtomicFile& target);

    CConnection connection;
    std::u16string cmd;
    std::u16string meno;   // login of the last line with two arguments
    std::u16string heslo;  // password of the last line with two arguments
    std::u16string file;   // file name of the last line with one argument
    bool loggedIn = false;
    // The pair of the last accepted AUTH: whose test a download hands out and whose upload is
    // kept, even after a refused AUTH has put another login into `meno`.
    std::u16string acceptedLogin;
    std::u16string acceptedPassword;
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

// Sends the whole file raw, as it lies on disk; false when it cannot be opened. A file that
// cannot be read to its end, or a client that cannot take it, ends the connection instead.
bool SendFile(int socket, const std::string& fileName);

}  // namespace orvane
