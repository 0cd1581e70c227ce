#pragma once
// COrvaneDlg: the administration window "Orvane". At opening it loads "userdb", "testdb" and
// the question pool from "quesdb" and asks for a login; it then owns the user database, the
// test database and the pool until the program ends. The users panel changes accounts (each
// change is written to "userdb" at once), imports a class's accounts from a spreadsheet and
// exports them with their login slips; the tests panel shows tests and their questions, opens
// the test generator and switches remote access on and off.
//
// The window keeps its own copy of every field's value, read from the controls and shown
// into them at the moments its commands say, so a command sees the values as they were last
// read, not whatever is being typed.
#include <QDialog>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/QtOperatorMessages.h"
#include "common/FileResult.h"
#include "exam/KeptTests.h"
#include "users/AccountTable.h"
#include "users/UserDBFile.h"

class QListWidget;

namespace Ui {
class OrvaneDlg;
}

namespace orvane {

class CPNTest;
class CPNTestDB;
class CPNUserDB;

class COrvaneDlg : public QDialog {
    Q_OBJECT

public:
    enum class OpenResult { Accepted, Cancelled, Unreadable };

    explicit COrvaneDlg(QWidget* parent = nullptr);
    ~COrvaneDlg() override;

    // Loads the databases and runs the login window; the window may be shown only when
    // this answers Accepted.
    OpenResult Open();

    void accept() override;  // Enter does nothing
    void done(int result) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Fields {
        std::u16string login;
        std::u16string name;
        std::u16string password;
        std::u16string confirmation;
        bool teacher = false;
        std::u16string questionTitle;
        std::u16string questionText;
        std::u16string answerText;
        std::int32_t points = 0;
    };

    void ConnectControls();
    bool LoadDatabases();
    bool LoadQuestionPool();
    // Shows why the file cannot be used; false, for the opening to end.
    static bool RefuseFile(std::u16string_view fileName, const CFileResult& result);
    void AddFirstRunAccount();

    void ReadFields();
    void ShowFields();
    void ReadAccount();  // the fields of the account under the user database's cursor
    // Writes "userdb" and refills the user list; false when the write failed, after which the
    // list and the fields of the account stored as `chosenLogin` show what is stored.
    // `keepLines` keeps the list's lines in place until a click on it has chosen one. False too
    // when "userdb" had changed on disk: the window then shows what it holds now. `edited`
    // says that the save is for a change of the accounts, which is then not saved.
    bool SaveAndRefresh();
    bool SaveAndRefresh(const std::u16string& chosenLogin, bool keepLines, bool edited = true);
    bool SaveUsers(bool edited = true);
    void FillUserList();
    std::vector<ListedAccount> ListAccounts();  // in the order of the user list
    static bool ChoosesFirstLine(QObject* watched, const QKeyEvent* event);
    void ClearQuestionView();
    void ClearQuestions();  // the view and the list of the chosen test's questions
    void FillTestCombo();
    static int ChosenRow(const QListWidget* list);

    void OnUserChosen();
    void OnLoginLeft(bool listClicked);
    void RefuseTakenLogin(const std::u16string& before);
    void FollowRenamedLogin(const std::u16string& before);
    void OnNameLeft();
    void OnTeacherClicked();
    void OnConfirmationLeft();
    void OnAddStudent();
    void OnRemoveUser();
    void OnRemoveAllStudents();
    bool RefusesStudent();
    void OnImport();
    void OnExport();
    void OnTestChosen(int index);
    bool SelectTestOfUser(int index);
    void OnQuestionChosen();
    void OnGenerateTests();
    void KeepGeneratedTests(const std::set<const CPNTest*>& before);
    void ShowAbout();

    std::unique_ptr<Ui::OrvaneDlg> ui;
    Fields fields;
    std::u16string actingLogin;
    std::u16string actingPassword;
    std::unique_ptr<CPNUserDB> users;
    CUserDBFile userFile;
    std::unique_ptr<CPNTestDB> tests;
    std::shared_ptr<CPNTest> pool;
    std::shared_ptr<CQtOperatorMessages> operatorMessages;
    bool closing = false;
    // The chosen user's kept submissions, listed in the test combo after the user's tests
    // from the line `firstSubmissionLine` on, and the one chosen there (null for none).
    std::vector<SubmittedTest> submissions;
    int firstSubmissionLine = 0;
    std::shared_ptr<CPNTest> chosenSubmission;
};

}  // namespace orvane
