// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CRatioReporter: the console output of Google Benchmark, followed by a summary of the same
// run: each sample's store and load speed in MB/s (10^6 bytes) and as a share of a plain
// memcpy of the same bytes, the speed targets, and how much longer the ten-times samples take.
// Benchmarks are named "<sample>/<operation>" with the operations memcpy, store and load; the
// time of a benchmark is its CPU time per iteration, the best of its repetitions.
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace orvane::bench {

class CRatioReporter : public benchmark::ConsoleReporter {
public:
    struct Target {
        std::string sample;
        std::string operation;
        double megabytesPerSecond;  // at least
    };
    struct Scaling {
        std::string what;  // e.g. "10x accounts"
        std::string sample;
        std::string scaledSample;
        double timeLimit;  // the most the time may grow by
    };

    CRatioReporter(std::vector<Target> targets, std::vector<Scaling> scalings);

    void ReportRuns(const std::vector<Run>& reports) override;
    void Finalize() override;

    // False once any target or scaling limit was missed (known after Finalize).
    bool AllMet() const { return allMet; }

private:
    struct Measure {
        double seconds = 0;  // per iteration
        double bytes = 0;    // per iteration
    };

    const Measure* Find(const std::string& sample, const std::string& operation) const;
    double MegabytesPerSecond(const Measure& measure) const;
    void PrintSamples(std::ostream& out) const;
    void PrintTargets(std::ostream& out);
    void PrintScalings(std::ostream& out);

    std::vector<Target> targets;
    std::vector<Scaling> scalings;
    std::vector<std::string> samples;         // in the order first run
    std::map<std::string, Measure> measures;  // by benchmark name
    bool allMet = true;
};

}  // namespace orvane::bench
