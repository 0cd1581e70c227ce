// SPDX-License-Identifier: GPL-3.0-or-later
#include "generator/TestDraw.h"

#include <algorithm>
#include <limits>
#include <string>
#include <unordered_set>

#include "common/RandomSource.h"
#include "common/TextCodec.h"
#include "common/TextSets.h"
#include "exam/QuestionCopy.h"

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

constexpr std::u16string_view kPointsSpaces = u" \t";

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

std::u16string CTestDraw::NoPointsMessage(int row) {
    return u"Pri otázkach '" + std::u16string(kRowKinds.at(row).name) +
           u"' nie je zadané, koľko bodov má otázka dostať. Vyplňte pole „Bodov za otázku“ "
           u"(aj 0, ak má byť otázka bez bodov).";
}

std::u16string CTestDraw::PoolTooSmallMessage() {
    return u"Otázky v zásobníku nestačia na zostavenie testu.";
}

std::int16_t CTestDraw::ParsePoints(std::u16string_view text) {
    text = Trimmed(text, kPointsSpaces);
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
    const std::vector<Candidate> candidates = Candidates(rows);
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
        const auto test = MakeTest(users.GetCurrentLogin(), rows, minutes, candidates);
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

std::vector<CTestDraw::Candidate> CTestDraw::Candidates(const Rows& rows) const {
    std::vector<Candidate> candidates;
    for (bool more = pool.FirstQuestion(); more; more = pool.NextQuestion()) {
        const auto question = pool.CurrentQuestion();
        const int row = question == nullptr ? -1 : RowOfKind(question->GetKind());
        if (row >= 0 && rows[row].requested > 0 &&
            (!rows[row].filter || question->GetPoints() == rows[row].points)) {
            candidates.push_back({question, row});
        }
    }
    return candidates;
}

std::shared_ptr<CPNTest> CTestDraw::MakeTest(const std::u16string& login, const Rows& rows,
                                             std::int32_t minutes,
                                             const std::vector<Candidate>& candidates) {
    auto test = std::make_shared<CPNTest>();
    test->SetId(tests.NextFreeId());
    test->SetToBeWorkedOut(true);
    test->SetLogin(login);
    // Formed in 64 bits: a 32-bit product of a large number of minutes would wrap.
    test->SetTimeLimit(static_cast<std::int64_t>(minutes) * 60);
    std::int64_t total = 0;
    for (const GeneratorRow& row : rows) {
        total += row.requested;  // a negative count lowers it, as it always has
    }
    const std::vector<const Candidate*> drawn = Draw(rows, candidates, total);
    if (static_cast<std::int64_t>(drawn.size()) < total) {
        return nullptr;
    }
    std::vector<std::shared_ptr<CPNQuestion>> originals;
    for (const Candidate* candidate : drawn) {
        originals.push_back(candidate->question);
    }
    const auto copies = CopyQuestions(originals);
    for (std::size_t i = 0; i < copies.size(); ++i) {
        const GeneratorRow& row = rows[static_cast<std::size_t>(drawn[i]->row)];
        if (!row.filter) {
            copies[i]->SetPoints(row.points);
        }
        test->AddQuestion(copies[i]);  // at the front: the list is the reverse of the draw
    }
    return test;
}

// Each draw picks from the candidates not yet looked at, every one equally likely; one that
// can no longer come in (its row is full, its id is in the test) is put aside for good and
// the draw picks again. So every test costs time in proportion to the pool, however many
// questions it asks for.
std::vector<const CTestDraw::Candidate*> CTestDraw::Draw(const Rows& rows,
                                                         const std::vector<Candidate>& candidates,
                                                         std::int64_t total) {
    std::vector<const Candidate*> open;
    for (const Candidate& candidate : candidates) {
        open.push_back(&candidate);
    }
    std::vector<const Candidate*> drawn;
    std::array<std::int32_t, kRowCount> perRow{};
    std::unordered_set<std::int32_t> ids;
    while (static_cast<std::int64_t>(drawn.size()) < total && !open.empty()) {
        const auto at =
            static_cast<std::size_t>(NextRandomBelow(static_cast<std::int32_t>(open.size())));
        const Candidate* picked = open[at];
        open[at] = open.back();
        open.pop_back();
        if (perRow[picked->row] < rows[picked->row].requested &&
            ids.insert(picked->question->GetId()).second) {
            drawn.push_back(picked);
            ++perRow[picked->row];
        }
    }
    return drawn;  // fewer than `total` when the pool has too few distinct fitting questions
}

}  // namespace orvane
