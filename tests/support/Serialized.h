// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Stores an object's items into bytes, and loads bytes into a fresh object, the way a
// database object meets its file: no object reference around the items. Read errors are told
// by their cause.
#include <cstdint>
#include <functional>
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

// The cause of the read error that `read` raises.
inline ArchiveError::Cause ReadError(const std::function<void()>& read) {
    try {
        read();
    } catch (const ArchiveError& error) {
        return error.GetCause();
    }
    ADD_FAILURE() << "no read error";
    return ArchiveError::Cause::BadIndex;
}

// The cause of the read error that loading the bytes into a fresh T raises.
template <class T>
ArchiveError::Cause LoadFailure(const std::vector<std::uint8_t>& bytes) {
    return ReadError([&] { LoadedItems<T>(bytes); });
}

// `load` given `whole` cut short anywhere, down to no byte at all, meets the end of the data.
template <class Load>
void ExpectEveryCutEndsTheData(const std::vector<std::uint8_t>& whole, Load load) {
    for (auto end = whole.begin(); end != whole.end(); ++end) {
        const std::vector<std::uint8_t> head(whole.begin(), end);
        EXPECT_EQ(ReadError([&] { load(head); }), ArchiveError::Cause::EndOfData) << head.size();
    }
}
template <class T>
void ExpectEveryCutEndsTheData(const std::vector<std::uint8_t>& whole) {
    ExpectEveryCutEndsTheData(whole, [](const auto& head) { LoadedItems<T>(head); });
}

}  // namespace orvane::test
