// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The results of an exam as a PDF for handing back: one page per student (each question with
// the answer, the net drawn, the points and why, the teacher's note) and a last page with the
// class summary.
#include <QByteArray>
#include <functional>
#include <optional>

#include "results/ResultsTable.h"

namespace orvane {

// `drawn` (when given) is told after each student's page how many are drawn and answers
// whether to go on; when it answers false, no PDF is made (nullopt).
std::optional<QByteArray> ResultsPdf(const SResultsTable& table,
                                     const std::function<bool(int drawn)>& drawn = {});

}  // namespace orvane
