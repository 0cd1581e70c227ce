// The users panel: the list, the account fields and the buttons that change accounts.
#include <QCheckBox>
#include <algorithm>
#include <set>

#include "GuiTestSupport.h"

namespace orvane {
namespace {

using test::ModalAnswers;
using Logins = std::vector<std::pair<std::u16string, bool>>;

class UsersPanelTest : public test::WindowTest {
protected:
    void SetUp() override {
        test::WriteUsersFile({{u"ucitel", u"Ján Učiteľ", u"tajne", true},
                              {u"jana", u"Jana Kováčová", u"j", false},
                              {u"Peter", u"Peter Novák", u"p", false}});
        Open("ucitel", "tajne");
    }

    QStringList Users() { return test::Lines(Ctl<QListWidget>(1006)); }

    // The accounts in "userdb", sorted.
    static Logins Saved() {
        auto logins = test::LoginsOf(*test::LoadUsersFile());
        std::sort(logins.begin(), logins.end());
        return logins;
    }
};

TEST_F(UsersPanelTest, ChosenAccountsShowTheirFieldsAndAPasswordChangeNeedsAConfirmation) {
    EXPECT_EQ(Users(), (QStringList{"jana", "Peter", "ucitel"}));
    EXPECT_TRUE(Text(1013).isEmpty() && Text(1003).isEmpty() && Text(1015).isEmpty());
    Choose(1006, "ucitel");
    EXPECT_EQ(Text(1015), QStringLiteral("tajne"));
    EXPECT_TRUE(Ctl<QCheckBox>(1014)->isChecked());
    Choose(1006, "jana");
    EXPECT_EQ(QStringList({Text(1013), Text(1003), Text(1015)}),
              (QStringList{"jana", "Jana Kováčová", "j"}));
    EXPECT_FALSE(Ctl<QCheckBox>(1014)->isChecked());

    auto* confirmation = Ctl<QLineEdit>(1016);
    for (const QString& typed : {QStringLiteral("ine"), QStringLiteral("nove")}) {
        EXPECT_TRUE(confirmation->isReadOnly());
        Type(1015, "nove");
        EXPECT_FALSE(confirmation->isReadOnly());
        test::Type(confirmation, typed);
        LeaveField();
        EXPECT_TRUE(confirmation->text().isEmpty());
        EXPECT_TRUE(confirmation->isReadOnly());
        const auto users = test::LoadUsersFile();
        ASSERT_TRUE(users->FindLogin(u"jana"));
        EXPECT_TRUE(users->CheckCurrentPassword(typed == "nove" ? u"nove" : u"j"));
    }
}

TEST_F(UsersPanelTest, PlusTwiceAddsTwoStudentsWithDifferentPasswords) {
    Click(1008);
    Click(1008);
    EXPECT_EQ(Users().count("zadajte_novy_login"), 2);
    const auto users = test::LoadUsersFile();
    std::set<std::u16string> passwords;
    for (bool more = users->FindLogin(u"zadajte_novy_login"); more; more = users->Next()) {
        const CPNUser& user = *users->CurrentUser();
        if (user.GetLogin() == u"zadajte_novy_login") {
            EXPECT_EQ(user.GetName(), u"Zadajte celé meno používateľa");
            EXPECT_FALSE(user.IsTeacher());
            EXPECT_EQ(user.GetPassword().size(), 10u);
            passwords.insert(user.GetPassword());
        }
    }
    EXPECT_EQ(passwords.size(), 2u);
}

TEST_F(UsersPanelTest, MinusRemovesTheAccountButNeverTheActingOneNorAnEmptyLogin) {
    const auto before = test::ReadBytes("userdb");
    // Enter does nothing, nor do "Import ..." and "Export ...".
    Ctl<QPushButton>(1008)->setFocus();
    QTest::keyClick(Ctl<QPushButton>(1008), Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_Return);
    Click(1011);
    Click(1012);
    EXPECT_TRUE(window->isVisible());
    Click(1009);  // the login field is empty at opening
    Choose(1006, "ucitel");
    Click(1009);
    EXPECT_EQ(test::ReadBytes("userdb"), before);
    Choose(1006, "jana");
    Click(1009);
    EXPECT_EQ(Users(), (QStringList{"Peter", "ucitel"}));
    EXPECT_EQ(Saved(), (Logins{{u"Peter", false}, {u"ucitel", true}}));
    EXPECT_EQ(Text(1003), QStringLiteral("Jana Kováčová")) << "the fields keep their values";
}

TEST_F(UsersPanelTest, VycistitAsksFirstAndOnYesLeavesOnlyTeachers) {
    const auto before = test::ReadBytes("userdb");
    const QString question = QStringLiteral("Naozaj chcete odstrániť všetkých študentov?");
    for (const auto answer : {QMessageBox::No, QMessageBox::Yes}) {
        ModalAnswers answers;
        answers.ExpectMessage(question, answer);
        Click(1010);
        if (answer == QMessageBox::No) {
            EXPECT_EQ(test::ReadBytes("userdb"), before);
        }
    }
    EXPECT_EQ(Users(), QStringList{"ucitel"});
    EXPECT_EQ(Saved(), (Logins{{u"ucitel", true}}));
}

TEST_F(UsersPanelTest, LoginNameAndTeacherChangesAreSavedAtOnce) {
    Choose(1006, "Peter");
    Type(1003, "Peter Nový");
    Type(1013, "petko");  // leaving the name field saves the name
    LeaveField();
    auto* teacher = Ctl<QCheckBox>(1014);
    QTest::mouseClick(teacher, Qt::LeftButton, {}, QPoint(6, teacher->height() / 2));
    EXPECT_EQ(Users(), (QStringList{"jana", "petko", "ucitel"}));
    EXPECT_EQ(Saved(), (Logins{{u"jana", false}, {u"petko", true}, {u"ucitel", true}}));
    const auto users = test::LoadUsersFile();
    ASSERT_TRUE(users->FindLogin(u"petko"));
    EXPECT_EQ(users->GetCurrentName(), u"Peter Nový");
}

}  // namespace
}  // namespace orvane
