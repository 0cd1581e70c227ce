// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the window tests share: the test program's QApplication, controls found by their
// number, typing, ModalAnswers (which answers the modal windows a click opens) and the login
// window's answer.
#include <QApplication>
#include <QComboBox>
#include <QLabel>
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
#include "app/OrvaneApp.h"
#include "support/ExamFixtures.h"
#include "support/TempFolder.h"

namespace orvane::test {

// The control of `window` that carries the number `id`; fails the test unless exactly one.
template <class T>
T* Control(QWidget* window, int id) {
    QList<T*> found = window->findChildren<T*>();
    found.removeIf([id](T* control) { return control->property("controlId").toInt() != id; });
    EXPECT_EQ(found.size(), 1) << "control " << id;
    return found.value(0);
}

// Types text key by key; a letter beyond ASCII, which QTest has no key for, comes as text alone.
inline void TypeText(QWidget* widget, const QString& text) {
    for (const QChar letter : text) {
        const char ascii = letter.unicode() < 0x80 ? static_cast<char>(letter.unicode()) : 0;
        QTest::sendKeyEvent(QTest::Click, widget,
                            ascii ? QTest::asciiToKey(ascii) : Qt::Key_unknown, QString(letter),
                            Qt::NoModifier);
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
    using Answer = std::function<void()>;

public:
    ModalAnswers() {
        QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
        timer.start(10);
    }
    ~ModalAnswers() {
        EXPECT_TRUE(pending.empty()) << pending.size() << " expected window(s) never appeared";
    }

    template <class T>
    void Expect(std::function<void(T*)> action) {
        pending.push_back([action](QWidget* widget) {
            T* window = qobject_cast<T*>(widget);
            return window == nullptr ? Answer() : [action, window] { action(window); };
        });
    }
    // A message box with exactly this text, answered with `button`.
    void ExpectMessage(const QString& text, QMessageBox::StandardButton button = QMessageBox::Ok) {
        Expect<QMessageBox>([text, button](QMessageBox* box) {
            EXPECT_EQ(box->text().toStdString(), text.toStdString());
            box->button(button)->click();
        });
    }

private:
    void Poll() {
        QWidget* widget = QApplication::activePopupWidget();
        widget = widget != nullptr ? widget : QApplication::activeModalWidget();
        if (widget == nullptr || !widget->isVisible() || dispatching) {
            return;
        }
        if (auto answer = pending.empty() ? nullptr : pending.front()(widget)) {
            pending.pop_front();
            // The answer runs from a timer of its own: a window that it opens runs an event
            // loop inside the answer, and this poll must go on answering that window.
            dispatching = true;
            QTimer::singleShot(0, widget, [this, answer] {
                dispatching = false;
                answer();
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
    // Each gives the answer for a window, or none when the window is not the one expected.
    std::deque<std::function<Answer(QWidget*)>> pending;
    bool dispatching = false;
    QWidget* waiting = nullptr;
    std::chrono::steady_clock::time_point waitingSince;
};

// Expects the login window and types the pair; `refused` checks that it stays open with
// both fields emptied and says that the login was refused.
inline void ExpectLogin(ModalAnswers& answers, const QString& login, const QString& password,
                        bool refused = false) {
    answers.Expect<CLoginDlg>([=](CLoginDlg* dialog) {
        auto* loginField = Control<QLineEdit>(dialog, 1003);
        auto* passwordField = Control<QLineEdit>(dialog, 1004);
        EXPECT_EQ(passwordField->echoMode(), QLineEdit::Password);
        TypeText(loginField, login);
        TypeText(passwordField, password);
        QTest::mouseClick(Control<QPushButton>(dialog, 1), Qt::LeftButton);
        if (refused) {
            EXPECT_TRUE(dialog->isVisible()) << login.toStdString();
            const auto* hint = dialog->findChild<QLabel*>("hint");
            EXPECT_TRUE(hint->isVisible() && hint->text().startsWith("Prihlásenie odmietnuté"));
            EXPECT_TRUE(loginField->hasFocus() &&
                        (loginField->text() + passwordField->text()).isEmpty());
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
        COrvaneApp::InstallQtTranslations();
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

}  // namespace orvane::test
