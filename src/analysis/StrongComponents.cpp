// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/StrongComponents.h"

#include <algorithm>

namespace orvane {

CStrongComponents::CStrongComponents(const CStateSpace& stateSpace)
    : space(stateSpace),
      order(stateSpace.StateCount(), CStateSpace::kNone),
      low(stateSpace.StateCount(), 0),
      done(stateSpace.StateCount(), false),
      leaves(stateSpace.StateCount(), false),
      inEveryBottom(stateSpace.EverEnabled().size(), true) {
    // Every state is reached from the first one.
    if (stateSpace.StateCount() > 0) {
        Visit(0);
    }
}

void CStrongComponents::Enter(std::uint32_t state) {
    order[state] = low[state] = entered++;
    stack.push_back(state);
    const std::size_t begin = successors.size();
    space.ForEachSuccessor(
        state, [&](std::uint32_t, std::uint32_t target) { successors.push_back(target); });
    frames.push_back({state, begin, successors.size()});
}

void CStrongComponents::Visit(std::uint32_t root) {
    Enter(root);
    while (!frames.empty()) {
        SFrame& frame = frames.back();
        const std::uint32_t state = frame.state;
        if (frame.next < frame.end) {
            const std::uint32_t target = successors[frame.next++];
            if (order[target] == CStateSpace::kNone) {
                Enter(target);
            } else if (done[target]) {
                leaves[state] = true;
            } else {
                low[state] = std::min(low[state], order[target]);
            }
            continue;
        }
        frames.pop_back();
        successors.resize(frames.empty() ? 0 : frames.back().end);
        if (low[state] == order[state]) {
            Close(state);
        }
        if (!frames.empty()) {
            const std::uint32_t up = frames.back().state;
            if (done[state]) {
                leaves[up] = true;
            } else {
                low[up] = std::min(low[up], low[state]);
            }
        }
    }
}

void CStrongComponents::Close(std::uint32_t state) {
    std::size_t from = stack.size();
    bool bottom = true;
    do {
        --from;
        bottom = bottom && !leaves[stack[from]];
    } while (stack[from] != state);
    if (bottom) {
        Bottom(from);
    }
    for (std::size_t i = from; i < stack.size(); ++i) {
        done[stack[i]] = true;
    }
    stack.resize(from);
    ++count;
}

void CStrongComponents::Bottom(std::size_t from) {
    std::vector<bool> fires(inEveryBottom.size(), false);
    for (std::size_t i = from; i < stack.size(); ++i) {
        space.ForEachSuccessor(stack[i], [&](std::uint32_t t, std::uint32_t) { fires[t] = true; });
    }
    for (std::size_t t = 0; t < fires.size(); ++t) {
        inEveryBottom[t] = inEveryBottom[t] && fires[t];
    }
}

}  // namespace orvane
