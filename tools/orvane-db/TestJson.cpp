// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestJson.h"

#include <algorithm>
#include <type_traits>
#include <unordered_map>
#include <vector>

#include "common/TextCodec.h"
#include "exam/PNQuestion.h"
#include "petrinet/PNLabel.h"
#include "petrinet/PNPetriNet.h"

namespace orvane {
namespace {

// Each Dump function writes one value, the next one of `writer`.
void DumpLabel(CJsonWriter& writer, const std::shared_ptr<CPNLabel>& label) {
    if (label == nullptr) {
        writer.Null();
        return;
    }
    writer.BeginObject();
    writer.Key("id").Number(label->GetId());
    writer.Key("x").Number(label->GetX());
    writer.Key("y").Number(label->GetY());
    writer.Key("text").Text(label->GetText());
    writer.Key("flag").Boolean(label->GetFlag());
    writer.EndObject();
}

void DumpElement(CJsonWriter& writer, const CPNObject& element) {
    writer.BeginObject();
    writer.Key("type").Number(element.GetType());
    writer.Key("id").Number(element.GetId());
    writer.Key("x").Number(element.GetX());
    writer.Key("y").Number(element.GetY());
    DumpLabel(writer.Key("label"), element.GetLabel());
    if (element.GetType() == kPlaceType) {
        writer.Key("radius").Number(element.GetRadius());
        writer.Key("capacity").Number(element.GetCapacity());
        writer.Key("tokens").Number(element.GetTokens());
    } else if (element.GetType() == kTransitionType) {
        writer.Key("width").Number(element.GetWidth());
        writer.Key("height").Number(element.GetHeight());
    }
    writer.EndObject();
}

// An empty array is null: the file tells "no array" and "no entries" apart by nothing.
template <class T>
void DumpArray(CJsonWriter& writer, const std::vector<T>& array) {
    if (array.empty()) {
        writer.Null();
        return;
    }
    writer.BeginArray();
    for (const T& entry : array) {
        if constexpr (std::is_same_v<T, std::u16string>) {
            writer.Text(entry);
        } else {
            writer.Number(entry);
        }
    }
    writer.EndArray();
}

void DumpQuestion(CJsonWriter& writer, const CPNQuestion& question) {
    writer.BeginObject();
    writer.Key("kind").Number(static_cast<std::int32_t>(question.GetKind()));
    writer.Key("id").Number(question.GetId());
    writer.Key("title").Text(question.GetTitle());
    writer.Key("text").Text(question.GetText());
    writer.Key("answerNumber").Number(question.GetAnswerNumber());
    writer.Key("itemCount").Number(question.GetItemCount());
    writer.Key("askedRequirements").Number(question.GetAskedRequirements());
    writer.Key("keyNumber").Number(question.GetKeyNumber());
    DumpArray(writer.Key("answer"), question.GetAnswer());
    DumpArray(writer.Key("key"), question.GetKey());
    DumpArray(writer.Key("items"), question.GetItems());
    DumpArray(writer.Key("rightItems"), question.GetRightItems());
    writer.Key("keyRequirements").Number(question.GetKeyRequirements());
    writer.Key("points").Number(question.GetPoints());
    DumpNet(writer.Key("workNet"), question.GetWorkNet());
    DumpNet(writer.Key("keyNet"), question.GetKeyNet());
    writer.EndObject();
}

std::shared_ptr<CPNLabel> PackLabel(const CJsonShape& json) {
    if (json.IsNull()) {
        return nullptr;
    }
    json.Object({"id", "x", "y", "text", "flag"});
    return std::make_shared<CPNLabel>(json.Member("id").Integer<std::int32_t>(),
                                      json.Member("x").Integer<std::int32_t>(),
                                      json.Member("y").Integer<std::int32_t>(),
                                      json.Member("text").Text(), json.Member("flag").Boolean());
}

void PackElement(const CJsonShape& json, CPNPetriNet& net) {
    const auto number = [&](std::string_view key) {
        return json.Member(key).Integer<std::int32_t>();
    };
    const CJsonShape type = json.Member("type");
    const std::int32_t id = number("id");
    const std::int32_t x = number("x");
    const std::int32_t y = number("y");
    switch (type.Integer<std::int32_t>()) {
        case kPlaceType:
            json.Object({"type", "id", "x", "y", "label", "radius", "capacity", "tokens"});
            net.AddPlace(id, x, y);
            net.First();
            net.Current()->SetRadius(json.Member("radius").Integer<std::int32_t>(20));
            net.Current()->SetCapacity(json.Member("capacity").Integer<std::int32_t>(32767));
            net.Current()->SetTokens(number("tokens"));
            break;
        case kTransitionType:
            json.Object({"type", "id", "x", "y", "label", "width", "height"});
            net.AddTransition(id, x, y);
            net.First();
            net.Current()->SetSize(json.Member("width").Integer<std::int32_t>(10),
                                   json.Member("height").Integer<std::int32_t>(40));
            break;
        case kNodeType:
            json.Object({"type", "id", "x", "y", "label"});
            net.AddNode(id, x, y, false);
            net.First();
            break;
        default:
            type.Fail("expected 1001 (place), 1002 (transition) or 1003 (node)");
    }
    net.Current()->SetLabel(PackLabel(json.Member("label")));
}

// The arcs go to their source elements so that the net's store code writes them in the order
// of the list where that order is one the program can write (grouped by source, newest element
// first); arcs listed in another order are written in that order instead. An id stands for the
// first element from the front that has it, as FindById finds it; the elements are indexed by
// id once, so that an arc costs a lookup instead of a walk over the net.
void PackArcs(const CJsonShape& json, CPNPetriNet& net) {
    std::unordered_map<std::int32_t, std::shared_ptr<CPNObject>> byId;
    for (bool more = net.First(); more; more = net.Next()) {
        byId.try_emplace(net.Current()->GetId(), net.Current());
    }
    const auto find = [&](const CJsonShape& id) {
        const auto found = byId.find(id.Integer<std::int32_t>());
        if (found == byId.end()) {
            id.Fail("no element has this id");
        }
        return found->second;
    };
    for (std::size_t i = json.ArraySize(); i-- > 0;) {
        const CJsonShape arc = json.Element(i);
        if (arc.ArraySize() != 3) {
            arc.Fail("expected [sourceId, targetId, weight]");
        }
        const std::int32_t sourceId = arc.Element(0).Integer<std::int32_t>();
        const std::int32_t targetId = arc.Element(1).Integer<std::int32_t>();
        const std::int32_t weight = arc.Element(2).Integer<std::int32_t>();
        if (sourceId == -1 || targetId == -1 || weight == -1) {
            arc.Fail("-1 would end the arcs in the file");
        }
        const std::shared_ptr<CPNObject> target = find(arc.Element(1));
        const std::shared_ptr<CPNObject> source = find(arc.Element(0));
        source->AddArc(target);
        source->FirstArc();
        source->SetArcWeight(weight);
    }
}

std::shared_ptr<CPNPetriNet> PackNet(const CJsonShape& json) {
    if (json.IsNull()) {
        return nullptr;
    }
    json.Object({"elements", "arcs"});
    auto net = std::make_shared<CPNPetriNet>();
    const CJsonShape elements = json.Member("elements");
    for (std::size_t i = 0, count = elements.ArraySize(); i < count; ++i) {
        PackElement(elements.Element(i), *net);  // oldest first, each at the front
    }
    PackArcs(json.Member("arcs"), *net);
    return net;
}

template <class T, class Convert>
std::vector<T> PackArray(const CJsonShape& json, Convert convert) {
    std::vector<T> array;
    const std::size_t count = json.IsNull() ? 0 : json.ArraySize();
    for (std::size_t i = 0; i < count; ++i) {
        array.push_back(convert(json.Element(i)));
    }
    return array;
}

std::shared_ptr<CPNQuestion> PackQuestion(const CJsonShape& json) {
    json.Object({"kind", "id", "title", "text", "answerNumber", "itemCount", "askedRequirements",
                 "keyNumber", "answer", "key", "items", "rightItems", "keyRequirements", "points",
                 "workNet", "keyNet"});
    const auto asNumber = [](const CJsonShape& entry) { return entry.Integer<std::int32_t>(); };
    const auto asText = [](const CJsonShape& entry) { return entry.Text(); };
    CPNQuestion::StoredFields fields;
    fields.kind = static_cast<QuestionKind>(
        json.Member("kind").Integer<std::int32_t>(static_cast<std::int32_t>(QuestionKind::Unset)));
    fields.id = json.Member("id").Integer<std::int32_t>();
    fields.title = json.Member("title").Text();
    fields.text = json.Member("text").Text();
    fields.answerNumber = json.Member("answerNumber").Integer<std::int16_t>();
    fields.askedRequirements = json.Member("askedRequirements").Integer<std::uint32_t>();
    fields.keyNumber = json.Member("keyNumber").Integer<std::int16_t>();
    fields.answer = PackArray<std::int32_t>(json.Member("answer"), asNumber);
    fields.key = PackArray<std::int32_t>(json.Member("key"), asNumber);
    fields.items = PackArray<std::u16string>(json.Member("items"), asText);
    fields.rightItems = PackArray<std::u16string>(json.Member("rightItems"), asText);
    // Without an item count, the longest array tells it.
    const std::size_t longest = std::max(
        {fields.answer.size(), fields.key.size(), fields.items.size(), fields.rightItems.size()});
    fields.itemCount =
        json.Member("itemCount").Integer<std::int32_t>(static_cast<std::int32_t>(longest));
    fields.keyRequirements = json.Member("keyRequirements").Integer<std::uint32_t>();
    fields.points = json.Member("points").Integer<std::int16_t>();
    fields.workNet = PackNet(json.Member("workNet"));
    fields.keyNet = PackNet(json.Member("keyNet"));
    return std::make_shared<CPNQuestion>(std::move(fields));
}

}  // namespace

void DumpNet(CJsonWriter& writer, const std::shared_ptr<CPNPetriNet>& net) {
    if (net == nullptr) {
        writer.Null();
        return;
    }
    // The net keeps its elements newest first, the file holds them oldest first. The arcs are
    // written element by element from the front, each element's arcs newest first; loading
    // reversed every element's arc list.
    std::vector<const CPNObject*> elements;
    for (bool more = net->First(); more; more = net->Next()) {
        elements.push_back(net->Current().get());
    }
    writer.BeginObject();
    writer.Key("elements").BeginArray();
    for (auto element = elements.rbegin(); element != elements.rend(); ++element) {
        DumpElement(writer, **element);
    }
    writer.EndArray();
    writer.Key("arcs").BeginArray();
    for (const CPNObject* element : elements) {
        const auto& arcs = element->Arcs();
        for (auto arc = arcs.rbegin(); arc != arcs.rend(); ++arc) {
            writer.BeginArray();
            writer.Number(element->GetId());
            writer.Number(arc->target->GetId());
            writer.Number(arc->weight);
            writer.EndArray();
        }
    }
    writer.EndArray();
    writer.EndObject();
}

void DumpTest(CJsonWriter& writer, CPNTest& test) {
    std::vector<const CPNQuestion*> questions;
    for (bool more = test.FirstQuestion(); more; more = test.NextQuestion()) {
        questions.push_back(test.CurrentQuestion().get());
    }
    writer.BeginObject();
    writer.Key("login").Text(test.GetLogin());
    writer.Key("id").Number(test.GetId());
    writer.Key("toBeWorkedOut").Boolean(test.GetToBeWorkedOut());
    writer.Key("timeLimit").Number(test.GetTimeLimit());
    writer.Key("questions").BeginArray();
    // Loading put every question at the front.
    for (auto question = questions.rbegin(); question != questions.rend(); ++question) {
        DumpQuestion(writer, **question);
    }
    writer.EndArray();
    writer.EndObject();
}

std::shared_ptr<CPNTest> PackTest(const CJsonShape& json) {
    json.Object({"login", "id", "toBeWorkedOut", "timeLimit", "questions"});
    auto test = std::make_shared<CPNTest>();
    test->SetLogin(json.Member("login").Text());
    test->SetId(json.Member("id").Integer<std::int32_t>());
    test->SetToBeWorkedOut(json.Member("toBeWorkedOut").Boolean(true));
    test->SetTimeLimit(json.Member("timeLimit").Integer<std::int64_t>());
    const CJsonShape questions = json.Member("questions");
    // Storing walks the list from the front, and each question goes in at the front.
    for (std::size_t i = questions.ArraySize(); i-- > 0;) {
        test->AddQuestion(PackQuestion(questions.Element(i)));
    }
    return test;
}

}  // namespace orvane
