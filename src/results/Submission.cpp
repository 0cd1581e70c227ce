// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/Submission.h"

#include <algorithm>
#include <map>

#include "common/TextCodec.h"
#include "exam/PNTestDB.h"

namespace orvane {
namespace {

std::map<std::int32_t, std::shared_ptr<CPNQuestion>> ById(const CPNTest& test) {
    std::map<std::int32_t, std::shared_ptr<CPNQuestion>> questions;
    for (const auto& question : test.Questions()) {
        questions.emplace(question->GetId(), question);
    }
    return questions;
}

// What differs between two questions that carry the same id; empty when nothing does.
std::u16string QuestionDifference(const CPNQuestion& kept, const CPNQuestion& answered) {
    if (kept.GetKind() != answered.GetKind()) {
        return u"iný druh";
    }
    if (kept.GetTitle() != answered.GetTitle() || kept.GetText() != answered.GetText()) {
        return u"iné zadanie";
    }
    if (kept.GetItemCount() != answered.GetItemCount() || kept.GetItems() != answered.GetItems() ||
        kept.GetRightItems() != answered.GetRightItems()) {
        return u"iné položky";
    }
    return {};
}

void CheckLateness(const CPNTest& kept, KeptTime generated, SSubmission& submission) {
    const std::int64_t limit = kept.GetTimeLimit();
    const auto taken = std::chrono::duration_cast<std::chrono::seconds>(submission.time -
                                                                        generated)
                           .count();
    if (limit > 0 && taken > limit) {
        submission.lateMinutes = (taken - limit + 59) / 60;
    }
}

}  // namespace

std::u16string TestDifference(const CPNTest& kept, const CPNTest& answered) {
    if (kept.GetId() != answered.GetId()) {
        return u"test " + NumberText(answered.GetId()) + u" namiesto " + NumberText(kept.GetId());
    }
    const auto keptQuestions = ById(kept);
    const auto answeredQuestions = ById(answered);
    for (const auto& [id, question] : keptQuestions) {
        const auto found = answeredQuestions.find(id);
        if (found == answeredQuestions.end()) {
            return u"otázka " + NumberText(id) + u" chýba";
        }
        if (const std::u16string what = QuestionDifference(*question, *found->second);
            !what.empty()) {
            return u"otázka " + NumberText(id) + u": " + what;
        }
    }
    for (const auto& [id, question] : answeredQuestions) {
        if (!keptQuestions.contains(id)) {
            return u"otázka " + NumberText(id) + u" navyše";
        }
    }
    if (static_cast<std::size_t>(answered.GetQuestionCount()) != keptQuestions.size()) {
        return u"otázky sa opakujú";
    }
    return {};
}

std::vector<std::shared_ptr<CPNQuestion>> QuestionsInFileOrder(const CPNTest& test) {
    std::vector<std::shared_ptr<CPNQuestion>> questions(test.Questions().begin(),
                                                        test.Questions().end());
    std::reverse(questions.begin(), questions.end());
    return questions;
}

std::shared_ptr<CPNTest> LoadOneTest(const std::string& path, CFileResult& result) {
    CPNTestDB file;
    result = file.Load(FromUtf8(path));
    if (result.IsOk() && !file.First()) {
        result = CFileResult::Malformed("no test in the file");
    }
    return result.IsOk() ? file.Current() : nullptr;
}

void ScoreSubmission(const CPNTest& kept, KeptTime generated, SSubmission& submission,
                     const SExploreLimits& limits) {
    if (submission.test == nullptr) {
        submission.test = LoadOneTest(submission.path, submission.loaded);
    }
    submission.scores.clear();
    if (submission.test == nullptr) {
        submission.matches = false;
        submission.mismatch = u"súbor sa nedá načítať: " + FromUtf8(submission.loaded.Reason());
        return;
    }
    CheckLateness(kept, generated, submission);
    submission.mismatch = TestDifference(kept, *submission.test);
    submission.matches = submission.mismatch.empty();
    const auto answered = ById(*submission.test);
    for (const auto& question : QuestionsInFileOrder(kept)) {
        const auto found = answered.find(question->GetId());
        SQuestionScore score;
        if (found != answered.end() && found->second->GetKind() == question->GetKind()) {
            score = ScoreQuestion(*question, *found->second, limits);
        } else {
            score.questionId = question->GetId();
            score.kind = question->GetKind();
            score.maxPoints = std::max<std::int16_t>(question->GetPoints(), 0);
        }
        if (!submission.matches) {
            // No automatic points for a test that is not the one handed out.
            score.points = 0;
            score.pending = true;
            score.why.insert(score.why.begin(), std::u16string(kMismatchText));
        }
        submission.scores.push_back(std::move(score));
    }
}

}  // namespace orvane
