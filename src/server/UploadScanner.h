// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// CUploadScanner: finds the markers in the byte stream of an upload. The client ends its file
// with a line beginning with "#File", or gives up with "!File" at the very start (the abort
// counts only when it begins within the first 256 bytes; later it is file data). Markers are
// found in the stream, not per receive, so one split across two receives still counts: the
// bytes that might begin a marker are held back, and the caller hands them in again in front
// of the next received ones. The scanner copies nothing; it only tells where the file content
// ends.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace orvane {

class CUploadScanner {
public:
    enum class Outcome {
        More,     // no marker yet: receive the next bytes
        Ended,    // the end marker came: the file is complete
        Aborted,  // the abort marker came: the client gives up the upload
    };

    struct [[nodiscard]] Result {
        Outcome outcome = Outcome::More;
        // How many leading bytes of the pending ones are surely file content. With More, the
        // rest (at most kMostHeld bytes) may begin a marker; with Ended or Aborted, the
        // marker begins there.
        std::size_t content = 0;
    };

    static constexpr std::string_view kEndMarker = "#File";
    static constexpr std::string_view kAbortMarker = "!File";
    // The abort marker counts when it begins before this position of the upload.
    static constexpr std::uint64_t kAbortWindow = 256;
    static constexpr std::size_t kMostHeld = kEndMarker.size() - 1;

    // Scans the pending bytes: those that the last call held back (the ones after its
    // `content`), followed by the bytes received since.
    Result Feed(std::span<const std::uint8_t> pending);

private:
    enum class Match { None, Partial, End, Abort };
    Match MatchAt(std::string_view text, std::size_t at) const;
    // The first position from `from` on whose byte may begin a marker, or npos.
    std::size_t NextCandidate(std::string_view text, std::size_t from) const;

    std::uint64_t pendingAt = 0;  // position of the first pending byte in the upload
};

}  // namespace orvane
