// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CLatencyLog: how long each kind of request took, kept per client thread and merged at the
// end, then printed as count, rate, median, 99th percentile and maximum per kind.
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace orvane::load {

class CLatencyLog {
public:
    using Clock = std::chrono::steady_clock;

    void Add(const std::string& kind, Clock::duration took);
    void Merge(const CLatencyLog& other);
    // One line per kind; the rate is counted over `elapsed`.
    void Print(Clock::duration elapsed) const;
    std::size_t Count(const std::string& kind) const;

private:
    std::map<std::string, std::vector<std::int64_t>> microseconds;
};

// Times one request into the log from construction to Stop (or destruction).
class CTimed {
public:
    CTimed(CLatencyLog& latencies, std::string what)
        : log(latencies), kind(std::move(what)), started(CLatencyLog::Clock::now()) {}
    ~CTimed() { log.Add(kind, CLatencyLog::Clock::now() - started); }
    CTimed(const CTimed&) = delete;
    CTimed& operator=(const CTimed&) = delete;

private:
    CLatencyLog& log;
    std::string kind;
    CLatencyLog::Clock::time_point started;
};

}  // namespace orvane::load
