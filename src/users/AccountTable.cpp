// SPDX-License-Identifier: GPL-3.0-or-later
#include "users/AccountTable.h"

#include <algorithm>
#include <cstdint>

#include "common/TextCodec.h"
#include "common/TextSets.h"

namespace orvane {
namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::u16string_view kSeparators = u"\t;,";  // in order of preference
// A field with one of these, or with spaces at its ends, is written in quotes.
constexpr std::u16string_view kNeedsQuotes = u"\t;,\"\r\n";

constexpr std::u16string_view kSpaces = u" \t\u00A0";

bool IsSpace(char16_t c) {
    return kSpaces.find(c) != std::u16string_view::npos;
}

bool IsLineBreak(char16_t c) {
    return c == u'\n' || c == u'\r';
}

std::u16string FromUtf16(std::string_view bytes, bool littleEndian) {
    std::u16string text;
    text.reserve(bytes.size() / 2);
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const auto first = static_cast<std::uint8_t>(bytes[i]);
        const auto second = static_cast<std::uint8_t>(bytes[i + 1]);
        text += static_cast<char16_t>(littleEndian ? first | second << 8 : first << 8 | second);
    }
    return text;
}

std::u16string Decode(std::string_view bytes, CAccountTable::Encoding& encoding) {
    encoding = CAccountTable::Encoding::Utf8;
    if (bytes.starts_with(kUtf8Mark)) {
        return FromUtf8(bytes.substr(kUtf8Mark.size()));
    }
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        encoding = CAccountTable::Encoding::Utf16;
        return FromUtf16(bytes.substr(2), bytes.front() == '\xFF');
    }
    if (IsValidUtf8(bytes)) {
        return FromUtf8(bytes);
    }
    encoding = CAccountTable::Encoding::Windows1250;
    return FromWindows1250(bytes);
}

// The preferred separator that the first line with content holds outside quotes.
char16_t FindSeparator(std::u16string_view text) {
    bool quoted = false;
    bool content = false;
    std::size_t best = kSeparators.size();
    for (const char16_t c : text) {
        if (c == u'"') {
            quoted = !quoted;
        } else if (quoted) {
            continue;
        } else if (IsLineBreak(c) && content) {
            break;
        } else {
            best = std::min(best, kSeparators.find(c));
        }
        content = content || !(IsSpace(c) || IsLineBreak(c));
    }
    return best < kSeparators.size() ? kSeparators[best] : u',';
}

std::u16string Quoted(const std::u16string& field) {
    const bool spaced = !field.empty() && (IsSpace(field.front()) || IsSpace(field.back()));
    if (!spaced && field.find_first_of(kNeedsQuotes) == std::u16string::npos) {
        return field;
    }
    std::u16string out = u"\"";
    for (const char16_t c : field) {
        out += c;
        if (c == u'"') {
            out += c;
        }
    }
    return out + u'"';
}

}  // namespace

CAccountTable CAccountTable::Parse(std::string_view bytes) {
    CAccountTable table;
    const std::u16string text = Decode(bytes, table.encoding);
    table.separator = FindSeparator(text);
    table.Split(text);
    return table;
}

void CAccountTable::Split(std::u16string_view text) {
    int line = 1;
    Record record{line, {}};
    std::u16string field;
    bool quoted = false;     // inside a quoted part
    bool wasQuoted = false;  // the field began with a quote
    const auto endField = [&] {
        record.fields.push_back(wasQuoted ? field
                                          : std::u16string(Trimmed<char16_t>(field, kSpaces)));
        field.clear();
        wasQuoted = false;
    };
    const auto endRecord = [&] {
        endField();
        if (std::any_of(record.fields.begin(), record.fields.end(),
                        [](const std::u16string& value) { return !value.empty(); })) {
            records.push_back(std::move(record));
        }
        record = {line, {}};
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool next = i + 1 < text.size();
        // CR LF is one line break, counted at its LF.
        const bool lineBreak = c == u'\n' || (c == u'\r' && !(next && text[i + 1] == u'\n'));
        if (quoted) {
            if (c == u'"' && next && text[i + 1] == u'"') {
                field += c;
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c;
                line += lineBreak ? 1 : 0;
            }
        } else if (c == u'"' && !wasQuoted && Trimmed<char16_t>(field, kSpaces).empty()) {
            quoted = wasQuoted = true;
            field.clear();
        } else if (c == separator) {
            endField();
        } else if (lineBreak) {
            ++line;
            endRecord();
        } else if (c != u'\r' && !(wasQuoted && IsSpace(c))) {
            field += c;
        }
    }
    endRecord();
}

const std::array<std::u16string_view, 4> CAccountTable::kHeader = {
    u"Prihlasovacie meno", u"Celé meno", u"Heslo", u"Učiteľ"};

std::u16string_view CAccountTable::TeacherMark(bool teacher) {
    return teacher ? u"áno" : u"nie";
}

std::string CAccountTable::Format(const std::vector<ListedAccount>& accounts) {
    std::u16string text;
    const auto addLine = [&text](const std::array<std::u16string_view, 4>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            text += (i > 0 ? u";" : u"") + Quoted(std::u16string(fields[i]));
        }
        text += u"\r\n";
    };
    addLine(kHeader);
    for (const ListedAccount& account : accounts) {
        addLine({account.login, account.name, account.password, TeacherMark(account.teacher)});
    }
    return std::string(kUtf8Mark) + ToUtf8(text);
}

}  // namespace orvane
