// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "exam/QuestionCopy.h"
#include "support/ByteBuilder.h"
#include "support/ExamFixtures.h"
#include "support/Serialized.h"

namespace orvane::test {
namespace {

// Copies share nothing with their originals, but what the originals shared among themselves
// (here one net) they share too, so a test of them stores the very same bytes.
TEST(QuestionCopy, CopiesShareNothingWithTheOriginalsAndStoreTheSameBytes) {
    auto net = std::make_shared<CPNPetriNet>();
    ASSERT_TRUE(net->AddPlace(1, 10, 20));
    const std::vector<std::shared_ptr<CPNQuestion>> originals{
        std::make_shared<CPNQuestion>(1, u"a", u"A", net, std::make_shared<CPNPetriNet>()),
        std::make_shared<CPNQuestion>(2, u"b", u"B", 2, std::vector<std::u16string>{u"x", u"y"},
                                      std::vector<bool>{true, false}, net)};
    const auto copies = CopyQuestions(originals);
    ASSERT_EQ(copies.size(), 2u);
    EXPECT_TRUE(copies[0] != originals[0] && copies[0]->GetWorkNet() != net);
    EXPECT_EQ(copies[0]->GetWorkNet(), copies[1]->GetWorkNet());
    EXPECT_EQ(Hex(StoredItems(*MakeTest(3, u"jana", true, copies))),
              Hex(StoredItems(*MakeTest(3, u"jana", true, originals))));
}

}  // namespace
}  // namespace orvane::test
