// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CArchive: the byte stream in which every database file is written and read, the
// persistent-object format of the Windows client programs. Numbers are little-endian, strings
// are UTF-16 behind the marker FF FE FF and a length prefix, objects are tagged references
// with class records and back-references, numbered in one sequence that starts at 1.
//
// A storing archive collects the bytes in memory (the caller writes them to a file in one
// step); a loading archive reads from bytes already in memory, so every length and count in
// the data is checked against what is really left before anything is allocated.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "archive/ArchiveError.h"
#include "archive/ByteBlocks.h"
#include "archive/Object.h"
#include "archive/ObjectIndexMap.h"

namespace orvane {

class CArchive {
public:
    // A storing archive.
    CArchive();
    // A loading archive over `data`, which must outlive it.
    explicit CArchive(std::span<const std::uint8_t> data);

    bool IsStoring() const { return storing; }
    bool IsLoading() const { return !storing; }

    void WriteBool(bool value) { WriteByte(value ? 1 : 0); }
    void WriteByte(std::uint8_t value) { *output.Extend(1) = value; }
    void WriteInt16(std::int16_t value) { WriteLittleEndian(static_cast<std::uint16_t>(value)); }
    void WriteUInt16(std::uint16_t value) { WriteLittleEndian(value); }
    void WriteInt32(std::int32_t value) { WriteLittleEndian(static_cast<std::uint32_t>(value)); }
    void WriteUInt32(std::uint32_t value) { WriteLittleEndian(value); }
    void WriteInt64(std::int64_t value) { WriteLittleEndian(static_cast<std::uint64_t>(value)); }
    void WriteString(std::u16string_view text);
    // Writes a reference: 00 00 for none, the object in full the first time, its index after.
    void WriteObject(const CObject* object) { WriteReference(object, true); }
    // The same for an object held by shared pointers. One that this pointer alone holds can be
    // met only once while its owners are stored, since every stored reference goes through
    // the pointer that owns the object; so it is not entered in the identity table, which is
    // the costliest step of storing a large database.
    template <class T>
    void WriteObject(const std::shared_ptr<T>& object) {
        WriteReference(object.get(), object.use_count() != 1);
    }

    bool ReadBool() { return ReadByte() != 0; }
    std::uint8_t ReadByte() { return *Take(1); }
    std::int16_t ReadInt16() { return static_cast<std::int16_t>(ReadUInt16()); }
    std::uint16_t ReadUInt16() { return ReadLittleEndian<std::uint16_t>(); }
    std::int32_t ReadInt32() { return static_cast<std::int32_t>(ReadUInt32()); }
    std::uint32_t ReadUInt32() { return ReadLittleEndian<std::uint32_t>(); }
    std::int64_t ReadInt64() {
        return static_cast<std::int64_t>(ReadLittleEndian<std::uint64_t>());
    }
    std::u16string ReadString();
    // Reads a reference; with an expected class, an object of any other class is a read error.
    std::shared_ptr<CObject> ReadObject(const CRuntimeClass* expected);
    template <class T>
    std::shared_ptr<T> ReadObjectOf() {
        return std::static_pointer_cast<T>(ReadObject(&T::Class()));
    }

    // Stores or loads one item, as the archive's mode says. Booleans are one byte, the other
    // types take their own width; a std::uint8_t keeps a stored flag byte exactly as read.
    template <class T>
    void Exchange(T& value);

    // The bytes written so far (storing), in one block.
    const std::vector<std::uint8_t>& Data() const;
    // The same, taken out of the archive, which is then empty.
    std::vector<std::uint8_t> TakeData();
    // The bytes written so far in order, in pieces, without joining them (storing).
    std::vector<std::span<const std::uint8_t>> Pieces() const { return output.Pieces(); }
    // Bytes not yet read (loading).
    std::size_t Remaining() const { return input.size() - position; }
    // Objects and class records read so far (loading): a reference that leaves it unchanged
    // named an object read before, or none.
    std::size_t LoadedCount() const { return loadedObjects.size(); }

private:
    template <class U>
    void WriteLittleEndian(U value) {
        std::uint8_t* bytes = output.Extend(sizeof(U));
        for (std::size_t i = 0; i < sizeof(U); ++i) {
            bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
        }
    }
    template <class U>
    U ReadLittleEndian() {
        const std::uint8_t* bytes = Take(sizeof(U));
        U value = 0;
        for (std::size_t i = 0; i < sizeof(U); ++i) {
            value = static_cast<U>(value | (static_cast<U>(bytes[i]) << (8 * i)));
        }
        return value;
    }
    // The next `size` bytes to read; the end of the data is a read error.
    const std::uint8_t* Take(std::size_t size) {
        if (size > Remaining()) [[unlikely]] {
            ThrowEndOfData(size);
        }
        const std::uint8_t* bytes = input.data() + position;
        position += size;
        return bytes;
    }
    [[noreturn]] void ThrowEndOfData(std::uint64_t size) const;
    std::uint64_t ReadStringLength(bool& wide);
    void WriteReference(const CObject* object, bool mayMeetAgain);
    void WriteClassPart(const CRuntimeClass& runtimeClass);
    const CRuntimeClass& ReadClassRecord(const CRuntimeClass* expected);
    const CRuntimeClass& ClassAtIndex(std::uint32_t index) const;
    std::shared_ptr<CObject> ObjectAtIndex(std::uint32_t index,
                                           const CRuntimeClass* expected) const;
    std::uint32_t TakeIndex();

    bool storing;
    std::uint32_t nextIndex = 1;
    int depth = 0;
    // storing
    CByteBlocks output;
    mutable std::vector<std::uint8_t> joined;  // what Data() last gave
    CObjectIndexMap storedObjects;
    std::vector<std::pair<const CRuntimeClass*, std::uint32_t>> storedClasses;
    // loading
    std::span<const std::uint8_t> input;
    std::size_t position = 0;
    // The object under each index, null under 0 and under a class record's index. A file of
    // small objects has one entry for every few bytes, so an entry is one pointer and the
    // classes stand apart, in the few records below.
    std::vector<std::shared_ptr<CObject>> loadedObjects;
    // The index and class of each class record, in the order read (so sorted by index).
    std::vector<std::pair<std::uint32_t, const CRuntimeClass*>> loadedClasses;
};

template <class T>
void CArchive::Exchange(T& value) {
    if constexpr (std::is_same_v<T, bool>) {
        storing ? WriteBool(value) : void(value = ReadBool());
    } else if constexpr (std::is_same_v<T, std::uint8_t>) {
        storing ? WriteByte(value) : void(value = ReadByte());
    } else if constexpr (std::is_same_v<T, std::int16_t>) {
        storing ? WriteInt16(value) : void(value = ReadInt16());
    } else if constexpr (std::is_same_v<T, std::int32_t>) {
        storing ? WriteInt32(value) : void(value = ReadInt32());
    } else if constexpr (std::is_same_v<T, std::uint32_t>) {
        storing ? WriteUInt32(value) : void(value = ReadUInt32());
    } else if constexpr (std::is_same_v<T, std::int64_t>) {
        storing ? WriteInt64(value) : void(value = ReadInt64());
    } else if constexpr (std::is_same_v<T, std::u16string>) {
        storing ? WriteString(value) : void(value = ReadString());
    } else {
        static_assert(sizeof(T) == 0, "not an archive item");
    }
}

}  // namespace orvane
