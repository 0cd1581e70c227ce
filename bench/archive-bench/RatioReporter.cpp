// SPDX-License-Identifier: GPL-3.0-or-later
#include "RatioReporter.h"

#include <algorithm>
#include <cstdio>
#include <ostream>

namespace orvane::bench {
namespace {

constexpr double kMegabyte = 1e6;

// printf-style formatting into a string.
template <class... Values>
std::string Line(const char* format, Values... values) {
    char line[256];
    std::snprintf(line, sizeof line, format, values...);
    return line;
}

}  // namespace

CRatioReporter::CRatioReporter(std::vector<Target> speedTargets, std::vector<Scaling> timeScalings)
    : targets(std::move(speedTargets)), scalings(std::move(timeScalings)) {}

void CRatioReporter::ReportRuns(const std::vector<Run>& reports) {
    ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
        if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0) {
            continue;
        }
        const std::string name = run.run_name.function_name;
        const auto bytes = run.counters.find("bytes");
        Measure measure{run.cpu_accumulated_time / static_cast<double>(run.iterations),
                        bytes == run.counters.end() ? 0 : bytes->second.value};
        const auto [known, isNew] = measures.try_emplace(name, measure);
        if (!isNew && measure.seconds < known->second.seconds) {
            known->second = measure;
        }
        const std::string sample = name.substr(0, name.rfind('/'));
        if (std::find(samples.begin(), samples.end(), sample) == samples.end()) {
            samples.push_back(sample);
        }
    }
}

const CRatioReporter::Measure* CRatioReporter::Find(const std::string& sample,
                                                    const std::string& operation) const {
    const auto found = measures.find(sample + "/" + operation);
    return found == measures.end() ? nullptr : &found->second;
}

double CRatioReporter::MegabytesPerSecond(const Measure& measure) const {
    return measure.bytes / measure.seconds / kMegabyte;
}

void CRatioReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::ostream& out = GetOutputStream();
    PrintSamples(out);
    PrintTargets(out);
    PrintScalings(out);
    out << (allMet ? "Every target met.\n" : "Some targets missed.\n");
}

void CRatioReporter::PrintSamples(std::ostream& out) const {
    out << "\nSpeeds in MB/s (10^6 bytes) of CPU time, best of the repetitions; "
           "x memcpy: the share of a memcpy of the same bytes\n";
    out << Line("%-34s %9s %10s %9s %10s %9s %10s\n", "sample", "MB", "memcpy", "store", "x memcpy",
                "load", "x memcpy");
    for (const std::string& sample : samples) {
        const Measure* copy = Find(sample, "memcpy");
        const double copySpeed = copy != nullptr ? MegabytesPerSecond(*copy) : 0;
        double size = 0;
        std::string speeds;
        for (const char* operation : {"store", "load"}) {
            const Measure* measure = Find(sample, operation);
            if (measure == nullptr) {
                speeds += Line(" %9s %10s", "-", "-");
                continue;
            }
            size = measure->bytes;
            const double speed = MegabytesPerSecond(*measure);
            speeds += Line(" %9.1f", speed);
            speeds += copySpeed > 0 ? Line(" %10.4f", speed / copySpeed) : Line(" %10s", "-");
        }
        out << Line("%-34s %9.1f", sample.c_str(), size / kMegabyte)
            << (copy != nullptr ? Line(" %10.0f", copySpeed) : Line(" %10s", "-")) << speeds
            << '\n';
    }
}

void CRatioReporter::PrintTargets(std::ostream& out) {
    out << "\nTargets\n";
    for (const Target& target : targets) {
        const Measure* measure = Find(target.sample, target.operation);
        if (measure == nullptr) {
            out << Line("  %s %s: not run\n", target.sample.c_str(), target.operation.c_str());
            continue;
        }
        const double speed = MegabytesPerSecond(*measure);
        const bool met = speed >= target.megabytesPerSecond;
        allMet = allMet && met;
        out << Line("  %s %s: %.1f MB/s, at least %.0f: %s\n", target.sample.c_str(),
                    target.operation.c_str(), speed, target.megabytesPerSecond,
                    met ? "met" : "MISSED");
    }
}

void CRatioReporter::PrintScalings(std::ostream& out) {
    out << "\nGrowth with the data (time of the larger sample / time of the smaller)\n";
    for (const Scaling& scaling : scalings) {
        for (const char* operation : {"store", "load"}) {
            const Measure* small = Find(scaling.sample, operation);
            const Measure* large = Find(scaling.scaledSample, operation);
            if (small == nullptr || large == nullptr) {
                continue;
            }
            const double growth = large->seconds / small->seconds;
            const bool met = growth <= scaling.timeLimit;
            allMet = allMet && met;
            out << Line(
                "  %-16s %-5s %9.1f ms -> %9.1f ms: %5.2fx the time for %5.2fx the "
                "bytes, at most %.0fx: %s\n",
                scaling.what.c_str(), operation, small->seconds * 1e3, large->seconds * 1e3, growth,
                large->bytes / small->bytes, scaling.timeLimit, met ? "met" : "MISSED");
        }
    }
}

}  // namespace orvane::bench
