#pragma once
// CTestGenerator: the window "Generátor testov". Per question kind it shows how many pool
// questions there are and asks how many to draw, for how many points, and whether to draw
// only questions that already carry those points; "Generuj" makes one test per student.
#include <QDialog>
#include <array>
#include <memory>
#include <string>

#include "generator/TestDraw.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

namespace Ui {
class TestGenerator;
}

namespace orvane {

class CTestGenerator : public QDialog {
    Q_OBJECT

public:
    // The databases and the pool are not owned; they must outlive the window.
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

    void FindRowControls();
    void FillRows();
    void RecountRow(int row);
    CTestDraw::Rows ReadRows() const;
    CTestDraw::Result Generate();
    void ShowMessage(const std::u16string& text);

    std::unique_ptr<Ui::TestGenerator> ui;
    std::array<RowControls, CTestDraw::kRowCount> rowControls{};
    CTestDraw draw;
};

}  // namespace orvane
