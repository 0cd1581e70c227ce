// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sample databases that the archive benchmarks store and load: a user database of class
// accounts, and a test database holding one test whose questions carry full Petri nets.
#include <memory>

#include "exam/PNTestDB.h"
#include "users/PNUserDB.h"

namespace orvane::bench {

// `accounts` accounts with Slovak names, logins and generated passwords; one in fifty is a
// teacher's.
std::unique_ptr<CPNUserDB> MakeSampleUserDB(int accounts);

// One test under the cursor with `questions` questions of four kinds that carry nets; every
// net has `elementsPerNet` places, transitions and nodes with labels and arcs between them.
std::unique_ptr<CPNTestDB> MakeSampleTestDB(int questions, int elementsPerNet);

}  // namespace orvane::bench
