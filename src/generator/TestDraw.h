// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CTestDraw: what the test generator does without its window. It counts the pool's questions
// per row, and generates one test per student. Each draw of a test takes one question, every
// one equally likely, of those that may still come in: of a row that has not had all its
// questions, that the row's filter lets through, and whose id the test does not hold yet. So
// each row's questions are drawn uniformly without replacement. The test gets copies of the
// drawn questions, so the points that a row gives them change neither the pool nor any other
// test.
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "exam/PNTest.h"
#include "exam/PNTestDB.h"
#include "exam/QuestionKind.h"
#include "users/PNUserDB.h"

namespace orvane {

// One row of the generator: the questions of one kind.
struct GeneratorRow {
    std::int32_t available = 0;  // how many pool questions the row may draw from
    std::int32_t requested = 0;  // how many questions of the row each test gets
    std::int16_t points = 0;     // the row's points value
    bool filter = false;         // draw only questions that carry exactly those points
};

class CTestDraw {
public:
    static constexpr int kRowCount = 8;
    using Rows = std::array<GeneratorRow, kRowCount>;

    enum class Outcome {
        Done,         // the window closes with OK (also when nothing could be made)
        TooMany,      // a row asks for more questions than it has; nothing was made
        PoolTooSmall  // a draw found no fitting question; the tests made before it stay
    };
    struct [[nodiscard]] Result {
        Outcome outcome = Outcome::Done;
        int row = -1;  // the refused row, for TooMany
        int testsMade = 0;
    };

    // The references are not owned; they must outlive the draw.
    CTestDraw(CPNUserDB& users, CPNTestDB& tests, CPNTest& pool, std::u16string actingLogin,
              std::u16string actingPassword);

    // The kind of each row, top to bottom, and the row of a kind (-1 for a kind without one).
    static QuestionKind KindOfRow(int row);
    static int RowOfKind(QuestionKind kind);
    // The message shown when a row asks for more questions than it has.
    static std::u16string TooManyMessage(int row);
    static std::u16string PoolTooSmallMessage();
    // The message shown when a row asks for questions but its points are not given.
    static std::u16string NoPointsMessage(int row);
    // The whole number in a points text: 0 when the text holds none or one out of range.
    static std::int16_t ParsePoints(std::u16string_view text);

    // The pool questions of the row's kind, all of them or only those with the given points.
    std::int32_t CountAll(int row) const;
    std::int32_t CountWithPoints(int row, std::int16_t points) const;
    // The distinct points ("%d") that the row's pool questions carry, in pool order.
    std::vector<std::u16string> PointTexts(int row) const;

    // Told before each account of the walk: how many accounts are done, of how many.
    using Progress = std::function<void(int done, int total)>;

    Result Generate(const Rows& rows, std::int32_t minutes, const Progress& progress = {});

private:
    // A pool question that a row may draw, with its row.
    struct Candidate {
        std::shared_ptr<CPNQuestion> question;
        int row = -1;
    };

    template <class Visit>
    void ForEachPoolQuestion(Visit visit) const;
    bool ActingAdministratorIsTeacher();
    std::vector<Candidate> Candidates(const Rows& rows) const;
    std::shared_ptr<CPNTest> MakeTest(const std::u16string& login, const Rows& rows,
                                      std::int32_t minutes,
                                      const std::vector<Candidate>& candidates);
    // The `total` questions of one test in the order drawn; fewer when the pool runs out.
    static std::vector<const Candidate*> Draw(const Rows& rows,
                                              const std::vector<Candidate>& candidates,
                                              std::int64_t total);

    CPNUserDB& users;
    CPNTestDB& tests;
    CPNTest& pool;
    std::u16string actingLogin;
    std::u16string actingPassword;
};

}  // namespace orvane
