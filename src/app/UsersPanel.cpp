// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/UsersPanel.h"

#include <QApplication>
#include <QCollator>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFocusEvent>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>

#include "app/AdministrationState.h"
#include "app/ExportDlg.h"
#include "app/FileFailureText.h"
#include "app/ImportDlg.h"
#include "app/WidgetText.h"
#include "common/FileBytes.h"
#include "common/FileNames.h"
#include "common/TextCodec.h"
#include "exam/KeptTests.h"
#include "ui_OrvaneDlg.h"
#include "users/AccountImport.h"
#include "users/AccountPolicy.h"

namespace orvane {

namespace {

constexpr std::u16string_view kFirstRunName = u"Predvolené konto učiteľa";
constexpr std::u16string_view kNewStudentLogin = u"zadajte_novy_login";
constexpr std::u16string_view kNewStudentName = u"Zadajte celé meno používateľa";
constexpr char kOwnTeacherFlag[] =
    "Vlastnému kontu nemôžete zrušiť príznak „Učiteľ“: stratili by ste právo meniť kontá, "
    "a ak ste jediný učiteľ, nemohol by ich meniť nikto.";
constexpr char kLoginTaken[] =
    "Konto s prihlasovacím menom „%1“ už existuje. Dve kontá nemôžu mať rovnaké prihlasovacie "
    "meno, preto sa konto nepremenovalo.";
constexpr char kUsersChangedOnDisk[] =
    "Súbor userdb sa zmenil, odkedy ho okno načítalo alebo uložilo (nahral ho napríklad učiteľ "
    "cez vzdialený prístup). Okno ho neprepísalo: načítalo z neho kontá znova a ukazuje ich tak, "
    "ako sú uložené.";
constexpr char kEditNotSaved[] =
    "Vaša posledná zmena sa preto neuložila. Ak ju ešte chcete, urobte ju znova.";
constexpr char kUndecodedReplaced[] =
    " Zmenil sa, odkedy ho okno načítalo alebo uložilo, a nikto by sa s ním neprihlásil, preto "
    "ho okno nahradilo kontami, ktoré ukazuje.";
constexpr char kFilesNotMoved[] =
    "Konto sa premenovalo, ale nie všetky jeho uložené testy a odovzdané práce sa podarilo "
    "presunúť k novému prihlasovaciemu menu:\n%1: %2";

// The order of the user list: logins as a Slovak reader sorts them, letter case aside. Sorts
// keep logins that compare equal in their database order.
bool ListedBefore(const std::u16string& left, const std::u16string& right) {
    static const QCollator collator = [] {
        QCollator made{QLocale(QLocale::Slovak, QLocale::Slovakia)};
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    return collator.compare(ToQt(left), ToQt(right)) < 0;
}

}  // namespace

CUsersPanel::CUsersPanel(Ui::OrvaneDlg& controls, AdministrationState& shared, QWidget* parent)
    : QObject(parent), ui(controls), state(shared), window(parent) {
    for (QWidget* watched : {ui.login, ui.name, ui.confirmation}) {
        watched->installEventFilter(this);
    }
    connect(ui.userList, &QListWidget::itemSelectionChanged, this, &CUsersPanel::OnUserChosen);
    connect(ui.teacher, &QCheckBox::clicked, this, &CUsersPanel::OnTeacherClicked);
    connect(ui.password, &QLineEdit::textEdited, this,
            [this] { ui.confirmation->setReadOnly(false); });
    connect(ui.revealButton, &QPushButton::toggled, this, [this](bool shown) {
        ui.password->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
        ui.revealButton->setText(shown ? QStringLiteral("Skryť") : QStringLiteral("Zobraziť"));
    });
    connect(ui.addButton, &QPushButton::clicked, this, &CUsersPanel::OnAddStudent);
    connect(ui.removeButton, &QPushButton::clicked, this, &CUsersPanel::OnRemoveUser);
    connect(ui.clearButton, &QPushButton::clicked, this, &CUsersPanel::OnRemoveAllStudents);
    connect(ui.importButton, &QPushButton::clicked, this, &CUsersPanel::OnImport);
    connect(ui.exportButton, &QPushButton::clicked, this, &CUsersPanel::OnExport);
    ShowFields();
}

void CUsersPanel::AddFirstRunAccount() {
    state.users->AddUser(state.actingLogin, std::u16string(kFirstRunName), state.actingPassword,
                         state.actingPassword, true, state.actingLogin, state.actingPassword);
    // SaveUsers tells the teacher why "userdb" could not be written; the window opens either
    // way, and the next start is a first run again.
    SaveUsers();
}

void CUsersPanel::SaveAfterGeneration() {
    SaveAndRefresh(fields.login, false, false);  // no account was changed
}

bool CUsersPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusOut || closing || !window->isVisible()) {
        return false;
    }
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::PopupFocusReason) {
        return false;
    }
    if (watched == ui.login) {
        // The focus is given to a clicked widget before the click reaches it.
        OnLoginLeft(reason == Qt::MouseFocusReason && QApplication::focusWidget() == ui.userList);
    } else if (watched == ui.name) {
        OnNameLeft();
    } else if (watched == ui.confirmation) {
        OnConfirmationLeft();
    }
    return false;
}

void CUsersPanel::ReadFields() {
    fields.login = ui.login->text().toStdU16String();
    fields.name = ui.name->text().toStdU16String();
    fields.password = ui.password->text().toStdU16String();
    fields.confirmation = ui.confirmation->text().toStdU16String();
    fields.teacher = ui.teacher->isChecked();
}

void CUsersPanel::ShowFields() {
    ShowText(ui.login, fields.login);
    ShowText(ui.name, fields.name);
    ShowText(ui.password, fields.password);
    ShowText(ui.confirmation, fields.confirmation);
    ui.teacher->setChecked(fields.teacher);
}

bool CUsersPanel::SaveAndRefresh() {
    return SaveAndRefresh(fields.login, false);
}

bool CUsersPanel::SaveAndRefresh(const std::u16string& chosenLogin, bool keepLines, bool edited) {
    if (!SaveUsers(edited)) {
        if (state.users->FindLogin(chosenLogin)) {
            fields.login = chosenLogin;
            ReadAccount();
            ShowFields();
        }
        FillUserList();
        return false;
    }
    if (!keepLines) {
        FillUserList();
        return true;
    }
    // A click on the list chooses the line under the mouse once this returns: the lines stay
    // where they are until then, the chosen one showing its new login, and are sorted after.
    const auto chosen = ui.userList->findItems(ToQt(chosenLogin), Qt::MatchExactly);
    if (!chosen.isEmpty()) {
        chosen.front()->setText(ToQt(fields.login));
    }
    QTimer::singleShot(0, this, &CUsersPanel::FillUserList);
    return true;
}

// A "userdb" that changed since the window loaded or saved it (a teacher uploaded one) is never
// written over: the window shows what it holds, and the teacher makes the change again if it
// is still wanted. Re-applying the change by itself could undo the upload's own change of the
// same account, or act on an account that the upload removed or renamed.
//
// When "userdb" cannot be written the teacher learns why, and the window takes back what the
// file holds rather than keep what failed. That is not always the state before the change: a
// client may have uploaded the file meanwhile, and a write can fail after the new file has
// taken the old one's place. If the file cannot be read either, what memory holds stays.
bool CUsersPanel::SaveUsers(bool edited) {
    const CUserDBFile::SaveResult saved = state.userFile.Save(state.users);
    if (saved.outcome == CUserDBFile::Outcome::Reloaded) {
        QString text = QString::fromUtf8(kUsersChangedOnDisk);
        if (edited) {
            text += QStringLiteral("\n\n") + QString::fromUtf8(kEditNotSaved);
        }
        QMessageBox::warning(window, QApplication::applicationName(), text);
        return false;
    }
    if (saved.outcome == CUserDBFile::Outcome::ReplacedUndecoded && saved.result.IsOk()) {
        QMessageBox::warning(window, QApplication::applicationName(),
                             CannotReadMessage(ToQt(kUserDBName), saved.undecoded) +
                                 QString::fromUtf8(kUndecodedReplaced));
    }
    if (saved.result.IsOk()) {
        return true;
    }
    auto stored = std::make_unique<CPNUserDB>();
    const CFileResult read = state.userFile.Load(*stored);
    if (!edited && (read.IsOk() || read.IsMissing())) {
        state.users = std::move(stored);
        return false;  // no account had changed: the file still holds them all
    }
    QString text = CannotWriteMessage(ToQt(kUserDBName), saved.result);
    if (read.IsOk() || read.IsMissing()) {
        state.users = std::move(stored);
        text += QStringLiteral("\n\nZmena sa neuložila; okno ukazuje kontá tak, ako sú uložené.");
    } else {
        text += QStringLiteral("\n\n%1 Okno ukazuje kontá aj so zmenou, ktorá sa neuložila.")
                    .arg(CannotReadMessage(ToQt(kUserDBName), read));
    }
    QMessageBox::warning(window, QApplication::applicationName(), text);
    return false;
}

// The chosen account's line stays chosen.
void CUsersPanel::FillUserList() {
    const QSignalBlocker blocker(ui.userList);
    ui.userList->clear();
    std::vector<std::u16string> logins = AllLogins(*state.users);
    std::stable_sort(logins.begin(), logins.end(), ListedBefore);
    for (const std::u16string& login : logins) {
        ui.userList->addItem(ToQt(login));
    }
    const auto chosen = ui.userList->findItems(ToQt(fields.login), Qt::MatchExactly);
    if (!chosen.isEmpty()) {
        ui.userList->setCurrentItem(chosen.front());
    }
}

std::vector<ListedAccount> CUsersPanel::ListAccounts() {
    CPNUserDB& users = *state.users;
    std::vector<ListedAccount> accounts;
    for (bool more = users.First(); more; more = users.Next()) {
        accounts.push_back({0, users.GetCurrentLogin(), users.GetCurrentName(),
                            users.GetCurrentPassword(state.actingLogin, state.actingPassword),
                            users.IsCurrentTeacher(state.actingLogin, state.actingPassword)});
    }
    std::stable_sort(accounts.begin(), accounts.end(), [](const auto& left, const auto& right) {
        return ListedBefore(left.login, right.login);
    });
    return accounts;
}

// Once "userdb" says that no account has a login any more, its tests go from memory and from
// disk.
void CUsersPanel::ForgetRemovedLogins(const std::vector<std::u16string>& before) {
    for (const std::u16string& login : RemovedLogins(*state.users, before)) {
        state.tests->RemoveTestsOfLogin(login);
        if (const CFileResult removed = RemoveKeptTests(login); !removed.IsOk()) {
            QMessageBox::warning(window, QApplication::applicationName(),
                                 QStringLiteral("Uložené testy účtu %1 sa nepodarilo odstrániť: %2")
                                     .arg(ToQt(login), SlovakReason(removed)));
        }
    }
}

void CUsersPanel::OnUserChosen() {
    ui.revealButton->setChecked(false);
    const int row = ChosenRow(ui.userList);
    if (row < 0) {
        fields = Fields();
    } else {
        fields.login = ui.userList->item(row)->text().toStdU16String();
        state.users->FindLogin(fields.login);
        ReadAccount();
    }
    emit UserChosen();
    ShowFields();
}

void CUsersPanel::ReadAccount() {
    fields.name = state.users->GetCurrentName();
    fields.teacher = state.users->IsCurrentTeacher(state.actingLogin, state.actingPassword);
    fields.password = state.users->GetCurrentPassword(state.actingLogin, state.actingPassword);
}

// The account is looked up under the login the window held before the edit.
void CUsersPanel::OnLoginLeft(bool listClicked) {
    const std::u16string before = fields.login;
    if (!state.users->FindLogin(before)) {
        return;
    }
    ReadFields();
    const auto renamed =
        state.users->RenameCurrent(fields.login, state.actingLogin, state.actingPassword);
    if (renamed == CPNUserDB::Rename::LoginTaken) {
        RefuseTakenLogin(before);
        return;
    }
    if (SaveAndRefresh(before, listClicked) && renamed == CPNUserDB::Rename::Done &&
        fields.login != before) {
        FollowRenamedLogin(before);
    }
    state.users->FindLogin(fields.login);
}

// The field shows the account's own login again; nothing was changed or written.
void CUsersPanel::RefuseTakenLogin(const std::u16string& before) {
    const QString taken = ToQt(fields.login);
    fields.login = before;
    ShowFields();
    QMessageBox::warning(window, QApplication::applicationName(),
                         QString::fromUtf8(kLoginTaken).arg(taken));
}

// Renaming one's own account renames the acting login too, or every later change would be
// refused. The kept tests and submissions go with the account, unless another account (two
// made by "+" share a login until renamed) still has the old login.
void CUsersPanel::FollowRenamedLogin(const std::u16string& before) {
    if (before == state.actingLogin) {
        state.actingLogin = fields.login;
    }
    if (RemovedLogins(*state.users, {before}).empty()) {
        return;
    }
    const KeptFilesMove moved = MoveKeptFilesOfLogin(*state.tests, before, fields.login);
    if (!moved.result.IsOk()) {
        QMessageBox::warning(
            window, QApplication::applicationName(),
            QString::fromUtf8(kFilesNotMoved)
                .arg(QString::fromStdString(moved.path), SlovakReason(moved.result)));
    }
}

void CUsersPanel::OnNameLeft() {
    ReadFields();
    if (!state.users->FindLogin(fields.login)) {
        return;
    }
    state.users->SetCurrentName(fields.name, state.actingLogin, state.actingPassword);
    SaveAndRefresh();
}

void CUsersPanel::OnTeacherClicked() {
    ReadFields();
    if (!state.users->FindLogin(fields.login)) {
        return;
    }
    if (!fields.teacher && !MayClearTeacherFlag(fields.login, state.actingLogin)) {
        fields.teacher = true;
        ShowFields();
        QMessageBox::warning(window, QApplication::applicationName(),
                             QString::fromUtf8(kOwnTeacherFlag));
        return;
    }
    state.users->SetCurrentTeacher(fields.teacher, state.actingLogin, state.actingPassword);
    SaveAndRefresh();
}

void CUsersPanel::OnConfirmationLeft() {
    ReadFields();
    if (!state.users->FindLogin(fields.login)) {
        return;  // the confirmation keeps its text and stays editable
    }
    if (state.users->SetCurrentPassword(fields.password, fields.confirmation, state.actingLogin,
                                        state.actingPassword) &&
        SaveAndRefresh()) {
        if (fields.login == state.actingLogin) {
            state.actingPassword = fields.password;  // one's own new password keeps one's rights
        }
        Confirm(QStringLiteral("Heslo konta „%1“ sa zmenilo a uložilo.").arg(ToQt(fields.login)));
    }
    fields.confirmation.clear();
    ShowFields();
    ui.confirmation->setReadOnly(true);
}

void CUsersPanel::OnAddStudent() {
    state.users->AddStudent(std::u16string(kNewStudentLogin), std::u16string(kNewStudentName),
                            state.actingLogin, state.actingPassword);
    SaveAndRefresh();
}

// The account under which the window was opened cannot be removed.
void CUsersPanel::OnRemoveUser() {
    ReadFields();
    if (fields.login.empty() || fields.login == state.actingLogin) {
        return;
    }
    if (!ConfirmsRemoval()) {
        return;
    }
    const auto before = AllLogins(*state.users);
    state.users->RemoveUser(fields.login, state.actingLogin, state.actingPassword);
    if (SaveAndRefresh()) {
        ForgetRemovedLogins(before);
    }
}

void CUsersPanel::OnRemoveAllStudents() {
    const auto answer =
        QMessageBox::question(window, QApplication::applicationName(),
                              QStringLiteral("Naozaj chcete odstrániť všetkých študentov?"),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        return;
    }
    const auto before = AllLogins(*state.users);
    state.users->RemoveAllStudents(state.actingLogin, state.actingPassword);
    if (SaveAndRefresh()) {
        ForgetRemovedLogins(before);
    }
}

// An account whose student has tests or submissions is removed only when the teacher says so:
// its generated tests go with it.
bool CUsersPanel::ConfirmsRemoval() {
    KeptFileCount kept = CountKeptFiles(fields.login);
    std::size_t inMemory = 0;
    for (bool more = state.tests->First(); more; more = state.tests->Next()) {
        inMemory += state.tests->Current()->GetLogin() == fields.login ? 1 : 0;
    }
    kept.tests = std::max(kept.tests, inMemory);
    if (kept.tests == 0 && kept.submissions == 0) {
        return true;
    }
    const QString text =
        QStringLiteral(
            "Konto „%1“ má vygenerované testy (%2) a odovzdané práce (%3). Naozaj ho "
            "chcete odstrániť? Jeho vygenerované testy sa odstránia s ním; odovzdané "
            "práce zostanú v priečinku submissions.")
            .arg(ToQt(fields.login))
            .arg(kept.tests)
            .arg(kept.submissions);
    return QMessageBox::question(window, QApplication::applicationName(), text,
                                 QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void CUsersPanel::Confirm(const QString& text) {
    QMessageBox::information(window, QApplication::applicationName(), text);
}

// Import and export read or change every account and password: they need teacher rights.
bool CUsersPanel::RefusesStudent() {
    if (state.users->HasTeacherRights(state.actingLogin, state.actingPassword)) {
        return false;
    }
    QMessageBox::warning(window, QApplication::applicationName(),
                         QStringLiteral("Import a export kont môže robiť len učiteľ."));
    return true;
}

void CUsersPanel::OnImport() {
    if (RefusesStudent()) {
        return;
    }
    const QString path = QFileDialog::getOpenFileName(
        window, QStringLiteral("Import kont"), QDir::homePath(),
        QStringLiteral("Zoznamy kont (*.csv *.txt *.tsv);;Všetky súbory (*)"));
    if (path.isEmpty()) {
        return;
    }
    std::vector<std::uint8_t> bytes;
    const CFileResult read = ReadFileBytes(QFile::encodeName(path).toStdString(), bytes);
    if (!read.IsOk()) {
        QMessageBox::warning(window, QApplication::applicationName(),
                             CannotReadMessage(path, read));
        return;
    }
    const CAccountTable table = CAccountTable::Parse(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    const CAccountImport plan(table, *state.users);
    CImportDlg summary(QFileInfo(path).fileName(), table, plan, window);
    if (summary.exec() != QDialog::Accepted) {
        return;
    }
    const int added = plan.Apply(*state.users, state.actingLogin, state.actingPassword);
    if (SaveAndRefresh()) {  // every account in one write
        Confirm(QStringLiteral("Import je hotový, pribudlo kont: %1. Zmeny sú uložené v súbore "
                               "userdb.")
                    .arg(added));
    }
}

void CUsersPanel::OnExport() {
    if (RefusesStudent()) {
        return;
    }
    CExportDlg exporter(ListAccounts(), window);
    if (exporter.exec() == QDialog::Accepted) {
        Confirm(QStringLiteral("Export je hotový."));
    }
}

}  // namespace orvane
