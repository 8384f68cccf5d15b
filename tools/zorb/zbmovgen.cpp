#include "zbmovgen.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <optional>

namespace zorb {

namespace {

int g_error = NoError;

constexpr std::array<int, 8> kKingSteps = {+1, -1, +9, -9, +10, -10, +11, -11};
constexpr std::array<int, 8> kQueenSteps = {+9, -9, +11, -11, +1, -1, +10, -10};
constexpr std::array<int, 4> kRookSteps = {+1, -1, +10, -10};
constexpr std::array<int, 4> kBishopSteps = {+9, -9, +11, -11};
constexpr std::array<int, 8> kKnightSteps = {+8, +12, +19, +21, -8, -12, -19, -21};
constexpr std::array<int, 6> kListOrder = {King, Queen, Rook, Bishop, Knight, Pawn};

constexpr int kA1 = 11, kA8 = 18, kB1 = 21, kB8 = 28, kC1 = 31, kC8 = 38, kD1 = 41, kD8 = 48;
constexpr int kE1 = 51, kE8 = 58, kF1 = 61, kF8 = 68, kG1 = 71, kG8 = 78, kH1 = 81, kH8 = 88;

bool isBorder(const Board& board, int square) {
    // A knight jumps two squares, which can leave the 10 x 10 array altogether.
    return square < 0 || square > 99 || board.squares[square].colour == Border;
}

int opponent(int side) {
    return side == White ? Black : White;
}

std::int32_t& rightsOf(Board& board, int colour) {
    return colour == White ? board.whiteCastling : board.blackCastling;
}

// Where generated moves go: the board's own list, or a short list of one piece's moves.
struct MoveList {
    Move* moves;
    int count;
    int capacity;
};

// Appends a move as a candidate; a list that is full takes no more (with at most sixteen pieces
// a side no position comes near the bound).
void addMove(MoveList& list, int kind, int from, int to, int flags, int promotion) {
    if (list.count >= list.capacity) return;
    list.moves[list.count++] = Move{kind, from, to, flags | kCandidate, promotion};
}

// Whether a step leaves the board. A frame one square wide catches every step but a knight's,
// whose jumps of two can leave the 10 x 10 array itself.
template <bool Jump>
bool offBoard(const Board& board, int square) {
    if constexpr (Jump) {
        if (square < 0 || square > 99) return true;
    }
    return board.squares[square].colour == Border;
}

template <bool Jump>
void addSteps(const Board& board, MoveList& list, int kind, int from, const int* steps,
              std::size_t count, bool slide) {
    const int side = board.side;
    for (std::size_t i = 0; i < count; ++i) {
        for (int to = from + steps[i]; !offBoard<Jump>(board, to); to += steps[i]) {
            const int colour = board.squares[to].colour;
            if (colour == side) break;
            if (colour != Empty) {
                addMove(list, kind, from, to, kCapture, 0);
                break;
            }
            addMove(list, kind, from, to, 0, 0);
            if (!slide) break;
        }
    }
}

void addPawnMove(MoveList& list, int from, int to, int flags, int lastRank) {
    if (rankOf(to) == lastRank) {
        for (int promotion : {Queen, Rook, Bishop, Knight})
            addMove(list, Pawn, from, to, flags | kPromotion, promotion);
    } else {
        addMove(list, Pawn, from, to, flags, 0);
    }
}

void addPawnMoves(const Board& board, MoveList& list, int from) {
    const bool white = board.side == White;
    const int forward = white ? +1 : -1;
    const int lastRank = white ? 8 : 1;
    const int startRank = white ? 2 : 7;
    const std::array<int, 2> captures =
        white ? std::array<int, 2>{-9, +11} : std::array<int, 2>{+9, -11};
    for (int step : captures) {
        const int to = from + step;
        if (isBorder(board, to)) continue;
        const int colour = board.squares[to].colour;
        if (colour == Empty && to == board.enPassant) {
            addMove(list, Pawn, from, to, kEnPassant | kCapture, 0);
        } else if (colour == opponent(board.side)) {
            addPawnMove(list, from, to, kCapture, lastRank);
        }
    }
    const int one = from + forward;
    if (isBorder(board, one) || board.squares[one].colour != Empty) return;
    addPawnMove(list, from, one, 0, lastRank);
    const int two = one + forward;
    if (rankOf(from) == startRank && !isBorder(board, two) && board.squares[two].colour == Empty)
        addMove(list, Pawn, from, two, 0, one);
}

bool holds(const Board& board, int square, int colour, int kind) {
    return board.squares[square].colour == colour && board.squares[square].kind == kind;
}

bool empty(const Board& board, std::initializer_list<int> squares) {
    for (int square : squares)
        if (board.squares[square].colour != Empty) return false;
    return true;
}

// Castling moves stand in the list whether or not the right is held; without it they are no
// candidates.
void addCastling(const Board& board, MoveList& list, int from) {
    const int side = board.side;
    const int home = side == White ? kE1 : kE8;
    if (from != home) return;
    const int first = list.count;
    if (side == White) {
        if (holds(board, kH1, White, Rook) && empty(board, {kF1, kG1}))
            addMove(list, King, kE1, kG1, kCastleKingside, 0);
        if (holds(board, kA1, White, Rook) && empty(board, {kB1, kC1, kD1}))
            addMove(list, King, kE1, kC1, kCastleQueenside, 0);
    } else {
        if (holds(board, kH8, Black, Rook) && empty(board, {kF8, kG8}))
            addMove(list, King, kE8, kG8, kCastleKingside, 0);
        if (holds(board, kA8, Black, Rook) && empty(board, {kB8, kC8, kD8}))
            addMove(list, King, kE8, kC8, kCastleQueenside, 0);
    }
    const int rights = side == White ? board.whiteCastling : board.blackCastling;
    for (int i = first; i < list.count; ++i) {
        Move& move = list.moves[i];
        if (((move.flags & kCastleKingside) && !(rights & kRightKingside)) ||
            ((move.flags & kCastleQueenside) && !(rights & kRightQueenside)))
            move.flags &= ~kCandidate;
    }
}

// The moves of one piece of the side to move, in list order.
void addPieceMoves(const Board& board, MoveList& list, int kind, int from) {
    switch (kind) {
        case King:
            addCastling(board, list, from);
            addSteps<false>(board, list, King, from, kKingSteps.data(), kKingSteps.size(), false);
            break;
        case Queen:
            addSteps<false>(board, list, Queen, from, kQueenSteps.data(), kQueenSteps.size(), true);
            break;
        case Rook:
            addSteps<false>(board, list, Rook, from, kRookSteps.data(), kRookSteps.size(), true);
            break;
        case Bishop:
            addSteps<false>(board, list, Bishop, from, kBishopSteps.data(), kBishopSteps.size(),
                            true);
            break;
        case Knight:
            addSteps<true>(board, list, Knight, from, kKnightSteps.data(), kKnightSteps.size(),
                           false);
            break;
        case Pawn:
            addPawnMoves(board, list, from);
            break;
        default:
            break;
    }
}

void removePiece(Board& board, int square) {
    const SquareInfo& info = board.squares[square];
    if (info.colour != White && info.colour != Black) return;
    PieceEntry* list = board.pieces(info.colour);
    if (info.index >= 0 && info.index < 16) list[info.index].square = -1;
    (info.colour == White ? board.whiteCount : board.blackCount) -= 1;
    board.squares[square] = SquareInfo{Empty, NoKind, -1};
}

void clearRightOfCorner(Board& board, int square) {
    if (square == kA1) board.whiteCastling &= ~kRightQueenside;
    if (square == kH1) board.whiteCastling &= ~kRightKingside;
    if (square == kA8) board.blackCastling &= ~kRightQueenside;
    if (square == kH8) board.blackCastling &= ~kRightKingside;
}

// Moves whatever stands on `from` to the empty square `to`, keeping its list entry in step.
void shift(Board& board, int from, int to) {
    board.squares[to] = board.squares[from];
    board.squares[from] = SquareInfo{Empty, NoKind, -1};
    const SquareInfo& moved = board.squares[to];
    if (moved.index >= 0 && moved.index < 16) board.pieces(moved.colour)[moved.index].square = to;
}

int pieceLetterKind(char c, int& colour) {
    colour = (c >= 'a' && c <= 'z') ? Black : White;
    switch (c) {
        case 'K':
        case 'k':
            return King;
        case 'Q':
        case 'q':
            return Queen;
        case 'R':
        case 'r':
            return Rook;
        case 'B':
        case 'b':
            return Bishop;
        case 'N':
        case 'n':
            return Knight;
        case 'P':
        case 'p':
            return Pawn;
        default:
            return NoKind;
    }
}

// Validates, builds the piece lists and generates the moves after a set-up.
int finishSetUp(Board& board) {
    if (!validateBoard(board)) return 0;
    buildPieceLists(board);
    generateMoves(board);
    return 1;
}

}  // namespace

int lastError() {
    return g_error;
}
void setError(int code) {
    g_error = code;
}

void clearBoard(Board& board) {
    board.side = -1;
    for (int square = 0; square < 100; ++square) {
        const bool border = fileOf(square) == 0 || fileOf(square) == 9 || rankOf(square) == 0 ||
                            rankOf(square) == 9;
        board.squares[square] = border ? SquareInfo{Border, -1, -1} : SquareInfo{Empty, NoKind, -1};
    }
    board.enPassant = 0;
    board.moveCount = 0;
    for (int i = 0; i < 16; ++i) {
        board.white[i] = PieceEntry{Empty, NoKind, -1};
        board.black[i] = PieceEntry{Empty, NoKind, -1};
    }
    board.whiteCount = board.blackCount = 0;
    board.whiteCastling = board.blackCastling = 0;
}

std::unique_ptr<Board> allocateBoard() {
    g_error = NoError;
    std::unique_ptr<Board> board(new (std::nothrow) Board);
    if (!board) {
        g_error = OutOfMemory;
        return nullptr;
    }
    clearBoard(*board);
    return board;
}

namespace {

// The squares of the board's frame, in index order.
struct SquareTables {
    std::array<int, 36> border{};
    SquareTables() {
        std::size_t b = 0;
        for (int square = 0; square < 100; ++square)
            if (!isValidSquare(square)) border[b++] = square;
    }
};
const SquareTables kSquares;

}  // namespace

int validateBoard(const Board& board) {
    g_error = NoError;
    if (board.side != White && board.side != Black) {
        g_error = InvalidSide;
        return 0;
    }
    // The frame: files 0 and 9 whole, and ranks 0 and 9 of every other file.
    // Colour and kind of a frame square are both -1: eight bytes of ones.
    std::uint64_t frame = ~std::uint64_t{0};
    for (int square : kSquares.border) {
        std::uint64_t colourAndKind;
        std::memcpy(&colourAndKind, &board.squares[square].colour, sizeof colourAndKind);
        frame &= colourAndKind;
    }
    if (frame != ~std::uint64_t{0}) {
        g_error = InvalidSquare;
        return 0;
    }
    // Pieces per colour (index 8 * colour) and kind; a square with a colour other than empty,
    // white or black, or a piece of no kind, makes `bad` set.
    int count[32] = {};
    unsigned bad = 0;
    for (int file = 1; file <= 8; ++file) {
        const SquareInfo* squares = board.squares + 10 * file + 1;
        for (int rank = 0; rank < 8; ++rank) {
            std::uint64_t both;
            std::memcpy(&both, &squares[rank].colour, sizeof both);
            if (both == 0) continue;  // the common empty square
            const unsigned colour = static_cast<unsigned>(squares[rank].colour);
            if (colour == 0u) continue;  // an empty square, whatever its kind field says
            const unsigned kind = static_cast<unsigned>(squares[rank].kind);
            bad |= static_cast<unsigned>(colour > 2u) | static_cast<unsigned>(kind - 1u > 5u);
            ++count[8 * (colour & 3u) + (kind & 7u)];
        }
    }
    if (bad) {
        g_error = InvalidPiece;
        return 0;
    }
    for (int colour : {White, Black}) {
        const int* c = count + 8 * colour;
        const int pieces = c[King] + c[Queen] + c[Bishop] + c[Knight] + c[Rook] + c[Pawn];
        if (c[King] != 1 || pieces > 16 || c[Queen] > 9 || c[Rook] > 10 || c[Bishop] > 10 ||
            c[Knight] > 10 || c[Pawn] > 8) {
            g_error = InvalidPiece;
            return 0;
        }
    }
    if (board.enPassant != 0) {
        const int wanted = board.side == White ? 6 : 3;
        if (!isValidSquare(board.enPassant) || rankOf(board.enPassant) != wanted) {
            g_error = InvalidSquare;
            return 0;
        }
        // With an en-passant square the castling rights are checked too.
        for (int colour : {White, Black}) {
            const int rights = colour == White ? board.whiteCastling : board.blackCastling;
            if ((rights & ~(kRightKingside | kRightQueenside)) != 0 ||
                (rights != 0 && count[8 * colour + Rook] == 0)) {
                g_error = InvalidArgument;
                return 0;
            }
        }
    }
    return 1;
}

void buildPieceLists(Board& board) {
    for (int colour : {White, Black}) {
        PieceEntry* list = board.pieces(colour);
        int n = 0;
        for (int kind : kListOrder) {
            for (int square = 88; square >= 11; --square) {
                SquareInfo& info = board.squares[square];
                if (info.colour != colour || info.kind != kind || n >= 16) continue;
                list[n] = PieceEntry{colour, kind, square};
                info.index = n++;
            }
        }
        for (int i = n; i < 16; ++i)
            list[i] = PieceEntry{Empty, NoKind, -1};
        (colour == White ? board.whiteCount : board.blackCount) = n;
    }
}

void generateMoves(Board& board) {
    board.moveCount = 0;
    if (board.side != White && board.side != Black) return;
    MoveList list{board.moves, 0, kMaxMoves};
    const PieceEntry* pieces = board.pieces(board.side);
    for (int i = 0; i < 16; ++i) {
        const PieceEntry& piece = pieces[i];
        if (piece.square < 0 || piece.colour != board.side) continue;
        addPieceMoves(board, list, piece.kind, piece.square);
    }
    board.moveCount = list.count;
}

int generatePieceMoves(const Board& board, int from, Move* moves) {
    if ((board.side != White && board.side != Black) || !isValidSquare(from)) return 0;
    const SquareInfo& info = board.squares[from];
    if (info.colour != board.side || info.index < 0 || info.index >= 16) return 0;
    const PieceEntry& piece = board.pieces(board.side)[info.index];
    if (piece.square != from || piece.colour != board.side) return 0;
    MoveList list{moves, 0, kMaxPieceMoves};
    addPieceMoves(board, list, piece.kind, from);
    return list.count;
}

namespace {

void placeInitial(Board& board) {
    clearBoard(board);
    static constexpr std::array<int, 8> backRank = {Rook, Knight, Bishop, Queen,
                                                    King, Bishop, Knight, Rook};
    for (int file = 1; file <= 8; ++file) {
        board.squares[squareOf(file, 1)] = SquareInfo{White, backRank[file - 1], -1};
        board.squares[squareOf(file, 2)] = SquareInfo{White, Pawn, -1};
        board.squares[squareOf(file, 7)] = SquareInfo{Black, Pawn, -1};
        board.squares[squareOf(file, 8)] = SquareInfo{Black, backRank[file - 1], -1};
    }
    board.side = White;
    board.whiteCastling = board.blackCastling = kRightKingside | kRightQueenside;
    buildPieceLists(board);
    generateMoves(board);
}

}  // namespace

int setUpInitial(Board& board) {
    // Every game starts here, so the position and its moves are made once and copied.
    static const std::unique_ptr<Board> initial = [] {
        std::unique_ptr<Board> made(new Board);
        placeInitial(*made);
        return made;
    }();
    copyBoard(board, *initial);
    g_error = NoError;
    return 1;
}

void copyPosition(Board& board, const Board& source) {
    if (&board == &source) return;
    board.side = source.side;
    std::memcpy(board.squares, source.squares, sizeof board.squares);
    board.enPassant = source.enPassant;
    std::memcpy(board.white, source.white, sizeof board.white);
    board.whiteCount = source.whiteCount;
    std::memcpy(board.black, source.black, sizeof board.black);
    board.blackCount = source.blackCount;
    board.whiteCastling = source.whiteCastling;
    board.blackCastling = source.blackCastling;
    board.moveCount = 0;
}

void copyBoard(Board& board, const Board& source) {
    if (&board == &source) return;
    copyPosition(board, source);
    // Moves past the move count are never read, so they are not copied.
    const int count = source.moveCount < 0 ? 0 : std::min(source.moveCount, kMaxMoves);
    std::memcpy(board.moves, source.moves, sizeof(Move) * static_cast<std::size_t>(count));
    board.moveCount = source.moveCount;
}

int setUpCopy(Board& board, const Board& source) {
    g_error = NoError;
    if (!validateBoard(source)) return 0;
    copyBoard(board, source);
    return 1;
}

int setSideToMove(Board& board, int side) {
    g_error = NoError;
    if (side != White && side != Black) {
        g_error = InvalidSide;
        return 0;
    }
    board.side = side;
    return finishSetUp(board);
}

int setUpFromCompact(Board& board, const std::uint8_t compact[33]) {
    g_error = NoError;
    clearBoard(board);
    static constexpr std::array<int, 6> kinds = {Pawn, Knight, Bishop, Rook, Queen, King};
    for (int file = 1; file <= 8; ++file) {
        for (int k = 0; k < 4; ++k) {
            const std::uint8_t byte = compact[(file - 1) * 4 + k];
            const int codes[2] = {byte >> 4, byte & 0x0F};
            for (int half = 0; half < 2; ++half) {
                const int code = codes[half];
                const int square = squareOf(file, 2 * k + 1 + half);
                if (code == 1) continue;
                if (code < 2 || code > 13) {
                    g_error = InvalidPiece;
                    return 0;
                }
                const int colour = code <= 7 ? White : Black;
                board.squares[square] = SquareInfo{colour, kinds[(code - 2) % 6], -1};
            }
        }
    }
    if (compact[32] == 1)
        board.side = Black;
    else if (compact[32] == 2)
        board.side = White;
    else {
        g_error = InvalidSide;
        return 0;
    }
    return finishSetUp(board);
}

int setUpFromFen(Board& board, std::string_view fen) {
    g_error = NoError;
    clearBoard(board);
    if (fen.size() > 100) fen = fen.substr(0, 100);
    std::string_view fields[5];
    int count = 0;
    std::size_t at = 0;
    while (at < fen.size() && count < 5) {
        while (at < fen.size() && (fen[at] == ' ' || fen[at] == '\t'))
            ++at;
        if (at >= fen.size()) break;
        const std::size_t start = at;
        while (at < fen.size() && fen[at] != ' ' && fen[at] != '\t')
            ++at;
        fields[count++] = fen.substr(start, at - start);
    }
    auto fail = [](int code) {
        g_error = code;
        return 0;
    };
    if (count < 1) return fail(InvalidArgument);
    const std::string_view placement = fields[0];
    int slashes = 0;
    for (char c : placement)
        slashes += c == '/';
    if (slashes != 7) return fail(InvalidArgument);
    if (count < 2) return fail(InvalidArgument);
    if (fields[1] == "w")
        board.side = White;
    else if (fields[1] == "b")
        board.side = Black;
    else
        return fail(InvalidSide);

    int rank = 8;
    int file = 1;
    for (char c : placement) {
        if (c == '/') {
            --rank;
            file = 1;
        } else if (c >= '0' && c <= '9') {
            file += c - '0';
            if (file > 9) file = 9;  // a run never reaches past the end of its rank
        } else {
            int colour;
            const int kind = pieceLetterKind(c, colour);
            if (kind == NoKind) return fail(InvalidPiece);
            if (file > 8) return fail(InvalidSide);
            board.squares[squareOf(file, rank)] = SquareInfo{colour, kind, -1};
            ++file;
        }
    }
    if (count >= 3) {
        const std::string_view castling = fields[2];
        if (castling != "-") {
            if (castling.size() > 4) return fail(InvalidArgument);
            for (char c : castling) {
                if (c == 'K')
                    board.whiteCastling |= kRightKingside;
                else if (c == 'Q')
                    board.whiteCastling |= kRightQueenside;
                else if (c == 'k')
                    board.blackCastling |= kRightKingside;
                else if (c == 'q')
                    board.blackCastling |= kRightQueenside;
                else
                    return fail(InvalidArgument);
            }
        }
        if (count >= 4 && fields[3] != "-") {
            const std::string_view ep = fields[3];
            const int wantedRank = board.side == White ? 6 : 3;
            if (ep.size() != 2 || ep[0] < 'a' || ep[0] > 'h' || ep[1] - '0' != wantedRank)
                return fail(InvalidArgument);
            board.enPassant = squareOf(ep[0] - 'a' + 1, wantedRank);
        }
    }
    return finishSetUp(board);
}

int findMove(const Board& board, int from, int to, int promotion) {
    g_error = NoError;
    if (!isValidSquare(from) || !isValidSquare(to)) {
        g_error = InvalidSquare;
        return -1;
    }
    if (promotion != 0 && (promotion < Queen || promotion > Rook)) {
        g_error = InvalidPiece;
        return -1;
    }
    for (int i = 0; i < board.moveCount; ++i) {
        const Move& move = board.moves[i];
        if (move.from == from && move.to == to && (promotion == 0 || move.promotion == promotion))
            return i;
    }
    return -1;
}

int applyMove(Board& board, const Move& move) {
    const int side = board.side;
    const bool doubleStep =
        move.kind == Pawn && (move.to - move.from == 2 || move.from - move.to == 2);

    // Castling needs its rook in the corner and the squares it passes empty.
    int rookFrom = 0;
    int rookTo = 0;
    if (move.flags & (kCastleKingside | kCastleQueenside)) {
        const bool kingside = (move.flags & kCastleKingside) != 0;
        const bool white = side == White;
        rookFrom = kingside ? (white ? kH1 : kH8) : (white ? kA1 : kA8);
        rookTo = kingside ? (white ? kF1 : kF8) : (white ? kD1 : kD8);
        const bool clear =
            kingside ? empty(board, {rookTo}) : empty(board, {rookTo, white ? kB1 : kB8});
        if (!holds(board, rookFrom, side, Rook) || !clear) {
            g_error = InvalidArgument;
            return 0;
        }
    }

    board.enPassant = doubleStep ? move.promotion : 0;
    if (move.kind == Rook) clearRightOfCorner(board, move.from);
    if (board.squares[move.to].colour == opponent(side)) {
        if (board.squares[move.to].kind == Rook) clearRightOfCorner(board, move.to);
        removePiece(board, move.to);
    }
    shift(board, move.from, move.to);
    if (move.flags & kEnPassant) removePiece(board, move.to + (side == White ? -1 : +1));
    if ((move.flags & kPromotion) && move.promotion >= Queen && move.promotion <= Rook) {
        SquareInfo& info = board.squares[move.to];
        info.kind = move.promotion;
        if (info.index >= 0 && info.index < 16)
            board.pieces(side)[info.index].kind = move.promotion;
    }
    if (move.kind == King) {
        rightsOf(board, side) = 0;
        if (rookFrom != 0) shift(board, rookFrom, rookTo);
    }
    board.side = opponent(side);
    return 1;
}

int makeMove(Board& board, int index) {
    g_error = NoError;
    if (index < 0 || index >= board.moveCount) {
        g_error = InvalidArgument;
        return 0;
    }
    if (!applyMove(board, board.moves[index])) return 0;
    generateMoves(board);
    return 1;
}

bool squareAttacked(const Board& board, int square, int byColour) {
    auto holdsAttacker = [&](int at, std::initializer_list<int> kinds) {
        if (isBorder(board, at) || board.squares[at].colour != byColour) return false;
        for (int kind : kinds)
            if (board.squares[at].kind == kind) return true;
        return false;
    };
    for (int step : kKnightSteps)
        if (holdsAttacker(square + step, {Knight})) return true;
    for (int step : kKingSteps)
        if (holdsAttacker(square + step, {King})) return true;
    // A white pawn takes towards higher ranks (+11, -9), so it stands at -11 or +9 of its target.
    const std::array<int, 2> pawnFrom =
        byColour == White ? std::array<int, 2>{-11, +9} : std::array<int, 2>{+11, -9};
    for (int step : pawnFrom)
        if (holdsAttacker(square + step, {Pawn})) return true;
    auto slides = [&](const auto& steps, int kind) {
        for (int step : steps) {
            int at = square + step;
            while (!isBorder(board, at) && board.squares[at].colour == Empty)
                at += step;
            if (holdsAttacker(at, {kind, Queen})) return true;
        }
        return false;
    };
    return slides(kRookSteps, Rook) || slides(kBishopSteps, Bishop);
}

namespace {

// For a piece's square and a target square: the pieces that attack the target from there by the
// shape of their move (bit 1 << kind; white and black pawns take bits 6 and 7), and for a line
// the step from the piece towards the target. (A difference of squares alone would not do: 5 is
// five ranks up or one file right and five ranks down.)
struct Relation {
    std::uint8_t attackers = 0;
    std::int8_t step = 0;
};
constexpr unsigned kWhitePawnBit = 1u << 6, kBlackPawnBit = 1u << 7;

struct RelationTable {
    std::array<Relation, 100 * 100> byPair{};
    RelationTable() {
        for (int from = 11; from <= 88; ++from) {
            for (int to = 11; to <= 88; ++to) {
                if (!isValidSquare(from) || !isValidSquare(to) || from == to) continue;
                const int files = fileOf(to) - fileOf(from);
                const int ranks = rankOf(to) - rankOf(from);
                const int fileDistance = files < 0 ? -files : files;
                const int rankDistance = ranks < 0 ? -ranks : ranks;
                unsigned bits = 0;
                if (fileDistance <= 1 && rankDistance <= 1) bits |= 1u << King;
                if (fileDistance * rankDistance == 2) bits |= 1u << Knight;
                if (files == 0 || ranks == 0) bits |= 1u << Rook | 1u << Queen;
                if (fileDistance == rankDistance) bits |= 1u << Bishop | 1u << Queen;
                if (fileDistance == 1 && ranks == 1) bits |= kWhitePawnBit;
                if (fileDistance == 1 && ranks == -1) bits |= kBlackPawnBit;
                Relation& relation = byPair[static_cast<std::size_t>(100 * from + to)];
                relation.attackers = static_cast<std::uint8_t>(bits);
                relation.step = static_cast<std::int8_t>(10 * ((files > 0) - (files < 0)) +
                                                         ((ranks > 0) - (ranks < 0)));
            }
        }
    }
};
const RelationTable kRelations;

}  // namespace

std::optional<bool> kingAttackedAfter(const Board& board, const Move& move) {
    if (move.flags & (kCastleKingside | kCastleQueenside)) return std::nullopt;
    const int mover = board.side;
    int king = board.pieces(mover)[0].square;
    if (!isValidSquare(king)) return std::nullopt;
    if (king == move.from) king = move.to;
    // The piece taken, on the destination or (en passant) beside it, attacks no more.
    const int taken = (move.flags & kEnPassant) ? move.to + (mover == White ? -1 : +1) : move.to;
    const int attacker = opponent(mover);
    const unsigned pawnBit = attacker == White ? kWhitePawnBit : kBlackPawnBit;
    // Each piece of the other side, by the shape of its moves; a line piece also needs every
    // square between it and the king empty once the move is played.
    const PieceEntry* pieces = board.pieces(attacker);
    for (int i = 0; i < 16; ++i) {
        const PieceEntry& piece = pieces[i];
        const int at = piece.square;
        if (at < 0 || at == move.to || at == taken || piece.colour != attacker) continue;
        const Relation& relation = kRelations.byPair[static_cast<std::size_t>(100 * at + king)];
        const unsigned bit = piece.kind == Pawn ? pawnBit : 1u << (piece.kind & 7);
        if (!(relation.attackers & bit)) continue;
        if (piece.kind != Queen && piece.kind != Rook && piece.kind != Bishop) return true;
        int between = at + relation.step;
        while (between != king && between != move.to &&
               (between == move.from || between == taken || board.squares[between].colour == Empty))
            between += relation.step;
        if (between == king) return true;
    }
    return false;
}

}  // namespace zorb
