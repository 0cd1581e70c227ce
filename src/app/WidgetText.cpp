// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/WidgetText.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace orvane {

QString ToQt(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

void ShowText(QLineEdit* field, const std::u16string& value) {
    const QString text = ToQt(value);
    if (field->text() != text) {
        field->setText(text);
        field->setCursorPosition(0);
    }
}

void ShowText(QPlainTextEdit* field, const std::u16string& value) {
    const QString text = ToQt(value);
    if (field->toPlainText() != text) {
        field->setPlainText(text);
    }
}

int ChosenRow(const QListWidget* list) {
    const QList<QListWidgetItem*> chosen = list->selectedItems();
    return chosen.isEmpty() ? -1 : list->row(chosen.front());
}

}  // namespace orvane
