// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/StructuralMatch.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

namespace orvane {
namespace {

constexpr std::uint32_t kNone = 0xFFFFFFFF;
// Rounds of colour refinement; enough to tell the nets of an exam apart quickly.
constexpr int kRefineRounds = 3;

std::uint64_t Mix(std::uint64_t seed, std::uint64_t value) {
    seed ^= value + 0x9E3779B97F4A7C15ULL + (seed << 6) + (seed >> 2);
    seed *= 0xBF58476D1CE4E5B9ULL;
    return seed ^ (seed >> 31);
}

}  // namespace

CStructuralMatch::SGraph CStructuralMatch::Graph(const CNetStructure& net) {
    SGraph graph;
    graph.net = &net;
    graph.places = net.Places().size();
    const std::size_t nodes = graph.places + net.Transitions().size();
    graph.neighbours.resize(nodes);
    std::vector<std::unordered_map<std::uint32_t, std::int64_t>> keys(nodes);
    for (std::uint32_t t = 0; t < net.Transitions().size(); ++t) {
        const auto node = static_cast<std::uint32_t>(graph.places + t);
        // The weight into the transition in the high half, the weight out in the low one.
        for (const auto& flow : net.Inputs(t)) {
            keys[node][flow.place] += std::int64_t{flow.weight} << 32;
            keys[flow.place][node] += std::int64_t{flow.weight} << 32;
        }
        for (const auto& flow : net.Outputs(t)) {
            keys[node][flow.place] += flow.weight;
            keys[flow.place][node] += flow.weight;
        }
    }
    for (std::size_t u = 0; u < nodes; ++u) {
        graph.neighbours[u].assign(keys[u].begin(), keys[u].end());
        std::sort(graph.neighbours[u].begin(), graph.neighbours[u].end());
        const bool place = u < graph.places;
        graph.colour.push_back(place
                                   ? Mix(Mix(1, static_cast<std::uint64_t>(net.Places()[u].tokens)),
                                         static_cast<std::uint64_t>(net.Places()[u].capacity))
                                   : Mix(2, 0));
    }
    Refine(graph);
    return graph;
}

void CStructuralMatch::Refine(SGraph& graph) {
    for (int round = 0; round < kRefineRounds; ++round) {
        std::vector<std::uint64_t> next(graph.colour.size());
        for (std::size_t u = 0; u < graph.colour.size(); ++u) {
            std::vector<std::uint64_t> around;
            for (const auto& [w, key] : graph.neighbours[u]) {
                around.push_back(Mix(graph.colour[w], static_cast<std::uint64_t>(key)));
            }
            std::sort(around.begin(), around.end());
            std::uint64_t colour = graph.colour[u];
            for (const std::uint64_t value : around) {
                colour = Mix(colour, value);
            }
            next[u] = colour;
        }
        graph.colour = std::move(next);
    }
}

bool CStructuralMatch::SameColours(const SGraph& first, const SGraph& second) const {
    auto x = first.colour, y = second.colour;
    std::sort(x.begin(), x.end());
    std::sort(y.begin(), y.end());
    return x == y;
}

std::int64_t CStructuralMatch::Weight(const SGraph& graph, std::uint32_t u, std::uint32_t w) const {
    const auto& list = graph.neighbours[u];
    const auto found =
        std::lower_bound(list.begin(), list.end(), std::make_pair(w, std::int64_t{0}),
                         [](const auto& l, const auto& r) { return l.first < r.first; });
    return found != list.end() && found->first == w ? found->second : 0;
}

bool CStructuralMatch::Fits(std::uint32_t u, std::uint32_t v, bool withNames) const {
    if (a.colour[u] != b.colour[v]) {
        return false;
    }
    if (withNames) {
        const bool place = u < a.places;
        const auto& first =
            place ? a.net->Places()[u].name : a.net->Transitions()[u - a.places].name;
        const auto& second =
            place ? b.net->Places()[v].name : b.net->Transitions()[v - b.places].name;
        const bool named = place ? a.net->Places()[u].named && b.net->Places()[v].named
                                 : a.net->Transitions()[u - a.places].named &&
                                       b.net->Transitions()[v - b.places].named;
        if (named && first != second) {
            return false;
        }
    }
    std::size_t matched = 0;
    for (const auto& [w, key] : a.neighbours[u]) {
        if (map[w] != kNone) {
            if (Weight(b, v, map[w]) != key) {
                return false;
            }
            ++matched;
        }
    }
    // v must have no connection to a matched node that u lacks.
    return std::count_if(b.neighbours[v].begin(), b.neighbours[v].end(), [&](const auto& entry) {
               return taken[entry.first];
           }) == static_cast<std::ptrdiff_t>(matched);
}

bool CStructuralMatch::Extend(std::size_t depth, bool withNames) {
    if (depth == order.size()) {
        return true;
    }
    const std::uint32_t u = order[depth];
    for (std::uint32_t v = 0; v < b.colour.size(); ++v) {
        if (taken[v] || !Fits(u, v, withNames)) {
            continue;
        }
        if (++steps > kStepLimit) {
            exhausted = true;
            return false;
        }
        map[u] = v;
        taken[v] = true;
        if (Extend(depth + 1, withNames)) {
            return true;
        }
        if (exhausted) {
            return false;
        }
        map[u] = kNone;
        taken[v] = false;
    }
    return false;
}

bool CStructuralMatch::Search(bool withNames) {
    map.assign(a.colour.size(), kNone);
    taken.assign(b.colour.size(), false);
    return Extend(0, withNames);
}

CStructuralMatch::CStructuralMatch(const CNetStructure& first, const CNetStructure& second) {
    const auto differ = [&](StructuralDifference kind, std::size_t x, std::size_t y) {
        difference = kind;
        firstCount = static_cast<std::int64_t>(x);
        secondCount = static_cast<std::int64_t>(y);
        return x != y;
    };
    if (differ(StructuralDifference::PlaceCount, first.Places().size(), second.Places().size()) ||
        differ(StructuralDifference::TransitionCount, first.Transitions().size(),
               second.Transitions().size()) ||
        differ(StructuralDifference::ConnectionCount, first.ConnectionCount(),
               second.ConnectionCount())) {
        return;
    }
    if (first.Places().size() + first.Transitions().size() > kLargestNet) {
        difference = StructuralDifference::Undecided;  // the search would go too deep
        return;
    }
    a = Graph(first);
    b = Graph(second);
    difference = StructuralDifference::Wiring;
    if (!SameColours(a, b)) {
        return;
    }
    // Neighbours one after the other, so that each choice is checked against those made.
    std::vector<bool> seen(a.colour.size(), false);
    for (std::uint32_t start = 0; start < a.colour.size(); ++start) {
        std::deque<std::uint32_t> queue;
        if (!seen[start]) {
            seen[start] = true;
            queue.push_back(start);
        }
        for (; !queue.empty(); queue.pop_front()) {
            order.push_back(queue.front());
            for (const auto& [w, key] : a.neighbours[queue.front()]) {
                if (!seen[w]) {
                    seen[w] = true;
                    queue.push_back(w);
                }
            }
        }
    }
    const bool named = Search(true);
    const bool unnamed = named || exhausted || Search(false);
    difference = exhausted ? StructuralDifference::Undecided
                 : named   ? StructuralDifference::None
                 : unnamed ? StructuralDifference::Names
                           : StructuralDifference::Wiring;
}

}  // namespace orvane
