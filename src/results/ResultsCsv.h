// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The results table as CSV for spreadsheets: UTF-8 with a byte-order mark (so that a
// spreadsheet does not guess another encoding), fields separated by semicolons, Slovak
// headers, points with one decimal and a decimal comma, as a spreadsheet in a Slovak locale
// reads numbers. One row per student; a field with a semicolon, a quote or a line break is
// quoted.
#include <chrono>
#include <string>

#include "results/ResultsTable.h"

namespace orvane {

std::string ResultsCsv(const SResultsTable& table);
// A kept time as the window shows it, in local time: "7.12.2026 14:41".
std::u16string KeptTimeText(KeptTime time);

}  // namespace orvane
