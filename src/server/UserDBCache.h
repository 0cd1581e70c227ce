#pragma once
// CUserDBCache: the accounts of "userdb" as the sessions check them, loaded once and shared
// until the file changes. Every check first reads the file's identity (device, inode, size,
// modification and change times to the nanosecond); any difference loads the file again, and
// a file changed so recently that a later save could still give it the same identity is loaded
// afresh at every check. So each check sees the file as last saved, as if it had loaded it.
// A file that cannot be read or decoded is named in the server's log, with its cause, each
// time it is loaded.
#include <sys/stat.h>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "common/FileResult.h"

namespace orvane {

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

    explicit CUserDBCache(std::string path) : path(std::move(path)) {}

    // The accounts as the file holds them now.
    std::shared_ptr<const Accounts> Current();
    // Drops the loaded accounts, so that the next check loads the file whatever its identity
    // (a reload of orvane-server).
    void Forget();

private:
    struct Identity {
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = -1;
        timespec modified{};
        timespec changed{};
        static Identity Of(const struct stat& info);
        bool operator==(const Identity& other) const;
    };

    std::shared_ptr<const Accounts> Load(Identity& identity) const;

    const std::string path;
    std::mutex mutex;
    std::shared_ptr<const Accounts> cached;
    Identity cachedIdentity;
};

}  // namespace orvane
