// The administration window: the users panel (the list, the account fields and the buttons
// that change accounts), the tests panel (a user's tests, their questions, the generator),
// remote access with the messages of its sessions, and the About window of the context menu.
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

#include "GuiTestSupport.h"
#include "app/AboutDlg.h"
#include "generator/TestGenerator.h"
#include "support/LoopbackClient.h"

namespace orvane {
namespace {

using test::ModalAnswers;
using Logins = std::vector<std::pair<std::u16string, bool>>;

constexpr std::uint16_t kPort = 20248;

class UsersPanel : public test::WindowTest {
protected:
    QStringList Users() { return test::Lines(Ctl<QListWidget>(1006)); }

    // The accounts in "userdb", sorted.
    static Logins Saved() {
        auto logins = test::LoginsOf(*test::LoadUsersFile());
        std::sort(logins.begin(), logins.end());
        return logins;
    }
};

TEST_F(UsersPanel, ChosenAccountsShowTheirFieldsAndAPasswordChangeNeedsAConfirmation) {
    EXPECT_EQ(Users(), (QStringList{"jana", "Peter", "ucitel"}));
    EXPECT_TRUE(Text(1013).isEmpty() && Text(1003).isEmpty() && Text(1015).isEmpty());
    Choose(1006, "ucitel");
    EXPECT_EQ(Text(1015), QStringLiteral("tajne"));
    EXPECT_TRUE(Ctl<QCheckBox>(1014)->isChecked());
    Choose(1006, "jana");
    EXPECT_EQ(QStringList({Text(1013), Text(1003), Text(1015)}),
              (QStringList{"jana", "Jana Kováčová", "j"}));
    EXPECT_FALSE(Ctl<QCheckBox>(1014)->isChecked());

    auto* confirmation = Ctl<QLineEdit>(1016);
    for (const QString& typed : {QStringLiteral("ine"), QStringLiteral("nove")}) {
        EXPECT_TRUE(confirmation->isReadOnly());
        Type(1015, "nove");
        EXPECT_FALSE(confirmation->isReadOnly());
        test::Type(confirmation, typed);
        LeaveField();
        EXPECT_TRUE(confirmation->text().isEmpty());
        EXPECT_TRUE(confirmation->isReadOnly());
        const auto users = test::LoadUsersFile();
        ASSERT_TRUE(users->FindLogin(u"jana"));
        EXPECT_TRUE(users->CheckCurrentPassword(typed == "nove" ? u"nove" : u"j"));
    }
}

TEST_F(UsersPanel, PlusTwiceAddsTwoStudentsWithDifferentPasswords) {
    Click(1008);
    Click(1008);
    EXPECT_EQ(Users().count("zadajte_novy_login"), 2);
    const auto users = test::LoadUsersFile();
    std::set<std::u16string> passwords;
    for (bool more = users->FindLogin(u"zadajte_novy_login"); more; more = users->Next()) {
        const CPNUser& user = *users->CurrentUser();
        if (user.GetLogin() == u"zadajte_novy_login") {
            EXPECT_EQ(user.GetName(), u"Zadajte celé meno používateľa");
            EXPECT_FALSE(user.IsTeacher());
            EXPECT_EQ(user.GetPassword().size(), 10u);
            passwords.insert(user.GetPassword());
        }
    }
    EXPECT_EQ(passwords.size(), 2u);
}

TEST_F(UsersPanel, MinusRemovesTheAccountButNeverTheActingOneNorAnEmptyLogin) {
    const auto before = test::ReadBytes("userdb");
    // Enter does nothing, nor do "Import ..." and "Export ...".
    Ctl<QPushButton>(1008)->setFocus();
    QTest::keyClick(Ctl<QPushButton>(1008), Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_Return);
    Click(1011);
    Click(1012);
    EXPECT_TRUE(window->isVisible());
    Click(1009);  // the login field is empty at opening
    Choose(1006, "ucitel");
    Click(1009);
    EXPECT_EQ(test::ReadBytes("userdb"), before);
    Choose(1006, "jana");
    Click(1009);
    EXPECT_EQ(Users(), (QStringList{"Peter", "ucitel"}));
    EXPECT_EQ(Saved(), (Logins{{u"Peter", false}, {u"ucitel", true}}));
    EXPECT_EQ(Text(1003), QStringLiteral("Jana Kováčová")) << "the fields keep their values";
}

TEST_F(UsersPanel, VycistitAsksFirstAndOnYesLeavesOnlyTeachers) {
    const auto before = test::ReadBytes("userdb");
    const QString question = QStringLiteral("Naozaj chcete odstrániť všetkých študentov?");
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        ModalAnswers answers;
        answers.ExpectMessage(question, answer);
        Click(1010);
        if (answer == QMessageBox::No) {
            EXPECT_EQ(test::ReadBytes("userdb"), before);
        }
    }
    EXPECT_EQ(Users(), QStringList{"ucitel"});
    EXPECT_EQ(Saved(), (Logins{{u"ucitel", true}}));
}

TEST_F(UsersPanel, LoginNameAndTeacherChangesAreSavedAtOnce) {
    Choose(1006, "Peter");
    Type(1003, "Peter Nový");
    Type(1013, "petko");  // leaving the name field saves the name
    LeaveField();
    auto* teacher = Ctl<QCheckBox>(1014);
    QTest::mouseClick(teacher, Qt::LeftButton, {}, QPoint(6, teacher->height() / 2));
    EXPECT_EQ(Users(), (QStringList{"jana", "petko", "ucitel"}));
    EXPECT_EQ(Saved(), (Logins{{u"jana", false}, {u"petko", true}, {u"ucitel", true}}));
    const auto users = test::LoadUsersFile();
    ASSERT_TRUE(users->FindLogin(u"petko"));
    EXPECT_EQ(users->GetCurrentName(), u"Peter Nový");
}

class TestsPanel : public test::WindowTest {
protected:
    QStringList TestLines() { return test::Lines(Ctl<QComboBox>(1007)); }
    QStringList Questions() { return test::Lines(Ctl<QListWidget>(1020)); }

    void ChooseTestLine(int line) {
        auto* combo = Ctl<QComboBox>(1007);
        combo->setFocus();
        for (int step = combo->currentIndex(); step < line; ++step) {
            QTest::keyClick(combo, Qt::Key_Down);
        }
    }

    // Title line, points, question text and answer.
    QStringList View() {
        return {Ctl<QLineEdit>(1017)->text(), Ctl<QLineEdit>(1028)->text(),
                Ctl<QPlainTextEdit>(1018)->toPlainText(), Ctl<QPlainTextEdit>(1024)->toPlainText()};
    }
    const QStringList kCleared{"Nie je zvolená žiadna otázka", "0", "...", ""};

    void StartServer() {
        Click(1004);
        ASSERT_TRUE(QTest::qWaitFor([] { return test::CanConnect(kPort); }, 3000));
    }
};

TEST_F(TestsPanel, AUsersTestsListTheirQuestionsAndGeneratedOnesShowInMemoryOnly) {
    const auto saved = test::ReadBytes("testdb");
    Choose(1006, "Peter");
    EXPECT_TRUE(TestLines().isEmpty());
    Choose(1006, "jana");
    EXPECT_EQ(TestLines(), QStringList{"ID:1    VYPRACOVANÝ 1.1.2009"});
    EXPECT_EQ(Ctl<QComboBox>(1007)->currentIndex(), -1);
    ChooseTestLine(0);
    EXPECT_EQ(Questions(), (QStringList{"2: Tretia", "7: Druhá", "4: Prvá"}));
    EXPECT_EQ(View(), kCleared);
    Choose(1020, "7: Druhá");
    EXPECT_EQ(View(), (QStringList{"7: Druhá", "5", "Text 2", ""}));
    Choose(1006, "Peter");
    EXPECT_EQ(View(), kCleared);
    EXPECT_TRUE(Questions().isEmpty()) << "the old test's questions go with the old user";

    Choose(1006, "jana");
    ChooseTestLine(0);
    {
        ModalAnswers answers;
        answers.Expect<CTestGenerator>([](CTestGenerator* generator) {
            EXPECT_EQ(test::Control<QLineEdit>(generator, 1030)->text(), QStringLiteral("3"));
            test::Type(test::Control<QLineEdit>(generator, 1024), "2");
            QTest::mouseClick(test::Control<QPushButton>(generator, 1), Qt::LeftButton);
        });
        Click(1019);
    }
    // The new tests show when their user is chosen again.
    EXPECT_EQ(TestLines(), QStringList{"ID:1    VYPRACOVANÝ 1.1.2009"});
    EXPECT_EQ(Questions().size(), 3);
    Choose(1006, "ucitel");
    EXPECT_TRUE(TestLines().isEmpty()) << "teachers get no test";
    Choose(1006, "jana");
    EXPECT_EQ(TestLines(),
              (QStringList{"ID:0    NA VYPRACOVANIE", "ID:1    VYPRACOVANÝ 1.1.2009"}));
    ChooseTestLine(0);
    EXPECT_EQ(Questions().size(), 2);
    Choose(1006, "Peter");
    EXPECT_EQ(TestLines(), QStringList{"ID:2    NA VYPRACOVANIE"});
    EXPECT_EQ(test::ReadBytes("testdb"), saved);
}

// One case for everything on the fixed port, so that no two test processes race for it. The
// session of an upload shows its message over the window and waits for OK.
TEST_F(TestsPanel, ZapnutListensOnceUploadMessagesWaitForOkAndVypnutStops) {
    if (test::CanConnect(kPort)) {
        GTEST_SKIP() << "port 20248 is in use on this machine";
    }
    Click(1004);
    StartServer();  // the second "Zapnúť" changes nothing
    std::atomic<bool> finished{false};
    std::string replies;
    ModalAnswers answers;
    answers.Expect<QMessageBox>([&](QMessageBox* box) {
        EXPECT_EQ(box->text(), QStringLiteral("File has been saved"));
        EXPECT_FALSE(finished) << "the session goes on only after OK";
        box->button(QMessageBox::Ok)->click();
    });
    std::thread session([&] {
        test::LoopbackClient client(kPort);
        for (const char* line :
             {"AUTH ucitel tajne\r\n", "SAVE poznamky\r\n", "text#File sent successfully.\r\n"}) {
            replies += client.ReceiveUntil();
            client.Send(line);
        }
        replies += client.IsClosedByServer() ? "(closed)" : "";
        finished = true;
    });
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished.load(); }, 15000));
    session.join();
    EXPECT_EQ(replies,
              "#Server Ready.\r\n#You are logged in!!!\r\n#You are allowed to modify the file.\r\n"
              "(closed)");
    EXPECT_EQ(test::ReadBytes("poznamky"), (std::vector<std::uint8_t>{'t', 'e', 'x', 't'}));
    Click(1005);
    EXPECT_FALSE(test::CanConnect(kPort));
    Click(1005);  // off already: nothing happens
    StartServer();
    Click(1005);
}

TEST_F(TestsPanel, TheContextMenuOpensTheAboutWindow) {
    ModalAnswers answers;
    answers.Expect<QMenu>([](QMenu* menu) {
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions().front()->text(), QStringLiteral("&About Orvane..."));
        menu->setActiveAction(menu->actions().front());
        QTest::keyClick(menu, Qt::Key_Return);
    });
    answers.Expect<CAboutDlg>([](CAboutDlg* about) {
        EXPECT_EQ(about->windowTitle(), QStringLiteral("About Orvane"));
        const auto labels = about->findChildren<QLabel*>();
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [](QLabel* label) {
            return label->text().contains(QStringLiteral("Version 1.0.0"));
        }));
        about->accept();
    });
    const QPoint inside(10, 10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, inside, window->mapToGlobal(inside));
    QApplication::sendEvent(window.get(), &event);
}

}  // namespace
}  // namespace orvane
