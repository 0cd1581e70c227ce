#include "common/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

namespace orvane {
namespace {

constexpr char kNotRegular[] = "not a regular file";

}  // namespace

CFileResult OpenFileForReading(const std::string& path, int& fd) {
    fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? CFileResult::Missing() : CFileResult::Unreadable(errno);
    }
    struct stat info {};
    CFileResult result;
    if (::fstat(fd, &info) != 0) {
        result = CFileResult::Unreadable(errno);
    } else if (S_ISDIR(info.st_mode)) {
        result = CFileResult::Unreadable(EISDIR);
    } else if (!S_ISREG(info.st_mode)) {
        result = CFileResult::Unreadable(EINVAL, kNotRegular);
    }
    if (!result.IsOk()) {
        ::close(fd);
        fd = -1;
    }
    return result;
}

CFileResult ReadFileBytes(const std::string& path, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    int fd = -1;
    CFileResult result = OpenFileForReading(path, fd);
    if (result.IsOk()) {
        result = ReadDescriptorBytes(fd, bytes);
        ::close(fd);
    }
    return result;
}

CFileResult ReadDescriptorBytes(int fd, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    try {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
            bytes.reserve(static_cast<std::size_t>(info.st_size));
        }
        std::uint8_t block[65536];
        for (;;) {
            const ssize_t got = ::read(fd, block, sizeof block);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                return CFileResult::Unreadable(errno);
            }
            if (got == 0) {
                return {};
            }
            bytes.insert(bytes.end(), block, block + got);
        }
    } catch (const std::bad_alloc&) {
        bytes = {};
        return CFileResult::Unreadable(ENOMEM);
    }
}

}  // namespace orvane
