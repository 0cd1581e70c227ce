#pragma once
// What the window tests share: the one QApplication of the test program, controls found by
// their number, and ModalAnswers, which answers the modal windows that a click opens.
#include <gtest/gtest.h>
#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "support/TempFolder.h"

namespace orvane::test {

// Makes the test program's QApplication once; it lives until the program ends.
void EnsureApplication();

// The control of `window` that carries the number `id`; fails the test unless exactly one.
template <class T>
T* Control(QWidget* window, int id) {
    T* found = nullptr;
    int count = 0;
    for (T* candidate : window->findChildren<T*>()) {
        if (candidate->property("controlId").toInt() == id) {
            found = candidate;
            ++count;
        }
    }
    EXPECT_EQ(count, 1) << "control " << id;
    return found;
}

// Answers, in order, the modal windows and pop-up menus that appear while a test clicks:
// each expected window is handed to one action. A window that stays unanswered for two
// seconds is closed and reported as a failure, so that no test can hang.
class ModalAnswers {
public:
    using Action = std::function<void(QWidget*)>;

    ModalAnswers();
    ~ModalAnswers();
    ModalAnswers(const ModalAnswers&) = delete;
    ModalAnswers& operator=(const ModalAnswers&) = delete;

    // The next window to appear must be a T; the action gets it.
    template <class T>
    void Expect(std::function<void(T*)> action) {
        pending.push_back({[](QWidget* widget) { return qobject_cast<T*>(widget) != nullptr; },
                           [action](QWidget* widget) { action(qobject_cast<T*>(widget)); }});
    }
    // The next window must be a message box with exactly this text; it is answered with
    // `button`.
    void ExpectMessage(const QString& text, QMessageBox::StandardButton button = QMessageBox::Ok);

    // True when every expected window has come and been answered.
    bool AllAnswered() const { return pending.empty(); }
    const std::vector<QString>& Unexpected() const { return unexpected; }

private:
    void Poll();

    QTimer timer;
    struct Answer {
        std::function<bool(QWidget*)> matches;
        Action action;
    };
    std::deque<Answer> pending;
    bool dispatching = false;
    std::vector<QString> unexpected;
    QWidget* waiting = nullptr;
    std::chrono::steady_clock::time_point waitingSince;
};

// Types text into a widget key by key, Slovak letters included.
void TypeText(QWidget* widget, const QString& text);

// Every test of the windows runs in a fresh working folder with the application made.
class GuiTest : public InTempFolder {
protected:
    static void SetUpTestSuite() { EnsureApplication(); }
};

}  // namespace orvane::test
