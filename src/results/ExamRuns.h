// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which kept tests make up one exam: the tests that one run of the generator made. After a
// generation the window records the run as a file of its own, "results/runs/<time>-run",
// listing the kept tests it made ("tests/<login>/<time>-test<id>"). Tests kept before runs
// were recorded are grouped by the time in their names: tests generated less than
// kFallbackGap apart belong to one run, unless a login comes again.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/ExamFolders.h"
#include "common/FileResult.h"
#include "exam/KeptTests.h"

namespace orvane {

inline constexpr std::string_view kRunsFolder = "results/runs";
inline constexpr std::chrono::seconds kFallbackGap{120};

struct SRunTest {
    std::string path;  // relative to the working folder: "tests/<login>/<name>"
    KeptTime generated{};
    std::int32_t testId = 0;
};

struct SExamRun {
    std::string name;  // the time of the run, as in a kept file's name
    KeptTime time{};
    bool recorded = false;  // false: grouped by the times of its tests
    std::vector<SRunTest> tests;
};

// Records the tests that one generation kept (those that could not be kept are left out).
// `root` is the working folder.
[[nodiscard]] CFileResult RecordExamRun(const std::vector<KeptTest>& kept,
                                        const std::string& root = ".");
// Every run of the working folder, newest first.
std::vector<SExamRun> ExamRuns(const std::string& root = ".");
// `path` (relative to the working folder) as seen from here, for a working folder `root`.
std::string InWorkingFolder(const std::string& root, std::string_view path);
// The id in the `what` of a kept test's name ("test12"); nothing for any other name.
std::optional<std::int32_t> KeptTestId(std::string_view what);

}  // namespace orvane
