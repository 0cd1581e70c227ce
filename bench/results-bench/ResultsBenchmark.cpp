// The time to score a class: 300 students, each with a kept test of 10 questions (3 to tick,
// 3 to connect, 4 nets to draw, compared with the solution) and an upload, in a fresh
// temporary working folder, scored the way the results window and orvane-db do it.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <unistd.h>

#include "common/ExamFolders.h"
#include "exam/KeptTests.h"
#include "exam/PNTestDB.h"
#include "common/TextCodec.h"
#include "results/ResultsTable.h"
#include "support/DrawnNet.h"

namespace orvane {
namespace {

constexpr int kStudents = 300;
constexpr const char* kSolution =
    "p1=1 p2 p3 p4; a: p1 -> p2; b: p2 -> p3; c: p3 -> p4; d: p4 -> p1";
constexpr const char* kWrong = "p1=2 p2 p3 p4; a: p1 -> p2; b: p2 -> p3; c: p3 -> p4; d: p4 -> p1";

std::shared_ptr<CPNTest> ClassTest(int student) {
    auto test = std::make_shared<CPNTest>();
    test->SetId(student);
    test->SetLogin(u"s" + FromUtf8(std::to_string(student)));
    test->SetTimeLimit(3600);
    for (int id = 0; id < 10; ++id) {
        std::shared_ptr<CPNQuestion> question;
        if (id < 3) {
            question = std::make_shared<CPNQuestion>(
                id, u"t", u"t", 4, std::vector<std::u16string>{u"a", u"b", u"c", u"d"},
                std::vector<bool>{true, false, true, false}, nullptr);
        } else if (id < 6) {
            question = std::make_shared<CPNQuestion>(
                id, u"s", u"s", 4, std::vector<std::u16string>{u"1", u"2", u"3", u"4"},
                std::vector<std::u16string>{u"A", u"B", u"C", u"D"},
                std::vector<std::int32_t>{1, 0, 3, 2}, nullptr);
        } else {
            question = std::make_shared<CPNQuestion>(id, u"n", u"n", test::DrawnNet(kSolution));
        }
        question->SetPoints(5);
        test->AddQuestion(question);
    }
    return test;
}

void Write(const std::shared_ptr<CPNTest>& test, const std::string& path) {
    CPNTestDB file;
    file.AddTest(test);
    file.First();
    (void)file.Save(FromUtf8(path));
}

SExamRun MakeClass() {
    SExamRun run{"bench", {}, true, {}};
    const KeptTime generated = std::chrono::floor<std::chrono::microseconds>(
        std::chrono::system_clock::now());
    for (int student = 0; student < kStudents; ++student) {
        auto test = ClassTest(student);
        const std::string kept = KeptTestsFolderOf(test->GetLogin());
        (void)MakePrivateFolder(kept);
        const std::string path = kept + "/" + KeptFileName(generated, "test" + std::to_string(student));
        Write(test, path);
        run.tests.push_back({path, generated, student});
        for (const auto& question : test->Questions()) {
            question->SetAnswerFlag(student % 4, true);
            question->SetAnswerPair(0, student % 4);
            if (question->GetKeyNet() != nullptr) {
                question->SetWorkNet(test::DrawnNet(student % 2 ? kSolution : kWrong, 30, 70));
            }
        }
        const std::string submitted = SubmissionsFolderOf(test->GetLogin());
        (void)MakePrivateFolder(submitted);
        Write(test, submitted + "/" + KeptFileName(generated + std::chrono::minutes(20),
                                                   kWorkedTestName));
    }
    return run;
}

}  // namespace
}  // namespace orvane

int main() {
    using namespace orvane;
    const auto folder = std::filesystem::temp_directory_path() /
                        ("orvane-results-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder);
    const SExamRun run = MakeClass();
    double best = 1e9;
    std::size_t similar = 0;
    for (int round = 0; round < 3; ++round) {
        const auto start = std::chrono::steady_clock::now();
        const SResultsTable table = BuildResultsTable(run, {});
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
        similar = table.similar.size();
    }
    std::printf("scored %d submissions of 10 questions (4 net comparisons each): %.0f ms "
                "(best of 3), %.2f ms per submission, %zu groups of similar answers\n",
                kStudents, best, best / kStudents, similar);
    std::filesystem::current_path("/");
    std::filesystem::remove_all(folder);
    return 0;
}
