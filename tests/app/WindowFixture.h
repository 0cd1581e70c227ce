#pragma once
// An administration window opened in a fresh folder with the files a test wrote, shown and
// active, with helpers to click, type and read its controls.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "GuiTestSupport.h"
#include "app/OrvaneDlg.h"
#include "support/ExamFixtures.h"

namespace orvane::test {

class WindowTest : public GuiTest {
protected:
    void TearDown() override {
        if (window != nullptr) {
            window->done(QDialog::Rejected);
        }
        window.reset();
    }

    // Opens the window as `login`; the login window is answered.
    void Open(const QString& login, const QString& password);

    template <class T>
    T* Ctl(int id) {
        return Control<T>(window.get(), id);
    }

    QStringList Lines(int listId);
    QStringList ComboLines(int comboId);
    // Clicks the first line of a list with this text.
    void Choose(int listId, const QString& line);
    // Replaces a field's text by typing, as the teacher would.
    void Retype(int fieldId, const QString& text);
    // Moves the focus away from the field that has it (to "Import ...", which does nothing).
    void LeaveField();
    void Click(int buttonId);

    std::unique_ptr<COrvaneDlg> window;
};

}  // namespace orvane::test
