// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The teacher's decisions on a student's submissions: points set by hand for a question (with
// an optional note) and the student's result accepted. They are kept per login in
// "results/decisions/<login>" (the folder 0700, the file 0600, like the submissions; never
// served), apart from the kept files, so that the scoring can be recomputed at any time and a
// new submission leaves the decisions on an earlier one as they were. The format is written
// down in docs/results-format.md.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "common/FileResult.h"

namespace orvane {

inline constexpr std::string_view kDecisionsFolder = "results/decisions";

struct SQuestionDecision {
    double points = 0;
    std::u16string note;
};

struct SSubmissionDecision {
    bool accepted = false;
    std::map<std::int32_t, SQuestionDecision> questions;  // by question id

    bool IsEmpty() const { return !accepted && questions.empty(); }
};

// By the kept submission's file name.
using Decisions = std::map<std::string, SSubmissionDecision>;

std::string DecisionsPathOf(std::u16string_view login, const std::string& root = ".");
// The decisions kept for the login; none (and an Ok result) when there is no file yet. A line
// that does not read is skipped; a file that cannot be read at all is its result.
Decisions LoadDecisions(std::u16string_view login, CFileResult& result,
                        const std::string& root = ".");
// Replaces the login's file in one step, durably.
[[nodiscard]] CFileResult SaveDecisions(std::u16string_view login, const Decisions& decisions,
                                        const std::string& root = ".");

// The file's text and back, for the tests and the tools.
std::string DecisionsText(const Decisions& decisions);
Decisions ParseDecisions(std::string_view text);

}  // namespace orvane
