// The tests panel: a user's tests, their questions, the generator, remote access with the
// messages of its sessions, and the About window of the context menu.
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <atomic>
#include <thread>

#include "GuiTestSupport.h"
#include "app/AboutDlg.h"
#include "generator/TestGenerator.h"
#include "support/LoopbackClient.h"

namespace orvane {
namespace {

using test::MakeQuestion;
using test::ModalAnswers;

constexpr std::uint16_t kPort = 20248;

class TestsPanelTest : public test::WindowTest {
protected:
    void SetUp() override {
        test::WriteUsersFile({{u"ucitel", u"U", u"tajne", true},
                              {u"jana", u"J", u"j", false},
                              {u"peter", u"P", u"p", false}});
        // Loading turns the stored list round: the window lists Tretia, Druhá, Prvá.
        test::WriteTestFile(
            "testdb",
            test::MakeTest(1, u"jana", false,
                           {MakeQuestion(QuestionKind::ChooseAnswers, 4, u"Prvá", 3, u"Text 1"),
                            MakeQuestion(QuestionKind::DrawNet, 7, u"Druhá", 5, u"Text 2"),
                            MakeQuestion(QuestionKind::CompleteNet, 2, u"Tretia", 2, u"Text 3")}));
        test::WriteTestFile("quesdb",
                            test::MakeTest(0, u"", true,
                                           {MakeQuestion(QuestionKind::DrawNet, 0, u"A"),
                                            MakeQuestion(QuestionKind::DrawNet, 1, u"B"),
                                            MakeQuestion(QuestionKind::DrawNet, 2, u"C")}));
        Open("ucitel", "tajne");
    }

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

TEST_F(TestsPanelTest, AUsersTestsAreListedAndAChosenTestListsItsQuestions) {
    Choose(1006, "peter");
    EXPECT_TRUE(TestLines().isEmpty());
    Choose(1006, "jana");
    EXPECT_EQ(TestLines(), QStringList{"ID:1    VYPRACOVANÝ 1.1.2009"});
    EXPECT_EQ(Ctl<QComboBox>(1007)->currentIndex(), -1);
    ChooseTestLine(0);
    EXPECT_EQ(Questions(), (QStringList{"2: Tretia", "7: Druhá", "4: Prvá"}));
    EXPECT_EQ(View(), kCleared);
    Choose(1020, "7: Druhá");
    EXPECT_EQ(View(), (QStringList{"7: Druhá", "5", "Text 2", ""}));
    Choose(1006, "peter");
    EXPECT_EQ(View(), kCleared);
    EXPECT_TRUE(Questions().isEmpty()) << "the old test's questions go with the old user";
}

TEST_F(TestsPanelTest, GeneratedTestsShowWhenTheUserIsChosenAgainAndStayInMemory) {
    const auto saved = test::ReadBytes("testdb");
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
    EXPECT_EQ(TestLines(), QStringList{"ID:1    VYPRACOVANÝ 1.1.2009"});
    EXPECT_EQ(Questions().size(), 3);
    Choose(1006, "ucitel");
    EXPECT_TRUE(TestLines().isEmpty()) << "teachers get no test";
    Choose(1006, "jana");
    EXPECT_EQ(TestLines(),
              (QStringList{"ID:0    NA VYPRACOVANIE", "ID:1    VYPRACOVANÝ 1.1.2009"}));
    ChooseTestLine(0);
    EXPECT_EQ(Questions().size(), 2);
    Choose(1006, "peter");
    EXPECT_EQ(TestLines(), QStringList{"ID:2    NA VYPRACOVANIE"});
    EXPECT_EQ(test::ReadBytes("testdb"), saved);
}

// One case for everything on the fixed port, so that no two test processes race for it. The
// session of an upload shows its message over the window and waits for OK.
TEST_F(TestsPanelTest, ZapnutListensOnceUploadMessagesWaitForOkAndVypnutStops) {
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

TEST_F(TestsPanelTest, TheContextMenuOpensTheAboutWindow) {
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
    EXPECT_TRUE(answers.AllAnswered());
}

}  // namespace
}  // namespace orvane
