// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CUserDBCache: the accounts of "userdb" as the sessions check them, loaded once and shared
// until the file changes. Every check first reads the file's identity (FileIdentity); any
// difference loads the file again. So each check sees the file as last saved, as if it had
// loaded it.
//
// Checks that find the same new version share one load: the first one reads the file, the
// others wait for its accounts (a storm of logins right after a save costs one load, not one
// each). A version changed so recently that a later save could still give it the same
// identity is read once more after the settle time, by the first check that comes then;
// meanwhile the checks share the copy. A file that cannot be read or decoded is named in the
// server's log, with its cause, each time it is loaded.
#include <atomic>
#include <condition_variable>
#include <ctime>
#include <memory>
#include <string>
#include <unordered_map>

#include "common/FileIdentity.h"
#include "common/FileResult.h"
#include "common/Mutex.h"

namespace orvane {

class CPNUserDB;

class CUserDBCache {
public:
    enum class State { Loaded, Missing, Broken };

    // What a check needs of the accounts: for each login, the first account in list order
    // with that login, as FindLogin finds it.
    struct Accounts {
        struct Account {
            std::u16string password;
            bool teacher = false;
        };
        State state = State::Missing;
        CFileResult result = CFileResult::Missing();  // why the accounts are not loaded
        std::unordered_map<std::u16string, Account> byLogin;

        // True when the login's account has exactly this password (CheckCurrentPassword).
        bool Accepts(const std::u16string& login, const std::u16string& password) const;
        // True when the login and password are those of a teacher (IsCurrentTeacher of the
        // account that FindLogin finds, with the same pair as rights).
        bool IsTeacher(const std::u16string& login, const std::u16string& password) const;
        // Why no check can pass, for the log: "\"userdb\" cannot be decoded (bad index: ...)".
        std::string Cause() const;
    };

    // The one cache of the process, for the file "userdb" of the working directory.
    static CUserDBCache& Shared();

    explicit CUserDBCache(std::string filePath) : path(std::move(filePath)) {}

    // The accounts as the file holds them now.
    std::shared_ptr<const Accounts> Current();
    // Drops the loaded accounts, so that the next check loads the file whatever its identity
    // (a reload of orvane-server).
    void Forget();

private:
    // One load of the file, shared by the checks that wait for it.
    struct Flight {
        bool opened = false;  // the file is open, and `identity` is that of the bytes read
        bool landed = false;  // `accounts` are there
        FileIdentity identity;
        // Written once, before `done` is set; read after it without the mutex.
        std::shared_ptr<const Accounts> accounts;
        // Set when the flight has landed. The checks that wait for a landing wait on it
        // without the mutex: a storm of logins right after a save wakes all at once instead
        // of taking the mutex one after another.
        std::atomic<bool> done{false};
    };

    // Loads the file as the one flight; the mutex is released while the file is read.
    std::shared_ptr<const Accounts> Fly() REQUIRES(mutex);
    // Decodes the open file (or tells why it could not be opened) into `db` and the accounts,
    // and closes it.
    std::shared_ptr<const Accounts> Decode(int fd, const CFileResult& opened, CPNUserDB& db) const;

    const std::string path;
    CMutex mutex;
    std::condition_variable_any flightChanged;
    // A flight's fields are guarded by the mutex as well.
    std::shared_ptr<const Accounts> cached GUARDED_BY(mutex);
    FileIdentity cachedIdentity GUARDED_BY(mutex);
    // read again, or first read, after the settle time
    bool cachedSettled GUARDED_BY(mutex) = false;
    std::shared_ptr<Flight> flight GUARDED_BY(mutex);  // the load under way, if one is
};

}  // namespace orvane
