// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ConsoleLine.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

namespace orvane {
namespace {

std::mutex mutex;
std::FILE* consoleStream = nullptr;
std::atomic<void (*)(std::string_view)> consoleSink{nullptr};

}  // namespace

void PrintConsoleLine(std::string_view text) {
    if (const auto sink = consoleSink.load()) {
        sink(text);
        return;
    }
    std::string line(text);
    line += '\n';
    const std::lock_guard lock(mutex);
    std::FILE* stream = consoleStream == nullptr ? stdout : consoleStream;
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

void PrintConsoleLine(std::string_view text, std::string_view name) {
    std::string line(text);
    line += name;
    PrintConsoleLine(line);
}

void SetConsoleSink(void (*sink)(std::string_view line)) {
    consoleSink.store(sink);
}

void SetConsoleStream(std::FILE* stream) {
    const std::lock_guard lock(mutex);
    consoleStream = stream;
}

}  // namespace orvane
