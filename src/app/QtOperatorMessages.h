#pragma once
// CQtOperatorMessages: takes the upload reports of the sessions to the administration window.
// A session never waits: its report is queued to the window's thread, which hands it to the
// window's handler there, and the session goes on at once.
#include <QObject>
#include <functional>
#include <string>

#include "server/OperatorMessages.h"

namespace orvane {

class CQtOperatorMessages : public QObject, public COperatorMessages {
    Q_OBJECT

public:
    using Handler = std::function<void(const UploadReport&)>;

    // `handler` runs on the thread that makes this object, once per report.
    explicit CQtOperatorMessages(Handler handler);

    void Show(const std::string& message) override;
    void Report(const UploadReport& report) override;

private:
    Handler handler;
};

}  // namespace orvane
