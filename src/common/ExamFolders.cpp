// SPDX-License-Identifier: GPL-3.0-or-later
#include "common/ExamFolders.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>

#include "common/TextCodec.h"

namespace orvane {
namespace {

using namespace std::chrono;

constexpr std::size_t kLongestLoginName = 128;
constexpr std::size_t kLongestFileName = 255;
constexpr std::size_t kTimeLength = 23;  // "20261207T014148.123456Z"

bool IsPlain(char16_t c, bool first) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
           c == u'-' || c == u'_' || (c == u'.' && !first);
}

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

bool IsLowSurrogate(char16_t c) {
    return c >= 0xDC00 && c <= 0xDFFF;
}

void AppendHex(std::string& text, unsigned value, int digits) {
    char buffer[17];
    std::snprintf(buffer, sizeof buffer, "%0*X", digits, value);
    text += buffer;
}

// FNV-1a over the UTF-16 code units: only names that are cut carry it, beside the part of
// the name that they keep.
std::uint64_t LoginHash(std::u16string_view login) {
    std::uint64_t hash = 14695981039346656037ULL;
    for (const char16_t unit : login) {
        for (const unsigned byte : {unit & 0xFFu, unsigned(unit) >> 8}) {
            hash = (hash ^ byte) * 1099511628211ULL;
        }
    }
    return hash;
}

// The listing tells the type of each entry on most file systems; where it does not, the entry
// itself is looked at. Links are never followed, and hidden names are skipped.
bool IsOfType(DIR* folder, const dirent& entry, bool wantFolder) {
    if (entry.d_name[0] == '.') {
        return false;
    }
    unsigned char type = entry.d_type;
    struct stat info {};
    if (type == DT_UNKNOWN &&
        ::fstatat(::dirfd(folder), entry.d_name, &info, AT_SYMLINK_NOFOLLOW) == 0) {
        type = S_ISDIR(info.st_mode) ? DT_DIR : S_ISREG(info.st_mode) ? DT_REG : DT_UNKNOWN;
    }
    return type == (wantFolder ? DT_DIR : DT_REG);
}

// Calls `take` with each entry of a folder that is a folder (or a regular file).
template <class Take>
void ForEachEntry(const std::string& path, bool folders, Take take) {
    DIR* const folder = ::opendir(path.c_str());
    if (folder == nullptr) {
        return;
    }
    while (const dirent* entry = ::readdir(folder)) {
        if (IsOfType(folder, *entry, folders)) {
            take(entry->d_name);
        }
    }
    ::closedir(folder);
}

std::vector<std::string> Entries(const std::string& path, bool folders) {
    std::vector<std::string> names;
    ForEachEntry(path, folders, [&names](const char* name) { names.emplace_back(name); });
    return names;
}

bool ReadNumber(std::string_view text, std::size_t from, std::size_t length, int& value) {
    value = 0;
    for (std::size_t i = from; i < from + length; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return false;
        }
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// The value of `digits` hexadecimal digits at `from`, or -1.
long ReadHex(std::string_view text, std::size_t from, std::size_t digits) {
    if (from + digits > text.size()) {
        return -1;
    }
    long value = 0;
    for (const char c : text.substr(from, digits)) {
        const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (digit < 0) {
            return -1;
        }
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

std::optional<std::u16string> LoginOfFileName(std::string_view name) {
    std::u16string login;
    std::size_t plainFrom = 0;  // the start of the run of bytes that stand for themselves
    for (std::size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] != '%') {
            continue;
        }
        login += FromUtf8(name.substr(plainFrom, i - plainFrom));
        if (i == name.size() || name == "%") {
            break;
        }
        const bool unit = i + 1 < name.size() && name[i + 1] == 'u';
        const long value = ReadHex(name, unit ? i + 2 : i + 1, unit ? 4 : 2);
        if (value < 0) {
            return std::nullopt;
        }
        login += static_cast<char16_t>(value);
        i += unit ? 5 : 2;
        plainFrom = i + 1;
    }
    // Whatever LoginFileName would not give back this very name is not a login's folder.
    if (LoginFileName(login) != name) {
        return std::nullopt;
    }
    return login;
}

std::string LoginFileName(std::u16string_view login) {
    if (login.empty()) {
        return "%";
    }
    std::string name;
    std::size_t keptPart = 0;  // the longest whole-character prefix that a cut name keeps
    constexpr std::size_t kCutLength = kLongestLoginName - 17;  // less "~" and the hash
    for (std::size_t i = 0; i < login.size(); ++i) {
        const char16_t c = login[i];
        if (IsPlain(c, i == 0)) {
            name += static_cast<char>(c);
        } else if (c < 0x80) {
            name += '%';
            AppendHex(name, c, 2);
        } else if (IsHighSurrogate(c) && i + 1 < login.size() && IsLowSurrogate(login[i + 1])) {
            name += ToUtf8(login.substr(i++, 2));
        } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
            name += "%u";
            AppendHex(name, c, 4);
        } else {
            name += ToUtf8(login.substr(i, 1));
        }
        keptPart = name.size() <= kCutLength ? name.size() : keptPart;
    }
    if (name.size() > kLongestLoginName) {
        name.resize(keptPart);
        name += '~';
        const std::uint64_t hash = LoginHash(login);
        AppendHex(name, static_cast<unsigned>(hash >> 32), 8);
        AppendHex(name, static_cast<unsigned>(hash & 0xFFFFFFFFu), 8);
    }
    return name;
}

std::string KeptTestsFolderOf(std::u16string_view login) {
    return std::string(kKeptTestsFolder) + "/" + LoginFileName(login);
}

std::string SubmissionsFolderOf(std::u16string_view login) {
    return std::string(kSubmissionsFolder) + "/" + LoginFileName(login);
}

std::string KeptFileName(KeptTime time, std::string_view what) {
    const sys_days day = floor<days>(time);
    const year_month_day date(day);
    const hh_mm_ss clock(time - day);
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "%04d%02u%02uT%02d%02d%02d.%06dZ-", int(date.year()),
                  unsigned(date.month()), unsigned(date.day()), int(clock.hours().count()),
                  int(clock.minutes().count()), int(clock.seconds().count()),
                  int(clock.subseconds().count()));
    std::string name(stamp);
    std::size_t room = std::min(what.size(), kLongestFileName - name.size());
    while (room < what.size() && room > 0 && (what[room] & 0xC0) == 0x80) {
        --room;  // not inside a character
    }
    return name += what.substr(0, room);
}

std::optional<std::pair<KeptTime, std::string_view>> ParseKeptFileName(std::string_view name) {
    int part[7];
    constexpr std::size_t kFrom[7] = {0, 4, 6, 9, 11, 13, 16};
    constexpr std::size_t kLength[7] = {4, 2, 2, 2, 2, 2, 6};
    if (name.size() <= kTimeLength + 1 || name[8] != 'T' || name[15] != '.' ||
        name.substr(kTimeLength - 1, 2) != "Z-") {
        return std::nullopt;
    }
    for (int i = 0; i < 7; ++i) {
        if (!ReadNumber(name, kFrom[i], kLength[i], part[i])) {
            return std::nullopt;
        }
    }
    const year_month_day date{year{part[0]}, month{unsigned(part[1])}, day{unsigned(part[2])}};
    if (!date.ok() || part[3] > 23 || part[4] > 59 || part[5] > 59) {
        return std::nullopt;
    }
    const KeptTime time = sys_days(date) + hours(part[3]) + minutes(part[4]) + seconds(part[5]) +
                          microseconds(part[6]);
    return std::pair(time, name.substr(kTimeLength + 1));
}

std::vector<std::string> KeptFileNames(const std::string& folder) {
    std::vector<std::string> names = Entries(folder, false);
    std::erase_if(names, [](const std::string& name) { return !ParseKeptFileName(name); });
    std::sort(names.begin(), names.end());
    return names;
}

std::string NewestKeptFileName(const std::string& folder) {
    std::string newest;
    ForEachEntry(folder, false, [&newest](const char* name) {
        // Only a name that would be the newest is parsed.
        if (newest < name && ParseKeptFileName(name)) {
            newest = name;
        }
    });
    return newest;
}

std::vector<std::string> LoginFolders(std::string_view root) {
    return Entries(std::string(root), true);
}

bool IsNamedExactly(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : path.substr(0, slash);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return true;
    }
    DIR* const folder = ::opendir(parent.c_str());
    bool listed = false;
    while (folder != nullptr && !listed) {
        const dirent* entry = ::readdir(folder);
        if (entry == nullptr) {
            break;
        }
        listed = name == entry->d_name;
    }
    if (folder != nullptr) {
        ::closedir(folder);
    }
    return listed;
}

CFileResult MakePrivateFolder(const std::string& folder) {
    for (const std::string& path : {folder.substr(0, folder.rfind('/')), folder}) {
        const std::size_t slash = path.rfind('/');
        const std::string above = slash == std::string::npos ? "." : path.substr(0, slash);
        struct stat info {};
        const bool shared = ::stat(above.c_str(), &info) == 0 && (info.st_mode & S_ISGID) != 0;
        if (::mkdir(path.c_str(), shared ? 0750 : 0700) != 0 && errno != EEXIST) {
            return CFileResult::Unwritable(errno);
        }
    }
    return {};
}

CFileResult MoveKeptFiles(const std::string& from, const std::string& to) {
    struct stat source {};
    if (::lstat(from.c_str(), &source) != 0) {
        return errno == ENOENT ? CFileResult() : CFileResult::Unwritable(errno);
    }
    struct stat info {};
    if (::lstat(to.c_str(), &info) != 0) {
        if (errno != ENOENT || ::rename(from.c_str(), to.c_str()) != 0) {
            return CFileResult::Unwritable(errno);
        }
        return {};
    }
    if (!S_ISDIR(info.st_mode)) {
        return CFileResult::Unwritable(ENOTDIR);  // never into what a link points at
    }
    if (info.st_dev == source.st_dev && info.st_ino == source.st_ino) {
        return {};  // one folder already, as two names that differ in case are on FAT
    }
    CFileResult result;
    for (const std::string& name : KeptFileNames(from)) {
        const std::string target = to + "/" + name;
        int error = 0;
        if (::lstat(target.c_str(), &info) == 0) {
            error = EEXIST;
        } else if (::rename((from + "/" + name).c_str(), target.c_str()) != 0) {
            error = errno;
        }
        if (error != 0 && result.IsOk()) {
            result = CFileResult::Unwritable(error);
        }
    }
    ::rmdir(from.c_str());  // only when nothing is left in it
    return result;
}

}  // namespace orvane
