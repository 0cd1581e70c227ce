// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/RemoteAccessPanel.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QTime>
#include <chrono>
#include <cstring>

#include "app/ExportDlg.h"
#include "app/FileFailureText.h"
#include "app/WidgetText.h"
#include "common/DataFolder.h"
#include "ui_OrvaneDlg.h"

namespace orvane {

namespace {

constexpr std::chrono::milliseconds kSessionEndWait{1000};
constexpr int kStatusRefresh = 500;  // milliseconds
constexpr char kHomeFolder[] =
    "Vzdialený prístup sa nezapol: Orvane pracuje v priečinku %1, ktorý je domovským "
    "priečinkom alebo koreňom systému. Každý prihlásený študent by si z neho mohol stiahnuť "
    "alebo prepísať ktorýkoľvek súbor.\n\nSpustite Orvane z ponuky aplikácií (pracuje potom v "
    "priečinku ~/Orvane) alebo príkazom „orvane --dir PRIEČINOK“ s priečinkom len pre skúšky.";
constexpr char kPortTaken[] =
    "Vzdialený prístup sa nezapol: port %1 už používa iný program. Najčastejšie je to služba "
    "orvane-server (jednotka systemd orvane-server), ktorá už tento port obsluhuje; vtedy "
    "študenti pracujú s ňou a okno vzdialený prístup nepotrebuje. Ak ho chcete zapnúť tu, "
    "najprv službu zastavte (sudo systemctl stop orvane-server).";
constexpr char kCannotListen[] = "Vzdialený prístup sa nezapol: %1";

// "48 213": groups of three digits, as the log shows sizes.
QString GroupedDigits(std::uint64_t value) {
    QString digits = QString::number(value);
    for (qsizetype at = digits.size() - 3; at > 0; at -= 3) {
        digits.insert(at, QLatin1Char(' '));
    }
    return digits;
}

// Why an upload failed, in the teacher's words.
QString FailureCause(const UploadReport& report) {
    switch (report.shortage) {
        case UploadShortage::Size:
            return QStringLiteral("súbor je väčší, ako server dovoľuje");
        case UploadShortage::Quota:
            return QStringLiteral("študent už zaplnil miesto pre odovzdané práce");
        case UploadShortage::Space:
            return QStringLiteral("na disku je málo voľného miesta");
        case UploadShortage::None:
            break;
    }
    if (report.error != 0) {
        return QStringLiteral("súbor sa nepodarilo zapísať: ") +
               SlovakReason(CFileResult::Unwritable(report.error));
    }
    return QStringLiteral("súbor neprišiel celý");
}

QString ClientCount(std::size_t count) {
    if (count == 1) {
        return QStringLiteral("pripojený je 1 klient");
    }
    if (count >= 2 && count <= 4) {
        return QStringLiteral("pripojení sú %1 klienti").arg(count);
    }
    return QStringLiteral("pripojených je %1 klientov").arg(count);
}

}  // namespace

CRemoteAccessPanel::CRemoteAccessPanel(Ui::OrvaneDlg& controls, QWidget* parent)
    : QObject(parent),
      ui(controls),
      window(parent),
      operatorMessages(CQtOperatorMessages::Make(
          [this](const UploadReport& report) { AddLogLine(report); })) {
    connect(ui.startButton, &QPushButton::clicked, this, &CRemoteAccessPanel::Start);
    connect(ui.stopButton, &QPushButton::clicked, this, &CRemoteAccessPanel::Stop);
    connect(&statusTimer, &QTimer::timeout, this, &CRemoteAccessPanel::ShowStatus);
    statusTimer.start(kStatusRefresh);
    ShowStatus();
}

CRemoteAccessPanel::~CRemoteAccessPanel() {
    operatorMessages->Disconnect();
    Detach();
    StopServer();
    EndSessions(kSessionEndWait);
}

void CRemoteAccessPanel::Attach() {
    SetOperatorMessages(operatorMessages);
}

void CRemoteAccessPanel::Detach() {
    SetOperatorMessages(nullptr);
}

void CRemoteAccessPanel::Start() {
    if (IsListening() || RefusesFolder()) {
        return;
    }
    options.serveKeys = ui.serveKeys->isChecked();
    if (const ServerState started = StartServer(options); !started.listening) {
        StopServer();  // no remote access without a listener
        RefuseTakenPort(started.error);
    }
    ShowStatus();
}

void CRemoteAccessPanel::Stop() {
    StopServer();
    ShowStatus();
}

bool CRemoteAccessPanel::RefusesFolder() {
    const QString folder = QDir::currentPath();
    if (!IsHomeOrRoot(QFile::encodeName(folder).toStdString())) {
        return false;
    }
    QMessageBox::warning(window, QApplication::applicationName(),
                         QString::fromUtf8(kHomeFolder).arg(folder));
    return true;
}

void CRemoteAccessPanel::RefuseTakenPort(int error) {
    const QString text =
        error == EADDRINUSE
            ? QString::fromUtf8(kPortTaken).arg(options.port)
            : QString::fromUtf8(kCannotListen).arg(QString::fromLocal8Bit(std::strerror(error)));
    QMessageBox::warning(window, QApplication::applicationName(), text);
}

// "14:03:12  novak  testdb_bla  48 213 B  File has been saved"; a failed upload is marked
// and says why.
void CRemoteAccessPanel::AddLogLine(const UploadReport& report) {
    QString line = QTime::currentTime().toString(QStringLiteral("HH:mm:ss"));
    if (!report.login.empty() || !report.file.empty()) {
        line += QStringLiteral("  %1  %2  %3 B")
                    .arg(ToQt(report.login), ToQt(report.file), GroupedDigits(report.bytes));
    }
    if (!report.message.empty()) {
        line += QStringLiteral("  ") + QString::fromStdString(report.message);
    }
    if (report.failed) {
        line += QStringLiteral("  — CHYBA: ") + FailureCause(report);
    }
    ui.uploadLog->appendPlainText(line);
    ShowStatus();
}

void CRemoteAccessPanel::ShowStatus() {
    QString status;
    if (IsListening()) {
        QString addresses = CExportDlg::MachineAddresses();
        status = QStringLiteral("Vzdialený prístup: zapnutý na %1, port %2")
                     .arg(addresses.isEmpty() ? QStringLiteral("všetkých adresách") : addresses)
                     .arg(options.port);
    } else {
        status = QStringLiteral("Vzdialený prístup: vypnutý");
    }
    status +=
        QStringLiteral(" · %1 · priečinok: %2")
            .arg(ClientCount(RunningSessions()), QDir::toNativeSeparators(QDir::currentPath()));
    if (ui.statusLine->text() != status) {
        ui.statusLine->setText(status);
    }
}

bool CRemoteAccessPanel::ConfirmsEnd() {
    const bool listening = IsListening();
    const std::size_t clients = RunningSessions();
    if (!listening && clients == 0) {
        return true;
    }
    const QString text = QStringLiteral("Ukončiť Orvane? Vzdialený prístup je %1 a %2.")
                             .arg(listening ? QStringLiteral("zapnutý") : QStringLiteral("vypnutý"),
                                  ClientCount(clients));
    return QMessageBox::question(window, QApplication::applicationName(), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

}  // namespace orvane
