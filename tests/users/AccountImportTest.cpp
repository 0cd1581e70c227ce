// What an import makes of files that are text and of files that are not.
#include <gtest/gtest.h>

#include "users/AccountImport.h"
#include "users/PNUserDB.h"

namespace orvane {
namespace {

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
}  // namespace orvane
