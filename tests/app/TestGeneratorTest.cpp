// The window "Generátor testov": its rows, its checks and a generation.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "GuiTestSupport.h"
#include "common/RandomSource.h"
#include "generator/TestGenerator.h"
#include "support/ExamFixtures.h"

namespace orvane {
namespace {

using test::MakeQuestion;
using test::ModalAnswers;

// Control numbers per row: available, requested, points combo, filter box.
struct RowIds {
    int available, requested, points, filter;
};
constexpr RowIds kRows[] = {{1016, 1013, 1007, 1021}, {1017, 1014, 1008, 1022},
                            {1018, 1015, 1009, 1023}, {1028, 1019, 1010, 1025},
                            {1029, 1020, 1011, 1026}, {1030, 1024, 1012, 1027},
                            {1034, 1031, 1032, 1033}, {1003, 1035, 1036, 1037}};
constexpr int kChoose = 0;
constexpr int kFillIn = 2;
constexpr int kDrawNet = 5;

class TestGeneratorTest : public test::GuiTest {
protected:
    void SetUp() override {
        ResetRandomSource();
        tests.AddTest(test::MakeTest(0, u"jana", false));
        tests.AddTest(test::MakeTest(1, u"jana", false));
        tests.AddTest(test::MakeTest(3, u"peter", false));
        pool = test::MakeTest(0, u"", true,
                              {MakeQuestion(QuestionKind::ChooseAnswers, 1, u"a", 10),
                               MakeQuestion(QuestionKind::ChooseAnswers, 2, u"b", 5),
                               MakeQuestion(QuestionKind::ChooseAnswers, 3, u"c", 10),
                               MakeQuestion(QuestionKind::DrawNet, 4, u"d", 1),
                               MakeQuestion(QuestionKind::DrawNet, 5, u"e", 2),
                               MakeQuestion(QuestionKind::DrawNet, 6, u"f", 3),
                               MakeQuestion(QuestionKind::Unset, 7, u"g", 10)});
    }

    std::unique_ptr<CTestGenerator> Make(const std::u16string& login = u"ucitel",
                                         const std::u16string& password = u"tajne") {
        auto window = std::make_unique<CTestGenerator>(*users, tests, *pool, login, password);
        window->show();
        return window;
    }

    template <class T>
    T* Ctl(CTestGenerator* window, int id) {
        return test::Control<T>(window, id);
    }

    void Type(CTestGenerator* window, int id, const QString& text) {
        QTest::keyClicks(Ctl<QLineEdit>(window, id), text);
    }

    void ChoosePoints(CTestGenerator* window, int row, const QString& text) {
        auto* combo = Ctl<QComboBox>(window, kRows[row].points);
        const int index = combo->findText(text);
        ASSERT_GE(index, 0);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    }

    // "Generuj", answering the messages expected.
    void Generate(CTestGenerator* window, const std::vector<QString>& messages = {}) {
        ModalAnswers answers;
        for (const QString& message : messages) {
            answers.ExpectMessage(message);
        }
        QTest::mouseClick(Ctl<QPushButton>(window, 1), Qt::LeftButton);
    }

    std::vector<std::shared_ptr<CPNTest>> NewTests() {
        std::vector<std::shared_ptr<CPNTest>> made;
        if (tests.First()) {
            do {
                if (tests.Current()->GetToBeWorkedOut()) {
                    made.push_back(tests.Current());
                }
            } while (tests.Next());
        }
        return made;
    }

    // Walked as: peter, jana, eva, ucitel.
    std::unique_ptr<CPNUserDB> users = test::MakeUsers({{u"ucitel", u"Učiteľ", u"tajne", true},
                                                        {u"eva", u"Eva", u"e", true},
                                                        {u"jana", u"Jana", u"j", false},
                                                        {u"peter", u"Peter", u"p", false}});
    CPNTestDB tests;
    std::shared_ptr<CPNTest> pool;
};

TEST_F(TestGeneratorTest, OpensWithThePoolsCountsAndPointsSortedAsText) {
    const auto window = Make();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Generátor testov"));
    EXPECT_EQ(Ctl<QLineEdit>(window.get(), kRows[kChoose].available)->text(), QStringLiteral("3"));
    EXPECT_EQ(Ctl<QLineEdit>(window.get(), kRows[kDrawNet].available)->text(), QStringLiteral("3"));
    EXPECT_EQ(Ctl<QLineEdit>(window.get(), kRows[1].available)->text(), QStringLiteral("0"));
    auto* points = Ctl<QComboBox>(window.get(), kRows[kChoose].points);
    ASSERT_EQ(points->count(), 2);
    EXPECT_EQ(points->itemText(0), QStringLiteral("10"));
    EXPECT_EQ(points->itemText(1), QStringLiteral("5"));
    EXPECT_TRUE(points->currentText().isEmpty());
    for (const RowIds& row : kRows) {
        EXPECT_TRUE(Ctl<QLineEdit>(window.get(), row.available)->isReadOnly());
        EXPECT_FALSE(Ctl<QCheckBox>(window.get(), row.filter)->isChecked());
    }
    const RowIds& fillIn = kRows[kFillIn];
    for (int id : {fillIn.available, fillIn.requested, fillIn.points, fillIn.filter}) {
        EXPECT_FALSE(test::Control<QWidget>(window.get(), id)->isEnabled()) << id;
    }
    EXPECT_EQ(Ctl<QLineEdit>(window.get(), 1004)->text(), QStringLiteral("0"));
}

TEST_F(TestGeneratorTest, TheFilterCountsOnlyQuestionsWithTheChosenPoints) {
    const auto window = Make();
    auto* available = Ctl<QLineEdit>(window.get(), kRows[kChoose].available);
    auto* filter = Ctl<QCheckBox>(window.get(), kRows[kChoose].filter);
    ChoosePoints(window.get(), kChoose, "10");
    EXPECT_EQ(available->text(), QStringLiteral("3")) << "no filter: the whole count";
    QTest::mouseClick(filter, Qt::LeftButton);
    EXPECT_EQ(available->text(), QStringLiteral("2"));
    ChoosePoints(window.get(), kChoose, "5");
    EXPECT_EQ(available->text(), QStringLiteral("1"));
    QTest::mouseClick(filter, Qt::LeftButton);
    EXPECT_EQ(available->text(), QStringLiteral("3")) << "unticking gives the whole count back";
}

TEST_F(TestGeneratorTest, CountsAndMinutesTakeOnlyWholeNumbers) {
    const auto window = Make();
    auto* requested = Ctl<QLineEdit>(window.get(), kRows[kChoose].requested);
    requested->clear();
    QTest::keyClicks(requested, "-4x2");
    EXPECT_EQ(requested->text(), QStringLiteral("42"));
    auto* minutes = Ctl<QLineEdit>(window.get(), 1004);
    minutes->clear();
    QTest::keyClicks(minutes, "1.5");
    EXPECT_EQ(minutes->text(), QStringLiteral("15"));
}

TEST_F(TestGeneratorTest, ATooLargeRequestShowsItsRowsMessageAndKeepsTheWindowOpen) {
    const auto window = Make();
    auto* requested = Ctl<QLineEdit>(window.get(), kRows[kDrawNet].requested);
    requested->clear();
    Type(window.get(), kRows[kDrawNet].requested, "4");
    Generate(window.get(), {"Požadovaný počet otázok 'Nakresli PN' je väčší ako celkový počet "
                            "týchto otázok. Test nie je možné zostaviť."});
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_TRUE(NewTests().empty());
    EXPECT_EQ(requested->text(), QStringLiteral("4"));
}

TEST_F(TestGeneratorTest, ARunGivesEveryStudentOneTestAndTeachersNone) {
    const auto window = Make();
    Ctl<QLineEdit>(window.get(), kRows[kChoose].requested)->clear();
    Type(window.get(), kRows[kChoose].requested, "2");
    ChoosePoints(window.get(), kChoose, "5");
    Ctl<QLineEdit>(window.get(), kRows[kDrawNet].requested)->clear();
    Type(window.get(), kRows[kDrawNet].requested, "1");
    QTest::keyClicks(Ctl<QComboBox>(window.get(), kRows[kDrawNet].points), "7");
    Ctl<QLineEdit>(window.get(), 1004)->clear();
    Type(window.get(), 1004, "45");
    Generate(window.get());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    const auto made = NewTests();
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0]->GetLogin(), u"jana");
    EXPECT_EQ(made[0]->GetId(), 4);
    EXPECT_EQ(made[1]->GetLogin(), u"peter");
    EXPECT_EQ(made[1]->GetId(), 2);
    for (const auto& test : made) {
        EXPECT_EQ(test->GetTimeLimit(), 45 * 60);
        EXPECT_EQ(test->GetQuestionCount(), 3);
        ASSERT_TRUE(test->FirstQuestion());
        do {
            const auto question = test->CurrentQuestion();
            EXPECT_EQ(question->GetPoints(), question->GetKind() == QuestionKind::DrawNet ? 7 : 5);
        } while (test->NextQuestion());
    }
}

TEST_F(TestGeneratorTest, WithTheFilterTheDrawnQuestionsKeepTheirPoints) {
    const auto window = Make();
    ChoosePoints(window.get(), kChoose, "10");
    QTest::mouseClick(Ctl<QCheckBox>(window.get(), kRows[kChoose].filter), Qt::LeftButton);
    Ctl<QLineEdit>(window.get(), kRows[kChoose].requested)->clear();
    Type(window.get(), kRows[kChoose].requested, "2");
    Generate(window.get());
    for (const auto& test : NewTests()) {
        EXPECT_TRUE(test->SelectQuestion(1));
        EXPECT_TRUE(test->SelectQuestion(3));
        EXPECT_EQ(test->CurrentQuestion()->GetPoints(), 10);
    }
    EXPECT_EQ(NewTests().size(), 2u);
}

TEST_F(TestGeneratorTest, ANonTeacherClosesTheWindowWithoutMakingTests) {
    const auto window = Make(u"jana", u"j");
    Ctl<QLineEdit>(window.get(), kRows[kDrawNet].requested)->clear();
    Type(window.get(), kRows[kDrawNet].requested, "9");
    Generate(window.get());
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_TRUE(NewTests().empty());
}

TEST_F(TestGeneratorTest, APoolTooSmallForADrawSaysSoAndCloses) {
    pool = test::MakeTest(0, u"", true,
                          {MakeQuestion(QuestionKind::DrawNet, 1, u"a"),
                           MakeQuestion(QuestionKind::DrawNet, 1, u"b")});
    const auto window = Make();
    Ctl<QLineEdit>(window.get(), kRows[kDrawNet].requested)->clear();
    Type(window.get(), kRows[kDrawNet].requested, "2");
    Generate(window.get(), {"Otázky v zásobníku nestačia na zostavenie testu."});
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_TRUE(NewTests().empty());
}

TEST_F(TestGeneratorTest, ZrusitMakesNothing) {
    const auto window = Make();
    QTest::mouseClick(Ctl<QPushButton>(window.get(), 2), Qt::LeftButton);
    EXPECT_EQ(window->result(), QDialog::Rejected);
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(NewTests().empty());
}

}  // namespace
}  // namespace orvane
