// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CTestsPanel: the tests panel of the administration window. It lists the chosen user's tests
// and kept submissions, the questions of the chosen one and the chosen question, and opens the
// test generator; every test the generator makes is kept in its student's folder at once.
#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "exam/KeptTests.h"

class QWidget;

namespace Ui {
class OrvaneDlg;
}

namespace orvane {

struct AdministrationState;
class CPNTest;
class CPNQuestion;
class CPNPetriNet;
class CNetView;

class CTestsPanel : public QObject {
    Q_OBJECT

public:
    // `chosenLogin` answers the login chosen in the accounts panel, as it stands now (a
    // rename changes it).
    CTestsPanel(Ui::OrvaneDlg& ui, AdministrationState& state,
                std::function<std::u16string()> chosenLogin, QWidget* window);

    // Lists the tests and submissions of the chosen login (none for none); no line is chosen.
    void ShowTestsOfChosenUser();

signals:
    // The generator made tests and changed the user database's file state: it is to be saved.
    void TestsGenerated();

private:
    struct Fields {
        std::u16string questionTitle;
        std::u16string questionText;
        std::u16string answerText;
        std::int32_t points = 0;
    };

    void ShowFields();
    void ClearQuestionView();
    void ClearQuestions();  // the view and the list of the chosen test's questions
    void FillTestCombo();
    void OnTestChosen(int index);
    bool SelectTestOfUser(int index);
    void OnQuestionChosen();
    void ShowNets(const CPNQuestion& question);
    std::shared_ptr<const CPNPetriNet> KeptKeyNet(std::int32_t questionId);
    void OnGenerateTests();
    void KeepGeneratedTests(const std::set<const CPNTest*>& before);

    Ui::OrvaneDlg& ui;
    AdministrationState& state;
    QWidget* window;
    Fields fields;
    std::function<std::u16string()> chosenLogin;
    CNetView* netView;  // the chosen question's nets; owned by the window
    // The chosen user's kept submissions, listed in the test combo after the user's tests
    // from the line `firstSubmissionLine` on, and the one chosen there (null for none).
    std::vector<SubmittedTest> submissions;
    int firstSubmissionLine = 0;
    std::shared_ptr<CPNTest> chosenSubmission;
};

}  // namespace orvane
