// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A class that has written an exam, as the generator and the server leave it in a working
// folder: 300 students, each with a kept test of 10 questions and one upload. Questions 1-3
// are "Vyber správne odpovede", 4-6 "Spoj súvisiace", 7-8 "Dokonči PN" (two processes around
// a semaphore; a producer and a consumer around a buffer of three) and 9-10 "Nakresli PN"
// (five dining philosophers; a split into two branches that join again). Each student's nets
// are one of five answers a class gives: the solution drawn in another order and place, the
// solution with a redundant place (structurally different, behaviourally equal), the given
// part left uncompleted or a typical wrong net, a wrong initial marking, and a net that
// misses an arc (unbounded, or deadlocking).
#include <string>

#include "results/ExamRuns.h"

namespace orvane::bench {

inline constexpr int kStudents = 300;
inline constexpr int kQuestions = 10;
inline constexpr int kNetQuestions = 4;

// Writes the class into the current working folder; answers the run it makes up.
SExamRun WriteExamClass();

}  // namespace orvane::bench
