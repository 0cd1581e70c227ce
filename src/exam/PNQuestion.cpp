// SPDX-License-Identifier: GPL-3.0-or-later
#include "exam/PNQuestion.h"

#include <algorithm>
#include <limits>

#include "archive/Archive.h"

namespace orvane {

ORVANE_IMPLEMENT_SERIAL(CPNQuestion)

namespace {

constexpr std::uint32_t kAskedR0Bit = 0x1;
constexpr std::uint32_t kR0Mask = 0x7;
// The highest R0 number that setting a whole word takes, and that setting R0 alone takes.
constexpr std::int32_t kHighestWordR0 = 4;
constexpr std::int32_t kHighestSingleR0 = 1;
constexpr std::int32_t kNoPair = -1;
constexpr std::int32_t kInvalidAnswerPair = -2;

bool IsFlagSlot(int slot) {
    return slot >= 1 && slot < CPNQuestion::kRequirementSlots;
}

// The bit of slot 1 to 6; slot 0 is bit 0 (asked) or bits 0-2 (a number).
std::uint32_t SlotBit(int slot) {
    return 1u << (3 + slot);
}

void SetBits(std::uint32_t& word, std::uint32_t bits, bool on) {
    word = on ? (word | bits) : (word & ~bits);
}

void SetR0(std::uint32_t& word, std::int32_t value, std::int32_t highest) {
    word &= ~kR0Mask;
    if (value >= 0 && value <= highest) {
        word |= static_cast<std::uint32_t>(value);
    }
}

void SetFlagSlot(std::uint32_t& word, int slot, bool value) {
    if (IsFlagSlot(slot)) {
        SetBits(word, SlotBit(slot), value);
    }
}

bool GetFlagSlot(std::uint32_t word, int slot) {
    return IsFlagSlot(slot) && (word & SlotBit(slot)) != 0;
}

// An array as its own count and entries; on loading the count is checked against what is
// left, `smallest` bytes for each entry, before anything is allocated.
template <class T>
void ExchangeArray(CArchive& archive, std::vector<T>& array, std::size_t smallest) {
    if (archive.IsStoring()) {
        archive.WriteInt32(static_cast<std::int32_t>(array.size()));
        for (T& entry : array) {
            archive.Exchange(entry);
        }
        return;
    }
    const std::int32_t count = archive.ReadInt32();
    if (count < 0 || static_cast<std::size_t>(count) > archive.Remaining() / smallest) {
        throw ArchiveError(ArchiveError::Cause::EndOfData,
                           "an array of " + std::to_string(count) + " entries where only " +
                               std::to_string(archive.Remaining()) + " bytes are left");
    }
    array.assign(static_cast<std::size_t>(count), T{});
    for (T& entry : array) {
        archive.Exchange(entry);
    }
}

void ExchangeNet(CArchive& archive, std::shared_ptr<CPNPetriNet>& net) {
    if (archive.IsStoring()) {
        archive.WriteInt32(net == nullptr ? 0 : 1);
        if (net != nullptr) {
            archive.WriteObject(net);
        }
        return;
    }
    net = archive.ReadInt32() != 0 ? archive.ReadObjectOf<CPNPetriNet>() : nullptr;
}

}  // namespace

CPNQuestion::CPNQuestion(QuestionKind questionKind, std::int32_t questionId,
                         std::u16string questionTitle, std::u16string questionText)
    : id(questionId),
      title(std::move(questionTitle)),
      kind(questionKind),
      text(std::move(questionText)) {}

CPNQuestion::CPNQuestion(std::int32_t questionId)
    : CPNQuestion(QuestionKind::Unset, questionId, u"", u"") {}

CPNQuestion::CPNQuestion(StoredFields fields)
    : id(fields.id),
      title(std::move(fields.title)),
      kind(fields.kind),
      text(std::move(fields.text)),
      answerNumber(fields.answerNumber),
      itemCount(fields.itemCount),
      items(std::move(fields.items)),
      rightItems(std::move(fields.rightItems)),
      answer(std::move(fields.answer)),
      workNet(std::move(fields.workNet)),
      askedRequirements(fields.askedRequirements),
      keyNumber(fields.keyNumber),
      key(std::move(fields.key)),
      keyNet(std::move(fields.keyNet)),
      keyRequirements(fields.keyRequirements),
      points(fields.points) {}

CPNQuestion::CPNQuestion(std::int32_t questionId, std::u16string questionTitle,
                         std::u16string questionText, std::int32_t count,
                         std::vector<std::u16string> options, const std::vector<bool>& correct,
                         std::shared_ptr<CPNPetriNet> net)
    : CPNQuestion(QuestionKind::ChooseAnswers, questionId, std::move(questionTitle),
                  std::move(questionText)) {
    itemCount = std::max(count, 0);
    items = std::move(options);
    items.resize(static_cast<std::size_t>(itemCount));
    answer.assign(items.size(), 0);
    key.assign(items.size(), 0);
    for (std::size_t i = 0; i < key.size() && i < correct.size(); ++i) {
        key[i] = correct[i] ? 1 : 0;
    }
    workNet = std::move(net);
}

CPNQuestion::CPNQuestion(std::int32_t questionId, std::u16string questionTitle,
                         std::u16string questionText, std::int32_t count,
                         std::vector<std::u16string> leftItems,
                         std::vector<std::u16string> rightSide,
                         const std::vector<std::int32_t>& pairing, std::shared_ptr<CPNPetriNet> net)
    : CPNQuestion(QuestionKind::ConnectRelated, questionId, std::move(questionTitle),
                  std::move(questionText)) {
    itemCount = std::max(count, 0);
    items = std::move(leftItems);
    items.resize(static_cast<std::size_t>(itemCount));
    rightItems = std::move(rightSide);
    rightItems.resize(items.size());
    answer.assign(items.size(), kNoPair);
    key.assign(items.size(), kNoPair);
    std::copy_n(pairing.begin(), std::min(pairing.size(), key.size()), key.begin());
    workNet = std::move(net);
}

CPNQuestion::CPNQuestion(std::int32_t questionId, std::u16string questionTitle,
                         std::u16string questionText, std::shared_ptr<CPNPetriNet> work,
                         std::shared_ptr<CPNPetriNet> solution)
    : CPNQuestion(QuestionKind::CompleteNet, questionId, std::move(questionTitle),
                  std::move(questionText)) {
    workNet = std::move(work);
    keyNet = std::move(solution);
}

CPNQuestion::CPNQuestion(std::int32_t questionId, std::u16string questionTitle,
                         std::u16string questionText, std::shared_ptr<CPNPetriNet> work,
                         const Requirements& requirements)
    : CPNQuestion(QuestionKind::CompleteNetByRequirements, questionId, std::move(questionTitle),
                  std::move(questionText)) {
    workNet = std::move(work);
    ApplyRequirements(requirements);
}

CPNQuestion::CPNQuestion(std::int32_t questionId, std::u16string questionTitle,
                         std::u16string questionText, std::shared_ptr<CPNPetriNet> solution)
    : CPNQuestion(QuestionKind::DrawNet, questionId, std::move(questionTitle),
                  std::move(questionText)) {
    workNet = std::make_shared<CPNPetriNet>();
    keyNet = std::move(solution);
}

CPNQuestion::CPNQuestion(std::int32_t questionId, std::u16string questionTitle,
                         std::u16string questionText, const Requirements& requirements)
    : CPNQuestion(QuestionKind::DrawNetByRequirements, questionId, std::move(questionTitle),
                  std::move(questionText)) {
    workNet = std::make_shared<CPNPetriNet>();
    ApplyRequirements(requirements);
}

CPNQuestion::CPNQuestion(std::int32_t questionId, std::u16string questionTitle,
                         std::u16string questionText)
    : CPNQuestion(QuestionKind::DrawNetNoCorrection, questionId, std::move(questionTitle),
                  std::move(questionText)) {
    workNet = std::make_shared<CPNPetriNet>();
}

void CPNQuestion::ApplyRequirements(const Requirements& requirements) {
    std::array<bool, kRequirementSlots> asked{};
    std::array<bool, kRequirementSlots - 1> flags{};
    for (int slot = 0; slot < kRequirementSlots; ++slot) {
        asked[slot] = requirements[slot].asked;
        if (slot > 0) {
            flags[slot - 1] = requirements[slot].value != 0;
        }
    }
    SetAskedRequirements(asked);
    SetKeyRequirements(requirements[0].value, flags);
}

bool CPNQuestion::HasWholeItemArrays() const {
    const auto whole = [&](std::size_t size) {
        return static_cast<std::int64_t>(size) == itemCount;
    };
    return whole(items.size()) && whole(answer.size()) && whole(key.size()) &&
           (kind != QuestionKind::ConnectRelated || whole(rightItems.size()));
}

bool CPNQuestion::AddItem() {
    if (!HasWholeItemArrays() || itemCount == std::numeric_limits<std::int32_t>::max()) {
        return false;
    }
    const bool connect = kind == QuestionKind::ConnectRelated;
    items.emplace_back(connect ? kNewLeftItemText : kNewItemText);
    answer.push_back(connect ? kNoPair : 0);
    key.push_back(connect ? kNoPair : 0);
    if (connect) {
        rightItems.emplace_back(kNewRightItemText);
    }
    ++itemCount;
    return true;
}

bool CPNQuestion::RemoveItem(std::int32_t index) {
    if (itemCount <= 0 || !HasWholeItemArrays()) {
        return false;
    }
    const auto at = static_cast<std::ptrdiff_t>(std::clamp(index, 0, itemCount - 1));
    items.erase(items.begin() + at);
    answer.erase(answer.begin() + at);
    key.erase(key.begin() + at);
    if (kind == QuestionKind::ConnectRelated) {
        rightItems.erase(rightItems.begin() + at);
        // Pairings with the removed right item go; the others keep their numbers.
        std::replace(answer.begin(), answer.end(), index, kNoPair);
        std::replace(key.begin(), key.end(), index, kNoPair);
    }
    --itemCount;
    return true;
}

template <class T>
bool CPNQuestion::IsValid(const std::vector<T>& array, std::int32_t index) const {
    return index >= 0 && index < itemCount && static_cast<std::size_t>(index) < array.size();
}

bool CPNQuestion::SetItem(std::int32_t index, std::u16string value) {
    if (!IsValid(items, index)) {
        return false;
    }
    items[static_cast<std::size_t>(index)] = std::move(value);
    return true;
}

bool CPNQuestion::SetRightItem(std::int32_t index, std::u16string value) {
    if (!IsValid(rightItems, index)) {
        return false;
    }
    rightItems[static_cast<std::size_t>(index)] = std::move(value);
    return true;
}

std::u16string CPNQuestion::GetItem(std::int32_t index) const {
    return IsValid(items, index) ? items[static_cast<std::size_t>(index)] : std::u16string();
}

std::u16string CPNQuestion::GetRightItem(std::int32_t index) const {
    return IsValid(rightItems, index) ? rightItems[static_cast<std::size_t>(index)]
                                      : std::u16string();
}

void CPNQuestion::SetFirstItemText(std::u16string value) {
    if (!items.empty()) {
        items.front() = std::move(value);
    }
}

std::u16string CPNQuestion::GetFirstItemText() const {
    return items.empty() ? std::u16string() : items.front();
}

bool CPNQuestion::SetPair(std::vector<std::int32_t>& array, std::int32_t index,
                          std::int32_t value) const {
    if (!IsValid(array, index) || value >= itemCount) {
        return false;
    }
    std::replace(array.begin(), array.end(), value, kNoPair);
    array[static_cast<std::size_t>(index)] = value;
    return true;
}

bool CPNQuestion::SetAnswerPair(std::int32_t index, std::int32_t value) {
    return SetPair(answer, index, value);
}

bool CPNQuestion::SetKeyPair(std::int32_t index, std::int32_t value) {
    return SetPair(key, index, value);
}

std::int32_t CPNQuestion::GetAnswerPair(std::int32_t index) const {
    return IsValid(answer, index) ? answer[static_cast<std::size_t>(index)] : kInvalidAnswerPair;
}

std::int32_t CPNQuestion::GetKeyPair(std::int32_t index) const {
    return IsValid(key, index) ? key[static_cast<std::size_t>(index)] : 0;
}

bool CPNQuestion::SetFlag(std::vector<std::int32_t>& array, std::int32_t index, bool value) const {
    if (!IsValid(array, index)) {
        return false;
    }
    array[static_cast<std::size_t>(index)] = value ? 1 : 0;
    return true;
}

bool CPNQuestion::GetFlag(const std::vector<std::int32_t>& array, std::int32_t index) const {
    return IsValid(array, index) && array[static_cast<std::size_t>(index)] != 0;
}

bool CPNQuestion::SetAnswerFlag(std::int32_t index, bool value) {
    return SetFlag(answer, index, value);
}

bool CPNQuestion::SetKeyFlag(std::int32_t index, bool value) {
    return SetFlag(key, index, value);
}

bool CPNQuestion::GetAnswerFlag(std::int32_t index) const {
    return GetFlag(answer, index);
}

bool CPNQuestion::GetKeyFlag(std::int32_t index) const {
    return GetFlag(key, index);
}

void CPNQuestion::SetAskedRequirements(const std::array<bool, kRequirementSlots>& asked) {
    askedRequirements = 0;
    for (int slot = 0; slot < kRequirementSlots; ++slot) {
        SetAskedRequirement(slot, asked[slot]);
    }
}

void CPNQuestion::SetKeyRequirements(std::int32_t r0,
                                     const std::array<bool, kRequirementSlots - 1>& flags) {
    keyRequirements = 0;
    SetR0(keyRequirements, r0, kHighestWordR0);
    for (int slot = 1; slot < kRequirementSlots; ++slot) {
        SetFlagSlot(keyRequirements, slot, flags[slot - 1]);
    }
}

void CPNQuestion::SetAskedRequirement(int slot, bool asked) {
    if (slot == 0) {
        SetBits(askedRequirements, kAskedR0Bit, asked);
    } else {
        SetFlagSlot(askedRequirements, slot, asked);
    }
}

bool CPNQuestion::GetAskedRequirement(int slot) const {
    return slot == 0 ? (askedRequirements & kAskedR0Bit) != 0
                     : GetFlagSlot(askedRequirements, slot);
}

void CPNQuestion::SetKeyRequirementR0(std::int32_t value) {
    SetR0(keyRequirements, value, kHighestSingleR0);
}

std::int32_t CPNQuestion::GetKeyRequirementR0() const {
    return static_cast<std::int32_t>(keyRequirements & kR0Mask);
}

void CPNQuestion::SetAnswerRequirementR0(std::int32_t value) {
    SetR0(answerRequirements, value, kHighestSingleR0);
}

std::int32_t CPNQuestion::GetAnswerRequirementR0() const {
    return static_cast<std::int32_t>(answerRequirements & kR0Mask);
}

void CPNQuestion::SetKeyRequirement(int slot, bool value) {
    SetFlagSlot(keyRequirements, slot, value);
}

bool CPNQuestion::GetKeyRequirement(int slot) const {
    return GetFlagSlot(keyRequirements, slot);
}

void CPNQuestion::SetAnswerRequirement(int slot, bool value) {
    SetFlagSlot(answerRequirements, slot, value);
}

bool CPNQuestion::GetAnswerRequirement(int slot) const {
    return GetFlagSlot(answerRequirements, slot);
}

void CPNQuestion::Serialize(CArchive& archive) {
    // The stored order differs from the declaration order.
    auto code = static_cast<std::int32_t>(kind);
    archive.Exchange(code);
    kind = static_cast<QuestionKind>(code);
    archive.Exchange(id);
    archive.Exchange(title);
    archive.Exchange(text);
    archive.Exchange(answerNumber);
    archive.Exchange(itemCount);
    archive.Exchange(askedRequirements);
    archive.Exchange(keyNumber);
    ExchangeArray(archive, answer, 4);
    ExchangeArray(archive, key, 4);
    ExchangeArray(archive, items, 1);  // an empty 8-bit string is one byte
    ExchangeArray(archive, rightItems, 1);
    archive.Exchange(keyRequirements);
    archive.Exchange(points);
    ExchangeNet(archive, workNet);
    ExchangeNet(archive, keyNet);
    if (archive.IsLoading()) {
        answerRequirements = 0;
        tag = 0;
    }
}

}  // namespace orvane
