// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ExportDlg.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

#include "app/FileFailureText.h"
#include "app/LoginSlips.h"
#include "ui_ExportDlg.h"

namespace orvane {

CExportDlg::CExportDlg(std::vector<ListedAccount> exported, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::ExportDlg>()), accounts(std::move(exported)) {
    ui->setupUi(this);
    ui->listPath->setText(QDir::home().filePath(QStringLiteral("konta.csv")));
    ui->slipPath->setText(QDir::home().filePath(QStringLiteral("prihlasovacie-listky.pdf")));
    ui->address->setText(MachineAddresses());
    connect(ui->listBrowse, &QPushButton::clicked, this,
            [this] { Browse(ui->listPath, QStringLiteral("Zoznamy kont (*.csv)")); });
    connect(ui->slipBrowse, &QPushButton::clicked, this,
            [this] { Browse(ui->slipPath, QStringLiteral("Dokumenty PDF (*.pdf)")); });
    for (QGroupBox* group : {ui->listGroup, ui->slipGroup}) {
        connect(group, &QGroupBox::toggled, this, [this] {
            ui->exportButton->setEnabled(ui->listGroup->isChecked() || ui->slipGroup->isChecked());
        });
    }
    connect(ui->exportButton, &QPushButton::clicked, this, &CExportDlg::accept);
    connect(ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

CExportDlg::~CExportDlg() = default;

void CExportDlg::accept() {
    const bool list = ui->listGroup->isChecked();
    const bool slips = ui->slipGroup->isChecked();
    const QString listPath = ui->listPath->text();
    const QString slipPath = ui->slipPath->text();
    const CLoginSlips slipPages(accounts, ui->address->text().trimmed());
    if (slips && slipPages.GetSlipCount() == 0) {
        Warn(QStringLiteral("Nie je žiadne konto študenta, pre ktoré by sa dal vytlačiť lístok."));
        return;
    }
    if ((list && Refuses(listPath)) || (slips && Refuses(slipPath))) {
        return;
    }
    if (list && !Write(listPath, QByteArray::fromStdString(CAccountTable::Format(accounts)))) {
        return;
    }
    if (slips && !Write(slipPath, slipPages.Pdf())) {
        return;
    }
    QDialog::accept();
}

QString CExportDlg::MachineAddresses() {
    QStringList found;
    ifaddrs* interfaces = nullptr;
    if (::getifaddrs(&interfaces) != 0) {
        return {};
    }
    for (const ifaddrs* entry = interfaces; entry != nullptr; entry = entry->ifa_next) {
        if (entry->ifa_addr == nullptr || entry->ifa_addr->sa_family != AF_INET ||
            (entry->ifa_flags & IFF_LOOPBACK) != 0 || (entry->ifa_flags & IFF_UP) == 0) {
            continue;
        }
        char text[INET_ADDRSTRLEN] = {};
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text) != nullptr &&
            !found.contains(QString::fromLatin1(text))) {
            found << QString::fromLatin1(text);
        }
    }
    ::freeifaddrs(interfaces);
    return found.join(QStringLiteral(", "));
}

void CExportDlg::Browse(QLineEdit* field, const QString& filter) {
    const QString chosen = QFileDialog::getSaveFileName(this, windowTitle(), field->text(), filter);
    if (!chosen.isEmpty()) {
        field->setText(chosen);
    }
}

bool CExportDlg::Refuses(const QString& path) {
    if (path.trimmed().isEmpty()) {
        Warn(QStringLiteral("Zadajte, kam sa má súbor zapísať."));
        return true;
    }
    if (const QString refusal = ServedExportRefusal(path, "."); !refusal.isEmpty()) {
        Warn(refusal);
        return true;
    }
    return false;
}

bool CExportDlg::Write(const QString& path, const QByteArray& bytes) {
    const QString failure = WriteExport(path, bytes);
    if (!failure.isEmpty()) {
        Warn(failure);
    }
    return failure.isEmpty();
}

void CExportDlg::Warn(const QString& text) {
    QMessageBox::warning(this, windowTitle(), text);
}

}  // namespace orvane
