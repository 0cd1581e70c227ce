#include "GuiTestSupport.h"

#include <QAbstractButton>
#include <QDialog>
#include <QMenu>
#include <QTest>

// Fontconfig, under Qt's font database, keeps a cache that it never frees; that is not ours.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

namespace orvane::test {

namespace {

constexpr std::chrono::seconds kAnswerTimeout{2};

}  // namespace

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    static QApplication* application = new QApplication(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    (void)application;
}

void TypeText(QWidget* widget, const QString& text) {
    for (const QChar letter : text) {
        if (letter.unicode() < 0x80) {
            QTest::keyClicks(widget, QString(letter));
            continue;
        }
        // QTest knows only ASCII keys; other letters come as text without a key code.
        QTest::sendKeyEvent(QTest::Press, widget, Qt::Key_unknown, QString(letter), Qt::NoModifier);
        QTest::sendKeyEvent(QTest::Release, widget, Qt::Key_unknown, QString(letter),
                            Qt::NoModifier);
    }
}

ModalAnswers::ModalAnswers() {
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [this] { Poll(); });
    timer.start();
}

ModalAnswers::~ModalAnswers() {
    timer.stop();
    EXPECT_TRUE(pending.empty()) << pending.size() << " expected window(s) never appeared";
    for (const QString& title : unexpected) {
        ADD_FAILURE() << "unexpected window: " << title.toStdString();
    }
}

void ModalAnswers::ExpectMessage(const QString& text, QMessageBox::StandardButton button) {
    Expect<QMessageBox>([text, button](QMessageBox* box) {
        EXPECT_EQ(box->text().toStdString(), text.toStdString());
        QAbstractButton* answer = box->button(button);
        ASSERT_NE(answer, nullptr) << "the message box has no such button";
        answer->click();
    });
}

void ModalAnswers::Poll() {
    QWidget* widget = QApplication::activePopupWidget();
    if (widget == nullptr) {
        widget = QApplication::activeModalWidget();
    }
    if (widget == nullptr || !widget->isVisible()) {
        waiting = nullptr;
        return;
    }
    if (dispatching) {
        return;
    }
    if (!pending.empty() && pending.front().matches(widget)) {
        // The action runs from a timer of its own: a window it opens runs its own event
        // loop inside the action, and this poll must go on answering that window.
        Action action = std::move(pending.front().action);
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
        return;
    }
    if (now - waitingSince < kAnswerTimeout) {
        return;
    }
    unexpected.push_back(widget->windowTitle() + QStringLiteral(" (") +
                         widget->metaObject()->className() + QStringLiteral(")"));
    if (auto* dialog = qobject_cast<QDialog*>(widget)) {
        dialog->reject();
    } else {
        widget->close();
    }
    waiting = nullptr;
}

}  // namespace orvane::test
