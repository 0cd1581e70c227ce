// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CPNQuestion: one exam task about Petri nets. Every question has a kind, an id, a title, an
// assignment text and points; by its kind it also carries text items (answer options, or left
// and right items to connect), the answer side (ticks, pairings, the net worked on) and the key
// side (correct ticks or pairings, the solution net, the required net properties).
//
// The requirement words hold seven slots R0 to R6: in askedRequirements bit 0 says whether R0
// is asked; in keyRequirements and answerRequirements bits 0-2 hold R0 as a number; bits 4 to 9
// hold R1 to R6 in all three words.
//
// Stored as: kind, id, title, text, answerNumber, itemCount, askedRequirements, keyNumber,
// answer, key, items, rightItems, keyRequirements, points, workNet, keyNet. Each array is its
// own count and entries (0 for none); each net is 0, or 1 and the net. answerRequirements and
// tag are never stored.
//
// A loaded file may hold arrays whose length differs from itemCount: every per-item access
// checks the index against both.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "archive/Object.h"
#include "exam/QuestionKind.h"
#include "petrinet/PNPetriNet.h"

namespace orvane {

class CPNQuestion : public CObject {
    ORVANE_DECLARE_SERIAL(CPNQuestion)

public:
    static constexpr int kRequirementSlots = 7;
    static constexpr std::u16string_view kNewItemText = u"<zadaj položku>";
    static constexpr std::u16string_view kNewLeftItemText = u"<zadaj položku ľavej strany>";
    static constexpr std::u16string_view kNewRightItemText = u"<zadaj položku pravej strany>";

    // One requirement slot as the "by requirements" kinds are given it: whether it is asked
    // and the value it requires (a number 0 to 4 for R0, a flag, non-zero, for R1 to R6).
    struct Requirement {
        bool asked = false;
        std::int32_t value = 0;
    };
    using Requirements = std::array<Requirement, kRequirementSlots>;

    // Every stored field as it is. Tools that write questions from another form of the file
    // build them from it; as when loading, nothing is checked, trimmed or derived.
    struct StoredFields {
        QuestionKind kind = QuestionKind::Unset;
        std::int32_t id = 0;
        std::u16string title;
        std::u16string text;
        std::int16_t answerNumber = 0;
        std::int32_t itemCount = 0;
        std::uint32_t askedRequirements = 0;
        std::int16_t keyNumber = 0;
        std::vector<std::int32_t> answer;
        std::vector<std::int32_t> key;
        std::vector<std::u16string> items;
        std::vector<std::u16string> rightItems;
        std::uint32_t keyRequirements = 0;
        std::int16_t points = 0;
        std::shared_ptr<CPNPetriNet> workNet;
        std::shared_ptr<CPNPetriNet> keyNet;
    };

    // For loading.
    CPNQuestion() = default;
    explicit CPNQuestion(StoredFields fields);
    // Unset.
    explicit CPNQuestion(std::int32_t id);
    // ChooseAnswers: the options and one correct-flag per option.
    CPNQuestion(std::int32_t id, std::u16string title, std::u16string text, std::int32_t itemCount,
                std::vector<std::u16string> options, const std::vector<bool>& correct,
                std::shared_ptr<CPNPetriNet> net);
    // ConnectRelated: left and right items and, per left item, the right item it belongs to.
    CPNQuestion(std::int32_t id, std::u16string title, std::u16string text, std::int32_t itemCount,
                std::vector<std::u16string> leftItems, std::vector<std::u16string> rightItems,
                const std::vector<std::int32_t>& pairing, std::shared_ptr<CPNPetriNet> net);
    // CompleteNet.
    CPNQuestion(std::int32_t id, std::u16string title, std::u16string text,
                std::shared_ptr<CPNPetriNet> workNet, std::shared_ptr<CPNPetriNet> keyNet);
    // CompleteNetByRequirements.
    CPNQuestion(std::int32_t id, std::u16string title, std::u16string text,
                std::shared_ptr<CPNPetriNet> workNet, const Requirements& requirements);
    // DrawNet: the work net starts empty.
    CPNQuestion(std::int32_t id, std::u16string title, std::u16string text,
                std::shared_ptr<CPNPetriNet> keyNet);
    // DrawNetByRequirements: the work net starts empty.
    CPNQuestion(std::int32_t id, std::u16string title, std::u16string text,
                const Requirements& requirements);
    // DrawNetNoCorrection: the work net starts empty.
    CPNQuestion(std::int32_t id, std::u16string title, std::u16string text);

    std::int32_t GetId() const { return id; }
    void SetId(std::int32_t value) { id = value; }
    std::u16string GetTitle() const { return title; }
    void SetTitle(std::u16string value) { title = std::move(value); }
    std::u16string GetText() const { return text; }
    void SetText(std::u16string value) { text = std::move(value); }
    QuestionKind GetKind() const { return kind; }
    std::int16_t GetAnswerNumber() const { return answerNumber; }
    void SetAnswerNumber(std::int16_t value) { answerNumber = value; }
    std::int16_t GetKeyNumber() const { return keyNumber; }
    void SetKeyNumber(std::int16_t value) { keyNumber = value; }
    std::int16_t GetPoints() const { return points; }
    void SetPoints(std::int16_t value) { points = value; }
    std::int32_t GetTag() const { return tag; }
    void SetTag(std::int32_t value) { tag = value; }
    std::int32_t GetItemCount() const { return itemCount; }
    std::shared_ptr<CPNPetriNet> GetWorkNet() const { return workNet; }
    void SetWorkNet(std::shared_ptr<CPNPetriNet> net) { workNet = std::move(net); }
    std::shared_ptr<CPNPetriNet> GetKeyNet() const { return keyNet; }
    void SetKeyNet(std::shared_ptr<CPNPetriNet> net) { keyNet = std::move(net); }

    // The arrays as they stand (empty when the question has none).
    const std::vector<std::u16string>& GetItems() const { return items; }
    const std::vector<std::u16string>& GetRightItems() const { return rightItems; }
    const std::vector<std::int32_t>& GetAnswer() const { return answer; }
    const std::vector<std::int32_t>& GetKey() const { return key; }

    // Appends an item to every item array; false (nothing changes) when the arrays do not
    // hold itemCount entries each, as only a damaged file leaves them.
    bool AddItem();
    // Removes the item at a 0-based index from every item array; an index beyond the end
    // removes the last item. False without items or with damaged arrays.
    bool RemoveItem(std::int32_t index);

    bool SetItem(std::int32_t index, std::u16string value);
    bool SetRightItem(std::int32_t index, std::u16string value);
    std::u16string GetItem(std::int32_t index) const;
    std::u16string GetRightItem(std::int32_t index) const;
    // Item 0; nothing happens, or an empty text comes back, when there are no items.
    void SetFirstItemText(std::u16string value);
    std::u16string GetFirstItemText() const;
    // Pairs left item `index` with right item `value` (-1: with none); another left item
    // paired with that right item loses its pairing.
    bool SetAnswerPair(std::int32_t index, std::int32_t value);
    bool SetKeyPair(std::int32_t index, std::int32_t value);
    std::int32_t GetAnswerPair(std::int32_t index) const;  // -2 for an invalid index
    std::int32_t GetKeyPair(std::int32_t index) const;     // 0 for an invalid index
    bool SetAnswerFlag(std::int32_t index, bool value);
    bool SetKeyFlag(std::int32_t index, bool value);
    bool GetAnswerFlag(std::int32_t index) const;
    bool GetKeyFlag(std::int32_t index) const;

    std::uint32_t GetAskedRequirements() const { return askedRequirements; }
    std::uint32_t GetKeyRequirements() const { return keyRequirements; }
    std::uint32_t GetAnswerRequirements() const { return answerRequirements; }
    // The whole word from seven flags, R0 first.
    void SetAskedRequirements(const std::array<bool, kRequirementSlots>& asked);
    // The whole word: R0 from a number 0 to 4 (anything else leaves it 0), R1 to R6 from flags.
    void SetKeyRequirements(std::int32_t r0, const std::array<bool, kRequirementSlots - 1>& flags);
    // Whether slot 0 to 6 is asked.
    void SetAskedRequirement(int slot, bool asked);
    bool GetAskedRequirement(int slot) const;
    // R0 of the key or answer word: only 0 and 1 are taken, anything else sets R0 to 0.
    void SetKeyRequirementR0(std::int32_t value);
    std::int32_t GetKeyRequirementR0() const;
    void SetAnswerRequirementR0(std::int32_t value);
    std::int32_t GetAnswerRequirementR0() const;
    // The flag of slot 1 to 6 of the key or answer word; slot 0 is a number, not a flag.
    void SetKeyRequirement(int slot, bool value);
    bool GetKeyRequirement(int slot) const;
    void SetAnswerRequirement(int slot, bool value);
    bool GetAnswerRequirement(int slot) const;

    void Serialize(CArchive& archive) override;

private:
    CPNQuestion(QuestionKind kind, std::int32_t id, std::u16string title, std::u16string text);

    void ApplyRequirements(const Requirements& requirements);
    bool HasWholeItemArrays() const;
    template <class T>
    bool IsValid(const std::vector<T>& array, std::int32_t index) const;
    bool SetPair(std::vector<std::int32_t>& array, std::int32_t index, std::int32_t value) const;
    bool SetFlag(std::vector<std::int32_t>& array, std::int32_t index, bool value) const;
    bool GetFlag(const std::vector<std::int32_t>& array, std::int32_t index) const;

    std::int32_t id = 0;
    std::u16string title;
    QuestionKind kind = QuestionKind::Unset;
    std::u16string text;
    std::int16_t answerNumber = 0;
    std::int32_t itemCount = 0;
    std::vector<std::u16string> items;
    std::vector<std::u16string> rightItems;
    std::vector<std::int32_t> answer;
    std::shared_ptr<CPNPetriNet> workNet;
    std::uint32_t askedRequirements = 0;
    std::uint32_t answerRequirements = 0;
    std::int16_t keyNumber = 0;
    std::vector<std::int32_t> key;
    std::shared_ptr<CPNPetriNet> keyNet;
    std::uint32_t keyRequirements = 0;
    std::int16_t points = 0;
    std::int32_t tag = 0;
};

}  // namespace orvane
