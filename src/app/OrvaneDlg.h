// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// COrvaneDlg: the administration window "Orvane". At opening it loads "userdb", "testdb" and
// the question pool from "quesdb" and asks for a login; it then owns the user database, the
// test database and the pool until the program ends. Its panels do the work: the accounts
// (CUsersPanel), the tests and their questions (CTestsPanel) and remote access
// (CRemoteAccessPanel); the window itself holds the frame: the keys, the context menu and the
// end.
#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>

#include "app/AdministrationState.h"
#include "common/FileResult.h"

namespace Ui {
class OrvaneDlg;
}

namespace orvane {

class CUsersPanel;
class CTestsPanel;
class CRemoteAccessPanel;

class COrvaneDlg : public QDialog {
    Q_OBJECT

public:
    enum class OpenResult { Accepted, Cancelled, Unreadable };

    explicit COrvaneDlg(QWidget* parent = nullptr);
    ~COrvaneDlg() override;

    // Loads the databases and runs the login window; the window may be shown only when
    // this answers Accepted.
    OpenResult Open();

    void accept() override;  // Enter does nothing
    // Esc, the close box: asks first while remote access is on or a client is connected.
    void reject() override;
    void done(int result) override;
    // Remote access on another port than 20248 (tests).
    void UsePort(std::uint16_t port);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool LoadDatabases();
    bool LoadQuestionPool();
    // Shows why the file cannot be used; false, for the opening to end.
    static bool RefuseFile(std::u16string_view fileName, const CFileResult& result);
    static bool ChoosesFirstLine(QObject* watched, const QKeyEvent* event);
    void ShowAbout();

    std::unique_ptr<Ui::OrvaneDlg> ui;
    AdministrationState state;
    std::unique_ptr<CUsersPanel> usersPanel;
    std::unique_ptr<CTestsPanel> testsPanel;
    std::unique_ptr<CRemoteAccessPanel> remotePanel;
};

}  // namespace orvane
