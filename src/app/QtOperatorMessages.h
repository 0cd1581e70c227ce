#pragma once
// CQtOperatorMessages: shows the operator messages of upload sessions as modal message boxes
// over the administration window. A session thread that reports waits until the teacher has
// pressed OK; the box itself always runs on the window's thread.
#include <QObject>
#include <string>

#include "server/OperatorMessages.h"

class QWidget;

namespace orvane {

class CQtOperatorMessages : public QObject, public COperatorMessages {
    Q_OBJECT

public:
    // The window over which the boxes appear; its thread shows them.
    explicit CQtOperatorMessages(QWidget* window);

    void Show(const std::string& message) override;

private:
    void ShowOnWindowThread(const std::string& message);

    QWidget* window;
};

}  // namespace orvane
