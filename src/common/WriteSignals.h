// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The signals that a failing write raises. By default SIGXFSZ (a file grown past the size
// limit, `ulimit -f`) and SIGPIPE (a pipe or socket whose reader has gone) end the process; a
// program that ignores them sees the write fail with EFBIG or EPIPE instead and takes its usual
// way: the old file stays, the line "Cannot write to file: ..." is printed, and the server goes
// on serving the other sessions.

namespace orvane {

// Call first in main, before any thread starts, so that every thread has the same dispositions.
void IgnoreWriteSignals();

}  // namespace orvane
