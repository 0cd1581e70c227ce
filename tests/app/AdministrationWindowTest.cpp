// SPDX-License-Identifier: GPL-3.0-or-later
// The administration window: the users panel (the list, the account fields and the buttons
// that change accounts), the tests panel (a user's tests, their questions, the generator),
// remote access with the messages of its sessions, and the About window of the context menu.

#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDateTime>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "GuiTestSupport.h"
#include "app/AboutDlg.h"
#include "app/ExportDlg.h"
#include "app/ImportDlg.h"
#include "app/OrvaneDlg.h"
#include "common/ExamFolders.h"
#include "generator/TestGenerator.h"
#include "support/LoopbackClient.h"

namespace orvane {
namespace {

using test::ModalAnswers;
using Logins = std::vector<std::pair<std::u16string, bool>>;

// An administration window opened by "ucitel", shown and active, over the accounts ucitel
// (teacher), jana and Peter, a worked-out test of jana's and a pool of three questions; and
// what its users panel and tests panel show.
class AdministrationWindow : public test::GuiTest {
protected:
    void SetUp() override {
        test::WriteUsersFile({{u"ucitel", u"Ján Učiteľ", u"tajne", true},
                              {u"jana", u"Jana Kováčová", u"j", false},
                              {u"Peter", u"Peter Novák", u"p", false}});
        // Loading turns the stored list round: the window lists Tretia, Druhá, Prvá.
        test::WriteTestFile(
            "testdb",
            test::MakeTest(
                1, u"jana", false,
                {test::MakeQuestion(QuestionKind::ChooseAnswers, 4, u"Prvá", 3, u"Text 1"),
                 test::MakeQuestion(QuestionKind::DrawNet, 7, u"Druhá", 5, u"Text 2"),
                 test::MakeQuestion(QuestionKind::CompleteNet, 2, u"Tretia", 2, u"Text 3")}));
        test::WriteTestFile("quesdb",
                            test::MakeTest(0, u"", true,
                                           {test::MakeQuestion(QuestionKind::DrawNet, 0, u"A"),
                                            test::MakeQuestion(QuestionKind::DrawNet, 1, u"B"),
                                            test::MakeQuestion(QuestionKind::DrawNet, 2, u"C")}));
        OpenWindow();
    }
    // Opens a new window, as a new start of the program does.
    void OpenWindow() {
        TearDown();
        window = std::make_unique<COrvaneDlg>();
        shown = window.get();
        {
            ModalAnswers answers;
            test::ExpectLogin(answers, "ucitel", "tajne");
            ASSERT_EQ(window->Open(), COrvaneDlg::OpenResult::Accepted);
        }
        window->show();
        Activate();
    }
    // Makes the window active again, as a message box that closes leaves it.
    void Activate() {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        if (window != nullptr) {
            window->done(QDialog::Rejected);  // closes it as the program does
        }
    }
    // Clicks the first line of a list with this text.
    void Choose(int listId, const QString& line) {
        auto* list = Ctl<QListWidget>(listId);
        const auto found = list->findItems(line, Qt::MatchExactly);
        ASSERT_FALSE(found.isEmpty()) << line.toStdString();
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(found.front()).center());
    }
    // Moves the focus to "Import ..." without pressing it.
    void LeaveField() { Ctl<QPushButton>(1011)->setFocus(); }

    QStringList Users() { return test::Lines(Ctl<QListWidget>(1006)); }

    // The accounts in "userdb", sorted.
    static Logins Saved() {
        auto logins = test::LoginsOf(*test::LoadUsersFile());
        std::sort(logins.begin(), logins.end());
        return logins;
    }
    // Answers a question whose safe answer, "Nie", is the default.
    static void ExpectQuestion(ModalAnswers& answers, const QString& text,
                               QMessageBox::StandardButton answer) {
        answers.Expect<QMessageBox>([text, answer](QMessageBox* box) {
            EXPECT_EQ(box->text(), text);
            EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::No));
            box->button(answer)->click();
        });
    }
    void Vycistit(QMessageBox::StandardButton answer) {
        ModalAnswers answers;
        ExpectQuestion(answers, QStringLiteral("Naozaj chcete odstrániť všetkých študentov?"),
                       answer);
        Click(1010);
    }

    QStringList TestLines() { return test::Lines(Ctl<QComboBox>(1007)); }
    QStringList Questions() { return test::Lines(Ctl<QListWidget>(1020)); }

    void ChooseTestLine(int line = 0) {
        Ctl<QComboBox>(1007)->setFocus();
        for (int down = 0; down <= line; ++down) {
            QTest::keyClick(Ctl<QComboBox>(1007), Qt::Key_Down);
        }
    }
    // Title line, points, question text and answer.
    QStringList View() {
        return {Ctl<QLineEdit>(1017)->text(), Ctl<QLineEdit>(1028)->text(),
                Ctl<QPlainTextEdit>(1018)->toPlainText(), Ctl<QPlainTextEdit>(1024)->toPlainText()};
    }
    const QStringList kCleared{"Nie je zvolená žiadna otázka", "0", "...", ""};

    std::unique_ptr<COrvaneDlg> window;
};

TEST_F(AdministrationWindow, ChosenAccountsShowTheirFieldsAndEveryChangeIsSavedAtOnce) {
    EXPECT_TRUE(Text(1013).isEmpty() && Text(1003).isEmpty() && Text(1015).isEmpty());
    Ctl<QListWidget>(1006)->setFocus();
    QTest::keyClick(Ctl<QListWidget>(1006), Qt::Key_Down);  // the first Down: the first line
    EXPECT_EQ(QStringList({Text(1013), Text(1003), Text(1015)}),
              (QStringList{"jana", "Jana Kováčová", "j"}));
    EXPECT_EQ(Ctl<QLineEdit>(1003)->cursorPosition(), 0) << "a name shows its beginning";
    QTest::mouseClick(window->findChild<QPushButton*>("revealButton"), Qt::LeftButton);
    EXPECT_EQ(Ctl<QLineEdit>(1015)->echoMode(), QLineEdit::Normal);
    Choose(1006, "ucitel");
    EXPECT_TRUE(Ctl<QLineEdit>(1015)->echoMode() == QLineEdit::Password && Text(1015) == "tajne");
    Choose(1006, "jana");

    auto* confirmation = Ctl<QLineEdit>(1016);
    for (const QString& typed : {QStringLiteral("ine"), QStringLiteral("nove")}) {
        EXPECT_TRUE(confirmation->isReadOnly());
        Type(1015, "nove");
        EXPECT_FALSE(confirmation->isReadOnly());
        test::Type(confirmation, typed);
        ModalAnswers answers;
        if (typed == "nove") {
            answers.ExpectMessage(QStringLiteral("Heslo konta „jana“ sa zmenilo a uložilo."));
        }
        LeaveField();
        Activate();
        EXPECT_TRUE(confirmation->text().isEmpty() && confirmation->isReadOnly());
        const auto users = test::LoadUsersFile();
        EXPECT_TRUE(users->FindLogin(u"jana") &&
                    users->CheckCurrentPassword(typed == "nove" ? u"nove" : u"j"));
    }

    Choose(1006, "Peter");
    Type(1003, "Peter Nový");
    Type(1013, "petko");  // leaving the name field saves the name
    LeaveField();
    auto* teacher = Ctl<QCheckBox>(1014);
    QTest::mouseClick(teacher, Qt::LeftButton, {}, QPoint(6, teacher->height() / 2));
    // The list becomes adam, jana, petko; the click that leaves the field chooses jana.
    Choose(1006, "ucitel");
    Type(1013, "adam");
    Choose(1006, "jana");
    {
        ModalAnswers answers;
        answers.Expect<QMessageBox>(
            [](QMessageBox* box) { box->button(QMessageBox::Yes)->click(); });
        Click(1009);
    }
    EXPECT_EQ(Users(), (QStringList{"adam", "petko"}));
    // The acting teacher, renamed, keeps their rights and cannot drop them.
    Choose(1006, "adam");
    ModalAnswers answers;
    answers.ExpectMessage(
        "Vlastnému kontu nemôžete zrušiť príznak „Učiteľ“: stratili by ste právo meniť kontá, a "
        "ak ste jediný učiteľ, nemohol by ich meniť nikto.");
    QTest::mouseClick(teacher, Qt::LeftButton, {}, QPoint(6, teacher->height() / 2));
    EXPECT_TRUE(teacher->isChecked());
    EXPECT_EQ(Saved(), (Logins{{u"adam", true}, {u"petko", true}}));
    const auto users = test::LoadUsersFile();
    EXPECT_TRUE(users->FindLogin(u"petko") && users->GetCurrentName() == u"Peter Nový");
}

// A removed student's kept tests go too.
TEST_F(AdministrationWindow, PlusMinusAndVycistitSaveAtOnceButNeverRemoveTheActingAccount) {
    const auto before = test::ReadBytes("userdb");
    for (const char* login : {"jana", "Peter", "ucitel"}) {
        ASSERT_TRUE(MakePrivateFolder(std::string(kKeptTestsFolder) + "/" + login).IsOk());
    }
    // Enter in a field does nothing, nor do minus without a login (as at opening) or on the
    // acting account, and "Vyčistiť" answered No.
    Ctl<QLineEdit>(1013)->setFocus();
    QTest::keyClick(Ctl<QLineEdit>(1013), Qt::Key_Return);
    EXPECT_TRUE(window->isVisible());
    Click(1009);
    Choose(1006, "ucitel");
    Click(1009);
    Vycistit(QMessageBox::No);
    EXPECT_EQ(test::ReadBytes("userdb"), before);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&No"), "&Nie");  // Qt's own texts

    Choose(1006, "jana");
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        ModalAnswers answers;
        ExpectQuestion(answers,
                       "Konto „jana“ má vygenerované testy (1) a odovzdané práce (0). Naozaj ho "
                       "chcete odstrániť? Jeho vygenerované testy sa odstránia s ním; odovzdané "
                       "práce zostanú v priečinku submissions.",
                       answer);
        Click(1009);
        EXPECT_EQ(Users().contains("jana"), answer == QMessageBox::No);
    }
    EXPECT_EQ(Text(1003), QStringLiteral("Jana Kováčová")) << "the fields keep their values";
    EXPECT_EQ(LoginFolders(kKeptTestsFolder).size(), 2u);
    Click(1008);
    QTest::keyClick(Ctl<QPushButton>(1008), Qt::Key_Return);  // Enter presses the focused button
    const QString added = QStringLiteral("zadajte_novy_login");
    EXPECT_EQ(Users(), (QStringList{"Peter", "ucitel", added, added}));
    EXPECT_EQ(Saved().size(), 4u);
    Choose(1006, added);
    EXPECT_EQ(Text(1003), QStringLiteral("Zadajte celé meno používateľa"));

    Vycistit(QMessageBox::Yes);
    EXPECT_EQ(Users(), QStringList{"ucitel"});
    EXPECT_EQ(Saved(), (Logins{{u"ucitel", true}}));
    EXPECT_EQ(LoginFolders(kKeptTestsFolder), std::vector<std::string>{"ucitel"});
}

// A "userdb" uploaded while the window is open is never written over: the change made then is
// not saved, and the window shows the uploaded accounts and says why.
TEST_F(AdministrationWindow, AnUploadedUserdbIsShownInsteadOfBeingWrittenOver) {
    Choose(1006, "Peter");
    test::WriteUsersFile({{u"ucitel", u"Ján Učiteľ", u"tajne", true},
                          {u"Peter", u"Peter Nahraný", u"p", false},
                          {u"novak", u"Nový Novák", u"n", false}});
    const auto uploaded = test::ReadBytes("userdb");
    ModalAnswers answers;
    answers.ExpectMessage(
        "Súbor userdb sa zmenil, odkedy ho okno načítalo alebo uložilo (nahral ho napríklad "
        "učiteľ cez vzdialený prístup). Okno ho neprepísalo: načítalo z neho kontá znova a "
        "ukazuje ich tak, ako sú uložené.\n\nVaša posledná zmena sa preto neuložila. Ak ju ešte "
        "chcete, urobte ju znova.");
    Type(1003, "Peter Zmenený");
    LeaveField();
    EXPECT_EQ(Users(), (QStringList{"novak", "Peter", "ucitel"}));
    EXPECT_EQ(Text(1003), QStringLiteral("Peter Nahraný"));
    EXPECT_EQ(test::ReadBytes("userdb"), uploaded);
}

// A login that another account has is refused; a renamed student takes the kept tests and
// submissions along, and the kept test stays the student's after a new start.
TEST_F(AdministrationWindow, ATakenLoginIsRefusedAndARenamedStudentKeepsTheirFiles) {
    const auto arrived =
        std::chrono::sys_days(std::chrono::March / 5 / 2026) + std::chrono::hours(12);
    for (const std::string& folder : {KeptTestsFolderOf(u"jana"), SubmissionsFolderOf(u"jana")}) {
        const bool kept = folder.starts_with(kKeptTestsFolder);
        ASSERT_TRUE(MakePrivateFolder(folder).IsOk());
        test::WriteTestFile(folder + "/" + KeptFileName(arrived, kept ? "test3" : "testdb_bla"),
                            test::MakeTest(kept ? 3 : 6, u"jana", kept));
    }
    OpenWindow();
    const auto before = test::ReadBytes("userdb");
    Choose(1006, "jana");
    {
        ModalAnswers answers;
        answers.ExpectMessage(
            "Konto s prihlasovacím menom „ucitel“ už existuje. Dve kontá nemôžu mať rovnaké "
            "prihlasovacie meno, preto sa konto nepremenovalo.");
        Type(1013, "ucitel");
        LeaveField();
    }
    EXPECT_TRUE(Text(1013) == "jana" && test::ReadBytes("userdb") == before);
    Activate();
    Type(1013, "jana.k");
    LeaveField();
    const QStringList lines{
        "ID:3    NA VYPRACOVANIE", "ID:1    VYPRACOVANÝ 1.1.2009",
        "ID:6    VYPRACOVANÝ " +
            QDateTime::fromSecsSinceEpoch(std::chrono::system_clock::to_time_t(arrived))
                .toString("d.M.yyyy H:mm")};
    Choose(1006, "jana.k");
    EXPECT_EQ(TestLines(), lines);
    OpenWindow();  // "testdb" itself keeps its test of jana
    Choose(1006, "jana.k");
    EXPECT_EQ(TestLines(), (QStringList{lines[0], lines[2]}));
}

// A class list as a Slovak spreadsheet saves it (Windows-1250, semicolons, a header, quoted
// names, one over lines 3 and 4): lines 5 and 20 are refused, the 30 others come in with one
// write (one message if it fails). The export lists "userdb"; 30 slips fill 3 pages.
TEST_F(AdministrationWindow, AClassIsImportedInOneWriteAndExportedWithLoginSlips) {
    std::string list = "Prihlasovacie meno;Cel\xE9 meno;Heslo;U\xE8ite\xBE\r\n";
    for (int line = 2; line <= 34; ++line) {
        const std::string n = std::to_string(line);
        const std::string login = line == 5 ? "jan novak" : line == 20 ? "jana" : "ziak" + n;
        list += login + ";\"\x8Eilka \"\"" + n + (line == 3 ? "\"\"\r\n" : "\"\"; ") +
                "\xBCubo\";" + (line % 2 ? "" : "h" + n) + (line < 4 ? ";\xC1no\r\n" : "\r\n");
        line += line == 3 ? 1 : 0;
    }
    test::WriteBytes("trieda.csv", std::vector<std::uint8_t>(list.begin(), list.end()));
    for (const bool fails : {true, false}) {
        ModalAnswers answers;
        answers.Expect<QFileDialog>([this](QFileDialog* files) {
            files->findChild<QLineEdit*>("fileNameEdit")
                ->setText(QString::fromStdString(folder.Path() + "/trieda.csv"));
            static_cast<QDialog*>(files)->accept();
        });
        answers.Expect<CImportDlg>([](CImportDlg* summary) {
            EXPECT_EQ(test::Lines(summary->findChild<QListWidget*>()),
                      (QStringList{"Riadok 5: prihlasovacie meno „jan novak“ obsahuje medzeru",
                                   "Riadok 20: konto „jana“ už existuje"}));
            summary->accept();
        });
        answers.ExpectMessage(
            fails ? "Súbor userdb sa nedá zapísať: súbor by bol väčší, ako je dovolené.\n\nZmena "
                    "sa neuložila; okno ukazuje kontá tak, ako sú uložené."
                  : "Import je hotový, pribudlo kont: 30. Zmeny sú uložené v súbore userdb.");
        test::UnderFileSizeLimit(fails ? 16 : 1 << 30, [&] { Click(1011); });
        EXPECT_EQ(Users().size(), fails ? 3 : 33);
    }
    const auto users = test::LoadUsersFile();
    EXPECT_TRUE(users->FindLogin(u"ziak8") && users->CheckCurrentPassword(u"h8") &&
                users->GetCurrentName() == u"Žilka \"8\"; Ľubo");

    ASSERT_TRUE(std::filesystem::create_directory("export"));  // the working folder is served
    qputenv("HOME", QByteArray::fromStdString(folder.Path() + "/export"));
    ModalAnswers answers;
    answers.Expect<CExportDlg>([](CExportDlg* exporter) { exporter->accept(); });
    answers.ExpectMessage("Export je hotový.");
    Click(1012);
    const auto csv = test::ReadBytes("export/konta.csv");
    const auto records = CAccountTable::Parse(std::string(csv.begin(), csv.end())).GetRecords();
    ASSERT_EQ(records.size(), 34u);  // the header, then every account
    for (std::size_t i = 1; i < records.size(); ++i) {
        ASSERT_TRUE(users->FindLogin(records[i].fields.at(0)));
        const CPNUser& user = *users->CurrentUser();
        EXPECT_EQ(records[i].fields,
                  (std::vector<std::u16string>{user.GetLogin(), user.GetName(), user.GetPassword(),
                                               user.IsTeacher() ? u"áno" : u"nie"}));
    }
    const auto pdf = test::ReadBytes("export/prihlasovacie-listky.pdf");
    EXPECT_EQ(QByteArrayView(pdf.data(), pdf.size()).count("/Type /Page\n"), 3);  // not /Pages
    for (const char* file : {"export/konta.csv", "export/prihlasovacie-listky.pdf"}) {
        EXPECT_EQ(std::filesystem::status(file).permissions(), std::filesystem::perms(0600));
    }
}

// Generated tests are kept beside "testdb" and show again, with their ids, in a new window;
// one that cannot be written is reported and lives in memory only. A kept submission shows
// after the student's tests with its date and the student's answers.
TEST_F(AdministrationWindow, AUsersTestsListTheirQuestionsAndGeneratedOnesAreKept) {
    const auto saved = test::ReadBytes("testdb");
    Choose(1006, "Peter");
    EXPECT_TRUE(TestLines().isEmpty());
    Choose(1006, "jana");
    EXPECT_EQ(TestLines(), QStringList{"ID:1    VYPRACOVANÝ 1.1.2009"});
    EXPECT_EQ(Ctl<QComboBox>(1007)->currentIndex(), -1);
    ChooseTestLine();
    EXPECT_EQ(Questions(), (QStringList{"2: Tretia", "7: Druhá", "4: Prvá"}));
    EXPECT_EQ(View(), kCleared);
    Choose(1020, "7: Druhá");
    EXPECT_EQ(View(), (QStringList{"7: Druhá", "5", "Text 2", ""}));
    Choose(1006, "Peter");
    EXPECT_EQ(View(), kCleared);
    EXPECT_TRUE(Questions().isEmpty()) << "the old test's questions go with the old user";

    Choose(1006, "jana");
    ASSERT_TRUE(MakePrivateFolder(KeptTestsFolderOf(u"jana")).IsOk());
    test::WriteBytes("tests/Peter", {});
    {
        ModalAnswers answers;
        answers.Expect<CTestGenerator>([](CTestGenerator* generator) {
            EXPECT_EQ(test::Control<QLineEdit>(generator, 1030)->text(), QStringLiteral("3"));
            test::Type(test::Control<QLineEdit>(generator, 1024), "2");
            test::TypeText(test::Control<QComboBox>(generator, 1012), "0");
            QTest::mouseClick(test::Control<QPushButton>(generator, 1), Qt::LeftButton);
        });
        answers.Expect<QMessageBox>([](QMessageBox* box) {
            EXPECT_TRUE(
                box->text().startsWith("Vygenerovalo sa testov: 2, ale 1 z nich sa "
                                       "nepodarilo uložiť do priečinka "))
                << box->text().toStdString();
            EXPECT_TRUE(box->text().contains("(napríklad tests/Peter/"));
            EXPECT_FALSE(box->text().contains("userdb")) << "no account changed";
            box->button(QMessageBox::Ok)->click();
        });
        Click(1019);
    }
    // The new tests show when their user is chosen again.
    EXPECT_EQ(TestLines(), QStringList{"ID:1    VYPRACOVANÝ 1.1.2009"});
    Choose(1006, "Peter");
    EXPECT_EQ(TestLines(), QStringList{"ID:2    NA VYPRACOVANIE"});
    Choose(1006, "jana");
    EXPECT_EQ(TestLines(),
              (QStringList{"ID:0    NA VYPRACOVANIE", "ID:1    VYPRACOVANÝ 1.1.2009"}));
    ChooseTestLine();
    EXPECT_EQ(Questions().size(), 2);
    EXPECT_EQ(test::ReadBytes("testdb"), saved);

    OpenWindow();
    auto chosen = std::make_shared<CPNQuestion>(5, u"Voľba", u"Vyberte.", 2,
                                                std::vector<std::u16string>{u"áno", u"nie"},
                                                std::vector<bool>{true, false}, nullptr);
    chosen->SetAnswerFlag(1, true);
    ASSERT_TRUE(MakePrivateFolder(SubmissionsFolderOf(u"jana")).IsOk());
    // Arrived on a day of its own, which the tests list shows with its time.
    const auto arrived =
        std::chrono::sys_days(std::chrono::March / 6 / 2026) + std::chrono::hours(12);
    test::WriteTestFile("submissions/jana/" + KeptFileName(arrived, "testdb_bla"),
                        test::MakeTest(6, u"jana", false, {chosen}));
    test::WriteBytes(
        "submissions/jana/" + KeptFileName(arrived + std::chrono::hours(1), "testdb_bla"), {1});
    // A teacher's kept upload of a pool holds a test too, but it is no worked test.
    test::WriteTestFile(
        "submissions/jana/" + KeptFileName(arrived + std::chrono::hours(2), "quesdb"),
        test::MakeTest(8, u"jana", false, {chosen}));
    const std::string printed = test::Printed([&] {
        Choose(1006, "jana");
        Choose(1006, "Peter");
        EXPECT_TRUE(TestLines().isEmpty());
        Choose(1006, "jana");
    });
    EXPECT_EQ(QString::fromStdString(printed).count("Súbor sa nedá načítať ako test"), 1);
    // The local time to the minute, so that two uploads of one day differ.
    const QString local =
        QDateTime::fromSecsSinceEpoch(std::chrono::system_clock::to_time_t(arrived))
            .toString("d.M.yyyy H:mm");
    EXPECT_EQ(TestLines(), (QStringList{"ID:0    NA VYPRACOVANIE", "ID:1    VYPRACOVANÝ 1.1.2009",
                                        "ID:6    VYPRACOVANÝ " + local}));
    ChooseTestLine(2);
    Choose(1020, "5: Voľba");
    EXPECT_EQ(View(), (QStringList{"5: Voľba", "0", "Vyberte.", "Vybrané odpovede:\n- nie"}));
}

// A new start lists the kept tests without reading them all: a student's tests show with the
// ids and states they were kept with, newest first, and a generation gives ids that none of
// them has, shown or not.
TEST_F(AdministrationWindow, KeptTestsShowWithTheirIdsAndNoIdIsGivenTwice) {
    KeptTime time = std::chrono::sys_days(std::chrono::March / 5 / 2026) + std::chrono::hours(8);
    for (const auto& [login, id] : {std::pair{u"jana", 3}, {u"Peter", 0}, {u"jana", 5}}) {
        ASSERT_TRUE(MakePrivateFolder(KeptTestsFolderOf(login)).IsOk());
        test::WriteTestFile(
            KeptTestsFolderOf(login) + "/" +
                KeptFileName(time += std::chrono::minutes(1), "test" + std::to_string(id)),
            test::MakeTest(id, login, id == 3));
    }
    OpenWindow();
    Choose(1006, "jana");
    EXPECT_EQ(TestLines(), (QStringList{"ID:5    VYPRACOVANÝ 1.1.2009", "ID:3    NA VYPRACOVANIE",
                                        "ID:1    VYPRACOVANÝ 1.1.2009"}));
    {
        ModalAnswers answers;
        answers.Expect<CTestGenerator>([](CTestGenerator* generator) {
            test::Type(test::Control<QLineEdit>(generator, 1024), "1");
            test::TypeText(test::Control<QComboBox>(generator, 1012), "0");
            QTest::mouseClick(test::Control<QPushButton>(generator, 1), Qt::LeftButton);
        });
        answers.Expect<QMessageBox>(
            [](QMessageBox* box) { box->button(QMessageBox::Ok)->click(); });
        Click(1019);
    }
    Choose(1006, "Peter");
    EXPECT_EQ(TestLines(),
              (QStringList{"ID:4    NA VYPRACOVANIE", "ID:0    VYPRACOVANÝ 1.1.2009"}));
    Choose(1006, "jana");
    EXPECT_EQ(TestLines().front(), "ID:2    NA VYPRACOVANIE");
}

TEST_F(AdministrationWindow, TheContextMenuOpensTheAboutWindow) {
    ModalAnswers answers;
    answers.Expect<QMenu>([](QMenu* menu) {
        ASSERT_EQ(menu->actions().size(), 1);
        EXPECT_EQ(menu->actions().front()->text(), QStringLiteral("&O programe Orvane..."));
        menu->setActiveAction(menu->actions().front());
        QTest::keyClick(menu, Qt::Key_Return);
    });
    answers.Expect<CAboutDlg>([](CAboutDlg* about) {
        EXPECT_EQ(about->windowTitle(), QStringLiteral("O programe Orvane"));
        const auto* version = about->findChild<QLabel*>(QStringLiteral("versionLabel"));
        ASSERT_NE(version, nullptr);
        EXPECT_EQ(version->text(), QStringLiteral("Verzia " ORVANE_VERSION));
        about->accept();
    });
    const QPoint inside(10, 10);
    QContextMenuEvent event(QContextMenuEvent::Mouse, inside, window->mapToGlobal(inside));
    QApplication::sendEvent(window.get(), &event);
}

}  // namespace
}  // namespace orvane
