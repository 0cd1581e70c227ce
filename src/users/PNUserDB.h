// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CPNUserDB: every account, newest first, with one cursor on which the "current" operations
// work. Changes, and the two reads that reveal a password or the teacher flag, need teacher
// rights: a login and password that HasTeacherRights accepts. The database lives in the file
// "userdb" as a count followed by the accounts; each save-and-load reverses their order.
#include <cstdint>
#include <memory>
#include <string>

#include "archive/Object.h"
#include "common/CursorList.h"
#include "common/FileResult.h"
#include "users/PNUser.h"

namespace orvane {

class CPNUserDB : public CObject {
    ORVANE_DECLARE_SERIAL(CPNUserDB)

public:
    static constexpr int kPasswordLength = 10;
    static constexpr std::u16string_view kPasswordAlphabet =
        u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890";

    CPNUserDB() = default;
    CPNUserDB(const CPNUserDB&) = delete;
    CPNUserDB& operator=(const CPNUserDB&) = delete;

    bool IsEmpty() const { return accounts.IsEmpty(); }
    std::int32_t GetCount() const { return static_cast<std::int32_t>(accounts.Size()); }

    bool First() { return accounts.First(); }
    bool Next() { return accounts.Next(); }
    // The account under the cursor, or null; valid until the next change of the database.
    CPNUser* CurrentUser() const { return accounts.CurrentItem(); }
    bool FindLogin(const std::u16string& login);

    bool CheckCurrentPassword(const std::u16string& password) const;
    std::u16string GetCurrentLogin() const;
    std::u16string GetCurrentName() const;
    std::u16string GetCurrentPassword(const std::u16string& rightsLogin,
                                      const std::u16string& rightsPassword) const;
    bool IsCurrentTeacher(const std::u16string& rightsLogin,
                          const std::u16string& rightsPassword) const;

    enum class Rename {
        Done,        // the current account has the login now (or had it already)
        LoginTaken,  // another account has it: nothing changes
        Refused      // no current account, or the rights are refused
    };
    // Logins stay unique: two accounts with one login would shadow each other (the newer one
    // is found first, so it could hide a teacher's account and take its rights).
    [[nodiscard]] Rename RenameCurrent(const std::u16string& login,
                                       const std::u16string& rightsLogin,
                                       const std::u16string& rightsPassword);
    // RenameCurrent, answering whether it was Done.
    bool SetCurrentLogin(const std::u16string& login, const std::u16string& rightsLogin,
                         const std::u16string& rightsPassword);
    bool SetCurrentName(const std::u16string& name, const std::u16string& rightsLogin,
                        const std::u16string& rightsPassword);
    bool SetCurrentTeacher(bool teacher, const std::u16string& rightsLogin,
                           const std::u16string& rightsPassword);
    bool SetCurrentPassword(const std::u16string& password, const std::u16string& confirmation,
                            const std::u16string& rightsLogin,
                            const std::u16string& rightsPassword);
    bool ChangeCurrentPassword(const std::u16string& oldPassword, const std::u16string& newPassword,
                               const std::u16string& confirmation);

    bool HasTeacherRights(const std::u16string& login, const std::u16string& password) const;

    bool AddStudent(const std::u16string& login, const std::u16string& name,
                    const std::u16string& rightsLogin, const std::u16string& rightsPassword);
    bool AddUser(const std::u16string& login, const std::u16string& name,
                 const std::u16string& password, const std::u16string& confirmation, bool teacher,
                 const std::u16string& rightsLogin, const std::u16string& rightsPassword);
    // Puts an account at the front as loading does, without rights or checks (for loaders and
    // tools that build a database from another form).
    void InsertUser(std::shared_ptr<CPNUser> user);
    bool RemoveUser(const std::u16string& login, const std::u16string& rightsLogin,
                    const std::u16string& rightsPassword);
    void RemoveAllStudents(const std::u16string& rightsLogin, const std::u16string& rightsPassword);

    // Writes the file atomically (a new file gets mode 0600); an empty database writes
    // nothing at all and succeeds. `digest`, when given, receives the ContentDigest of what
    // was written, and stays as it was when nothing was.
    CFileResult Save(const std::u16string& fileName, std::uint64_t* digest = nullptr) const;
    // Reads the file into this (fresh) database. Only a Missing result leaves it empty as a
    // first run expects; after an Unreadable or Malformed one it is to be dropped. `digest`,
    // when given, receives the ContentDigest of the bytes read.
    CFileResult Load(const std::u16string& fileName, std::uint64_t* digest = nullptr);
    void Serialize(CArchive& archive) override;

    // A password of ten characters of the alphabet, each equally likely, from the kernel's
    // random source; empty in the one case where the kernel gives no random bytes.
    static std::u16string GeneratePassword();

private:
    // The current account when the rights are accepted, else null.
    CPNUser* CurrentWithRights(const std::u16string& rightsLogin,
                               const std::u16string& rightsPassword) const;
    // Applies a change to the current account when the rights are accepted.
    template <class Change>
    bool ChangeCurrent(const std::u16string& rightsLogin, const std::u16string& rightsPassword,
                       Change change);

    CCursorList<CPNUser> accounts;
};

}  // namespace orvane
