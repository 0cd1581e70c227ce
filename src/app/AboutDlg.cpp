// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/AboutDlg.h"

#include <QStyle>

#include "ui_AboutDlg.h"

namespace orvane {

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::AboutDlg>()) {
    ui->setupUi(this);
    ui->versionLabel->setText(QStringLiteral("Verzia " ORVANE_VERSION));
    ui->icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(32, 32));
    connect(ui->okButton, &QPushButton::clicked, this, &QDialog::accept);
}

CAboutDlg::~CAboutDlg() = default;

QString CAboutDlg::MenuEntryText() {
    return QStringLiteral("&O programe Orvane...");
}

}  // namespace orvane
