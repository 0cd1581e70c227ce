// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/OrvaneDlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>

#include "app/AboutDlg.h"
#include "app/FileFailureText.h"
#include "app/LoginDlg.h"
#include "app/RemoteAccessPanel.h"
#include "app/TestsPanel.h"
#include "app/UsersPanel.h"
#include "app/WidgetText.h"
#include "common/FileNames.h"
#include "exam/KeptTests.h"
#include "generator/TestGenerator.h"
#include "ui_OrvaneDlg.h"

namespace orvane {

COrvaneDlg::COrvaneDlg(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::OrvaneDlg>()) {
    ui->setupUi(this);
    usersPanel = std::make_unique<CUsersPanel>(*ui, state, this);
    testsPanel = std::make_unique<CTestsPanel>(
        *ui, state, [this] { return usersPanel->ChosenLogin(); }, this);
    remotePanel = std::make_unique<CRemoteAccessPanel>(*ui, this);
    connect(usersPanel.get(), &CUsersPanel::UserChosen, testsPanel.get(),
            &CTestsPanel::ShowTestsOfChosenUser);
    connect(testsPanel.get(), &CTestsPanel::TestsGenerated, usersPanel.get(),
            &CUsersPanel::SaveAfterGeneration);
    for (QListWidget* list : {ui->userList, ui->questionList}) {
        list->installEventFilter(this);
    }
}

// The panels go before the controls they work on; remote access, and so its sessions, end
// first.
COrvaneDlg::~COrvaneDlg() {
    remotePanel.reset();
    testsPanel.reset();
    usersPanel.reset();
}

COrvaneDlg::OpenResult COrvaneDlg::Open() {
    state.users = std::make_unique<CPNUserDB>();
    state.tests = std::make_unique<CPNTestDB>();
    state.pool = std::make_shared<CPNTest>();
    if (!LoadDatabases()) {
        return OpenResult::Unreadable;
    }
    CLoginDlg login(*state.users);
    if (login.exec() != QDialog::Accepted) {
        return OpenResult::Cancelled;
    }
    state.actingLogin = login.GetLogin();
    state.actingPassword = login.GetPassword();
    if (state.users->IsEmpty()) {
        usersPanel->AddFirstRunAccount();
    }
    usersPanel->FillUserList();
    remotePanel->Attach();
    return OpenResult::Accepted;
}

// Only a missing "userdb" means a first run. One that exists but cannot be read, or does not
// decode, ends the program before anything is written, so its accounts are never replaced by
// a first-run account. "testdb" and "quesdb" that cannot be read leave their databases empty
// (the console line says so); only undecodable ones end the program.
bool COrvaneDlg::LoadDatabases() {
    const CFileResult loaded = state.userFile.Load(*state.users);
    if (!loaded.IsOk() && !loaded.IsMissing()) {
        return RefuseFile(kUserDBName, loaded);
    }
    const CFileResult testFile = state.tests->Load(std::u16string(kTestDBName));
    if (testFile.GetKind() == CFileResult::Kind::Malformed) {
        return RefuseFile(kTestDBName, testFile);
    }
    ListKeptTests(*state.tests);
    return LoadQuestionPool();
}

bool COrvaneDlg::RefuseFile(std::u16string_view fileName, const CFileResult& result) {
    QMessageBox::critical(nullptr, QApplication::applicationName(),
                          CannotReadMessage(ToQt(fileName), result) +
                              QStringLiteral("\n\nProgram sa ukončí a žiadny súbor nezmení."));
    return false;
}

// "quesdb" holds one stored test, as "testdb" does; its questions become the pool. Without
// the file the pool stays empty and nothing is reported.
bool COrvaneDlg::LoadQuestionPool() {
    CFileResult result;
    std::shared_ptr<CPNTest> pool = ReadQuestionPool(result);
    if (result.GetKind() == CFileResult::Kind::Malformed) {
        return RefuseFile(kQuestionDBName, result);
    }
    if (pool != nullptr) {
        state.pool = std::move(pool);
    }
    return true;
}

void COrvaneDlg::accept() {}

void COrvaneDlg::reject() {
    if (remotePanel->ConfirmsEnd()) {
        QDialog::reject();
    }
}

void COrvaneDlg::UsePort(std::uint16_t port) {
    remotePanel->UsePort(port);
}

void COrvaneDlg::done(int result) {
    usersPanel->SetClosing();
    remotePanel->Detach();
    QDialog::done(result);
}

// Enter presses the button that has the focus; anywhere else it does nothing.
void COrvaneDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
            button->click();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool COrvaneDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        ChoosesFirstLine(watched, static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

// A list with no chosen line already has its first line as the current one, so Down would
// choose the second: the first Down chooses the first line.
bool COrvaneDlg::ChoosesFirstLine(QObject* watched, const QKeyEvent* event) {
    auto* list = qobject_cast<QListWidget*>(watched);
    if (list == nullptr || event->key() != Qt::Key_Down || list->count() == 0 ||
        !list->selectedItems().isEmpty()) {
        return false;
    }
    list->setCurrentRow(0);
    return true;
}

void COrvaneDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(CAboutDlg::MenuEntryText(), this, &COrvaneDlg::ShowAbout);
    menu.exec(event->globalPos());
}

void COrvaneDlg::ShowAbout() {
    CAboutDlg about(this);
    about.exec();
}

}  // namespace orvane
