#pragma once

// The board of the PGN converter: a 10 x 10 record with its own square numbering (10 * file +
// rank, a1 = 11, h8 = 88, file or rank 0 or 9 is border), piece lists, a pseudo-legal move
// generator that regenerates the move list after every change, and make-move.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

namespace zorb {

enum Colour : std::int32_t { Border = -1, Empty = 0, White = 1, Black = 2 };
enum Kind : std::int32_t {
    NoKind = 0,
    King = 1,
    Queen = 2,
    Bishop = 3,
    Knight = 4,
    Rook = 5,
    Pawn = 6
};

// Move flags.
inline constexpr std::int32_t kEnPassant = 1;
inline constexpr std::int32_t kPromotion = 2;
inline constexpr std::int32_t kCapture = 4;
inline constexpr std::int32_t kCandidate = 8;
inline constexpr std::int32_t kCastleKingside = 16;
inline constexpr std::int32_t kCastleQueenside = 32;

// Castling right bits of a side.
inline constexpr std::int32_t kRightKingside = 16;
inline constexpr std::int32_t kRightQueenside = 32;

inline constexpr int kMaxMoves = 254;

// Library error codes.
enum Error : int {
    NoError = 0,
    OutOfMemory = 1,
    InvalidArgument = 2,  // invalid argument, malformed text, no matching or impossible move
    InvalidSide = 3,      // side to move not set or invalid; malformed FEN placement
    InvalidSquare = 4,    // border not intact, bad square text, en-passant square on a wrong rank
    InvalidPiece = 5,     // invalid piece letter or code; impossible piece numbers
    NotUnique = 6,        // the SAN text matches more than one move
};

struct SquareInfo {
    std::int32_t colour;
    std::int32_t kind;
    std::int32_t index;  // index in its side's piece list, -1 for none
};
static_assert(sizeof(SquareInfo) == 12, "colour and kind are read together as eight bytes");

struct Move {
    std::int32_t kind;
    std::int32_t from;
    std::int32_t to;
    std::int32_t flags;
    std::int32_t promotion;  // kind promoted to; for a double pawn step the square passed over
};

struct PieceEntry {
    std::int32_t colour;
    std::int32_t kind;
    std::int32_t square;  // -1 once captured
};

struct Board {
    std::int32_t side;  // White, Black, or -1 when not set up
    SquareInfo squares[100];
    std::int32_t enPassant;  // the square passed over by the last double step, 0 for none
    Move moves[kMaxMoves];
    std::int32_t moveCount;
    PieceEntry white[16];
    std::int32_t whiteCount;
    PieceEntry black[16];
    std::int32_t blackCount;
    std::int32_t whiteCastling;
    std::int32_t blackCastling;

    PieceEntry* pieces(std::int32_t colour) { return colour == White ? white : black; }
    const PieceEntry* pieces(std::int32_t colour) const { return colour == White ? white : black; }
};

// The error code of the last library operation.
int lastError();

constexpr int squareOf(int file, int rank) {
    return 10 * file + rank;
}
constexpr int fileOf(int square) {
    return square / 10;
}
constexpr int rankOf(int square) {
    return square % 10;
}
constexpr bool isValidSquare(int square) {
    return square >= 11 && square <= 88 && fileOf(square) >= 1 && fileOf(square) <= 8 &&
           rankOf(square) >= 1 && rankOf(square) <= 8;
}

// Reserves and clears a record; nothing when memory runs out (error 1).
std::unique_ptr<Board> allocateBoard();
void clearBoard(Board& board);

// Set-up. Each returns 1 on success and 0 or a negative value on failure.
int setUpInitial(Board& board);
int setUpCopy(Board& board, const Board& source);  // the source must be valid
int setUpFromFen(Board& board, std::string_view fen);
int setUpFromCompact(Board& board, const std::uint8_t compact[33]);
int setSideToMove(Board& board, int side);  // keeps the record; side 1 or 2

// 1 when the record is consistent, else 0 with the error code set.
int validateBoard(const Board& board);

// The most moves one piece can have: a queen in the middle of an empty board has 27.
inline constexpr int kMaxPieceMoves = 28;

// The moves of the side-to-move's piece on `from`, as the full list would give them and in its
// order, written to `moves` (room for kMaxPieceMoves); their number, 0 for no such piece.
int generatePieceMoves(const Board& board, int from, Move* moves);

// Index of the first listed move from `from` to `to` (with that promotion when not 0), -1 when
// there is none (error code 0) or on bad arguments (error 4 or 5).
int findMove(const Board& board, int from, int to, int promotion);

// Plays move `index` and generates the moves of the other side. 1 on success.
int makeMove(Board& board, int index);

// Internal steps, exposed for the matcher and for tests.
// Copies a record as a whole value (the moves past the move count are left out).
void copyBoard(Board& board, const Board& source);
// Copies the position only, leaving the move list empty (for trying a move out).
void copyPosition(Board& board, const Board& source);
// Plays a move without generating the next move list; 0 (error 2) for an impossible castling.
int applyMove(Board& board, const Move& move);
// True when a piece of `byColour` could capture on `square`: the target of one of its generated
// moves.
bool squareAttacked(const Board& board, int square, int byColour);
// Whether the mover's king would stand attacked once `move` is played, worked out on the board
// as it stands (the squares the move empties read as empty, its destination as the mover's).
// Nothing for castling, whose rook moves too, and for a board without the mover's king listed
// first.
std::optional<bool> kingAttackedAfter(const Board& board, const Move& move);
void buildPieceLists(Board& board);
void generateMoves(Board& board);
void setError(int code);

}  // namespace zorb
