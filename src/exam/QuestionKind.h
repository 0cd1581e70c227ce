// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The kinds of exam question, as the signed 32-bit codes stored in the files. The codes are not
// contiguous, and a loaded file may hold a code that is none of these.
#include <cstdint>

namespace orvane {

enum class QuestionKind : std::int32_t {
    Unset = 2000,
    FillInAnswer = 2001,
    ChooseAnswers = 2002,
    ConnectRelated = 2004,
    CompleteNet = 2005,
    DrawNet = 2006,
    CompleteNetByRequirements = 2015,
    DrawNetByRequirements = 2016,
    DrawNetNoCorrection = 2026,
};

}  // namespace orvane
