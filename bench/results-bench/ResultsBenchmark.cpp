// SPDX-License-Identifier: GPL-3.0-or-later
// The time to score a class: 300 students, each with a kept test of 10 questions (3 to tick,
// 3 to connect, 2 nets to complete and 2 to draw, compared with their solution nets) and an
// upload, in a fresh temporary working folder, scored the way the results window (on its
// worker thread) and orvane-db do it.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "ExamClass.h"
#include "results/ResultsTable.h"

int main() {
    using namespace orvane;
    using namespace orvane::bench;
    const auto folder = std::filesystem::temp_directory_path() /
                        ("orvane-results-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    const SExamRun run = WriteExamClass();
    double best = 1e9, worst = 0;
    SResultsTable table;
    for (int round = 0; round < 5; ++round) {
        const auto start = std::chrono::steady_clock::now();
        table = BuildResultsTable(run, {});
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
        worst = std::max(worst, took.count());
    }
    int full = 0, pending = 0, submitted = 0;
    for (const SStudentResult& student : table.students) {
        const SSubmission* latest = student.Latest();
        if (latest == nullptr) {
            continue;
        }
        ++submitted;
        for (const SQuestionScore& score : latest->scores) {
            if (score.kind == QuestionKind::CompleteNet || score.kind == QuestionKind::DrawNet) {
                full += score.pending ? 0 : 1;
                pending += score.pending ? 1 : 0;
            }
        }
    }
    std::printf(
        "class: %zu students, %d scored submissions of %d questions, %d net comparisons "
        "(%d equal to the solution, %d left to the teacher)\n",
        table.students.size(), submitted, kQuestions, submitted * kNetQuestions, full, pending);
    std::printf(
        "scoring the class (load, check, score, compare nets, find similar answers): "
        "%.0f ms best, %.0f ms worst of 5; %.2f ms per submission; %zu groups of "
        "similar answers\n",
        best, worst, best / kStudents, table.similar.size());
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    return submitted == kStudents ? 0 : 1;
}
