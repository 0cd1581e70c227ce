// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ResultsSubmissionDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/FileFailureText.h"
#include "app/NetView.h"
#include "app/WidgetText.h"
#include "exam/AnswerText.h"
#include "results/ResultsCsv.h"

namespace orvane {

CResultsSubmissionDlg::CResultsSubmissionDlg(QWidget* parent, SStudentResult& result,
                                             std::string examFolder)
    : QDialog(parent), student(result), folder(std::move(examFolder)) {
    setWindowTitle(
        QStringLiteral("Odovzdanie: %1 %2").arg(ToQt(student.login), ToQt(student.name)));
    auto* layout = new QVBoxLayout(this);
    submissions = new QComboBox(this);
    layout->addWidget(submissions);
    auto* middle = new QHBoxLayout;
    questions = new QListWidget(this);
    questions->setMaximumWidth(220);
    middle->addWidget(questions);
    auto* right = new QVBoxLayout;
    details = new QPlainTextEdit(this);
    details->setReadOnly(true);
    nets = new CNetView(this);
    right->addWidget(details, 1);
    right->addWidget(nets, 2);
    auto* form = new QFormLayout;
    overriding = new QCheckBox(QStringLiteral("Body určí učiteľ"), this);
    points = new QDoubleSpinBox(this);
    points->setDecimals(1);
    points->setSingleStep(0.5);
    note = new QLineEdit(this);
    form->addRow(overriding, points);
    form->addRow(QStringLiteral("Poznámka:"), note);
    right->addLayout(form);
    middle->addLayout(right, 1);
    layout->addLayout(middle, 1);
    auto* buttons = new QHBoxLayout;
    accepted = new QCheckBox(QStringLiteral("Výsledok prijatý"), this);
    auto* save = new QPushButton(QStringLiteral("Uložiť"), this);
    auto* close = new QPushButton(QStringLiteral("Zavrieť"), this);
    buttons->addWidget(accepted);
    buttons->addStretch();
    buttons->addWidget(save);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(900, 640);
    for (const SSubmission& submission : student.submissions) {
        submissions->addItem(
            QStringLiteral("Odovzdané %1").arg(ToQt(KeptTimeText(submission.time))));
    }
    connect(submissions, &QComboBox::currentIndexChanged, this,
            &CResultsSubmissionDlg::ShowSubmission);
    connect(questions, &QListWidget::currentRowChanged, this, &CResultsSubmissionDlg::ShowQuestion);
    connect(overriding, &QCheckBox::toggled, points, &QWidget::setEnabled);
    connect(save, &QPushButton::clicked, this, &CResultsSubmissionDlg::Save);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    ShowSubmission(student.submissions.empty() ? -1 : 0);
}

void CResultsSubmissionDlg::ShowSubmission(int index) {
    KeepFields();
    question = -1;
    questions->clear();
    shown = index >= 0 ? &student.submissions[index] : nullptr;
    if (shown == nullptr || student.test == nullptr) {
        details->setPlainText(QStringLiteral("Neodovzdal."));
        return;
    }
    const auto decision = student.decisions.find(shown->name);
    accepted->setChecked(decision != student.decisions.end() && decision->second.accepted);
    const auto kept = QuestionsInFileOrder(*student.test);
    for (std::size_t i = 0; i < kept.size(); ++i) {
        questions->addItem(QStringLiteral("%1. %2").arg(i + 1).arg(ToQt(kept[i]->GetTitle())));
    }
    questions->setCurrentRow(0);
}

void CResultsSubmissionDlg::ShowQuestion(int row) {
    KeepFields();
    question = row;
    if (shown == nullptr || row < 0 || static_cast<std::size_t>(row) >= shown->scores.size()) {
        return;
    }
    const SQuestionScore& score = shown->scores[row];
    const auto kept = QuestionsInFileOrder(*student.test)[row];
    QStringList lines;
    if (shown->IsLate()) {
        lines << QStringLiteral("odovzdané neskoro o %1 min").arg(shown->lateMinutes);
    }
    if (!shown->matches) {
        lines << ToQt(kMismatchText) + ": " + ToQt(shown->mismatch);
    }
    lines << ToQt(kept->GetText());
    for (const auto& answered : shown->test->Questions()) {
        if (answered->GetId() == kept->GetId()) {
            lines << QStringLiteral("Odpoveď: ") + ToQt(AnswerText(*answered));
        }
    }
    lines << QStringLiteral("Automaticky: %1 z %2 b.%3")
                 .arg(ToQt(PointsText(score.points)), ToQt(PointsText(score.maxPoints)),
                      score.pending ? QStringLiteral(" (na posúdenie)") : QString());
    for (const std::u16string& why : score.why) {
        lines << QStringLiteral("  ") + ToQt(why);
    }
    details->setPlainText(lines.join('\n'));
    nets->SetNets(score.drawnNet, kept->GetKeyNet(), true);
    points->setRange(0, score.maxPoints);
    const auto& decided = student.decisions[shown->name].questions;
    const auto found = decided.find(score.questionId);
    overriding->setChecked(found != decided.end());
    points->setEnabled(found != decided.end());
    points->setValue(found != decided.end() ? found->second.points : score.points);
    note->setText(found != decided.end() ? ToQt(found->second.note) : QString());
}

void CResultsSubmissionDlg::KeepFields() {
    if (shown == nullptr) {
        return;
    }
    SSubmissionDecision& decision = student.decisions[shown->name];
    decision.accepted = accepted->isChecked();
    if (question >= 0 && static_cast<std::size_t>(question) < shown->scores.size()) {
        const std::int32_t id = shown->scores[question].questionId;
        if (overriding->isChecked()) {
            decision.questions[id] = {points->value(), note->text().toStdU16String()};
        } else {
            decision.questions.erase(id);
        }
    }
    if (decision.IsEmpty()) {
        student.decisions.erase(shown->name);
    }
}

bool CResultsSubmissionDlg::Save() {
    KeepFields();
    const CFileResult written = SaveStudentDecisions(student, folder);
    if (!written.IsOk()) {
        QMessageBox::warning(
            this, windowTitle(),
            CannotWriteMessage(QString::fromStdString(DecisionsPathOf(student.login, folder)),
                               written));
    }
    ApplyDecisions(student);
    return written.IsOk();
}

}  // namespace orvane
