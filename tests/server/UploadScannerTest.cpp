#include "server/UploadScanner.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

using Outcome = CUploadScanner::Outcome;

struct Scanned {
    Outcome outcome = Outcome::More;
    std::string data;
};

// Feeds the text in receives cut at `cuts`, until the first marker decides.
Scanned Scan(const std::string& text, std::vector<std::size_t> cuts = {}) {
    CUploadScanner scanner;
    Scanned scanned;
    std::vector<std::uint8_t> data;
    cuts.push_back(text.size());
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data()) + from;
        scanned.outcome = scanner.Feed(std::span(bytes, cut - from), data);
        from = cut;
        if (scanned.outcome != Outcome::More) {
            break;
        }
    }
    scanned.data.assign(data.begin(), data.end());
    return scanned;
}

TEST(UploadScannerTest, EndMarkerEndsTheFileWhereverTheReceivesAreCut) {
    const std::string upload = "a #Fil #\r\n#File sent successfully.\r\n";
    for (std::size_t cut = 0; cut <= upload.size(); ++cut) {
        const Scanned scanned = Scan(upload, {cut});
        EXPECT_EQ(scanned.outcome, Outcome::Ended) << cut;
        EXPECT_EQ(scanned.data, "a #Fil #\r\n") << cut;
    }
    EXPECT_EQ(Scan("ab#Fi", {1, 3, 4}).data, "ab");  // held back while it may be a marker
    EXPECT_EQ(Scan("ab#Fix", {5}).data, "ab#Fix");   // and given as data once it is not
}

TEST(UploadScannerTest, AbortMarkerCountsWhenItBeginsInTheFirst256Bytes) {
    for (const std::size_t cut : {0u, 254u, 256u, 257u, 260u}) {
        EXPECT_EQ(Scan(std::string(255, 'a') + "!File", {cut}).outcome, Outcome::Aborted);
        const Scanned late = Scan(std::string(256, 'a') + "!File#File", {cut});
        EXPECT_EQ(late.outcome, Outcome::Ended);
        EXPECT_EQ(late.data, std::string(256, 'a') + "!File");
    }
}

TEST(UploadScannerTest, TheMarkerThatComesFirstDecides) {
    EXPECT_EQ(Scan("x#File!File").outcome, Outcome::Ended);
    EXPECT_EQ(Scan("x!File#File").outcome, Outcome::Aborted);
    EXPECT_EQ(Scan("#Fi!File", {3}).outcome, Outcome::Aborted);
    EXPECT_EQ(Scan("##File", {1}).data, "#");
}

}  // namespace
}  // namespace orvane
