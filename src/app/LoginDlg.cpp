// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LoginDlg.h"

#include "ui_LoginDlg.h"
#include "users/PNUserDB.h"

namespace orvane {

CLoginDlg::CLoginDlg(CPNUserDB& userDB, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::LoginDlg>()), users(userDB) {
    ui->setupUi(this);
    connect(ui->loginButton, &QPushButton::clicked, this, &CLoginDlg::accept);
    if (users.IsEmpty()) {
        ShowHint(
            QStringLiteral("Prvé spustenie: zatiaľ nie je žiadne konto. Prihláste sa menom "
                           "„Tutor“ s prázdnym heslom; vznikne z neho konto učiteľa."));
    }
}

void CLoginDlg::ShowHint(const QString& text) {
    ui->hint->setText(text);
    ui->hint->setVisible(true);
}

CLoginDlg::~CLoginDlg() = default;

void CLoginDlg::accept() {
    login = ui->login->text().toStdU16String();
    password = ui->password->text().toStdU16String();
    if (Admits()) {
        QDialog::accept();
        return;
    }
    ShowHint(users.IsEmpty()
                 ? QStringLiteral("Prihlásenie odmietnuté. Pri prvom spustení sa prihláste menom "
                                  "„Tutor“ s prázdnym heslom.")
                 : QStringLiteral("Prihlásenie odmietnuté: nesprávne prihlasovacie meno alebo "
                                  "heslo. Skúste to znova."));
    login.clear();
    password.clear();
    ui->login->clear();
    ui->password->clear();
    ui->login->setFocus();  // a retyped login must not go into the masked field
}

bool CLoginDlg::Admits() const {
    if (users.IsEmpty()) {
        // The first-run rule of the teacher-rights check: "Tutor" with an empty password.
        return users.HasTeacherRights(login, password);
    }
    return users.FindLogin(login) && users.CheckCurrentPassword(password);
}

}  // namespace orvane
