// (The order of an account's items, flag, name, login and password, is checked byte for byte
// in the user database file tests.)
#include <gtest/gtest.h>

#include "support/ByteBuilder.h"
#include "support/Serialized.h"
#include "users/PNUser.h"

namespace orvane {
namespace {

TEST(PNUser, AnyNonZeroFlagByteIsATeacherAndIsWrittenBackUnchanged) {
    const std::vector<std::uint8_t> bytes = test::Bytes().Byte(2).Str(u"").Str(u"x").Str(u"");
    std::size_t left = 1;
    const auto loaded = test::LoadedItems<CPNUser>(bytes, &left);
    EXPECT_EQ(left, 0u);
    EXPECT_TRUE(loaded->IsTeacher());
    EXPECT_EQ(loaded->GetLogin(), u"x");
    EXPECT_EQ(test::StoredItems(*loaded), bytes);
    loaded->SetTeacher(true);
    EXPECT_EQ(test::StoredItems(*loaded)[0], 1);
}

}  // namespace
}  // namespace orvane
