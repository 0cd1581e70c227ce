// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts of the core (UTF-16) shown in the window's fields.
#include <QString>
#include <string>
#include <string_view>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace orvane {

QString ToQt(std::u16string_view text);

// A field changes only when its text differs, so an unchanged field keeps its cursor. A new
// text shows its beginning, as a long name or title is read from its start.
void ShowText(QLineEdit* field, const std::u16string& value);
void ShowText(QPlainTextEdit* field, const std::u16string& value);

// The row of the list's chosen line; -1 for none.
int ChosenRow(const QListWidget* list);

}  // namespace orvane
