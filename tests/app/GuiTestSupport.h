#pragma once
// What the window tests share: the test program's QApplication, controls found by their
// number, typing, ModalAnswers (which answers the modal windows a click opens), the login
// window's answer and a fixture with an administration window opened on sample files.
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

// Types text key by key, Slovak letters included; Type replaces a field's text so.
void TypeText(QWidget* widget, const QString& text);
void Type(QLineEdit* field, const QString& text);

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
    ModalAnswers();
    ~ModalAnswers();

    template <class T>
    void Expect(std::function<void(T*)> action) {
        pending.push_back({[](QWidget* widget) { return qobject_cast<T*>(widget) != nullptr; },
                           [action](QWidget* widget) { action(qobject_cast<T*>(widget)); }});
    }
    // A message box with exactly this text, answered with `button`.
    void ExpectMessage(const QString& text, QMessageBox::StandardButton button = QMessageBox::Ok);

private:
    struct Answer {
        std::function<bool(QWidget*)> matches;
        std::function<void(QWidget*)> action;
    };
    void Poll();

    QTimer timer;
    std::deque<Answer> pending;
    bool dispatching = false;
    QWidget* waiting = nullptr;
    std::chrono::steady_clock::time_point waitingSince;
};

// A fresh working folder, the application, and the controls of the window `shown`.
class GuiTest : public InTempFolder {
protected:
    static void SetUpTestSuite();
    template <class T>
    T* Ctl(int id) {
        return Control<T>(shown, id);
    }
    QString Text(int fieldId) { return Ctl<QLineEdit>(fieldId)->text(); }
    void Type(int fieldId, const QString& text) { test::Type(Ctl<QLineEdit>(fieldId), text); }
    void Click(int buttonId) { QTest::mouseClick(Ctl<QPushButton>(buttonId), Qt::LeftButton); }

    QWidget* shown = nullptr;
};

// Expects the login window and types the pair; `refused` checks that it stays open with
// both fields emptied.
void ExpectLogin(ModalAnswers& answers, const QString& login, const QString& password,
                 bool refused = false);

// An administration window opened by "ucitel", shown and active, over the accounts ucitel
// (teacher), jana and Peter, a worked-out test of jana's and a pool of three questions.
class WindowTest : public GuiTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Clicks the first line of a list with this text.
    void Choose(int listId, const QString& line);
    // Moves the focus to "Import ...", which does nothing.
    void LeaveField() { Ctl<QPushButton>(1011)->setFocus(); }

    std::unique_ptr<COrvaneDlg> window;
};

}  // namespace orvane::test
