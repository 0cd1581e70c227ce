#include "app/RemoteAccessPanel.h"

#include <chrono>

#include "server/OperatorMessages.h"
#include "server/TCPServer.h"
#include "ui_OrvaneDlg.h"

namespace orvane {

namespace {

constexpr std::chrono::milliseconds kSessionEndWait{1000};

}  // namespace

CRemoteAccessPanel::CRemoteAccessPanel(Ui::OrvaneDlg& controls, QWidget* window)
    : QObject(window), ui(controls), operatorMessages(window) {
    connect(ui.startButton, &QPushButton::clicked, this, [] { StartServer(); });
    connect(ui.stopButton, &QPushButton::clicked, this, [] { StopServer(); });
}

CRemoteAccessPanel::~CRemoteAccessPanel() {
    Detach();
    StopServer();
    EndSessions(kSessionEndWait);
}

void CRemoteAccessPanel::Attach() {
    SetOperatorMessages(&operatorMessages);
}

void CRemoteAccessPanel::Detach() {
    SetOperatorMessages(nullptr);
}

}  // namespace orvane
