#include <gtest/gtest.h>
#include <sys/stat.h>

#include "ServerFixture.h"

namespace orvane::test {
namespace {

constexpr char kSaved[] = "File has been saved";

// Uploads by the teacher over "odpovede", which holds its old answers.
class UploadTest : public ServerTest {
protected:
    UploadTest() { WriteText("odpovede", "old"); }
    void Upload(const std::string& data, const std::string& end = kSent, bool separately = false) {
        LoopbackClient client = Login(true);
        test::Upload(client, "odpovede", data, end, separately);
    }
    // No temporary file is ever left behind.
    void ExpectOnlyTheFilesOfTheTest() {
        EXPECT_EQ(folder.Entries(), (std::vector<std::string>{"odpovede", "userdb"}));
    }
};

// The markers in the same send as the data or in a send of their own, the end marker also
// split across two receives; large and empty files.
TEST_F(UploadTest, StoresExactlyTheBytesBeforeTheEndMarkerHoweverItIsSent) {
    for (const bool separately : {false, true}) {
        Upload(Pattern(300) + std::to_string(separately), kSent, separately);
        EXPECT_TRUE(ReadText("odpovede") == Pattern(300) + std::to_string(separately));
    }
    const std::string end = kSent;
    for (std::size_t cut = 1; cut < 5; ++cut) {
        Upload("data" + end.substr(0, cut), end.substr(cut), true);
        EXPECT_EQ(ReadText("odpovede"), "data") << cut;
    }
    Upload(Pattern(2 << 20));
    EXPECT_TRUE(ReadText("odpovede") == Pattern(2 << 20));
    Upload("");
    EXPECT_EQ(ReadText("odpovede"), "");
    EXPECT_EQ(messages.Shown(), std::vector<std::string>(8, kSaved));
    ExpectOnlyTheFilesOfTheTest();
}

TEST_F(UploadTest, RefusedAbortedOrCutOffUploadsKeepTheOldFile) {
    Upload("", "!File does not exist.\r\n");
    Upload(Pattern(200) + "!Fi", "le", true);
    ASSERT_EQ(::mkdir("priecinok", 0755), 0);
    LoopbackClient client = Login(true);
    EXPECT_EQ(client.Ask("SAVE priecinok\r\n"), "!File couldnt be opened.\r\n");
    EXPECT_EQ(client.Ask("SAVE odpovede\r\n"), "#You are allowed to modify the file.\r\n");
    client.Send(Pattern(5000) + "#Fi");
    ASSERT_TRUE(client.WaitUntilServerHasRead());
    client.ShutdownSending();
    EXPECT_TRUE(client.IsClosedByServer());
    EXPECT_EQ(ReadText("odpovede"), "old");
    EXPECT_EQ(messages.Shown(),
              (std::vector<std::string>{"File not found on server!", "File not found on server!",
                                        "socket error socket error socket error"}));
    ASSERT_EQ(::rmdir("priecinok"), 0);
    ExpectOnlyTheFilesOfTheTest();
    Upload(Pattern(256) + "!File");  // past the first 256 bytes it is data
    EXPECT_TRUE(ReadText("odpovede") == Pattern(256) + "!File");
}

// Reads the target as the operator is told, as a slow operator would find it.
class TargetAtMessage : public COperatorMessages {
public:
    void Show(const std::string& message) override {
        const std::lock_guard lock(mutex);
        seen = message + ": " + ReadText("odpovede");
    }
    std::mutex mutex;
    std::string seen;
};

TEST_F(UploadTest, TheFileIsInPlaceBeforeTheOperatorIsTold) {
    TargetAtMessage operatorView;
    SetOperatorMessages(&operatorView);
    Upload("new");
    SetOperatorMessages(&messages);
    const std::lock_guard lock(operatorView.mutex);
    EXPECT_EQ(operatorView.seen, "File has been saved: new");
}

}  // namespace
}  // namespace orvane::test
