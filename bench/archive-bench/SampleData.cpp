// SPDX-License-Identifier: GPL-3.0-or-later
#include "SampleData.h"

#include <array>
#include <string>
#include <vector>

#include "petrinet/PNLabel.h"

namespace orvane::bench {
namespace {

constexpr std::array<std::u16string_view, 8> kFirstNames = {
    u"Ján", u"Katarína", u"Ľubomír", u"Zuzana", u"Peter", u"Mária", u"Tomáš", u"Veronika"};
constexpr std::array<std::u16string_view, 8> kSurnames = {
    u"Novák", u"Horváthová", u"Kováč", u"Vargová", u"Tóth", u"Nagyová", u"Baláž", u"Šimková"};
constexpr std::array<std::u16string_view, 8> kLoginStems = {
    u"novak", u"horvath", u"kovac", u"varga", u"toth", u"nagy", u"balaz", u"simko"};

std::u16string Number(int value) {
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// Elements in turn: place, transition, labelled node, plain node. Each element leads to the
// next one, every third also back to the first; weights vary.
std::shared_ptr<CPNPetriNet> MakeSampleNet(int elements, int seed) {
    auto net = std::make_shared<CPNPetriNet>();
    std::vector<std::shared_ptr<CPNObject>> made;
    made.reserve(static_cast<std::size_t>(elements));
    for (int id = 1; id <= elements; ++id) {
        const std::int32_t x = (id * 37 + seed) % 800;
        const std::int32_t y = (id * 53 + seed) % 600;
        switch (id % 4) {
            case 1:
                net->AddPlace(id, x, y);
                break;
            case 2:
                net->AddTransition(id, x, y);
                break;
            case 3:
                net->AddNode(id, x, y, true);
                break;
            default:
                net->AddNode(id, x, y, false);
        }
        net->First();
        made.push_back(net->Current());
        made.back()->SetTokens(id % 3);
    }
    for (std::size_t i = 0; i + 1 < made.size(); ++i) {
        made[i]->AddArc(made[i + 1]);
        made[i]->FirstArc();
        made[i]->SetArcWeight(static_cast<std::int32_t>(1 + i % 5));
        if (i % 3 == 0) {
            made[i + 1]->AddArc(made.front());
        }
    }
    return net;
}

std::shared_ptr<CPNQuestion> MakeSampleQuestion(int id, int elementsPerNet) {
    const std::u16string title = u"Otázka č. " + Number(id);
    const std::u16string text =
        u"Pozrite si Petriho sieť a odpovedzte na otázku, ktorá sa jej týka (" + Number(id) + u").";
    auto net = [&](int seed) { return MakeSampleNet(elementsPerNet, id * 7 + seed); };
    switch (id % 4) {
        case 0:
            return std::make_shared<CPNQuestion>(id, title, text, net(0), net(1));
        case 1:
            return std::make_shared<CPNQuestion>(
                id, title, text, 4,
                std::vector<std::u16string>{u"Sieť je živá.", u"Sieť je ohraničená.",
                                            u"Sieť je reverzibilná.", u"Sieť má uviaznutie."},
                std::vector<bool>{true, false, true, false}, net(0));
        case 2:
            return std::make_shared<CPNQuestion>(
                id, title, text, 3, std::vector<std::u16string>{u"miesto", u"prechod", u"hrana"},
                std::vector<std::u16string>{u"kruh", u"obdĺžnik", u"šípka"},
                std::vector<std::int32_t>{0, 1, 2}, net(0));
        default: {
            auto question = std::make_shared<CPNQuestion>(id, title, text, net(1));
            question->SetWorkNet(net(0));  // a drawing already begun
            return question;
        }
    }
}

}  // namespace

std::unique_ptr<CPNUserDB> MakeSampleUserDB(int accounts) {
    auto database = std::make_unique<CPNUserDB>();
    for (int i = 0; i < accounts; ++i) {
        const auto pick = static_cast<std::size_t>(i) % kFirstNames.size();
        const auto other = static_cast<std::size_t>(i / 8) % kSurnames.size();
        const std::u16string name =
            std::u16string(kFirstNames[pick]) + u" " + std::u16string(kSurnames[other]);
        const std::u16string login = u"x" + std::u16string(kLoginStems[other]) + Number(i);
        database->InsertUser(
            std::make_shared<CPNUser>(login, name, CPNUserDB::GeneratePassword(), i % 50 == 0));
    }
    return database;
}

std::unique_ptr<CPNTestDB> MakeSampleTestDB(int questions, int elementsPerNet) {
    auto test = std::make_shared<CPNTest>();
    test->SetId(1);
    test->SetLogin(u"xnovak1");
    test->SetTimeLimit(5400);
    for (int id = 0; id < questions; ++id) {
        test->AddQuestion(MakeSampleQuestion(id, elementsPerNet));
    }
    auto database = std::make_unique<CPNTestDB>();
    database->AddTest(test);
    database->First();
    return database;
}

}  // namespace orvane::bench
