#pragma once
// A running server on a free port of 127.0.0.1 that serves a fresh temporary folder, with the
// operator messages recorded instead of printed. Sessions still running at the end of a test
// are ended before the folder goes.
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "server/OperatorMessages.h"
#include "support/LoopbackClient.h"
#include "support/TempFolder.h"

namespace orvane::test {

class RecordedMessages : public COperatorMessages {
public:
    void Show(const std::string& message) override;
    std::vector<std::string> Shown() const;

private:
    mutable std::mutex mutex;
    std::vector<std::string> shown;
};

class ServerTest : public InTempFolder {
protected:
    static constexpr char kTeacher[] = "ucitel";
    static constexpr char kTeacherPassword[] = "tajne";
    static constexpr char kStudent[] = "ziak";
    static constexpr char kStudentPassword[] = "heslo";

    ServerTest();
    ~ServerTest() override;

    // Writes "userdb" with the teacher and the student above.
    void WriteUsers();
    // A client that has been greeted.
    LoopbackClient Connect();
    // A client logged in with the given account.
    LoopbackClient Login(const std::string& login, const std::string& password);
    // Asks for a file and, once allowed, sends the go-ahead; the bytes that follow the
    // permission up to and including the end line, or the refusal.
    std::string Download(LoopbackClient& client, const std::string& name);
    // Uploads `bytes` then `end` in one send (or two when `separately`) and answers the
    // permission line; the session ends after an upload.
    std::string Upload(LoopbackClient& client, const std::string& name, const std::string& bytes,
                       const std::string& end, bool separately = false);

    std::uint16_t port;
    RecordedMessages messages;
};

// Bytes 0..255 repeated: every byte value, and no marker anywhere.
std::string PatternBytes(std::size_t size);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);

}  // namespace orvane::test
