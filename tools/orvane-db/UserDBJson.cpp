// SPDX-License-Identifier: GPL-3.0-or-later
#include "UserDBJson.h"

#include <vector>

#include "common/TextCodec.h"

namespace orvane {

void DumpUsers(CJsonWriter& writer, CPNUserDB& database) {
    std::vector<const CPNUser*> users;
    for (bool more = database.First(); more; more = database.Next()) {
        users.push_back(database.CurrentUser());
    }
    // Loading put every account at the front, so the list is the file backwards.
    writer.BeginArray();
    for (auto listed = users.rbegin(); listed != users.rend(); ++listed) {
        const CPNUser* user = *listed;
        writer.BeginObject();
        writer.Key("teacher").Boolean(user->IsTeacher());
        writer.Key("name").Text(user->GetName());
        writer.Key("login").Text(user->GetLogin());
        writer.Key("password").Text(user->GetPassword());
        writer.EndObject();
    }
    writer.EndArray();
}

void PackUsers(const CJsonShape& users, CPNUserDB& database) {
    // Saving writes the list from the front, so the last account goes in first.
    for (std::size_t i = users.ArraySize(); i-- > 0;) {
        const CJsonShape entry = users.Element(i);
        entry.Object({"teacher", "name", "login", "password"});
        // One at a time, so that the first key that does not fit is the one reported.
        std::u16string login = entry.Member("login").Required().Text();
        std::u16string name = entry.Member("name").Text();
        std::u16string password = entry.Member("password").Required().Text();
        database.InsertUser(std::make_shared<CPNUser>(std::move(login), std::move(name),
                                                      std::move(password),
                                                      entry.Member("teacher").Boolean()));
    }
}

}  // namespace orvane
