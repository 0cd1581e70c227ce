#include "app/OrvaneDlg.h"

#include <QApplication>
#include <QCollator>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QSignalBlocker>
#include <algorithm>
#include <filesystem>

#include "app/AboutDlg.h"
#include "app/LoginDlg.h"
#include "common/TextCodec.h"
#include "exam/AnswerText.h"
#include "exam/PNTest.h"
#include "exam/PNTestDB.h"
#include "generator/TestGenerator.h"
#include "server/OperatorMessages.h"
#include "server/TCPServer.h"
#include "ui_OrvaneDlg.h"
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

QString ToQt(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Fields change only when their text differs, so an unchanged field keeps its cursor.
void ShowText(QLineEdit* field, const std::u16string& value) {
    const QString text = ToQt(value);
    if (field->text() != text) {
        field->setText(text);
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

// A login that no account has any more takes its tests along, from memory and from disk, so
// that no later account of that login is handed them; its submissions stay.
void ForgetRemovedLogins(CPNUserDB& users, CPNTestDB& tests,
                         const std::vector<std::u16string>& before) {
    for (const std::u16string& login : before) {
        if (!users.FindLogin(login)) {
            tests.RemoveTestsOfLogin(login);
            RemoveKeptTests(login);
        }
    }
}

// The user list's lines as a Slovak reader sorts them, letter case aside; lines that compare
// equal keep their database order.
void SortForUserList(QStringList& lines) {
    static const QCollator collator = [] {
        QCollator made{QLocale(QLocale::Slovak, QLocale::Slovakia)};
        made.setCaseSensitivity(Qt::CaseInsensitive);
        return made;
    }();
    std::stable_sort(lines.begin(), lines.end(), [](const QString& left, const QString& right) {
        return collator.compare(left, right) < 0;
    });
}

}  // namespace

COrvaneDlg::COrvaneDlg(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::OrvaneDlg>()), operatorMessages(this) {
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
    for (QWidget* field : {static_cast<QWidget*>(ui->login), static_cast<QWidget*>(ui->name),
                           static_cast<QWidget*>(ui->confirmation)}) {
        field->installEventFilter(this);
    }
    connect(ui->userList, &QListWidget::itemSelectionChanged, this, &COrvaneDlg::OnUserChosen);
    connect(ui->teacher, &QCheckBox::clicked, this, &COrvaneDlg::OnTeacherClicked);
    connect(ui->password, &QLineEdit::textEdited, this,
            [this] { ui->confirmation->setReadOnly(false); });
    connect(ui->addButton, &QPushButton::clicked, this, &COrvaneDlg::OnAddStudent);
    connect(ui->removeButton, &QPushButton::clicked, this, &COrvaneDlg::OnRemoveUser);
    connect(ui->clearButton, &QPushButton::clicked, this, &COrvaneDlg::OnRemoveAllStudents);
    connect(ui->testCombo, &QComboBox::activated, this, &COrvaneDlg::OnTestChosen);
    connect(ui->questionList, &QListWidget::itemSelectionChanged, this,
            &COrvaneDlg::OnQuestionChosen);
    connect(ui->generateButton, &QPushButton::clicked, this, &COrvaneDlg::OnGenerateTests);
    connect(ui->startButton, &QPushButton::clicked, this, [] { StartServer(); });
    connect(ui->stopButton, &QPushButton::clicked, this, [] { StopServer(); });
    // "Import ..." and "Export ..." have nothing to do.
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
    SetOperatorMessages(&operatorMessages);
    return OpenResult::Accepted;
}

// Only a missing "userdb" means a first run. One that exists but cannot be read, or does not
// decode, ends the program before anything is written, so its accounts are never replaced by
// a first-run account. "testdb" and "quesdb" that cannot be read leave their databases empty
// (the console line says so); only undecodable ones end the program.
bool COrvaneDlg::LoadDatabases() {
    const CFileResult userFile = users->Load(std::u16string(kUserFile));
    if (!userFile.IsOk() && !userFile.IsMissing()) {
        return RefuseFile(kUserFile, userFile);
    }
    const CFileResult testFile = tests->Load(std::u16string(kTestFile));
    if (testFile.GetKind() == CFileResult::Kind::Malformed) {
        return RefuseFile(kTestFile, testFile);
    }
    LoadKeptTests(*tests);
    return LoadQuestionPool();
}

bool COrvaneDlg::RefuseFile(std::u16string_view fileName, const CFileResult& result) {
    const QString text = QStringLiteral("Cannot read file: %1\n\n%2")
                             .arg(ToQt(fileName), QString::fromStdString(result.Reason()));
    QMessageBox::critical(nullptr, QApplication::applicationName(), text);
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
    users->Save(std::u16string(kUserFile));
}

void COrvaneDlg::accept() {}

void COrvaneDlg::done(int result) {
    closing = true;
    SetOperatorMessages(nullptr);
    QDialog::done(result);
}

void COrvaneDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool COrvaneDlg::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::FocusOut || closing || !isVisible() ||
        static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason) {
        return QDialog::eventFilter(watched, event);
    }
    if (watched == ui->login) {
        OnLoginLeft();
    } else if (watched == ui->name) {
        OnNameLeft();
    } else if (watched == ui->confirmation) {
        OnConfirmationLeft();
    }
    return QDialog::eventFilter(watched, event);
}

void COrvaneDlg::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.addAction(QStringLiteral("&About Orvane..."), this, &COrvaneDlg::ShowAbout);
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

void COrvaneDlg::SaveAndRefresh() {
    users->Save(std::u16string(kUserFile));
    FillUserList();
}

void COrvaneDlg::FillUserList() {
    const QSignalBlocker blocker(ui->userList);
    ui->userList->clear();
    QStringList logins;
    for (bool more = users->First(); more; more = users->Next()) {
        logins << QString::fromStdU16String(users->GetCurrentLogin());
    }
    SortForUserList(logins);
    ui->userList->addItems(logins);
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
        fields.name = users->GetCurrentName();
        fields.teacher = users->IsCurrentTeacher(actingLogin, actingPassword);
        fields.password = users->GetCurrentPassword(actingLogin, actingPassword);
        FillTestCombo();
    }
    ShowFields();
}

// The account is looked up under the login the window held before the edit.
void COrvaneDlg::OnLoginLeft() {
    if (!users->FindLogin(fields.login)) {
        return;
    }
    ReadFields();
    users->SetCurrentLogin(fields.login, actingLogin, actingPassword);
    SaveAndRefresh();
    users->FindLogin(fields.login);
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
    users->SetCurrentTeacher(fields.teacher, actingLogin, actingPassword);
    SaveAndRefresh();
}

void COrvaneDlg::OnConfirmationLeft() {
    ReadFields();
    if (!users->FindLogin(fields.login)) {
        return;  // the confirmation keeps its text and stays editable
    }
    if (users->SetCurrentPassword(fields.password, fields.confirmation, actingLogin,
                                  actingPassword)) {
        SaveAndRefresh();
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
    ForgetRemovedLogins(*users, *tests, before);
    SaveAndRefresh();
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
    ForgetRemovedLogins(*users, *tests, before);
    SaveAndRefresh();
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
    CTestGenerator generator(*users, *tests, *pool, actingLogin, actingPassword, this);
    if (generator.exec() == QDialog::Accepted) {
        SaveAndRefresh();
    }
    KeepGeneratedTests(before);
}

// Each new test is written at once, so that it outlives the window and the server can hand it
// to its student. One that cannot be written stays in memory, and the teacher is told.
void COrvaneDlg::KeepGeneratedTests(const std::set<const CPNTest*>& before) {
    QString failures;
    for (const KeptTest& kept : KeepNewTests(*tests, before)) {
        if (!kept.result.IsOk()) {
            failures += QStringLiteral("\n%1: %2")
                            .arg(QString::fromStdString(kept.path),
                                 QString::fromStdString(kept.result.Reason()));
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
