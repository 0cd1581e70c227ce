#include "TestJson.h"

#include <algorithm>
#include <ranges>

#include "common/TextCodec.h"
#include "exam/PNQuestion.h"
#include "petrinet/PNLabel.h"
#include "petrinet/PNPetriNet.h"

namespace orvane {
namespace {

Json DumpLabel(const std::shared_ptr<CPNLabel>& label) {
    if (label == nullptr) {
        return nullptr;
    }
    Json json;
    json["id"] = label->GetId();
    json["x"] = label->GetX();
    json["y"] = label->GetY();
    json["text"] = ToUtf8(label->GetText());
    json["flag"] = label->GetFlag();
    return json;
}

Json DumpElement(const CPNObject& element) {
    Json json;
    json["type"] = element.GetType();
    json["id"] = element.GetId();
    json["x"] = element.GetX();
    json["y"] = element.GetY();
    json["label"] = DumpLabel(element.GetLabel());
    if (element.GetType() == kPlaceType) {
        json["radius"] = element.GetRadius();
        json["capacity"] = element.GetCapacity();
        json["tokens"] = element.GetTokens();
    } else if (element.GetType() == kTransitionType) {
        json["width"] = element.GetWidth();
        json["height"] = element.GetHeight();
    }
    return json;
}

Json DumpNet(const std::shared_ptr<CPNPetriNet>& net) {
    if (net == nullptr) {
        return nullptr;
    }
    // The net keeps its elements newest first, the file holds them oldest first. The arcs are
    // written element by element from the front, each element's arcs newest first; loading
    // reversed every element's arc list.
    Json elements = Json::array();
    Json arcs = Json::array();
    for (bool more = net->First(); more; more = net->Next()) {
        const CPNObject& element = *net->Current();
        elements.push_back(DumpElement(element));
        for (const auto& arc : element.Arcs() | std::views::reverse) {
            arcs.push_back(Json::array({element.GetId(), arc.target->GetId(), arc.weight}));
        }
    }
    std::reverse(elements.begin(), elements.end());
    Json json;
    json["elements"] = std::move(elements);
    json["arcs"] = std::move(arcs);
    return json;
}

template <class T, class Convert>
Json DumpArray(const std::vector<T>& array, Convert convert) {
    if (array.empty()) {
        return nullptr;
    }
    Json json = Json::array();
    for (const T& entry : array) {
        json.push_back(convert(entry));
    }
    return json;
}

Json DumpQuestion(const CPNQuestion& question) {
    const auto asIs = [](std::int32_t value) { return value; };
    const auto asText = [](const std::u16string& text) { return ToUtf8(text); };
    Json json;
    json["kind"] = static_cast<std::int32_t>(question.GetKind());
    json["id"] = question.GetId();
    json["title"] = ToUtf8(question.GetTitle());
    json["text"] = ToUtf8(question.GetText());
    json["answerNumber"] = question.GetAnswerNumber();
    json["itemCount"] = question.GetItemCount();
    json["askedRequirements"] = question.GetAskedRequirements();
    json["keyNumber"] = question.GetKeyNumber();
    json["answer"] = DumpArray(question.GetAnswer(), asIs);
    json["key"] = DumpArray(question.GetKey(), asIs);
    json["items"] = DumpArray(question.GetItems(), asText);
    json["rightItems"] = DumpArray(question.GetRightItems(), asText);
    json["keyRequirements"] = question.GetKeyRequirements();
    json["points"] = question.GetPoints();
    json["workNet"] = DumpNet(question.GetWorkNet());
    json["keyNet"] = DumpNet(question.GetKeyNet());
    return json;
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
// first); arcs listed in another order are written in that order instead.
void PackArcs(const CJsonShape& json, CPNPetriNet& net) {
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
        if (!net.FindById(targetId)) {
            arc.Element(1).Fail("no element has this id");
        }
        const std::shared_ptr<CPNObject> target = net.Current();
        if (!net.FindById(sourceId)) {
            arc.Element(0).Fail("no element has this id");
        }
        net.Current()->AddArc(target);
        net.Current()->FirstArc();
        net.Current()->SetArcWeight(weight);
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

Json DumpTest(CPNTest& test) {
    Json questions = Json::array();
    for (bool more = test.FirstQuestion(); more; more = test.NextQuestion()) {
        questions.push_back(DumpQuestion(*test.CurrentQuestion()));
    }
    // Loading put every question at the front.
    std::reverse(questions.begin(), questions.end());
    Json json;
    json["login"] = ToUtf8(test.GetLogin());
    json["id"] = test.GetId();
    json["toBeWorkedOut"] = test.GetToBeWorkedOut();
    json["timeLimit"] = test.GetTimeLimit();
    json["questions"] = std::move(questions);
    return json;
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
