// SPDX-License-Identifier: GPL-3.0-or-later
// orvane-analysis-bench: how fast the explorer finds the markings of nets that grow with n,
// and how many bytes each stored marking takes, beside a plain hash set (std::unordered_set of
// strings) that takes the same inserts as the explorer: the initial marking, then the packed
// marking of every edge in the order the explorer met them, most of them already there. That
// is the rate an explicit-state explorer approaches when all its work is the set's. The
// explorer and the set take turns, five runs each at least and more for small nets, and each
// figure is the best of its runs, so that a busy machine slows both alike. Prints a table and the
// targets; exits 2 when a target is missed.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "ScalableNets.h"
#include "analysis/NetAnalysis.h"
#include "analysis/NetComparison.h"
#include "analysis/PropertyText.h"

namespace orvane::bench {
namespace {

constexpr int kRuns = 5;
constexpr double kTurnTime = 1.0;  // seconds
constexpr int kMostTurns = 500;

double Once(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double Seconds(const std::function<void()>& work) {
    double best = 1e30;
    for (int run = 0; run < kRuns; ++run) {
        best = std::min(best, Once(work));
    }
    return best;
}

// The best times of two pieces of work that take turns: kRuns turns each, and more while
// both together have taken less than kTurnTime, so that short runs are repeated often enough
// for the best of them to be a quiet one.
std::pair<double, double> InTurns(const std::function<void()>& first,
                                  const std::function<void()>& second) {
    std::pair<double, double> best{1e30, 1e30};
    double spent = 0;
    for (int run = 0; run < kRuns || (spent < kTurnTime && run < kMostTurns); ++run) {
        const double one = Once(first), other = Once(second);
        best = {std::min(best.first, one), std::min(best.second, other)};
        spent += one + other;
    }
    return best;
}

struct SRow {
    double rate = 0;     // states per second
    double setRate = 0;  // the hash set's inserts per second
    double bytesPerState = 0;
};

SRow Measure(const char* family, int n, const CNetStructure& net) {
    std::vector<CInvariants::Invariant> invariants;
    if (!CInvariants::OfPlaces(net, invariants)) {
        invariants.clear();
    }
    const auto bounds = StructuralBounds(net, invariants);
    std::uint32_t states = 0;
    std::uint64_t edges = 0;
    std::size_t bytes = 0;
    bool exact = false, omega = false;
    // The search once with its edges kept: the order of the set's inserts.
    SExploreLimits recorded;
    recorded.recordEdges = true;
    CStateSpace space(net, bounds, recorded);
    space.Explore();
    std::vector<std::uint32_t> inserts{0};
    for (std::uint32_t s = 0; s < space.StateCount(); ++s) {
        for (auto [edge, end] = space.Edges(s); edge != end; ++edge) {
            inserts.push_back(edge->target);
        }
    }
    const auto [explore, insert] = InTurns(
        [&] {
            CStateSpace run(net, bounds, {});
            run.Explore();
            states = run.StateCount();
            edges = run.EdgeCount();
            bytes = run.MemoryBytes();
            exact = run.IsComplete();
            omega = run.HasOmega();
        },
        [&] {
            std::unordered_set<std::string> set;
            for (const std::uint32_t state : inserts) {
                set.emplace(reinterpret_cast<const char*>(space.Packed(state)),
                            space.PackedBytes());
            }
        });
    SRow row{states / explore, states / insert, static_cast<double>(bytes) / states};
    std::printf("%-20s %3d %6zu %9u %10llu %-6s %12.0f %12.0f %6.2f %8.1f\n", family, n,
                net.Places().size(), states, static_cast<unsigned long long>(edges),
                omega ? "omega" : (exact ? "exact" : "cut"), row.rate, row.setRate,
                row.rate / row.setRate, row.bytesPerState);
    return row;
}

// The window's whole work for one net: the analysis, its lines, the comparison with a copy.
double ExamNetMilliseconds(const CNetStructure& net) {
    return 1000 * Seconds([&] {
               const auto lines = PropertyLines(AnalyseNet(net));
               const auto compared = ComparisonLines(CompareNets(net, net));
               if (lines.empty() || compared.empty()) {
                   std::abort();
               }
           });
}

}  // namespace
}  // namespace orvane::bench

int main() {
    using namespace orvane::bench;
    std::printf("%-20s %3s %6s %9s %10s %-6s %12s %12s %6s %8s\n", "net", "n", "places", "states",
                "edges", "graph", "states/s", "hashset/s", "ratio", "B/state");
    double worstRatio = 1e30, worstBytes = 0;
    const auto safe = [&](const SRow& row) {
        worstRatio = std::min(worstRatio, row.rate / row.setRate);
        worstBytes = std::max(worstBytes, row.bytesPerState);
    };
    for (int n = 5; n <= 12; ++n) {
        safe(Measure("philosophers", n, Philosophers(n)));
    }
    for (const int n : {8, 12, 16, 20, 24, 32}) {
        safe(Measure("cycles", n, Cycles(n)));
    }
    for (const int n : {10, 100, 1000, 10000, 100000}) {
        Measure("producer-consumer", n, ProducerConsumer(n));
    }
    for (const int n : {4, 8, 12, 16}) {
        Measure("unbounded", n, UnboundedProducers(n));
    }
    const double exam = ExamNetMilliseconds(Philosophers(5));
    std::printf(
        "\n1-safe nets up to 64 places: worst ratio %.2f (target >= 0.5), most bytes per "
        "state %.1f (target <= 48)\n",
        worstRatio, worstBytes);
    std::printf(
        "exam-sized net (5 philosophers, 35 elements): analysis, lines and comparison "
        "%.2f ms (target < 50 ms)\n",
        exam);
    return worstRatio >= 0.5 && worstBytes <= 48 && exam < 50 ? 0 : 2;
}
