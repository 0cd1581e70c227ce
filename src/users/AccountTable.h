// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CAccountTable: a list of accounts as a spreadsheet saves it, one record per line. Reading
// takes what Slovak teachers' spreadsheets write: UTF-8 (with or without a byte-order mark),
// UTF-16 with a byte-order mark ("Unicode text"), and otherwise Windows-1250; fields separated
// by tabs, semicolons or commas (whichever the first line shows, in that order of preference);
// a field in double quotes may hold the separator, line breaks and doubled quotes. Writing
// makes a file that spreadsheets open with the Slovak letters intact and that reading gives
// back field for field: UTF-8 with a byte-order mark, semicolons (the list separator of a
// Slovak spreadsheet), CR LF line ends.
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

// One account as a line of such a table holds it.
struct ListedAccount {
    int line = 0;  // where it was read, counted from 1; 0 for one not read from a file
    std::u16string login;
    std::u16string name;
    std::u16string password;
    bool teacher = false;
};

class CAccountTable {
public:
    enum class Encoding { Utf8, Utf16, Windows1250 };

    // The header and the teacher marks that writing uses; reading understands them.
    static const std::array<std::u16string_view, 4> kHeader;
    static std::u16string_view TeacherMark(bool teacher);

    struct Record {
        int line = 0;  // the line on which the record begins, counted from 1
        std::vector<std::u16string> fields;
    };

    // Records whose fields are all empty (blank lines, rows of separators) are left out.
    // Spaces around a field without quotes are dropped; a quoted field is kept as it is.
    static CAccountTable Parse(std::string_view bytes);
    // The header, then one line per account: login, full name, password, teacher mark.
    static std::string Format(const std::vector<ListedAccount>& accounts);

    Encoding GetEncoding() const { return encoding; }
    char16_t GetSeparator() const { return separator; }
    const std::vector<Record>& GetRecords() const { return records; }

private:
    void Split(std::u16string_view text);

    Encoding encoding = Encoding::Utf8;
    char16_t separator = u',';
    std::vector<Record> records;
};

}  // namespace orvane
