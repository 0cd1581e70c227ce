// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/QtOperatorMessages.h"

#include <QThread>

namespace orvane {

CQtOperatorMessages::CQtOperatorMessages(Handler reportHandler)
    : QObject(nullptr), handler(std::move(reportHandler)) {}

std::shared_ptr<CQtOperatorMessages> CQtOperatorMessages::Make(Handler handler) {
    return std::shared_ptr<CQtOperatorMessages>(
        new CQtOperatorMessages(std::move(handler)), [](CQtOperatorMessages* messages) {
            if (messages->thread() == QThread::currentThread()) {
                delete messages;
            } else {
                messages->deleteLater();
            }
        });
}

void CQtOperatorMessages::Disconnect() {
    handler = nullptr;
}

void CQtOperatorMessages::Show(const std::string& message) {
    UploadReport report;
    report.message = message;
    Report(report);
}

// A queued call that is still waiting when this object goes is dropped with it.
void CQtOperatorMessages::Report(const UploadReport& report) {
    QMetaObject::invokeMethod(
        this,
        [this, report] {
            if (handler) {
                handler(report);
            }
        },
        Qt::QueuedConnection);
}

}  // namespace orvane
