// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/DrawnNet.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>

#include "common/TextCodec.h"
#include "petrinet/PNLabel.h"

namespace orvane::test {
namespace {

std::vector<std::string> Words(std::string_view text) {
    std::istringstream stream{std::string(text)};
    std::vector<std::string> words;
    for (std::string word; stream >> word;) {
        words.push_back(word);
    }
    return words;
}

}  // namespace

std::shared_ptr<CPNObject> ElementOf(const CPNPetriNet& net, std::int32_t id) {
    for (const auto& element : net.Elements()) {
        if (element->GetId() == id) {
            return element;
        }
    }
    return nullptr;
}

std::shared_ptr<CPNPetriNet> DrawnNet(std::string_view text, std::int32_t firstId,
                                      std::int32_t step) {
    auto net = std::make_shared<CPNPetriNet>();
    std::map<std::string, std::shared_ptr<CPNObject>> byName;
    std::int32_t id = firstId;
    const auto add = [&](const std::string& name, bool place) {
        place ? net->AddPlace(id, id * step, 50) : net->AddTransition(id, id * step, 150);
        net->First();
        net->Current()->GetLabel()->SetText(FromUtf8(name));
        byName[name] = net->Current();
        ++id;
        return net->Current();
    };
    std::size_t clauseEnd = text.find(';');
    for (const std::string& word : Words(text.substr(0, clauseEnd))) {
        const std::size_t mark = word.find_first_of("=/");
        const auto place = add(word.substr(0, mark), true);
        for (std::size_t at = mark; at != std::string::npos;
             at = word.find_first_of("=/", at + 1)) {
            const int value = std::stoi(word.substr(at + 1));
            word[at] == '=' ? place->SetTokens(value) : place->SetCapacity(value);
        }
    }
    while (clauseEnd != std::string_view::npos) {
        const std::size_t begin = clauseEnd + 1;
        clauseEnd = text.find(';', begin);
        const auto words = Words(text.substr(begin, clauseEnd - begin));
        auto transition = add(words.at(0).substr(0, words[0].size() - 1), false);
        bool output = false;
        for (std::size_t i = 1; i < words.size(); ++i) {
            if (words[i] == "->") {
                output = true;
                continue;
            }
            const std::size_t star = words[i].find('*');
            const int weight = star == std::string::npos ? 1 : std::stoi(words[i]);
            const auto place = byName.at(words[i].substr(star == std::string::npos ? 0 : star + 1));
            auto& from = output ? transition : place;
            from->AddArc(output ? place : transition);
            from->FirstArc();
            from->SetArcWeight(weight);
        }
    }
    return net;
}

}  // namespace orvane::test
