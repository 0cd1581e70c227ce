#include "LogLines.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

CLogLines::CLogLines(int fd) : fd(fd), prefixed(IsJournalStream(fd)) {}

void CLogLines::Write(Level level, const std::string& line) {
    std::string text = prefixed ? "<" + std::to_string(static_cast<int>(level)) + ">" + line : line;
    text += '\n';
    const std::lock_guard lock(mutex);
    for (std::size_t written = 0; written < text.size();) {
        const ssize_t done = ::write(fd, text.data() + written, text.size() - written);
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return;
        }
        written += static_cast<std::size_t>(done);
    }
}

bool IsJournalStream(int fd) {
    const char* stream = std::getenv("JOURNAL_STREAM");
    unsigned long long device = 0;
    unsigned long long inode = 0;
    struct stat info {};
    return stream != nullptr && std::sscanf(stream, "%llu:%llu", &device, &inode) == 2 &&
           ::fstat(fd, &info) == 0 && info.st_dev == device && info.st_ino == inode;
}
