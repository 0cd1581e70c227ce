#pragma once
// Stores an object's items into bytes, and loads bytes into a fresh object, the way a
// database object meets its file: no object reference around the items.
#include <cstdint>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "archive/Archive.h"

namespace orvane::test {

template <class T>
std::vector<std::uint8_t> StoredItems(T& object) {
    CArchive archive;
    object.Serialize(archive);
    return archive.TakeData();
}

// `left`, when given, receives the number of bytes that loading did not read.
template <class T>
std::shared_ptr<T> LoadedItems(const std::vector<std::uint8_t>& bytes,
                               std::size_t* left = nullptr) {
    auto object = std::make_shared<T>();
    CArchive archive(bytes);
    object->Serialize(archive);
    if (left != nullptr) {
        *left = archive.Remaining();
    }
    return object;
}

// The cause of the read error that loading the bytes into a fresh T raises.
template <class T>
ArchiveError::Cause LoadFailure(const std::vector<std::uint8_t>& bytes) {
    try {
        LoadedItems<T>(bytes);
    } catch (const ArchiveError& error) {
        return error.GetCause();
    }
    ADD_FAILURE() << "no read error";
    return ArchiveError::Cause::BadIndex;
}

}  // namespace orvane::test
