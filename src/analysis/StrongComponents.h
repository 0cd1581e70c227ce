// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CStrongComponents: the strongly connected components of a complete reachability graph
// (Tarjan's algorithm, without recursion; the edges are found again by firing, so nothing but
// two numbers per state is kept). What the analysis needs of them: how many there are (one
// means every marking can reach the initial one again), and which transitions can fire inside
// every bottom component, the components that no edge leaves (the live transitions: from any
// marking, a bottom component is reached, and there they fire again and again).
#include <cstdint>
#include <vector>

#include "analysis/StateSpace.h"

namespace orvane {

class CStrongComponents {
public:
    explicit CStrongComponents(const CStateSpace& space);

    std::uint32_t Count() const { return count; }
    // Per transition: it fires in every bottom component.
    const std::vector<bool>& InEveryBottom() const { return inEveryBottom; }

private:
    struct SFrame {
        std::uint32_t state;
        // Its successors are successors[next, end); those before `next` were looked at. They
        // follow those of the frame below it.
        std::size_t next;
        std::size_t end;
    };

    void Visit(std::uint32_t root);
    void Enter(std::uint32_t state);
    void Close(std::uint32_t state);
    void Bottom(std::size_t from);

    const CStateSpace& space;
    std::vector<std::uint32_t> order;  // when each state was entered; kNone: not yet
    std::vector<std::uint32_t> low;
    std::vector<bool> done;    // its component is closed
    std::vector<bool> leaves;  // an edge from it leads into another, closed component
    std::vector<std::uint32_t> stack;
    std::vector<SFrame> frames;
    std::vector<std::uint32_t> successors;
    std::vector<bool> inEveryBottom;
    std::uint32_t entered = 0;
    std::uint32_t count = 0;
};

}  // namespace orvane
