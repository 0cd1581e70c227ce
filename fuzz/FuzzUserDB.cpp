// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a user database loaded from arbitrary bytes, as from a "userdb" file that a
// client uploaded. A file that loads must store in a form that loads again; since loading
// reverses the accounts, two more rounds must give the very same bytes.
#include <cstddef>
#include <cstdint>

#include "FuzzFixture.h"
#include "users/PNUserDB.h"

using namespace orvane;
using namespace orvane::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceConsoleLines();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    LoadWithStableReloads<CPNUserDB>({data, size},
                                     "a stored user database changes over two reloads");
    return 0;
}
