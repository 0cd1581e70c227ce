#include "GuiTestSupport.h"

#include <QApplication>

#include "app/LoginDlg.h"

// Fontconfig, under Qt's font database, keeps a cache that it never frees; that is not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace orvane::test {

void TypeText(QWidget* widget, const QString& text) {
    for (const QChar letter : text) {
        if (letter.unicode() < 0x80) {
            QTest::keyClicks(widget, QString(letter));
            continue;
        }
        // QTest knows only ASCII keys; other letters come as text without a key code.
        for (const auto action : {QTest::Press, QTest::Release}) {
            QTest::sendKeyEvent(action, widget, Qt::Key_unknown, QString(letter), Qt::NoModifier);
        }
    }
}

void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    TypeText(field, text);
}

ModalAnswers::ModalAnswers() {
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
    timer.start();
}

ModalAnswers::~ModalAnswers() {
    EXPECT_TRUE(pending.empty()) << pending.size() << " expected window(s) never appeared";
}

void ModalAnswers::ExpectMessage(const QString& text, QMessageBox::StandardButton button) {
    Expect<QMessageBox>([text, button](QMessageBox* box) {
        EXPECT_EQ(box->text().toStdString(), text.toStdString());
        box->button(button)->click();
    });
}

void ModalAnswers::Poll() {
    QWidget* widget = QApplication::activePopupWidget();
    widget = widget != nullptr ? widget : QApplication::activeModalWidget();
    if (widget == nullptr || !widget->isVisible() || dispatching) {
        return;
    }
    if (!pending.empty() && pending.front().matches(widget)) {
        // The action runs from a timer of its own: a window that it opens runs an event loop
        // inside the action, and this poll must go on answering that window.
        auto action = std::move(pending.front().action);
        pending.pop_front();
        dispatching = true;
        QTimer::singleShot(0, widget, [this, action, widget] {
            dispatching = false;
            action(widget);
        });
        waiting = nullptr;  // a window that stays open may be answered again
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (widget != waiting) {
        waiting = widget;
        waitingSince = now;
    } else if (now - waitingSince > std::chrono::seconds(2)) {
        ADD_FAILURE() << "unanswered window: " << widget->metaObject()->className();
        widget->close();
        waiting = nullptr;
    }
}

void GuiTest::SetUpTestSuite() {
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    (void)application;
}

void ExpectLogin(ModalAnswers& answers, const QString& login, const QString& password,
                 bool refused) {
    answers.Expect<CLoginDlg>([=](CLoginDlg* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Server: Prihlásenie"));
        auto* loginField = Control<QLineEdit>(dialog, 1003);
        auto* passwordField = Control<QLineEdit>(dialog, 1004);
        EXPECT_EQ(passwordField->echoMode(), QLineEdit::Password);
        TypeText(loginField, login);
        TypeText(passwordField, password);
        QTest::mouseClick(Control<QPushButton>(dialog, 1), Qt::LeftButton);
        if (refused) {
            EXPECT_TRUE(dialog->isVisible()) << login.toStdString();
            EXPECT_TRUE(loginField->text().isEmpty() && passwordField->text().isEmpty());
        }
    });
}

void WindowTest::SetUp() {
    WriteUsersFile({{u"ucitel", u"Ján Učiteľ", u"tajne", true},
                    {u"jana", u"Jana Kováčová", u"j", false},
                    {u"Peter", u"Peter Novák", u"p", false}});
    // Loading turns the stored list round: the window lists Tretia, Druhá, Prvá.
    WriteTestFile("testdb",
                  MakeTest(1, u"jana", false,
                           {MakeQuestion(QuestionKind::ChooseAnswers, 4, u"Prvá", 3, u"Text 1"),
                            MakeQuestion(QuestionKind::DrawNet, 7, u"Druhá", 5, u"Text 2"),
                            MakeQuestion(QuestionKind::CompleteNet, 2, u"Tretia", 2, u"Text 3")}));
    WriteTestFile("quesdb", MakeTest(0, u"", true,
                                     {MakeQuestion(QuestionKind::DrawNet, 0, u"A"),
                                      MakeQuestion(QuestionKind::DrawNet, 1, u"B"),
                                      MakeQuestion(QuestionKind::DrawNet, 2, u"C")}));
    window = std::make_unique<COrvaneDlg>();
    shown = window.get();
    {
        ModalAnswers answers;
        ExpectLogin(answers, "ucitel", "tajne");
        ASSERT_EQ(window->Open(), COrvaneDlg::OpenResult::Accepted);
    }
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

void WindowTest::TearDown() {
    if (window != nullptr) {
        window->done(QDialog::Rejected);
    }
    window.reset();
}

void WindowTest::Choose(int listId, const QString& line) {
    auto* list = Ctl<QListWidget>(listId);
    const auto found = list->findItems(line, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << line.toStdString();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found.front()).center());
}

}  // namespace orvane::test
