// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CCursorList: the list behind the accounts of a user database, the tests of a test database,
// the questions of a test and the elements of a net: shared items, new ones at the front, and
// one cursor that the walk and the lookups move. First puts the cursor on the front item (no
// cursor when the list is empty); Next moves it on and answers false at the last item, where
// the cursor stays, and without a cursor. Taking out the item under the cursor leaves no
// cursor. Iterators stay valid until their own item is taken out, so an owner may keep them
// and put the cursor on one later.
#include <algorithm>
#include <cstddef>
#include <iterator>
#include <list>
#include <memory>
#include <utility>

namespace orvane {

template <class T>
class CCursorList {
public:
    using Items = std::list<std::shared_ptr<T>>;
    using iterator = typename Items::iterator;
    using const_iterator = typename Items::const_iterator;

    CCursorList() = default;
    CCursorList(const CCursorList&) = delete;
    CCursorList& operator=(const CCursorList&) = delete;

    bool IsEmpty() const { return items.empty(); }
    std::size_t Size() const { return items.size(); }
    const std::shared_ptr<T>& Front() const { return items.front(); }
    iterator begin() { return items.begin(); }
    iterator end() { return items.end(); }
    const_iterator begin() const { return items.begin(); }
    const_iterator end() const { return items.end(); }
    auto rbegin() const { return items.rbegin(); }
    auto rend() const { return items.rend(); }

    void PushFront(std::shared_ptr<T> item) { items.push_front(std::move(item)); }

    bool First() {
        cursor = items.begin();
        return cursor != items.end();
    }
    bool Next() {
        if (cursor == items.end() || std::next(cursor) == items.end()) {
            return false;
        }
        ++cursor;
        return true;
    }
    // The item under the cursor, or null.
    T* CurrentItem() const { return cursor == items.end() ? nullptr : cursor->get(); }
    std::shared_ptr<T> Current() const { return cursor == items.end() ? nullptr : *cursor; }
    // Puts the cursor on an item of this list; end() leaves no cursor.
    void Select(iterator position) { cursor = position; }

    // The first item from the front for which `matches` holds, or end().
    template <class Matches>
    iterator FindFirst(Matches matches) {
        return std::find_if(items.begin(), items.end(), matches);
    }
    template <class Matches>
    const_iterator FindFirst(Matches matches) const {
        return std::find_if(items.begin(), items.end(), matches);
    }
    // Puts the cursor on the first match; without one the cursor stays where it was.
    template <class Matches>
    bool SelectFirst(Matches matches) {
        const iterator found = FindFirst(matches);
        if (found == items.end()) {
            return false;
        }
        cursor = found;
        return true;
    }

    // Takes the item out and answers the one that followed it.
    iterator Erase(iterator position) {
        if (position == cursor) {
            cursor = items.end();
        }
        return items.erase(position);
    }
    // Takes out the first match; false, and nothing changes, without one.
    template <class Matches>
    bool EraseFirst(Matches matches) {
        const iterator found = FindFirst(matches);
        const bool any = found != items.end();
        if (any) {
            Erase(found);
        }
        return any;
    }
    // Takes out every match.
    template <class Matches>
    void EraseAll(Matches matches) {
        for (iterator item = items.begin(); item != items.end();) {
            item = matches(*item) ? Erase(item) : std::next(item);
        }
    }
    // Moves the item to just before `position`; the cursor stays on the item it was on.
    void Move(iterator item, iterator position) { items.splice(position, items, item); }

private:
    Items items;
    iterator cursor = items.end();  // end(): no cursor
};

}  // namespace orvane
