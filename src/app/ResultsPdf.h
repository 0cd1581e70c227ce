#pragma once
// The results of an exam as a PDF for handing back: one page per student (each question with
// the answer, the net drawn, the points and why, the teacher's note) and a last page with the
// class summary.
#include <QByteArray>

#include "results/ResultsTable.h"

namespace orvane {

QByteArray ResultsPdf(const SResultsTable& table);

}  // namespace orvane
