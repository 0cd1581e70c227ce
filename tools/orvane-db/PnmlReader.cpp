// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "Pnml.h"
#include "common/TextCodec.h"
#include "petrinet/PNLabel.h"
#include "petrinet/PNPlace.h"
#include "petrinet/PNTransition.h"

namespace orvane {
namespace {

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while ((at = text.find_first_not_of(" \t\r\n", at)) != std::string::npos) {
        const std::size_t end = std::min(text.find_first_of(" \t\r\n", at), text.size());
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

class CPnmlError {
public:
    explicit CPnmlError(std::string message) : what(std::move(message)) {}
    std::string what;
};

// Reads one net; the first problem ends the reading with a CPnmlError, which ReadPnml turns
// into its error result.
class CPnmlReader {
public:
    explicit CPnmlReader(std::vector<std::string>& found) : warnings(found) {}

    std::shared_ptr<CPNPetriNet> Read(const SXmlElement& net) {
        Collect(net, true);
        Number();
        for (SNode& node : nodes) {
            Add(node);
        }
        for (const SXmlElement* arc : arcs) {
            Connect(*arc);
        }
        return result;
    }

private:
    struct SNode {
        const SXmlElement* xml;
        bool place;
        std::int32_t number = 0;
        std::shared_ptr<CPNObject> element;
    };

    [[noreturn]] static void Fail(const SXmlElement& at, const std::string& problem) {
        throw CPnmlError("line " + std::to_string(at.line) + ": " + problem);
    }

    void Skip(const SXmlElement& element) {
        if (skipped.insert(element.name).second) {
            warnings.push_back("line " + std::to_string(element.line) + ": <" + element.name +
                               "> is not read; skipped");
        }
    }

    void Collect(const SXmlElement& container, bool isNet) {
        for (const SXmlElement& child : container.children) {
            if (child.name == "page") {
                Collect(child, false);
            } else if (child.name == "place" || child.name == "transition") {
                const std::string* id = child.Attribute("id");
                if (id == nullptr || !byId.emplace(*id, nodes.size()).second) {
                    Fail(child, id == nullptr ? "<" + child.name + "> without an id"
                                              : "the id " + *id + " is used twice");
                }
                nodes.push_back({&child, child.name == "place", 0, nullptr});
                NodeChildren(nodes.back());
            } else if (child.name == "arc") {
                arcs.push_back(&child);
            } else if (!(child.name == "name" && isNet)) {
                Skip(child);
            }
        }
    }

    // "p7" and "t7" keep their number 7 (also "p7-2", a second element numbered 7); every
    // other id gets a number after the largest one used.
    void Number() {
        std::set<std::int32_t> taken;
        std::int32_t largest = 0;
        for (SNode& node : nodes) {
            const std::string& id = *node.xml->Attribute("id");
            const char* begin = id.data() + 1;
            const char* end = id.data() + id.size();
            const auto [stop, fault] = std::from_chars(begin, end, node.number);
            const bool ours = id.size() > 1 && id[0] == (node.place ? 'p' : 't') &&
                              fault == std::errc() && node.number > 0 &&
                              (stop == end || (*stop == '-' && taken.contains(node.number)));
            node.number = ours ? node.number : 0;
            taken.insert(node.number);
            largest = std::max(largest, node.number);
        }
        for (SNode& node : nodes) {
            if (node.number == 0) {
                node.number = ++largest;
            }
        }
        nextNumber = largest;
    }

    static std::int32_t Coordinate(const SXmlElement& at, std::string_view key, double fallback) {
        const std::string* text = at.Attribute(key);
        double value = fallback;
        if (text != nullptr &&
            std::from_chars(text->data(), text->data() + text->size(), value).ec != std::errc()) {
            Fail(at, "\"" + *text + "\" is not a number");
        }
        value = std::round(value);
        if (!(value >= std::numeric_limits<std::int32_t>::min() &&
              value <= std::numeric_limits<std::int32_t>::max())) {
            Fail(at, "a coordinate out of range");
        }
        return static_cast<std::int32_t>(value);
    }

    static std::int32_t Count(const SXmlElement& at, const std::string& text, std::int32_t least) {
        std::int32_t value = 0;
        const auto [end, fault] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (fault != std::errc() || end != text.data() + text.size() || value < least) {
            Fail(at, "\"" + text + "\" is not a whole number of at least " + std::to_string(least));
        }
        return value;
    }

    static const SXmlElement* Path(const SXmlElement& from,
                                   std::initializer_list<std::string_view> names) {
        const SXmlElement* at = &from;
        for (const auto name : names) {
            at = at == nullptr ? nullptr : at->Child(name);
        }
        return at;
    }

    // This program's own toolspecific entry, or null.
    static const SXmlElement* Ours(const SXmlElement& element) {
        for (const SXmlElement& child : element.children) {
            const std::string* tool = child.Attribute("tool");
            if (child.name == "toolspecific" && tool != nullptr && *tool == "orvane") {
                return &child;
            }
        }
        return nullptr;
    }

    void Add(SNode& node);
    void Label(const SNode& node, CPNObject& element);
    void Connect(const SXmlElement& arc);
    void NodeChildren(const SNode& node);

    std::vector<std::string>& warnings;
    std::set<std::string> skipped;
    std::vector<SNode> nodes;
    std::map<std::string, std::size_t> byId;
    std::vector<const SXmlElement*> arcs;
    std::int32_t nextNumber = 0;
    std::shared_ptr<CPNPetriNet> result = std::make_shared<CPNPetriNet>();
};

void CPnmlReader::Add(SNode& node) {
    const SXmlElement& xml = *node.xml;
    const SXmlElement* graphics = xml.Child("graphics");
    const SXmlElement* position = graphics != nullptr ? graphics->Child("position") : nullptr;
    const SXmlElement* dimension = graphics != nullptr ? graphics->Child("dimension") : nullptr;
    const auto coordinate = [&](const SXmlElement* at, std::string_view key, double fallback) {
        return at != nullptr ? Coordinate(*at, key, fallback) : static_cast<std::int32_t>(fallback);
    };
    const std::int32_t x = coordinate(position, "x", 0), y = coordinate(position, "y", 0);
    if (node.place) {
        result->AddPlace(node.number, x, y);
        result->First();
        node.element = result->Current();
        node.element->SetRadius(coordinate(dimension, "x", 2 * CPNPlace::kDefaultRadius) / 2);
        const SXmlElement* marking = Path(xml, {"initialMarking", "text"});
        marking = marking != nullptr ? marking : Path(xml, {"initialMarking", "value"});
        node.element->SetTokens(marking != nullptr ? Count(*marking, marking->text, 0) : 0);
        const SXmlElement* capacity = Ours(xml) != nullptr ? Ours(xml)->Child("capacity") : nullptr;
        node.element->SetCapacity(capacity != nullptr ? Count(*capacity, capacity->text, 0)
                                                      : CPNPlace::kDefaultCapacity);
    } else {
        const std::int32_t width = coordinate(dimension, "x", CPNTransition::kDefaultWidth);
        const std::int32_t height = coordinate(dimension, "y", CPNTransition::kDefaultHeight);
        // PNML places a transition by its centre, the drawing by its top-left corner.
        const std::int64_t left = x - std::int64_t{width} / 2, top = y - std::int64_t{height} / 2;
        if (left != static_cast<std::int32_t>(left) || top != static_cast<std::int32_t>(top)) {
            Fail(xml, "a coordinate out of range");
        }
        result->AddTransition(node.number, static_cast<std::int32_t>(left),
                              static_cast<std::int32_t>(top));
        result->First();
        node.element = result->Current();
        node.element->SetSize(width, height);
    }
    Label(node, *node.element);
}

void CPnmlReader::Label(const SNode& node, CPNObject& element) {
    const SXmlElement* name = node.xml->Child("name");
    if (name == nullptr) {
        element.SetLabel(nullptr);
        return;
    }
    const SXmlElement* text = name->Child("text");
    const SXmlElement* offset = Path(*name, {"graphics", "offset"});
    const auto label = element.GetLabel();
    label->SetText(FromUtf8(text != nullptr ? text->text : ""));
    if (offset != nullptr) {
        label->SetPosition(Coordinate(*offset, "x", 0), Coordinate(*offset, "y", 0));
    }
    const SXmlElement* flag =
        Ours(*node.xml) != nullptr ? Ours(*node.xml)->Child("labelFlag") : nullptr;
    label->SetFlag(flag == nullptr || flag->text != "false");
}

void CPnmlReader::NodeChildren(const SNode& node) {
    static const std::set<std::string_view> kKnown{"name", "graphics", "initialMarking",
                                                   "toolspecific"};
    for (const SXmlElement& child : node.xml->children) {
        const std::string* tool = child.Attribute("tool");
        const bool foreign = child.name == "toolspecific" && (tool == nullptr || *tool != "orvane");
        if (!kKnown.contains(child.name) || (child.name == "initialMarking" && !node.place) ||
            foreign) {
            Skip(child);
        }
    }
}

void CPnmlReader::Connect(const SXmlElement& arc) {
    const auto end = [&](std::string_view key) -> SNode& {
        const std::string* id = arc.Attribute(key);
        const auto found = id != nullptr ? byId.find(*id) : byId.end();
        if (found == byId.end()) {
            Fail(arc, "the arc's " + std::string(key) + " is no place or transition of the net");
        }
        return nodes[found->second];
    };
    SNode& source = end("source");
    SNode& target = end("target");
    if (source.place == target.place) {
        warnings.push_back("line " + std::to_string(arc.line) + ": an arc between two " +
                           (source.place ? "places" : "transitions"));
    }
    const SXmlElement* inscription = Path(arc, {"inscription", "text"});
    inscription = inscription != nullptr ? inscription : Path(arc, {"inscription", "value"});
    const std::int32_t weight =
        inscription != nullptr ? Count(*inscription, inscription->text, 1) : 1;
    std::vector<std::int32_t> numbers;
    const SXmlElement* ours = Ours(arc) != nullptr ? Ours(arc)->Child("nodes") : nullptr;
    for (const auto& word : ours != nullptr ? Words(ours->text) : std::vector<std::string>()) {
        numbers.push_back(Count(*ours, word, 1));
    }
    // Each segment, from the source through the bend points to the target, carries the weight.
    std::shared_ptr<CPNObject> from = source.element;
    const auto segment = [&](const std::shared_ptr<CPNObject>& to) {
        from->AddArc(to);
        from->FirstArc();
        from->SetArcWeight(weight);
        from = to;
    };
    std::size_t bends = 0;
    if (const SXmlElement* graphics = arc.Child("graphics")) {
        for (const SXmlElement& position : graphics->children) {
            if (position.name == "position") {
                const std::int32_t number = bends < numbers.size() ? numbers[bends] : ++nextNumber;
                ++bends;
                result->AddNode(number, Coordinate(position, "x", 0), Coordinate(position, "y", 0),
                                false);
                result->First();
                segment(result->Current());
            }
        }
    }
    segment(target.element);
}

}  // namespace

std::shared_ptr<CPNPetriNet> ReadPnml(const SXmlElement& document,
                                      std::vector<std::string>& warnings, std::string& error) {
    if (document.name != "pnml") {
        error = "not a PNML document (its root is <" + document.name + ">)";
        return nullptr;
    }
    const SXmlElement* net = document.Child("net");
    const std::string* type = net != nullptr ? net->Attribute("type") : nullptr;
    std::string lower = type != nullptr ? *type : "";
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (net == nullptr || lower.find("ptnet") == std::string::npos) {
        error = net == nullptr
                    ? "no <net> in the document"
                    : "not a place/transition net (type \"" + (type ? *type : "") + "\")";
        return nullptr;
    }
    if (std::count_if(document.children.begin(), document.children.end(),
                      [](const SXmlElement& child) { return child.name == "net"; }) > 1) {
        warnings.push_back("only the first <net> is read");
    }
    try {
        return CPnmlReader(warnings).Read(*net);
    } catch (const CPnmlError& failure) {
        error = failure.what;
        return nullptr;
    }
}

}  // namespace orvane
