// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The analysis of a net and the comparison of two nets as JSON values (the shape is in the
// manual page and the README): every property as "yes", "no" or "unknown", the lines a
// teacher reads beside them.
#include "JsonWriter.h"
#include "analysis/NetAnalysis.h"
#include "analysis/NetComparison.h"

namespace orvane {

void DumpAnalysis(CJsonWriter& writer, const SNetAnalysis& analysis);
void DumpComparison(CJsonWriter& writer, const SNetComparison& comparison);

}  // namespace orvane
