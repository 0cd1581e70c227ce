#pragma once
// What the window tests share: the test program's QApplication, controls found by their
// number, typing, ModalAnswers (which answers the modal windows a click opens), the login
// window's answer and a fixture with an administration window opened on sample files.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>

#include "app/LoginDlg.h"
#include "app/OrvaneDlg.h"
#include "support/ExamFixtures.h"
#include "support/TempFolder.h"

namespace orvane::test {

// The control of `window` that carries the number `id`; fails the test unless exactly one.
template <class T>
T* Control(QWidget* window, int id) {
    QList<T*> found;
    for (T* candidate : window->findChildren<T*>()) {
        if (candidate->property("controlId").toInt() == id) {
            found << candidate;
        }
    }
    EXPECT_EQ(found.size(), 1) << "control " << id;
    return found.value(0);
}

// Types text key by key, Slovak letters included.
inline void TypeText(QWidget* widget, const QString& text) {
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

// Replaces a field's text by typing.
inline void Type(QLineEdit* field, const QString& text) {
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    TypeText(field, text);
}

// The lines of a list or a combo box, top to bottom.
template <class T>
QStringList Lines(const T* view) {
    QStringList lines;
    for (int row = 0; row < view->model()->rowCount(); ++row) {
        lines << view->model()->index(row, 0).data().toString();
    }
    return lines;
}

// Answers, in order, the modal windows and pop-up menus that appear while a test clicks. An
// unexpected window, or one left unanswered for two seconds, is closed and fails the test, so
// no test can hang.
class ModalAnswers {
public:
    ModalAnswers() {
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
        timer.start();
    }
    ~ModalAnswers() {
        EXPECT_TRUE(pending.empty()) << pending.size() << " expected window(s) never appeared";
    }

    template <class T>
    void Expect(std::function<void(T*)> action) {
        pending.push_back({[](QWidget* widget) { return qobject_cast<T*>(widget) != nullptr; },
                           [action](QWidget* widget) { action(qobject_cast<T*>(widget)); }});
    }
    // A message box with exactly this text, answered with `button`.
    void ExpectMessage(const QString& text, QMessageBox::StandardButton button = QMessageBox::Ok) {
        Expect<QMessageBox>([text, button](QMessageBox* box) {
            EXPECT_EQ(box->text().toStdString(), text.toStdString());
            box->button(button)->click();
        });
    }

private:
    struct Answer {
        std::function<bool(QWidget*)> matches;
        std::function<void(QWidget*)> action;
    };

    void Poll() {
        QWidget* widget = QApplication::activePopupWidget();
        widget = widget != nullptr ? widget : QApplication::activeModalWidget();
        if (widget == nullptr || !widget->isVisible() || dispatching) {
            return;
        }
        if (!pending.empty() && pending.front().matches(widget)) {
            // The action runs from a timer of its own: a window that it opens runs an event
            // loop inside the action, and this poll must go on answering that window.
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

    QTimer timer;
    std::deque<Answer> pending;
    bool dispatching = false;
    QWidget* waiting = nullptr;
    std::chrono::steady_clock::time_point waitingSince;
};

// Expects the login window and types the pair; `refused` checks that it stays open with
// both fields emptied.
inline void ExpectLogin(ModalAnswers& answers, const QString& login, const QString& password,
                        bool refused = false) {
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

// A fresh working folder, the application, and the controls of the window `shown`.
class GuiTest : public InTempFolder {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "test_app";
        static char* argv[] = {name, nullptr};
        static QApplication* application = new QApplication(argc, argv);
        QApplication::setApplicationName(QStringLiteral("Orvane"));
        (void)application;
    }
    template <class T>
    T* Ctl(int id) {
        return Control<T>(shown, id);
    }
    QString Text(int fieldId) { return Ctl<QLineEdit>(fieldId)->text(); }
    void Type(int fieldId, const QString& text) { test::Type(Ctl<QLineEdit>(fieldId), text); }
    void Click(int buttonId) { QTest::mouseClick(Ctl<QPushButton>(buttonId), Qt::LeftButton); }

    QWidget* shown = nullptr;
};

// An administration window opened by "ucitel", shown and active, over the accounts ucitel
// (teacher), jana and Peter, a worked-out test of jana's and a pool of three questions.
class WindowTest : public GuiTest {
protected:
    void SetUp() override {
        WriteUsersFile({{u"ucitel", u"Ján Učiteľ", u"tajne", true},
                        {u"jana", u"Jana Kováčová", u"j", false},
                        {u"Peter", u"Peter Novák", u"p", false}});
        // Loading turns the stored list round: the window lists Tretia, Druhá, Prvá.
        WriteTestFile(
            "testdb",
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
    void TearDown() override {
        if (window != nullptr) {
            window->done(QDialog::Rejected);
        }
        window.reset();
    }
    // Clicks the first line of a list with this text.
    void Choose(int listId, const QString& line) {
        auto* list = Ctl<QListWidget>(listId);
        const auto found = list->findItems(line, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << line.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(found.front()).center());
    }
    // Moves the focus to "Import ...", which does nothing.
    void LeaveField() { Ctl<QPushButton>(1011)->setFocus(); }

    std::unique_ptr<COrvaneDlg> window;
};

}  // namespace orvane::test
