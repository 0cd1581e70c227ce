// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/OperatorMessages.h"

#include "common/ConsoleLine.h"
#include "server/SharedSink.h"

namespace orvane {
namespace {

// Read by every session thread, set by the host's thread; no lock is held while a message is
// shown or a report is made, so the window's thread never waits for a session or the reverse.
CSharedSink<COperatorMessages>& CurrentSink() {
    // Never destroyed: detached session threads may still show messages while the process ends.
    static auto* const sink = new CSharedSink<COperatorMessages>;
    return *sink;
}

}  // namespace

void COperatorMessages::Report(const UploadReport& report) {
    if (!report.message.empty()) {
        Show(report.message);
    }
}

void SetOperatorMessages(std::shared_ptr<COperatorMessages> messages) {
    CurrentSink().Set(std::move(messages));
}

void ShowOperatorMessage(const std::string& message) {
    if (const std::shared_ptr<COperatorMessages> sink = CurrentSink().Get()) {
        sink->Show(message);
    } else {
        PrintConsoleLine(message);
    }
}

void ReportUpload(const UploadReport& report) {
    if (const std::shared_ptr<COperatorMessages> sink = CurrentSink().Get()) {
        sink->Report(report);
    } else if (!report.message.empty()) {
        PrintConsoleLine(report.message);
    }
}

}  // namespace orvane
