#include "position_check.h"

#include <array>

namespace {

struct Limit {
    int piece;
    int tooMany;  // this many or more fail
    const char* message;
};

// Rules 1 to 14 after the two king rules: the counts of each kind of piece.
constexpr std::array<Limit, 10> kPieceLimits = {{
    {Piece::WhiteQueen, 10, "Too many white queens on the board"},
    {Piece::BlackQueen, 10, "Too many black queens on the board"},
    {Piece::WhiteRook, 11, "Too many white rooks on the board"},
    {Piece::BlackRook, 11, "Too many black rooks on the board"},
    {Piece::WhiteBishop, 11, "Too many white bishops on the board"},
    {Piece::BlackBishop, 11, "Too many black bishops on the board"},
    {Piece::WhiteKnight, 11, "Too many white knights on the board"},
    {Piece::BlackKnight, 11, "Too many black knights on the board"},
    {Piece::WhitePawn, 9, "Too many white pawns on the board"},
    {Piece::BlackPawn, 9, "Too many black pawns on the board"},
}};

constexpr Square kE1 = 4, kE8 = 74, kA1 = 0, kH1 = 7, kA8 = 70, kH8 = 77;

}  // namespace

std::optional<std::string> checkBoardSetup(BoardSetupState& state) {
    const TChessPosition& board = state.board;
    std::array<int, 16> count{};
    for (int rank = 0; rank < 8; ++rank)
        for (int file = 0; file < 8; ++file) ++count[board.PieceOnSquare(makeSquare(rank, file))];

    if (count[Piece::WhiteKing] == 0) return "No white king on the board";
    if (count[Piece::WhiteKing] >= 2) return "Too many white kings on the board";
    if (count[Piece::BlackKing] == 0) return "No black king on the board";
    if (count[Piece::BlackKing] >= 2) return "Too many black kings on the board";
    for (const auto& limit : kPieceLimits)
        if (count[static_cast<std::size_t>(limit.piece)] >= limit.tooMany) return limit.message;
    int white = 0;
    int black = 0;
    for (int piece = Piece::WhitePawn; piece <= Piece::WhiteKing; ++piece) white += count[piece];
    for (int piece = Piece::BlackPawn; piece <= Piece::BlackKing; ++piece) black += count[piece];
    if (white >= 17) return "Too many white pieces on the board";
    if (black >= 17) return "Too many black pieces on the board";

    if ((state.whiteKingside || state.whiteQueenside) &&
        !(board.PieceOnSquare(kE1) == Piece::WhiteKing && count[Piece::WhiteRook] > 0)) {
        state.whiteKingside = state.whiteQueenside = false;
        return "No white castling allowed";
    }
    if ((state.blackKingside || state.blackQueenside) &&
        !(board.PieceOnSquare(kE8) == Piece::BlackKing && count[Piece::BlackRook] > 0)) {
        state.blackKingside = state.blackQueenside = false;
        return "No black castling allowed";
    }
    if (state.whiteKingside && board.PieceOnSquare(kH1) != Piece::WhiteRook) {
        state.whiteKingside = false;
        return "No white short castling allowed";
    }
    if (state.whiteQueenside && board.PieceOnSquare(kA1) != Piece::WhiteRook) {
        state.whiteQueenside = false;
        return "No white long castling allowed";
    }
    if (state.blackKingside && board.PieceOnSquare(kH8) != Piece::BlackRook) {
        state.blackKingside = false;
        return "No black short castling allowed";
    }
    if (state.blackQueenside && board.PieceOnSquare(kA8) != Piece::BlackRook) {
        state.blackQueenside = false;
        return "No black long castling allowed";
    }

    for (int file = 0; file < 8; ++file) {
        const int piece = board.PieceOnSquare(makeSquare(7, file));
        if (piece == Piece::WhitePawn) return "No white pawn(s) allowed at 8th rank";
        if (piece == Piece::BlackPawn) return "No black pawn(s) allowed at 8th rank";
    }
    for (int file = 0; file < 8; ++file) {
        const int piece = board.PieceOnSquare(makeSquare(0, file));
        if (piece == Piece::BlackPawn) return "No black pawn(s) allowed at 1st rank";
        if (piece == Piece::WhitePawn) return "No white pawn(s) allowed at 1st rank";
    }

    const int entry = state.enPassantIndex;
    if (entry >= 1 && entry < kEnPassantEntries) {
        const int file = (entry - 1) % 8;
        const bool thirdRank = entry <= 8;
        const bool valid =
            state.whiteToMove
                ? !thirdRank && board.PieceOnSquare(makeSquare(4, file)) == Piece::BlackPawn
                : thirdRank && board.PieceOnSquare(makeSquare(3, file)) == Piece::WhitePawn;
        if (!valid) {
            state.enPassantIndex = 0;
            return "ep field invalid";
        }
    }
    return std::nullopt;
}
