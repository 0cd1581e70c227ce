// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/TestsPanel.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QMessageBox>
#include <QSignalBlocker>

#include "app/AdministrationState.h"
#include "app/FileFailureText.h"
#include "app/KeepProgress.h"
#include "app/NetView.h"
#include "app/ResultsDlg.h"
#include "app/WidgetText.h"
#include "common/TextCodec.h"
#include "exam/AnswerText.h"
#include "generator/TestGenerator.h"
#include "results/ExamRuns.h"
#include "users/AccountPolicy.h"
#include "ui_OrvaneDlg.h"

namespace orvane {

namespace {

constexpr std::u16string_view kNoQuestion = u"Nie je zvolená žiadna otázka";
constexpr std::u16string_view kNoQuestionText = u"...";
// A worked test stores no date; for one that is not a kept submission this text stands where
// the date would be shown.
constexpr std::u16string_view kWorkedOutDate = u"1.1.2009";

QString WorkedOutLine(const CPNTest& test, const QString& date) {
    return QStringLiteral("ID:%1    VYPRACOVANÝ %2").arg(test.GetId()).arg(date);
}

QString TestLine(const CPNTest& test) {
    if (test.GetToBeWorkedOut()) {
        return QStringLiteral("ID:%1    NA VYPRACOVANIE").arg(test.GetId());
    }
    return WorkedOutLine(test, ToQt(kWorkedOutDate));
}

// A kept submission is a worked test whose date is known: when it arrived, local time, to
// the minute, so that two uploads of one day differ.
QString SubmittedLine(const SubmittedTest& submitted) {
    const auto milliseconds = std::chrono::floor<std::chrono::milliseconds>(submitted.time);
    const QDateTime arrived =
        QDateTime::fromMSecsSinceEpoch(milliseconds.time_since_epoch().count());
    return WorkedOutLine(*submitted.test, arrived.toString(QStringLiteral("d.M.yyyy H:mm")));
}

}  // namespace

CTestsPanel::CTestsPanel(Ui::OrvaneDlg& controls, AdministrationState& shared,
                         std::function<std::u16string()> chosen, QWidget* parent)
    : QObject(parent), ui(controls), state(shared), window(parent), chosenLogin(std::move(chosen)) {
    connect(ui.testCombo, &QComboBox::activated, this, &CTestsPanel::OnTestChosen);
    connect(ui.questionList, &QListWidget::itemSelectionChanged, this,
            &CTestsPanel::OnQuestionChosen);
    connect(ui.generateButton, &QPushButton::clicked, this, &CTestsPanel::OnGenerateTests);
    connect(ui.resultsButton, &QPushButton::clicked, this,
            [this] { ShowResultsWindow(window, ".", FullNames(*state.users)); });
    netView = new CNetView(window);
    netView->hide();
    ui.questionLayout->addWidget(netView);
    ShowFields();
}

void CTestsPanel::ShowTestsOfChosenUser() {
    ClearQuestions();  // they belong to the previous user's test
    if (chosenLogin().empty()) {
        ui.testCombo->clear();
    } else {
        FillTestCombo();
    }
}

void CTestsPanel::ShowFields() {
    ShowText(ui.questionTitle, fields.questionTitle);
    ShowText(ui.questionText, fields.questionText);
    ShowText(ui.answerText, fields.answerText);
    ShowText(ui.points, FromUtf8(std::to_string(fields.points)));
}

void CTestsPanel::ClearQuestionView() {
    fields.questionTitle = kNoQuestion;
    fields.points = 0;
    fields.questionText = kNoQuestionText;
    fields.answerText.clear();
    ShowFields();
    netView->hide();
}

void CTestsPanel::ClearQuestions() {
    ClearQuestionView();
    const QSignalBlocker blocker(ui.questionList);
    ui.questionList->clear();
}

void CTestsPanel::FillTestCombo() {
    ui.testCombo->clear();
    CPNTestDB& tests = *state.tests;
    const std::u16string login = chosenLogin();
    ReadKeptTestsOf(tests, login);
    for (bool more = tests.First(); more; more = tests.Next()) {
        if (tests.Current()->GetLogin() == login) {
            ui.testCombo->addItem(TestLine(*tests.Current()));
        }
    }
    // Read again at every choice, so that submissions that arrived meanwhile show too.
    firstSubmissionLine = ui.testCombo->count();
    chosenSubmission = nullptr;
    submissions = LoadSubmittedTests(login);
    for (const SubmittedTest& submitted : submissions) {
        ui.testCombo->addItem(SubmittedLine(submitted));
    }
    ui.testCombo->setCurrentIndex(-1);  // no line is chosen until the teacher picks one
}

void CTestsPanel::OnTestChosen(int index) {
    ClearQuestions();
    const int submission = index - firstSubmissionLine;
    chosenSubmission = submission >= 0 && submission < static_cast<int>(submissions.size())
                           ? submissions[static_cast<std::size_t>(submission)].test
                           : nullptr;
    if (index < 0 || (chosenSubmission == nullptr && !SelectTestOfUser(index))) {
        return;
    }
    const QSignalBlocker blocker(ui.questionList);
    const auto test = chosenSubmission != nullptr ? chosenSubmission : state.tests->Current();
    for (bool more = test->FirstQuestion(); more; more = test->NextQuestion()) {
        const auto question = test->CurrentQuestion();
        ui.questionList->addItem(QStringLiteral("%1: %2")
                                     .arg(question->GetId())
                                     .arg(QString::fromStdU16String(question->GetTitle())));
    }
}

// Puts the test database's cursor on the user's test at `index` (counted from 0, in the
// database's order, as the combo lists them). A user with fewer tests (the login was changed
// since the combo was filled) selects none, so no other user's questions are shown.
bool CTestsPanel::SelectTestOfUser(int index) {
    CPNTestDB& tests = *state.tests;
    const std::u16string login = chosenLogin();
    for (bool more = tests.First(); more; more = tests.Next()) {
        if (tests.Current()->GetLogin() != login) {
            continue;
        }
        if (index == 0) {
            return true;
        }
        --index;
    }
    return false;
}

void CTestsPanel::OnQuestionChosen() {
    const int row = ChosenRow(ui.questionList);
    const auto test = chosenSubmission != nullptr ? chosenSubmission : state.tests->Current();
    if (row < 0 || test == nullptr || !test->SelectQuestionAt(row + 1)) {
        ClearQuestionView();
        return;
    }
    const auto question = test->CurrentQuestion();
    fields.questionTitle = ui.questionList->item(row)->text().toStdU16String();
    fields.points = question->GetPoints();
    fields.questionText = question->GetText();
    // Only a submission shows what the student answered.
    fields.answerText = chosenSubmission != nullptr ? AnswerText(*question) : std::u16string();
    ShowFields();
    ShowNets(*question);
}

// The nets of the question as pictures, beside the sentence of the answer. A submission's
// drawn net is compared with the key net of the same question in the student's kept test of
// the same id, never with a key inside the uploaded file, which the client wrote.
void CTestsPanel::ShowNets(const CPNQuestion& question) {
    const bool submission = chosenSubmission != nullptr;
    std::shared_ptr<const CPNPetriNet> drawn = question.GetWorkNet();
    std::shared_ptr<const CPNPetriNet> solution =
        submission ? KeptKeyNet(question.GetId()) : question.GetKeyNet();
    if (drawn == nullptr && solution == nullptr) {
        netView->hide();
        return;
    }
    netView->SetNets(drawn, solution, submission);
    netView->show();
}

std::shared_ptr<const CPNPetriNet> CTestsPanel::KeptKeyNet(std::int32_t questionId) {
    CPNTestDB& tests = *state.tests;
    const std::u16string login = chosenLogin();
    for (bool more = tests.First(); more; more = tests.Next()) {
        const auto kept = tests.Current();
        if (kept->GetLogin() == login && kept->GetId() == chosenSubmission->GetId() &&
            kept->SelectQuestion(questionId)) {
            return kept->CurrentQuestion()->GetKeyNet();
        }
    }
    return nullptr;
}

void CTestsPanel::OnGenerateTests() {
    const auto before = TestsIn(*state.tests);
    bool generated = false;
    {  // the generator holds the user database, which a failed save replaces
        CTestGenerator generator(*state.users, *state.tests, *state.pool, state.actingLogin,
                                 state.actingPassword, window);
        generated = generator.exec() == QDialog::Accepted;
    }
    if (generated) {
        emit TestsGenerated();
    }
    KeepGeneratedTests(before);
}

// Each new test is written at once, so that it outlives the window and the server can hand it
// to its student. One that cannot be written stays in memory, and the teacher is told how
// many, with the first cause: a class of hundreds on a read-only folder is one sentence.
void CTestsPanel::KeepGeneratedTests(const std::set<const CPNTest*>& before) {
    const std::vector<KeptTest> kept = KeepNewTestsShowingProgress(*state.tests, before, window);
    if (kept.empty()) {
        return;
    }
    // The tests of one generation make one exam, whose results are shown together.
    if (const CFileResult recorded = RecordExamRun(kept); !recorded.IsOk()) {
        QMessageBox::warning(
            window, QApplication::applicationName(),
            QStringLiteral("Nepodarilo sa zapísať, ktoré testy patria k tejto skúške (%1). "
                           "Výsledky ich zoskupia podľa času, keď vznikli.")
                .arg(SlovakReason(recorded)));
    }
    const KeptTest* firstFailure = nullptr;
    std::size_t failures = 0;
    for (const KeptTest& one : kept) {
        if (!one.result.IsOk()) {
            firstFailure = firstFailure != nullptr ? firstFailure : &one;
            ++failures;
        }
    }
    const QString folder =
        QDir::toNativeSeparators(QDir::current().filePath(QString::fromUtf8(kKeptTestsFolder)));
    if (failures == 0) {
        QMessageBox::information(
            window, QApplication::applicationName(),
            QStringLiteral("Vygenerovalo sa testov: %1. Sú uložené v priečinku %2, každý v "
                           "podpriečinku svojho študenta, a server ich študentom pošle.")
                .arg(kept.size())
                .arg(folder));
        return;
    }
    QMessageBox::warning(
        window, QApplication::applicationName(),
        QStringLiteral("Vygenerovalo sa testov: %1, ale %2 z nich sa nepodarilo uložiť do "
                       "priečinka %3 (napríklad %4: %5). Zostávajú len v pamäti, kým program "
                       "beží, a server ich študentom neposiela.")
            .arg(kept.size())
            .arg(failures)
            .arg(folder, QString::fromStdString(firstFailure->path),
                 SlovakReason(firstFailure->result)));
}

}  // namespace orvane
