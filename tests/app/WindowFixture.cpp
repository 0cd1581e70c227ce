#include "WindowFixture.h"

#include "app/LoginDlg.h"

namespace orvane::test {

void WindowTest::Open(const QString& login, const QString& password) {
    window = std::make_unique<COrvaneDlg>();
    {
        ModalAnswers answers;
        answers.Expect<CLoginDlg>([&](CLoginDlg* dialog) {
            QTest::keyClicks(Control<QLineEdit>(dialog, 1003), login);
            QTest::keyClicks(Control<QLineEdit>(dialog, 1004), password);
            QTest::mouseClick(Control<QPushButton>(dialog, 1), Qt::LeftButton);
        });
        ASSERT_EQ(window->Open(), COrvaneDlg::OpenResult::Accepted);
    }
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
}

QStringList WindowTest::Lines(int listId) {
    QStringList lines;
    auto* list = Ctl<QListWidget>(listId);
    for (int row = 0; row < list->count(); ++row) {
        lines << list->item(row)->text();
    }
    return lines;
}

QStringList WindowTest::ComboLines(int comboId) {
    QStringList lines;
    auto* combo = Ctl<QComboBox>(comboId);
    for (int row = 0; row < combo->count(); ++row) {
        lines << combo->itemText(row);
    }
    return lines;
}

void WindowTest::Choose(int listId, const QString& line) {
    auto* list = Ctl<QListWidget>(listId);
    const auto found = list->findItems(line, Qt::MatchExactly);
    ASSERT_FALSE(found.isEmpty()) << line.toStdString();
    list->scrollToItem(found.front());
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(found.front()).center());
}

void WindowTest::Retype(int fieldId, const QString& text) {
    auto* field = Ctl<QLineEdit>(fieldId);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    TypeText(field, text);
}

void WindowTest::LeaveField() {
    Ctl<QPushButton>(1011)->setFocus();
}

void WindowTest::Click(int buttonId) {
    QTest::mouseClick(Ctl<QPushButton>(buttonId), Qt::LeftButton);
}

}  // namespace orvane::test
