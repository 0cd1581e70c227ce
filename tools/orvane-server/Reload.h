// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The reload of orvane-server, on SIGHUP or "systemctl reload": it reads again what can change
// while it runs and keeps every session. The accounts of "userdb" are loaded afresh (even a
// file restored with its old times), the folder's checks run again and warn as at start, and
// a log file that was rotated is opened again. One log line says what was reloaded. The
// command line (port, address, folder, limits) stays: that takes a restart.
#include <string>

#include "LogTarget.h"

void ReloadService(const std::string& folder, CLogTarget& logTarget);
