// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CPNTest: an exam handed to one user: its id, the user's login, whether it still waits to be
// worked out, its time limit in seconds, and its questions, newest first, with one cursor. A
// test refers to its questions without owning them alone: the same question may stand in the
// question pool and in many tests at once.
//
// Stored as: login, id, toBeWorkedOut (one byte), timeLimit (64 bits), the number of
// questions, and a reference to each from the front of the list. Loading puts each question
// at the front, so every store-and-load reverses the order of the questions.
#include <cstdint>
#include <memory>
#include <string>

#include "archive/Object.h"
#include "common/CursorList.h"
#include "exam/PNQuestion.h"

namespace orvane {

class CPNTest : public CObject {
    ORVANE_DECLARE_SERIAL(CPNTest)

public:
    CPNTest() = default;
    CPNTest(const CPNTest&) = delete;
    CPNTest& operator=(const CPNTest&) = delete;

    std::int32_t GetId() const { return id; }
    void SetId(std::int32_t value) { id = value; }
    bool GetTransientFlag() const { return transientFlag; }
    void SetTransientFlag(bool value) { transientFlag = value; }
    std::u16string GetLogin() const { return login; }
    void SetLogin(std::u16string value) { login = std::move(value); }
    bool GetToBeWorkedOut() const { return toBeWorkedOut != 0; }
    void SetToBeWorkedOut(bool value) { toBeWorkedOut = value ? 1 : 0; }
    std::int64_t GetTimeLimit() const { return timeLimit; }
    void SetTimeLimit(std::int64_t value) { timeLimit = value; }
    // Subtracts `amount` from the time limit; the result stays within 64 bits.
    void ReduceTimeLimit(std::int64_t amount);
    std::int32_t GetQuestionCount() const { return static_cast<std::int32_t>(questions.Size()); }

    bool IsEmpty() const { return questions.IsEmpty(); }
    // Puts the question at the front; the cursor stays. False only for no question.
    bool AddQuestion(std::shared_ptr<CPNQuestion> question);
    // Moves the question with that id to the 1-based position; see the source for when a
    // move is refused.
    bool MoveQuestion(std::int32_t id, std::int32_t position);
    bool RemoveQuestion(std::int32_t id);
    std::int32_t NextFreeQuestionId() const;

    bool SelectQuestion(std::int32_t id);
    bool SelectQuestionByTag(std::int32_t tag);
    bool SelectQuestionAt(std::int32_t position);
    bool FirstQuestion() { return questions.First(); }
    // False at the last question (the cursor stays there) and without a cursor.
    bool NextQuestion() { return questions.Next(); }
    std::shared_ptr<CPNQuestion> CurrentQuestion() const { return questions.Current(); }
    // The questions from the front, for a walk that leaves the cursor where it is.
    const CCursorList<CPNQuestion>& Questions() const { return questions; }

    void Serialize(CArchive& archive) override;

private:
    void Store(CArchive& archive);
    void Load(CArchive& archive);

    std::int32_t id = 0;
    bool transientFlag = false;
    std::u16string login;
    // Kept as the byte read, so that a file's flag byte is written back unchanged.
    std::uint8_t toBeWorkedOut = 1;
    std::int64_t timeLimit = 0;
    CCursorList<CPNQuestion> questions;
};

}  // namespace orvane
