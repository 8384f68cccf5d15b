#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

// Squares are 10 * rank + file (rank and file 0..7): a1 = 0, h1 = 7, a8 = 70, h8 = 77.
// Numbers ending in 8 or 9, negative numbers and numbers above 77 are off the board.
using Square = int;

namespace Piece {
inline constexpr int Empty = 0;
inline constexpr int WhitePawn = 1;
inline constexpr int WhiteKnight = 2;
inline constexpr int WhiteBishop = 3;
inline constexpr int WhiteRook = 4;
inline constexpr int WhiteQueen = 5;
inline constexpr int WhiteKing = 6;
inline constexpr int BlackPawn = 7;
inline constexpr int BlackKnight = 8;
inline constexpr int BlackBishop = 9;
inline constexpr int BlackRook = 10;
inline constexpr int BlackQueen = 11;
inline constexpr int BlackKing = 12;
}  // namespace Piece

inline constexpr std::string_view kInitialPositionLine =
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

// The twelve piece letters in piece-code order: kPieceLetters[code - 1].
inline constexpr std::string_view kPieceLetters = "PNBRQKpnbrqk";

constexpr bool isEdgeSquare(Square square) {
    return square < 0 || square > 77 || square % 10 >= 8;
}
constexpr Square makeSquare(int rank, int file) {
    return rank * 10 + file;
}
constexpr bool isWhitePiece(int code) {
    return code >= 1 && code <= 6;
}
constexpr bool isBlackPiece(int code) {
    return code >= 7 && code <= 12;
}

// The piece code of a placement letter, or 0 when the character is no piece letter.
int pieceFromLetter(char c);
// The placement letter of a piece code 1..12, or '?' for anything else.
char letterOfPiece(int code);

// The packed position record: 64 four-bit piece codes (square index i = 8 * rank + file lives in
// word i / 4, i % 4 == 0 in bits 12-15 down to i % 4 == 3 in bits 0-3) and a flags word.
struct PositionRecord {
    std::array<std::uint16_t, 16> board{};
    // bit 0 white O-O, bit 1 white O-O-O, bit 2 black O-O, bit 3 black O-O-O, bit 4 white to
    // move; high byte: square of the pawn that has just made a double step, 0 for none.
    std::uint16_t flags = 0;

    bool operator==(const PositionRecord&) const = default;
};

namespace PositionFlag {
inline constexpr std::uint16_t WhiteKingside = 1u << 0;
inline constexpr std::uint16_t WhiteQueenside = 1u << 1;
inline constexpr std::uint16_t BlackKingside = 1u << 2;
inline constexpr std::uint16_t BlackQueenside = 1u << 3;
inline constexpr std::uint16_t WhiteToMove = 1u << 4;
}  // namespace PositionFlag

class TChessPosition {
public:
    TChessPosition() { Inicialize(); }

    void Inicialize();
    PositionRecord* GetBoard() { return &m_record; }
    const PositionRecord* GetBoard() const { return &m_record; }
    void SetBoard(const PositionRecord& record) { m_record = record; }
    PositionRecord* GetNormalizedBoard() { return &m_record; }

    std::uint8_t PieceOnSquare(Square square) const;
    void PutPieceOnSquare(int piece, Square square);
    static bool EdgeSquare(Square square) { return isEdgeSquare(square); }
    bool SomethingOn(Square square) const { return PieceOnSquare(square) > 0; }

    bool WhiteCanCastleKingside() const { return flag(PositionFlag::WhiteKingside); }
    bool WhiteCanCastleQueenside() const { return flag(PositionFlag::WhiteQueenside); }
    bool BlackCanCastleKingside() const { return flag(PositionFlag::BlackKingside); }
    bool BlackCanCastleQueenside() const { return flag(PositionFlag::BlackQueenside); }
    bool WhiteOnMove() const { return flag(PositionFlag::WhiteToMove); }
    void SetWhiteCanCastleKingside(bool on) { setFlag(PositionFlag::WhiteKingside, on); }
    void SetWhiteCanCastleQueenside(bool on) { setFlag(PositionFlag::WhiteQueenside, on); }
    void SetBlackCanCastleKingside(bool on) { setFlag(PositionFlag::BlackKingside, on); }
    void SetBlackCanCastleQueenside(bool on) { setFlag(PositionFlag::BlackQueenside, on); }
    void SetWhiteOnMove(bool on) { setFlag(PositionFlag::WhiteToMove, on); }

    void SetEnPassantSquareTo(std::uint8_t square);
    std::uint8_t EnPassantSquare() const { return static_cast<std::uint8_t>(m_record.flags >> 8); }

    // The four position fields, each followed by one blank ("... w KQkq - ").
    std::string GetEPDString() const;

    // Reads the four position fields of an EPD line into this position and, on success, copies
    // the result to `out`. On failure `out` is untouched while this position may be partly
    // overwritten.
    bool MakeBoardFromEPD(PositionRecord& out, std::string_view line);

    bool operator==(const TChessPosition& other) const { return m_record == other.m_record; }

private:
    bool flag(std::uint16_t bit) const { return (m_record.flags & bit) != 0; }
    void setFlag(std::uint16_t bit, bool on);

    PositionRecord m_record;
};

// Empties every square of the board; the flags stay as they are.
void clearSquares(TChessPosition& position);

// Appends the placement field of `position`: ranks 8 down to 1, runs of empty squares as one
// digit. A square holding a code above 12 is handed to onBadPiece(out) instead of a letter.
template <class OnBadPiece>
void appendPlacement(std::string& out, const TChessPosition& position, OnBadPiece&& onBadPiece) {
    for (int rank = 7; rank >= 0; --rank) {
        int empty = 0;
        for (int file = 0; file < 8; ++file) {
            const int piece = position.PieceOnSquare(makeSquare(rank, file));
            if (piece == Piece::Empty) {
                ++empty;
            } else if (piece > 12) {
                onBadPiece(out);
            } else {
                if (empty > 0) out += static_cast<char>('0' + empty);
                empty = 0;
                out += letterOfPiece(piece);
            }
        }
        if (empty > 0) out += static_cast<char>('0' + empty);
        if (rank > 0) out += '/';
    }
}

enum class PlacementResult { Ok, RankOverrun, WrongSquareCount };

// The placement reader shared by every EPD reader. Walks at most the first 64 characters of
// `field` and calls put(square, pieceCode) for each square as it is filled, so a failed reading
// has already written the squares before the failure. A character that is neither a digit 1..8,
// a slash nor a piece letter fills one square with empty. Squares beyond the eighth file of the
// first rank are counted but never written.
template <class Put>
PlacementResult readPlacement(std::string_view field, Put&& put) {
    if (field.size() > 64) field = field.substr(0, 64);
    int rank = 7;
    int file = 0;
    auto advance = [&] {
        ++file;
        if (file > 7 && rank > 0) {
            file = 0;
            --rank;
        }
    };
    auto set = [&](int piece) {
        if (file <= 7) put(makeSquare(rank, file), piece);
        advance();
    };
    for (std::size_t i = 0; i < field.size(); ++i) {
        char c = field[i];
        if (c == '/') {
            // The character after a slash is taken at once, whatever it is.
            if (++i >= field.size()) break;
            c = field[i];
        }
        if (c >= '1' && c <= '8') {
            const int run = c - '0';
            if (file + run > 9) return PlacementResult::RankOverrun;
            for (int k = 0; k < run; ++k)
                set(Piece::Empty);
        } else {
            set(pieceFromLetter(c));
        }
    }
    return rank == 0 && file == 8 ? PlacementResult::Ok : PlacementResult::WrongSquareCount;
}

// The placement field of a line: the text before the first blank. A line without a blank gives
// the whole line when `wholeLineWithoutBlank` is set (board setup) and an empty field otherwise.
std::string_view placementField(std::string_view line, bool wholeLineWithoutBlank);

// The line without its operations, cut to its first 100 characters.
std::string positionPartOfLine(std::string_view line);
