// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A test as it may leave for someone without teacher rights: the same test with the key side
// of every question cleared, so that nobody can read the answers out of the file. The question
// texts, items, work nets, the answers, the asked requirements and their required values (they
// are part of the assignment) and every other stored field stay as they are.
//
// Cleared means: the key array keeps its length, so that clients that index it by item do not
// break, and every entry is what a question without a key holds, -1 (no pairing) for
// ConnectRelated and 0 (not ticked) for every other kind; the solution net is gone.
#include <memory>

#include "exam/PNTest.h"

namespace orvane {

// A new test with new questions; `test` and its questions are not changed (not even the
// cursor). A question that stands twice in `test` stands twice in the copy as one object, so
// the copy stores as the original would, less its keys.
std::shared_ptr<CPNTest> WithoutKeys(const CPNTest& test);

}  // namespace orvane
