// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the analysis of every net of a test file loaded from arbitrary bytes, with
// small limits, and the comparison of each question's two nets; whatever the drawing, the
// analysis ends within its limits, and its lines can be written.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "FuzzFixture.h"
#include "analysis/NetComparison.h"
#include "analysis/PropertyText.h"
#include "archive/Archive.h"
#include "exam/PNTestDB.h"

using namespace orvane;
using namespace orvane::fuzz;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    SilenceConsoleLines();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    CPNTestDB database;
    try {
        CArchive archive({data, size});
        database.Serialize(archive);
    } catch (const ArchiveError&) {
        return 0;
    }
    if (!database.First()) {
        return 0;
    }
    SExploreLimits limits;
    limits.states = 2000;
    limits.memory = std::size_t{16} << 20;
    CPNTest& test = *database.Current();
    for (bool more = test.FirstQuestion(); more; more = test.NextQuestion()) {
        const auto question = test.CurrentQuestion();
        std::vector<CNetStructure> nets;
        for (const auto& net : {question->GetWorkNet(), question->GetKeyNet()}) {
            if (net != nullptr) {
                const auto analysis =
                    AnalyseNet(nets.emplace_back(CNetStructure::FromDrawing(*net)), limits);
                Require(analysis.states <= limits.states, "the analysis passes its state limit");
                (void)PropertyLines(analysis);
            }
        }
        if (nets.size() == 2) {
            (void)ComparisonLines(CompareNets(nets[0], nets[1], limits));
        }
    }
    return 0;
}
