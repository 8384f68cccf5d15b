#include "image_exports.h"

#include <gtest/gtest.h>

namespace {

TEST(AsciiBoard, InitialAndEmptyBoards) {
    TChessPosition initial;
    initial.Inicialize();
    EXPECT_EQ(asciiBoard(initial, kInitialPositionLine),
              "    +---+---+---+---+---+---+---+---+\r\n"
              "  8 | R*| N*| B*| Q*| K*| B*| N*| R*|\r\n"
              "    +---+---+---+---+---+---+---+---+\r\n"
              "  7 | P*| P*| P*| P*| P*| P*| P*| P*|\r\n"
              "    +---+---+---+---+---+---+---+---+\r\n"
              "  6 |   |   |   |   |   |   |   |   |\r\n"
              "    +---+---+---+---+---+---+---+---+\r\n"
              "  5 |   |   |   |   |   |   |   |   |\r\n"
              "    +---+---+---+---+---+---+---+---+\r\n"
              "  4 |   |   |   |   |   |   |   |   |\r\n"
              "    +---+---+---+---+---+---+---+---+\r\n"
              "  3 |   |   |   |   |   |   |   |   |\r\n"
              "    +---+---+---+---+---+---+---+---+\r\n"
              "  2 | P | P | P | P | P | P | P | P |\r\n"
              "    +---+---+---+---+---+---+---+---+\r\n"
              "  1 | R | N | B | Q | K | B | N | R |\r\n"
              "    +---+---+---+---+---+---+---+---+\r\n"
              "      a   b   c   d   e   f   g   h\r\n"
              "\r\n"
              "EPD: rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -\r\n");
    TChessPosition empty;
    empty.SetBoard(PositionRecord{});
    const std::string text = asciiBoard(empty, "8/8/8/8/8/8/8/8 w - -");
    std::size_t emptyRanks = 0;
    for (std::size_t at = 0;
         (at = text.find("|   |   |   |   |   |   |   |   |", at)) != std::string::npos; ++at)
        ++emptyRanks;
    EXPECT_EQ(emptyRanks, 8u);
}

TEST(ExportGif, FileNamesArePaddedToFiveDigits) {
    const std::pair<std::size_t, const char*> names[] = {{1, "EPD00001.GIF"},
                                                         {42, "EPD00042.GIF"},
                                                         {12345, "EPD12345.GIF"},
                                                         {99999, "EPD99999.GIF"},
                                                         {100000, "EPD100000.GIF"}};
    for (const auto& [number, name] : names)
        EXPECT_EQ(exportGifFileName(number), name);
}

}  // namespace
