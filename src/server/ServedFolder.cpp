// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServedFolder.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "common/Mutex.h"
#include "common/TextCodec.h"
#include "server/ServerLog.h"

namespace orvane {
namespace {

struct Served {
    CMutex mutex;
    std::string path GUARDED_BY(mutex);  // empty: nothing remembered
    bool gone GUARDED_BY(mutex) = false;
};

Served& State() {
    static Served* const served = new Served;  // never destroyed, as the listener may ask late
    return *served;
}

std::string Shown(const std::string& path) {
    return LogText(FromUtf8(path));
}

}  // namespace

void RememberServedFolder() {
    Served& served = State();
    const CMutexLock lock(served.mutex);
    char path[PATH_MAX];
    served.path = ::getcwd(path, sizeof path) != nullptr ? path : "";
    served.gone = false;
}

void ReturnToServedFolder() {
    Served& served = State();
    const CMutexLock lock(served.mutex);
    struct stat here {
    }, there{};
    if (served.path.empty() ||
        (::stat(".", &here) == 0 && here.st_nlink > 0 && ::stat(served.path.c_str(), &there) == 0 &&
         here.st_dev == there.st_dev && here.st_ino == there.st_ino)) {
        return;
    }
    if (::stat(served.path.c_str(), &there) == 0 && S_ISDIR(there.st_mode) &&
        ::chdir(served.path.c_str()) == 0) {
        WriteServerLog(CServerLog::Level::Warning,
                       "the folder " + Shown(served.path) + " was replaced: serving it again");
        served.gone = false;
    } else if (!served.gone) {
        WriteServerLog(CServerLog::Level::Error,
                       "the folder " + Shown(served.path) +
                           " is gone: every file is missing until it is back");
        served.gone = true;
    }
}

}  // namespace orvane
