// SPDX-License-Identifier: GPL-3.0-or-later
#include "server/UploadScanner.h"

#include <algorithm>

namespace orvane {
namespace {

// True when `tail` (shorter than the marker) is how the marker begins.
bool BeginsMarker(std::string_view tail, std::string_view marker) {
    return tail.size() < marker.size() && marker.substr(0, tail.size()) == tail;
}

}  // namespace

CUploadScanner::Match CUploadScanner::MatchAt(std::string_view text, std::size_t at) const {
    const std::string_view rest = text.substr(at);
    const bool abortCounts = pendingAt + at < kAbortWindow;
    if (rest.starts_with(kEndMarker)) {
        return Match::End;
    }
    if (abortCounts && rest.starts_with(kAbortMarker)) {
        return Match::Abort;
    }
    if (BeginsMarker(rest, kEndMarker) || (abortCounts && BeginsMarker(rest, kAbortMarker))) {
        return Match::Partial;
    }
    return Match::None;
}

std::size_t CUploadScanner::NextCandidate(std::string_view text, std::size_t from) const {
    std::size_t next = text.find('#', from);
    // '!' can only begin an abort marker inside the first bytes of the upload.
    if (pendingAt + from < kAbortWindow) {
        const std::size_t windowEnd =
            std::min<std::uint64_t>(text.size(), kAbortWindow - pendingAt);
        const std::size_t bang = text.substr(0, windowEnd).find('!', from);
        next = std::min(next, bang);
    }
    return next;
}

CUploadScanner::Result CUploadScanner::Feed(std::span<const std::uint8_t> pending) {
    const std::string_view text(reinterpret_cast<const char*>(pending.data()), pending.size());
    // The first position where a marker, or the beginning of one, stands decides: a marker
    // further on cannot come before it, and a partial one can only stand at the very end.
    for (std::size_t at = NextCandidate(text, 0); at != std::string_view::npos;
         at = NextCandidate(text, at + 1)) {
        switch (MatchAt(text, at)) {
            case Match::None:
                continue;
            case Match::End:
                return {Outcome::Ended, at};
            case Match::Abort:
                return {Outcome::Aborted, at};
            case Match::Partial:
                pendingAt += at;
                return {Outcome::More, at};
        }
    }
    pendingAt += text.size();
    return {Outcome::More, text.size()};
}

}  // namespace orvane
