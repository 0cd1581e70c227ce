// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Keeping the tests of a generation without freezing the windows: a class of thousands means
// thousands of files, each written and flushed to the disk. The files are written on a thread
// of their own while a progress dialog, shown at once and until the last file is written,
// keeps the windows painted and takes their clicks, so nothing can change the tests meanwhile.
#include <set>
#include <vector>

#include "exam/KeptTests.h"

class QWidget;

namespace orvane {

// What KeepNewTests does, with the dialog over `parent`.
std::vector<KeptTest> KeepNewTestsShowingProgress(const CPNTestDB& tests,
                                                  const std::set<const CPNTest*>& before,
                                                  QWidget* parent);

}  // namespace orvane
