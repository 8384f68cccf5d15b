#include "position_check.h"

#include <gtest/gtest.h>

namespace {

// A state with both kings on their squares and nothing else.
BoardSetupState kingsOnly() {
    BoardSetupState state;
    state.clearBoard();
    state.board.PutPieceOnSquare(Piece::WhiteKing, 4);
    state.board.PutPieceOnSquare(Piece::BlackKing, 74);
    return state;
}

// Puts `count` pieces on free squares of ranks 2..7.
void add(BoardSetupState& state, int piece, int count) {
    for (Square sq = 10; sq < 70 && count > 0; ++sq) {
        if (isEdgeSquare(sq) || state.board.PieceOnSquare(sq) != 0) continue;
        state.board.PutPieceOnSquare(piece, sq);
        --count;
    }
    ASSERT_EQ(count, 0);
}

std::optional<std::string> check(BoardSetupState state) {
    return checkBoardSetup(state);
}

TEST(PositionCheck, KingsComeFirst) {
    BoardSetupState empty;
    empty.clearBoard();
    EXPECT_EQ(check(empty), "No white king on the board");
    auto twoWhite = empty;
    twoWhite.board.PutPieceOnSquare(Piece::WhiteKing, 4);
    twoWhite.board.PutPieceOnSquare(Piece::WhiteKing, 5);
    EXPECT_EQ(check(twoWhite), "Too many white kings on the board");  // not the black king
    auto noBlack = empty;
    noBlack.board.PutPieceOnSquare(Piece::WhiteKing, 4);
    EXPECT_EQ(check(noBlack), "No black king on the board");
    auto twoBlack = kingsOnly();
    twoBlack.board.PutPieceOnSquare(Piece::BlackKing, 77);
    EXPECT_EQ(check(twoBlack), "Too many black kings on the board");
    EXPECT_EQ(check(kingsOnly()), std::nullopt);
}

struct Limit {
    int piece;
    int allowed;
    const char* message;
};

class PieceLimits : public testing::TestWithParam<Limit> {};

TEST_P(PieceLimits, OneMoreThanAllowedFails) {
    auto state = kingsOnly();
    add(state, GetParam().piece, GetParam().allowed);
    EXPECT_EQ(check(state), std::nullopt);
    add(state, GetParam().piece, 1);
    EXPECT_EQ(check(state), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(
    Counts, PieceLimits,
    testing::Values(Limit{Piece::WhiteQueen, 9, "Too many white queens on the board"},
                    Limit{Piece::BlackQueen, 9, "Too many black queens on the board"},
                    Limit{Piece::WhiteRook, 10, "Too many white rooks on the board"},
                    Limit{Piece::BlackRook, 10, "Too many black rooks on the board"},
                    Limit{Piece::WhiteBishop, 10, "Too many white bishops on the board"},
                    Limit{Piece::BlackBishop, 10, "Too many black bishops on the board"},
                    Limit{Piece::WhiteKnight, 10, "Too many white knights on the board"},
                    Limit{Piece::BlackKnight, 10, "Too many black knights on the board"},
                    Limit{Piece::WhitePawn, 8, "Too many white pawns on the board"},
                    Limit{Piece::BlackPawn, 8, "Too many black pawns on the board"}));

TEST(PositionCheck, SeventeenPiecesOfOneColourFailEvenWithinEachCount) {
    auto state = kingsOnly();
    add(state, Piece::WhitePawn, 8);
    add(state, Piece::WhiteKnight, 7);
    EXPECT_EQ(check(state), std::nullopt);  // 16
    add(state, Piece::WhiteBishop, 1);
    EXPECT_EQ(check(state), "Too many white pieces on the board");
    auto black = kingsOnly();
    add(black, Piece::BlackQueen, 9);
    add(black, Piece::BlackRook, 7);
    EXPECT_EQ(check(black), "Too many black pieces on the board");
}

TEST(PositionCheck, CastlingNeedsTheKingAtHomeAndARook) {
    auto state = kingsOnly();
    state.whiteQueenside = true;
    EXPECT_EQ(checkBoardSetup(state), "No white castling allowed");  // no white rook
    EXPECT_FALSE(state.whiteKingside || state.whiteQueenside);

    state = kingsOnly();
    state.board.PutPieceOnSquare(Piece::BlackRook, 70);
    state.board.PutPieceOnSquare(Piece::Empty, 74);
    state.board.PutPieceOnSquare(Piece::BlackKing, 75);  // king on f8
    state.blackKingside = state.blackQueenside = true;
    EXPECT_EQ(checkBoardSetup(state), "No black castling allowed");
    EXPECT_FALSE(state.blackKingside || state.blackQueenside);
}

TEST(PositionCheck, EachCastlingBoxNeedsItsRook) {
    auto state = kingsOnly();
    state.board.PutPieceOnSquare(Piece::WhiteRook, 11);  // b2 only
    state.whiteKingside = state.whiteQueenside = true;
    EXPECT_EQ(checkBoardSetup(state), "No white short castling allowed");
    EXPECT_FALSE(state.whiteKingside);
    EXPECT_TRUE(state.whiteQueenside);
    EXPECT_EQ(checkBoardSetup(state), "No white long castling allowed");
    EXPECT_FALSE(state.whiteQueenside);
    EXPECT_EQ(checkBoardSetup(state), std::nullopt);

    state.board.PutPieceOnSquare(Piece::BlackRook, 77);
    state.blackKingside = state.blackQueenside = true;
    EXPECT_EQ(checkBoardSetup(state), "No black long castling allowed");
    EXPECT_TRUE(state.blackKingside);
    EXPECT_EQ(checkBoardSetup(state), std::nullopt);
    state.board.PutPieceOnSquare(Piece::Empty, 77);
    state.board.PutPieceOnSquare(Piece::BlackRook, 70);
    EXPECT_EQ(checkBoardSetup(state), "No black short castling allowed");
}

TEST(PositionCheck, CastlingRulesComeAfterTheCounts) {
    auto state = kingsOnly();
    add(state, Piece::WhitePawn, 9);
    state.whiteKingside = true;
    EXPECT_EQ(checkBoardSetup(state), "Too many white pawns on the board");
    EXPECT_TRUE(state.whiteKingside);  // no side effect from a later rule
}

TEST(PositionCheck, PawnsOnTheLastRanksTheFirstFoundDecides) {
    auto state = kingsOnly();
    state.board.PutPieceOnSquare(Piece::BlackPawn, 70);
    state.board.PutPieceOnSquare(Piece::WhitePawn, 71);
    state.board.PutPieceOnSquare(Piece::WhitePawn, 0);
    EXPECT_EQ(check(state), "No black pawn(s) allowed at 8th rank");
    state.board.PutPieceOnSquare(Piece::Empty, 70);
    EXPECT_EQ(check(state), "No white pawn(s) allowed at 8th rank");
    state.board.PutPieceOnSquare(Piece::Empty, 71);
    EXPECT_EQ(check(state), "No white pawn(s) allowed at 1st rank");
    state.board.PutPieceOnSquare(Piece::BlackPawn, 7);
    EXPECT_EQ(check(state), "No white pawn(s) allowed at 1st rank");
    state.board.PutPieceOnSquare(Piece::Empty, 0);
    EXPECT_EQ(check(state), "No black pawn(s) allowed at 1st rank");
}

TEST(PositionCheck, EnPassantEntryNeedsThePawnThatJustMoved) {
    auto state = kingsOnly();
    state.whiteToMove = false;
    state.enPassantIndex = 5;  // e3
    EXPECT_EQ(checkBoardSetup(state), "ep field invalid");
    EXPECT_EQ(state.enPassantIndex, 0);
    state.enPassantIndex = 5;
    state.board.PutPieceOnSquare(Piece::WhitePawn, 34);  // e4
    EXPECT_EQ(checkBoardSetup(state), std::nullopt);
    EXPECT_EQ(state.enPassantIndex, 5);

    state.enPassantIndex = 13;  // e6 with black to move
    state.board.PutPieceOnSquare(Piece::BlackPawn, 44);
    EXPECT_EQ(checkBoardSetup(state), "ep field invalid");
    EXPECT_EQ(state.enPassantIndex, 0);

    state.whiteToMove = true;
    state.enPassantIndex = 13;  // e6 with a black pawn on e5
    EXPECT_EQ(checkBoardSetup(state), std::nullopt);
    state.enPassantIndex = 4;  // d3 with white to move
    EXPECT_EQ(checkBoardSetup(state), "ep field invalid");
}

}  // namespace
