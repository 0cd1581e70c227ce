// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A drawn net as a PNML place/transition net (ISO/IEC 15909-2, the 2009 ptnet grammar), both
// ways, so that a net can be drawn in any Petri-net editor and put into a question pool.
//
// Places and transitions keep their numbers in their PNML ids ("p7", "t3"), their labels as
// names (with the label's offset), their positions as graphics (the centre, as PNML has it; a
// transition's size as its dimension, a place's diameter), a place's tokens as its initial
// marking; a connection through nodes is one arc whose positions are the nodes', with the
// first segment's weight as its inscription. What PNML has no place for goes into a
// toolspecific element of the tool "orvane": a capacity, a label's flag when it is false, the
// numbers of an arc's nodes.
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "XmlReader.h"
#include "petrinet/PNPetriNet.h"

namespace orvane {

inline constexpr std::string_view kPtnetType = "http://www.pnml.org/version-2009/grammar/ptnet";

// The PNML document of the net; `warnings` get what it cannot hold (a connection between two
// places, a chain of nodes that goes wrong).
std::string WritePnml(const CPNPetriNet& net, std::string_view name,
                      std::vector<std::string>& warnings);

// The net of a PNML document's first place/transition net; null with `error` when the
// document is not one or is malformed. Elements it does not know are skipped, each name once
// in `warnings`.
std::shared_ptr<CPNPetriNet> ReadPnml(const SXmlElement& document,
                                      std::vector<std::string>& warnings, std::string& error);

}  // namespace orvane
