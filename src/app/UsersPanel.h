// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CUsersPanel: the accounts panel of the administration window ("Používateľ"). It lists the
// accounts, shows the chosen one's fields, and writes each change to "userdb" at once; it
// imports a class's accounts from a spreadsheet and exports them with their login slips.
//
// The panel keeps its own copy of every field's value, read from the controls and shown into
// them at the moments its commands say, so a command sees the values as they were last read,
// not whatever is being typed.
#include <QObject>
#include <QString>
#include <string>
#include <vector>

#include "users/AccountTable.h"

class QWidget;

namespace Ui {
class OrvaneDlg;
}

namespace orvane {

struct AdministrationState;

class CUsersPanel : public QObject {
    Q_OBJECT

public:
    // The controls are the window's; `window` is the parent of the panel's message boxes.
    CUsersPanel(Ui::OrvaneDlg& ui, AdministrationState& state, QWidget* window);

    const std::u16string& ChosenLogin() const { return fields.login; }
    void AddFirstRunAccount();
    void FillUserList();
    // Writes "userdb" after a change that the generator made to the database without changing
    // an account.
    void SaveAfterGeneration();
    // From now on a field that loses the focus changes nothing: the window is closing.
    void SetClosing() { closing = true; }

signals:
    // A line of the user list was chosen, or none (ChosenLogin is then empty).
    void UserChosen();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Fields {
        std::u16string login;
        std::u16string name;
        std::u16string password;
        std::u16string confirmation;
        bool teacher = false;
    };

    void ReadFields();
    void ShowFields();
    void ReadAccount();  // the fields of the account under the user database's cursor
    // Writes "userdb" and refills the user list; false when the write failed, after which the
    // list and the fields of the account stored as `chosenLogin` show what is stored.
    // `keepLines` keeps the list's lines in place until a click on it has chosen one. False too
    // when "userdb" had changed on disk: the window then shows what it holds now. `edited`
    // says that the save is for a change of the accounts, which is then not saved.
    bool SaveAndRefresh();
    bool SaveAndRefresh(const std::u16string& chosenLogin, bool keepLines, bool edited = true);
    bool SaveUsers(bool edited = true);
    std::vector<ListedAccount> ListAccounts();  // in the order of the user list
    void ForgetRemovedLogins(const std::vector<std::u16string>& before);

    void OnUserChosen();
    void OnLoginLeft(bool listClicked);
    void RefuseTakenLogin(const std::u16string& before);
    void FollowRenamedLogin(const std::u16string& before);
    void OnNameLeft();
    void OnTeacherClicked();
    void OnConfirmationLeft();
    void OnAddStudent();
    void OnRemoveUser();
    void OnRemoveAllStudents();
    bool ConfirmsRemoval();
    void Confirm(const QString& text);
    bool RefusesStudent();
    void OnImport();
    void OnExport();

    Ui::OrvaneDlg& ui;
    AdministrationState& state;
    QWidget* window;
    Fields fields;
    bool closing = false;
};

}  // namespace orvane
