// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/Bisimulation.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace orvane {
namespace {

// Pairs of markings looked at, at most, for the first difference.
constexpr std::size_t kPairLimit = 1'000'000;

struct SSignatureHash {
    std::size_t operator()(const std::vector<std::uint64_t>& values) const {
        std::uint64_t hash = values.size();
        for (const std::uint64_t value : values) {
            hash = (hash ^ value) * 0x9E3779B97F4A7C15ULL;
            hash ^= hash >> 31;
        }
        return hash;
    }
};

}  // namespace

CBisimulation::CBisimulation(const CStateSpace& first,
                             const std::vector<std::uint32_t>& firstLabels,
                             const CStateSpace& second,
                             const std::vector<std::uint32_t>& secondLabels,
                             const std::atomic<bool>* cancelled)
    : cancel(cancelled), firstStates(first.StateCount()) {
    Add(first, firstLabels, 0);
    Add(second, secondLabels, firstStates);
    start.push_back(static_cast<std::uint32_t>(steps.size()));
    decided = Refine();
    if (decided) {
        equal = block[0] == block[firstStates];
        if (!equal) {
            FindDifference();
        }
    }
}

void CBisimulation::Add(const CStateSpace& space, const std::vector<std::uint32_t>& labels,
                        std::uint32_t offset) {
    for (std::uint32_t state = 0; state < space.StateCount(); ++state) {
        start.push_back(static_cast<std::uint32_t>(steps.size()));
        const auto [begin, end] = space.Edges(state);
        for (const auto* edge = begin; edge != end; ++edge) {
            steps.push_back({labels[edge->transition], edge->target + offset});
        }
    }
}

bool CBisimulation::Refine() {
    const std::size_t states = start.size() - 1;
    block.assign(states, 0);
    std::size_t blocks = 1;
    std::uint64_t work = 0;
    for (;;) {
        std::unordered_map<std::vector<std::uint64_t>, std::uint32_t, SSignatureHash> ids;
        std::vector<std::uint32_t> next(states);
        for (std::uint32_t s = 0; s < states; ++s) {
            std::vector<std::uint64_t> signature;
            for (std::uint32_t i = start[s]; i < start[s + 1]; ++i) {
                signature.push_back(std::uint64_t{steps[i].label} << 32 | block[steps[i].target]);
            }
            std::sort(signature.begin(), signature.end());
            signature.erase(std::unique(signature.begin(), signature.end()), signature.end());
            signature.push_back(block[s]);
            work += signature.size();
            if (work > kWorkLimit || (cancel != nullptr && cancel->load())) {
                return false;
            }
            next[s] = ids.try_emplace(std::move(signature), ids.size()).first->second;
        }
        block = std::move(next);
        if (ids.size() == blocks) {
            return true;
        }
        blocks = ids.size();
    }
}

std::vector<std::uint32_t> CBisimulation::Labels(std::uint32_t state) const {
    std::vector<std::uint32_t> labels;
    for (std::uint32_t i = start[state]; i < start[state + 1]; ++i) {
        labels.push_back(steps[i].label);
    }
    std::sort(labels.begin(), labels.end());
    labels.erase(std::unique(labels.begin(), labels.end()), labels.end());
    return labels;
}

// Breadth first over pairs of markings that do not match, along steps of the same name: some
// such walk ends at a pair where one side has a step the other lacks.
void CBisimulation::FindDifference() {
    struct SPair {
        std::uint32_t a, b;
        std::size_t from;
        std::uint32_t label;
    };
    std::vector<SPair> pairs{{0, firstStates, 0, 0}};
    std::unordered_set<std::uint64_t> seen{std::uint64_t{firstStates}};
    for (std::size_t i = 0; i < pairs.size() && pairs.size() < kPairLimit; ++i) {
        const auto [a, b, from, label] = pairs[i];
        const auto mine = Labels(a), theirs = Labels(b);
        std::vector<std::uint32_t> onlyMine, onlyTheirs;
        std::set_difference(mine.begin(), mine.end(), theirs.begin(), theirs.end(),
                            std::back_inserter(onlyMine));
        std::set_difference(theirs.begin(), theirs.end(), mine.begin(), mine.end(),
                            std::back_inserter(onlyTheirs));
        if (!onlyMine.empty() || !onlyTheirs.empty()) {
            firstAllows = !onlyMine.empty();
            difference.push_back(firstAllows ? onlyMine.front() : onlyTheirs.front());
            for (std::size_t at = i; at != 0; at = pairs[at].from) {
                difference.push_back(pairs[at].label);
            }
            std::reverse(difference.begin(), difference.end());
            return;
        }
        for (std::uint32_t x = start[a]; x < start[a + 1]; ++x) {
            for (std::uint32_t y = start[b]; y < start[b + 1]; ++y) {
                const SStep& left = steps[x];
                const SStep& right = steps[y];
                const std::uint64_t key = std::uint64_t{left.target} << 32 | right.target;
                if (left.label == right.label && block[left.target] != block[right.target] &&
                    seen.insert(key).second) {
                    pairs.push_back({left.target, right.target, i, left.label});
                }
            }
        }
    }
}

}  // namespace orvane
