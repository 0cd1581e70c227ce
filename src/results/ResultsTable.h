// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The results of one exam (one run of the generator): a row per student of the run with the
// latest submission's points per question (automatic or set by the teacher), the total, the
// percentage and a state, the student's earlier submissions, and the groups of students whose
// answers are wrong in the same way. Everything is recomputed from the kept files and the
// decisions; nothing here writes a file except SaveStudentDecisions.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "results/Decisions.h"
#include "results/ExamRuns.h"
#include "results/Submission.h"

namespace orvane {

enum class ResultState { NotSubmitted, Submitted, Pending, Decided, Late, Mismatch };

// "neodovzdal", "odovzdal", "na posúdenie", "posúdené", "neskoro", "nezhoduje sa".
std::u16string StateText(ResultState state);
// The state's name in the JSON of orvane-db ("notSubmitted", ...).
std::string StateName(ResultState state);

struct SFinalPoints {
    double points = 0;
    double maxPoints = 0;
    bool overridden = false;
    bool pending = false;  // automatic, and left to the teacher
    std::u16string note;
};

struct SStudentResult {
    std::u16string login;
    std::u16string name;
    SRunTest kept;
    std::shared_ptr<CPNTest> test;  // the kept test; null when it does not load
    CFileResult keptLoaded;
    std::vector<SSubmission> submissions;  // newest first
    Decisions decisions;                   // every decision kept for the login
    CFileResult decisionsLoaded;
    // From the latest submission and its decisions:
    std::vector<SFinalPoints> points;  // one per question of the kept test
    double total = 0;
    double maxTotal = 0;
    ResultState state = ResultState::NotSubmitted;

    const SSubmission* Latest() const { return submissions.empty() ? nullptr : &submissions[0]; }
    double Percent() const { return maxTotal > 0 ? 100 * total / maxTotal : 0; }
};

struct SSimilarGroup {
    std::int32_t questionId = 0;
    std::u16string title;
    std::u16string answer;  // the wrong answer they share ("sieť" for equal nets)
    std::vector<std::u16string> logins;
};

struct SResultsTable {
    SExamRun run;
    std::size_t questionColumns = 0;  // the most questions that one test of the run has
    std::vector<SStudentResult> students;  // by login
    std::vector<SSimilarGroup> similar;
};

// The table of the run, read from the working folder `root`; `names` gives the full name of
// each login that has an account.
SResultsTable BuildResultsTable(const SExamRun& run,
                                const std::map<std::u16string, std::u16string>& names,
                                const std::string& root = ".",
                                const SExploreLimits& limits = ScoringLimits());
// Recomputes the student's points, total and state after their decisions changed.
void ApplyDecisions(SStudentResult& student);
// Writes the student's decisions; refused (with the reason it did not read) when the
// student's file of decisions exists but did not read, so that it is not lost.
[[nodiscard]] CFileResult SaveStudentDecisions(const SStudentResult& student,
                                               const std::string& root = ".");
// The average points of each question column over the students who handed in.
std::vector<double> QuestionAverages(const SResultsTable& table);

}  // namespace orvane
