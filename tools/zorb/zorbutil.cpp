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

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

int pieceKindOf(char letter) {
    switch (letter) {
        case 'K': return King;
        case 'Q': return Queen;
        case 'R': return Rook;
        case 'B': return Bishop;
        case 'N': return Knight;
        case 'P': return Pawn;
        default: return NoKind;
    }
}

// Plays the move on a copy and tells whether the mover's king can then be taken.
// Nothing when the copy or the move fails.
std::optional<bool> leavesKingAttacked(const Board& board, int index) {
    Board* scratch = scratchBoard();
    if (!scratch) return std::nullopt;
    copyPosition(*scratch, board);
    const int mover = board.side;
    if (!applyMove(*scratch, board.moves[index])) return std::nullopt;
    // The opponent's generated moves reach the king exactly when a piece of theirs attacks it:
    // quiet moves, castling and en passant only ever go to empty squares.
    return squareAttacked(*scratch, scratch->pieces(mover)[0].square, scratch->side);
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
            case 'q': promotion = Queen; break;
            case 'r': promotion = Rook; break;
            case 'b': promotion = Bishop; break;
            case 'n': promotion = Knight; break;
            default: return -1;
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
        for (int i = 0; i < reply.moveCount && !escape; ++i) escape = isLegalMove(reply, i);
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

int matchSanOnValidBoard(Board& board, std::string_view san) {
    setError(NoError);
    if (san.empty()) return fail(InvalidArgument);
    san = trimmed(san);
    if (san.empty()) return fail(InvalidArgument);
    if (san[0] == 'O' || san[0] == '0') {
        if (san.substr(0, 5) == "O-O-O" || san.substr(0, 5) == "0-0-0")
            return matchCastling(board, true);
        if (san.substr(0, 3) == "O-O" || san.substr(0, 3) == "0-0") return matchCastling(board, false);
    }

    int kind = Pawn;
    std::string_view rest = san;
    if (san[0] >= 'A' && san[0] <= 'Z') {
        kind = pieceKindOf(san[0]);
        if (kind == NoKind) return fail(InvalidPiece);
        rest = san.substr(1);
    }
    if (rest.size() < 2) return fail(InvalidArgument);

    // The destination: after the first "x", else the last digit and the letter before it.
    const std::size_t capture = rest.find('x');
    std::size_t destination;
    if (capture != std::string_view::npos) {
        destination = capture + 1;
    } else {
        const std::size_t digit = rest.find_last_of("0123456789");
        if (digit == std::string_view::npos || digit == 0) return fail(InvalidArgument);
        destination = digit - 1;
    }
    int promotion = 0;
    const std::size_t equals = rest.find('=');
    if (equals != std::string_view::npos) {
        if (equals == 0 || (capture != std::string_view::npos && equals < capture))
            return fail(InvalidArgument);
        const char letter = equals + 1 < rest.size() ? rest[equals + 1] : '\0';
        if (letter != 'Q' && letter != 'R' && letter != 'B' && letter != 'N')
            return fail(InvalidPiece);
        promotion = pieceKindOf(letter);
    }
    if (destination + 2 > rest.size()) return fail(InvalidArgument);
    const char destFile = rest[destination];
    const char destRank = rest[destination + 1];
    if (!((destFile >= 'a' && destFile <= 'z') || (destFile >= 'A' && destFile <= 'Z')) ||
        destRank < '0' || destRank > '9')
        return fail(InvalidArgument);
    const int to = squareFromText(rest.substr(destination, 2));
    if (to < 0) return fail(InvalidSquare);

    // What stands between the piece letter and the destination tells which piece moves.
    const std::string_view between =
        rest.substr(0, capture != std::string_view::npos ? capture : destination);
    int fileHint = 0;
    int rankHint = 0;
    if (between.size() == 1) {
        const char c = between[0];
        if (c >= 'a' && c <= 'h') fileHint = c - 'a' + 1;
        else if (c >= '1' && c <= '8') rankHint = c - '0';
        else return fail(InvalidSquare);
    } else if (between.size() == 2) {
        if (!(between[0] >= 'a' && between[0] <= 'z') || !(between[1] >= '0' && between[1] <= '9'))
            return fail(InvalidArgument);
        const int from = squareFromText(between);
        if (from < 0) return fail(InvalidArgument);
        const int index = findMove(board, from, to, promotion);
        if (index < 0) return fail(InvalidArgument);
        return index;
    } else if (between.size() > 2) {
        return fail(InvalidArgument);
    }

    int found = -1;
    for (int i = 0; i < board.moveCount; ++i) {
        Move& move = board.moves[i];
        if (move.kind != kind || move.to != to || !(move.flags & kCandidate)) continue;
        if (promotion != 0 && move.promotion != promotion) continue;
        if (fileHint != 0 || rankHint != 0) {
            if ((fileHint != 0 && fileOf(move.from) != fileHint) ||
                (rankHint != 0 && rankOf(move.from) != rankHint))
                continue;
        } else {
            if (kind == Pawn && fileOf(move.from) != fileOf(move.to)) continue;
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
