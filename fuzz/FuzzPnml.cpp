// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a PNML file as `orvane-db pnml-import` reads it, from arbitrary bytes. A net
// that is read must come out as PNML that reads back as the same net.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "FuzzFixture.h"
#include "Pnml.h"
#include "XmlReader.h"
#include "analysis/NetStructure.h"

using namespace orvane;
using namespace orvane::fuzz;

namespace {

std::shared_ptr<CPNPetriNet> Read(std::string_view text) {
    SXmlElement document;
    std::string error;
    std::vector<std::string> warnings;
    if (!CXmlReader(text).Read(document, error)) {
        return nullptr;
    }
    return ReadPnml(document, warnings, error);
}

// The drawing as text: every element with its fields and its arcs, one line each, sorted (a
// reader makes bend points in the order of the arcs, which writing groups by their source).
std::string Drawing(const CPNPetriNet& net) {
    std::vector<std::string> lines;
    for (const auto& element : net.Elements()) {
        std::string text;
        for (const std::int64_t value :
             {std::int64_t{element->GetType()}, std::int64_t{element->GetId()},
              std::int64_t{element->GetX()}, std::int64_t{element->GetY()},
              std::int64_t{element->GetTokens()}, std::int64_t{element->GetCapacity()},
              std::int64_t{element->GetArcCount()}}) {
            text += std::to_string(value) + ' ';
        }
        for (const auto& arc : element->Arcs()) {
            text += std::to_string(arc.target->GetId()) + ':' + std::to_string(arc.weight) + ' ';
        }
        lines.push_back(text);
    }
    std::sort(lines.begin(), lines.end());
    std::string all;
    for (const auto& line : lines) {
        all += line + '\n';
    }
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto net = Read({reinterpret_cast<const char*>(data), size});
    if (net == nullptr) {
        return 0;
    }
    (void)CNetStructure::FromDrawing(*net);
    std::vector<std::string> warnings;
    const std::string written = WritePnml(*net, "net", warnings);
    const auto again = Read(written);
    Require(again != nullptr, "a net read from PNML is written as PNML that does not read");
    Require(warnings.empty() ? Drawing(*again) == Drawing(*net) : true,
            "a net read from PNML comes back from its own PNML as another net");
    return 0;
}
