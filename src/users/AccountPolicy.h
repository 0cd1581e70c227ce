// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The rules about accounts that hold wherever accounts are changed (the window, the server,
// orvane-db): which logins' files go with removed accounts, who may lose the teacher flag,
// and what an account keeps on disk that a removal would orphan.
#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class CPNUserDB;

// Every login of the database, in its order (a login that two accounts share, twice).
std::vector<std::u16string> AllLogins(CPNUserDB& users);
// Every account's full name by its login (the first account of a login names it).
std::map<std::u16string, std::u16string> FullNames(CPNUserDB& users);

// The logins of `before` that no account of `users` has any more: their generated tests go
// with them, so that no later account of that login is handed them; their submissions stay.
// A login that another account still has keeps everything.
std::vector<std::u16string> RemovedLogins(CPNUserDB& users,
                                          const std::vector<std::u16string>& before);

// The teacher who acts may not take the teacher flag from their own account: they would lose
// the right to change accounts, and if they are the only teacher nobody would have it.
bool MayClearTeacherFlag(std::u16string_view account, std::u16string_view actingLogin);

// What a login keeps on disk: its generated tests and its submissions.
struct KeptFileCount {
    std::size_t tests = 0;
    std::size_t submissions = 0;
};
KeptFileCount CountKeptFiles(std::u16string_view login);

}  // namespace orvane
