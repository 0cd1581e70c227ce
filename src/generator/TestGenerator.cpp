// SPDX-License-Identifier: GPL-3.0-or-later
#include "generator/TestGenerator.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QProgressDialog>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <algorithm>
#include <filesystem>

#include "common/FileNames.h"
#include "ui_TestGenerator.h"

namespace orvane {

namespace {

// Counts and minutes: non-negative whole numbers small enough for 32 bits.
const QRegularExpression kCountPattern(QStringLiteral("[0-9]{0,9}"));
// Points: 0 to 32767, what a question can carry; nothing typed means 0.
const QRegularExpression kPointsPattern(QStringLiteral(
    "0|[1-9][0-9]{0,3}|[12][0-9]{4}|3[01][0-9]{3}|32[0-6][0-9]{2}|327[0-5][0-9]|3276[0-7]|"));
// A generation that takes longer than this shows its progress.
constexpr int kProgressAfterMs = 500;

std::int32_t ReadNumber(const QLineEdit* field) {
    return field->text().toInt();
}

// The test that "quesdb" holds now; none when the file is missing, or `unreadable` is set.
std::shared_ptr<CPNTest> ReadPool(bool& unreadable) {
    CFileResult result;
    std::shared_ptr<CPNTest> pool = ReadQuestionPool(result);
    unreadable = !result.IsOk() && !result.IsMissing();
    return pool;
}

}  // namespace

std::shared_ptr<CPNTest> ReadQuestionPool(CFileResult& result) {
    result = {};
    std::error_code ignored;
    if (!std::filesystem::exists(kQuestionDBFile, ignored)) {
        return nullptr;
    }
    CPNTestDB store;
    result = store.Load(std::u16string(kQuestionDBName));
    return result.IsOk() && store.First() ? store.Current() : nullptr;
}

CTestGenerator::CTestGenerator(CPNUserDB& users, CPNTestDB& tests, CPNTest& pool,
                               std::u16string actingLogin, std::u16string actingPassword,
                               QWidget* parent)
    : QDialog(parent),
      ui(std::make_unique<Ui::TestGenerator>()),
      readPool(ReadPool(poolUnreadable)),
      draw(users, tests, readPool ? *readPool : pool, std::move(actingLogin),
           std::move(actingPassword)) {
    ui->setupUi(this);
    FindRowControls();
    ui->minutes->setValidator(new QRegularExpressionValidator(kCountPattern, ui->minutes));
    ui->minutes->setText(QStringLiteral("0"));
    connect(ui->cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->generateButton, &QPushButton::clicked, this, &CTestGenerator::accept);
    for (int row = 0; row < CTestDraw::kRowCount; ++row) {
        const RowControls& controls = rowControls[row];
        controls.requested->setValidator(new QRegularExpressionValidator(kCountPattern, this));
        controls.requested->setText(QStringLiteral("0"));
        controls.points->setValidator(new QRegularExpressionValidator(kPointsPattern, this));
        connect(controls.filter, &QCheckBox::clicked, this, [this, row] { RecountRow(row); });
        connect(controls.points, &QComboBox::activated, this, [this, row] { RecountRow(row); });
        connect(controls.points->lineEdit(), &QLineEdit::textEdited, this,
                [this, row] { RecountRow(row); });
    }
    FillRows();
    if (poolUnreadable) {  // said once the window shows
        QTimer::singleShot(0, this, [this] {
            ShowMessage(
                u"Súbor quesdb sa teraz nedá načítať. Generátor ponúka otázky zásobníka "
                u"tak, ako ich program načítal skôr.");
        });
    }
}

CTestGenerator::~CTestGenerator() = default;

// The form names each row's controls "available<row>", "requested<row>", "points<row>" and
// "filter<row>".
void CTestGenerator::FindRowControls() {
    for (int row = 0; row < CTestDraw::kRowCount; ++row) {
        const QString number = QString::number(row);
        rowControls[row] = {findChild<QLineEdit*>(QStringLiteral("available") + number),
                            findChild<QLineEdit*>(QStringLiteral("requested") + number),
                            findChild<QComboBox*>(QStringLiteral("points") + number),
                            findChild<QCheckBox*>(QStringLiteral("filter") + number)};
    }
}

void CTestGenerator::FillRows() {
    for (int row = 0; row < CTestDraw::kRowCount; ++row) {
        rowControls[row].available->setText(QString::number(draw.CountAll(row)));
        QStringList texts;  // each text once
        for (const std::u16string& text : draw.PointTexts(row)) {
            texts << QString::fromStdU16String(text);
        }
        texts.sort();  // as text: "10" before "5"
        rowControls[row].points->addItems(texts);
        // Nothing is chosen at opening: the row's points value is 0 until the teacher picks.
        rowControls[row].points->setCurrentIndex(-1);
    }
}

// Unticking the filter gives the row back its whole count.
void CTestGenerator::RecountRow(int row) {
    const RowControls& controls = rowControls[row];
    const auto points = CTestDraw::ParsePoints(controls.points->currentText().toStdU16String());
    const std::int32_t count =
        controls.filter->isChecked() ? draw.CountWithPoints(row, points) : draw.CountAll(row);
    controls.available->setText(QString::number(count));
}

CTestDraw::Rows CTestGenerator::ReadRows() const {
    CTestDraw::Rows rows;
    for (int row = 0; row < CTestDraw::kRowCount; ++row) {
        const RowControls& controls = rowControls[row];
        rows[row].available = ReadNumber(controls.available);  // read-only: the last count
        rows[row].requested = ReadNumber(controls.requested);
        rows[row].points = CTestDraw::ParsePoints(controls.points->currentText().toStdU16String());
        rows[row].filter = controls.filter->isChecked();
    }
    return rows;
}

void CTestGenerator::accept() {
    if (RefusesRowWithoutPoints()) {
        return;  // the window stays open with everything typed
    }
    const CTestDraw::Result result = Generate();
    switch (result.outcome) {
        case CTestDraw::Outcome::TooMany:
            ShowMessage(CTestDraw::TooManyMessage(result.row));
            return;  // the window stays open with everything typed
        case CTestDraw::Outcome::PoolTooSmall:
            ShowMessage(CTestDraw::PoolTooSmallMessage());
            break;
        case CTestDraw::Outcome::Done:
            break;
    }
    QDialog::accept();
}

// A row that asks for questions needs its points typed or chosen: an empty field would give
// every drawn question 0 points.
bool CTestGenerator::RefusesRowWithoutPoints() {
    for (int row = 0; row < CTestDraw::kRowCount; ++row) {
        const RowControls& controls = rowControls[row];
        if (ReadNumber(controls.requested) > 0 &&
            controls.points->currentText().trimmed().isEmpty()) {
            ShowMessage(CTestDraw::NoPointsMessage(row));
            controls.points->setFocus();
            return true;
        }
    }
    return false;
}

// Many students take a while: the progress dialog keeps the windows painted meanwhile. It
// cannot stop a run halfway, so it has no cancel button.
CTestDraw::Result CTestGenerator::Generate() {
    QProgressDialog progress(QStringLiteral("Generujú sa testy ..."), QString(), 0, 100, this);
    progress.setWindowTitle(windowTitle());
    progress.setMinimumWidth(fontMetrics().horizontalAdvance(windowTitle()) * 3);  // whole title
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(kProgressAfterMs);
    progress.setCancelButton(nullptr);
    progress.setValue(0);
    int shown = -1;
    return draw.Generate(ReadRows(), ReadNumber(ui->minutes), [&](int done, int total) {
        const int percent = static_cast<int>(100LL * done / std::max(total, 1));
        if (percent != shown) {  // each step paints, so only a new percentage is shown
            shown = percent;
            progress.setValue(percent);
        }
    });
}

void CTestGenerator::ShowMessage(const std::u16string& text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(),
                    QString::fromStdU16String(text), QMessageBox::Ok, this);
    box.exec();
}

}  // namespace orvane
