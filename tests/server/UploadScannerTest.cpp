#include "server/UploadScanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

using Outcome = CUploadScanner::Outcome;

// Feeds the pieces one by one, as separate receives; answers the first outcome other than
// More (or More) and the data collected until then.
struct Fed {
    Outcome outcome = Outcome::More;
    std::string data;
};

Fed FeedPieces(const std::vector<std::string>& pieces) {
    CUploadScanner scanner;
    Fed fed;
    std::vector<std::uint8_t> data;
    for (const std::string& piece : pieces) {
        fed.outcome = scanner.Feed(
            std::span(reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size()), data);
        if (fed.outcome != Outcome::More) {
            break;
        }
    }
    fed.data.assign(data.begin(), data.end());
    return fed;
}

// Every way of cutting the text in two.
std::vector<std::vector<std::string>> EverySplit(const std::string& text) {
    std::vector<std::vector<std::string>> splits;
    for (std::size_t at = 0; at <= text.size(); ++at) {
        splits.push_back({text.substr(0, at), text.substr(at)});
    }
    return splits;
}

TEST(UploadScannerTest, EndMarkerEndsTheFileWhereverTheReceivesAreCut) {
    const std::string upload = "line one\r\n#not a marker #Fil\r\n#File sent successfully.\r\n";
    const std::string expected = "line one\r\n#not a marker #Fil\r\n";
    for (const auto& pieces : EverySplit(upload)) {
        const Fed fed = FeedPieces(pieces);
        EXPECT_EQ(fed.outcome, Outcome::Ended) << pieces[0].size();
        EXPECT_EQ(fed.data, expected) << pieces[0].size();
    }
    std::vector<std::string> bytewise;
    for (const char c : upload) {
        bytewise.emplace_back(1, c);
    }
    EXPECT_EQ(FeedPieces(bytewise).data, expected);
}

TEST(UploadScannerTest, BytesThatOnlyBeginAMarkerAreHeldThenGivenAsData) {
    CUploadScanner scanner;
    std::vector<std::uint8_t> data;
    const std::string first = "abc#Fi";
    const std::string second = "x";
    EXPECT_EQ(scanner.Feed(std::span(reinterpret_cast<const std::uint8_t*>(first.data()), 6), data),
              Outcome::More);
    EXPECT_EQ(std::string(data.begin(), data.end()), "abc");
    EXPECT_EQ(
        scanner.Feed(std::span(reinterpret_cast<const std::uint8_t*>(second.data()), 1), data),
        Outcome::More);
    EXPECT_EQ(std::string(data.begin(), data.end()), "abc#Fix");
}

TEST(UploadScannerTest, AbortMarkerCountsOnlyWhenItBeginsInTheFirst256Bytes) {
    for (const std::size_t at : {0u, 1u, 128u, 255u}) {
        const std::string upload = std::string(at, 'a') + "!File does not exist.\r\n";
        for (const auto& pieces : EverySplit(upload)) {
            EXPECT_EQ(FeedPieces(pieces).outcome, Outcome::Aborted)
                << at << " " << pieces[0].size();
        }
    }
    const std::string late = std::string(256, 'a') + "!File" + "#File";
    for (const auto& pieces : EverySplit(late)) {
        const Fed fed = FeedPieces(pieces);
        EXPECT_EQ(fed.outcome, Outcome::Ended);
        EXPECT_EQ(fed.data, std::string(256, 'a') + "!File");
    }
}

TEST(UploadScannerTest, TheMarkerThatComesFirstDecides) {
    EXPECT_EQ(FeedPieces({"data#File!File"}).outcome, Outcome::Ended);
    EXPECT_EQ(FeedPieces({"data!File#File"}).outcome, Outcome::Aborted);
    // A partial end marker held back must not hide an abort marker right behind it.
    EXPECT_EQ(FeedPieces({"#Fi", "!File"}).outcome, Outcome::Aborted);
    EXPECT_EQ(FeedPieces({"!!File"}).outcome, Outcome::Aborted);
    const Fed fed = FeedPieces({"##", "File"});
    EXPECT_EQ(fed.outcome, Outcome::Ended);
    EXPECT_EQ(fed.data, "#");
}

TEST(UploadScannerTest, DataWithoutMarkersPassesUnchanged) {
    std::string all(70000, '\0');
    for (std::size_t i = 0; i < all.size(); ++i) {
        all[i] = static_cast<char>((i * 7) % 256);
    }
    std::vector<std::string> pieces;
    for (std::size_t at = 0; at < all.size(); at += 1000) {
        pieces.push_back(all.substr(at, 1000));
    }
    const Fed fed = FeedPieces(pieces);
    EXPECT_EQ(fed.outcome, Outcome::More);
    EXPECT_EQ(fed.data, all);
}

}  // namespace
}  // namespace orvane
