// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/ResultsDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "app/FileFailureText.h"
#include "app/ResultsPdf.h"
#include "app/ResultsSubmissionDlg.h"
#include "app/ResultsSummary.h"
#include "app/WidgetText.h"
#include "results/ResultsCsv.h"
#include "results/Similarity.h"

namespace orvane {
namespace {

constexpr int kFixedColumns = 3;  // login, name, time

// A cell that sorts by the number it shows.
class CNumberItem : public QTableWidgetItem {
public:
    CNumberItem(const QString& text, double value) : QTableWidgetItem(text) {
        setData(Qt::UserRole, value);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

QString RunName(const SExamRun& run) {
    return QStringLiteral("%1, testov: %2%3")
        .arg(ToQt(KeptTimeText(run.time)))
        .arg(run.tests.size())
        .arg(run.recorded ? QString() : QStringLiteral(" (zoskupené podľa času)"));
}

}  // namespace

CResultsDlg::CResultsDlg(QWidget* parent, std::string examFolder,
                         std::map<std::u16string, std::u16string> fullNames)
    : QDialog(parent), folder(std::move(examFolder)), names(std::move(fullNames)) {
    setWindowTitle(QStringLiteral("Výsledky"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    runChoice = new QComboBox(this);
    status = new QLabel(this);
    top->addWidget(new QLabel(QStringLiteral("Skúška:"), this));
    top->addWidget(runChoice, 1);
    top->addWidget(status);
    layout->addLayout(top);
    rows = new QTableWidget(this);
    rows->setEditTriggers(QAbstractItemView::NoEditTriggers);
    rows->setSelectionBehavior(QAbstractItemView::SelectRows);
    rows->setSelectionMode(QAbstractItemView::SingleSelection);
    layout->addWidget(rows, 3);
    summary = new CResultsSummary(this);
    similar = new QListWidget(this);
    similar->setMaximumHeight(90);
    layout->addWidget(summary, 2);
    layout->addWidget(new QLabel(ToQt(kSimilarTitle) + ":", this));
    layout->addWidget(similar);
    auto* buttons = new QHBoxLayout;
    auto* exportButton = new QPushButton(QStringLiteral("Export …"), this);
    auto* close = new QPushButton(QStringLiteral("Zavrieť"), this);
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    resize(900, 640);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(exportButton, &QPushButton::clicked, this, &CResultsDlg::ChooseExport);
    connect(rows, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        OpenStudent(rows->item(row, 0)->data(Qt::UserRole).toULongLong());
    });
    runs = ExamRuns(folder);
    for (const SExamRun& run : runs) {
        runChoice->addItem(RunName(run));
    }
    connect(runChoice, &QComboBox::currentIndexChanged, this, &CResultsDlg::Score);
    Score(runs.empty() ? -1 : 0);
}

CResultsDlg::~CResultsDlg() {
    if (worker.joinable()) {
        worker.join();
    }
}

void CResultsDlg::Score(int run) {
    if (worker.joinable()) {
        worker.join();  // a run chosen again waits for the one being scored
    }
    const unsigned current = ++round;
    if (run < 0 || static_cast<std::size_t>(run) >= runs.size()) {
        Show(current, std::make_shared<SResultsTable>());
        return;
    }
    status->setText(QStringLiteral("Vyhodnocujem…"));
    worker = std::thread([this, current, exam = runs[run], root = folder, known = names] {
        auto scored = std::make_shared<SResultsTable>(BuildResultsTable(exam, known, root));
        QMetaObject::invokeMethod(
            this, [this, current, scored] { Show(current, scored); }, Qt::QueuedConnection);
    });
}

void CResultsDlg::Show(unsigned shownRound, std::shared_ptr<SResultsTable> scored) {
    if (shownRound != round) {
        return;
    }
    table = std::move(scored);
    rows->setSortingEnabled(false);
    rows->clear();
    QStringList head{QStringLiteral("Login"), QStringLiteral("Meno"), QStringLiteral("Odovzdané")};
    for (std::size_t i = 0; i < table->questionColumns; ++i) {
        head << QStringLiteral("Otázka %1").arg(i + 1);
    }
    head << QStringLiteral("Spolu") << QStringLiteral("%") << QStringLiteral("Stav");
    rows->setColumnCount(static_cast<int>(head.size()));
    rows->setHorizontalHeaderLabels(head);
    rows->setRowCount(static_cast<int>(table->students.size()));
    for (std::size_t i = 0; i < table->students.size(); ++i) {
        FillRow(static_cast<int>(i), i);
    }
    rows->setSortingEnabled(true);
    rows->resizeColumnsToContents();
    summary->SetTable(table.get());
    similar->clear();
    for (const SSimilarGroup& group : table->similar) {
        QStringList logins;
        for (const std::u16string& login : group.logins) {
            logins << ToQt(login);
        }
        similar->addItem(
            QStringLiteral("otázka ID:%1 (%2), %3: %4")
                .arg(group.questionId)
                .arg(ToQt(group.title), ToQt(group.answer), logins.join(QStringLiteral(", "))));
    }
    status->setText(QStringLiteral("študentov: %1").arg(table->students.size()));
    emit TableShown();
}

void CResultsDlg::FillRow(int row, std::size_t index) {
    const SStudentResult& student = table->students[index];
    const SSubmission* latest = student.Latest();
    auto* login = new QTableWidgetItem(ToQt(student.login));
    login->setData(Qt::UserRole, static_cast<qulonglong>(index));
    rows->setItem(row, 0, login);
    rows->setItem(row, 1, new QTableWidgetItem(ToQt(student.name)));
    rows->setItem(row, 2, new QTableWidgetItem(latest ? ToQt(KeptTimeText(latest->time)) : ""));
    const int columns = static_cast<int>(table->questionColumns);
    for (int i = 0; i < columns; ++i) {
        if (static_cast<std::size_t>(i) >= student.points.size()) {
            rows->setItem(row, kFixedColumns + i, new CNumberItem({}, -1));
            continue;
        }
        const SFinalPoints& points = student.points[i];
        auto* cell = new CNumberItem(ToQt(PointsText(points.points)) +
                                         (points.overridden ? QStringLiteral(" *") : QString()) +
                                         (points.pending ? QStringLiteral(" ?") : QString()),
                                     points.points);
        cell->setToolTip(points.overridden ? QStringLiteral("body určil učiteľ")
                         : points.pending  ? ToQt(kPendingText)
                                           : QStringLiteral("automaticky"));
        rows->setItem(row, kFixedColumns + i, cell);
    }
    rows->setItem(row, kFixedColumns + columns,
                  new CNumberItem(latest ? ToQt(PointsText(student.total)) : "", student.total));
    rows->setItem(
        row, kFixedColumns + columns + 1,
        new CNumberItem(latest ? ToQt(PointsText(student.Percent())) : "", student.Percent()));
    auto* state = new QTableWidgetItem(ToQt(StateText(student.state)));
    if (latest != nullptr && (!latest->matches || latest->IsLate())) {
        state->setToolTip(
            latest->matches ? QStringLiteral("odovzdané neskoro o %1 min").arg(latest->lateMinutes)
                            : ToQt(latest->mismatch));
    }
    rows->setItem(row, kFixedColumns + columns + 2, state);
}

void CResultsDlg::OpenStudent(std::size_t index) {
    if (table == nullptr || index >= table->students.size()) {
        return;
    }
    CResultsSubmissionDlg dialog(this, table->students[index], folder);
    dialog.exec();
    // Decisions change the points and the state, never which answers are alike.
    ApplyDecisions(table->students[index]);
    Show(round, table);
}

void CResultsDlg::ChooseExport() {
    QMenu menu(this);
    QAction* csv = menu.addAction(QStringLiteral("Tabuľka (CSV)…"));
    menu.addAction(QStringLiteral("Na rozdanie (PDF)…"));
    QAction* chosen = menu.exec(QCursor::pos());
    if (chosen == nullptr) {
        return;
    }
    const bool asCsv = chosen == csv;
    const QString path = QFileDialog::getSaveFileName(
        this, windowTitle(), QDir::homePath() + (asCsv ? "/vysledky.csv" : "/vysledky.pdf"),
        asCsv ? QStringLiteral("CSV (*.csv)") : QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty()) {
        // Each export tells the teacher itself why a file was not written.
        asCsv ? ExportCsv(path) : ExportPdf(path);
    }
}

bool CResultsDlg::ExportCsv(const QString& path) {
    if (table == nullptr || Refuses(path)) {
        return false;
    }
    const std::string csv = ResultsCsv(*table);
    return Write(path, QByteArray(csv.data(), static_cast<qsizetype>(csv.size())));
}

bool CResultsDlg::ExportPdf(const QString& path) {
    if (table == nullptr || Refuses(path)) {
        return false;
    }
    // A page per student takes a while for a large class (about a second for 300 students):
    // the pages are drawn between the window's events under a progress dialog, shown at once,
    // that keeps this window from being changed meanwhile and can stop the export. The file is
    // written only after the last page, so a stopped export leaves no file behind.
    const std::shared_ptr<const SResultsTable> exported = table;
    const int students = static_cast<int>(exported->students.size());
    const QPointer<CResultsDlg> self(this);
    const QPointer<QProgressDialog> progress =
        new QProgressDialog(QStringLiteral("Ukladá sa PDF (%1 strán)…").arg(students + 1),
                            QStringLiteral("Zrušiť"), 0, students + 1, this);
    progress->setWindowTitle(windowTitle());
    progress->setWindowModality(Qt::WindowModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->show();
    const std::optional<QByteArray> pdf = ResultsPdf(*exported, [&progress](int drawn) {
        if (progress == nullptr || progress->wasCanceled()) {
            return false;
        }
        progress->setValue(drawn);
        QCoreApplication::processEvents();
        return progress != nullptr && !progress->wasCanceled();
    });
    if (self == nullptr) {  // the window went away meanwhile (the program is ending)
        return false;
    }
    delete progress.data();
    return pdf.has_value() && Write(path, *pdf);
}

bool CResultsDlg::Refuses(const QString& path) {
    const QString refusal = ServedExportRefusal(path, folder);
    if (!refusal.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), refusal);
    }
    return !refusal.isEmpty();
}

bool CResultsDlg::Write(const QString& path, const QByteArray& bytes) {
    const QString failure = WriteExport(path, bytes);
    if (!failure.isEmpty()) {
        QMessageBox::warning(this, windowTitle(), failure);
    }
    return failure.isEmpty();
}

CResultsDlg* ShowResultsWindow(QWidget* parent, const std::string& folder,
                               const std::map<std::u16string, std::u16string>& names) {
    auto* dialog = new CResultsDlg(parent, folder, names);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

}  // namespace orvane
