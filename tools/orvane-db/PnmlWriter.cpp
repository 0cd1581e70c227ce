// SPDX-License-Identifier: GPL-3.0-or-later
#include <map>
#include <unordered_map>
#include <unordered_set>

#include "Pnml.h"
#include "analysis/ConnectionPath.h"
#include "common/TextCodec.h"
#include "petrinet/PNLabel.h"
#include "petrinet/PNPlace.h"

namespace orvane {
namespace {

std::string Escaped(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string Point(const char* tag, std::int64_t x, std::int64_t y) {
    return "<" + std::string(tag) + " x=\"" + std::to_string(x) + "\" y=\"" + std::to_string(y) +
           "\"/>";
}

class CPnmlWriter {
public:
    CPnmlWriter(const CPNPetriNet& written, std::vector<std::string>& found)
        : net(written), warnings(found) {
        for (const auto& element : written.Elements()) {
            members.insert(element.get());
        }
    }

    std::string Write(std::string_view name) {
        out =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
            "<pnml xmlns=\"http://www.pnml.org/version-2009/grammar/pnml\">\n"
            "  <net id=\"net\" type=\"" +
            std::string(kPtnetType) +
            "\">\n"
            "    <name><text>" +
            Escaped(name) +
            "</text></name>\n"
            "    <page id=\"page\">\n";
        // Oldest first, as the file holds them; the arcs of each oldest first too, so that a
        // reader adding each at the front gets the lists back as they are.
        const auto& list = net.Elements();
        for (auto element = list.rbegin(); element != list.rend(); ++element) {
            Node(**element);
        }
        for (auto element = list.rbegin(); element != list.rend(); ++element) {
            const auto& elementArcs = (*element)->Arcs();
            if (ids.contains(element->get())) {
                for (auto arc = elementArcs.rbegin(); arc != elementArcs.rend(); ++arc) {
                    Arc(**element, *arc);
                }
            }
        }
        out += "    </page>\n  </net>\n</pnml>\n";
        return out;
    }

private:
    void Node(const CPNObject& element) {
        const bool place = element.GetType() == kPlaceType;
        if (!place && element.GetType() != kTransitionType) {
            return;
        }
        std::string id = (place ? "p" : "t") + std::to_string(element.GetId());
        if (const int seen = used[id]++; seen > 0) {
            id += "-" + std::to_string(seen + 1);
        }
        ids[&element] = id;
        const char* tag = place ? "place" : "transition";
        out += "      <" + std::string(tag) + " id=\"" + id + "\">\n";
        const auto label = element.GetLabel();
        if (label != nullptr) {
            out += "        <name><text>" + Escaped(ToUtf8(label->GetText())) +
                   "</text><graphics>" + Point("offset", label->GetX(), label->GetY()) +
                   "</graphics></name>\n";
        }
        const std::int64_t width =
            place ? 2 * std::int64_t{element.GetRadius()} : element.GetWidth();
        const std::int64_t height = place ? width : element.GetHeight();
        const std::int64_t x = element.GetX() + (place ? 0 : width / 2);
        const std::int64_t y = element.GetY() + (place ? 0 : height / 2);
        out += "        <graphics>" + Point("position", x, y) + Point("dimension", width, height) +
               "</graphics>\n";
        if (place) {
            Marking(element);
        }
        out += Specific(place && element.GetCapacity() != CPNPlace::kDefaultCapacity
                            ? "<capacity>" + std::to_string(element.GetCapacity()) + "</capacity>"
                            : "",
                        label != nullptr && !label->GetFlag() ? "<labelFlag>false</labelFlag>" : "",
                        "        ");
        out += "      </" + std::string(tag) + ">\n";
    }

    void Marking(const CPNObject& place) {
        if (place.GetTokens() < 0) {
            warnings.push_back("place " + std::to_string(place.GetId()) +
                               ": a negative token count is written as 0");
        }
        if (place.GetTokens() > 0) {
            out += "        <initialMarking><text>" + std::to_string(place.GetTokens()) +
                   "</text></initialMarking>\n";
        }
    }

    // The toolspecific entry of this program, when it has anything to hold.
    static std::string Specific(const std::string& first, const std::string& second,
                                std::string_view indent) {
        if (first.empty() && second.empty()) {
            return {};
        }
        return std::string(indent) +
               "<toolspecific tool=\"orvane\" version=\"" ORVANE_VERSION "\">" + first + second +
               "</toolspecific>\n";
    }

    void Arc(const CPNObject& source, const CPNObject::Arc& arc) {
        const SConnectionPath path = SConnectionPath::Follow(arc, members);
        const auto target = ids.find(path.end);
        const bool sameKind = target != ids.end() && path.end->GetType() == source.GetType();
        if (path.fault || target == ids.end() || sameKind) {
            warnings.push_back("an arc from " + ids.at(&source) +
                               " leads to no place or transition of the other kind; left out");
            return;
        }
        if (path.weightsDisagree) {
            warnings.push_back("an arc from " + ids.at(&source) +
                               " has segments of different weights; the first one's is written");
        }
        std::string positions, numbers, body;
        for (const CPNObject* node : path.nodes) {
            positions += Point("position", node->GetX(), node->GetY());
            numbers += (numbers.empty() ? "" : " ") + std::to_string(node->GetId());
        }
        if (!positions.empty()) {
            body += "        <graphics>" + positions + "</graphics>\n";
        }
        if (arc.weight != 1) {
            body += "        <inscription><text>" + std::to_string(arc.weight) +
                    "</text></inscription>\n";
        }
        body += Specific(numbers.empty() ? "" : "<nodes>" + numbers + "</nodes>", "", "        ");
        const std::string head = "      <arc id=\"a" + std::to_string(++arcs) + "\" source=\"" +
                                 ids.at(&source) + "\" target=\"" + target->second + "\"";
        out += body.empty() ? head + "/>\n" : head + ">\n" + body + "      </arc>\n";
    }

    const CPNPetriNet& net;
    std::vector<std::string>& warnings;
    std::unordered_set<const CPNObject*> members;
    std::unordered_map<const CPNObject*, std::string> ids;
    std::map<std::string, int> used;
    std::size_t arcs = 0;
    std::string out;
};

}  // namespace

std::string WritePnml(const CPNPetriNet& net, std::string_view name,
                      std::vector<std::string>& warnings) {
    return CPnmlWriter(net, warnings).Write(name);
}

}  // namespace orvane
