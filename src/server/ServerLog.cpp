// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/ServerLog.h"

#include "common/TextCodec.h"
#include "server/SharedSink.h"

namespace orvane {
namespace {

CSharedSink<CServerLog>& CurrentLog() {
    // Never destroyed: detached session threads may still write while the process ends.
    static auto* const log = new CSharedSink<CServerLog>;
    return *log;
}

// Characters that end a line, look like a space, or turn the text around where a reader shows
// it: each would let a client make its text look like something the server wrote.
bool IsUnsafe(char16_t c) {
    return c < 0x20 || c == 0x7F || c == u'\\' || (c >= 0x80 && c <= 0xA0) || c == 0x061C ||
           c == 0x1680 || (c >= 0x2000 && c <= 0x200F) || (c >= 0x2028 && c <= 0x202F) ||
           (c >= 0x205F && c <= 0x206F) || c == 0x3000 || c == 0xFEFF ||
           (c >= 0xFFF9 && c <= 0xFFFB);
}

}  // namespace

void SetServerLog(std::shared_ptr<CServerLog> log) {
    CurrentLog().Set(std::move(log));
}

void WriteServerLog(CServerLog::Level level, const std::string& line) {
    if (const std::shared_ptr<CServerLog> log = CurrentLog().Get()) {
        log->Write(level, line);
    }
}

std::string LogText(std::u16string_view text) {
    constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string safe;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t c = text[i];
        const bool pair = c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() &&
                          text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF;
        if (pair) {
            safe += text.substr(i++, 2);
        } else if (c <= 0xFF && IsUnsafe(c)) {
            safe += {u'\\', u'x', kHex[c >> 4], kHex[c & 0xF]};
        } else if (IsUnsafe(c) || (c >= 0xD800 && c <= 0xDFFF)) {
            safe += {u'\\',        u'u', kHex[c >> 12], kHex[(c >> 8) & 0xF], kHex[(c >> 4) & 0xF],
                     kHex[c & 0xF]};
        } else {
            safe += c;
        }
    }
    return ToUtf8(safe);
}

}  // namespace orvane
