#include "zorbutil.h"

#include <cstring>
#include <memory>

namespace zorb {

namespace {

// The matcher's own record for trying out moves, made on first use.
Board* scratchBoard() {
    static std::unique_ptr<Board> scratch = allocateBoard();
    return scratch.get();
}

int fail(int code) {
    setError(code);
    return -1;
}

bool refuse(int code) {
    setError(code);
    return false;
}

// The text without blanks, tabs and line ends at either end (a loop: the library's search for
// any of several characters costs a call per character).
std::string_view trimmed(std::string_view text) {
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    std::size_t first = 0, last = text.size();
    while (first < last && blank(text[first])) ++first;
    while (last > first && blank(text[last - 1])) --last;
    return text.substr(first, last - first);
}

int pieceKindOf(char letter) {
    switch (letter) {
        case 'K':
            return King;
        case 'Q':
            return Queen;
        case 'R':
            return Rook;
        case 'B':
            return Bishop;
        case 'N':
            return Knight;
        case 'P':
            return Pawn;
        default:
            return NoKind;
    }
}

// Plays the move on a copy and tells whether the mover's king can then be taken.
// Nothing when the copy or the move fails.
std::optional<bool> leavesKingAttacked(const Board& board, const Move& move) {
    Board* scratch = scratchBoard();
    if (!scratch) return std::nullopt;
    copyPosition(*scratch, board);
    const int mover = board.side;
    if (!applyMove(*scratch, move)) return std::nullopt;
    // The opponent's generated moves reach the king exactly when a piece of theirs attacks it:
    // quiet moves, castling and en passant only ever go to empty squares.
    return squareAttacked(*scratch, scratch->pieces(mover)[0].square, scratch->side);
}

std::optional<bool> leavesKingAttacked(const Board& board, int index) {
    return leavesKingAttacked(board, board.moves[index]);
}

int matchCastling(Board& board, bool queenside) {
    const int rights = board.side == White ? board.whiteCastling : board.blackCastling;
    if (!(rights & (queenside ? kRightQueenside : kRightKingside))) return fail(InvalidArgument);
    const int rank = board.side == White ? 1 : 8;
    const int index = findMove(board, squareOf(5, rank), squareOf(queenside ? 3 : 7, rank), 0);
    if (index < 0 && lastError() == NoError) return fail(InvalidArgument);
    return index;
}

}  // namespace

int findUciMove(const Board& board, std::string_view uci) {
    if (uci.size() < 4) return -1;
    const int from = squareFromText(uci.substr(0, 2));
    const int to = squareFromText(uci.substr(2, 2));
    if (from < 0 || to < 0) return -1;
    int promotion = 0;
    if (uci.size() >= 5) {
        switch (uci[4]) {
            case 'q':
                promotion = Queen;
                break;
            case 'r':
                promotion = Rook;
                break;
            case 'b':
                promotion = Bishop;
                break;
            case 'n':
                promotion = Knight;
                break;
            default:
                return -1;
        }
    }
    return findMove(board, from, to, promotion);
}

bool isLegalMove(const Board& board, int index) {
    if (index < 0 || index >= board.moveCount) return false;
    const Move& move = board.moves[index];
    const int opponent = board.side == White ? Black : White;
    if (move.flags & (kCastleKingside | kCastleQueenside)) {
        if (!(move.flags & kCandidate)) return false;
        // The king may not castle out of, through or into check.
        const int passed = (move.from + move.to) / 2;
        if (squareAttacked(board, move.from, opponent) || squareAttacked(board, passed, opponent))
            return false;
    }
    const auto attacked = leavesKingAttacked(board, index);
    return attacked && !*attacked;
}

std::optional<std::string> sanOfMove(const Board& board, int index) {
    if (index < 0 || index >= board.moveCount) return std::nullopt;
    const Move& move = board.moves[index];
    std::string san;
    if (move.flags & kCastleKingside) {
        san = "O-O";
    } else if (move.flags & kCastleQueenside) {
        san = "O-O-O";
    } else {
        const bool capture = (move.flags & kCapture) != 0;
        if (move.kind == Pawn) {
            if (capture) san += static_cast<char>('a' + fileOf(move.from) - 1);
        } else {
            static constexpr char letters[] = " KQBNRP";
            san += letters[move.kind];
            // Other legal moves of the same kind to the same square call for the file, the
            // rank, or both.
            bool sameFile = false, sameRank = false, other = false;
            for (int i = 0; i < board.moveCount; ++i) {
                const Move& rival = board.moves[i];
                if (i == index || rival.kind != move.kind || rival.to != move.to ||
                    rival.from == move.from || !isLegalMove(board, i))
                    continue;
                other = true;
                sameFile |= fileOf(rival.from) == fileOf(move.from);
                sameRank |= rankOf(rival.from) == rankOf(move.from);
            }
            if (other && !sameFile) {
                san += static_cast<char>('a' + fileOf(move.from) - 1);
            } else if (other && !sameRank) {
                san += static_cast<char>('0' + rankOf(move.from));
            } else if (other) {
                san += squareName(move.from);
            }
        }
        if (capture) san += 'x';
        san += squareName(move.to);
        if (move.flags & kPromotion) {
            static constexpr char promotions[] = "  QBNR";
            san += '=';
            san += promotions[move.promotion];
        }
    }
    // Check and mate, seen from the position after the move.
    Board* after = scratchBoard();
    if (!after) return san;
    copyBoard(*after, board);
    if (!makeMove(*after, index)) return san;
    const int king = after->pieces(after->side)[0].square;
    const int mover = board.side;
    if (squareAttacked(*after, king, mover)) {
        Board reply;
        copyBoard(reply, *after);
        bool escape = false;
        for (int i = 0; i < reply.moveCount && !escape; ++i)
            escape = isLegalMove(reply, i);
        san += escape ? '+' : '#';
    }
    return san;
}

int squareFromText(std::string_view text) {
    setError(NoError);
    if (text.size() < 2 || text[0] < 'a' || text[0] > 'h' || text[1] < '1' || text[1] > '8')
        return fail(InvalidSquare);
    return squareOf(text[0] - 'a' + 1, text[1] - '0');
}

std::string squareName(int square) {
    setError(NoError);
    if (!isValidSquare(square)) {
        setError(InvalidSquare);
        return {};
    }
    return {static_cast<char>('a' + fileOf(square) - 1), static_cast<char>('0' + rankOf(square))};
}

int matchSan(Board& board, std::string_view san) {
    setError(NoError);
    if (!validateBoard(board)) return -1;
    return matchSanOnValidBoard(board, san);
}

namespace {

// What a SAN text says, before any board is looked at.
struct SanText {
    int castling = 0;  // 0, or kCastleKingside / kCastleQueenside
    int kind = Pawn;
    int to = 0;
    int promotion = 0;
    int fileHint = 0;
    int rankHint = 0;
    int from = 0;  // a whole square written before the destination
};

// Reads a SAN text; NoError, or the code a malformed text fails with.
int readSan(std::string_view san, SanText& text) {
    if (san.empty()) return InvalidArgument;
    san = trimmed(san);
    if (san.empty()) return InvalidArgument;
    if (san[0] == 'O' || san[0] == '0') {
        if (san.substr(0, 5) == "O-O-O" || san.substr(0, 5) == "0-0-0") {
            text.castling = kCastleQueenside;
            return NoError;
        }
        if (san.substr(0, 3) == "O-O" || san.substr(0, 3) == "0-0") {
            text.castling = kCastleKingside;
            return NoError;
        }
    }

    std::string_view rest = san;
    if (san[0] >= 'A' && san[0] <= 'Z') {
        text.kind = pieceKindOf(san[0]);
        if (text.kind == NoKind) return InvalidPiece;
        rest = san.substr(1);
    }
    if (rest.size() < 2) return InvalidArgument;

    // The destination: after the first "x", else the last digit and the letter before it.
    const std::size_t capture = rest.find('x');
    std::size_t destination;
    if (capture != std::string_view::npos) {
        destination = capture + 1;
    } else {
        std::size_t digit = rest.size();
        while (digit > 0 && !(rest[digit - 1] >= '0' && rest[digit - 1] <= '9')) --digit;
        if (digit <= 1) return InvalidArgument;  // no digit, or one only at the start
        --digit;
        destination = digit - 1;
    }
    const std::size_t equals = rest.find('=');
    if (equals != std::string_view::npos) {
        if (equals == 0 || (capture != std::string_view::npos && equals < capture))
            return InvalidArgument;
        const char letter = equals + 1 < rest.size() ? rest[equals + 1] : '\0';
        if (letter != 'Q' && letter != 'R' && letter != 'B' && letter != 'N') return InvalidPiece;
        text.promotion = pieceKindOf(letter);
    }
    if (destination + 2 > rest.size()) return InvalidArgument;
    const char destFile = rest[destination];
    const char destRank = rest[destination + 1];
    if (!((destFile >= 'a' && destFile <= 'z') || (destFile >= 'A' && destFile <= 'Z')) ||
        destRank < '0' || destRank > '9')
        return InvalidArgument;
    text.to = squareFromText(rest.substr(destination, 2));
    if (text.to < 0) return InvalidSquare;

    // What stands between the piece letter and the destination tells which piece moves.
    const std::string_view between =
        rest.substr(0, capture != std::string_view::npos ? capture : destination);
    if (between.size() == 1) {
        const char c = between[0];
        if (c >= 'a' && c <= 'h')
            text.fileHint = c - 'a' + 1;
        else if (c >= '1' && c <= '8')
            text.rankHint = c - '0';
        else
            return InvalidSquare;
    } else if (between.size() == 2) {
        if (!(between[0] >= 'a' && between[0] <= 'z') || !(between[1] >= '0' && between[1] <= '9'))
            return InvalidArgument;
        text.from = squareFromText(between);
        if (text.from < 0) return InvalidArgument;
    } else if (between.size() > 2) {
        return InvalidArgument;
    }
    return NoError;
}

// Whether a move of the named kind to the named square passes the text's filters: the
// promotion piece, the file or rank given, and a pawn without a file letter moving straight.
bool fitsText(const Move& move, const SanText& text) {
    if (move.kind != text.kind || move.to != text.to || !(move.flags & kCandidate)) return false;
    if (text.promotion != 0 && move.promotion != text.promotion) return false;
    if (text.fileHint != 0 || text.rankHint != 0)
        return (text.fileHint == 0 || fileOf(move.from) == text.fileHint) &&
               (text.rankHint == 0 || rankOf(move.from) == text.rankHint);
    return text.kind != Pawn || fileOf(move.from) == fileOf(move.to);
}

// The moves of the piece on `from` that go to `to`, as the full list has them, into `moves`
// (room for kMaxPieceMoves); their number. Knights and line pieces have at most one, found by
// the shape of the step and the squares between; kings and pawns, with their castling,
// double steps and promotions, go through the generator.
int movesTo(const Board& board, const PieceEntry& piece, int to, Move* moves) {
    const int from = piece.square;
    const int files = fileOf(to) - fileOf(from);
    const int ranks = rankOf(to) - rankOf(from);
    const int fileDistance = files < 0 ? -files : files;
    const int rankDistance = ranks < 0 ? -ranks : ranks;
    bool line = false;
    switch (piece.kind) {
        case King:
            if (fileDistance > 2 || rankDistance > 1) return 0;
            break;
        case Pawn:
            if (fileDistance > 1 || rankDistance > 2) return 0;
            break;
        case Knight:
            if (!((fileDistance == 1 && rankDistance == 2) ||
                  (fileDistance == 2 && rankDistance == 1)))
                return 0;
            break;
        case Rook:
            line = files == 0 || ranks == 0;
            break;
        case Bishop:
            line = fileDistance == rankDistance;
            break;
        case Queen:
            line = files == 0 || ranks == 0 || fileDistance == rankDistance;
            break;
        default:
            return 0;
    }
    if (piece.kind == King || piece.kind == Pawn) {
        Move all[kMaxPieceMoves];
        const int count = generatePieceMoves(board, from, all);
        int found = 0;
        for (int i = 0; i < count; ++i)
            if (all[i].to == to) moves[found++] = all[i];
        return found;
    }
    if (piece.kind != Knight) {
        if (!line || to == from) return 0;
        const int step = 10 * ((files > 0) - (files < 0)) + ((ranks > 0) - (ranks < 0));
        for (int between = from + step; between != to; between += step)
            if (board.squares[between].colour != Empty) return 0;
    }
    const int colour = board.squares[to].colour;
    if (colour == board.side) return 0;
    moves[0] = Move{piece.kind, from, to, (colour == Empty ? 0 : kCapture) | kCandidate, 0};
    return 1;
}

// The first move of the piece on `from` that goes to `to` (with that promotion when not 0).
bool findPieceMove(const Board& board, int from, int to, int promotion, Move& found) {
    Move moves[kMaxPieceMoves];
    const int count = generatePieceMoves(board, from, moves);
    for (int i = 0; i < count; ++i) {
        if (moves[i].to == to && (promotion == 0 || moves[i].promotion == promotion)) {
            found = moves[i];
            return true;
        }
    }
    return false;
}

}  // namespace

int matchSanOnValidBoard(Board& board, std::string_view san) {
    setError(NoError);
    SanText text;
    if (const int error = readSan(san, text); error != NoError) return fail(error);
    if (text.castling) return matchCastling(board, text.castling == kCastleQueenside);
    if (text.from != 0) {
        const int index = findMove(board, text.from, text.to, text.promotion);
        if (index < 0) return fail(InvalidArgument);
        return index;
    }
    const bool hinted = text.fileHint != 0 || text.rankHint != 0;
    int found = -1;
    for (int i = 0; i < board.moveCount; ++i) {
        Move& move = board.moves[i];
        if (!fitsText(move, text)) continue;
        if (!hinted) {
            const auto attacked = leavesKingAttacked(board, i);
            setError(NoError);
            if (!attacked) return fail(NotUnique);
            if (*attacked) {
                move.flags &= ~kCandidate;
                continue;
            }
        }
        if (found >= 0) return fail(NotUnique);
        found = i;
    }
    if (found < 0) return fail(InvalidArgument);
    setError(NoError);
    return found;
}

bool findSanMove(const Board& board, std::string_view san, Move& move) {
    setError(NoError);
    SanText text;
    if (const int error = readSan(san, text); error != NoError) return refuse(error);
    const int side = board.side;
    if (text.castling) {
        const bool queenside = text.castling == kCastleQueenside;
        const int rights = side == White ? board.whiteCastling : board.blackCastling;
        if (!(rights & (queenside ? kRightQueenside : kRightKingside)))
            return refuse(InvalidArgument);
        const int rank = side == White ? 1 : 8;
        if (!findPieceMove(board, squareOf(5, rank), squareOf(queenside ? 3 : 7, rank), 0, move))
            return refuse(InvalidArgument);
        return true;
    }
    if (text.from != 0) {
        if (!findPieceMove(board, text.from, text.to, text.promotion, move))
            return refuse(InvalidArgument);
        return true;
    }
    const bool hinted = text.fileHint != 0 || text.rankHint != 0;
    bool found = false;
    const PieceEntry* pieces = board.pieces(side);
    for (int p = 0; p < 16; ++p) {
        const PieceEntry& piece = pieces[p];
        if (piece.kind != text.kind || piece.colour != side || piece.square < 0) continue;
        Move moves[kMaxPieceMoves];
        const int count = movesTo(board, piece, text.to, moves);
        for (int i = 0; i < count; ++i) {
            if (!fitsText(moves[i], text)) continue;
            if (!hinted) {
                auto attacked = kingAttackedAfter(board, moves[i]);
                if (!attacked) attacked = leavesKingAttacked(board, moves[i]);
                setError(NoError);
                if (!attacked) return refuse(NotUnique);
                if (*attacked) continue;
            }
            if (found) return refuse(NotUnique);
            found = true;
            move = moves[i];
        }
    }
    if (!found) return refuse(InvalidArgument);
    setError(NoError);
    return true;
}

std::optional<std::string> epdString(const Board& board) {
    if (!validateBoard(board)) return std::nullopt;
    static constexpr char white[] = " KQBNRP";
    static constexpr char black[] = " kqbnrp";
    std::string out;
    out.reserve(96);
    for (int rank = 8; rank >= 1; --rank) {
        int emptyRun = 0;
        for (int file = 1; file <= 8; ++file) {
            const SquareInfo& info = board.squares[squareOf(file, rank)];
            if (info.colour == Empty) {
                ++emptyRun;
                continue;
            }
            if (info.kind < King || info.kind > Pawn) {
                setError(InvalidPiece);
                return std::nullopt;
            }
            if (emptyRun > 0) out += static_cast<char>('0' + emptyRun);
            emptyRun = 0;
            out += info.colour == White ? white[info.kind] : black[info.kind];
        }
        if (emptyRun > 0) out += static_cast<char>('0' + emptyRun);
        if (rank > 1) out += '/';
    }
    out += board.side == White ? " w " : " b ";
    const std::size_t rights = out.size();
    if (board.whiteCastling & kRightKingside) out += 'K';
    if (board.whiteCastling & kRightQueenside) out += 'Q';
    if (board.blackCastling & kRightKingside) out += 'k';
    if (board.blackCastling & kRightQueenside) out += 'q';
    if (out.size() == rights) out += '-';
    out += ' ';
    out += board.enPassant != 0 ? squareName(board.enPassant) : std::string("-");
    setError(NoError);
    return out;
}

}  // namespace zorb
