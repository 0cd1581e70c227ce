// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/WriteSignals.h"

#include <signal.h>

namespace orvane {

void IgnoreWriteSignals() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, nullptr);
    sigaction(SIGPIPE, &ignore, nullptr);
}

}  // namespace orvane
