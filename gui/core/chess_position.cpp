#include "chess_position.h"

#include <algorithm>
#include <array>

namespace {

// Word index and shift of the nibble that holds a board square.
struct NibbleAt {
    int word;
    int shift;
};

NibbleAt nibbleOf(Square square) {
    const int index = 8 * (square / 10) + square % 10;
    return {index / 4, 12 - 4 * (index % 4)};
}

// Operation names that end the position part of a line (other opcodes are not recognised).
constexpr std::array<std::string_view, 20> kOperationNames = {
    "acn", "acs", "am", "bm", "c0", "c1", "c2", "c3", "c4", "c5",
    "c6",  "c7",  "c8", "c9", "ce", "dm", "id", "pm", "pv", "sm"};

}  // namespace

int pieceFromLetter(char c) {
    const auto at = kPieceLetters.find(c);
    return at == std::string_view::npos ? Piece::Empty : static_cast<int>(at) + 1;
}

char letterOfPiece(int code) {
    return code >= 1 && code <= 12 ? kPieceLetters[static_cast<std::size_t>(code - 1)] : '?';
}

void TChessPosition::Inicialize() {
    m_record = PositionRecord{};
    static constexpr std::array<int, 8> backRank = {
        Piece::WhiteRook, Piece::WhiteKnight, Piece::WhiteBishop, Piece::WhiteQueen,
        Piece::WhiteKing, Piece::WhiteBishop, Piece::WhiteKnight, Piece::WhiteRook};
    for (int file = 0; file < 8; ++file) {
        PutPieceOnSquare(backRank[file], makeSquare(0, file));
        PutPieceOnSquare(Piece::WhitePawn, makeSquare(1, file));
        PutPieceOnSquare(Piece::BlackPawn, makeSquare(6, file));
        PutPieceOnSquare(backRank[file] + 6, makeSquare(7, file));
    }
    m_record.flags = PositionFlag::WhiteKingside | PositionFlag::WhiteQueenside |
                     PositionFlag::BlackKingside | PositionFlag::BlackQueenside |
                     PositionFlag::WhiteToMove;
}

std::uint8_t TChessPosition::PieceOnSquare(Square square) const {
    if (isEdgeSquare(square)) return 0;
    const auto at = nibbleOf(square);
    return static_cast<std::uint8_t>((m_record.board[at.word] >> at.shift) & 0xF);
}

void TChessPosition::PutPieceOnSquare(int piece, Square square) {
    if (isEdgeSquare(square)) return;
    const auto at = nibbleOf(square);
    auto& word = m_record.board[at.word];
    word = static_cast<std::uint16_t>((word & ~(0xF << at.shift)) | ((piece & 0xF) << at.shift));
}

void TChessPosition::setFlag(std::uint16_t bit, bool on) {
    m_record.flags =
        static_cast<std::uint16_t>(on ? (m_record.flags | bit) : (m_record.flags & ~bit));
}

void TChessPosition::SetEnPassantSquareTo(std::uint8_t square) {
    m_record.flags = static_cast<std::uint16_t>((m_record.flags & 0x00FF) | (square << 8));
}

std::string TChessPosition::GetEPDString() const {
    std::string out;
    out.reserve(90);
    appendPlacement(out, *this, [](std::string& text) { text += '?'; });
    out += WhiteOnMove() ? " w " : " b ";
    const std::size_t castlingStart = out.size();
    if (WhiteCanCastleKingside()) out += 'K';
    if (WhiteCanCastleQueenside()) out += 'Q';
    if (BlackCanCastleKingside()) out += 'k';
    if (BlackCanCastleQueenside()) out += 'q';
    if (out.size() == castlingStart) out += '-';

    const int pawn = EnPassantSquare();
    if (pawn == 0) {
        out += " - ";
    } else {
        // The stored square is the pawn's; the target lies one rank behind it.
        const int pawnRank = pawn / 10 + 1;
        const int targetRank = WhiteOnMove() ? pawnRank + 1 : pawnRank - 1;
        out += ' ';
        out += static_cast<char>('a' + pawn % 10);
        out += static_cast<char>('0' + targetRank);
        out += ' ';
    }
    return out;
}

bool TChessPosition::MakeBoardFromEPD(PositionRecord& out, std::string_view line) {
    const auto placement = placementField(line, false);
    if (placement.empty()) return false;
    const auto result =
        readPlacement(placement, [this](Square sq, int piece) { PutPieceOnSquare(piece, sq); });
    if (result != PlacementResult::Ok) return false;

    // The rest of the line after the first blank, as a short string of at most 255 characters.
    std::string_view rest = line.substr(line.find(' ') + 1);
    if (rest.size() > 255) rest = rest.substr(0, 255);
    if (rest.empty()) return false;
    if (rest[0] != 'w' && rest[0] != 'b') return false;
    SetWhiteOnMove(rest[0] == 'w');

    auto nextField = [&rest]() {
        const auto blank = rest.find(' ');
        rest = blank == std::string_view::npos ? std::string_view{} : rest.substr(blank + 1);
        return !rest.empty();
    };
    if (!nextField()) return false;
    const auto castling = rest.substr(0, rest.find(' '));
    auto has = [&castling](char c) { return castling.find(c) != std::string_view::npos; };
    SetWhiteCanCastleKingside(has('K'));
    SetWhiteCanCastleQueenside(has('Q'));
    SetBlackCanCastleKingside(has('k'));
    SetBlackCanCastleQueenside(has('q'));

    if (!nextField()) return false;
    int pawn = 0;
    if (rest[0] != '-') {
        const auto file = std::string_view("abcdefgh").find(rest[0]);
        const auto rank =
            rest.size() > 1 ? std::string_view("12345678").find(rest[1]) : std::string_view::npos;
        if (file != std::string_view::npos && rank != std::string_view::npos) {
            const int target = 10 * static_cast<int>(rank) + static_cast<int>(file);
            pawn = WhiteOnMove() ? target - 10 : target + 10;
            const bool plausible = (pawn >= 30 && pawn <= 37) || (pawn >= 40 && pawn <= 47);
            if (!plausible) pawn = 0;
        }
    }
    SetEnPassantSquareTo(static_cast<std::uint8_t>(pawn));
    out = m_record;
    return true;
}

std::string_view placementField(std::string_view line, bool wholeLineWithoutBlank) {
    const auto blank = line.find(' ');
    if (blank == std::string_view::npos) return wholeLineWithoutBlank ? line : std::string_view{};
    return line.substr(0, blank);
}

std::string positionPartOfLine(std::string_view line) {
    // The search for operation names starts after the en-passant field (the fourth field).
    std::size_t start = 0;
    for (int blanks = 0; blanks < 3 && start != std::string_view::npos; ++blanks) {
        start = line.find(' ', start);
        if (start != std::string_view::npos) ++start;
    }
    std::size_t cut = line.size();
    if (start != std::string_view::npos) {
        const auto epEnd = line.find(' ', start);
        const std::size_t from = epEnd == std::string_view::npos ? line.size() : epEnd;
        for (auto name : kOperationNames) {
            const auto at = line.find(name, from);
            if (at != std::string_view::npos) cut = std::min(cut, at);
        }
    }
    if (cut < line.size() && cut > 0 && line[cut - 1] == ' ') --cut;
    return std::string(line.substr(0, std::min<std::size_t>(cut, 100)));
}

void clearSquares(TChessPosition& position) {
    for (int rank = 0; rank < 8; ++rank)
        for (int file = 0; file < 8; ++file)
            position.PutPieceOnSquare(Piece::Empty, makeSquare(rank, file));
}
