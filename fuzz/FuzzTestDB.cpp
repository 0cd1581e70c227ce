// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a test database file loaded from arbitrary bytes, as from a "testdb" or
// "quesdb" file that a client uploaded. A file that loads must store in a form that loads
// again and comes back byte for byte after two more rounds (each reverses the question and
// arc lists); then the window's own operations on its nets must hold on the loaded data.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "FuzzFixture.h"
#include "exam/PNTestDB.h"

using namespace orvane;
using namespace orvane::fuzz;

namespace {

constexpr std::int32_t kItemsLookedAt = 64;

// What the window does with a net: new numbers, hit tests, arc end points, deleting.
void WorkOnNet(CPNPetriNet& net) {
    net.NewId();
    std::vector<std::shared_ptr<CPNObject>> elements;
    for (bool more = net.First(); more; more = net.Next()) {
        elements.push_back(net.Current());
    }
    for (const auto& element : elements) {
        net.HitTest(element->GetX(), element->GetY());
        for (const auto& arc : element->Arcs()) {
            element->BorderX(arc.target->GetX(), arc.target->GetY(), 2, 3);
            element->BorderY(arc.target->GetX(), arc.target->GetY(), 2, 3);
        }
    }
    for (const auto& element : elements) {
        net.DeleteElement(element.get());
    }
    Require(net.IsEmpty(), "deleting every element leaves elements in the net");
}

void WorkOnTest(CPNTest& test) {
    test.NextFreeQuestionId();
    for (bool more = test.FirstQuestion(); more; more = test.NextQuestion()) {
        const auto question = test.CurrentQuestion();
        // A file may give any item count: the first ones and both ends are enough.
        const std::int32_t last = std::min(question->GetItemCount(), kItemsLookedAt);
        for (std::int32_t i = -1; i <= last; ++i) {
            question->GetItem(i);
            question->GetRightItem(i);
            question->GetAnswerPair(i);
            question->GetKeyFlag(i);
        }
        for (const auto& net : {question->GetWorkNet(), question->GetKeyNet()}) {
            if (net != nullptr) {
                WorkOnNet(*net);
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceConsoleLines();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto db = LoadWithStableReloads<CPNTestDB>({data, size},
                                                     "a stored test changes over two reloads");
    if (db != nullptr && db->Current() != nullptr) {
        WorkOnTest(*db->Current());
    }
    return 0;
}
