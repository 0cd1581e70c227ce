// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the socket check, the files read at opening, and the login window.
#include "GuiTestSupport.h"
#include "app/OrvaneApp.h"
#include "app/OrvaneDlg.h"
#include "support/ByteBuilder.h"

#include <sys/stat.h>

#include <filesystem>

// Fontconfig, under Qt's font database, keeps a cache that it never frees; that is not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace orvane {
namespace {

using test::Control;
using test::ExpectLogin;
using test::ModalAnswers;
using StartupTest = test::GuiTest;

TEST_F(StartupTest, TheFirstRunAdmitsOnlyTutorWithAnEmptyPasswordAndSavesThatTeacher) {
    COrvaneDlg window;
    ModalAnswers answers;
    answers.Expect<CLoginDlg>([](CLoginDlg* dialog) {  // looked at, left open
        EXPECT_EQ(dialog->findChild<QLabel*>("hint")->text(),
                  "Prvé spustenie: zatiaľ nie je žiadne konto. Prihláste sa menom „Tutor“ s "
                  "prázdnym heslom; vznikne z neho konto učiteľa.");
    });
    ExpectLogin(answers, "Tutor", "x", true);
    ExpectLogin(answers, "Tutor", "");
    ASSERT_EQ(window.Open(), COrvaneDlg::OpenResult::Accepted);
    const auto users = test::LoadUsersFile();
    ASSERT_TRUE(users->GetCount() == 1 && users->FindLogin(u"Tutor"));
    EXPECT_TRUE(users->CheckCurrentPassword(u"") && users->CurrentUser()->IsTeacher());
    EXPECT_EQ(users->GetCurrentName(), u"Predvolené konto učiteľa");
    EXPECT_EQ(test::Lines(Control<QListWidget>(&window, 1006)), QStringList{"Tutor"});
}

TEST_F(StartupTest, OnceAccountsExistAnyAccountWithItsPasswordIsAdmitted) {
    test::WriteUsersFile({{u"ucitel", u"U", u"tajne", true}, {u"jana", u"J", u"j", false}});
    const auto before = test::ReadBytes("userdb");
    COrvaneDlg window;
    ModalAnswers answers;
    ExpectLogin(answers, "Tutor", "", true);
    ExpectLogin(answers, "ucitel", "Tajne", true);
    ExpectLogin(answers, "jana", "j");  // a student too
    // A missing test file is named; a missing question file leaves the pool empty silently.
    EXPECT_EQ(test::Printed([&] { ASSERT_EQ(window.Open(), COrvaneDlg::OpenResult::Accepted); }),
              "Cannot open file: testdb\n");
    EXPECT_EQ(test::ReadBytes("userdb"), before);
}

TEST_F(StartupTest, ClosingTheLoginWindowOrLackingSocketsEndsWithoutWritingAnything) {
    {
        ModalAnswers answers;
        answers.Expect<CLoginDlg>([](CLoginDlg* login) { login->reject(); });
        EXPECT_EQ(COrvaneApp().Run(), 0);
    }
    ModalAnswers answers;  // and without sockets, no login window
    answers.ExpectMessage("Windows sockets initialization failed.");
    EXPECT_EQ(COrvaneApp().Run(+[] { return false; }), 1);
    EXPECT_TRUE(folder.Entries().empty());
    EXPECT_TRUE(COrvaneApp::CanCreateSockets());
}

// A database file that is there but cannot be read ends the program before the login, and
// every file stays as it was.
TEST_F(StartupTest, AnUnreadableFileEndsBeforeTheLoginNamingTheFile) {
    for (const std::string broken : {"userdb", "testdb", "quesdb"}) {
        test::WriteUsersFile({{u"ucitel", u"U", u"tajne", true}});
        test::WriteTestFile("testdb", test::MakeTest(1, u"ucitel", true));
        test::WriteTestFile("quesdb", test::MakeTest(0, u"", true));
        // An object of a class that no file may hold (after the count of a user database).
        test::Bytes bytes = broken == "userdb" ? test::Bytes().I32(1) : test::Bytes();
        test::WriteBytes(broken, bytes.Class("CWrong").Get());
        const auto files = folder.Entries();
        COrvaneDlg window;
        ModalAnswers answers;
        answers.Expect<QMessageBox>([&](QMessageBox* box) {
            EXPECT_TRUE(box->text().startsWith(QString::fromStdString(
                "Súbor " + broken + " sa nedá prečítať: súbor obsahuje objekt neznámeho")));
            box->button(QMessageBox::Ok)->click();
        });
        EXPECT_EQ(window.Open(), COrvaneDlg::OpenResult::Unreadable) << broken;
        EXPECT_EQ(folder.Entries(), files);
        EXPECT_EQ(test::ReadBytes(broken), bytes.Get());
    }
    // A "userdb" that is there but cannot be opened is no first run either.
    for (const bool pipe : {false, true}) {
        ASSERT_GT(std::filesystem::remove_all("userdb"), 0u);
        ASSERT_EQ(pipe ? ::mkfifo("userdb", 0600) : ::mkdir("userdb", 0700), 0);
        COrvaneDlg window;
        ModalAnswers answers;
        answers.ExpectMessage(QStringLiteral("Súbor userdb sa nedá prečítať: %1.\n\nProgram sa "
                                             "ukončí a žiadny súbor nezmení.")
                                  .arg(pipe ? "nie je to obyčajný súbor" : "je to priečinok"));
        EXPECT_EQ(
            test::Printed([&] { EXPECT_EQ(window.Open(), COrvaneDlg::OpenResult::Unreadable); }),
            "Cannot open file: userdb\n");
    }
}

}  // namespace
}  // namespace orvane
