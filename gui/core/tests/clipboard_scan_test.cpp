#include "clipboard_scan.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::vector<std::string> scan(std::string_view text) {
    std::vector<std::string> lines;
    scanEpdLines(text, [&](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

TEST(ClipboardScan, PicksEpdLinesOutOfFreeText) {
    const std::string text =
        "1. e4 e5 2. Nf3 Nc6 3. Bb5 a6\r\n"
        "Here: rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3\r\n"
        "no digits here at all\n"
        "8/8/8\n"
        "   4k3/8/8/8/8/8/8/4K3 w - - bm Kd2;";
    // The move list has no slash; "Here:" is skipped up to its first piece letter "r".
    EXPECT_EQ(scan(text), (std::vector<std::string>{
                              "re: rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3",
                              "4k3/8/8/8/8/8/8/4K3 w - - bm Kd2;"}));
}

TEST(ClipboardScan, CarriageReturnsAreDroppedInsideLines) {
    EXPECT_EQ(scan("8/8/8/8/\r8/8/8/8 w - -\r\n"),
              std::vector<std::string>{"8/8/8/8/8/8/8/8 w - -"});
}

TEST(ClipboardScan, NothingWithoutSlashOrLength) {
    EXPECT_TRUE(scan("").empty());
    EXPECT_TRUE(scan("xyz\n\n\t  ").empty());
    EXPECT_TRUE(scan("1234567890123456789\n").empty());  // no slash
    EXPECT_TRUE(scan("8/8/8/8/8/8/8/\n").empty());       // 14 characters
    EXPECT_EQ(scan("8/8/8/8/8/8/8/8\n").size(), 1u);     // 15
}

TEST(ClipboardScan, PgnTagsAreRecognised) {
    EXPECT_TRUE(containsPgnTags("x\n[Event \"Open\"]\n"));
    EXPECT_TRUE(containsPgnTags("[Result \"1-0\"]"));
    EXPECT_FALSE(containsPgnTags("[event \"lower case\"]"));
    EXPECT_FALSE(containsPgnTags("8/8/8/8/8/8/8/8 w - -"));
}

TEST(ClipboardScan, HundredMegabytesWithoutEpdLines) {
    std::string text(100u << 20, 'x');
    for (std::size_t i = 80; i < text.size(); i += 81)
        text[i] = '\n';
    EXPECT_TRUE(scan(text).empty());
}

}  // namespace
