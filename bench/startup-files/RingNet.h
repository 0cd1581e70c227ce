// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The net of the start-up benchmarks' questions: fifty places and fifty transitions in a ring
// of arcs, the size of a teacher's larger nets.
#include <memory>

#include "petrinet/PNPetriNet.h"

namespace orvane::bench {

inline std::shared_ptr<CPNPetriNet> RingNet() {
    auto net = std::make_shared<CPNPetriNet>();
    for (int id = 1; id <= 100; ++id) {
        id % 2 ? net->AddPlace(id, 40 * id, 100) : net->AddTransition(id, 40 * id, 200);
    }
    for (int id = 1; id <= 100; ++id) {
        net->FindById(id % 100 + 1);
        const auto target = net->Current();
        net->FindById(id);
        net->Current()->AddArc(target);
    }
    return net;
}

}  // namespace orvane::bench
