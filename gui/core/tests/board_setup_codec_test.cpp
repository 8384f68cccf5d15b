#include "board_setup_codec.h"

#include <gtest/gtest.h>

namespace {

using Messages = std::vector<std::string>;

BoardSetupState stateWithOldContent() {
    BoardSetupState state;  // the initial board, to see that it is cleared
    state.whiteToMove = false;
    state.whiteKingside = state.blackQueenside = true;
    state.enPassantIndex = 5;
    state.operations = "bm e4;";
    return state;
}

bool boardEmpty(const BoardSetupState& state) {
    for (int rank = 0; rank < 8; ++rank)
        for (int file = 0; file < 8; ++file)
            if (state.board.PieceOnSquare(makeSquare(rank, file)) != 0) return false;
    return true;
}

TEST(BoardSetupReader, PlacementAloneSucceedsWithDefaults) {
    auto state = stateWithOldContent();
    const auto result = readBoardSetupLine("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR", state);
    EXPECT_TRUE(result.ok);
    EXPECT_TRUE(result.messages.empty());
    EXPECT_TRUE(state.whiteToMove);
    EXPECT_FALSE(state.whiteKingside || state.whiteQueenside || state.blackKingside ||
                 state.blackQueenside);
    EXPECT_EQ(state.enPassantIndex, 0);
    EXPECT_EQ(state.board.PieceOnSquare(4), Piece::WhiteKing);
    EXPECT_EQ(state.operations, "bm e4;");  // no operations in the line: the text stays
}

TEST(BoardSetupReader, ReadsEveryFieldAndTrimsTheOperations) {
    BoardSetupState state;
    const auto result = readBoardSetupLine(
        "rnbqkbnr/pp1ppppp/8/2pP4/8/8/PPP1PPPP/RNBQKBNR b Kq c6   bm e4; id \"x\";  ", state);
    ASSERT_TRUE(result.ok);
    EXPECT_FALSE(state.whiteToMove);
    EXPECT_TRUE(state.whiteKingside);
    EXPECT_FALSE(state.whiteQueenside);
    EXPECT_FALSE(state.blackKingside);
    EXPECT_TRUE(state.blackQueenside);
    EXPECT_EQ(state.enPassantIndex, 11);  // c6
    EXPECT_EQ(enPassantEntryText(state.enPassantIndex), "c6");
    EXPECT_EQ(state.operations, "bm e4; id \"x\";");
}

TEST(BoardSetupReader, CastlingStopsAtTheFirstOtherCharacter) {
    BoardSetupState state;
    ASSERT_TRUE(readBoardSetupLine("8/8/8/8/8/8/8/8 w KxQ -", state).ok);
    EXPECT_TRUE(state.whiteKingside);
    EXPECT_FALSE(state.whiteQueenside);
}

struct FailingLine {
    const char* line;
    const char* specific;
};

class BoardSetupReaderFailure : public testing::TestWithParam<FailingLine> {};

TEST_P(BoardSetupReaderFailure, ShowsTheSpecificMessageThenTheGeneralOneAndClearsTheBoard) {
    auto state = stateWithOldContent();
    const auto result = readBoardSetupLine(GetParam().line, state);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.messages, (Messages{GetParam().specific, "Error in EPD description"}));
    EXPECT_TRUE(boardEmpty(state));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, BoardSetupReaderFailure,
    testing::Values(FailingLine{"pp8/8/8/8/8/8/8/8 w - -", "Error in EPD rank description"},
                    FailingLine{"8/8/8/8/8/8/8 w - -", "Error in EPD position description"},
                    FailingLine{"8/8/8/8/8/8/8/8 W - -", "Error in EPD move right description"},
                    FailingLine{"8/8/8/8/8/8/8/8  - -", "Error in EPD move right description"},
                    FailingLine{"8/8/8/8/8/8/8/8 b - e4", "Error in EPD ep field description"},
                    FailingLine{"8/8/8/8/8/8/8/8 b - e", "Error in EPD ep field description"},
                    FailingLine{"8/8/8/8/8/8/8/8 b - ", "Error in EPD ep field description"},
                    FailingLine{"8/8/8/8/8/8/8/8 b - i3", "Error in EPD ep field description"}));

TEST(BoardSetupReader, EnPassantRankIsNotComparedWithTheSide) {
    BoardSetupState state;
    ASSERT_TRUE(readBoardSetupLine("8/8/8/8/8/8/8/8 w - a3", state).ok);
    EXPECT_EQ(state.enPassantIndex, 1);
    ASSERT_TRUE(readBoardSetupLine("8/8/8/8/8/8/8/8 b - h6", state).ok);
    EXPECT_EQ(state.enPassantIndex, 16);
}

TEST(BoardSetupGenerator, WritesFieldsWithoutTrailingBlank) {
    BoardSetupState state;
    EXPECT_EQ(generateBoardSetupLine(state), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - -");
    state.whiteToMove = false;
    state.whiteQueenside = state.blackKingside = true;
    state.enPassantIndex = 5;
    state.operations = "bm e4;";
    EXPECT_EQ(generateBoardSetupLine(state),
              "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b Qk e3 bm e4;");
}

TEST(BoardSetupGenerator, ReadingItsOwnLineGivesTheSameState) {
    BoardSetupState state;
    state.clearBoard();
    state.board.PutPieceOnSquare(Piece::WhiteKing, 6);
    state.board.PutPieceOnSquare(Piece::BlackKing, 74);
    state.board.PutPieceOnSquare(Piece::BlackPawn, 43);
    state.whiteKingside = true;
    state.enPassantIndex = 12;
    state.operations = "c0 \"a; b\";";
    const std::string line = generateBoardSetupLine(state);
    EXPECT_EQ(line, "4k3/8/8/3p4/8/8/8/6K1 w K d6 c0 \"a; b\";");
    BoardSetupState again;
    ASSERT_TRUE(readBoardSetupLine(line, again).ok);
    EXPECT_EQ(generateBoardSetupLine(again), line);
}

// A FEN-style line's half-move clock and move number are counters, not operations, and are
// written back where they stood.
TEST(BoardSetupReader, MoveCountersOfFenLinesAreKept) {
    struct Case {
        const char* line;
        const char* counters;
        const char* operations;
    };
    for (const Case& c : {
             Case{"8/8/8/8/8/8/8/4K2k b - - 0 9", "0 9", ""},
             Case{"8/8/8/8/8/8/8/4K2k w - - 12 140 bm Kf2;", "12 140", "bm Kf2;"},
             Case{"8/8/8/8/8/8/8/4K2k w - - 0 1 ;D1 20 ;D2 400", "0 1", ";D1 20 ;D2 400"},
             Case{"8/8/8/8/8/8/8/4K2k w - - 5 bm Kf2;", "", "5 bm Kf2;"},  // one number only
             Case{"8/8/8/8/8/8/8/4K2k w - - 0 9;", "", "0 9;"},
         }) {
        BoardSetupState state;
        state.moveCounters = "3 3";
        ASSERT_TRUE(readBoardSetupLine(c.line, state).ok) << c.line;
        EXPECT_EQ(state.moveCounters, c.counters) << c.line;
        EXPECT_EQ(state.operations, c.operations) << c.line;
        EXPECT_EQ(generateBoardSetupLine(state), c.line);
    }
}

TEST(BoardSetupGenerator, CodeAbove12EmptiesTheTextBuiltSoFar) {
    BoardSetupState state;
    state.board.PutPieceOnSquare(13, 64);  // e7
    Messages messages;
    const std::string line = generateBoardSetupLine(state, &messages);
    EXPECT_EQ(messages, Messages{"Error in building EPD description"});
    EXPECT_EQ(line, "ppp/8/8/8/8/PPPPPPPP/RNBQKBNR w - -");
}

}  // namespace
