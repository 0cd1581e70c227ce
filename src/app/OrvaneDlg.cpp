#include "app/OrvaneDlg.h"

#include <QApplication>
#include <QCollator>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QSignalBlocker>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "app/AboutDlg.h"
#include "app/ExportDlg.h"
#include "app/FileFailureText.h"
#include "app/ImportDlg.h"
#include "app/KeepProgress.h"
#include "app/LoginDlg.h"
#include "common/FileBytes.h"
#include "common/TextCodec.h"
#include "exam/AnswerText.h"
#include "exam/PNTest.h"
#include "exam/PNTestDB.h"
#include "generator/TestGenerator.h"
#include "results/ExamRuns.h"
#include "server/OperatorMessages.h"
#include "server/TCPServer.h"
#include "ui_OrvaneDlg.h"
#include "users/AccountImport.h"
#include "users/AccountTable.h"
#include "users/PNUserDB.h"

namespace orvane {

namespace {

constexpr std::u16string_view kUserFile = u"userdb";
constexpr std::u16string_view kTestFile = u"testdb";
constexpr std::u16string_view kQuestionFile = u"quesdb";
constexpr std::u16string_view kFirstRunName = u"Predvolené konto učiteľa";
constexpr std::u16string_view kNewStudentLogin = u"zadajte_novy_login";
constexpr std::u16string_view kNewStudentName = u"Zadajte celé meno používateľa";
constexpr std::u16string_view kNoQuestion = u"Nie je zvolená žiadna otázka";
constexpr std::u16string_view kNoQuestionText = u"...";
// A worked test stores no date; for one that is not a kept submission this text stands where
// the date would be shown.
constexpr std::u16string_view kWorkedOutDate = u"1.1.2009";
constexpr std::chrono::milliseconds kSessionEndWait{1000};
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

QString ToQt(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Fields change only when their text differs, so an unchanged field keeps its cursor. A new
// text shows its beginning, as a long name or title is read from its start.
void ShowText(QLineEdit* field, const std::u16string& value) {
    const QString text = ToQt(value);
    if (field->text() != text) {
        field->setText(text);
        field->setCursorPosition(0);
    }
}

void ShowText(QPlainTextEdit* field, const std::u16string& value) {
    const QString text = ToQt(value);
    if (field->toPlainText() != text) {
        field->setPlainText(text);
    }
}

QString WorkedOutLine(const CPNTest& test, const QString& date) {
    return QStringLiteral("ID:%1    VYPRACOVANÝ %2").arg(test.GetId()).arg(date);
}

QString TestLine(const CPNTest& test) {
    if (test.GetToBeWorkedOut()) {
        return QStringLiteral("ID:%1    NA VYPRACOVANIE").arg(test.GetId());
    }
    return WorkedOutLine(test, ToQt(kWorkedOutDate));
}

// A kept submission is a worked test whose date is known: the day it arrived, local time.
QString SubmittedLine(const SubmittedTest& submitted) {
    const auto milliseconds = std::chrono::floor<std::chrono::milliseconds>(submitted.time);
    const QDateTime arrived =
        QDateTime::fromMSecsSinceEpoch(milliseconds.time_since_epoch().count());
    return WorkedOutLine(*submitted.test, arrived.toString(QStringLiteral("d.M.yyyy")));
}

std::vector<std::u16string> AllLogins(CPNUserDB& users) {
    std::vector<std::u16string> logins;
    for (bool more = users.First(); more; more = users.Next()) {
        logins.push_back(users.GetCurrentLogin());
    }
    return logins;
}

// A login that no account has any more, once "userdb" says so, takes its tests along, from
// memory and from disk, so that no later account of that login is handed them; its
// submissions stay.
void ForgetRemovedLogins(CPNUserDB& users, CPNTestDB& tests,
                         const std::vector<std::u16string>& before) {
    for (const std::u16string& login : before) {
        if (!users.FindLogin(login)) {
            tests.RemoveTestsOfLogin(login);
            static_cast<void>(RemoveKeptTests(login));
        }
    }
}

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

COrvaneDlg::COrvaneDlg(QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::OrvaneDlg>()),
      userFile(std::u16string(kUserFile)),
      operatorMessages(std::make_shared<CQtOperatorMessages>(this)) {
    ui->setupUi(this);
    ConnectControls();
}

// Remote access ends with the window, and so do its sessions, so that none of them shows a
// message through this window once it is gone.
COrvaneDlg::~COrvaneDlg() {
    SetOperatorMessages(nullptr);
    StopServer();
    EndSessions(kSessionEndWait);
}

void COrvaneDlg::ConnectControls() {
    for (QWidget* watched : std::initializer_list<QWidget*>{ui->login, ui->name, ui->confirmation,
                                                            ui->userList, ui->questionList}) {
        watched->installEventFilter(this);
    }
    connect(ui->userList, &QListWidget::itemSelectionChanged, this, &COrvaneDlg::OnUserChosen);
    connect(ui->teacher, &QCheckBox::clicked, this, &COrvaneDlg::OnTeacherClicked);
    connect(ui->password, &QLineEdit::textEdited, this,
            [this] { ui->confirmation->setReadOnly(false); });
    connect(ui->revealButton, &QPushButton::toggled, this, [this](bool shown) {
        ui->password->setEchoMode(shown ? QLineEdit::Normal : QLineEdit::Password);
        ui->revealButton->setText(shown ? QStringLiteral("Skryť") : QStringLiteral("Zobraziť"));
    });
    connect(ui->addButton, &QPushButton::clicked, this, &COrvaneDlg::OnAddStudent);
    connect(ui->removeButton, &QPushButton::clicked, this, &COrvaneDlg::OnRemoveUser);
    connect(ui->clearButton, &QPushButton::clicked, this, &COrvaneDlg::OnRemoveAllStudents);
    connect(ui->importButton, &QPushButton::clicked, this, &COrvaneDlg::OnImport);
    connect(ui->exportButton, &QPushButton::clicked, this, &COrvaneDlg::OnExport);
    connect(ui->testCombo, &QComboBox::activated, this, &COrvaneDlg::OnTestChosen);
    connect(ui->questionList, &QListWidget::itemSelectionChanged, this,
            &COrvaneDlg::OnQuestionChosen);
    connect(ui->generateButton, &QPushButton::clicked, this, &COrvaneDlg::OnGenerateTests);
    connect(ui->startButton, &QPushButton::clicked, this, [] { static_cast<void>(StartServer()); });
    connect(ui->stopButton, &QPushButton::clicked, this, [] { StopServer(); });
}

COrvaneDlg::OpenResult COrvaneDlg::Open() {
    ShowFields();
    users = std::make_unique<CPNUserDB>();
    tests = std::make_unique<CPNTestDB>();
    pool = std::make_shared<CPNTest>();
    if (!LoadDatabases()) {
        return OpenResult::Unreadable;
    }
    CLoginDlg login(*users);
    if (login.exec() != QDialog::Accepted) {
        return OpenResult::Cancelled;
    }
    actingLogin = login.GetLogin();
    actingPassword = login.GetPassword();
    if (users->IsEmpty()) {
        AddFirstRunAccount();
    }
    FillUserList();
    SetOperatorMessages(operatorMessages);
    return OpenResult::Accepted;
}

// Only a missing "userdb" means a first run. One that exists but cannot be read, or does not
// decode, ends the program before anything is written, so its accounts are never replaced by
// a first-run account. "testdb" and "quesdb" that cannot be read leave their databases empty
// (the console line says so); only undecodable ones end the program.
bool COrvaneDlg::LoadDatabases() {
    const CFileResult loaded = userFile.Load(*users);
    if (!loaded.IsOk() && !loaded.IsMissing()) {
        return RefuseFile(kUserFile, loaded);
    }
    const CFileResult testFile = tests->Load(std::u16string(kTestFile));
    if (testFile.GetKind() == CFileResult::Kind::Malformed) {
        return RefuseFile(kTestFile, testFile);
    }
    ListKeptTests(*tests);
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
    std::error_code ignored;
    if (!std::filesystem::exists(ToUtf8(kQuestionFile), ignored)) {
        return true;
    }
    CPNTestDB store;
    const CFileResult result = store.Load(std::u16string(kQuestionFile));
    if (result.GetKind() == CFileResult::Kind::Malformed) {
        return RefuseFile(kQuestionFile, result);
    }
    if (store.First() && store.Current() != nullptr) {
        pool = store.Current();
    }
    return true;
}

void COrvaneDlg::AddFirstRunAccount() {
    users->AddUser(actingLogin, std::u16string(kFirstRunName), actingPassword, actingPassword, true,
                   actingLogin, actingPassword);
    SaveUsers();
}

void COrvaneDlg::accept() {}

void COrvaneDlg::done(int result) {
    closing = true;
    SetOperatorMessages(nullptr);
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
    if (event->type() != QEvent::FocusOut || closing || !isVisible()) {
        return QDialog::eventFilter(watched, event);
    }
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
    if (reason == Qt::PopupFocusReason) {
        return QDialog::eventFilter(watched, event);
    }
    if (watched == ui->login) {
        // The focus is given to a clicked widget before the click reaches it.
        OnLoginLeft(reason == Qt::MouseFocusReason && QApplication::focusWidget() == ui->userList);
    } else if (watched == ui->name) {
        OnNameLeft();
    } else if (watched == ui->confirmation) {
        OnConfirmationLeft();
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

void COrvaneDlg::ReadFields() {
    fields.login = ui->login->text().toStdU16String();
    fields.name = ui->name->text().toStdU16String();
    fields.password = ui->password->text().toStdU16String();
    fields.confirmation = ui->confirmation->text().toStdU16String();
    fields.teacher = ui->teacher->isChecked();
    fields.questionTitle = ui->questionTitle->text().toStdU16String();
    fields.questionText = ui->questionText->toPlainText().toStdU16String();
    fields.answerText = ui->answerText->toPlainText().toStdU16String();
    fields.points = ui->points->text().toInt();
}

void COrvaneDlg::ShowFields() {
    ShowText(ui->login, fields.login);
    ShowText(ui->name, fields.name);
    ShowText(ui->password, fields.password);
    ShowText(ui->confirmation, fields.confirmation);
    ui->teacher->setChecked(fields.teacher);
    ShowText(ui->questionTitle, fields.questionTitle);
    ShowText(ui->questionText, fields.questionText);
    ShowText(ui->answerText, fields.answerText);
    ShowText(ui->points, FromUtf8(std::to_string(fields.points)));
}

bool COrvaneDlg::SaveAndRefresh() {
    return SaveAndRefresh(fields.login, false);
}

bool COrvaneDlg::SaveAndRefresh(const std::u16string& chosenLogin, bool keepLines, bool edited) {
    if (!SaveUsers(edited)) {
        if (users->FindLogin(chosenLogin)) {
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
    const auto chosen = ui->userList->findItems(ToQt(chosenLogin), Qt::MatchExactly);
    if (!chosen.isEmpty()) {
        chosen.front()->setText(ToQt(fields.login));
    }
    QTimer::singleShot(0, this, &COrvaneDlg::FillUserList);
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
bool COrvaneDlg::SaveUsers(bool edited) {
    const CUserDBFile::SaveResult saved = userFile.Save(users);
    if (saved.outcome == CUserDBFile::Outcome::Reloaded) {
        QString text = QString::fromUtf8(kUsersChangedOnDisk);
        if (edited) {
            text += QStringLiteral("\n\n") + QString::fromUtf8(kEditNotSaved);
        }
        QMessageBox::warning(this, QApplication::applicationName(), text);
        return false;
    }
    if (saved.outcome == CUserDBFile::Outcome::ReplacedUndecoded && saved.result.IsOk()) {
        QMessageBox::warning(this, QApplication::applicationName(),
                             CannotReadMessage(ToQt(kUserFile), saved.undecoded) +
                                 QString::fromUtf8(kUndecodedReplaced));
    }
    if (saved.result.IsOk()) {
        return true;
    }
    QString text = CannotWriteMessage(ToQt(kUserFile), saved.result);
    auto stored = std::make_unique<CPNUserDB>();
    const CFileResult read = userFile.Load(*stored);
    if (read.IsOk() || read.IsMissing()) {
        users = std::move(stored);
        text += QStringLiteral("\n\nZmena sa neuložila; okno ukazuje kontá tak, ako sú uložené.");
    } else {
        text += QStringLiteral("\n\n%1 Okno ukazuje kontá aj so zmenou, ktorá sa neuložila.")
                    .arg(CannotReadMessage(ToQt(kUserFile), read));
    }
    QMessageBox::warning(this, QApplication::applicationName(), text);
    return false;
}

// The chosen account's line stays chosen.
void COrvaneDlg::FillUserList() {
    const QSignalBlocker blocker(ui->userList);
    ui->userList->clear();
    std::vector<std::u16string> logins;
    for (bool more = users->First(); more; more = users->Next()) {
        logins.push_back(users->GetCurrentLogin());
    }
    std::stable_sort(logins.begin(), logins.end(), ListedBefore);
    for (const std::u16string& login : logins) {
        ui->userList->addItem(ToQt(login));
    }
    const auto chosen = ui->userList->findItems(ToQt(fields.login), Qt::MatchExactly);
    if (!chosen.isEmpty()) {
        ui->userList->setCurrentItem(chosen.front());
    }
}

std::vector<ListedAccount> COrvaneDlg::ListAccounts() {
    std::vector<ListedAccount> accounts;
    for (bool more = users->First(); more; more = users->Next()) {
        accounts.push_back({0, users->GetCurrentLogin(), users->GetCurrentName(),
                            users->GetCurrentPassword(actingLogin, actingPassword),
                            users->IsCurrentTeacher(actingLogin, actingPassword)});
    }
    std::stable_sort(accounts.begin(), accounts.end(), [](const auto& left, const auto& right) {
        return ListedBefore(left.login, right.login);
    });
    return accounts;
}

void COrvaneDlg::ClearQuestionView() {
    fields.questionTitle = kNoQuestion;
    fields.points = 0;
    fields.questionText = kNoQuestionText;
    fields.answerText.clear();
    ShowFields();
}

void COrvaneDlg::ClearQuestions() {
    ClearQuestionView();
    const QSignalBlocker blocker(ui->questionList);
    ui->questionList->clear();
}

int COrvaneDlg::ChosenRow(const QListWidget* list) {
    const QList<QListWidgetItem*> chosen = list->selectedItems();
    return chosen.isEmpty() ? -1 : list->row(chosen.front());
}

void COrvaneDlg::FillTestCombo() {
    ui->testCombo->clear();
    ReadKeptTestsOf(*tests, fields.login);
    for (bool more = tests->First(); more; more = tests->Next()) {
        if (tests->Current()->GetLogin() == fields.login) {
            ui->testCombo->addItem(TestLine(*tests->Current()));
        }
    }
    // Read again at every choice, so that submissions that arrived meanwhile show too.
    firstSubmissionLine = ui->testCombo->count();
    chosenSubmission = nullptr;
    submissions = LoadSubmittedTests(fields.login);
    for (const SubmittedTest& submitted : submissions) {
        ui->testCombo->addItem(SubmittedLine(submitted));
    }
    ui->testCombo->setCurrentIndex(-1);  // no line is chosen until the teacher picks one
}

void COrvaneDlg::OnUserChosen() {
    ClearQuestions();  // they belong to the previous user's test
    ui->revealButton->setChecked(false);
    const int row = ChosenRow(ui->userList);
    if (row < 0) {
        fields.login.clear();
        fields.name.clear();
        fields.password.clear();
        fields.teacher = false;
        ui->testCombo->clear();
    } else {
        fields.login = ui->userList->item(row)->text().toStdU16String();
        users->FindLogin(fields.login);
        ReadAccount();
        FillTestCombo();
    }
    ShowFields();
}

void COrvaneDlg::ReadAccount() {
    fields.name = users->GetCurrentName();
    fields.teacher = users->IsCurrentTeacher(actingLogin, actingPassword);
    fields.password = users->GetCurrentPassword(actingLogin, actingPassword);
}

// The account is looked up under the login the window held before the edit.
void COrvaneDlg::OnLoginLeft(bool listClicked) {
    const std::u16string before = fields.login;
    if (!users->FindLogin(before)) {
        return;
    }
    ReadFields();
    const auto renamed = users->RenameCurrent(fields.login, actingLogin, actingPassword);
    if (renamed == CPNUserDB::Rename::LoginTaken) {
        RefuseTakenLogin(before);
        return;
    }
    if (SaveAndRefresh(before, listClicked) && renamed == CPNUserDB::Rename::Done &&
        fields.login != before) {
        FollowRenamedLogin(before);
    }
    users->FindLogin(fields.login);
}

// The field shows the account's own login again; nothing was changed or written.
void COrvaneDlg::RefuseTakenLogin(const std::u16string& before) {
    const QString taken = ToQt(fields.login);
    fields.login = before;
    ShowFields();
    QMessageBox::warning(this, QApplication::applicationName(),
                         QString::fromUtf8(kLoginTaken).arg(taken));
}

// Renaming one's own account renames the acting login too, or every later change would be
// refused. The kept tests and submissions go with the account, unless another account (two
// made by "+" share a login until renamed) still has the old login.
void COrvaneDlg::FollowRenamedLogin(const std::u16string& before) {
    if (before == actingLogin) {
        actingLogin = fields.login;
    }
    if (users->FindLogin(before)) {
        return;
    }
    const KeptFilesMove moved = MoveKeptFilesOfLogin(*tests, before, fields.login);
    if (!moved.result.IsOk()) {
        QMessageBox::warning(
            this, QApplication::applicationName(),
            QString::fromUtf8(kFilesNotMoved)
                .arg(QString::fromStdString(moved.path), SlovakReason(moved.result)));
    }
}

void COrvaneDlg::OnNameLeft() {
    ReadFields();
    if (!users->FindLogin(fields.login)) {
        return;
    }
    users->SetCurrentName(fields.name, actingLogin, actingPassword);
    SaveAndRefresh();
}

void COrvaneDlg::OnTeacherClicked() {
    ReadFields();
    if (!users->FindLogin(fields.login)) {
        return;
    }
    // The acting teacher keeps the rights to change accounts, and so there is always a
    // teacher who can.
    if (!fields.teacher && fields.login == actingLogin) {
        fields.teacher = true;
        ShowFields();
        QMessageBox::warning(this, QApplication::applicationName(),
                             QString::fromUtf8(kOwnTeacherFlag));
        return;
    }
    users->SetCurrentTeacher(fields.teacher, actingLogin, actingPassword);
    SaveAndRefresh();
}

void COrvaneDlg::OnConfirmationLeft() {
    ReadFields();
    if (!users->FindLogin(fields.login)) {
        return;  // the confirmation keeps its text and stays editable
    }
    if (users->SetCurrentPassword(fields.password, fields.confirmation, actingLogin,
                                  actingPassword) &&
        SaveAndRefresh() && fields.login == actingLogin) {
        actingPassword = fields.password;  // one's own new password keeps one's rights
    }
    fields.confirmation.clear();
    ShowFields();
    ui->confirmation->setReadOnly(true);
}

void COrvaneDlg::OnAddStudent() {
    users->AddStudent(std::u16string(kNewStudentLogin), std::u16string(kNewStudentName),
                      actingLogin, actingPassword);
    SaveAndRefresh();
}

// The account under which the window was opened cannot be removed.
void COrvaneDlg::OnRemoveUser() {
    ReadFields();
    if (fields.login.empty() || fields.login == actingLogin) {
        return;
    }
    const auto before = AllLogins(*users);
    users->RemoveUser(fields.login, actingLogin, actingPassword);
    if (SaveAndRefresh()) {
        ForgetRemovedLogins(*users, *tests, before);
    }
}

void COrvaneDlg::OnRemoveAllStudents() {
    const auto answer =
        QMessageBox::question(this, QApplication::applicationName(),
                              QStringLiteral("Naozaj chcete odstrániť všetkých študentov?"),
                              QMessageBox::Yes | QMessageBox::No);
    if (answer != QMessageBox::Yes) {
        return;
    }
    const auto before = AllLogins(*users);
    users->RemoveAllStudents(actingLogin, actingPassword);
    if (SaveAndRefresh()) {
        ForgetRemovedLogins(*users, *tests, before);
    }
}

// Import and export read or change every account and password: they need teacher rights.
bool COrvaneDlg::RefusesStudent() {
    if (users->HasTeacherRights(actingLogin, actingPassword)) {
        return false;
    }
    QMessageBox::warning(this, QApplication::applicationName(),
                         QStringLiteral("Import a export kont môže robiť len učiteľ."));
    return true;
}

void COrvaneDlg::OnImport() {
    if (RefusesStudent()) {
        return;
    }
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Import kont"), QDir::homePath(),
        QStringLiteral("Zoznamy kont (*.csv *.txt *.tsv);;Všetky súbory (*)"));
    if (path.isEmpty()) {
        return;
    }
    std::vector<std::uint8_t> bytes;
    const CFileResult read = ReadFileBytes(QFile::encodeName(path).toStdString(), bytes);
    if (!read.IsOk()) {
        QMessageBox::warning(this, QApplication::applicationName(), CannotReadMessage(path, read));
        return;
    }
    const CAccountTable table = CAccountTable::Parse(
        std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
    const CAccountImport plan(table, *users);
    CImportDlg summary(QFileInfo(path).fileName(), table, plan, this);
    if (summary.exec() != QDialog::Accepted) {
        return;
    }
    plan.Apply(*users, actingLogin, actingPassword);
    SaveAndRefresh();  // every account in one write
}

void COrvaneDlg::OnExport() {
    if (RefusesStudent()) {
        return;
    }
    CExportDlg exporter(ListAccounts(), this);
    exporter.exec();
}

void COrvaneDlg::OnTestChosen(int index) {
    ClearQuestions();
    const int submission = index - firstSubmissionLine;
    chosenSubmission = submission >= 0 && submission < static_cast<int>(submissions.size())
                           ? submissions[static_cast<std::size_t>(submission)].test
                           : nullptr;
    if (index < 0 || (chosenSubmission == nullptr && !SelectTestOfUser(index))) {
        return;
    }
    const QSignalBlocker blocker(ui->questionList);
    const auto test = chosenSubmission != nullptr ? chosenSubmission : tests->Current();
    for (bool more = test->FirstQuestion(); more; more = test->NextQuestion()) {
        const auto question = test->CurrentQuestion();
        ui->questionList->addItem(QStringLiteral("%1: %2")
                                      .arg(question->GetId())
                                      .arg(QString::fromStdU16String(question->GetTitle())));
    }
}

// Puts the test database's cursor on the user's test at `index` (counted from 0, in the
// database's order, as the combo lists them). A user with fewer tests (the login was changed
// since the combo was filled) selects none, so no other user's questions are shown.
bool COrvaneDlg::SelectTestOfUser(int index) {
    for (bool more = tests->First(); more; more = tests->Next()) {
        if (tests->Current()->GetLogin() != fields.login) {
            continue;
        }
        if (index == 0) {
            return true;
        }
        --index;
    }
    return false;
}

void COrvaneDlg::OnQuestionChosen() {
    ReadFields();
    const int row = ChosenRow(ui->questionList);
    const auto test = chosenSubmission != nullptr ? chosenSubmission : tests->Current();
    if (row < 0 || test == nullptr || !test->SelectQuestionAt(row + 1)) {
        ClearQuestionView();
        return;
    }
    const auto question = test->CurrentQuestion();
    fields.questionTitle = ui->questionList->item(row)->text().toStdU16String();
    fields.points = question->GetPoints();
    fields.questionText = question->GetText();
    // Only a submission shows what the student answered.
    fields.answerText = chosenSubmission != nullptr ? AnswerText(*question) : std::u16string();
    ShowFields();
}

void COrvaneDlg::OnGenerateTests() {
    const auto before = TestsIn(*tests);
    bool generated = false;
    {  // the generator holds the user database, which a failed save replaces
        CTestGenerator generator(*users, *tests, *pool, actingLogin, actingPassword, this);
        generated = generator.exec() == QDialog::Accepted;
    }
    if (generated) {
        SaveAndRefresh(fields.login, false, false);  // no account was changed
    }
    KeepGeneratedTests(before);
}

// Each new test is written at once, so that it outlives the window and the server can hand it
// to its student. One that cannot be written stays in memory, and the teacher is told.
void COrvaneDlg::KeepGeneratedTests(const std::set<const CPNTest*>& before) {
    QString failures;
    const std::vector<KeptTest> keptTests = KeepNewTestsShowingProgress(*tests, before, this);
    // The tests of one generation make one exam, whose results are shown together.
    if (const CFileResult recorded = RecordExamRun(keptTests); !recorded.IsOk()) {
        failures += QStringLiteral("\nresults: %1").arg(SlovakReason(recorded));
    }
    for (const KeptTest& kept : keptTests) {
        if (!kept.result.IsOk()) {
            failures += QStringLiteral("\n%1: %2")
                            .arg(QString::fromStdString(kept.path), SlovakReason(kept.result));
        }
    }
    if (!failures.isEmpty()) {
        QMessageBox::warning(this, QApplication::applicationName(),
                             QStringLiteral("Niektoré vygenerované testy sa nepodarilo uložiť. "
                                            "Zostávajú len v pamäti, kým program beží:\n") +
                                 failures);
    }
}

}  // namespace orvane
