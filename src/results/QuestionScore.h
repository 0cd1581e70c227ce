// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The automatic points of one answered question, scored against the question as it was kept
// when the test was generated (its key side), never against the key fields of the uploaded
// file: a client can change those. What cannot be scored automatically is marked for the
// teacher ("na posúdenie") with what the teacher should look at.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/StateSpace.h"
#include "exam/PNQuestion.h"

namespace orvane {

inline constexpr std::u16string_view kPendingText = u"na posúdenie";

struct SQuestionScore {
    std::int32_t questionId = 0;
    QuestionKind kind = QuestionKind::Unset;
    double maxPoints = 0;
    double points = 0;     // automatic; 0 while pending
    bool pending = false;  // the teacher decides
    // How the points came about, or what the teacher should look at, one line each.
    std::vector<std::u16string> why;
    // The wrong part of a ticked or paired answer ("t1 t3", "0→2"); empty when the answer is
    // right or has no wrong part. Two equal non-empty texts are the same wrong answer.
    std::u16string wrongAnswer;
    // The net the student drew or completed, for the net kinds.
    std::shared_ptr<CPNPetriNet> drawnNet;
    // The drawn net differs from the solution net (both present).
    bool netDiffers = false;
};

// The limits of the net comparisons while scoring: a class of students must stay quick.
SExploreLimits ScoringLimits();

// Scores `answered` (the question from the uploaded file) against `kept` (the question as it
// was generated), which must be the same question.
SQuestionScore ScoreQuestion(const CPNQuestion& kept, const CPNQuestion& answered,
                             const SExploreLimits& limits = ScoringLimits());

// A whole number in digits, as the texts of the scoring say it.
std::u16string NumberText(std::int64_t value);
// The points as the window and the exports show them: one decimal, with a decimal comma.
std::u16string PointsText(double points);

}  // namespace orvane
