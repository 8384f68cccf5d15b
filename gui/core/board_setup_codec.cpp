#include "board_setup_codec.h"

#include "text_util.h"

namespace {

// Moves `rest` past the next blank; false when there is none.
bool skipToNextField(std::string_view& rest) {
    const auto blank = rest.find(' ');
    if (blank == std::string_view::npos) return false;
    rest = rest.substr(blank + 1);
    return true;
}

int enPassantIndexOf(std::string_view field) {
    if (field.size() < 2 || field[0] < 'a' || field[0] > 'h') return -1;
    const int file = field[0] - 'a';
    if (field[1] == '3') return 1 + file;
    if (field[1] == '6') return 9 + file;
    return -1;
}

std::size_t digitsAt(std::string_view text, std::size_t at) {
    std::size_t end = at;
    while (end < text.size() && text[end] >= '0' && text[end] <= '9')
        ++end;
    return end - at;
}

// The length of "<number> <number>" at the start of `text` when a blank or the end follows it,
// else 0.
std::size_t moveCountersLength(std::string_view text) {
    const std::size_t first = digitsAt(text, 0);
    if (first == 0) return 0;
    std::size_t at = first;
    while (at < text.size() && text[at] == ' ')
        ++at;
    if (at == first) return 0;
    const std::size_t second = digitsAt(text, at);
    if (second == 0) return 0;
    at += second;
    return at == text.size() || text[at] == ' ' ? at : 0;
}

}  // namespace

void BoardSetupState::clearBoard() {
    clearSquares(board);
}

std::string enPassantEntryText(int index) {
    if (index <= 0 || index >= kEnPassantEntries) return "none";
    const int file = (index - 1) % 8;
    return {static_cast<char>('a' + file), index <= 8 ? '3' : '6'};
}

BoardSetupReadResult readBoardSetupLine(std::string_view line, BoardSetupState& state) {
    BoardSetupReadResult result;
    state.clearBoard();
    state.whiteKingside = state.whiteQueenside = false;
    state.blackKingside = state.blackQueenside = false;
    state.enPassantIndex = 0;
    state.whiteToMove = true;
    state.moveCounters.clear();

    auto fail = [&](const char* message) {
        result.messages.emplace_back(message);
        result.messages.emplace_back("Error in EPD description");
        state.clearBoard();
        result.ok = false;
        return result;
    };

    const auto placement = placementField(line, true);
    const auto read = readPlacement(
        placement, [&state](Square sq, int piece) { state.board.PutPieceOnSquare(piece, sq); });
    if (read == PlacementResult::RankOverrun) return fail("Error in EPD rank description");
    if (read == PlacementResult::WrongSquareCount) return fail("Error in EPD position description");

    result.ok = true;
    std::string_view rest = line;
    if (!skipToNextField(rest)) return result;
    if (rest.empty() || (rest[0] != 'w' && rest[0] != 'b'))
        return fail("Error in EPD move right description");
    state.whiteToMove = rest[0] == 'w';

    if (!skipToNextField(rest)) return result;
    if (rest.empty() || rest[0] != '-') {
        for (char c : rest) {
            if (c == 'K')
                state.whiteKingside = true;
            else if (c == 'Q')
                state.whiteQueenside = true;
            else if (c == 'k')
                state.blackKingside = true;
            else if (c == 'q')
                state.blackQueenside = true;
            else
                break;
        }
    }

    if (!skipToNextField(rest)) return result;
    if (rest.empty() || rest[0] != '-') {
        const int index = enPassantIndexOf(rest);
        if (index < 0) return fail("Error in EPD ep field description");
        state.enPassantIndex = index;
    }

    if (skipToNextField(rest)) {
        std::string_view operations = trimBlanks(rest);
        if (const std::size_t counters = moveCountersLength(operations)) {
            state.moveCounters = std::string(operations.substr(0, counters));
            operations = trimBlanks(operations.substr(counters));
        }
        state.operations = std::string(operations);
    }
    return result;
}

std::string generateBoardSetupLine(const BoardSetupState& state,
                                   std::vector<std::string>* messages) {
    std::string out;
    appendPlacement(out, state.board, [messages](std::string& text) {
        if (messages) messages->emplace_back("Error in building EPD description");
        text.clear();
    });
    out += state.whiteToMove ? " w " : " b ";
    const std::size_t castlingStart = out.size();
    if (state.whiteKingside) out += 'K';
    if (state.whiteQueenside) out += 'Q';
    if (state.blackKingside) out += 'k';
    if (state.blackQueenside) out += 'q';
    if (out.size() == castlingStart) out += '-';
    out += ' ';
    out += state.enPassantIndex >= 1 && state.enPassantIndex < kEnPassantEntries
               ? enPassantEntryText(state.enPassantIndex)
               : std::string("-");
    if (!state.moveCounters.empty()) {
        out += ' ';
        out += state.moveCounters;
    }
    if (!state.operations.empty()) {
        out += ' ';
        out += state.operations;
    }
    return out;
}
