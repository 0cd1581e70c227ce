// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CPNUser: one account, a student or a teacher, with login, full name, plain-text password
// and teacher flag. It makes no decisions of its own; the user database checks everything.
#include <cstdint>
#include <string>

#include "archive/Object.h"

namespace orvane {

class CPNUser : public CObject {
    ORVANE_DECLARE_SERIAL(CPNUser)

public:
    CPNUser() = default;
    CPNUser(std::u16string login, std::u16string name, std::u16string password, bool teacher);

    std::u16string GetLogin() const { return login; }
    std::u16string GetName() const { return name; }
    std::u16string GetPassword() const { return password; }
    void SetLogin(std::u16string value) { login = std::move(value); }
    void SetName(std::u16string value) { name = std::move(value); }
    void SetPassword(std::u16string value) { password = std::move(value); }
    bool IsTeacher() const { return teacher != 0; }
    void SetTeacher(bool value) { teacher = value ? 1 : 0; }

    // Stored as: teacher flag (one byte), full name, login, password.
    void Serialize(CArchive& archive) override;

private:
    std::u16string login;
    std::u16string name;
    std::u16string password;
    // Kept as the byte read, so that a file's flag byte is written back unchanged.
    std::uint8_t teacher = 0;
};

}  // namespace orvane
