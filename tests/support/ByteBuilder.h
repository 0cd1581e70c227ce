// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds expected archive bytes item by item, so tests compare whole byte strings:
//   Bytes().Byte(1).Str(u"abc").I32(-1).Class("CPNUser")
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::test {

class Bytes {
public:
    Bytes() = default;
    Bytes(std::initializer_list<std::uint8_t> raw) : data(raw) {}

    Bytes& Byte(std::uint8_t value) { return Little(value, 1); }
    Bytes& I16(std::int16_t value) { return Little(static_cast<std::uint16_t>(value), 2); }
    Bytes& U16(std::uint16_t value) { return Little(value, 2); }
    Bytes& I32(std::int32_t value) { return Little(static_cast<std::uint32_t>(value), 4); }
    // Several 32-bit integers in a row: I32s({2, 1001}).
    Bytes& I32s(std::initializer_list<std::int32_t> values);
    Bytes& U32(std::uint32_t value) { return Little(value, 4); }
    Bytes& I64(std::int64_t value) { return Little(static_cast<std::uint64_t>(value), 8); }
    // An archive string in the UTF-16 form that the system writes.
    Bytes& Str(std::u16string_view text);
    // A new-class tag (FF FF) and the class record, schema 1.
    Bytes& Class(std::string_view name);
    Bytes& Raw(const std::vector<std::uint8_t>& bytes);

    operator const std::vector<std::uint8_t>&() const { return data; }
    const std::vector<std::uint8_t>& Get() const { return data; }

private:
    // The low `size` bytes of `value`, least significant first.
    Bytes& Little(std::uint64_t value, int size);

    std::vector<std::uint8_t> data;
};

// Hex dump "FF FE FF 00" for readable failure messages.
std::string Hex(const std::vector<std::uint8_t>& bytes);

}  // namespace orvane::test
