// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CResultsSubmissionDlg: one student's submission of an exam: each question with the answer,
// the net drawn beside the solution, the automatic points and why, and the teacher's points and
// note for it; the student's result can be accepted. Earlier submissions are reachable from
// the list at the top. Decisions are written when "Uložiť" is pressed.
#include <QDialog>
#include <string>

#include "results/ResultsTable.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

namespace orvane {

class CNetView;

class CResultsSubmissionDlg : public QDialog {
    Q_OBJECT

public:
    CResultsSubmissionDlg(QWidget* parent, SStudentResult& student, std::string folder);

    QListWidget* QuestionList() const { return questions; }
    QDoubleSpinBox* PointsField() const { return points; }
    QCheckBox* OverrideBox() const { return overriding; }
    QLineEdit* NoteField() const { return note; }
    QCheckBox* AcceptedBox() const { return accepted; }
    QPlainTextEdit* Details() const { return details; }
    // Keeps what the fields say for the question shown and writes the decisions; false (with a
    // message) when they cannot be written.
    bool Save();

private:
    void ShowSubmission(int index);
    void ShowQuestion(int row);
    void KeepFields();

    SStudentResult& student;
    std::string folder;
    const SSubmission* shown = nullptr;
    int question = -1;
    QComboBox* submissions;
    QListWidget* questions;
    QPlainTextEdit* details;
    CNetView* nets;
    QCheckBox* overriding;
    QDoubleSpinBox* points;
    QLineEdit* note;
    QCheckBox* accepted;
};

}  // namespace orvane
