// SPDX-License-Identifier: GPL-3.0-or-later
#include "LatencyLog.h"

#include <algorithm>
#include <cstdio>

namespace orvane::load {
namespace {

double Percentile(std::vector<std::int64_t>& sorted, double fraction) {
    const auto at = static_cast<std::size_t>(fraction * static_cast<double>(sorted.size() - 1));
    return static_cast<double>(sorted[at]) / 1000.0;
}

}  // namespace

void CLatencyLog::Add(const std::string& kind, Clock::duration took) {
    microseconds[kind].push_back(
        std::chrono::duration_cast<std::chrono::microseconds>(took).count());
}

void CLatencyLog::Merge(const CLatencyLog& other) {
    for (const auto& [kind, samples] : other.microseconds) {
        auto& mine = microseconds[kind];
        mine.insert(mine.end(), samples.begin(), samples.end());
    }
}

std::size_t CLatencyLog::Count(const std::string& kind) const {
    const auto found = microseconds.find(kind);
    return found == microseconds.end() ? 0 : found->second.size();
}

void CLatencyLog::Print(Clock::duration elapsed) const {
    const double seconds = std::chrono::duration<double>(elapsed).count();
    std::printf("%-8s %10s %12s %10s %10s %10s\n", "request", "count", "per second", "p50 ms",
                "p99 ms", "max ms");
    for (auto [kind, samples] : microseconds) {
        std::sort(samples.begin(), samples.end());
        std::printf("%-8s %10zu %12.0f %10.3f %10.3f %10.3f\n", kind.c_str(), samples.size(),
                    static_cast<double>(samples.size()) / seconds, Percentile(samples, 0.50),
                    Percentile(samples, 0.99), static_cast<double>(samples.back()) / 1000.0);
    }
}

}  // namespace orvane::load
