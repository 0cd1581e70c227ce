// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "archive/Archive.h"
#include "support/ByteBuilder.h"
#include "support/Serialized.h"

namespace orvane::test {
namespace {

std::vector<std::uint8_t> Stored(std::u16string_view text) {
    CArchive archive;
    archive.WriteString(text);
    return archive.TakeData();
}

std::u16string Loaded(const std::vector<std::uint8_t>& bytes) {
    CArchive archive(bytes);
    std::u16string text = archive.ReadString();
    EXPECT_EQ(archive.Remaining(), 0u);
    return text;
}

// The marker FF FE FF, then the shortest length form that holds the number of UTF-16 units.
TEST(ArchiveString, WritesEveryLengthFormAndReadsItBack) {
    for (const auto& [text, head] : std::vector<std::pair<std::u16string, std::string>>{
             {u"", "FF FE FF 00"},
             {u"abc", "FF FE FF 03 61 00 62 00 63 00"},
             {u"č", "FF FE FF 01 0D 01"},
             {u"Predvolené konto učiteľa \U0001F600", "FF FE FF 1B"},  // a surrogate pair: 2
             {std::u16string(254, u'x'), "FF FE FF FE"},
             {std::u16string(255, u'x'), "FF FE FF FF FF 00"},
             {std::u16string(0xFFFD, u'x'), "FF FE FF FF FD FF"},
             {std::u16string(0xFFFE, u'x'), "FF FE FF FF FF FF FE FF 00 00"},
             {std::u16string(70000, u'y'), "FF FE FF FF FF FF 70 11 01 00"}}) {
        const auto bytes = Stored(text);
        EXPECT_EQ(Hex(bytes).substr(0, head.size()), head) << text.size();
        EXPECT_EQ(Loaded(bytes), text) << text.size();
    }
}

TEST(ArchiveString, ReadsEveryEightBitAndUtf16LengthForm) {
    const Bytes eightBit{0xFF, 0xFF, 0xFF}, wide{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF};
    for (const auto& [bytes, text] : std::vector<std::pair<Bytes, std::u16string>>{
             {{0x03, 'a', 'b', 'c'}, u"abc"},
             {{0xFF, 0x03, 0x00, 'a', 'b', 'c'}, u"abc"},
             {Bytes(eightBit).U32(3).Raw({'a', 'b', 'c'}), u"abc"},
             {Bytes(eightBit).U32(0xFFFFFFFF).I64(3).Raw({'a', 'b', 'c'}), u"abc"},
             {{0x02, 0xE8, 0xBE}, u"čľ"},  // 8-bit strings are Windows-1250, as on Slovak Windows
             {Bytes{0xFF, 0xFE, 0xFF, 0xFF}.U16(1).U16(u'z'), u"z"},
             {Bytes(wide).U32(1).U16(u'z'), u"z"},
             // After the marker 0xFFFE is no length either: a 32-bit length follows.
             {Bytes{0xFF, 0xFE, 0xFF, 0xFF}.U16(0xFFFE).U32(1).U16(u'z'), u"z"},
             {Bytes(wide).U32(0xFFFFFFFF).I64(1).U16(u'z'), u"z"}}) {
        EXPECT_EQ(Loaded(bytes), text) << Hex(bytes);
    }
}

TEST(ArchiveString, TruncatedOrOversizedStringsAreEndOfData) {
    ExpectEveryCutEndsTheData(Stored(u"abc"), Loaded);
    // Lengths far beyond the data fail before anything that large is allocated.
    for (const Bytes& bytes : {Bytes{0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}.U32(0x7FFFFFFF).U16(1),
                               Bytes{0xFF, 0xFF, 0xFF}.U32(0xFFFFFFFF).I64(-1)}) {
        EXPECT_EQ(ReadError([&] { Loaded(bytes); }), ArchiveError::Cause::EndOfData);
    }
}

}  // namespace
}  // namespace orvane::test
