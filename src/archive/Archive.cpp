// SPDX-License-Identifier: GPL-3.0-or-later
#include "archive/Archive.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "archive/ClassRegistry.h"
#include "common/TextCodec.h"

namespace orvane {
namespace {

constexpr std::uint16_t kNullTag = 0x0000;
constexpr std::uint16_t kNewClassTag = 0xFFFF;
constexpr std::uint16_t kClassTag = 0x8000;
constexpr std::uint16_t kBigObjectTag = 0x7FFF;
constexpr std::uint32_t kBigClassTag = 0x80000000u;
constexpr std::size_t kMaxClassNameLength = 64;
// Nesting deeper than any database file has (test, question, net, element, label) means a
// malformed file; refusing it keeps the loader's stack bounded.
constexpr int kMaxDepth = 256;

}  // namespace

CArchive::CArchive() : storing(true) {}

CArchive::CArchive(std::span<const std::uint8_t> data) : storing(false), input(data) {
    loadedObjects.emplace_back();  // index 0: no object
}

void CArchive::ThrowEndOfData(std::uint64_t size) const {
    throw ArchiveError(ArchiveError::Cause::EndOfData,
                       "an item of " + std::to_string(size) + " bytes at offset " +
                           std::to_string(position) + ", where only " +
                           std::to_string(Remaining()) + " bytes are left");
}

const std::vector<std::uint8_t>& CArchive::Data() const {
    joined.clear();
    output.AppendTo(joined);
    return joined;
}

std::vector<std::uint8_t> CArchive::TakeData() {
    std::vector<std::uint8_t> bytes;
    output.AppendTo(bytes);
    output.Clear();
    return bytes;
}

void CArchive::WriteString(std::u16string_view text) {
    const std::uint64_t length = text.size();
    WriteByte(0xFF);
    WriteUInt16(0xFFFE);
    if (length < 0xFF) {
        WriteByte(static_cast<std::uint8_t>(length));
    } else {
        WriteByte(0xFF);
        if (length < 0xFFFE) {
            WriteUInt16(static_cast<std::uint16_t>(length));
        } else {
            WriteUInt16(0xFFFF);
            if (length < 0xFFFFFFFFu) {
                WriteUInt32(static_cast<std::uint32_t>(length));
            } else {
                WriteUInt32(0xFFFFFFFFu);
                WriteLittleEndian(length);
            }
        }
    }
    std::uint8_t* out = output.Extend(2 * text.size());
    if constexpr (std::endian::native == std::endian::little) {
        if (!text.empty()) {  // an empty view may have no data pointer at all
            std::memcpy(out, text.data(), 2 * text.size());
        }
    } else {
        for (const char16_t unit : text) {
            *out++ = static_cast<std::uint8_t>(unit);
            *out++ = static_cast<std::uint8_t>(unit >> 8);
        }
    }
}

std::uint64_t CArchive::ReadStringLength(bool& wide) {
    wide = false;
    std::uint8_t byteLength = ReadByte();
    if (byteLength < 0xFF) {
        return byteLength;
    }
    std::uint16_t wordLength = ReadUInt16();
    if (wordLength == 0xFFFE) {
        // The UTF-16 marker: the length starts over in its one-byte form.
        wide = true;
        byteLength = ReadByte();
        if (byteLength < 0xFF) {
            return byteLength;
        }
        wordLength = ReadUInt16();
    }
    if (wordLength < 0xFFFE) {
        return wordLength;
    }
    const std::uint32_t longLength = ReadUInt32();
    if (longLength < 0xFFFFFFFFu) {
        return longLength;
    }
    return ReadLittleEndian<std::uint64_t>();
}

std::u16string CArchive::ReadString() {
    bool wide = false;
    const std::uint64_t length = ReadStringLength(wide);
    const std::uint64_t unitSize = wide ? 2 : 1;
    if (length > Remaining() / unitSize) {
        ThrowEndOfData(length * unitSize);
    }
    const std::size_t size = static_cast<std::size_t>(length);
    const std::uint8_t* bytes = Take(size * unitSize);
    if (!wide) {
        return FromWindows1250(std::string_view(reinterpret_cast<const char*>(bytes), size));
    }
    std::u16string text(size, u'\0');
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(text.data(), bytes, 2 * size);
    } else {
        for (std::size_t i = 0; i < size; ++i) {
            text[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        }
    }
    return text;
}

void CArchive::WriteClassPart(const CRuntimeClass& runtimeClass) {
    for (const auto& [known, index] : storedClasses) {
        if (known == &runtimeClass) {
            if (index < kBigObjectTag) {
                WriteUInt16(static_cast<std::uint16_t>(kClassTag | index));
            } else {
                WriteUInt16(kBigObjectTag);
                WriteUInt32(kBigClassTag | index);
            }
            return;
        }
    }
    WriteUInt16(kNewClassTag);
    WriteUInt16(runtimeClass.schema);
    WriteUInt16(static_cast<std::uint16_t>(runtimeClass.className.size()));
    std::memcpy(output.Extend(runtimeClass.className.size()), runtimeClass.className.data(),
                runtimeClass.className.size());
    storedClasses.emplace_back(&runtimeClass, nextIndex++);
}

void CArchive::WriteReference(const CObject* object, bool mayMeetAgain) {
    if (object == nullptr) {
        WriteUInt16(kNullTag);
        return;
    }
    const std::uint32_t index = mayMeetAgain ? storedObjects.Find(object) : 0;
    if (index != 0) {
        if (index < kBigObjectTag) {
            WriteUInt16(static_cast<std::uint16_t>(index));
        } else {
            WriteUInt16(kBigObjectTag);
            WriteUInt32(index);
        }
        return;
    }
    WriteClassPart(object->GetRuntimeClass());
    if (mayMeetAgain) {
        storedObjects.Add(object, nextIndex);
    }
    ++nextIndex;
    const_cast<CObject*>(object)->Serialize(*this);
}

std::uint32_t CArchive::TakeIndex() {
    if (nextIndex >= kBigClassTag) {
        throw ArchiveError(ArchiveError::Cause::BadIndex, "too many objects in one archive");
    }
    return nextIndex++;
}

const CRuntimeClass& CArchive::ReadClassRecord(const CRuntimeClass* expected) {
    const std::uint16_t schema = ReadUInt16();
    const std::uint16_t nameLength = ReadUInt16();
    if (nameLength >= kMaxClassNameLength) {
        throw ArchiveError(ArchiveError::Cause::BadClass,
                           "a class name of " + std::to_string(nameLength) + " bytes");
    }
    const std::uint8_t* nameBytes = Take(nameLength);
    const std::string_view name(reinterpret_cast<const char*>(nameBytes), nameLength);
    const CRuntimeClass* runtimeClass = FindClass(name);
    if (runtimeClass == nullptr && expected != nullptr && expected->className == name) {
        runtimeClass = expected;
    }
    if (runtimeClass == nullptr) {
        throw ArchiveError(ArchiveError::Cause::BadClass,
                           "the class \"" + std::string(name) + "\" is not known");
    }
    if (schema != runtimeClass->schema) {
        throw ArchiveError(ArchiveError::Cause::BadSchema,
                           "schema " + std::to_string(schema) + " of " + std::string(name));
    }
    loadedClasses.emplace_back(TakeIndex(), runtimeClass);
    loadedObjects.emplace_back();
    return *runtimeClass;
}

const CRuntimeClass& CArchive::ClassAtIndex(std::uint32_t index) const {
    const auto found = std::lower_bound(
        loadedClasses.begin(), loadedClasses.end(), index,
        [](const auto& record, std::uint32_t wanted) { return record.first < wanted; });
    if (found == loadedClasses.end() || found->first != index) {
        throw ArchiveError(ArchiveError::Cause::BadIndex,
                           "no class record under index " + std::to_string(index));
    }
    return *found->second;
}

std::shared_ptr<CObject> CArchive::ObjectAtIndex(std::uint32_t index,
                                                 const CRuntimeClass* expected) const {
    if (index >= loadedObjects.size() || loadedObjects[index] == nullptr) {
        throw ArchiveError(ArchiveError::Cause::BadIndex,
                           "no object under index " + std::to_string(index));
    }
    const std::shared_ptr<CObject>& object = loadedObjects[index];
    if (expected != nullptr && !object->IsKindOf(*expected)) {
        throw ArchiveError(ArchiveError::Cause::BadClass,
                           "a " + std::string(object->GetRuntimeClass().className) + " where a " +
                               std::string(expected->className) + " belongs");
    }
    return object;
}

std::shared_ptr<CObject> CArchive::ReadObject(const CRuntimeClass* expected) {
    const std::uint16_t shortTag = ReadUInt16();
    const std::uint32_t tag =
        shortTag == kBigObjectTag
            ? ReadUInt32()
            : (static_cast<std::uint32_t>(shortTag & kClassTag) << 16) | (shortTag & ~kClassTag);
    if ((tag & kBigClassTag) == 0) {
        return tag == 0 ? nullptr : ObjectAtIndex(tag, expected);
    }
    const CRuntimeClass& runtimeClass =
        shortTag == kNewClassTag ? ReadClassRecord(expected) : ClassAtIndex(tag & ~kBigClassTag);
    if (expected != nullptr && &runtimeClass != expected) {
        throw ArchiveError(ArchiveError::Cause::BadClass,
                           "a " + std::string(runtimeClass.className) + " where a " +
                               std::string(expected->className) + " belongs");
    }
    if (depth >= kMaxDepth) {
        throw ArchiveError(ArchiveError::Cause::BadClass, "objects nested too deeply");
    }
    std::shared_ptr<CObject> object = runtimeClass.createObject();
    loadedObjects.push_back(object);
    TakeIndex();
    struct DepthGuard {
        int& depth;
        ~DepthGuard() { --depth; }
    } guard{++depth};
    object->Serialize(*this);
    return object;
}

}  // namespace orvane
