// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// RetryInterrupted: makes a system call again for as long as a signal interrupts it (-1 with
// errno EINTR), and answers what the last call answered, errno included.
#include <cerrno>

namespace orvane {

template <class Call>
auto RetryInterrupted(Call call) {
    for (;;) {
        const auto result = call();
        if (!(result < 0 && errno == EINTR)) {
            return result;
        }
    }
}

}  // namespace orvane
