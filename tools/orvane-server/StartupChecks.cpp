// SPDX-License-Identifier: GPL-3.0-or-later
#include "StartupChecks.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "CommandLine.h"
#include "common/ExamFolders.h"
#include "server/ServerLog.h"
#include "server/UserDBCache.h"

namespace {

constexpr char kEveryAuthNoDatabase[] = "every AUTH answers \"!Databaza neexistuje!\"";

void Warn(const std::string& line) {
    orvane::WriteServerLog(orvane::CServerLog::Level::Warning, "warning: " + line);
}

// A folder "tests" that the server cannot list or enter hides every student's kept test: each
// of them would get the shared "testdb" without a word.
void CheckKeptTestsFolder() {
    const std::string name(orvane::kKeptTestsFolder);
    struct stat info {};
    if (::lstat(name.c_str(), &info) != 0 && errno == ENOENT) {
        return;
    }
    const int fd = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 || ::faccessat(AT_FDCWD, name.c_str(), R_OK | X_OK, AT_EACCESS) != 0) {
        Warn("the folder \"" + name + "\" of kept tests cannot be read (" + std::strerror(errno) +
             "): every student gets the shared \"testdb\"");
    }
    if (fd >= 0) {
        ::close(fd);
    }
}

}  // namespace

std::string ListenAddressError(std::uint32_t address) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(address);
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) == 0;
    const int error = errno;
    if (fd >= 0) {
        ::close(fd);
    }
    return bound ? std::string()
                 : "cannot listen on " + AddressText(address) + ": " + std::strerror(error);
}

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
    CheckKeptTestsFolder();
}
