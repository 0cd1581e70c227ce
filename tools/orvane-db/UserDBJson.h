// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The accounts of a user database file as the JSON list
//   [{"teacher", "name", "login", "password"}, ...]
// in file order, both ways.
#include "JsonShape.h"
#include "JsonWriter.h"
#include "users/PNUserDB.h"

namespace orvane {

// Writes the accounts of a database loaded from a file, in the file's order.
void DumpUsers(CJsonWriter& writer, CPNUserDB& database);

// Fills the database so that its store code writes the listed accounts in the list's order;
// every account needs its "login" and "password".
void PackUsers(const CJsonShape& users, CPNUserDB& database);

}  // namespace orvane
