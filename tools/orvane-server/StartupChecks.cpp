#include "StartupChecks.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "server/ServerLog.h"
#include "server/UserDBCache.h"

namespace {

constexpr char kEveryAuthNoDatabase[] = "every AUTH answers \"!Databaza neexistuje!\"";

void Warn(const std::string& line) {
    orvane::WriteServerLog(orvane::CServerLog::Level::Warning, "warning: " + line);
}

}  // namespace

void CheckServedFolder(const std::string& folder) {
    using orvane::CFileResult;
    if (::faccessat(AT_FDCWD, ".", W_OK, AT_EACCESS) != 0) {
        Warn("the folder " + folder + " is not writable (" + std::strerror(errno) +
             "): every SAVE answers \"!File couldnt be opened.\"");
    }
    const auto accounts = orvane::CUserDBCache::Shared().Current();
    const CFileResult& result = accounts->result;
    if (accounts->state == orvane::CUserDBCache::State::Loaded) {
        if (accounts->byLogin.empty()) {
            Warn("\"userdb\" holds no account: every AUTH answers \"!Wrong user / pass!!!\"");
        }
    } else if (result.IsMissing()) {
        Warn("there is no \"userdb\" in " + folder + ": " + kEveryAuthNoDatabase);
    }
    // A "userdb" that cannot be read or decoded is named by the accounts' cache as it loads.
}
