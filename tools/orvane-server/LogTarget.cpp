// SPDX-License-Identifier: GPL-3.0-or-later
#include "LogTarget.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "LogLines.h"

namespace {

bool SameFile(const struct stat& one, dev_t device, ino_t inode) {
    return one.st_dev == device && one.st_ino == inode;
}

}  // namespace

CLogTarget::CLogTarget() {
    struct stat output {};
    char link[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/fd/1", link, sizeof link - 1);
    if (::fstat(STDOUT_FILENO, &output) != 0 || !S_ISREG(output.st_mode) || length <= 0 ||
        link[0] != '/') {
        return;
    }
    path.assign(link, static_cast<std::size_t>(length));
    if (path.ends_with(" (deleted)")) {  // removed already: there is nothing to follow
        path.clear();
        return;
    }
    device = output.st_dev;
    inode = output.st_ino;
}

std::string CLogTarget::Reopen() {
    if (path.empty()) {
        return IsJournalStream(STDOUT_FILENO) ? "the journal" : "standard output, as before";
    }
    struct stat named {};
    if (::stat(path.c_str(), &named) == 0 && SameFile(named, device, inode)) {
        return path + ", as before";
    }
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        return "the old file of " + path + ", which cannot be opened again (" +
               std::strerror(errno) + ")";
    }
    struct stat error {};
    const bool errorsToo = ::fstat(STDERR_FILENO, &error) == 0 && SameFile(error, device, inode);
    ::fstat(fd, &named);
    ::dup2(fd, STDOUT_FILENO);
    if (errorsToo) {
        ::dup2(fd, STDERR_FILENO);
    }
    ::close(fd);
    device = named.st_dev;
    inode = named.st_ino;
    return path + ", opened again";
}
