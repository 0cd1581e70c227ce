#include "server/UploadScanner.h"

#include <algorithm>

namespace orvane {
namespace {

// True when `tail` (shorter than the marker) is how the marker begins.
bool BeginsMarker(std::string_view tail, std::string_view marker) {
    return tail.size() < marker.size() && marker.substr(0, tail.size()) == tail;
}

// Appends as bytes, so that the copy is one block move.
void Append(std::vector<std::uint8_t>& data, std::string_view bytes) {
    const auto* first = reinterpret_cast<const std::uint8_t*>(bytes.data());
    data.insert(data.end(), first, first + bytes.size());
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

std::size_t CUploadScanner::NextCandidate(std::string_view text, std::size_t from,
                                          std::uint64_t textAt) const {
    std::size_t next = text.find('#', from);
    // '!' can only begin an abort marker inside the first bytes of the upload.
    if (textAt + from < kAbortWindow) {
        const std::size_t windowEnd = std::min<std::uint64_t>(text.size(), kAbortWindow - textAt);
        const std::size_t bang = text.substr(0, windowEnd).find('!', from);
        next = std::min(next, bang);
    }
    return next;
}

CUploadScanner::Outcome CUploadScanner::Feed(std::span<const std::uint8_t> received,
                                             std::vector<std::uint8_t>& data) {
    // Held bytes (at most a marker's length) are joined to the new ones; without them the
    // received bytes are scanned where they lie.
    std::string joined;
    std::string_view text(reinterpret_cast<const char*>(received.data()), received.size());
    if (!held.empty()) {
        joined = std::move(held);
        joined.append(text);
        text = joined;
    }
    const std::uint64_t textAt = heldAt;
    held.clear();

    // The first position where a marker, or the beginning of one, stands decides: a marker
    // further on cannot come before it, and a partial one can only stand at the very end.
    for (std::size_t at = NextCandidate(text, 0, textAt); at != std::string_view::npos;
         at = NextCandidate(text, at + 1, textAt)) {
        const Match match = MatchAt(text, at, textAt + at);
        if (match == Match::None) {
            continue;
        }
        Append(data, text.substr(0, at));
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
    Append(data, text);
    heldAt = textAt + text.size();
    return Outcome::More;
}

}  // namespace orvane
