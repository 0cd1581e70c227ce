// The users panel: the list, the account fields and the buttons that change accounts.
#include <algorithm>
#include <set>

#include "WindowFixture.h"

namespace orvane {
namespace {

using test::ModalAnswers;

class UsersPanelTest : public test::WindowTest {
protected:
    void SetUp() override {
        test::WriteUsersFile({{u"ucitel", u"Ján Učiteľ", u"tajne", true},
                              {u"jana", u"Jana Kováčová", u"j", false},
                              {u"Peter", u"Peter Novák", u"p", false}});
        Open("ucitel", "tajne");
    }

    // The accounts in "userdb" as (login, teacher) pairs, sorted.
    static std::vector<std::pair<std::u16string, bool>> Saved() {
        auto logins = test::LoginsOf(*test::LoadUsersFile());
        std::sort(logins.begin(), logins.end());
        return logins;
    }
};

TEST_F(UsersPanelTest, TheWindowOpensWithSortedLoginsAndEmptyFields) {
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Orvane"));
    EXPECT_EQ(Lines(1006), (QStringList{"jana", "Peter", "ucitel"}));
    EXPECT_TRUE(Ctl<QListWidget>(1006)->selectedItems().isEmpty());
    for (int field : {1013, 1003, 1015, 1016}) {
        EXPECT_TRUE(Ctl<QLineEdit>(field)->text().isEmpty()) << field;
    }
    EXPECT_FALSE(Ctl<QCheckBox>(1014)->isChecked());
    EXPECT_TRUE(Ctl<QLineEdit>(1016)->isReadOnly());
    EXPECT_EQ(Ctl<QLineEdit>(1015)->echoMode(), QLineEdit::Password);
    EXPECT_EQ(Ctl<QLineEdit>(1028)->text(), QStringLiteral("0"));
}

TEST_F(UsersPanelTest, ChoosingAnAccountShowsItsFields) {
    Choose(1006, "jana");
    EXPECT_EQ(Ctl<QLineEdit>(1013)->text(), QStringLiteral("jana"));
    EXPECT_EQ(Ctl<QLineEdit>(1003)->text(), QStringLiteral("Jana Kováčová"));
    EXPECT_EQ(Ctl<QLineEdit>(1015)->text(), QStringLiteral("j"));
    EXPECT_FALSE(Ctl<QCheckBox>(1014)->isChecked());
    Choose(1006, "ucitel");
    EXPECT_EQ(Ctl<QLineEdit>(1015)->text(), QStringLiteral("tajne"));
    EXPECT_TRUE(Ctl<QCheckBox>(1014)->isChecked());
    EXPECT_EQ(Ctl<QLineEdit>(1017)->text(), QStringLiteral("Nie je zvolená žiadna otázka"));
    EXPECT_EQ(Ctl<QPlainTextEdit>(1018)->toPlainText(), QStringLiteral("..."));
}

TEST_F(UsersPanelTest, PlusTwiceAddsTwoStudentsWithDifferentPasswords) {
    Click(1008);
    Click(1008);
    EXPECT_EQ(Lines(1006).count("zadajte_novy_login"), 2);
    const auto users = test::LoadUsersFile();
    std::set<std::u16string> passwords;
    ASSERT_TRUE(users->First());
    do {
        if (users->GetCurrentLogin() != u"zadajte_novy_login") {
            continue;
        }
        EXPECT_EQ(users->GetCurrentName(), u"Zadajte celé meno používateľa");
        EXPECT_FALSE(users->CurrentUser()->IsTeacher());
        const std::u16string password = users->CurrentUser()->GetPassword();
        EXPECT_EQ(password.size(), 10u);
        passwords.insert(password);
    } while (users->Next());
    EXPECT_EQ(passwords.size(), 2u);
}

TEST_F(UsersPanelTest, MinusNeverRemovesTheActingAccountNorAnEmptyLogin) {
    const auto before = test::ReadBytes("userdb");
    Click(1009);  // the login field is empty at opening
    Choose(1006, "ucitel");
    Click(1009);
    EXPECT_EQ(test::ReadBytes("userdb"), before);
    EXPECT_EQ(Lines(1006), (QStringList{"jana", "Peter", "ucitel"}));
}

TEST_F(UsersPanelTest, MinusRemovesTheAccountAndTheFieldsKeepItsValues) {
    Choose(1006, "jana");
    Click(1009);
    EXPECT_EQ(Lines(1006), (QStringList{"Peter", "ucitel"}));
    EXPECT_EQ(Saved(),
              (std::vector<std::pair<std::u16string, bool>>{{u"Peter", false}, {u"ucitel", true}}));
    EXPECT_EQ(Ctl<QLineEdit>(1013)->text(), QStringLiteral("jana"));
    EXPECT_EQ(Ctl<QLineEdit>(1003)->text(), QStringLiteral("Jana Kováčová"));
}

TEST_F(UsersPanelTest, VycistitAsksFirstAndOnYesLeavesOnlyTeachers) {
    const auto before = test::ReadBytes("userdb");
    const QString question = QStringLiteral("Naozaj chcete odstrániť všetkých študentov?");
    {
        ModalAnswers answers;
        answers.ExpectMessage(question, QMessageBox::No);
        Click(1010);
    }
    EXPECT_EQ(test::ReadBytes("userdb"), before);
    EXPECT_EQ(Lines(1006).size(), 3);
    {
        ModalAnswers answers;
        answers.ExpectMessage(question, QMessageBox::Yes);
        Click(1010);
    }
    EXPECT_EQ(Lines(1006), QStringList{"ucitel"});
    EXPECT_EQ(Saved(), (std::vector<std::pair<std::u16string, bool>>{{u"ucitel", true}}));
}

TEST_F(UsersPanelTest, APasswordChangeNeedsAMatchingConfirmation) {
    auto* confirmation = Ctl<QLineEdit>(1016);
    Choose(1006, "jana");
    EXPECT_TRUE(confirmation->isReadOnly());
    Retype(1015, "nove");
    EXPECT_FALSE(confirmation->isReadOnly());
    Retype(1016, "ine");
    LeaveField();
    EXPECT_TRUE(confirmation->text().isEmpty());
    EXPECT_TRUE(confirmation->isReadOnly());
    auto users = test::LoadUsersFile();
    ASSERT_TRUE(users->FindLogin(u"jana"));
    EXPECT_TRUE(users->CheckCurrentPassword(u"j"));

    Retype(1015, "nove");
    Retype(1016, "nove");
    LeaveField();
    EXPECT_TRUE(confirmation->isReadOnly());
    users = test::LoadUsersFile();
    ASSERT_TRUE(users->FindLogin(u"jana"));
    EXPECT_TRUE(users->CheckCurrentPassword(u"nove"));
}

TEST_F(UsersPanelTest, LeavingTheLoginFieldRenamesTheAccount) {
    Choose(1006, "Peter");
    Retype(1013, "jana");  // a login that another account has is accepted too
    LeaveField();
    EXPECT_EQ(Lines(1006), (QStringList{"jana", "jana", "ucitel"}));
    const auto users = test::LoadUsersFile();
    int named = 0;
    ASSERT_TRUE(users->First());
    do {
        named += users->GetCurrentName() == u"Peter Novák" && users->GetCurrentLogin() == u"jana";
    } while (users->Next());
    EXPECT_EQ(named, 1);
}

TEST_F(UsersPanelTest, TheFullNameAndTheTeacherBoxAreSavedAtOnce) {
    Choose(1006, "Peter");
    Retype(1003, "Peter Nový");
    LeaveField();
    auto* teacher = Ctl<QCheckBox>(1014);
    QTest::mouseClick(teacher, Qt::LeftButton, {}, QPoint(6, teacher->height() / 2));
    const auto users = test::LoadUsersFile();
    ASSERT_TRUE(users->FindLogin(u"Peter"));
    EXPECT_EQ(users->GetCurrentName(), u"Peter Nový");
    EXPECT_TRUE(users->CurrentUser()->IsTeacher());
}

TEST_F(UsersPanelTest, EnterDoesNothingAndImportExportAreInert) {
    const auto before = test::ReadBytes("userdb");
    Ctl<QPushButton>(1008)->setFocus();
    QTest::keyClick(window.get(), Qt::Key_Return);
    QTest::keyClick(Ctl<QPushButton>(1008), Qt::Key_Return);
    Click(1011);
    Click(1012);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Lines(1006).size(), 3);
    EXPECT_EQ(test::ReadBytes("userdb"), before);
}

}  // namespace
}  // namespace orvane
