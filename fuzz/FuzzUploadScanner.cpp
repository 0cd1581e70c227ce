// Fuzz target: the upload marker scanner, against a plain search of the whole stream. The
// input is the upload's byte stream cut into receives at each separator byte. After every
// receive the scanner must have passed on exactly the bytes before the first place where a
// marker stands or may still begin, and it must stop at the receive that completes the first
// marker: "#File" anywhere, "!File" only where it begins within the abort window.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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
std::size_t FirstPossibleMarker(std::string_view stream) {
    for (std::size_t at = 0; at < stream.size(); ++at) {
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
    CUploadScanner scanner;
    std::string stream;
    std::vector<std::uint8_t> passed;
    for (const std::string_view received : SplitAt(input, kSendSeparator, input.size() + 1)) {
        stream += received;
        const Outcome outcome = scanner.Feed(
            {reinterpret_cast<const std::uint8_t*>(received.data()), received.size()}, passed);
        const std::string_view passedText(reinterpret_cast<const char*>(passed.data()),
                                          passed.size());
        Require(stream.starts_with(passedText), "the scanner passes on bytes not received");
        const auto [expected, at] = FirstMarker(stream);
        Require(outcome == expected, "the scanner and the plain search see different markers");
        if (outcome != Outcome::More) {
            Require(passed.size() == at, "the file does not end where the marker begins");
            return 0;
        }
        Require(passed.size() == FirstPossibleMarker(stream),
                "the scanner holds back bytes that cannot begin a marker, or passes on some "
                "that can");
    }
    return 0;
}
