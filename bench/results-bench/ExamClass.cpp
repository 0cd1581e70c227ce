// SPDX-License-Identifier: GPL-3.0-or-later
#include "ExamClass.h"

#include <array>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "common/ExamFolders.h"
#include "common/TextCodec.h"
#include "exam/KeptTests.h"
#include "exam/PNTestDB.h"
#include "support/DrawnNet.h"

namespace orvane::bench {
namespace {

// Five philosophers around five forks. `oneByOne` takes the forks one at a time (which can
// deadlock), `spareFork` adds a copy of fork 0 with the same arcs (changing nothing),
// `forks` is each fork's tokens and `lostFork` leaves out the fork that philosopher 4 puts
// back to the right.
std::string Philosophers(bool oneByOne, bool spareFork, int forks, bool lostFork) {
    std::string places, transitions;
    for (int i = 0; i < 5; ++i) {
        const std::string n = std::to_string(i), next = std::to_string((i + 1) % 5);
        const auto fork = [&](const std::string& which) {
            return " vidlicka" + which + (spareFork && which == "0" ? " rezerva" : "");
        };
        places += " mysli" + n + "=1 je" + n + " vidlicka" + n + "=" + std::to_string(forks);
        if (oneByOne) {
            places += " lava" + n;
            transitions += "; zober" + n + ": mysli" + n + fork(n) + " -> lava" + n + "; dober" +
                           n + ": lava" + n + fork(next) + " -> je" + n;
        } else {
            transitions += "; zober" + n + ": mysli" + n + fork(n) + fork(next) + " -> je" + n;
        }
        transitions += "; poloz" + n + ": je" + n + " -> mysli" + n + fork(n) +
                       (lostFork && i == 4 ? "" : fork(next));
    }
    return places.substr(1) + (spareFork ? " rezerva=" + std::to_string(forks) : "") + transitions;
}

struct SNetQuestion {
    const char* title;
    bool complete;  // "Dokonči PN": the first answer below is the part given to complete
    std::string solution;
    // Beside the solution: the given part or a typical wrong net, a wrong initial marking, a
    // missing arc; and the solution with a redundant place.
    std::array<std::string, 4> answers;
};

std::vector<SNetQuestion> NetQuestions() {
    return {
        {"Dokonči PN",
         true,
         "volny1=1 caka1 krit1 volny2=1 caka2 krit2 semafor=1; ziada1: volny1 -> caka1; "
         "vstup1: caka1 semafor -> krit1; odchod1: krit1 -> volny1 semafor; ziada2: volny2 -> "
         "caka2; vstup2: caka2 semafor -> krit2; odchod2: krit2 -> volny2 semafor",
         {"volny1=1 caka1 krit1 volny2=1 caka2 krit2; ziada1: volny1 -> caka1; vstup1: caka1 -> "
          "krit1; odchod1: krit1 -> volny1; ziada2: volny2 -> caka2; vstup2: caka2 -> krit2; "
          "odchod2: krit2 -> volny2",
          "volny1=1 caka1 krit1 volny2=1 caka2 krit2 semafor=2; ziada1: volny1 -> caka1; "
          "vstup1: caka1 semafor -> krit1; odchod1: krit1 -> volny1 semafor; ziada2: volny2 -> "
          "caka2; vstup2: caka2 semafor -> krit2; odchod2: krit2 -> volny2 semafor",
          "volny1=1 caka1 krit1 volny2=1 caka2 krit2 semafor=1; ziada1: volny1 -> caka1; "
          "vstup1: caka1 semafor -> krit1; odchod1: krit1 -> volny1 semafor; ziada2: volny2 -> "
          "caka2; vstup2: caka2 semafor -> krit2; odchod2: krit2 -> volny2",
          "volny1=1 caka1 krit1 volny2=1 caka2 krit2 semafor=1 kopia=1; ziada1: volny1 -> "
          "caka1; vstup1: caka1 semafor kopia -> krit1; odchod1: krit1 -> volny1 semafor kopia; "
          "ziada2: volny2 -> caka2; vstup2: caka2 semafor kopia -> krit2; odchod2: krit2 -> "
          "volny2 semafor kopia"}},
        {"Dokonči PN",
         true,
         "pripraveny=1 vyrobene volne=3 buffer spotrebitel=1 prevzate; vyrob: pripraveny -> "
         "vyrobene; vloz: vyrobene volne -> pripraveny buffer; vyber: spotrebitel buffer -> "
         "prevzate volne; spotrebuj: prevzate -> spotrebitel",
         {"pripraveny=1 vyrobene buffer spotrebitel=1 prevzate; vyrob: pripraveny -> vyrobene; "
          "vloz: vyrobene -> pripraveny buffer; vyber: spotrebitel buffer -> prevzate; "
          "spotrebuj: prevzate -> spotrebitel",
          "pripraveny=1 vyrobene volne=2 buffer spotrebitel=1 prevzate; vyrob: pripraveny -> "
          "vyrobene; vloz: vyrobene volne -> pripraveny buffer; vyber: spotrebitel buffer -> "
          "prevzate volne; spotrebuj: prevzate -> spotrebitel",
          "pripraveny=1 vyrobene volne=3 buffer spotrebitel=1 prevzate; vyrob: pripraveny -> "
          "vyrobene; vloz: vyrobene volne -> pripraveny buffer; vyber: spotrebitel buffer -> "
          "prevzate; spotrebuj: prevzate -> spotrebitel",
          "pripraveny=1 vyrobene volne=3 buffer spotrebitel=1 prevzate miesta=3; vyrob: "
          "pripraveny -> vyrobene; vloz: vyrobene volne miesta -> pripraveny buffer; vyber: "
          "spotrebitel buffer -> prevzate volne miesta; spotrebuj: prevzate -> spotrebitel"}},
        {"Nakresli PN",
         false,
         Philosophers(false, false, 1, false),
         {Philosophers(true, false, 1, false), Philosophers(false, false, 2, false),
          Philosophers(false, false, 1, true), Philosophers(false, true, 1, false)}},
        {"Nakresli PN",
         false,
         "start=1 a1 a2 b1 b2 koniec; rozdel: start -> a1 b1; ua: a1 -> a2; ub: b1 -> b2; "
         "spoj: a2 b2 -> koniec; znova: koniec -> start",
         {"start=1 a1 a2 b1 b2 koniec; rozdel: start -> a1 b1; ua: a1 -> a2; ub: b1 -> b2; "
          "spoj: a2 -> koniec; znova: koniec -> start",
          "start=2 a1 a2 b1 b2 koniec; rozdel: start -> a1 b1; ua: a1 -> a2; ub: b1 -> b2; "
          "spoj: a2 b2 -> koniec; znova: koniec -> start",
          "start=1 a1 a2 b1 b2 koniec; rozdel: start -> a1 b1; ua: a1 -> a2; ub: b1 -> b2; "
          "spoj: a2 b2 -> koniec",
          "start=1 a1 a2 b1 b2 koniec znova2=1; rozdel: start znova2 -> a1 b1; ua: a1 -> a2; "
          "ub: b1 -> b2; spoj: a2 b2 -> koniec; znova: koniec -> start znova2"}},
    };
}

std::shared_ptr<CPNTest> ClassTest(int student, const std::vector<SNetQuestion>& nets) {
    auto test = std::make_shared<CPNTest>();
    test->SetId(1000 + student);
    test->SetLogin(u"s" + FromUtf8(std::to_string(student)));
    test->SetTimeLimit(45 * 60);
    for (int id = 1; id <= kQuestions; ++id) {
        std::shared_ptr<CPNQuestion> question;
        if (id <= 3) {
            question = std::make_shared<CPNQuestion>(
                id, u"Vyber správne odpovede", u"Ktoré tvrdenia o sieti platia?", 5,
                std::vector<std::u16string>{u"je živá", u"je ohraničená", u"je bezpečná",
                                            u"je reverzibilná", u"má uviaznutie"},
                std::vector<bool>{true, id != 2, false, true, false}, nullptr);
        } else if (id <= 6) {
            question = std::make_shared<CPNQuestion>(
                id, u"Spoj súvisiace", u"Spoj pojmy s ich opisom.", 4,
                std::vector<std::u16string>{u"miesto", u"prechod", u"hrana", u"značkovanie"},
                std::vector<std::u16string>{u"udalosť", u"podmienka", u"stav siete", u"tok"},
                std::vector<std::int32_t>{1, 0, 3, 2}, nullptr);
        } else {
            const SNetQuestion& net = nets[id - 7];
            const auto solution = test::DrawnNet(net.solution);
            question =
                net.complete
                    ? std::make_shared<CPNQuestion>(id, FromUtf8(net.title),
                                                    u"Doplňte sieť podľa zadania.",
                                                    test::DrawnNet(net.answers[0]), solution)
                    : std::make_shared<CPNQuestion>(id, FromUtf8(net.title),
                                                    u"Nakreslite sieť podľa zadania.", solution);
        }
        question->SetPoints(id <= 6 ? 3 : 10);
        test->AddQuestion(question);
    }
    return test;
}

// The student's answers: about two in three ticks and pairs right, the nets spread over
// the five kinds of answer.
void AnswerTest(CPNTest& test, int student, const std::vector<SNetQuestion>& nets) {
    for (const auto& question : test.Questions()) {
        const int id = question->GetId();
        const int variant = (student + id) % 5;
        if (id <= 3) {
            for (int option = 0; option < 5; ++option) {
                question->SetAnswerFlag(option,
                                        question->GetKeyFlag(option) != (variant == option));
            }
        } else if (id <= 6) {
            const std::vector<std::int32_t> right{1, 0, 3, 2}, swapped{0, 1, 3, 2};
            for (int item = 0; item < 4; ++item) {
                question->SetAnswerPair(item, (variant < 3 ? right : swapped)[item]);
            }
        } else {
            const SNetQuestion& net = nets[id - 7];
            question->SetWorkNet(variant == 0 ? test::DrawnNet(net.solution, 40, 60)
                                              : test::DrawnNet(net.answers[variant - 1], 40, 60));
        }
    }
}

void Write(const std::shared_ptr<CPNTest>& test, const std::string& path) {
    CPNTestDB file;
    file.AddTest(test);
    file.First();
    if (!file.Save(FromUtf8(path)).IsOk()) {
        std::abort();
    }
}

}  // namespace

SExamRun WriteExamClass() {
    const std::vector<SNetQuestion> nets = NetQuestions();
    SExamRun run{"bench", {}, true, {}};
    const KeptTime generated =
        std::chrono::floor<std::chrono::microseconds>(std::chrono::system_clock::now());
    for (int student = 0; student < kStudents; ++student) {
        auto test = ClassTest(student, nets);
        const std::string kept = KeptTestsFolderOf(test->GetLogin());
        (void)MakePrivateFolder(kept);
        const std::string path =
            kept + "/" + KeptFileName(generated, "test" + std::to_string(test->GetId()));
        Write(test, path);
        run.tests.push_back({path, generated, test->GetId()});
        AnswerTest(*test, student, nets);
        const std::string submitted = SubmissionsFolderOf(test->GetLogin());
        (void)MakePrivateFolder(submitted);
        Write(test, submitted + "/" +
                        KeptFileName(generated + std::chrono::minutes(30 + student % 20),
                                     kWorkedTestFile));
    }
    return run;
}

}  // namespace orvane::bench
