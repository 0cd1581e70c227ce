#pragma once
// The user database file as JSON, both ways:
//   {"type": "userdb", "users": [{"teacher", "name", "login", "password"}, ...]}
// with the accounts in file order.
#include <cstdint>
#include <vector>

#include "JsonShape.h"
#include "users/PNUserDB.h"

namespace orvane {

// The accounts of a database loaded from a file, in the file's order.
Json DumpUserDB(CPNUserDB& database);

// A database whose store code writes the accounts of the document in the document's order.
void PackUserDB(const CJsonShape& document, CPNUserDB& database);

}  // namespace orvane
