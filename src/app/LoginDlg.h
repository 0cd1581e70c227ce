// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CLoginDlg: the window "Server: Prihlásenie" that admits the administrator before the
// administration window opens. While the user database is empty only "Tutor" with an empty
// password is admitted, and the window says so; afterwards any account with its exact
// password. A refusal empties both fields, puts the focus back into the login field and says,
// inside the window, that the login was refused.
#include <QDialog>
#include <memory>
#include <string>

namespace Ui {
class LoginDlg;
}

namespace orvane {

class CPNUserDB;

class CLoginDlg : public QDialog {
    Q_OBJECT

public:
    // The user database is not owned; it must outlive the window.
    explicit CLoginDlg(CPNUserDB& users, QWidget* parent = nullptr);
    ~CLoginDlg() override;

    // The login and password that were admitted.
    const std::u16string& GetLogin() const { return login; }
    const std::u16string& GetPassword() const { return password; }

    // "Prihlásiť": admits the typed pair or empties both fields.
    void accept() override;

private:
    bool Admits() const;
    void ShowHint(const QString& text);

    std::unique_ptr<Ui::LoginDlg> ui;
    CPNUserDB& users;
    std::u16string login;
    std::u16string password;
};

}  // namespace orvane
