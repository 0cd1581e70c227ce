#include "server/UploadScanner.h"

namespace orvane {
namespace {

// True when `tail` (shorter than the marker) is how the marker begins.
bool BeginsMarker(std::string_view tail, std::string_view marker) {
    return tail.size() < marker.size() && marker.substr(0, tail.size()) == tail;
}

}  // namespace

CUploadScanner::Match CUploadScanner::MatchAt(std::string_view text, std::size_t at,
                                              std::uint64_t streamPosition) const {
    const std::string_view rest = text.substr(at);
    const bool abortCounts = streamPosition < kAbortWindow;
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

CUploadScanner::Outcome CUploadScanner::Feed(std::span<const std::uint8_t> received,
                                             std::vector<std::uint8_t>& data) {
    std::string text = std::move(held);
    text.append(received.begin(), received.end());
    const std::uint64_t textAt = heldAt;
    held.clear();

    // The first position where a marker, or the beginning of one, stands decides: a marker
    // further on cannot come before it, and a partial one can only stand at the very end.
    for (std::size_t at = 0; at < text.size(); ++at) {
        const Match match = MatchAt(text, at, textAt + at);
        if (match == Match::None) {
            continue;
        }
        data.insert(data.end(), text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at));
        if (match == Match::End) {
            return Outcome::Ended;
        }
        if (match == Match::Abort) {
            return Outcome::Aborted;
        }
        held = text.substr(at);
        heldAt = textAt + at;
        return Outcome::More;
    }
    data.insert(data.end(), text.begin(), text.end());
    heldAt = textAt + text.size();
    return Outcome::More;
}

}  // namespace orvane
