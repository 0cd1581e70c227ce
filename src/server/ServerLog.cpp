#include "server/ServerLog.h"

#include <atomic>

#include "common/TextCodec.h"

namespace orvane {
namespace {

std::atomic<CServerLog*> currentLog{nullptr};

}  // namespace

void SetServerLog(CServerLog* log) {
    currentLog.store(log);
}

void WriteServerLog(CServerLog::Level level, const std::string& line) {
    CServerLog* log = currentLog.load();
    if (log != nullptr) {
        log->Write(level, line);
    }
}

std::string LogText(std::u16string_view text) {
    constexpr char16_t kHex[] = u"0123456789ABCDEF";
    std::u16string safe;
    for (const char16_t c : text) {
        if (c < 0x20 || c == 0x7F || c == u'\\') {
            safe += {u'\\', u'x', kHex[c >> 4], kHex[c & 0xF]};
        } else {
            safe += c;
        }
    }
    return ToUtf8(safe);
}

}  // namespace orvane
