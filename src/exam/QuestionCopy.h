// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Copies of questions with everything they hold (items, keys, both nets), made as a file makes
// them: the questions are stored into one archive and loaded back. A copy shares nothing with
// its original, so a change to one never shows in the other; copies made together share among
// themselves what their originals shared (a net that two of them held), so a test of the
// copies stores the same bytes as a test of the originals.
#include <memory>
#include <span>
#include <vector>

#include "exam/PNQuestion.h"

namespace orvane {

// The copies in the order of the originals; a null original gives a null copy.
std::vector<std::shared_ptr<CPNQuestion>> CopyQuestions(
    std::span<const std::shared_ptr<CPNQuestion>> questions);

}  // namespace orvane
