// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Drawn nets for tests, written as text: "p1=1 p2 q/2; t1: p1 2*p2 -> q; t2: q ->". The first
// clause names the places (=tokens, /capacity), each further one a transition with the places
// it takes from and puts into (a factor before * is the weight). Places are numbered from
// `firstId` on, then the transitions; each stands `step` units right of the one before, and
// every element is labelled with its name.
#include <cstdint>
#include <memory>
#include <string_view>

#include "petrinet/PNPetriNet.h"

namespace orvane::test {

std::shared_ptr<CPNPetriNet> DrawnNet(std::string_view text, std::int32_t firstId = 1,
                                      std::int32_t step = 100);

// The element with that number (the first from the front), without moving the cursor.
std::shared_ptr<CPNObject> ElementOf(const CPNPetriNet& net, std::int32_t id);

}  // namespace orvane::test
