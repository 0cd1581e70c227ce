// SPDX-License-Identifier: GPL-3.0-or-later
#include "Reload.h"

#include "ServiceNotifier.h"
#include "StartupChecks.h"
#include "server/ServerLog.h"
#include "server/UserDBCache.h"

void ReloadService(const std::string& folder, CLogTarget& logTarget) {
    CServiceNotifier::Reloading();
    const std::string target = logTarget.Reopen();
    orvane::CUserDBCache::Shared().Forget();
    CheckServedFolder(folder);
    const auto accounts = orvane::CUserDBCache::Shared().Current();
    const std::string users =
        accounts->state == orvane::CUserDBCache::State::Loaded
            ? "\"userdb\" read again, " + std::to_string(accounts->byLogin.size()) + " accounts"
            : "\"userdb\" not loaded";
    orvane::WriteServerLog(orvane::CServerLog::Level::Info,
                           "reloaded on SIGHUP: " + users + ", " + folder +
                               " checked again, the log goes to " + target);
    CServiceNotifier::Send("READY=1");
}
