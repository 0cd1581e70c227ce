#pragma once
// A server on a free port that serves a fresh temporary folder, with "userdb" holding the
// teacher ucitel/tajne and the student ziak/heslo, and the operator messages recorded.
// Sessions still running at the end of a test are ended before the folder goes.
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
    std::vector<std::string> Shown();

private:
    std::mutex mutex;
    std::vector<std::string> shown;
};

// The descriptors and threads of this process; a server test must give back every one of
// them that it took.
struct ProcessResources {
    int descriptors = 0;
    int threads = 0;
    static ProcessResources Now();
    bool operator==(const ProcessResources&) const = default;
};

// A test in a temporary folder that ends by checking that the process holds as many
// descriptors and threads as when it began (threads that are ending get a few seconds).
class ResourceCheckedTest : public InTempFolder {
protected:
    ~ResourceCheckedTest() override;

    const ProcessResources atStart = ProcessResources::Now();
};

class ServerTest : public ResourceCheckedTest {
protected:
    ServerTest();
    ~ServerTest() override;

    LoopbackClient Connect();  // greeted
    LoopbackClient Login(bool teacher);
    // The permission line, and after the go-ahead the data and the end line; or the refusal.
    std::string Download(LoopbackClient& client, const std::string& name);
    // Sends `data` then `end` (in two receives when `separately`) and waits for the close.
    void Upload(LoopbackClient& client, const std::string& name, const std::string& data,
                const std::string& end = "#File sent successfully.\r\n", bool separately = false);

    std::uint16_t port;
    RecordedMessages messages;
};

// Every byte value, over and over, and never a marker.
std::string Pattern(std::size_t size);
std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);

}  // namespace orvane::test
