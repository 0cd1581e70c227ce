// Files that the fuzz targets once found mishandled, kept byte for byte as they were found.
#include <gtest/gtest.h>

#include <string>

#include "archive/Archive.h"
#include "exam/PNTestDB.h"
#include "support/ByteBuilder.h"
#include "support/TempFolder.h"

namespace orvane {
namespace {

std::vector<std::uint8_t> FuzzInput(const std::string& name) {
    return test::ReadBytes(std::string(ORVANE_FUZZ_INPUTS) + "/" + name);
}

// The file as the test database stores it again after loading it.
std::vector<std::uint8_t> Reloaded(const std::vector<std::uint8_t>& bytes) {
    CPNTestDB db;
    CArchive in(bytes);
    db.Serialize(in);
    db.First();
    CArchive out;
    db.Serialize(out);
    return out.TakeData();
}

TEST(FuzzInputs, NetThatListsAnElementTwiceKeepsItsSizeOverSaveAndLoad) {
    const auto input = FuzzInput("testdb-element-listed-twice");
    ASSERT_FALSE(input.empty());
    const auto once = Reloaded(input);
    const auto twice = Reloaded(once);
    EXPECT_EQ(twice.size(), once.size());
    EXPECT_EQ(test::Hex(Reloaded(twice)), test::Hex(once));
}

}  // namespace
}  // namespace orvane
