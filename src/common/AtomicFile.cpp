#include "common/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>

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

}  // namespace

CAtomicFile::~CAtomicFile() {
    Abort();
}

bool CAtomicFile::Open(const std::string& targetPath) {
    Abort();
    target = targetPath;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporaryPath = TemporaryPathFor(target);
        // Mode 0666 lets the process umask decide, as for any file the program creates.
        fd = ::open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
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

bool WriteFileAtomically(const std::string& target, std::span<const std::uint8_t> bytes) {
    return WriteFileAtomically(target, std::span(&bytes, 1));
}

bool WriteFileAtomically(const std::string& target,
                         std::span<const std::span<const std::uint8_t>> pieces) {
    CAtomicFile file;
    if (!file.Open(target)) {
        return false;
    }
    for (const auto piece : pieces) {
        if (!file.Write(piece.data(), piece.size())) {
            return false;
        }
    }
    return file.Commit();
}

}  // namespace orvane
