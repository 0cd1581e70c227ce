// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The answer side of a worked question as a teacher reads it: the chosen options, the pairs
// connected, the text filled in, or what the drawn net holds. Answers are never judged here.
#include <string>

#include "exam/PNQuestion.h"

namespace orvane {

std::u16string AnswerText(const CPNQuestion& question);

}  // namespace orvane
