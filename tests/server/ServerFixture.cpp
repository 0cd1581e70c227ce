#include "ServerFixture.h"

#include <gtest/gtest.h>

#include <chrono>

#include "server/TCPServer.h"
#include "users/PNUserDB.h"

namespace orvane::test {

void RecordedMessages::Show(const std::string& message) {
    const std::lock_guard lock(mutex);
    shown.push_back(message);
}

std::vector<std::string> RecordedMessages::Shown() const {
    const std::lock_guard lock(mutex);
    return shown;
}

ServerTest::ServerTest() : port(FreePort()) {
    SetOperatorMessages(&messages);
    StartServer(port);
    EXPECT_TRUE(IsListening()) << "port " << port;
}

ServerTest::~ServerTest() {
    StopServer();
    EXPECT_TRUE(EndSessions(std::chrono::seconds(10)));
    SetOperatorMessages(nullptr);
}

void ServerTest::WriteUsers() {
    CPNUserDB db;
    ASSERT_TRUE(db.AddUser(u"ucitel", u"Učiteľ", u"tajne", u"tajne", true, u"", u""));
    ASSERT_TRUE(db.AddUser(u"ziak", u"Žiak", u"heslo", u"heslo", false, u"ucitel", u"tajne"));
    db.Save(u"userdb");
}

LoopbackClient ServerTest::Connect() {
    LoopbackClient client(port);
    EXPECT_TRUE(client.IsConnected());
    EXPECT_EQ(client.ReceiveLine(), "#Server Ready.\r\n");
    return client;
}

LoopbackClient ServerTest::Login(const std::string& login, const std::string& password) {
    LoopbackClient client = Connect();
    client.Send("AUTH " + login + " " + password + "\r\n");
    EXPECT_EQ(client.ReceiveLine(), "#You are logged in!!!\r\n");
    return client;
}

std::string ServerTest::Download(LoopbackClient& client, const std::string& name) {
    client.Send("FILE " + name + "\r\n");
    const std::string answer = client.ReceiveLine();
    if (answer != "#You are allowed to download.\r\n") {
        return answer;
    }
    client.Send("#\r\n");
    return client.ReceiveUntil("#File sent successfully.\r\n");
}

std::string ServerTest::Upload(LoopbackClient& client, const std::string& name,
                               const std::string& bytes, const std::string& end, bool separately) {
    client.Send("SAVE " + name + "\r\n");
    const std::string answer = client.ReceiveLine();
    if (answer != "#You are allowed to modify the file.\r\n") {
        return answer;
    }
    if (separately) {
        client.Send(bytes);
        EXPECT_TRUE(client.WaitUntilServerHasRead());
        client.Send(end);
    } else {
        client.Send(bytes + end);
    }
    EXPECT_TRUE(client.IsClosedByServer());
    return answer;
}

std::string PatternBytes(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<char>(i % 256);
    }
    return bytes;
}

std::string ReadText(const std::string& path) {
    const auto bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

void WriteText(const std::string& path, const std::string& text) {
    WriteBytes(path, {text.begin(), text.end()});
}

}  // namespace orvane::test
