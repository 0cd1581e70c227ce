// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CQtOperatorMessages: takes the upload reports of the sessions to the administration window.
// A session never waits: its report is queued to the window's thread, which hands it to the
// window's handler there, and the session goes on at once.
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "server/OperatorMessages.h"

namespace orvane {

class CQtOperatorMessages : public QObject, public COperatorMessages {
    Q_OBJECT

public:
    using Handler = std::function<void(const UploadReport&)>;

    // `handler` runs on the thread that makes the object, once per report. A session may hold
    // the object a little longer than its maker: whoever lets go of it last, it is deleted on
    // its own thread.
    static std::shared_ptr<CQtOperatorMessages> Make(Handler handler);

    void Show(const std::string& message) override;
    void Report(const UploadReport& report) override;
    // Called by the maker before it goes: reports still on their way are dropped.
    void Disconnect();

private:
    explicit CQtOperatorMessages(Handler handler);

    Handler handler;
};

}  // namespace orvane
