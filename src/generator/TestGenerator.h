// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CTestGenerator: the window "Generátor testov". Per question kind it shows how many pool
// questions there are and asks how many to draw, for how many points, and whether to draw
// only questions that already carry those points; "Generuj" makes one test per student.
// The pool is read from "quesdb" each time the window opens, so that questions packed while
// the administration window was open are offered at once.
#include <QDialog>
#include <array>
#include <memory>
#include <string>

#include "common/FileResult.h"
#include "generator/TestDraw.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace Ui {
class TestGenerator;
}

namespace orvane {

// The test that "quesdb" holds now, whose questions are the pool; none when the file is
// missing (it is then not opened, and `result` is Ok) or does not load (`result` says why).
std::shared_ptr<CPNTest> ReadQuestionPool(CFileResult& result);

class CTestGenerator : public QDialog {
    Q_OBJECT

public:
    // The databases are not owned; they must outlive the window. `pool` is the pool read
    // before: the window offers it when "quesdb" is missing or cannot be read now.
    CTestGenerator(CPNUserDB& users, CPNTestDB& tests, CPNTest& pool, std::u16string actingLogin,
                   std::u16string actingPassword, QWidget* parent = nullptr);
    ~CTestGenerator() override;

    // "Generuj".
    void accept() override;

private:
    struct RowControls {
        QLineEdit* available;
        QLineEdit* requested;
        QComboBox* points;
        QCheckBox* filter;
    };

    bool RefusesRowWithoutPoints();
    void FindRowControls();
    void FillRows();
    void RecountRow(int row);
    CTestDraw::Rows ReadRows() const;
    CTestDraw::Result Generate();
    void ShowMessage(const std::u16string& text);

    std::unique_ptr<Ui::TestGenerator> ui;
    std::array<RowControls, CTestDraw::kRowCount> rowControls{};
    bool poolUnreadable = false;
    std::shared_ptr<CPNTest> readPool;  // none: the pool given; before the draw, which uses it
    CTestDraw draw;
};

}  // namespace orvane
