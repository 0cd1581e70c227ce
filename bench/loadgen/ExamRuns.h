// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The costs that grow with a course, and the two storms of an exam. Each prints its figures
// (and the target it is held to) and answers the number of errors.
#include <cstddef>

#include "LoadRuns.h"

namespace orvane::load {

// FILE testdb of a student with `kept` older kept tests beside the newest, and of a student
// with one, `rounds` × 20 times each on open sessions: the medians and their ratio.
std::size_t RunKept(const LoadOptions& options);
// `clients` AUTHs sent at once on open connections, on a settled "userdb" and right after
// "userdb" was saved again, `rounds` times each: the medians and their ratio.
std::size_t RunAuthStorm(const LoadOptions& options);
// The start of an exam: `clients` students, one after the other within a second, each
// connects, logs in and downloads their own test (FTP: RETR testdb in their own folder).
std::size_t RunExamStart(const LoadOptions& options);
// The end of an exam: `clients` students logged in save their work at once (FTP: STOR); the
// time until the last is saved, and until it is on the disk (syncfs).
std::size_t RunExamEnd(const LoadOptions& options);

}  // namespace orvane::load
