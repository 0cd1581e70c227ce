// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// COperatorMessages: where the sessions report their uploads to whoever runs the server. The
// administration window adds each report as a line of its upload log; without a window each
// message is one line on standard output. A report never makes a session wait.
#include <cstdint>
#include <memory>
#include <string>

#include "server/UploadRoom.h"

namespace orvane {

// One upload as the operator sees it: the operator text (empty for none), who sent which
// file and how many bytes arrived; for one that was refused or not written, why.
struct UploadReport {
    std::string message;
    std::u16string login;
    std::u16string file;
    std::uint64_t bytes = 0;
    bool failed = false;
    UploadShortage shortage = UploadShortage::None;  // the limit that stopped it
    int error = 0;                                   // else the errno of a failed write
};

class COperatorMessages {
public:
    virtual ~COperatorMessages() = default;
    // Shows one operator message.
    virtual void Show(const std::string& message) = 0;
    // Reports one upload; by default shows its message, where it has one.
    virtual void Report(const UploadReport& report);
};

// The sink every session uses; null restores the default (one line on standard output). A
// message being shown keeps the sink it was given to alive until it has been shown.
void SetOperatorMessages(std::shared_ptr<COperatorMessages> messages);

// Shows one message through the current sink; called from the session threads.
void ShowOperatorMessage(const std::string& message);
// Reports one upload through the current sink; without a sink, its message alone is printed.
void ReportUpload(const UploadReport& report);

}  // namespace orvane
