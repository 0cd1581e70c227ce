// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CMarkingLayout: how a marking is packed into bytes. Each place has a field of its own width:
// as few bits as its known bound needs (one bit for a place that never holds more than one
// token), 16 bits or more for a place whose bound is not known. In such a field the value with
// every bit set stands for ω, "as many tokens as wanted", which only the coverability graph
// uses. Fields are read and written through 64-bit words, so every packed marking must have
// kPadding readable bytes after it.
#include <cstdint>
#include <cstring>
#include <limits>
#include <vector>

namespace orvane {

class CMarkingLayout {
public:
    static constexpr std::uint32_t kOmega = std::numeric_limits<std::uint32_t>::max();
    static constexpr std::uint64_t kUnknownBound = std::numeric_limits<std::uint64_t>::max();
    static constexpr std::size_t kPadding = 8;

    // One bound per place (kUnknownBound where none is known); `largestStart` is the largest
    // initial token count of a place without a bound.
    CMarkingLayout(const std::vector<std::uint64_t>& bounds, std::uint32_t largestStart);

    std::size_t Bytes() const { return bytes; }
    std::size_t Places() const { return fields.size(); }
    // Whether the place may hold ω, and the largest count its field holds besides.
    bool MayBeOmega(std::uint32_t place) const { return fields[place].omega; }
    std::uint32_t Largest(std::uint32_t place) const { return fields[place].largest; }

    // Get and Set are defined here, inline: the explorer calls them for every edge.
    std::uint32_t Get(const std::uint8_t* packed, std::uint32_t place) const;
    // `value` must fit: at most Largest(place), or kOmega where the place may hold it.
    void Set(std::uint8_t* packed, std::uint32_t place, std::uint32_t value) const;
    void Unpack(const std::uint8_t* packed, std::uint32_t* values) const;

private:
    struct SField {
        std::uint32_t offset;  // in bits
        std::uint32_t width;
        std::uint64_t mask;
        std::uint32_t largest;  // the largest count; the mask itself is ω where it may be
        bool omega;
    };
    static std::uint64_t Word(const std::uint8_t* packed, std::uint32_t offset) {
        std::uint64_t word;
        std::memcpy(&word, packed + offset / 8, sizeof word);
        return word;
    }
    std::vector<SField> fields;
    std::size_t bytes = 0;
};

inline std::uint32_t CMarkingLayout::Get(const std::uint8_t* packed, std::uint32_t place) const {
    const SField& field = fields[place];
    const std::uint64_t value = (Word(packed, field.offset) >> (field.offset % 8)) & field.mask;
    return field.omega && value == field.mask ? kOmega : static_cast<std::uint32_t>(value);
}

inline void CMarkingLayout::Set(std::uint8_t* packed, std::uint32_t place,
                                std::uint32_t value) const {
    const SField& field = fields[place];
    const std::uint64_t bits = value == kOmega ? field.mask : value;
    const std::uint32_t shift = field.offset % 8;
    const std::uint64_t word =
        (Word(packed, field.offset) & ~(field.mask << shift)) | (bits << shift);
    std::memcpy(packed + field.offset / 8, &word, sizeof word);
}

}  // namespace orvane
