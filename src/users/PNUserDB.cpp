// SPDX-License-Identifier: GPL-3.0-or-later
#include "users/PNUserDB.h"

#include <array>

#include "archive/Archive.h"
#include "archive/ObjectFile.h"
#include "common/ConsoleLine.h"
#include "common/RandomSource.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNUserDB)

namespace {

// The login that the first run of the program accepts, with an empty password, while the
// database holds no account.
constexpr std::u16string_view kFirstRunLogin = u"Tutor";

auto HasLogin(const std::u16string& login) {
    return [&login](const std::shared_ptr<CPNUser>& user) { return user->GetLogin() == login; };
}

}  // namespace

bool CPNUserDB::FindLogin(const std::u16string& login) {
    for (bool more = First(); more; more = Next()) {
        if (CurrentUser()->GetLogin() == login) {
            return true;
        }
    }
    return false;  // the cursor stays on the last account
}

bool CPNUserDB::CheckCurrentPassword(const std::u16string& password) const {
    const CPNUser* user = CurrentUser();
    return user != nullptr && user->GetPassword() == password;
}

std::u16string CPNUserDB::GetCurrentLogin() const {
    const CPNUser* user = CurrentUser();
    return user == nullptr ? std::u16string() : user->GetLogin();
}

std::u16string CPNUserDB::GetCurrentName() const {
    const CPNUser* user = CurrentUser();
    return user == nullptr ? std::u16string() : user->GetName();
}

CPNUser* CPNUserDB::CurrentWithRights(const std::u16string& rightsLogin,
                                      const std::u16string& rightsPassword) const {
    CPNUser* user = CurrentUser();
    return user != nullptr && HasTeacherRights(rightsLogin, rightsPassword) ? user : nullptr;
}

template <class Change>
bool CPNUserDB::ChangeCurrent(const std::u16string& rightsLogin,
                              const std::u16string& rightsPassword, Change change) {
    CPNUser* user = CurrentWithRights(rightsLogin, rightsPassword);
    if (user == nullptr) {
        return false;
    }
    change(*user);
    return true;
}

std::u16string CPNUserDB::GetCurrentPassword(const std::u16string& rightsLogin,
                                             const std::u16string& rightsPassword) const {
    const CPNUser* user = CurrentWithRights(rightsLogin, rightsPassword);
    return user == nullptr ? std::u16string() : user->GetPassword();
}

bool CPNUserDB::IsCurrentTeacher(const std::u16string& rightsLogin,
                                 const std::u16string& rightsPassword) const {
    const CPNUser* user = CurrentWithRights(rightsLogin, rightsPassword);
    return user != nullptr && user->IsTeacher();
}

CPNUserDB::Rename CPNUserDB::RenameCurrent(const std::u16string& login,
                                           const std::u16string& rightsLogin,
                                           const std::u16string& rightsPassword) {
    CPNUser* user = CurrentWithRights(rightsLogin, rightsPassword);
    if (user == nullptr) {
        return Rename::Refused;
    }
    const auto holder = accounts.FindFirst(HasLogin(login));
    if (holder != accounts.end() && holder->get() != user) {
        return Rename::LoginTaken;
    }
    user->SetLogin(login);
    return Rename::Done;
}

bool CPNUserDB::SetCurrentLogin(const std::u16string& login, const std::u16string& rightsLogin,
                                const std::u16string& rightsPassword) {
    return RenameCurrent(login, rightsLogin, rightsPassword) == Rename::Done;
}

bool CPNUserDB::SetCurrentName(const std::u16string& name, const std::u16string& rightsLogin,
                               const std::u16string& rightsPassword) {
    return ChangeCurrent(rightsLogin, rightsPassword, [&](CPNUser& user) { user.SetName(name); });
}

bool CPNUserDB::SetCurrentTeacher(bool teacher, const std::u16string& rightsLogin,
                                  const std::u16string& rightsPassword) {
    return ChangeCurrent(rightsLogin, rightsPassword,
                         [&](CPNUser& user) { user.SetTeacher(teacher); });
}

bool CPNUserDB::SetCurrentPassword(const std::u16string& password,
                                   const std::u16string& confirmation,
                                   const std::u16string& rightsLogin,
                                   const std::u16string& rightsPassword) {
    return password == confirmation &&
           ChangeCurrent(rightsLogin, rightsPassword,
                         [&](CPNUser& user) { user.SetPassword(password); });
}

bool CPNUserDB::ChangeCurrentPassword(const std::u16string& oldPassword,
                                      const std::u16string& newPassword,
                                      const std::u16string& confirmation) {
    CPNUser* user = CurrentUser();
    if (user == nullptr || user->GetPassword() != oldPassword || newPassword != confirmation) {
        return false;
    }
    user->SetPassword(newPassword);
    return true;
}

bool CPNUserDB::HasTeacherRights(const std::u16string& login,
                                 const std::u16string& password) const {
    if (accounts.IsEmpty()) {
        return login == kFirstRunLogin && password.empty();
    }
    const auto account = accounts.FindFirst(HasLogin(login));
    return account != accounts.end() && (*account)->GetPassword() == password &&
           (*account)->IsTeacher();
}

std::u16string CPNUserDB::GeneratePassword() {
    // Bytes from 248 up would make the first eight characters likelier: they are left out.
    constexpr std::size_t kFairBytes = 256 - 256 % kPasswordAlphabet.size();
    std::u16string password;
    std::array<std::uint8_t, 2 * kPasswordLength> bytes{};
    while (password.size() < kPasswordLength) {
        if (!ReadKernelRandom(bytes)) {
            return {};
        }
        for (const std::uint8_t byte : bytes) {
            if (byte < kFairBytes && password.size() < kPasswordLength) {
                password += kPasswordAlphabet[byte % kPasswordAlphabet.size()];
            }
        }
    }
    return password;
}

bool CPNUserDB::AddStudent(const std::u16string& login, const std::u16string& name,
                           const std::u16string& rightsLogin,
                           const std::u16string& rightsPassword) {
    if (!HasTeacherRights(rightsLogin, rightsPassword)) {
        return false;
    }
    std::u16string password = GeneratePassword();
    if (password.empty()) {
        return false;  // never an account with a password anybody could guess
    }
    accounts.PushFront(std::make_shared<CPNUser>(login, name, std::move(password), false));
    return true;
}

bool CPNUserDB::AddUser(const std::u16string& login, const std::u16string& name,
                        const std::u16string& password, const std::u16string& confirmation,
                        bool teacher, const std::u16string& rightsLogin,
                        const std::u16string& rightsPassword) {
    if (!HasTeacherRights(rightsLogin, rightsPassword) && !accounts.IsEmpty()) {
        return false;
    }
    if (password != confirmation) {
        return false;
    }
    accounts.PushFront(std::make_shared<CPNUser>(login, name, password, teacher));
    return true;
}

void CPNUserDB::InsertUser(std::shared_ptr<CPNUser> user) {
    accounts.PushFront(std::move(user));
}

bool CPNUserDB::RemoveUser(const std::u16string& login, const std::u16string& rightsLogin,
                           const std::u16string& rightsPassword) {
    return HasTeacherRights(rightsLogin, rightsPassword) && accounts.EraseFirst(HasLogin(login));
}

void CPNUserDB::RemoveAllStudents(const std::u16string& rightsLogin,
                                  const std::u16string& rightsPassword) {
    if (!HasTeacherRights(rightsLogin, rightsPassword)) {
        return;
    }
    accounts.EraseAll([](const auto& user) { return !user->IsTeacher(); });
}

CFileResult CPNUserDB::Save(const std::u16string& fileName, std::uint64_t* digest) const {
    if (accounts.IsEmpty()) {
        return {};  // an earlier file stays as it was
    }
    // The file holds every password: one made new is for the server's own user only.
    return SaveObjectFile(const_cast<CPNUserDB&>(*this), fileName, kPrivateFileMode, digest);
}

CFileResult CPNUserDB::Load(const std::u16string& fileName, std::uint64_t* digest) {
    return LoadObjectFile(*this, fileName, digest);
}

void CPNUserDB::Serialize(CArchive& archive) {
    if (archive.IsStoring()) {
        // The count written is the number of accounts that follow, so the file is always
        // whole, even after a load that had to skip an entry.
        archive.WriteInt32(static_cast<std::int32_t>(accounts.Size()));
        for (const auto& user : accounts) {
            archive.WriteObject(user);
        }
        return;
    }
    const std::int32_t stored = archive.ReadInt32();
    for (std::int32_t i = 0; i < stored; ++i) {
        // Each account read goes to the front, so the list is the reverse of the file.
        std::shared_ptr<CPNUser> user = archive.ReadObjectOf<CPNUser>();
        if (user == nullptr) {
            PrintConsoleLine(kCannotLoadUser);
            continue;
        }
        accounts.PushFront(std::move(user));
    }
}

}  // namespace orvane
