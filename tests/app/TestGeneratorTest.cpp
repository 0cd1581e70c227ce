// SPDX-License-Identifier: GPL-3.0-or-later
// The window "Generátor testov": its rows, what it accepts, its messages and a generation.
#include <QCheckBox>

#include "GuiTestSupport.h"
#include "common/RandomSource.h"
#include "generator/TestGenerator.h"

namespace orvane {
namespace {

using test::MakeQuestion;
using test::ModalAnswers;

// Control numbers of a row: available, requested, points combo, filter box.
struct RowIds {
    int available, requested, points, filter;
};
constexpr RowIds kChoose{1016, 1013, 1007, 1021};
constexpr RowIds kFillIn{1018, 1015, 1009, 1023};
constexpr RowIds kDrawNet{1030, 1024, 1012, 1027};

class TestGeneratorTest : public test::GuiTest {
protected:
    void SetUp() override { SeedRandomSource(1); }

    void Make(std::vector<std::shared_ptr<CPNQuestion>> questions) {
        pool = test::MakeTest(0, u"", true, questions);
        window = std::make_unique<CTestGenerator>(*users, tests, *pool, u"ucitel", u"tajne");
        shown = window.get();
        window->show();
    }
    void MakeDefault() {
        Make({MakeQuestion(QuestionKind::ChooseAnswers, 1, u"a", 10),
              MakeQuestion(QuestionKind::ChooseAnswers, 2, u"b", 5),
              MakeQuestion(QuestionKind::ChooseAnswers, 3, u"c", 10),
              MakeQuestion(QuestionKind::DrawNet, 4, u"d", 1),
              MakeQuestion(QuestionKind::DrawNet, 5, u"e", 2),
              MakeQuestion(QuestionKind::DrawNet, 6, u"f", 3),
              MakeQuestion(QuestionKind::Unset, 7, u"g", 10)});
    }

    void ChoosePoints(const RowIds& row, const QString& text) {
        auto* combo = Ctl<QComboBox>(row.points);
        combo->setFocus();
        while (combo->currentText() != text && combo->currentIndex() + 1 < combo->count()) {
            QTest::keyClick(combo, Qt::Key_Down);
        }
        ASSERT_EQ(combo->currentText(), text);
    }
    // "Generuj", answering the message expected.
    void Generate(const QString& message = {}) {
        ModalAnswers answers;
        if (!message.isEmpty()) {
            answers.ExpectMessage(message);
        }
        Click(1);
    }

    std::unique_ptr<CPNUserDB> users = test::MakeUsers({{u"ucitel", u"U", u"tajne", true},
                                                        {u"jana", u"J", u"j", false},
                                                        {u"peter", u"P", u"p", false}});
    CPNTestDB tests;
    std::shared_ptr<CPNTest> pool;
    std::unique_ptr<CTestGenerator> window;
};

TEST_F(TestGeneratorTest, OpensWithThePoolsCountsAndTheFilterCountsTheChosenPoints) {
    MakeDefault();
    EXPECT_EQ(QStringList({Text(kChoose.available), Text(kDrawNet.available), Text(1017)}),
              (QStringList{"3", "3", "0"}));
    auto* points = Ctl<QComboBox>(kChoose.points);
    EXPECT_EQ(test::Lines(points), (QStringList{"10", "5"}));  // sorted as text
    EXPECT_TRUE(points->currentText().isEmpty());
    for (int id : {kFillIn.available, kFillIn.requested, kFillIn.points, kFillIn.filter}) {
        EXPECT_FALSE(Ctl<QWidget>(id)->isEnabled()) << id;
    }
    EXPECT_EQ(Text(1004), QStringLiteral("0"));

    auto* filter = Ctl<QCheckBox>(kChoose.filter);
    ChoosePoints(kChoose, "10");
    EXPECT_EQ(Text(kChoose.available), QStringLiteral("3")) << "no filter: the whole count";
    QTest::mouseClick(filter, Qt::LeftButton);
    EXPECT_EQ(Text(kChoose.available), QStringLiteral("2"));
    ChoosePoints(kChoose, "5");
    EXPECT_EQ(Text(kChoose.available), QStringLiteral("1"));
    QTest::mouseClick(filter, Qt::LeftButton);
    EXPECT_EQ(Text(kChoose.available), QStringLiteral("3")) << "unticking gives it back";
}

TEST_F(TestGeneratorTest, ATooLargeRequestMakesNothingAndARunGivesEveryStudentOneTest) {
    MakeDefault();
    Type(kDrawNet.requested, "-4x");                           // only digits are taken
    test::TypeText(Ctl<QComboBox>(kDrawNet.points), "99999");  // a question carries 32767 at most
    Type(1004, "1.5");
    EXPECT_EQ(QStringList({Text(kDrawNet.requested), Text(1004)}), (QStringList{"4", "15"}));
    Generate(
        "Požadovaný počet otázok 'Nakresli PN' je väčší ako celkový počet týchto otázok. "
        "Test nie je možné zostaviť.");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(tests.IsEmpty());

    Type(kChoose.requested, "2");
    ChoosePoints(kChoose, "5");
    Type(kDrawNet.requested, "1");
    Type(1004, "45");
    Generate();
    EXPECT_EQ(window->result(), QDialog::Accepted);
    int made = 0;  // one for each student, none for the teachers
    for (bool more = tests.First(); more; more = tests.Next(), ++made) {
        const auto test = tests.Current();
        EXPECT_EQ(test->GetTimeLimit(), 45 * 60);
        EXPECT_EQ(test->GetQuestionCount(), 3);
        for (bool asks = test->FirstQuestion(); asks; asks = test->NextQuestion()) {
            const auto asked = test->CurrentQuestion();
            EXPECT_EQ(asked->GetPoints(), asked->GetKind() == QuestionKind::DrawNet ? 9999 : 5);
        }
    }
    EXPECT_EQ(made, 2);
}

TEST_F(TestGeneratorTest, ARowAskingForQuestionsWithoutPointsIsRefusedButZeroPointsAreNot) {
    MakeDefault();
    Type(kChoose.requested, "1");
    Generate(
        "Pri otázkach 'Vyber správne odpovede' nie je zadané, koľko bodov má otázka dostať. "
        "Vyplňte pole „Bodov za otázku“ (aj 0, ak má byť otázka bez bodov).");
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(tests.IsEmpty());
    test::TypeText(Ctl<QComboBox>(kChoose.points), " ");  // a space is not a number either
    Generate(
        "Pri otázkach 'Vyber správne odpovede' nie je zadané, koľko bodov má otázka "
        "dostať. Vyplňte pole „Bodov za otázku“ (aj 0, ak má byť otázka bez bodov).");
    test::TypeText(Ctl<QComboBox>(kChoose.points), "0");  // the other rows ask for none
    Generate();
    ASSERT_EQ(window->result(), QDialog::Accepted);
    ASSERT_TRUE(tests.First());
    EXPECT_EQ(tests.Current()->GetQuestionCount(), 1);
}

// The pool that "quesdb" holds when the window opens, not the one read at start-up; the
// earlier one when the file cannot be read now.
TEST_F(TestGeneratorTest, OpeningReadsThePoolThatQuesdbHoldsNow) {
    test::WriteTestFile("quesdb",
                        test::MakeTest(0, u"", true,
                                       {MakeQuestion(QuestionKind::DrawNet, 1, u"a", 4),
                                        MakeQuestion(QuestionKind::DrawNet, 2, u"b", 4),
                                        MakeQuestion(QuestionKind::ChooseAnswers, 3, u"c", 7)}));
    Make({});
    EXPECT_EQ(QStringList({Text(kChoose.available), Text(kDrawNet.available)}),
              (QStringList{"1", "2"}));
    EXPECT_EQ(test::Lines(Ctl<QComboBox>(kDrawNet.points)), QStringList{"4"});

    test::WriteBytes("quesdb", {'n', 'o', 't', ' ', 'a', ' ', 't', 'e', 's', 't'});
    ModalAnswers answers;
    answers.ExpectMessage(
        "Súbor quesdb sa teraz nedá načítať. Generátor ponúka otázky zásobníka tak, ako ich "
        "program načítal skôr.");
    MakeDefault();
    QTest::qWait(200);
    EXPECT_EQ(Text(kDrawNet.available), QStringLiteral("3"));
}

TEST_F(TestGeneratorTest, APoolTooSmallForADrawSaysSoAndCloses) {
    Make({MakeQuestion(QuestionKind::DrawNet, 1, u"a"),
          MakeQuestion(QuestionKind::DrawNet, 1, u"b")});
    Type(kDrawNet.requested, "2");
    test::TypeText(Ctl<QComboBox>(kDrawNet.points), "1");
    Generate("Otázky v zásobníku nestačia na zostavenie testu.");
    EXPECT_EQ(window->result(), QDialog::Accepted);
    EXPECT_TRUE(tests.IsEmpty());
}

}  // namespace
}  // namespace orvane
