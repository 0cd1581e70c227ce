#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "archive/Archive.h"
#include "archive/ByteBlocks.h"

namespace orvane {
namespace {

std::vector<std::uint8_t> Joined(const std::vector<std::span<const std::uint8_t>>& pieces) {
    std::vector<std::uint8_t> bytes;
    for (const auto piece : pieces) {
        bytes.insert(bytes.end(), piece.begin(), piece.end());
    }
    return bytes;
}

TEST(ByteBlocks, KeepsEveryByteInOrderAcrossBlocksOfAnySize) {
    CByteBlocks blocks;
    std::vector<std::uint8_t> expected;
    // Small items that fill block after block, then one item larger than any block.
    for (std::uint32_t i = 0; i < 300'000; ++i) {
        std::memcpy(blocks.Extend(4), &i, 4);
        expected.insert(expected.end(), reinterpret_cast<const std::uint8_t*>(&i),
                        reinterpret_cast<const std::uint8_t*>(&i) + 4);
    }
    const std::vector<std::uint8_t> large(3 << 20, 0x5A);
    std::memcpy(blocks.Extend(large.size()), large.data(), large.size());
    expected.insert(expected.end(), large.begin(), large.end());
    *blocks.Extend(1) = 0x01;
    expected.push_back(0x01);

    EXPECT_EQ(blocks.Size(), expected.size());
    EXPECT_GT(blocks.Pieces().size(), 2u);
    EXPECT_EQ(Joined(blocks.Pieces()), expected);
    std::vector<std::uint8_t> appended{0xEE};
    blocks.AppendTo(appended);
    EXPECT_EQ(appended.size(), expected.size() + 1);
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), appended.begin() + 1));

    blocks.Clear();
    EXPECT_EQ(blocks.Size(), 0u);
    EXPECT_TRUE(blocks.Pieces().empty());
}

TEST(ByteBlocks, ArchiveGivesTheSameBytesJoinedInPiecesAndTaken) {
    CArchive archive;
    EXPECT_TRUE(archive.Data().empty());
    for (std::int32_t i = 0; i < 5000; ++i) {
        archive.WriteInt32(i);
        archive.WriteString(u"účet");
    }
    const std::vector<std::uint8_t> first = archive.Data();
    EXPECT_EQ(Joined(archive.Pieces()), first);
    archive.WriteByte(0x7E);  // Data() after more writes holds them too
    EXPECT_EQ(archive.Data().size(), first.size() + 1);
    EXPECT_EQ(archive.Data().back(), 0x7E);

    const std::vector<std::uint8_t> taken = archive.TakeData();
    EXPECT_EQ(taken.size(), first.size() + 1);
    EXPECT_TRUE(archive.Data().empty());
    archive.WriteByte(0x01);
    EXPECT_EQ(archive.Data(), std::vector<std::uint8_t>{0x01});

    CArchive reader(taken);
    EXPECT_EQ(reader.ReadInt32(), 0);
    EXPECT_EQ(reader.ReadString(), u"účet");
}

}  // namespace
}  // namespace orvane
