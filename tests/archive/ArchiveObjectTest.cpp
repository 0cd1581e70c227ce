#include <gtest/gtest.h>

#include "archive/Archive.h"
#include "archive/ClassRegistry.h"
#include "support/ByteBuilder.h"
#include "users/PNUser.h"
#include "users/PNUserDB.h"

namespace orvane {
namespace {

using test::Bytes;
using test::Hex;
using Cause = ArchiveError::Cause;

// The items of an account, as CPNUser writes them after its class part.
Bytes UserItems(bool teacher, std::u16string_view name, std::u16string_view login,
                std::u16string_view password) {
    return std::move(Bytes().Byte(teacher ? 1 : 0).Str(name).Str(login).Str(password));
}

Cause ReadFailure(const std::vector<std::uint8_t>& bytes, const CRuntimeClass* expected) {
    try {
        CArchive archive(bytes);
        for (;;) {
            archive.ReadObject(expected);
        }
    } catch (const ArchiveError& error) {
        return error.GetCause();
    }
}

TEST(ClassRegistry, HoldsExactlyTheElevenClassNames) {
    EXPECT_EQ(RegistryClassNames().size(), 11u);
    EXPECT_EQ(FindClass("CPNUser"), &CPNUser::Class());
    EXPECT_EQ(FindClass("CPNUserDB"), &CPNUserDB::Class());
    EXPECT_EQ(FindClass("CObject"), nullptr);
    EXPECT_EQ(FindClass("cpnuser"), nullptr);
}

TEST(ArchiveObject, NullReferenceIsTwoZeroBytesAndReadsAsNoneForAnyClass) {
    CArchive out;
    out.WriteObject(nullptr);
    EXPECT_EQ(Hex(out.Data()), "00 00");
    CArchive in(out.Data());
    EXPECT_EQ(in.ReadObject(&CPNUser::Class()), nullptr);
}

TEST(ArchiveObject, ClassRecordComesOnceThenTheClassTag) {
    CPNUser first(u"jan", u"Ján", u"pw", false);
    CPNUser second(u"eva", u"Eva", u"x", true);
    CArchive out;
    out.WriteObject(&first);
    out.WriteObject(&second);
    const Bytes expected = std::move(Bytes()
                                         .Class("CPNUser")
                                         .Raw(UserItems(false, u"Ján", u"jan", u"pw"))
                                         .U16(0x8001)
                                         .Raw(UserItems(true, u"Eva", u"eva", u"x")));
    EXPECT_EQ(Hex(out.Data()), Hex(expected));
    EXPECT_EQ(Hex(Bytes().Class("CPNUser").Get()).substr(0, 17), "FF FF 01 00 07 00");
}

TEST(ArchiveObject, ClassesAndObjectsShareOneIndexSequence) {
    CPNUser a1, a2;
    CPNUserDB b;
    CArchive out;
    out.WriteObject(&a1);  // class 1, object 2
    out.WriteObject(&a2);  // object 3
    out.WriteObject(&b);   // class 4, object 5
    out.WriteObject(&a2);
    out.WriteObject(&b);
    out.WriteObject(&a1);
    const auto& bytes = out.Data();
    EXPECT_EQ(Hex({bytes.end() - 6, bytes.end()}), "03 00 05 00 02 00");

    CArchive in(bytes);
    const auto r1 = in.ReadObject(&CPNUser::Class());
    const auto r2 = in.ReadObject(&CPNUser::Class());
    const auto r3 = in.ReadObject(&CPNUserDB::Class());
    EXPECT_EQ(in.ReadObject(&CPNUser::Class()), r2);
    EXPECT_EQ(in.ReadObject(nullptr), r3);
    EXPECT_EQ(in.ReadObject(&CPNUser::Class()), r1);
    EXPECT_NE(r1, r2);
}

TEST(ArchiveObject, SameObjectTwiceIsWrittenOnceThenByIndex) {
    CPNUser user(u"a", u"b", u"c", true);
    CArchive out;
    out.WriteObject(&user);
    out.WriteObject(&user);
    EXPECT_EQ(Hex(out.Data()),
              Hex(Bytes().Class("CPNUser").Raw(UserItems(true, u"b", u"a", u"c")).U16(2)));
    CArchive in(out.Data());
    const auto loaded = in.ReadObjectOf<CPNUser>();
    EXPECT_EQ(in.ReadObjectOf<CPNUser>(), loaded);
    EXPECT_EQ(loaded->GetName(), u"b");
}

TEST(ArchiveObject, SharedPointersGiveTheSameBytesHeldOnceOrTwice) {
    const auto alone = std::make_shared<CPNUser>(u"a", u"A", u"1", false);
    const auto held = std::make_shared<CPNUser>(u"b", u"B", u"2", true);
    const auto again = held;
    CArchive out;
    out.WriteObject(alone);  // class 1, object 2
    out.WriteObject(held);   // object 3
    out.WriteObject(again);
    out.WriteObject(std::shared_ptr<CPNUser>());
    EXPECT_EQ(Hex(out.Data()), Hex(Bytes()
                                       .Class("CPNUser")
                                       .Raw(UserItems(false, u"A", u"a", u"1"))
                                       .U16(0x8001)
                                       .Raw(UserItems(true, u"B", u"b", u"2"))
                                       .U16(3)
                                       .U16(0)));
    CArchive in(out.Data());
    in.ReadObject(nullptr);
    const auto first = in.ReadObject(nullptr);
    EXPECT_EQ(in.ReadObject(nullptr), first);
}

TEST(ArchiveObject, IndicesBeyond15BitsUseTheBigTagBothWays) {
    // 0x7FFF objects push the next indices past what 15 bits can hold.
    std::vector<CPNUser> users(0x7FFF);
    CPNUserDB database1, database2;
    CArchive out;
    for (const auto& user : users) {
        out.WriteObject(&user);
    }
    const std::size_t mark = out.Data().size();
    out.WriteObject(&database1);     // class record 0x8001, object 0x8002
    out.WriteObject(&database2);     // class index 0x8001 no longer fits 0x8000 + c; object 0x8003
    out.WriteObject(&users.back());  // object index 0x8000
    out.WriteObject(&database2);     // object index 0x8003
    const auto& bytes = out.Data();
    const std::vector<std::uint8_t> tail(bytes.begin() + static_cast<std::ptrdiff_t>(mark),
                                         bytes.end());
    EXPECT_EQ(Hex(tail), Hex(Bytes()
                                 .Class("CPNUserDB")
                                 .I32(0)
                                 .U16(0x7FFF)
                                 .U32(0x80008001)
                                 .I32(0)
                                 .U16(0x7FFF)
                                 .U32(0x8000)
                                 .U16(0x7FFF)
                                 .U32(0x8003)));
    CArchive in(bytes);
    std::shared_ptr<CObject> lastUser;
    for (std::size_t i = 0; i < users.size(); ++i) {
        lastUser = in.ReadObject(&CPNUser::Class());
    }
    in.ReadObject(&CPNUserDB::Class());
    const auto second = in.ReadObject(&CPNUserDB::Class());
    EXPECT_EQ(in.ReadObject(nullptr), lastUser);
    EXPECT_EQ(in.ReadObject(nullptr), second);
    EXPECT_EQ(in.Remaining(), 0u);
}

TEST(ArchiveObject, MalformedReferencesAreReadErrorsWithTheirCause) {
    const auto user = UserItems(false, u"", u"", u"");
    const Bytes good = std::move(Bytes().Class("CPNUser").Raw(user));
    EXPECT_EQ(
        ReadFailure(Bytes().U16(0xFFFF).U16(2).U16(7).Raw({'C', 'P', 'N', 'U', 's', 'e', 'r'}),
                    nullptr),
        Cause::BadSchema);
    EXPECT_EQ(ReadFailure(Bytes().Class("CPNWhatever"), nullptr), Cause::BadClass);
    EXPECT_EQ(ReadFailure(Bytes().Class(std::string(64, 'C')), nullptr), Cause::BadClass);
    EXPECT_EQ(ReadFailure(good, &CPNUserDB::Class()), Cause::BadClass);     // another class
    EXPECT_EQ(ReadFailure(Bytes().U16(5), nullptr), Cause::BadIndex);       // not yet assigned
    EXPECT_EQ(ReadFailure(Bytes().U16(0x8003), nullptr), Cause::BadIndex);  // no such class
    EXPECT_EQ(ReadFailure(Bytes().U16(0x8000), nullptr), Cause::BadIndex);  // class index 0
    // A back-reference to the index of a class record, and one to an object of another class.
    EXPECT_EQ(ReadFailure(Bytes(good).U16(1), nullptr), Cause::BadIndex);
    EXPECT_EQ(ReadFailure(Bytes(good).U16(2), &CPNUserDB::Class()), Cause::BadClass);
    EXPECT_EQ(ReadFailure(Bytes(good).U16(0x7FFF).U32(0x80000009), nullptr), Cause::BadIndex);
    // Cut anywhere inside, the data ends inside an item.
    for (std::size_t size = 1; size < good.Get().size(); ++size) {
        const std::vector<std::uint8_t> head(
            good.Get().begin(), good.Get().begin() + static_cast<std::ptrdiff_t>(size));
        EXPECT_EQ(ReadFailure(head, nullptr), Cause::EndOfData) << size;
    }
}

}  // namespace
}  // namespace orvane
