#include <gtest/gtest.h>

#include "exam/PNTestDB.h"
#include "petrinet/PNLabel.h"
#include "support/ByteBuilder.h"
#include "support/TempFolder.h"

namespace orvane {
namespace {

using test::Hex;
using test::ReadBytes;

struct SampleArc {
    std::int32_t from, to, weight;
};

// Every kind of element, labelled and not, with several arcs per element; `mirrored` adds
// each element's arcs in the opposite order, as one store and load leaves them.
std::shared_ptr<CPNPetriNet> SampleNet(std::int32_t seed, bool mirrored) {
    auto net = std::make_shared<CPNPetriNet>();
    net->AddPlace(1, seed, 20);
    net->AddTransition(2, 100, seed);
    net->AddNode(3, 50, 50, true);
    net->AddNode(4, 60, 60, false);
    net->AddPlace(5, -seed, 0);
    net->FindById(5);
    net->Current()->SetLabel(nullptr);
    net->Current()->SetTokens(seed);
    net->FindById(2);
    net->Current()->SetSize(seed, 30);
    net->Current()->GetLabel()->SetText(u"Prechod ľ" + std::u16string(1, char16_t(u'A' + seed)));
    std::vector<SampleArc> arcs{{1, 2, 1}, {1, 3, 2}, {1, 4, seed}, {2, 5, 1}, {2, 1, 4},
                                {3, 4, 1}, {4, 2, 7}, {5, 1, 1},    {5, 2, 2}, {5, 1, 3}};
    if (mirrored) {
        std::reverse(arcs.begin(), arcs.end());
    }
    for (const SampleArc& arc : arcs) {
        net->FindById(arc.to);
        const auto target = net->Current();
        net->FindById(arc.from);
        net->Current()->AddArc(target);
        net->Current()->FirstArc();
        net->Current()->SetArcWeight(arc.weight);
    }
    return net;
}

// One question of each kind that has a constructor; `mirrored` adds them in the opposite
// order and mirrors their nets.
std::shared_ptr<CPNTest> SampleTest(bool mirrored) {
    const CPNQuestion::Requirements pairs{
        {{true, 3}, {true, 1}, {false, 1}, {true, 0}, {false, 0}, {true, 1}, {false, 1}}};
    std::vector<std::shared_ptr<CPNQuestion>> questions{
        std::make_shared<CPNQuestion>(0),
        std::make_shared<CPNQuestion>(1, u"Výber", u"Ktoré platí?", 3,
                                      std::vector<std::u16string>{u"á", u"b", u"č"},
                                      std::vector<bool>{true, false, true}, SampleNet(1, mirrored)),
        std::make_shared<CPNQuestion>(
            2, u"Spoj", u"Spoj súvisiace", 2, std::vector<std::u16string>{u"l1", u"l2"},
            std::vector<std::u16string>{u"p1", u"p2"}, std::vector<std::int32_t>{1, 0}, nullptr),
        std::make_shared<CPNQuestion>(3, u"Dokonči", u"Dokonči PN", SampleNet(2, mirrored),
                                      SampleNet(3, mirrored)),
        std::make_shared<CPNQuestion>(4, u"Podľa", u"požiadaviek", SampleNet(4, mirrored), pairs),
        std::make_shared<CPNQuestion>(5, u"Nakresli", u"Nakresli PN", SampleNet(5, mirrored)),
        std::make_shared<CPNQuestion>(6, u"Nakresli", u"podľa požiadaviek", pairs),
        std::make_shared<CPNQuestion>(7, u"Voľne", u"bez opravy"),
    };
    questions[2]->SetAnswerPair(0, 1);
    questions[1]->SetAnswerFlag(2, true);
    questions[1]->SetAnswerNumber(-3);
    questions[3]->SetKeyNumber(12);
    questions[6]->SetPoints(9);
    if (mirrored) {
        std::reverse(questions.begin(), questions.end());
    }
    auto test = std::make_shared<CPNTest>();
    test->SetId(11);
    test->SetLogin(u"študent");
    test->SetTimeLimit(2700);
    for (const auto& question : questions) {
        test->AddQuestion(question);
    }
    return test;
}

void Save(const std::shared_ptr<CPNTest>& test, const std::u16string& name) {
    CPNTestDB db;
    db.AddTest(test);
    db.First();
    db.Save(name);
}

std::shared_ptr<CPNTest> Load(const std::u16string& name) {
    CPNTestDB db;
    db.Load(name);
    return db.First() ? db.Current() : nullptr;
}

std::vector<std::int32_t> QuestionIds(CPNTest& test) {
    std::vector<std::int32_t> ids;
    for (bool more = test.FirstQuestion(); more; more = test.NextQuestion()) {
        ids.push_back(test.CurrentQuestion()->GetId());
    }
    return ids;
}

class StoreLoadCycle : public test::InTempFolder {};

TEST_F(StoreLoadCycle, SecondFileIsMirroredAndThirdEqualsTheFirst) {
    Save(SampleTest(false), u"first");
    const auto once = Load(u"first");
    ASSERT_NE(once, nullptr);
    EXPECT_EQ(QuestionIds(*once), (std::vector<std::int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    Save(once, u"second");
    const auto twice = Load(u"second");
    ASSERT_NE(twice, nullptr);
    Save(twice, u"third");

    // The second file holds the questions, and each element's arcs, in reverse order.
    Save(SampleTest(true), u"mirrored");
    EXPECT_EQ(Hex(ReadBytes("second")), Hex(ReadBytes("mirrored")));
    EXPECT_NE(ReadBytes("second"), ReadBytes("first"));
    EXPECT_EQ(Hex(ReadBytes("third")), Hex(ReadBytes("first")));
}

}  // namespace
}  // namespace orvane
