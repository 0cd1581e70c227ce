// SPDX-License-Identifier: GPL-3.0-or-later
#include "users/PNUser.h"

#include "archive/Archive.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNUser)

CPNUser::CPNUser(std::u16string userLogin, std::u16string userName, std::u16string userPassword,
                 bool isTeacher)
    : login(std::move(userLogin)),
      name(std::move(userName)),
      password(std::move(userPassword)),
      teacher(isTeacher ? 1 : 0) {}

void CPNUser::Serialize(CArchive& archive) {
    // The stored order differs from the declaration order: flag, full name, login, password.
    archive.Exchange(teacher);
    archive.Exchange(name);
    archive.Exchange(login);
    archive.Exchange(password);
}

}  // namespace orvane
