#pragma once
// CObjectIndexMap: the index under which each object went into a storing archive, found by
// the object's address (identity, not contents). Every object written is looked up once, so
// this is a storing archive's busiest table: a flat table with linear probing, at most half
// full. Each 8 KiB page of memory gets a scattered window of slots, and an object's probe
// starts in its page's window by its offset in the page. Objects made one after another, as
// a database holds them, so share a few cache lines of the table instead of missing the
// cache once each, which is what makes a table of a million objects slow.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvane {

class CObject;

class CObjectIndexMap {
public:
    // The index slot of `object`: 0 when the object was not there before and has just been
    // added; the caller then stores its index in it. Valid until the next call.
    std::uint32_t& IndexOf(const CObject* object);

    std::size_t Size() const { return count; }

private:
    struct Slot {
        const CObject* object = nullptr;
        std::uint32_t index = 0;
    };

    std::size_t Home(const CObject* object) const;
    Slot& Probe(const CObject* object);
    void Grow();

    std::vector<Slot> slots;
    std::size_t count = 0;
};

}  // namespace orvane
