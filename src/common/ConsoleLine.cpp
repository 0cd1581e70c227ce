#include "common/ConsoleLine.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace orvane {

void PrintConsoleLine(std::string_view text) {
    static std::mutex mutex;
    std::string line(text);
    line += '\n';
    const std::lock_guard lock(mutex);
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fflush(stdout);
}

}  // namespace orvane
