// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CResultsDlg, "Výsledky": the results of one exam (one run of the generator) of the working
// folder: a sortable row per student with the points per question (set by the teacher: marked
// "*"), total, percentage and state; the summary picture; the similar submissions; and the
// exports (CSV, PDF). The table is scored on a thread of its own; a row opens the submission.
#include <QDialog>
#include <atomic>
#include <map>
#include <memory>
#include <string>
#include <thread>

#include "results/ResultsTable.h"

class QComboBox;
class QLabel;
class QListWidget;
class QTableWidget;

namespace orvane {

class CResultsSummary;

class CResultsDlg : public QDialog {
    Q_OBJECT

public:
    // `folder`: the working folder; `names`: the full name of each login.
    CResultsDlg(QWidget* parent, std::string folder,
                std::map<std::u16string, std::u16string> names);
    ~CResultsDlg() override;

    const SResultsTable* Table() const { return table.get(); }
    QTableWidget* TableWidget() const { return rows; }
    // Writes the exports; false (with a message) when refused or not written, and (without
    // one) when the teacher stops the PDF export.
    bool ExportCsv(const QString& path);
    bool ExportPdf(const QString& path);
    // Opens the submission of the student in table row `index` (of the scored table).
    void OpenStudent(std::size_t index);

signals:
    // The table of the chosen run is scored and shown.
    void TableShown();

private:
    void Score(int run);
    void Show(unsigned round, std::shared_ptr<SResultsTable> scored);
    void FillRow(int row, std::size_t index);
    void ChooseExport();
    bool Refuses(const QString& path);
    bool Write(const QString& path, const QByteArray& bytes);

    std::string folder;
    std::map<std::u16string, std::u16string> names;
    std::vector<SExamRun> runs;
    std::shared_ptr<SResultsTable> table;
    QComboBox* runChoice;
    QLabel* status;
    QTableWidget* rows;
    CResultsSummary* summary;
    QListWidget* similar;
    std::thread worker;
    unsigned round = 0;
};

// Opens the results window of the working folder `folder` (not modal; it closes itself).
CResultsDlg* ShowResultsWindow(QWidget* parent, const std::string& folder,
                               const std::map<std::u16string, std::u16string>& names);

}  // namespace orvane
