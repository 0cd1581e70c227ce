#include "common/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <string_view>

namespace orvane {
namespace {

std::atomic<unsigned> temporaryCounter{0};

std::string TemporaryPathFor(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + "." + name + "." + std::to_string(::getpid()) + "." +
           std::to_string(temporaryCounter.fetch_add(1)) + ".tmp";
}

// The process that made a temporary file ".<name>.<pid>.<n>.tmp"; 0 for any other name.
pid_t WriterOf(std::string_view name) {
    constexpr std::string_view kSuffix = ".tmp";
    if (!name.starts_with('.') || !name.ends_with(kSuffix)) {
        return 0;
    }
    name.remove_suffix(kSuffix.size());
    const std::size_t counterDot = name.rfind('.');
    if (counterDot == std::string_view::npos || counterDot == 0) {
        return 0;
    }
    const std::size_t pidDot = name.rfind('.', counterDot - 1);
    if (pidDot == std::string_view::npos || pidDot == 0) {
        return 0;
    }
    const std::string_view counter = name.substr(counterDot + 1);
    const std::string_view pid = name.substr(pidDot + 1, counterDot - pidDot - 1);
    unsigned long counterValue = 0;
    long pidValue = 0;
    const auto counterEnd =
        std::from_chars(counter.data(), counter.data() + counter.size(), counterValue);
    const auto pidEnd = std::from_chars(pid.data(), pid.data() + pid.size(), pidValue);
    if (counter.empty() || counterEnd.ptr != counter.data() + counter.size() ||
        pidEnd.ptr != pid.data() + pid.size() || pidValue <= 0) {
        return 0;
    }
    return static_cast<pid_t>(pidValue);
}

bool IsRunning(pid_t pid) {
    return pid == ::getpid() || ::kill(pid, 0) == 0 || errno != ESRCH;
}

}  // namespace

CAtomicFile::~CAtomicFile() {
    Abort();
}

bool CAtomicFile::Open(const std::string& targetPath, mode_t newFileMode) {
    Abort();
    target = targetPath;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = TemporaryPathFor(target);
        fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, newFileMode);
        if (fd >= 0) {
            return true;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    temporaryPath.clear();
    return false;
}

bool CAtomicFile::Write(const void* data, std::size_t size) {
    if (fd < 0) {
        return false;
    }
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            Abort();
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool CAtomicFile::Commit() {
    if (fd < 0) {
        return false;
    }
    const int closed = ::close(fd);
    fd = -1;
    if (closed != 0 || std::rename(temporaryPath.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporaryPath.c_str());
        temporaryPath.clear();
        errno = error;
        return false;
    }
    temporaryPath.clear();
    return true;
}

void CAtomicFile::Abort() {
    const int error = errno;  // callers report the error that made them give up
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
        ::unlink(temporaryPath.c_str());
    }
    temporaryPath.clear();
    errno = error;
}

void RemoveStaleTemporaryFiles(const std::string& folder) {
    DIR* const entries = ::opendir(folder.c_str());
    if (entries == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(entries)) {
        const pid_t writer = WriterOf(entry->d_name);
        struct stat info {};
        if (writer != 0 && !IsRunning(writer) &&
            ::fstatat(::dirfd(entries), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode)) {
            ::unlinkat(::dirfd(entries), entry->d_name, 0);
        }
    }
    ::closedir(entries);
}

CFileResult WriteFileAtomically(const std::string& target, std::span<const std::uint8_t> bytes,
                                mode_t newFileMode) {
    return WriteFileAtomically(target, std::span(&bytes, 1), newFileMode);
}

CFileResult WriteFileAtomically(const std::string& target,
                                std::span<const std::span<const std::uint8_t>> pieces,
                                mode_t newFileMode) {
    CAtomicFile file;
    if (!file.Open(target, newFileMode)) {
        return CFileResult::Unwritable(errno);
    }
    for (const auto piece : pieces) {
        if (!file.Write(piece.data(), piece.size())) {
            return CFileResult::Unwritable(errno);
        }
    }
    return file.Commit() ? CFileResult() : CFileResult::Unwritable(errno);
}

}  // namespace orvane
