// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a JSON document of a fixed shape with clear errors: every value is reached through
// a CJsonShape that knows its path ("test.questions[2].kind"), so an error names the key that
// does not fit. Keys not listed for an object are refused; listed keys that are missing take
// their default value.
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace orvane {

// Objects kept sorted, not in the order read: an ordered object is a list that copies its
// members when it grows, and a copy that runs out of memory halfway frees what it copied,
// which takes memory again, in a destructor. A sorted object never moves its members.
using Json = nlohmann::json;

class JsonShapeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class CJsonShape {
public:
    CJsonShape(const Json& json, std::string where, bool absent = false)
        : value(json), path(std::move(where)), missing(absent) {}

    // Checks that this is an object whose keys are all among `keys`.
    const CJsonShape& Object(std::initializer_list<std::string_view> keys) const;

    bool Has(std::string_view key) const;
    bool IsNull() const { return value.is_null(); }
    // Refuses a key that is not there: "users[3].password: missing".
    const CJsonShape& Required() const;
    const Json& Value() const { return value; }

    CJsonShape Member(std::string_view key) const;
    CJsonShape Element(std::size_t index) const;
    // 0 for a missing key, else refuses anything but an array.
    std::size_t ArraySize() const;

    // A missing key gives the fallback; a present one must fit the type.
    std::int64_t Integer(std::int64_t minimum, std::int64_t maximum, std::int64_t fallback) const;
    template <class T>
    T Integer(T fallback = 0) const {
        return static_cast<T>(Integer(std::numeric_limits<T>::min(),
                                      static_cast<std::int64_t>(std::numeric_limits<T>::max()),
                                      fallback));
    }
    bool Boolean(bool fallback = false) const;
    std::u16string Text() const;  // empty when missing

    [[noreturn]] void Fail(const std::string& problem) const;

private:
    const Json& value;
    std::string path;
    bool missing;
};

}  // namespace orvane
