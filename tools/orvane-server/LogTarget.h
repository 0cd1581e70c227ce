// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CLogTarget: the file that the log (standard output) is written to, so that a reload can
// follow a log rotation. When standard output is a regular file (orvane-server >> FILE, or
// StandardOutput=append:FILE under systemd), its path is noted at start; once the file has
// been renamed or removed (logrotate), Reopen opens the path again, appending, and puts it in
// place of standard output (and of standard error when that was the same file). Any other
// output (a terminal, a pipe, the journal) is left as it is.
#include <sys/types.h>

#include <string>

class CLogTarget {
public:
    CLogTarget();

    // Opens the noted path again when it no longer names the file being written; what the
    // log goes to now, for the reload's log line ("/var/log/orvane.log, opened again").
    std::string Reopen();

private:
    std::string path;  // empty when standard output is not a regular file
    dev_t device = 0;
    ino_t inode = 0;
};
