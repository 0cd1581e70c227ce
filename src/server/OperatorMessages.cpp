#include "server/OperatorMessages.h"

#include <atomic>

#include "common/ConsoleLine.h"

namespace orvane {
namespace {

// Read by every session thread, set by the host's thread; no lock is held while a message is
// shown, so a modal box on the window's thread never waits for a session or the reverse.
std::atomic<COperatorMessages*> currentSink{nullptr};

}  // namespace

void COperatorMessages::Report(const UploadReport& report) {
    if (!report.message.empty()) {
        Show(report.message);
    }
}

void SetOperatorMessages(COperatorMessages* messages) {
    currentSink.store(messages);
}

void ShowOperatorMessage(const std::string& message) {
    COperatorMessages* sink = currentSink.load();
    if (sink != nullptr) {
        sink->Show(message);
    } else {
        PrintConsoleLine(message);
    }
}

void ReportUpload(const UploadReport& report) {
    COperatorMessages* sink = currentSink.load();
    if (sink != nullptr) {
        sink->Report(report);
    } else if (!report.message.empty()) {
        PrintConsoleLine(report.message);
    }
}

}  // namespace orvane
