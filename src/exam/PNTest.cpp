// SPDX-License-Identifier: GPL-3.0-or-later
#include "exam/PNTest.h"

#include <iterator>
#include <limits>

#include "archive/Archive.h"
#include "exam/FreeId.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNTest)

void CPNTest::ReduceTimeLimit(std::int64_t amount) {
    std::int64_t reduced = 0;
    if (__builtin_sub_overflow(timeLimit, amount, &reduced)) {
        reduced = amount > 0 ? std::numeric_limits<std::int64_t>::min()
                             : std::numeric_limits<std::int64_t>::max();
    }
    timeLimit = reduced;
}

bool CPNTest::AddQuestion(std::shared_ptr<CPNQuestion> question) {
    if (question == nullptr) {
        return false;
    }
    questions.PushFront(std::move(question));
    return true;
}

bool CPNTest::MoveQuestion(std::int32_t questionId, std::int32_t position) {
    const auto own = questions.FindFirst(HasId(questionId));
    if (own == questions.end()) {
        return false;
    }
    // The question goes directly after the one at `position` (counted before the move), or
    // after the one before it when the question moves toward the front. Nothing stands before
    // position 1, so only the front question itself can be "moved" there.
    const std::int64_t from = std::distance(questions.begin(), own) + 1;
    const std::int64_t after = from > position ? std::int64_t{position} - 1 : position;
    if (after < 1 || after > static_cast<std::int64_t>(questions.Size())) {
        return false;
    }
    const auto target = std::next(questions.begin(), after - 1);
    if (target != own) {
        questions.Move(own, std::next(target));
    }
    return true;
}

bool CPNTest::RemoveQuestion(std::int32_t questionId) {
    return questions.EraseFirst(HasId(questionId));
}

std::int32_t CPNTest::NextFreeQuestionId() const {
    return SmallestFreeIdOf(questions);
}

bool CPNTest::SelectQuestion(std::int32_t questionId) {
    return questions.SelectFirst(HasId(questionId));
}

bool CPNTest::SelectQuestionByTag(std::int32_t tag) {
    return questions.SelectFirst([&](const auto& question) { return question->GetTag() == tag; });
}

bool CPNTest::SelectQuestionAt(std::int32_t position) {
    if (position < 1 || static_cast<std::size_t>(position) > questions.Size()) {
        return false;
    }
    questions.Select(std::next(questions.begin(), position - 1));
    return true;
}

void CPNTest::Serialize(CArchive& archive) {
    archive.Exchange(login);
    archive.Exchange(id);
    archive.Exchange(toBeWorkedOut);
    archive.Exchange(timeLimit);
    if (archive.IsStoring()) {
        Store(archive);
    } else {
        Load(archive);
    }
}

void CPNTest::Store(CArchive& archive) {
    // The number written is that of the questions that follow, so the file is always whole.
    archive.WriteInt32(static_cast<std::int32_t>(questions.Size()));
    // The walk leaves the cursor on the last question, as storing always has.
    for (bool more = FirstQuestion(); more; more = NextQuestion()) {
        archive.WriteObject(questions.CurrentItem());
    }
}

void CPNTest::Load(CArchive& archive) {
    const std::int32_t stored = archive.ReadInt32();
    for (std::int32_t i = 0; i < stored; ++i) {
        // Each question goes to the front: the loaded list is the reverse of the file.
        AddQuestion(archive.ReadObjectOf<CPNQuestion>());
    }
}

}  // namespace orvane
