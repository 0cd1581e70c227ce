// SPDX-License-Identifier: GPL-3.0-or-later
#include "ResultsFiles.h"

#include <gtest/gtest.h>

#include "common/ExamFolders.h"
#include "exam/KeptTests.h"
#include "results/Submission.h"
#include "support/DrawnNet.h"
#include "support/ExamFixtures.h"

namespace orvane::test {

std::shared_ptr<CPNTest> ExamTest(std::int32_t id, std::u16string_view login, bool withFree) {
    std::vector<std::shared_ptr<CPNQuestion>> questions = {
        std::make_shared<CPNQuestion>(1, u"Voľba", u"Vyberte", 3,
                                      std::vector<std::u16string>{u"a", u"b", u"c"},
                                      std::vector<bool>{true, false, true}, nullptr),
        std::make_shared<CPNQuestion>(2, u"Spoj", u"Spojte", 4,
                                      std::vector<std::u16string>{u"1", u"2", u"3", u"4"},
                                      std::vector<std::u16string>{u"A", u"B", u"C", u"D"},
                                      std::vector<std::int32_t>{1, 0, 3, 2}, nullptr),
        std::make_shared<CPNQuestion>(3, u"Semafor", u"Nakreslite", DrawnNet(kSolutionNet))};
    questions[0]->SetPoints(6);
    questions[1]->SetPoints(4);
    questions[2]->SetPoints(5);
    if (withFree) {
        questions.push_back(std::make_shared<CPNQuestion>(4, u"Voľná", u"Nakreslite"));
        questions.back()->SetPoints(3);
    }
    auto test = MakeTest(id, login, true, questions);
    test->SetTimeLimit(30 * 60);
    return test;
}

KeptTime At(int minutes) {
    using namespace std::chrono;
    return sys_days(year(2026) / 6 / 15) + hours(8) + std::chrono::minutes(minutes);
}

std::string KeepTest(const std::shared_ptr<CPNTest>& test, KeptTime time) {
    const std::string folder = KeptTestsFolderOf(test->GetLogin());
    EXPECT_TRUE(MakePrivateFolder(folder).IsOk()) << folder;
    const std::string path =
        folder + "/" + KeptFileName(time, "test" + std::to_string(test->GetId()));
    WriteTestFile(path, test);
    return path;
}

void Answer(CPNTest& test, const Answers& answers) {
    for (const auto& question : test.Questions()) {
        const auto& values = question->GetId() == 1 ? answers.ticks : answers.pairs;
        for (std::size_t i = 0; question->GetId() <= 2 && i < values.size(); ++i) {
            if (question->GetId() == 1) {
                question->SetAnswerFlag(static_cast<std::int32_t>(i), values[i] != 0);
            } else {
                question->SetAnswerPair(static_cast<std::int32_t>(i), values[i]);
            }
        }
        if (question->GetId() >= 3) {
            question->SetWorkNet(DrawnNet(answers.net, 50, 70));
        }
    }
}

std::string Submit(const std::string& keptPath, KeptTime time, const Answers& answers,
                   const std::function<void(CPNTest&)>& change) {
    CFileResult loaded;
    const auto test = LoadOneTest(keptPath, loaded);
    Answer(*test, answers);
    if (change) {
        change(*test);
    }
    const std::string folder = SubmissionsFolderOf(test->GetLogin());
    EXPECT_TRUE(MakePrivateFolder(folder).IsOk()) << folder;
    const std::string path = folder + "/" + KeptFileName(time, kWorkedTestFile);
    WriteTestFile(path, test);
    return path;
}

}  // namespace orvane::test
