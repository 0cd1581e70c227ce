#pragma once
// CRemoteAccessPanel: remote access ("Vzdialený prístup") of the administration window. It
// switches the file server on and off and shows the messages of its upload sessions; remote
// access and its sessions end with the panel, so that no session reports to a window that is
// gone.
#include <QObject>

#include "app/QtOperatorMessages.h"

class QWidget;

namespace Ui {
class OrvaneDlg;
}

namespace orvane {

class CRemoteAccessPanel : public QObject {
    Q_OBJECT

public:
    CRemoteAccessPanel(Ui::OrvaneDlg& ui, QWidget* window);
    ~CRemoteAccessPanel() override;

    // The sessions' messages come to this panel from now on, until Detach.
    void Attach();
    void Detach();

private:
    Ui::OrvaneDlg& ui;
    CQtOperatorMessages operatorMessages;
};

}  // namespace orvane
