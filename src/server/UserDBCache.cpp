#include "server/UserDBCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <vector>

#include "archive/Archive.h"
#include "common/ConsoleLine.h"
#include "common/FileBytes.h"
#include "common/FileResult.h"
#include "server/ServerLog.h"
#include "users/PNUserDB.h"

namespace orvane {
namespace {

// File systems stamp times from a clock that ticks coarsely, so a save soon after a load can
// give a reused inode the same times. A load is kept only when the file's last change lies
// this much before the load began: any later save is then stamped later.
constexpr long kSettleNanoseconds = 1'000'000'000;

long long Nanoseconds(const timespec& time) {
    return static_cast<long long>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

std::shared_ptr<const CUserDBCache::Accounts> MissingDatabase() {
    static const auto missing = std::make_shared<const CUserDBCache::Accounts>();
    return missing;
}

}  // namespace

bool CUserDBCache::Accounts::Accepts(const std::u16string& login,
                                     const std::u16string& password) const {
    const auto account = byLogin.find(login);
    return account != byLogin.end() && account->second.password == password;
}

bool CUserDBCache::Accounts::IsTeacher(const std::u16string& login,
                                       const std::u16string& password) const {
    const auto account = byLogin.find(login);
    return account != byLogin.end() && account->second.password == password &&
           account->second.teacher;
}

std::string CUserDBCache::Accounts::Cause() const {
    switch (result.GetKind()) {
        case CFileResult::Kind::Ok:
            return "\"userdb\" holds the accounts";
        case CFileResult::Kind::Missing:
            return "there is no \"userdb\"";
        case CFileResult::Kind::Malformed:
            return "\"userdb\" cannot be decoded: " + result.Reason();
        default:
            return "\"userdb\" cannot be read: " + result.Reason();
    }
}

CUserDBCache::Identity CUserDBCache::Identity::Of(const struct stat& info) {
    return {info.st_dev, info.st_ino, info.st_size, info.st_mtim, info.st_ctim};
}

bool CUserDBCache::Identity::operator==(const Identity& other) const {
    return device == other.device && inode == other.inode && size == other.size &&
           Nanoseconds(modified) == Nanoseconds(other.modified) &&
           Nanoseconds(changed) == Nanoseconds(other.changed);
}

CUserDBCache& CUserDBCache::Shared() {
    // Never destroyed: detached session threads may still check while the process ends.
    static CUserDBCache* const cache = new CUserDBCache("userdb");
    return *cache;
}

std::shared_ptr<const CUserDBCache::Accounts> CUserDBCache::Current() {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return MissingDatabase();
    }
    const Identity now = Identity::Of(info);
    const std::lock_guard lock(mutex);
    if (cached != nullptr && now == cachedIdentity) {
        return cached;
    }
    timespec started{};
    ::clock_gettime(CLOCK_REALTIME, &started);
    Identity loadedIdentity;
    std::shared_ptr<const Accounts> loaded = Load(loadedIdentity);
    if (loaded->state == State::Broken) {
        WriteServerLog(CServerLog::Level::Error,
                       loaded->Cause() + ": every AUTH answers \"!Databaza neexistuje!\"");
    }
    const bool settled =
        Nanoseconds(loadedIdentity.changed) + kSettleNanoseconds < Nanoseconds(started) &&
        Nanoseconds(loadedIdentity.modified) + kSettleNanoseconds < Nanoseconds(started);
    if (loaded->state != State::Missing && settled) {
        cached = loaded;
        cachedIdentity = loadedIdentity;
    } else {
        cached.reset();
    }
    return loaded;
}

void CUserDBCache::Forget() {
    const std::lock_guard lock(mutex);
    cached.reset();
}

// Reads the file through one descriptor, so that the identity kept is that of the bytes read.
// A file that cannot be opened or read (a folder or a named pipe under the name, a refused
// permission) answers as an undecodable one: no session can check against it.
std::shared_ptr<const CUserDBCache::Accounts> CUserDBCache::Load(Identity& identity) const {
    auto accounts = std::make_shared<Accounts>();
    accounts->state = State::Broken;
    int fd = -1;
    const CFileResult opened = OpenFileForReading(path, fd);
    if (opened.IsMissing()) {
        return MissingDatabase();
    }
    std::vector<std::uint8_t> bytes;
    CFileResult read = opened;
    if (opened.IsOk()) {
        struct stat info {};
        ::fstat(fd, &info);
        identity = Identity::Of(info);
        read = ReadDescriptorBytes(fd, bytes);
        ::close(fd);
    }
    accounts->result = read;
    if (!read.IsOk()) {
        // As a database's own Load does: the line, and no accounts.
        PrintConsoleLine(kCannotOpenFile, path);
        return accounts;
    }
    try {
        CPNUserDB db;
        CArchive archive(bytes);
        db.Serialize(archive);
        for (bool more = db.First(); more; more = db.Next()) {
            const CPNUser& user = *db.CurrentUser();
            accounts->byLogin.try_emplace(user.GetLogin(),
                                          Accounts::Account{user.GetPassword(), user.IsTeacher()});
        }
    } catch (const ArchiveError& error) {
        accounts->byLogin.clear();
        accounts->result = CFileResult::Malformed(error.what());
        return accounts;
    } catch (const std::exception&) {
        accounts->byLogin.clear();
        accounts->result = CFileResult::Unreadable(ENOMEM);  // too large to be held
        return accounts;
    }
    accounts->state = State::Loaded;
    return accounts;
}

}  // namespace orvane
