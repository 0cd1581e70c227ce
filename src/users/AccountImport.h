// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CAccountImport: what importing a table of accounts (login, full name, and optionally
// password and teacher mark) would do to the user database, worked out before anything
// changes, so that the teacher sees it and confirms: the accounts to add, in the order of the
// file, and every line that cannot become an account, with the reason. An account whose login
// the database already has is refused, never changed: an import only adds. The first line is
// taken for a header when its first field names the login column. A file whose fields hold
// control characters (a NUL byte, an escape) is not a table of accounts but a picture or a
// program: nothing of it is imported, and the first line with such a character is named.
#include <string>
#include <string_view>
#include <vector>

#include "users/AccountTable.h"

namespace orvane {

class CPNUserDB;

class CAccountImport {
public:
    enum class Refusal {
        EmptyLogin,
        SpaceInLogin,
        LoginExists,    // the database has an account with the login
        LoginRepeated,  // an earlier line of the file has the login
        SpaceInPassword,
        UnknownTeacherMark,
    };

    struct RefusedLine {
        int line = 0;
        Refusal reason = Refusal::EmptyLogin;
        std::u16string login;
        int firstLine = 0;  // for LoginRepeated: the line that has the login first
    };

    // `users` is only looked at (its cursor moves).
    CAccountImport(const CAccountTable& table, CPNUserDB& users);

    bool HasHeader() const { return header; }
    // The first line whose fields hold a control character; 0 for a text file.
    int GetNotTextLine() const { return notTextLine; }
    // An empty password is generated when the import is carried out.
    const std::vector<ListedAccount>& GetAccounts() const { return accounts; }
    const std::vector<RefusedLine>& GetRefused() const { return refused; }
    int GetTeacherCount() const;
    int GetGeneratedPasswordCount() const;

    // Adds every account, with a password from the generator that "+" uses where the file
    // gave none. Answers how many were added: none when the rights are refused.
    int Apply(CPNUserDB& users, const std::u16string& rightsLogin,
              const std::u16string& rightsPassword) const;

private:
    void Check(const CAccountTable::Record& record, CPNUserDB& users);

    bool header = false;
    int notTextLine = 0;
    std::vector<ListedAccount> accounts;
    std::vector<RefusedLine> refused;
    std::vector<std::pair<std::u16string, int>> seen;  // every login met, with its first line
};

}  // namespace orvane
