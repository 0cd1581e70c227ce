// SPDX-License-Identifier: GPL-3.0-or-later
#include "users/AccountPolicy.h"

#include <algorithm>

#include "common/ExamFolders.h"
#include "users/PNUserDB.h"

namespace orvane {

std::vector<std::u16string> AllLogins(CPNUserDB& users) {
    std::vector<std::u16string> logins;
    for (bool more = users.First(); more; more = users.Next()) {
        logins.push_back(users.GetCurrentLogin());
    }
    return logins;
}

std::map<std::u16string, std::u16string> FullNames(CPNUserDB& users) {
    std::map<std::u16string, std::u16string> names;
    for (bool more = users.First(); more; more = users.Next()) {
        names.emplace(users.GetCurrentLogin(), users.CurrentUser()->GetName());
    }
    return names;
}

std::vector<std::u16string> RemovedLogins(CPNUserDB& users,
                                          const std::vector<std::u16string>& before) {
    std::vector<std::u16string> removed;
    for (const std::u16string& login : before) {
        if (!users.FindLogin(login) &&
            std::find(removed.begin(), removed.end(), login) == removed.end()) {
            removed.push_back(login);
        }
    }
    return removed;
}

bool MayClearTeacherFlag(std::u16string_view account, std::u16string_view actingLogin) {
    return account != actingLogin;
}

KeptFileCount CountKeptFiles(std::u16string_view login) {
    return {KeptFileNames(KeptTestsFolderOf(login)).size(),
            KeptFileNames(SubmissionsFolderOf(login)).size()};
}

}  // namespace orvane
