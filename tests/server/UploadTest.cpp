#include <gtest/gtest.h>
#include <sys/stat.h>

#include <mutex>
#include <string>
#include <vector>

#include "ServerFixture.h"
#include "server/OperatorMessages.h"

namespace orvane::test {
namespace {

constexpr char kEndLine[] = "#File sent successfully.\r\n";
constexpr char kSaved[] = "File has been saved";
constexpr char kAborted[] = "File not found on server!";
constexpr char kSocketError[] = "socket error socket error socket error";

// Logged in as the teacher, with "odpovede" holding its old content.
class UploadTest : public ServerTest {
protected:
    void SetUp() override {
        WriteUsers();
        WriteText("odpovede", kOld);
    }
    LoopbackClient Teacher() { return Login(kTeacher, kTeacherPassword); }
    // Only the files the test made: no temporary file is left behind.
    std::vector<std::string> Entries() const { return folder.Entries(); }

    static constexpr char kOld[] = "old answers";
};

TEST_F(UploadTest, StoresExactlyTheBytesBeforeTheEndMarker) {
    const std::string bytes = PatternBytes(300);
    for (const bool separately : {false, true}) {
        LoopbackClient client = Teacher();
        Upload(client, "odpovede", bytes, kEndLine, separately);
        EXPECT_TRUE(ReadText("odpovede") == bytes) << separately;
    }
    EXPECT_EQ(messages.Shown(), (std::vector<std::string>{kSaved, kSaved}));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"odpovede", "userdb"}));
}

TEST_F(UploadTest, LargeUploadsAndNewFilesAreStoredWhole) {
    const std::string bytes = PatternBytes(2 << 20);
    LoopbackClient client = Teacher();
    Upload(client, "novy", bytes, kEndLine);
    EXPECT_TRUE(ReadText("novy") == bytes);
    LoopbackClient empty = Teacher();
    Upload(empty, "prazdny", "", kEndLine);
    EXPECT_TRUE(Exists("prazdny"));
    EXPECT_EQ(ReadText("prazdny"), "");
}

TEST_F(UploadTest, EndMarkerSplitAcrossReceivesStillEndsTheFile) {
    for (std::size_t cut = 1; cut < 5; ++cut) {
        const std::string end = kEndLine;
        LoopbackClient client = Teacher();
        Upload(client, "odpovede", "data " + std::to_string(cut) + end.substr(0, cut),
               end.substr(cut), true);
        EXPECT_EQ(ReadText("odpovede"), "data " + std::to_string(cut)) << cut;
    }
}

TEST_F(UploadTest, AbortMarkerInTheFirstBytesKeepsTheOldFile) {
    LoopbackClient first = Teacher();
    Upload(first, "odpovede", "", "!File does not exist.\r\n");
    LoopbackClient split = Teacher();
    Upload(split, "odpovede", PatternBytes(200) + "!Fi", "le\r\n", true);
    EXPECT_EQ(ReadText("odpovede"), kOld);
    EXPECT_EQ(messages.Shown(), (std::vector<std::string>{kAborted, kAborted}));
    EXPECT_EQ(Entries(), (std::vector<std::string>{"odpovede", "userdb"}));
}

TEST_F(UploadTest, AbortMarkerAfterTheFirst256BytesIsData) {
    const std::string bytes = PatternBytes(256) + "!File";
    LoopbackClient client = Teacher();
    Upload(client, "odpovede", bytes, kEndLine);
    EXPECT_TRUE(ReadText("odpovede") == bytes);
    EXPECT_EQ(messages.Shown(), std::vector<std::string>{kSaved});
}

TEST_F(UploadTest, CutOffUploadKeepsTheOldFile) {
    LoopbackClient client = Teacher();
    client.Send("SAVE odpovede\r\n");
    EXPECT_EQ(client.ReceiveLine(), "#You are allowed to modify the file.\r\n");
    client.Send(PatternBytes(5000) + "#Fi");
    ASSERT_TRUE(client.WaitUntilServerHasRead());
    client.ShutdownSending();
    EXPECT_TRUE(client.IsClosedByServer());
    EXPECT_EQ(ReadText("odpovede"), kOld);
    EXPECT_EQ(messages.Shown(), std::vector<std::string>{kSocketError});
    EXPECT_EQ(Entries(), (std::vector<std::string>{"odpovede", "userdb"}));
}

TEST_F(UploadTest, TargetThatCannotBeCreatedIsRefusedAndTheSessionGoesOn) {
    ASSERT_EQ(::mkdir("priecinok", 0755), 0);
    LoopbackClient client = Teacher();
    client.Send("SAVE priecinok\r\n");
    EXPECT_EQ(client.ReceiveLine(), "!File couldnt be opened.\r\n");
    Upload(client, "odpovede", "new", kEndLine);
    EXPECT_EQ(ReadText("odpovede"), "new");
}

// Reads the target when the operator is told, as a slow operator would find it.
class TargetAtMessage : public COperatorMessages {
public:
    void Show(const std::string& message) override {
        const std::lock_guard lock(mutex);
        shown = message;
        content = ReadText("odpovede");
    }
    std::mutex mutex;
    std::string shown;
    std::string content;
};

TEST_F(UploadTest, TheFileIsInPlaceBeforeTheOperatorIsTold) {
    TargetAtMessage operatorView;
    SetOperatorMessages(&operatorView);
    LoopbackClient client = Teacher();
    Upload(client, "odpovede", "new answers", kEndLine);
    SetOperatorMessages(&messages);
    const std::lock_guard lock(operatorView.mutex);
    EXPECT_EQ(operatorView.shown, kSaved);
    EXPECT_EQ(operatorView.content, "new answers");
}

}  // namespace
}  // namespace orvane::test
