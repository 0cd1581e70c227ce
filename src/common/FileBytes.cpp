#include "common/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orvane {

std::optional<std::vector<std::uint8_t>> ReadFileBytes(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return std::nullopt;
    }
    auto bytes = ReadDescriptorBytes(fd);
    ::close(fd);
    return bytes;
}

std::optional<std::vector<std::uint8_t>> ReadDescriptorBytes(int fd) {
    std::vector<std::uint8_t> bytes;
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
            return std::nullopt;
        }
        if (got == 0) {
            return bytes;
        }
        bytes.insert(bytes.end(), block, block + got);
    }
}

}  // namespace orvane
