#pragma once
// CUploadScanner: finds the markers in the byte stream of an upload. The client ends its file
// with a line beginning with "#File", or gives up with "!File" at the very start (the abort
// counts only when it begins within the first 256 bytes; later it is file data). Markers are
// found in the stream, not per receive, so one split across two receives still counts; the
// bytes that might begin a marker are held back until the next receive decides.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class CUploadScanner {
public:
    enum class Outcome {
        More,     // no marker yet: receive the next bytes
        Ended,    // the end marker came: the file is complete
        Aborted,  // the abort marker came: the client gives up the upload
    };

    static constexpr std::string_view kEndMarker = "#File";
    static constexpr std::string_view kAbortMarker = "!File";
    // The abort marker counts when it begins before this position of the upload.
    static constexpr std::uint64_t kAbortWindow = 256;

    // Takes the next received bytes and appends to `data` those that are surely file
    // content: everything before a marker, less what may still begin one.
    Outcome Feed(std::span<const std::uint8_t> received, std::vector<std::uint8_t>& data);

private:
    enum class Match { None, Partial, End, Abort };
    Match MatchAt(std::string_view text, std::size_t at, std::uint64_t streamPosition) const;
    // The first position from `from` on whose byte may begin a marker, or npos.
    std::size_t NextCandidate(std::string_view text, std::size_t from, std::uint64_t textAt) const;

    std::string held;          // bytes that may begin a marker, kept back from `data`
    std::uint64_t heldAt = 0;  // position of the first held byte in the upload
};

}  // namespace orvane
