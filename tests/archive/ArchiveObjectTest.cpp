// SPDX-License-Identifier: GPL-3.0-or-later
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

// Classes and objects share one index sequence; an index of 0x7FFF or more takes the big tag.
TEST(ArchiveObject, IndicesFrom0x7FFFUseTheBigTagBothWays) {
    // After the accounts: two databases, each written again, then the last account again.
    const Bytes head = Bytes().Class("CPNUserDB").I32(0);
    // 0x7FFC accounts: class index 0x7FFE still fits 0x8000 + c; object index 0x7FFF does not.
    Bytes fits = Bytes(head).U16(0xFFFE).I32(0).U16(0x7FFF).U32(0x7FFF);
    fits.U16(0x7FFF).U32(0x8000).U16(0x7FFD);
    // 0x7FFD accounts: class index 0x7FFF goes with bit 31 set.
    Bytes big = Bytes(head).U16(0x7FFF).U32(0x80007FFF).I32(0).U16(0x7FFF).U32(0x8000);
    big.U16(0x7FFF).U32(0x8001).U16(0x7FFE);
    const std::pair<std::size_t, Bytes> cases[] = {{0x7FFC, fits}, {0x7FFD, big}};
    for (const auto& [count, tail] : cases) {
        std::vector<CPNUser> users(count);
        CPNUserDB first, second;
        CArchive out;
        for (const auto& user : users) {
            out.WriteObject(&user);
        }
        const std::size_t mark = out.Data().size();
        for (const CObject* object : std::initializer_list<const CObject*>{
                 &first, &second, &first, &second, &users.back()}) {
            out.WriteObject(object);
        }
        const auto& bytes = out.Data();
        EXPECT_EQ(Hex({bytes.begin() + static_cast<std::ptrdiff_t>(mark), bytes.end()}), Hex(tail));
        CArchive in(bytes);
        std::vector<std::shared_ptr<CObject>> loaded;
        for (std::size_t i = 0; i < count + 2; ++i) {
            loaded.push_back(in.ReadObject(i < count ? &CPNUser::Class() : &CPNUserDB::Class()));
        }
        for (const std::size_t again : {count, count + 1, count - 1}) {
            EXPECT_EQ(in.ReadObject(nullptr), loaded[again]) << count;
        }
        EXPECT_EQ(in.Remaining(), 0u);
    }
}

// A class of the tests alone, known only where it is expected: each link holds the next.
class CLink : public CObject {
public:
    static const CRuntimeClass& Class() {
        static const CRuntimeClass record{
            "CLink", 1, []() -> std::shared_ptr<CObject> { return std::make_shared<CLink>(); }};
        return record;
    }
    const CRuntimeClass& GetRuntimeClass() const override { return Class(); }
    void Serialize(CArchive& archive) override { next = archive.ReadObjectOf<CLink>(); }
    std::shared_ptr<CLink> next;
};

// Objects nest 256 deep, no deeper: a chain of links, each after the class tag of the first.
TEST(ArchiveObject, ObjectsNestAtMost256Deep) {
    for (const auto& [links, read] : {std::pair{256, true}, std::pair{257, false}}) {
        Bytes chain = Bytes().Class("CLink");
        for (int i = 1; i < links; ++i) {
            chain.U16(0x8001);
        }
        chain.U16(0);
        const auto load = [&chain] { CArchive(chain.Get()).ReadObject(&CLink::Class()); };
        if (read) {
            EXPECT_NO_THROW(load());
        } else {
            EXPECT_EQ(ReadError(load), Cause::BadClass);
        }
    }
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
    // A name of 64 bytes is refused before its bytes are looked for; one of 63 is taken.
    EXPECT_EQ(ReadFailure(Bytes().U16(0xFFFF).U16(1).U16(64)), Cause::BadClass);
    EXPECT_EQ(ReadFailure(Bytes().U16(0xFFFF).U16(1).U16(63)), Cause::EndOfData);
    EXPECT_EQ(ReadFailure(good, &CPNUserDB::Class()), Cause::BadClass);  // another class
    EXPECT_EQ(ReadFailure(Bytes().U16(5)), Cause::BadIndex);             // not yet assigned
    EXPECT_EQ(ReadFailure(Bytes().U16(0x8003)), Cause::BadIndex);        // no such class
    EXPECT_EQ(ReadFailure(Bytes().U16(0x8000)), Cause::BadIndex);        // class index 0
    EXPECT_EQ(ReadFailure(Bytes(good).U16(0x8002)), Cause::BadIndex);    // an object's index
    // A back-reference to the index of a class record, and one to an object of another class.
    EXPECT_EQ(ReadFailure(Bytes(good).U16(1)), Cause::BadIndex);
    EXPECT_EQ(ReadFailure(Bytes(good).U16(2), &CPNUserDB::Class()), Cause::BadClass);
    EXPECT_EQ(ReadFailure(Bytes(good).U16(0x7FFF).U32(0x80000009)), Cause::BadIndex);
    ExpectEveryCutEndsTheData(good, [](const auto& head) { ReadAll(head); });
}

}  // namespace
}  // namespace orvane::test
