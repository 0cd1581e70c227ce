// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The analysis of a net and the comparison of two nets as a few Slovak lines that a teacher
// reads under "Vlastnosti siete": the window, the results of an exam and orvane-db share them.
#include <string>
#include <vector>

#include "analysis/NetAnalysis.h"
#include "analysis/NetComparison.h"

namespace orvane {

inline constexpr std::u16string_view kPropertiesTitle = u"Vlastnosti siete";

// One line per property, then one per drawing fault.
std::vector<std::u16string> PropertyLines(const SNetAnalysis& analysis);

// The drawing fault in a few words ("hrana spája dve miesta (1 → 2)").
std::u16string FaultText(const SDrawingFaultEntry& fault);

// Whether the net is structurally and behaviourally equal to the solution, and where it first
// behaves differently; `comparison` compares the net (first) with the solution (second).
std::vector<std::u16string> ComparisonLines(const SNetComparison& comparison);

// A firing sequence or a list of names, separated by `separator`.
std::u16string Joined(const std::vector<std::u16string>& names, std::u16string_view separator);

}  // namespace orvane
