// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ByteBuilder.h"

#include <cstdio>

namespace orvane::test {

Bytes& Bytes::Little(std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        data.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
    return *this;
}

Bytes& Bytes::I32s(std::initializer_list<std::int32_t> values) {
    for (const std::int32_t value : values) {
        I32(value);
    }
    return *this;
}

Bytes& Bytes::Str(std::u16string_view text) {
    Byte(0xFF).U16(0xFFFE);
    if (text.size() < 0xFF) {
        Byte(static_cast<std::uint8_t>(text.size()));
    } else if (text.size() < 0xFFFE) {
        Byte(0xFF).U16(static_cast<std::uint16_t>(text.size()));
    } else {
        Byte(0xFF).U16(0xFFFF).U32(static_cast<std::uint32_t>(text.size()));
    }
    for (const char16_t unit : text) {
        U16(unit);
    }
    return *this;
}

Bytes& Bytes::Class(std::string_view name) {
    U16(0xFFFF).U16(1).U16(static_cast<std::uint16_t>(name.size()));
    data.insert(data.end(), name.begin(), name.end());
    return *this;
}

Bytes& Bytes::Raw(const std::vector<std::uint8_t>& bytes) {
    data.insert(data.end(), bytes.begin(), bytes.end());
    return *this;
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
    std::string out;
    char cell[4];
    for (const std::uint8_t byte : bytes) {
        std::snprintf(cell, sizeof cell, "%02X ", byte);
        out += cell;
    }
    if (!out.empty()) {
        out.pop_back();
    }
    return out;
}

}  // namespace orvane::test
