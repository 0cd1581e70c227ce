// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServedNames.h"

#include <fcntl.h>

#include <algorithm>
#include <array>

#include "common/ExamFolders.h"
#include "common/TextCodec.h"
#include "server/ServerLog.h"

namespace orvane {
namespace {

constexpr std::array<std::u16string_view, 4> kFixedNames = {kUserDBName, kTestDBName,
                                                            kWorkedTestDBName, kQuestionDBName};

// Endings of dumps, exports, backups, archives, editor files and logs.
constexpr std::array<std::u16string_view, 22> kNeverServedEndings = {
    u".json", u".csv",  u".bak", u".old", u".orig",   u".swp",     u".swo", u".tmp",
    u".save", u".dump", u".sql", u".log", u".tar",    u".gz",      u".tgz", u".zip",
    u".xz",   u".bz2",  u".zst", u".7z",  u".backup", u".kate-swp"};

std::u16string Lower(std::u16string_view text) {
    std::u16string lower(text);
    for (char16_t& c : lower) {
        c = c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
    }
    return lower;
}

bool IsCoreDump(std::u16string_view name) {
    if (!name.starts_with(u"core")) {
        return false;
    }
    const std::u16string_view rest = name.substr(4);
    return rest.empty() || (rest.size() > 1 && rest[0] == u'.' &&
                            std::all_of(rest.begin() + 1, rest.end(),
                                        [](char16_t c) { return c >= u'0' && c <= u'9'; }));
}

}  // namespace

bool IsServedName(std::u16string_view name) {
    return !name.empty() && name.front() != u'.' &&
           std::none_of(name.begin(), name.end(), [](char16_t c) {
               return c == u'/' || c == u'\\' || c < 0x20 || c == 0x7F;
           });
}

bool IsNeverServed(std::u16string_view name) {
    const std::u16string lower = Lower(name);
    const std::u16string_view view = lower;
    return view.ends_with(u'~') ||
           (view.size() > 1 && view.front() == u'#' && view.back() == u'#') || IsCoreDump(view) ||
           std::any_of(kNeverServedEndings.begin(), kNeverServedEndings.end(),
                       [view](std::u16string_view ending) { return view.ends_with(ending); });
}

bool IsKeptFolderName(std::u16string_view name) {
    const std::string lower = ToUtf8(Lower(name));
    return lower == kKeptTestsFolder || lower == kSubmissionsFolder;
}

// A fixed name is itself without a look at the disk.
std::u16string FixedNameOf(std::u16string_view name, const struct stat& file) {
    if (IsOneOf(name, kFixedNames)) {
        return std::u16string(name);
    }
    for (const std::u16string_view fixed : kFixedNames) {
        struct stat info {};
        if (::fstatat(AT_FDCWD, ToUtf8(fixed).c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            info.st_dev == file.st_dev && info.st_ino == file.st_ino) {
            return std::u16string(fixed);
        }
    }
    return std::u16string(name);
}

std::string OtherLoginsFolder(std::string_view root, const std::string& folder) {
    if (IsNamedExactly(std::string(root)) && IsNamedExactly(folder)) {
        return {};
    }
    return "the folder " + LogText(FromUtf8(folder)) +
           " answers to another login's folder in another letter case";
}

}  // namespace orvane
