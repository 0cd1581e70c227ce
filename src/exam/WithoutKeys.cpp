// SPDX-License-Identifier: GPL-3.0-or-later
#include "exam/WithoutKeys.h"

#include <map>

namespace orvane {
namespace {

constexpr std::int32_t kNoPair = -1;
constexpr std::int32_t kNotTicked = 0;

std::shared_ptr<CPNQuestion> QuestionWithoutKey(const CPNQuestion& question) {
    CPNQuestion::StoredFields fields{
        .kind = question.GetKind(),
        .id = question.GetId(),
        .title = question.GetTitle(),
        .text = question.GetText(),
        .answerNumber = question.GetAnswerNumber(),
        .itemCount = question.GetItemCount(),
        .askedRequirements = question.GetAskedRequirements(),
        .keyNumber = question.GetKeyNumber(),
        .answer = question.GetAnswer(),
        .key = {},
        .items = question.GetItems(),
        .rightItems = question.GetRightItems(),
        .keyRequirements = question.GetKeyRequirements(),
        .points = question.GetPoints(),
        .workNet = question.GetWorkNet(),
        .keyNet = nullptr,
    };
    const bool pairs = question.GetKind() == QuestionKind::ConnectRelated;
    fields.key.assign(question.GetKey().size(), pairs ? kNoPair : kNotTicked);
    auto copy = std::make_shared<CPNQuestion>(std::move(fields));
    copy->SetTag(question.GetTag());
    return copy;
}

}  // namespace

std::shared_ptr<CPNTest> WithoutKeys(const CPNTest& test) {
    auto copy = std::make_shared<CPNTest>();
    copy->SetId(test.GetId());
    copy->SetTransientFlag(test.GetTransientFlag());
    copy->SetLogin(test.GetLogin());
    copy->SetToBeWorkedOut(test.GetToBeWorkedOut());
    copy->SetTimeLimit(test.GetTimeLimit());
    std::map<const CPNQuestion*, std::shared_ptr<CPNQuestion>> copies;
    const auto& questions = test.Questions();
    // From the back, since each question goes to the front.
    for (auto question = questions.rbegin(); question != questions.rend(); ++question) {
        std::shared_ptr<CPNQuestion>& same = copies[question->get()];
        if (same == nullptr) {
            same = QuestionWithoutKey(**question);
        }
        copy->AddQuestion(same);
    }
    return copy;
}

}  // namespace orvane
