#include "generator/TestDraw.h"

#include <algorithm>
#include <limits>
#include <string>

#include "common/RandomSource.h"
#include "common/TextCodec.h"

namespace orvane {

namespace {

struct RowKind {
    QuestionKind kind;
    std::u16string_view name;  // as the row's message names it
};

constexpr std::array<RowKind, CTestDraw::kRowCount> kRowKinds = {{
    {QuestionKind::ChooseAnswers, u"Vyber správne odpovede"},
    {QuestionKind::ConnectRelated, u"Spoj súvisiace"},
    {QuestionKind::FillInAnswer, u"Dopíš odpoveď"},
    {QuestionKind::CompleteNet, u"Dokonči PN"},
    {QuestionKind::CompleteNetByRequirements, u"Dokonči PN podľa požiadaviek"},
    {QuestionKind::DrawNet, u"Nakresli PN"},
    {QuestionKind::DrawNetByRequirements, u"Nakresli PN podľa požiadaviek"},
    {QuestionKind::DrawNetNoCorrection, u"Nakresli PN (bez opravy)"},
}};

bool IsSpace(char16_t c) {
    return c == u' ' || c == u'\t';
}

}  // namespace

CTestDraw::CTestDraw(CPNUserDB& userDB, CPNTestDB& testDB, CPNTest& questionPool,
                     std::u16string login, std::u16string password)
    : users(userDB),
      tests(testDB),
      pool(questionPool),
      actingLogin(std::move(login)),
      actingPassword(std::move(password)) {}

QuestionKind CTestDraw::KindOfRow(int row) {
    return kRowKinds.at(row).kind;
}

int CTestDraw::RowOfKind(QuestionKind kind) {
    for (int row = 0; row < kRowCount; ++row) {
        if (kRowKinds[row].kind == kind) {
            return row;
        }
    }
    return -1;
}

std::u16string CTestDraw::TooManyMessage(int row) {
    return u"Požadovaný počet otázok '" + std::u16string(kRowKinds.at(row).name) +
           u"' je väčší ako celkový počet týchto otázok. Test nie je možné zostaviť.";
}

std::u16string CTestDraw::PoolTooSmallMessage() {
    return u"Otázky v zásobníku nestačia na zostavenie testu.";
}

std::int16_t CTestDraw::ParsePoints(std::u16string_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    const bool negative = !text.empty() && text.front() == u'-';
    if (!text.empty() && (text.front() == u'-' || text.front() == u'+')) {
        text.remove_prefix(1);
    }
    if (text.empty() || text.size() > 6) {
        return 0;
    }
    std::int32_t value = 0;
    for (const char16_t c : text) {
        if (c < u'0' || c > u'9') {
            return 0;
        }
        value = value * 10 + (c - u'0');
    }
    value = negative ? -value : value;
    if (value < std::numeric_limits<std::int16_t>::min() ||
        value > std::numeric_limits<std::int16_t>::max()) {
        return 0;
    }
    return static_cast<std::int16_t>(value);
}

template <class Visit>
void CTestDraw::ForEachPoolQuestion(Visit visit) const {
    if (!pool.FirstQuestion()) {
        return;
    }
    do {
        if (const auto question = pool.CurrentQuestion()) {
            visit(*question);
        }
    } while (pool.NextQuestion());
}

std::int32_t CTestDraw::CountAll(int row) const {
    std::int32_t count = 0;
    ForEachPoolQuestion([&](const CPNQuestion& question) {
        count += RowOfKind(question.GetKind()) == row ? 1 : 0;
    });
    return count;
}

std::int32_t CTestDraw::CountWithPoints(int row, std::int16_t points) const {
    std::int32_t count = 0;
    ForEachPoolQuestion([&](const CPNQuestion& question) {
        count += RowOfKind(question.GetKind()) == row && question.GetPoints() == points ? 1 : 0;
    });
    return count;
}

std::vector<std::u16string> CTestDraw::PointTexts(int row) const {
    std::vector<std::u16string> texts;
    ForEachPoolQuestion([&](const CPNQuestion& question) {
        if (RowOfKind(question.GetKind()) != row) {
            return;
        }
        std::u16string text = FromUtf8(std::to_string(question.GetPoints()));
        if (std::find(texts.begin(), texts.end(), text) == texts.end()) {
            texts.push_back(std::move(text));
        }
    });
    return texts;
}

CTestDraw::Result CTestDraw::Generate(const Rows& rows, std::int32_t minutes,
                                      const Progress& progress) {
    Result result;
    if (!ActingAdministratorIsTeacher()) {
        return result;  // closes as after a generation, without a word
    }
    for (int row = 0; row < kRowCount; ++row) {
        if (rows[row].requested > rows[row].available) {
            return {Outcome::TooMany, row, 0};
        }
    }
    if (!users.First()) {
        return result;
    }
    const int accounts = users.GetCount();
    int done = 0;
    do {
        if (progress) {
            progress(done++, accounts);
        }
        if (users.IsCurrentTeacher(actingLogin, actingPassword)) {
            continue;
        }
        const auto test = MakeTest(users.GetCurrentLogin(), rows, minutes);
        if (test == nullptr) {
            result.outcome = Outcome::PoolTooSmall;
            return result;
        }
        tests.AddTest(test);
        ++result.testsMade;
    } while (users.Next());
    return result;
}

bool CTestDraw::ActingAdministratorIsTeacher() {
    return users.FindLogin(actingLogin) && users.IsCurrentTeacher(actingLogin, actingPassword);
}

std::shared_ptr<CPNTest> CTestDraw::MakeTest(const std::u16string& login, const Rows& rows,
                                             std::int32_t minutes) {
    auto test = std::make_shared<CPNTest>();
    test->SetId(tests.NextFreeId());
    test->SetToBeWorkedOut(true);
    test->SetLogin(login);
    // Formed in 64 bits: a 32-bit product of a large number of minutes would wrap.
    test->SetTimeLimit(static_cast<std::int64_t>(minutes) * 60);
    std::array<std::int32_t, kRowCount> drawn{};
    std::int64_t total = 0;
    for (const GeneratorRow& row : rows) {
        total += row.requested;
    }
    for (std::int64_t draw = 0; draw < total; ++draw) {
        if (!DrawOne(*test, rows, drawn, total)) {
            return nullptr;
        }
    }
    return test;
}

bool CTestDraw::DrawOne(CPNTest& test, const Rows& rows, std::array<std::int32_t, kRowCount>& drawn,
                        std::int64_t total) {
    // The start is reduced modulo the number of questions per test, not the pool's size.
    const std::int64_t start = NextRandom() % total;
    if (!pool.FirstQuestion()) {
        return false;
    }
    for (std::int64_t step = 0; step < start && pool.NextQuestion(); ++step) {
    }
    // One pass over the whole pool without a fitting question ends the draw.
    const std::int32_t poolSize = pool.GetQuestionCount();
    for (std::int32_t looked = 0; looked < poolSize; ++looked) {
        const auto question = pool.CurrentQuestion();
        if (Fits(*question, test, rows, drawn)) {
            const int row = RowOfKind(question->GetKind());
            test.AddQuestion(question);
            if (!rows[row].filter) {
                // The test holds the pool's own object, so the pool and every other test
                // holding it see the new points too.
                question->SetPoints(rows[row].points);
            }
            ++drawn[row];
            return true;
        }
        StepPool();
    }
    return false;
}

bool CTestDraw::Fits(const CPNQuestion& question, CPNTest& test, const Rows& rows,
                     const std::array<std::int32_t, kRowCount>& drawn) const {
    const int row = RowOfKind(question.GetKind());
    if (row < 0 || drawn[row] >= rows[row].requested) {
        return false;
    }
    if (rows[row].filter && question.GetPoints() != rows[row].points) {
        return false;
    }
    return !test.SelectQuestion(question.GetId());
}

void CTestDraw::StepPool() {
    if (!pool.NextQuestion()) {
        pool.FirstQuestion();
    }
}

}  // namespace orvane
