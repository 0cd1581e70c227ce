// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The names of the database files in the working folder, which the server serves and the
// window loads and saves: each once, both as the UTF-16 name that travels in the protocol and
// the window's texts, and as the UTF-8 name of the file on disk.
#include <string_view>

namespace orvane {

inline constexpr std::u16string_view kUserDBName = u"userdb";
inline constexpr std::u16string_view kTestDBName = u"testdb";
inline constexpr std::u16string_view kWorkedTestDBName = u"testdb_bla";  // a worked test
inline constexpr std::u16string_view kQuestionDBName = u"quesdb";

inline constexpr std::string_view kUserDBFile = "userdb";
inline constexpr std::string_view kTestDBFile = "testdb";
inline constexpr std::string_view kWorkedTestFile = "testdb_bla";
inline constexpr std::string_view kQuestionDBFile = "quesdb";

namespace file_names_detail {
constexpr bool SameAscii(std::string_view bytes, std::u16string_view units) {
    if (bytes.size() != units.size()) {
        return false;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (static_cast<char16_t>(bytes[i]) != units[i]) {
            return false;
        }
    }
    return true;
}
static_assert(SameAscii(kUserDBFile, kUserDBName) && SameAscii(kTestDBFile, kTestDBName) &&
              SameAscii(kWorkedTestFile, kWorkedTestDBName) &&
              SameAscii(kQuestionDBFile, kQuestionDBName));
}  // namespace file_names_detail

}  // namespace orvane
