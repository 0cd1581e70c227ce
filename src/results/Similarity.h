// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Students whose answers to one question are wrong in the same way: the same wrong ticks or
// pairs, or structurally equal nets that differ from the solution. Listed for the teacher to
// look at ("Podobné odovzdania"), never judged.
#include <vector>

#include "results/ResultsTable.h"

namespace orvane {

inline constexpr std::u16string_view kSimilarTitle = u"Podobné odovzdania";

// Over the latest submissions that match their tests.
std::vector<SSimilarGroup> SimilarSubmissions(const std::vector<SStudentResult>& students);

}  // namespace orvane
