#pragma once
// The accounts of a user database file as the JSON list
//   [{"teacher", "name", "login", "password"}, ...]
// in file order, both ways.
#include "JsonShape.h"
#include "users/PNUserDB.h"

namespace orvane {

// The accounts of a database loaded from a file, in the file's order.
Json DumpUsers(CPNUserDB& database);

// Fills the database so that its store code writes the listed accounts in the list's order.
void PackUsers(const CJsonShape& users, CPNUserDB& database);

}  // namespace orvane
