// Writes sample "userdb", "testdb" and "quesdb" files into the working folder: a few
// accounts, a worked-out test of one student and a small question pool. Used to show the
// windows with something in them.
#include "support/ExamFixtures.h"

using orvane::QuestionKind;
using orvane::test::MakeQuestion;

int main() {
    orvane::test::WriteUsersFile({{u"ucitel", u"Mgr. Ján Horváth", u"tajne", true},
                                  {u"kovacova", u"Jana Kováčová", u"Xk3mPq8aLw", false},
                                  {u"novak", u"Peter Novák", u"b7TnQe2Rzc", false},
                                  {u"stefanik", u"Štefan Šťastný", u"Hu4pWm9sKd", false},
                                  {u"zilinska", u"Žofia Žilinská", u"r5CvNy1oTb", false}});
    orvane::test::WriteTestFile(
        "testdb",
        orvane::test::MakeTest(
            0, u"kovacova", false,
            {MakeQuestion(QuestionKind::ChooseAnswers, 0, u"Vlastnosti Petriho sietí", 2,
                          u"Vyberte všetky pravdivé tvrdenia o živosti a ohraničenosti siete."),
             MakeQuestion(QuestionKind::ConnectRelated, 1, u"Pojmy a definície", 3,
                          u"Spojte každý pojem s jeho definíciou."),
             MakeQuestion(QuestionKind::CompleteNet, 2, u"Výrobná linka", 5,
                          u"Doplňte prechody tak, aby sieť modelovala linku s dvoma strojmi."),
             MakeQuestion(QuestionKind::DrawNet, 3, u"Producent a konzument", 6,
                          u"Nakreslite sieť producenta a konzumenta so zásobníkom veľkosti 3.")}));
    orvane::test::WriteTestFile(
        "quesdb", orvane::test::MakeTest(
                      0, u"", true,
                      {MakeQuestion(QuestionKind::ChooseAnswers, 0, u"Živosť", 2),
                       MakeQuestion(QuestionKind::ChooseAnswers, 1, u"Ohraničenosť", 2),
                       MakeQuestion(QuestionKind::ChooseAnswers, 2, u"Konflikt", 3),
                       MakeQuestion(QuestionKind::ConnectRelated, 3, u"Pojmy", 3),
                       MakeQuestion(QuestionKind::CompleteNet, 4, u"Výrobná linka", 5),
                       MakeQuestion(QuestionKind::CompleteNetByRequirements, 5, u"Semafor", 5),
                       MakeQuestion(QuestionKind::DrawNet, 6, u"Producent a konzument", 6),
                       MakeQuestion(QuestionKind::DrawNet, 7, u"Večerajúci filozofi", 10),
                       MakeQuestion(QuestionKind::DrawNetByRequirements, 8, u"Križovatka", 8),
                       MakeQuestion(QuestionKind::DrawNetNoCorrection, 9, u"Vlastný model", 4)}));
    return 0;
}
