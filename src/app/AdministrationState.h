// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the administration window's panels share: the databases that the window loaded and
// owns until it closes, and the teacher who opened it. A failed save of "userdb" replaces
// `users`, so a panel never keeps a reference to the user database across a save.
#include <memory>
#include <string>

#include "common/FileNames.h"
#include "exam/PNTest.h"
#include "exam/PNTestDB.h"
#include "users/PNUserDB.h"
#include "users/UserDBFile.h"

namespace orvane {

struct AdministrationState {
    std::unique_ptr<CPNUserDB> users;
    CUserDBFile userFile{std::u16string(kUserDBName)};
    std::unique_ptr<CPNTestDB> tests;
    std::shared_ptr<CPNTest> pool;
    std::u16string actingLogin;
    std::u16string actingPassword;
};

}  // namespace orvane
