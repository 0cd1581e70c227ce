// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis of textbook nets with known answers, read by a teacher as the lines under
// "Vlastnosti siete", and its limits: a search cut by a limit says so and stays bounded.
#include <gtest/gtest.h>

#include "analysis/NetAnalysis.h"
#include "analysis/PropertyText.h"
#include "common/TextCodec.h"
#include "support/DrawnNet.h"

namespace orvane::test {
namespace {

struct STextbookNet {
    const char* name;
    const char* net;
    std::vector<const char16_t*> lines;
};

std::vector<std::u16string> Lines(std::string_view text, const SExploreLimits& limits = {}) {
    return PropertyLines(AnalyseNet(CNetStructure::FromDrawing(*DrawnNet(text)), limits));
}

class TextbookNetTest : public testing::TestWithParam<STextbookNet> {};

TEST_P(TextbookNetTest, GivesKnownAnswers) {
    const auto& net = GetParam();
    EXPECT_EQ(Lines(net.net), std::vector<std::u16string>(net.lines.begin(), net.lines.end()));
}

INSTANTIATE_TEST_SUITE_P(
    Analysis, TextbookNetTest,
    testing::Values(
        STextbookNet{
            "MutualExclusion",
            "idle1=1 crit1 mutex=1 idle2=1 crit2; enter1: idle1 mutex -> crit1;"
            "leave1: crit1 -> idle1 mutex; enter2: idle2 mutex -> crit2;"
            "leave2: crit2 -> idle2 mutex",
            {u"graf dosiahnuteľnosti: 3 stavy, 4 hrany", u"ohraničená (najviac 1 značka v mieste)",
             u"bezpečná", u"bez uviaznutia", u"živá (všetky prechody sú živé)", u"reverzibilná",
             u"P-invarianty: idle1 + crit1; crit1 + mutex + crit2; idle2 + crit2",
             u"T-invarianty: enter1 + leave1; enter2 + leave2"}},
        STextbookNet{"ProducerConsumerBufferOfThree",
                     "ready=1 made free=3 buffer waiting=1 taken; make: ready -> made;"
                     "put: made free -> ready buffer; take: waiting buffer -> taken free;"
                     "use: taken -> waiting",
                     {u"graf dosiahnuteľnosti: 16 stavov, 28 hrán",
                      u"ohraničená (najviac 3 značky v mieste)", u"nie je bezpečná",
                      u"bez uviaznutia", u"živá (všetky prechody sú živé)", u"reverzibilná",
                      u"P-invarianty: ready + made; free + buffer; waiting + taken",
                      u"T-invarianty: make + put + take + use"}},
        STextbookNet{"UnboundedProducer",
                     "p=1 q; make: p -> p q; use: q ->",
                     {u"graf pokrytia (ω): 2 uzly, 3 hrany", u"neohraničená (bez hranice: q)",
                      u"nie je bezpečná", u"uviaznutie nezistené", u"živosť nezistená",
                      u"reverzibilita nezistená", u"P-invarianty: p", u"T-invarianty: make + use"}},
        STextbookNet{
            "DeadlockAfterKnownSequence",
            "r1=1 r2=1 a0=1 a1 a2 b0=1 b1 b2; ta1: a0 r1 -> a1; ta2: a1 r2 -> a2;"
            "ta3: a2 -> a0 r1 r2; tb1: b0 r2 -> b1; tb2: b1 r1 -> b2;"
            "tb3: b2 -> b0 r1 r2",
            {u"graf dosiahnuteľnosti: 6 stavov, 8 hrán", u"ohraničená (najviac 1 značka v mieste)",
             u"bezpečná", u"uviaznutie po: ta1 tb1", u"žiadny živý prechod", u"nie je reverzibilná",
             u"P-invarianty: r1 + a1 + a2 + b2; r2 + a2 + b1 + b2; a0 + a1 + a2; "
             u"b0 + b1 + b2",
             u"T-invarianty: ta1 + ta2 + ta3; tb1 + tb2 + tb3"}},
        STextbookNet{
            "NotReversibleWithDeadTransition",
            "p1=1 p2 p3 p4; t1: p1 -> p2; t2: p2 -> p3; t3: p3 -> p2; t4: p4 -> p1",
            {u"graf dosiahnuteľnosti: 3 stavy, 3 hrany", u"ohraničená (najviac 1 značka v mieste)",
             u"bezpečná", u"bez uviaznutia", u"mŕtve prechody: t4", u"živé prechody: t2, t3",
             u"nie je reverzibilná", u"P-invarianty: p1 + p2 + p3 + p4", u"T-invarianty: t2 + t3"}},
        STextbookNet{
            "WeightedInvariants",
            "p1=2 p2; pair: 2*p1 -> p2; split: p2 -> 2*p1",
            {u"graf dosiahnuteľnosti: 2 stavy, 2 hrany", u"ohraničená (najviac 2 značky v mieste)",
             u"nie je bezpečná", u"bez uviaznutia", u"živá (všetky prechody sú živé)",
             u"reverzibilná", u"P-invarianty: p1 + 2·p2", u"T-invarianty: pair + split"}},
        STextbookNet{
            "CapacityStopsTheProducer",
            "p=1 q/2; make: p -> p q",
            {u"graf dosiahnuteľnosti: 3 stavy, 2 hrany", u"ohraničená (najviac 2 značky v mieste)",
             u"nie je bezpečná", u"uviaznutie po: make make", u"žiadny živý prechod",
             u"nie je reverzibilná", u"P-invarianty: p", u"T-invarianty: žiadne"}}),
    [](const auto& info) { return std::string(info.param.name); });

// n independent cycles of two places each: 2^n markings.
std::string Cycles(int n) {
    std::string places, transitions;
    for (int i = 0; i < n; ++i) {
        const std::string a = "a" + std::to_string(i), b = "b" + std::to_string(i);
        places += a + "=1 " + b + " ";
        transitions += "; f" + std::to_string(i) + ": " + a + " -> " + b + "; g" +
                       std::to_string(i) + ": " + b + " -> " + a;
    }
    return places + transitions;
}

// 2^20 markings under the default limit are in the benchmark; under the sanitizers 2^16.
TEST(AnalysisLimits, LargeNetFinishesExactInBoundedMemory) {
    const auto analysis = AnalyseNet(CNetStructure::FromDrawing(*DrawnNet(Cycles(16))));
    EXPECT_TRUE(analysis.IsExact());
    EXPECT_EQ(analysis.states, 1u << 16);
    EXPECT_LE(analysis.memory, 48u << 16);
    EXPECT_EQ(analysis.reversible, Verdict::Yes);
    EXPECT_EQ(analysis.live, std::vector<Verdict>(32, Verdict::Yes));
}

TEST(AnalysisLimits, EachLimitEndsTheSearchWithItsReason) {
    struct SCase {
        std::uint32_t states;
        std::size_t memory;
        ExploreEnd end;
        const char16_t* line;
    };
    for (const auto& [states, memory, end, line] :
         {SCase{16, SExploreLimits::kDefaultMemory, ExploreEnd::StateLimit,
                u"prehľadávanie zastavené (limit 16 stavov) po 16 stavoch; výsledky sú neúplné"},
          SCase{5000, 32 << 10, ExploreEnd::MemoryLimit,
                u"prehľadávanie zastavené (limit pamäti)"}}) {
        SExploreLimits limits;
        limits.states = states;
        limits.memory = memory;
        const auto analysis = AnalyseNet(CNetStructure::FromDrawing(*DrawnNet(Cycles(12))), limits);
        EXPECT_EQ(analysis.end, end);
        EXPECT_LE(analysis.memory, memory + (memory >> 2));
        EXPECT_TRUE(PropertyLines(analysis)[0].starts_with(line));
    }
}

}  // namespace
}  // namespace orvane::test
