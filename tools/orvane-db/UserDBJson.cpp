#include "UserDBJson.h"

#include <algorithm>

#include "common/TextCodec.h"

namespace orvane {

Json DumpUsers(CPNUserDB& database) {
    Json users = Json::array();
    for (bool more = database.First(); more; more = database.Next()) {
        const CPNUser* user = database.CurrentUser();
        Json entry;
        entry["teacher"] = user->IsTeacher();
        entry["name"] = ToUtf8(user->GetName());
        entry["login"] = ToUtf8(user->GetLogin());
        entry["password"] = ToUtf8(user->GetPassword());
        users.push_back(std::move(entry));
    }
    // Loading put every account at the front, so the list is the file backwards.
    std::reverse(users.begin(), users.end());
    return users;
}

void PackUsers(const CJsonShape& users, CPNUserDB& database) {
    // Saving writes the list from the front, so the last account goes in first.
    for (std::size_t i = users.ArraySize(); i-- > 0;) {
        const CJsonShape entry = users.Element(i);
        entry.Object({"teacher", "name", "login", "password"});
        database.InsertUser(std::make_shared<CPNUser>(
            entry.Member("login").Text(), entry.Member("name").Text(),
            entry.Member("password").Text(), entry.Member("teacher").Boolean()));
    }
}

}  // namespace orvane
