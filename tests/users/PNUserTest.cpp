#include <gtest/gtest.h>

#include "archive/Archive.h"
#include "support/ByteBuilder.h"
#include "users/PNUser.h"

namespace orvane {
namespace {

using test::Bytes;
using test::Hex;

std::vector<std::uint8_t> Store(CPNUser& user) {
    CArchive archive;
    user.Serialize(archive);
    return archive.TakeData();
}

CPNUser Load(const std::vector<std::uint8_t>& bytes) {
    CPNUser user;
    CArchive archive(bytes);
    user.Serialize(archive);
    EXPECT_EQ(archive.Remaining(), 0u);
    return user;
}

TEST(PNUser, StoresFlagNameLoginPasswordInThatOrder) {
    CPNUser user(u"jhrasko", u"Ján Hraško", u"tajne", true), empty;
    EXPECT_EQ(Hex(Store(user)),
              Hex(Bytes().Byte(1).Str(u"Ján Hraško").Str(u"jhrasko").Str(u"tajne")));
    EXPECT_EQ(Hex(Store(empty)), "00 FF FE FF 00 FF FE FF 00 FF FE FF 00");
    const CPNUser loaded = Load(Store(user));
    EXPECT_EQ(loaded.GetLogin() + loaded.GetName() + loaded.GetPassword(),
              u"jhraskoJán Hraškotajne");
    EXPECT_TRUE(loaded.IsTeacher());
    EXPECT_FALSE(Load(Store(empty)).IsTeacher());
}

TEST(PNUser, AnyNonZeroFlagByteIsATeacherAndIsWrittenBackUnchanged) {
    const std::vector<std::uint8_t> bytes = Bytes().Byte(2).Str(u"").Str(u"x").Str(u"");
    CPNUser loaded = Load(bytes);
    EXPECT_TRUE(loaded.IsTeacher());
    EXPECT_EQ(Store(loaded), bytes);
    loaded.SetTeacher(true);
    EXPECT_EQ(Store(loaded)[0], 1);
}

}  // namespace
}  // namespace orvane
