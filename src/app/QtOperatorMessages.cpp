#include "app/QtOperatorMessages.h"

namespace orvane {

CQtOperatorMessages::CQtOperatorMessages(Handler reportHandler)
    : QObject(nullptr), handler(std::move(reportHandler)) {}

void CQtOperatorMessages::Show(const std::string& message) {
    UploadReport report;
    report.message = message;
    Report(report);
}

// A queued call that is still waiting when this object goes is dropped with it.
void CQtOperatorMessages::Report(const UploadReport& report) {
    QMetaObject::invokeMethod(
        this, [this, report] { handler(report); }, Qt::QueuedConnection);
}

}  // namespace orvane
