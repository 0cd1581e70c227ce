// SPDX-License-Identifier: GPL-3.0-or-later
#include "results/QuestionScore.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "analysis/NetAnalysis.h"
#include "analysis/NetComparison.h"
#include "analysis/PropertyText.h"

namespace orvane {
namespace {

void ScoreTicks(const CPNQuestion& kept, const CPNQuestion& answered, SQuestionScore& score) {
    const std::int32_t count = kept.GetItemCount();
    std::int32_t correct = 0;
    std::int32_t rightTicks = 0;
    std::vector<std::u16string> wrong;
    for (std::int32_t i = 0; i < count; ++i) {
        const bool key = kept.GetKeyFlag(i);
        const bool ticked = answered.GetAnswerFlag(i);
        correct += key ? 1 : 0;
        rightTicks += key && ticked ? 1 : 0;
        if (ticked && !key) {
            wrong.push_back(NumberText(i + 1));
        }
    }
    const auto wrongTicks = static_cast<std::int32_t>(wrong.size());
    if (correct == 0) {
        score.points = wrongTicks == 0 ? score.maxPoints : 0;
    } else {
        const double each = score.maxPoints / correct;
        score.points = std::max(0.0, each * (rightTicks - wrongTicks));
    }
    score.wrongAnswer = Joined(wrong, u" ");
    score.why.push_back(u"správne zaškrtnuté: " + NumberText(rightTicks) + u" z " +
                        NumberText(correct) + u", nesprávne: " + NumberText(wrongTicks));
}

void ScorePairs(const CPNQuestion& kept, const CPNQuestion& answered, SQuestionScore& score) {
    const std::vector<std::int32_t>& key = kept.GetKey();
    const std::int32_t count = kept.GetItemCount();
    std::int32_t right = 0;
    std::vector<std::u16string> wrong;
    for (std::int32_t i = 0; i < count; ++i) {
        const std::int32_t paired = answered.GetAnswerPair(i);
        if (paired == key[i]) {
            ++right;
        } else if (paired >= 0) {
            wrong.push_back(NumberText(i + 1) + u"→" + NumberText(paired + 1));
        }
    }
    score.points = score.maxPoints * right / count;
    score.wrongAnswer = Joined(wrong, u" ");
    score.why.push_back(u"správne spojené: " + NumberText(right) + u" z " + NumberText(count));
}

void ScoreNet(const CPNQuestion& kept, const SExploreLimits& limits, SQuestionScore& score) {
    if (score.drawnNet == nullptr) {
        score.pending = true;
        score.why.push_back(u"sieť chýba");
        return;
    }
    const SNetComparison comparison = CompareNets(CNetStructure::FromDrawing(*score.drawnNet),
                                                  CNetStructure::FromDrawing(*kept.GetKeyNet()),
                                                  limits);
    score.why = ComparisonLines(comparison);
    if (comparison.StructurallyEqual() || comparison.behaviour == Verdict::Yes) {
        score.points = score.maxPoints;
        return;
    }
    score.netDiffers = true;
    score.pending = true;
}

// Kinds without a key: the teacher scores them; the drawn net's analysis helps.
void LeaveToTeacher(const SExploreLimits& limits, SQuestionScore& score) {
    score.pending = true;
    score.why.push_back(u"bez kľúča: body určí učiteľ");
    if (score.drawnNet != nullptr && !score.drawnNet->IsEmpty()) {
        for (std::u16string& line :
             PropertyLines(AnalyseNet(CNetStructure::FromDrawing(*score.drawnNet), limits))) {
            score.why.push_back(std::move(line));
        }
    }
}

bool HasWholeKey(const CPNQuestion& question) {
    return question.GetItemCount() >= 0 &&
           question.GetKey().size() == static_cast<std::size_t>(question.GetItemCount());
}

}  // namespace

SExploreLimits ScoringLimits() {
    SExploreLimits limits;
    limits.states = 20'000;
    limits.memory = std::size_t{16} << 20;
    return limits;
}

SQuestionScore ScoreQuestion(const CPNQuestion& kept, const CPNQuestion& answered,
                             const SExploreLimits& limits) {
    SQuestionScore score;
    score.questionId = kept.GetId();
    score.kind = kept.GetKind();
    score.maxPoints = std::max<std::int16_t>(kept.GetPoints(), 0);
    const bool netKind = score.kind != QuestionKind::ChooseAnswers &&
                         score.kind != QuestionKind::ConnectRelated;
    if (netKind) {
        score.drawnNet = answered.GetWorkNet();
    }
    switch (score.kind) {
        case QuestionKind::ChooseAnswers:
            if (HasWholeKey(kept)) {
                ScoreTicks(kept, answered, score);
                return score;
            }
            break;
        case QuestionKind::ConnectRelated:
            if (HasWholeKey(kept) && kept.GetItemCount() > 0) {
                ScorePairs(kept, answered, score);
                return score;
            }
            break;
        case QuestionKind::CompleteNet:
        case QuestionKind::DrawNet:
            if (kept.GetKeyNet() != nullptr) {
                ScoreNet(kept, limits, score);
                return score;
            }
            break;
        default:
            break;
    }
    LeaveToTeacher(limits, score);
    return score;
}

std::u16string NumberText(std::int64_t value) {
    const std::string text = std::to_string(value);
    return {text.begin(), text.end()};
}

std::u16string PointsText(double points) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", std::round(points * 10) / 10);
    std::u16string result;
    for (const char* c = text; *c != '\0'; ++c) {
        result += *c == '.' ? u',' : static_cast<char16_t>(*c);
    }
    return result == u"-0,0" ? u"0,0" : result;
}

}  // namespace orvane
