// SPDX-License-Identifier: GPL-3.0-or-later
// What an import of a table of accounts would add and refuse, line by line, and what it makes
// of files that are not text.
#include <gtest/gtest.h>

#include "common/TextCodec.h"
#include "users/AccountImport.h"
#include "users/PNUserDB.h"

namespace orvane::test {
namespace {

// "H" for a header, the accounts to add ("+" for a teacher), then "|" and each refused line
// with its reason (and the first line of a repeated login).
std::string Summary(std::string_view file) {
    CPNUserDB users;
    EXPECT_TRUE(users.AddUser(u"boss", u"B", u"pw", u"pw", true, u"", u""));
    const CAccountImport import(CAccountTable::Parse(file), users);
    std::string summary = import.HasHeader() ? "H " : "";
    for (const ListedAccount& account : import.GetAccounts()) {
        summary += ToUtf8(account.login) + (account.teacher ? "+ " : " ");
    }
    summary += "|";
    constexpr const char* kReasons[] = {"empty", "space", "exists", "repeated", "password", "mark"};
    for (const CAccountImport::RefusedLine& line : import.GetRefused()) {
        summary += " " + std::to_string(line.line) + "=" + kReasons[static_cast<int>(line.reason)] +
                   (line.firstLine != 0 ? "@" + std::to_string(line.firstLine) : "");
    }
    return summary;
}

// `text` (ASCII) in UTF-16 with a byte-order mark.
std::string Utf16(std::string_view text, bool bigEndian) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : text) {
        bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
    }
    return bytes;
}

TEST(AccountImportTest, EachLineIsAddedOrRefusedWithItsReason) {
    for (const auto& [file, summary] : std::initializer_list<std::pair<std::string, std::string>>{
             {"login;meno\njan;Ján\njan;Jano\n", "H jan | 3=repeated@2"},
             {"jan;Ján;moje heslo\neva;Eva;tajne\n", "eva | 1=password"},
             {"jan;Ján;;možno\njana;Jana;;Áno\nfero;F;;nie\n", "jana+ fero | 1=mark"},
             {"ja\u00A0n;J\n\u00A0eva\u00A0;E;;x\n", "eva+ | 1=space"},
             {"Používateľ;Meno\njan;J\n", "H jan |"},
             {"USERNAME,name\nboss,B\n,C\n", "H | 2=exists 3=empty"},
             {"Prihlasovacie meno\tMeno\njan\tJ\n", "H jan |"},
             {Utf16("jan;J;x y\r\neva;E\r\n", true), "eva | 1=password"},
             {Utf16("jan;J\r\n", false), "jan |"}}) {
        EXPECT_EQ(Summary(file), summary) << file;
    }
}

struct ImportCase {
    const char* what;
    std::string_view bytes;
    int notTextLine;  // 0: the file is read as a table
    std::size_t accounts;
};

using namespace std::string_view_literals;

const ImportCase kCases[] = {
    {"SemicolonsAndAHeader", "login;meno\njana;Jana\npeter;Peter\n", 0, 2},
    {"QuotedTabAndLineBreak", "jana,\"Jana\t\nNová\"\npeter,P\n", 0, 2},
    {"Utf16WithItsMark", "\xFF\xFEj\0a\0;\0J\0\r\0\n\0"sv, 0, 1},
    {"Windows1250Letters", "\x9Atefan;\x8Atefan\n", 0, 1},
    {"Png", "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x10,ab\ncd;ef\n"sv, 2, 0},
    {"NulInAName", "jana;Jana\npeter;Pe\0ter\nmisa;Misa\n"sv, 2, 0},
    {"Utf16WithoutItsMark", "j\0a\0;\0J\0\n\0"sv, 1, 0},
    {"EscapeInAPassword", "jana;Jana\n\npeter;Peter;\x1B[0m\n", 3, 0},
    {"C1ControlInUtf8", "jana;Ja\xC2\x85na\n", 1, 0},
    {"UndefinedWindows1250Byte", "jana;Ja\x81na\n", 1, 0},
};

class AccountImportText : public testing::TestWithParam<ImportCase> {};

TEST_P(AccountImportText, ABinaryFileGivesNoAccountAndNamesItsFirstControlLine) {
    const ImportCase& row = GetParam();
    CPNUserDB users;
    const CAccountImport plan(CAccountTable::Parse(row.bytes), users);
    EXPECT_EQ(plan.GetNotTextLine(), row.notTextLine) << row.what;
    EXPECT_EQ(plan.GetAccounts().size(), row.accounts) << row.what;
    if (row.notTextLine != 0) {
        EXPECT_TRUE(plan.GetRefused().empty()) << row.what;
    }
}

INSTANTIATE_TEST_SUITE_P(Files, AccountImportText, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace orvane::test
