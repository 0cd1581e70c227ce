// What an import of a table of accounts would add and refuse, line by line.
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

}  // namespace
}  // namespace orvane::test
