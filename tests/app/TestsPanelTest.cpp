// The tests panel: a user's tests, their questions, the generator and remote access, and
// the About window of the context menu.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>

#include "WindowFixture.h"
#include "app/AboutDlg.h"
#include "generator/TestGenerator.h"

namespace orvane {
namespace {

using test::MakeQuestion;
using test::ModalAnswers;

constexpr std::uint16_t kPort = 20248;

// Connects to the port on this machine; the greeting line when the server answered.
std::optional<std::string> Greeting(std::uint16_t port) {
    const int client = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{2, 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    std::optional<std::string> line;
    if (::connect(client, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        char buffer[64] = {};
        const ssize_t got = ::recv(client, buffer, sizeof buffer - 1, 0);
        line = std::string(buffer, got > 0 ? static_cast<std::size_t>(got) : 0);
    }
    ::close(client);
    return line;
}

class TestsPanelTest : public test::WindowTest {
protected:
    void SetUp() override {
        test::WriteUsersFile({{u"ucitel", u"Ján Učiteľ", u"tajne", true},
                              {u"jana", u"Jana Kováčová", u"j", false},
                              {u"peter", u"Peter Novák", u"p", false}});
        // Stored front to end; loading turns the list round, so the window lists them as
        // Tretia, Druhá, Prvá.
        test::WriteTestFile(
            "testdb",
            test::MakeTest(
                1, u"jana", false,
                {MakeQuestion(QuestionKind::ChooseAnswers, 4, u"Prvá", 3, u"Text prvej"),
                 MakeQuestion(QuestionKind::DrawNet, 7, u"Druhá", 5, u"Text druhej"),
                 MakeQuestion(QuestionKind::CompleteNet, 2, u"Tretia", 2, u"Text tretej")}));
        test::WriteTestFile("quesdb",
                            test::MakeTest(0, u"", true,
                                           {MakeQuestion(QuestionKind::DrawNet, 0, u"A", 1),
                                            MakeQuestion(QuestionKind::DrawNet, 1, u"B", 1),
                                            MakeQuestion(QuestionKind::DrawNet, 2, u"C", 1)}));
        Open("ucitel", "tajne");
    }

    void ChooseTestLine(int line) {
        auto* combo = Ctl<QComboBox>(1007);
        combo->setFocus();
        for (int step = combo->currentIndex(); step < line; ++step) {
            QTest::keyClick(combo, Qt::Key_Down);
        }
    }

    void ExpectClearedView() {
        EXPECT_EQ(Ctl<QLineEdit>(1017)->text(), QStringLiteral("Nie je zvolená žiadna otázka"));
        EXPECT_EQ(Ctl<QLineEdit>(1028)->text(), QStringLiteral("0"));
        EXPECT_EQ(Ctl<QPlainTextEdit>(1018)->toPlainText(), QStringLiteral("..."));
        EXPECT_TRUE(Ctl<QPlainTextEdit>(1024)->toPlainText().isEmpty());
    }
};

TEST_F(TestsPanelTest, AUsersTestsAreListedAndAChosenTestListsItsQuestions) {
    Choose(1006, "peter");
    EXPECT_TRUE(ComboLines(1007).isEmpty());
    Choose(1006, "jana");
    EXPECT_EQ(ComboLines(1007), QStringList{"ID:1    VYPRACOVANÝ 1.1.2009"});
    EXPECT_EQ(Ctl<QComboBox>(1007)->currentIndex(), -1);
    ChooseTestLine(0);
    EXPECT_EQ(Lines(1020), (QStringList{"2: Tretia", "7: Druhá", "4: Prvá"}));
    ExpectClearedView();

    Choose(1020, "7: Druhá");
    EXPECT_EQ(Ctl<QLineEdit>(1017)->text(), QStringLiteral("7: Druhá"));
    EXPECT_EQ(Ctl<QLineEdit>(1028)->text(), QStringLiteral("5"));
    EXPECT_EQ(Ctl<QPlainTextEdit>(1018)->toPlainText(), QStringLiteral("Text druhej"));
    EXPECT_TRUE(Ctl<QPlainTextEdit>(1024)->toPlainText().isEmpty());

    // Another user: the view is cleared and the questions of the old test go.
    Choose(1006, "peter");
    ExpectClearedView();
    EXPECT_TRUE(Lines(1020).isEmpty());
}

TEST_F(TestsPanelTest, GeneratedTestsShowWhenTheUserIsChosenAgain) {
    Choose(1006, "jana");
    ChooseTestLine(0);
    {
        ModalAnswers answers;
        answers.Expect<CTestGenerator>([](CTestGenerator* generator) {
            EXPECT_EQ(test::Control<QLineEdit>(generator, 1030)->text(), QStringLiteral("3"));
            QTest::keyClicks(test::Control<QLineEdit>(generator, 1024), "2");
            QTest::keyClicks(test::Control<QLineEdit>(generator, 1004), "30");
            QTest::mouseClick(test::Control<QPushButton>(generator, 1), Qt::LeftButton);
        });
        Click(1019);
    }
    EXPECT_EQ(ComboLines(1007), QStringList{"ID:1    VYPRACOVANÝ 1.1.2009"});
    EXPECT_EQ(Lines(1020).size(), 3);
    EXPECT_EQ(test::LoginsOf(*test::LoadUsersFile()).size(), 3u) << "userdb is written again";

    Choose(1006, "ucitel");
    EXPECT_TRUE(ComboLines(1007).isEmpty()) << "teachers get no test";
    Choose(1006, "jana");
    EXPECT_EQ(ComboLines(1007),
              (QStringList{"ID:0    NA VYPRACOVANIE", "ID:1    VYPRACOVANÝ 1.1.2009"}));
    ChooseTestLine(0);
    EXPECT_EQ(Lines(1020).size(), 2);
    Choose(1006, "peter");
    EXPECT_EQ(ComboLines(1007), QStringList{"ID:2    NA VYPRACOVANIE"});
}

TEST_F(TestsPanelTest, ZapnutTwiceListensOnceAndVypnutStops) {
    if (Greeting(kPort)) {
        GTEST_SKIP() << "port 20248 is in use on this machine";
    }
    Click(1004);
    Click(1004);
    std::optional<std::string> greeting;
    EXPECT_TRUE(QTest::qWaitFor([&] { return (greeting = Greeting(kPort)).has_value(); }, 3000));
    EXPECT_EQ(greeting.value_or(""), "#Server Ready.\r\n");
    Click(1005);
    EXPECT_TRUE(QTest::qWaitFor([] { return !Greeting(kPort).has_value(); }, 3000));
    Click(1005);  // off already: nothing happens
    EXPECT_FALSE(Greeting(kPort).has_value());
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
        QStringList texts;
        for (QLabel* label : about->findChildren<QLabel*>()) {
            texts << label->text();
        }
        EXPECT_TRUE(texts.join(' ').contains(QStringLiteral("Version 1.0.0")));
        about->accept();
    });
    const QPoint inside(10, 10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, inside, window->mapToGlobal(inside));
    QApplication::sendEvent(window.get(), &event);
    EXPECT_TRUE(answers.AllAnswered());
}

}  // namespace
}  // namespace orvane
