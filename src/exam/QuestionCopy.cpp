// SPDX-License-Identifier: GPL-3.0-or-later
#include "exam/QuestionCopy.h"

#include "archive/Archive.h"

namespace orvane {

std::vector<std::shared_ptr<CPNQuestion>> CopyQuestions(
    std::span<const std::shared_ptr<CPNQuestion>> questions) {
    CArchive store;
    for (const auto& question : questions) {
        store.WriteObject(question.get());
    }
    const std::vector<std::uint8_t> bytes = store.TakeData();
    CArchive load(bytes);
    std::vector<std::shared_ptr<CPNQuestion>> copies;
    copies.reserve(questions.size());
    for (std::size_t i = 0; i < questions.size(); ++i) {
        copies.push_back(load.ReadObjectOf<CPNQuestion>());
    }
    return copies;
}

}  // namespace orvane
