// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CRemoteAccessPanel: remote access ("Vzdialený prístup") of the administration window. It
// switches the file server on and off, never in a home folder or the root, keeps the upload
// log (one line per upload, with the sessions' operator texts) and the status line (whether
// remote access is on, where, how many clients are connected, which folder is served).
// Remote access and its sessions end with the panel, so that no session reports to a window
// that is gone.
#include <QObject>
#include <QTimer>
#include <cstdint>

#include "app/QtOperatorMessages.h"
#include "server/TCPServer.h"

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

    // The sessions' reports come to this panel from now on, until Detach.
    void Attach();
    void Detach();

    // The window listens on 20248; tests give it a free port instead.
    void UsePort(std::uint16_t port) { options.port = port; }
    // Asks before the window ends while remote access is on or a client is connected; true
    // when the window may end. The safe answer ("Nie") is the default.
    bool ConfirmsEnd();
    void ShowStatus();

private:
    void Start();
    void Stop();
    bool RefusesFolder();
    void RefuseTakenPort(int error);
    void AddLogLine(const UploadReport& report);

    Ui::OrvaneDlg& ui;
    QWidget* window;
    ServerOptions options;
    std::shared_ptr<CQtOperatorMessages> operatorMessages;
    QTimer statusTimer;
};

}  // namespace orvane
