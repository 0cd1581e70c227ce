// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/NetComparison.h"

#include <map>
#include <memory>

#include "analysis/Bisimulation.h"

namespace orvane {
namespace {

std::unique_ptr<CStateSpace> Explore(const CNetStructure& net, const SExploreLimits& limits) {
    std::vector<CInvariants::Invariant> invariants;
    if (!CInvariants::OfPlaces(net, invariants)) {
        invariants.clear();
    }
    SExploreLimits recorded = limits;
    recorded.recordEdges = true;
    auto space = std::make_unique<CStateSpace>(net, StructuralBounds(net, invariants), recorded);
    space->Explore();
    return space;
}

std::vector<std::uint32_t> Labels(const CNetStructure& net,
                                  std::map<std::u16string, std::uint32_t>& numbers,
                                  std::vector<std::u16string>& names) {
    std::vector<std::uint32_t> labels;
    for (const auto& transition : net.Transitions()) {
        const auto [at, added] = numbers.try_emplace(transition.name, names.size());
        if (added) {
            names.push_back(transition.name);
        }
        labels.push_back(at->second);
    }
    return labels;
}

void Behaviour(const CNetStructure& first, const CNetStructure& second,
               const SExploreLimits& limits, SNetComparison& result) {
    const auto one = Explore(first, limits);
    if (!one->IsComplete() || one->HasOmega()) {
        return;
    }
    const auto other = Explore(second, limits);
    if (!other->IsComplete() || other->HasOmega()) {
        return;
    }
    std::map<std::u16string, std::uint32_t> numbers;
    std::vector<std::u16string> names;
    const auto firstLabels = Labels(first, numbers, names);
    const auto secondLabels = Labels(second, numbers, names);
    const CBisimulation bisimulation(*one, firstLabels, *other, secondLabels, limits.cancel);
    if (!bisimulation.Decided()) {
        return;
    }
    result.behaviour = bisimulation.Equal() ? Verdict::Yes : Verdict::No;
    for (const std::uint32_t label : bisimulation.Difference()) {
        result.difference.push_back(names[label]);
    }
    result.firstAllows = bisimulation.FirstAllows();
}

}  // namespace

SNetComparison CompareNets(const CNetStructure& first, const CNetStructure& second,
                           const SExploreLimits& limits) {
    SNetComparison result;
    const CStructuralMatch match(first, second);
    result.structure = match.Difference();
    result.firstCount = match.FirstCount();
    result.secondCount = match.SecondCount();
    Behaviour(first, second, limits, result);
    return result;
}

}  // namespace orvane
