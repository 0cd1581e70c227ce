// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the upload marker scanner, against a plain search of the whole stream. The
// input is the upload's byte stream cut into receives at each separator byte. After every
// receive the scanner must have passed on exactly the bytes before the first place where a
// marker stands or may still begin, and it must stop at the receive that completes the first
// marker: "#File" anywhere, "!File" only where it begins within the abort window.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "FuzzFixture.h"
#include "server/UploadScanner.h"

using namespace orvane;
using namespace orvane::fuzz;

namespace {

using Outcome = CUploadScanner::Outcome;

bool AbortCounts(std::size_t at) {
    return at < CUploadScanner::kAbortWindow;
}

// The first complete marker of the stream, or Outcome::More and the stream's size.
std::pair<Outcome, std::size_t> FirstMarker(std::string_view stream) {
    for (std::size_t at = 0; at < stream.size(); ++at) {
        const std::string_view rest = stream.substr(at);
        if (rest.starts_with(CUploadScanner::kEndMarker)) {
            return {Outcome::Ended, at};
        }
        if (AbortCounts(at) && rest.starts_with(CUploadScanner::kAbortMarker)) {
            return {Outcome::Aborted, at};
        }
    }
    return {Outcome::More, stream.size()};
}

// Where the bytes that may still begin a marker start (the stream's size when none may).
// Such bytes reach the end of the stream, so only its last four positions can hold them.
std::size_t FirstPossibleMarker(std::string_view stream) {
    const std::size_t longest = CUploadScanner::kEndMarker.size() - 1;
    for (std::size_t at = stream.size() - std::min(stream.size(), longest); at < stream.size();
         ++at) {
        const std::string_view rest = stream.substr(at);
        if (CUploadScanner::kEndMarker.starts_with(rest) ||
            (AbortCounts(at) && CUploadScanner::kAbortMarker.starts_with(rest))) {
            return at;
        }
    }
    return stream.size();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string_view> receives = SplitAt(input, kSendSeparator, size + 1);
    std::string whole;
    for (const std::string_view received : receives) {
        whole += received;
    }
    const auto [marker, markerAt] = FirstMarker(whole);
    const std::size_t markerEnd = markerAt + CUploadScanner::kEndMarker.size();

    CUploadScanner scanner;
    std::string passed;        // the file content that the scanner has passed on
    std::string pending;       // the bytes it held back, then the next receive
    std::size_t received = 0;  // bytes of the stream fed so far
    for (const std::string_view piece : receives) {
        pending += piece;
        received += piece.size();
        const auto [outcome, content] =
            scanner.Feed({reinterpret_cast<const std::uint8_t*>(pending.data()), pending.size()});
        Require(content <= pending.size(), "the scanner passes on bytes it was not given");
        passed.append(pending, 0, content);
        pending.erase(0, content);
        const std::string_view stream(whole.data(), received);
        const bool markerComplete = marker != Outcome::More && markerEnd <= received;
        Require(outcome == (markerComplete ? marker : Outcome::More),
                "the scanner and the plain search see different markers");
        if (outcome != Outcome::More) {
            Require(passed.size() == markerAt, "the file does not end where the marker begins");
            return 0;
        }
        Require(passed.size() == FirstPossibleMarker(stream),
                "the scanner holds back bytes that cannot begin a marker, or passes on some "
                "that can");
    }
    return 0;
}
