// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Texts measured against a set. Trimmed: a text without the characters of `set` at either
// end; what counts as white space differs by where a text comes from (a command line, a cell
// of an account table, a field of the generator, an XML element), so each caller names its
// set. IsOneOf: whether a text is one of `choices`, exactly; a caller that ignores letter case
// folds the text first.
#include <algorithm>
#include <span>
#include <string_view>
#include <type_traits>

namespace orvane {

template <class Char>
constexpr std::basic_string_view<Char> Trimmed(
    std::basic_string_view<Char> text, std::type_identity_t<std::basic_string_view<Char>> set) {
    const std::size_t first = text.find_first_not_of(set);
    if (first == std::basic_string_view<Char>::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(set) - first + 1);
}

inline bool IsOneOf(std::u16string_view text, std::span<const std::u16string_view> choices) {
    return std::find(choices.begin(), choices.end(), text) != choices.end();
}

}  // namespace orvane
