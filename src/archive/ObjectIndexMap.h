// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CObjectIndexMap: the index under which each object went into a storing archive, found by
// the object's address (identity, not contents). Every object written is looked up once, so
// this is a storing archive's busiest table: a flat table with linear probing, at most half
// full, of 8-byte slots that hold a tag of the address and the index. Each 8 KiB page of
// memory gets a scattered window of slots, and an object's probe starts in its page's window
// by its offset in the page. Objects made one after another, as a database holds them, so
// share a few cache lines of the table instead of missing the cache once each, which is what
// makes a table of a million objects slow. The addresses themselves are kept by index, to
// tell apart objects whose tags are equal and to rebuild the table when it grows.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane {

class CObject;

class CObjectIndexMap {
public:
    // The index given to `object`, or 0 when it has none yet.
    std::uint32_t Find(const CObject* object);
    // Gives `object`, which the Find just before did not find, its index (at least 1).
    void Add(const CObject* object, std::uint32_t index);

    std::size_t Size() const { return count; }

private:
    struct Slot {
        std::uint32_t tag = 0;
        std::uint32_t index = 0;  // 0: an empty slot
    };

    std::size_t Home(const CObject* object) const;
    void Grow();

    std::vector<Slot> slots;
    std::vector<const CObject*> objects;  // by index
    std::size_t count = 0;
    std::size_t vacant = 0;  // the empty slot where the last Find stopped
};

}  // namespace orvane
