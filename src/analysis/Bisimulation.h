// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CBisimulation: whether two complete reachability graphs behave alike when their edges are
// named by the transitions' names: each marking of one can do every named step that the
// matching marking of the other can, into markings that match again (strong bisimulation,
// found by refining blocks of alike markings until no block splits). Where they do not, the
// first difference is a shortest firing sequence both allow, followed by a transition that
// one side allows there and the other does not.
#include <atomic>
#include <cstdint>
#include <vector>

#include "analysis/StateSpace.h"

namespace orvane {

class CBisimulation {
public:
    // Edge visits of the refinement at most; past them the answer is unknown.
    static constexpr std::uint64_t kWorkLimit = 200'000'000;

    // `labels`: per transition of each net, the number of its name (equal names, equal
    // numbers). Both spaces must be complete, without ω, with their edges recorded.
    // `cancel`, when set, ends the refinement undecided.
    CBisimulation(const CStateSpace& first, const std::vector<std::uint32_t>& firstLabels,
                  const CStateSpace& second, const std::vector<std::uint32_t>& secondLabels,
                  const std::atomic<bool>* cancel = nullptr);

    bool Decided() const { return decided; }
    bool Equal() const { return equal; }
    // Label numbers: the common steps, then the one that only one side allows.
    const std::vector<std::uint32_t>& Difference() const { return difference; }
    bool FirstAllows() const { return firstAllows; }

private:
    struct SStep {
        std::uint32_t label;
        std::uint32_t target;  // in the union of both graphs
    };

    void Add(const CStateSpace& space, const std::vector<std::uint32_t>& labels,
             std::uint32_t offset);
    bool Refine();
    std::vector<std::uint32_t> Labels(std::uint32_t state) const;
    void FindDifference();

    const std::atomic<bool>* cancel;
    std::uint32_t firstStates = 0;
    std::vector<std::uint32_t> start;  // steps of state s: steps[start[s], start[s + 1])
    std::vector<SStep> steps;
    std::vector<std::uint32_t> block;
    bool decided = false;
    bool equal = false;
    std::vector<std::uint32_t> difference;
    bool firstAllows = false;
};

}  // namespace orvane
