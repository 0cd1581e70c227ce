// Start-up: the socket check, the files read at opening, and the login window.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <thread>

#include "GuiTestSupport.h"
#include "app/LoginDlg.h"
#include "app/OrvaneApp.h"
#include "app/OrvaneDlg.h"
#include "app/QtOperatorMessages.h"
#include "support/ByteBuilder.h"
#include "support/ExamFixtures.h"

namespace orvane {
namespace {

using test::Control;
using test::ModalAnswers;

using StartupTest = test::GuiTest;

void TypeLogin(CLoginDlg* login, const QString& name, const QString& password) {
    QTest::keyClicks(Control<QLineEdit>(login, 1003), name);
    QTest::keyClicks(Control<QLineEdit>(login, 1004), password);
    QTest::mouseClick(Control<QPushButton>(login, 1), Qt::LeftButton);
}

// Expects the login window and a refusal of this pair, which empties both fields.
void ExpectRefusal(ModalAnswers& answers, const QString& name, const QString& password) {
    answers.Expect<CLoginDlg>([=](CLoginDlg* login) {
        TypeLogin(login, name, password);
        EXPECT_TRUE(login->isVisible()) << name.toStdString();
        EXPECT_TRUE(Control<QLineEdit>(login, 1003)->text().isEmpty());
        EXPECT_TRUE(Control<QLineEdit>(login, 1004)->text().isEmpty());
    });
}

void ExpectLogin(ModalAnswers& answers, const QString& name, const QString& password) {
    answers.Expect<CLoginDlg>([=](CLoginDlg* login) { TypeLogin(login, name, password); });
}

QStringList Lines(QListWidget* list) {
    QStringList lines;
    for (int row = 0; row < list->count(); ++row) {
        lines << list->item(row)->text();
    }
    return lines;
}

TEST_F(StartupTest, TheLoginWindowHasItsTitleAndMaskedPassword) {
    CPNUserDB users;
    CLoginDlg login(users);
    EXPECT_EQ(login.windowTitle(), QStringLiteral("Server: Prihlásenie"));
    EXPECT_EQ(Control<QLineEdit>(&login, 1004)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Control<QPushButton>(&login, 1)->text(), QStringLiteral("Prihlásiť"));
    EXPECT_TRUE(Control<QPushButton>(&login, 1)->isDefault());
}

TEST_F(StartupTest, TheFirstRunAdmitsOnlyTutorWithAnEmptyPasswordAndSavesThatTeacher) {
    COrvaneDlg window;
    {
        ModalAnswers answers;
        ExpectRefusal(answers, "tutor", "");
        ExpectRefusal(answers, "Tutor", "x");
        ExpectRefusal(answers, "ucitel", "");
        ExpectLogin(answers, "Tutor", "");
        ASSERT_EQ(window.Open(), COrvaneDlg::OpenResult::Accepted);
    }
    const auto users = test::LoadUsersFile();
    ASSERT_TRUE(users->FindLogin(u"Tutor"));
    EXPECT_EQ(test::LoginsOf(*users),
              (std::vector<std::pair<std::u16string, bool>>{{u"Tutor", true}}));
    EXPECT_EQ(users->GetCurrentName(), u"Predvolené konto učiteľa");
    EXPECT_TRUE(users->CheckCurrentPassword(u""));
    EXPECT_EQ(Lines(Control<QListWidget>(&window, 1006)), QStringList{"Tutor"});
}

TEST_F(StartupTest, OnceAccountsExistTutorIsAnOrdinaryLogin) {
    test::WriteUsersFile({{u"ucitel", u"Učiteľ", u"tajne", true}});
    const auto before = test::ReadBytes("userdb");
    COrvaneDlg window;
    ModalAnswers answers;
    ExpectRefusal(answers, "Tutor", "");
    ExpectRefusal(answers, "ucitel", "Tajne");
    answers.Expect<CLoginDlg>([](CLoginDlg* login) { login->reject(); });
    EXPECT_EQ(window.Open(), COrvaneDlg::OpenResult::Cancelled);
    EXPECT_EQ(test::ReadBytes("userdb"), before);
}

TEST_F(StartupTest, AStudentWithTheRightPasswordOpensTheWindow) {
    test::WriteUsersFile({{u"ucitel", u"Učiteľ", u"tajne", true}, {u"jana", u"Jana", u"j", false}});
    COrvaneDlg window;
    ModalAnswers answers;
    ExpectLogin(answers, "jana", "j");
    ASSERT_EQ(window.Open(), COrvaneDlg::OpenResult::Accepted);
    EXPECT_EQ(Lines(Control<QListWidget>(&window, 1006)), (QStringList{"jana", "ucitel"}));
}

TEST_F(StartupTest, ClosingTheLoginWindowEndsWithoutWritingAnything) {
    COrvaneApp application;
    ModalAnswers answers;
    answers.Expect<CLoginDlg>([](CLoginDlg* login) { login->reject(); });
    EXPECT_EQ(application.Run(), 0);
    EXPECT_TRUE(folder.Entries().empty());
}

TEST_F(StartupTest, WithoutSocketsTheProgramSaysSoAndOpensNoWindow) {
    COrvaneApp application;
    ModalAnswers answers;
    answers.ExpectMessage("Windows sockets initialization failed.");
    EXPECT_EQ(application.Run(+[] { return false; }), 1);
    EXPECT_TRUE(folder.Entries().empty());
    EXPECT_TRUE(COrvaneApp::CanCreateSockets());
}

// A database file that is there but cannot be read ends the program before the login, and
// every file stays as it was.
class UnreadableFileTest : public StartupTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(UnreadableFileTest, EndsBeforeTheLoginNamingTheFile) {
    const std::string broken = GetParam();
    test::WriteUsersFile({{u"ucitel", u"Učiteľ", u"tajne", true}});
    test::WriteTestFile("testdb", test::MakeTest(1, u"ucitel", true));
    test::WriteTestFile("quesdb", test::MakeTest(0, u"", true));
    // An object of a class that no file may hold (after the count of a user database).
    test::Bytes bytes = broken == "userdb" ? test::Bytes().I32(1) : test::Bytes();
    test::WriteBytes(broken, bytes.Class("CWrong").Get());
    const auto files = folder.Entries();
    COrvaneDlg window;
    ModalAnswers answers;
    answers.Expect<QMessageBox>([&](QMessageBox* box) {
        EXPECT_TRUE(box->text().startsWith(QString::fromStdString("Cannot read file: " + broken)))
            << box->text().toStdString();
        EXPECT_TRUE(box->text().contains("bad class")) << box->text().toStdString();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(window.Open(), COrvaneDlg::OpenResult::Unreadable);
    EXPECT_EQ(folder.Entries(), files);
    EXPECT_EQ(test::ReadBytes(broken), bytes.Get());
}

INSTANTIATE_TEST_SUITE_P(EachFile, UnreadableFileTest,
                         ::testing::Values("userdb", "testdb", "quesdb"));

TEST_F(StartupTest, AMissingQuestionFileLeavesThePoolEmptyAndPrintsNothing) {
    test::WriteUsersFile({{u"ucitel", u"Učiteľ", u"tajne", true}});
    COrvaneDlg window;
    ModalAnswers answers;
    ExpectLogin(answers, "ucitel", "tajne");
    ::testing::internal::CaptureStdout();
    ASSERT_EQ(window.Open(), COrvaneDlg::OpenResult::Accepted);
    const std::string printed = ::testing::internal::GetCapturedStdout();
    EXPECT_EQ(printed, "Cannot open file: testdb\n");
}

TEST_F(StartupTest, OperatorMessagesFromASessionWaitForOk) {
    QWidget window;
    CQtOperatorMessages messages(&window);
    std::atomic<bool> shown{false};
    ModalAnswers answers;
    answers.ExpectMessage("File has been saved");
    std::thread session([&] {
        messages.Show("File has been saved");
        shown = true;
    });
    const bool returned = QTest::qWaitFor([&] { return shown.load(); }, 5000);
    session.join();
    EXPECT_TRUE(returned);
    EXPECT_TRUE(answers.AllAnswered());
}

}  // namespace
}  // namespace orvane
