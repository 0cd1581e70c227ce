#include <gtest/gtest.h>

#include "archive/Archive.h"
#include "archive/ClassRegistry.h"
#include "support/ByteBuilder.h"
#include "support/Serialized.h"
#include "users/PNUser.h"
#include "users/PNUserDB.h"

namespace orvane::test {
namespace {

using Cause = ArchiveError::Cause;

// The items of an account, as CPNUser writes them after its class part.
Bytes UserItems(bool teacher, std::u16string_view name, std::u16string_view login,
                std::u16string_view password) {
    return std::move(Bytes().Byte(teacher ? 1 : 0).Str(name).Str(login).Str(password));
}

// Reads objects from the bytes until one of them fails.
void ReadAll(const std::vector<std::uint8_t>& bytes, const CRuntimeClass* expected = nullptr) {
    CArchive archive(bytes);
    for (;;) {
        archive.ReadObject(expected);
    }
}

Cause ReadFailure(const std::vector<std::uint8_t>& bytes, const CRuntimeClass* expected = nullptr) {
    return ReadError([&] { ReadAll(bytes, expected); });
}

// Raw and shared pointers give the same bytes: the class record once, then the class tag;
// an object met again by its index; a null reference as 00 00, read as none for any class.
TEST(ArchiveObject, ClassRecordThenClassTagThenBackReferenceThenNull) {
    EXPECT_EQ(Hex(Bytes().Class("CPNUser")).substr(0, 17), "FF FF 01 00 07 00");
    Bytes expected = Bytes().Class("CPNUser").Raw(UserItems(false, u"Ján", u"jan", u"pw"));
    expected.U16(0x8001).Raw(UserItems(true, u"Eva", u"eva", u"x")).U16(3).U16(0);
    CPNUser first(u"jan", u"Ján", u"pw", false), second(u"eva", u"Eva", u"x", true);
    CArchive raw;
    for (const CPNUser* user : {&first, &second, &second, static_cast<CPNUser*>(nullptr)}) {
        raw.WriteObject(user);
    }
    EXPECT_EQ(Hex(raw.Data()), Hex(expected));
    // One held by its pointer alone is not entered, yet takes its index all the same.
    const auto alone = std::make_shared<CPNUser>(u"jan", u"Ján", u"pw", false);
    const auto held = std::make_shared<CPNUser>(u"eva", u"Eva", u"x", true);
    const auto again = held;
    CArchive shared;
    shared.WriteObject(alone);
    shared.WriteObject(held);
    shared.WriteObject(again);
    shared.WriteObject(std::shared_ptr<CPNUser>());
    EXPECT_EQ(Hex(shared.Data()), Hex(expected));

    CArchive in(expected.Get());
    EXPECT_EQ(in.ReadObjectOf<CPNUser>()->GetName(), u"Ján");
    const auto loaded = in.ReadObjectOf<CPNUser>();
    EXPECT_EQ(in.ReadObjectOf<CPNUser>(), loaded);
    EXPECT_EQ(loaded->GetLogin(), u"eva");
    EXPECT_EQ(in.ReadObject(&CPNUserDB::Class()), nullptr);
}

// Classes and objects share one index sequence; indices past 15 bits take the big tag.
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
    Bytes tail = Bytes().Class("CPNUserDB").I32(0).U16(0x7FFF).U32(0x80008001).I32(0);
    tail.U16(0x7FFF).U32(0x8000).U16(0x7FFF).U32(0x8003);
    EXPECT_EQ(Hex({bytes.begin() + static_cast<std::ptrdiff_t>(mark), bytes.end()}), Hex(tail));
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
    const Bytes good = Bytes().Class("CPNUser").Raw(UserItems(false, u"", u"", u""));
    const Bytes badSchema =
        Bytes().U16(0xFFFF).U16(2).U16(7).Raw({'C', 'P', 'N', 'U', 's', 'e', 'r'});
    EXPECT_EQ(ReadFailure(badSchema), Cause::BadSchema);
    EXPECT_EQ(RegistryClassNames().size(), 11u);  // only the system's classes, spelt exactly
    for (const char* name : {"CPNWhatever", "CObject", "cpnuser"}) {
        EXPECT_EQ(ReadFailure(Bytes().Class(name)), Cause::BadClass) << name;
    }
    EXPECT_EQ(ReadFailure(Bytes().Class(std::string(64, 'C'))), Cause::BadClass);
    EXPECT_EQ(ReadFailure(good, &CPNUserDB::Class()), Cause::BadClass);  // another class
    EXPECT_EQ(ReadFailure(Bytes().U16(5)), Cause::BadIndex);             // not yet assigned
    EXPECT_EQ(ReadFailure(Bytes().U16(0x8003)), Cause::BadIndex);        // no such class
    EXPECT_EQ(ReadFailure(Bytes().U16(0x8000)), Cause::BadIndex);        // class index 0
    // A back-reference to the index of a class record, and one to an object of another class.
    EXPECT_EQ(ReadFailure(Bytes(good).U16(1)), Cause::BadIndex);
    EXPECT_EQ(ReadFailure(Bytes(good).U16(2), &CPNUserDB::Class()), Cause::BadClass);
    EXPECT_EQ(ReadFailure(Bytes(good).U16(0x7FFF).U32(0x80000009)), Cause::BadIndex);
    ExpectEveryCutEndsTheData(good, [](const auto& head) { ReadAll(head); });
}

}  // namespace
}  // namespace orvane::test
