// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An exam's files as the generator and the server leave them, for the tests of the results:
// a kept test per student ("tests/<login>/<time>-test<id>") and uploads made from it with
// answers ("submissions/<login>/<time>-testdb_bla").
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/ExamFolders.h"
#include "exam/PNTest.h"

namespace orvane::test {

inline constexpr std::string_view kSolutionNet = "free=1 busy; start: free -> busy; "
                                                 "stop: busy -> free";

// Questions 1 "Voľba" (choose: a, b, c; a and c correct; 6 points), 2 "Spoj" (connect four
// items, key 1 0 3 2; 4 points), 3 "Semafor" (draw the solution net; 5 points) and, with
// `withFree`, 4 "Voľná" (draw without correction; 3 points). The time limit is 30 minutes.
std::shared_ptr<CPNTest> ExamTest(std::int32_t id, std::u16string_view login, bool withFree);

KeptTime At(int minutes);  // minutes after a fixed moment

// Keeps the test as generated at `time`; answers the path relative to the working folder.
std::string KeepTest(const std::shared_ptr<CPNTest>& test, KeptTime time);

struct Answers {
    std::vector<std::int32_t> ticks = {1, 0, 1};
    std::vector<std::int32_t> pairs = {1, 0, 3, 2};
    std::string net{kSolutionNet};
};

// Puts the answers into a test of ExamTest's questions.
void Answer(CPNTest& test, const Answers& answers);

// Uploads the kept test at `keptPath` answered with `answers`, kept at `time`; `change` may
// alter the uploaded test before it is written. Answers the upload's path.
std::string Submit(const std::string& keptPath, KeptTime time, const Answers& answers,
                   const std::function<void(CPNTest&)>& change = {});

}  // namespace orvane::test
