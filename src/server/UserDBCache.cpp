// SPDX-License-Identifier: GPL-3.0-or-later
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
#include "common/FileNames.h"
#include "common/FileResult.h"
#include "server/ServerLog.h"
#include "users/PNUserDB.h"

namespace orvane {
namespace {

std::shared_ptr<const CUserDBCache::Accounts> MissingDatabase() {
    static const auto missing = std::make_shared<const CUserDBCache::Accounts>();
    return missing;
}

// Made before it is needed: a file too large to be held.
std::shared_ptr<const CUserDBCache::Accounts> TooLarge() {
    static const auto tooLarge = [] {
        auto accounts = std::make_shared<CUserDBCache::Accounts>();
        accounts->state = CUserDBCache::State::Broken;
        accounts->result = CFileResult::Unreadable(ENOMEM);
        return accounts;
    }();
    return tooLarge;
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

CUserDBCache& CUserDBCache::Shared() {
    // Never destroyed: detached session threads may still check while the process ends.
    static CUserDBCache* const cache = new CUserDBCache(std::string(kUserDBFile));
    return *cache;
}

std::shared_ptr<const CUserDBCache::Accounts> CUserDBCache::Current() {
    for (;;) {
        struct stat info {};
        if (::stat(path.c_str(), &info) != 0) {
            return MissingDatabase();
        }
        const FileIdentity now = FileIdentity::Of(info);
        std::shared_ptr<Flight> current;
        bool served = false;
        {
            CMutexLock lock(mutex);
            if (cached != nullptr && now == cachedIdentity) {
                // One check reads a recent version again once it has settled; the others, and
                // every check until then, take the copy.
                if (cachedSettled || flight != nullptr ||
                    IsBefore(RealTimeNow(), cachedIdentity.SettlesAt())) {
                    return cached;
                }
                return Fly();
            }
            if (flight == nullptr) {
                return Fly();
            }
            // A load under way serves this check when it reads the version that the check
            // saw; otherwise the check looks again once that load has landed.
            current = flight;
            lock.Wait(flightChanged, [&] {
                mutex.AssertHeld();
                return current->opened || current->landed;
            });
            served = current->opened && current->identity == now;
        }
        current->done.wait(false, std::memory_order_acquire);
        if (served) {
            return current->accounts;
        }
    }
}

std::shared_ptr<const CUserDBCache::Accounts> CUserDBCache::Fly() {
    const auto current = std::make_shared<Flight>();
    flight = current;
    mutex.Unlock();
    const timespec began = RealTimeNow();
    int fd = -1;
    const CFileResult opened = OpenFileForReading(path, fd);
    struct stat info {};
    const bool identified = opened.IsOk() && ::fstat(fd, &info) == 0;
    mutex.Lock();
    current->opened = identified;
    current->identity = identified ? FileIdentity::Of(info) : FileIdentity();
    flightChanged.notify_all();
    mutex.Unlock();

    std::shared_ptr<const Accounts> loaded = TooLarge();
    // What is no longer needed goes once the waiting checks have their accounts.
    auto decoded = std::make_unique<CPNUserDB>();
    std::shared_ptr<const Accounts> previous;
    try {
        loaded = Decode(fd, opened, *decoded);
    } catch (const std::exception&) {
        // the flight lands all the same, or its waiters would wait for ever
    }
    if (loaded->state == State::Broken) {
        WriteServerLog(CServerLog::Level::Error,
                       loaded->Cause() + ": every AUTH answers \"!Databaza neexistuje!\"");
    }
    mutex.Lock();
    current->accounts = loaded;
    current->landed = true;
    current->done.store(true, std::memory_order_release);
    current->done.notify_all();
    flight.reset();
    previous = std::move(cached);
    if (loaded->state != State::Missing && identified) {
        cached = loaded;
        cachedIdentity = current->identity;
        cachedSettled = cachedIdentity.IsSettledAt(began);
    } else {
        cached.reset();
    }
    flightChanged.notify_all();
    mutex.Unlock();
    decoded.reset();
    previous.reset();
    mutex.Lock();
    return loaded;
}

void CUserDBCache::Forget() {
    const CMutexLock lock(mutex);
    cached.reset();
}

// Reads the file through the one descriptor whose identity the flight took. A file that cannot
// be opened or read (a folder or a named pipe under the name, a refused permission) answers as
// an undecodable one: no session can check against it.
std::shared_ptr<const CUserDBCache::Accounts> CUserDBCache::Decode(int fd,
                                                                   const CFileResult& opened,
                                                                   CPNUserDB& db) const {
    if (opened.IsMissing()) {
        return MissingDatabase();
    }
    auto accounts = std::make_shared<Accounts>();
    accounts->state = State::Broken;
    std::vector<std::uint8_t> bytes;
    CFileResult read = opened;
    if (opened.IsOk()) {
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
        CArchive archive(bytes);
        db.Serialize(archive);
        accounts->byLogin.reserve(static_cast<std::size_t>(db.GetCount()));
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
        return TooLarge();
    }
    accounts->state = State::Loaded;
    return accounts;
}

}  // namespace orvane
