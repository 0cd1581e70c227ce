// SPDX-License-Identifier: GPL-3.0-or-later
#include "JsonShape.h"

#include <algorithm>

#include "common/TextCodec.h"

namespace orvane {
namespace {

const Json& NullValue() {
    static const Json null;
    return null;
}

}  // namespace

const CJsonShape& CJsonShape::Object(std::initializer_list<std::string_view> keys) const {
    if (!value.is_object()) {
        Fail("expected an object");
    }
    for (const auto& item : value.items()) {
        if (std::find(keys.begin(), keys.end(), item.key()) == keys.end()) {
            Member(item.key()).Fail("unknown key");
        }
    }
    return *this;
}

bool CJsonShape::Has(std::string_view key) const {
    return value.is_object() && value.contains(key);
}

const CJsonShape& CJsonShape::Required() const {
    if (missing) {
        Fail("missing");
    }
    return *this;
}

CJsonShape CJsonShape::Member(std::string_view key) const {
    const std::string memberPath = path.empty() ? std::string(key) : path + "." + std::string(key);
    if (!Has(key)) {
        return CJsonShape(NullValue(), memberPath, true);
    }
    return CJsonShape(value.at(std::string(key)), memberPath);
}

CJsonShape CJsonShape::Element(std::size_t index) const {
    return CJsonShape(value.at(index), path + "[" + std::to_string(index) + "]");
}

std::size_t CJsonShape::ArraySize() const {
    if (missing) {
        return 0;
    }
    if (!value.is_array()) {
        Fail("expected an array");
    }
    return value.size();
}

std::int64_t CJsonShape::Integer(std::int64_t minimum, std::int64_t maximum,
                                 std::int64_t fallback) const {
    if (missing) {
        return fallback;
    }
    if (value.is_number_unsigned()) {
        const auto number = value.get<std::uint64_t>();
        if (number <= static_cast<std::uint64_t>(maximum)) {
            return static_cast<std::int64_t>(number);
        }
    } else if (value.is_number_integer()) {
        const auto number = value.get<std::int64_t>();
        if (number >= minimum && number <= maximum) {
            return number;
        }
    } else {
        Fail("expected a whole number");
    }
    Fail("out of range " + std::to_string(minimum) + " to " + std::to_string(maximum));
}

bool CJsonShape::Boolean(bool fallback) const {
    if (missing) {
        return fallback;
    }
    if (!value.is_boolean()) {
        Fail("expected true or false");
    }
    return value.get<bool>();
}

std::u16string CJsonShape::Text() const {
    if (missing) {
        return {};
    }
    if (!value.is_string()) {
        Fail("expected a string");
    }
    return FromUtf8(value.get_ref<const std::string&>());
}

void CJsonShape::Fail(const std::string& problem) const {
    throw JsonShapeError((path.empty() ? std::string("the document") : path) + ": " + problem);
}

}  // namespace orvane
