// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One kept upload of a student's worked test, checked against the test kept for the student
// when it was generated and scored question by question. Nothing is "fixed": a file that does
// not load, a test that does not match the one handed out and a late upload are each said.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "common/ExamFolders.h"
#include "common/FileResult.h"
#include "exam/PNTest.h"
#include "results/QuestionScore.h"

namespace orvane {

inline constexpr std::u16string_view kMismatchText = u"nezhoduje sa s vydaným testom";

struct SSubmission {
    std::string name;  // the kept file's name in the student's folder of submissions
    std::string path;
    KeptTime time{};
    CFileResult loaded;  // why the file does not load
    std::shared_ptr<CPNTest> test;
    bool matches = false;
    std::u16string mismatch;  // what differs from the test handed out, when it does not match
    std::int64_t lateMinutes = 0;
    std::vector<SQuestionScore> scores;  // one per question of the kept test, in file order

    bool IsLate() const { return lateMinutes > 0; }
};

// The first thing in which `answered` differs from the kept test: its id, a question missing or
// added, a question's kind, title, text or items. Empty when they match.
std::u16string TestDifference(const CPNTest& kept, const CPNTest& answered);

// Loads the kept upload at `submission.path` (when `submission.test` is not given yet) and
// fills in the rest of `submission` against the kept test generated at `generated`.
void ScoreSubmission(const CPNTest& kept, KeptTime generated, SSubmission& submission,
                     const SExploreLimits& limits = ScoringLimits());

// The questions of a loaded test in the order of its file, which is the order of the test as
// it was generated (loading reverses the list).
std::vector<std::shared_ptr<CPNQuestion>> QuestionsInFileOrder(const CPNTest& test);

// The test that a one-test file ("testdb", a kept test, an upload) holds, or the reason why
// there is none.
std::shared_ptr<CPNTest> LoadOneTest(const std::string& path, CFileResult& result);

}  // namespace orvane
