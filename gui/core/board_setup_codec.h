#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "chess_position.h"

// What the board setup dialog edits: its board, side to move, the four castling boxes, the
// en-passant list and the operations text.
struct BoardSetupState {
    TChessPosition board;
    bool whiteToMove = true;
    bool whiteKingside = false;
    bool whiteQueenside = false;
    bool blackKingside = false;
    bool blackQueenside = false;
    // 0 = none, 1..8 = a3..h3, 9..16 = a6..h6.
    int enPassantIndex = 0;
    // The half-move clock and move number of a FEN-style line ("0 9"), as they stood; empty for
    // a line without them.
    std::string moveCounters;
    std::string operations;

    void clearBoard();
};

inline constexpr int kEnPassantEntries = 17;
// The text of an en-passant list entry: "none", "a3".."h3", "a6".."h6".
std::string enPassantEntryText(int index);

struct BoardSetupReadResult {
    bool ok = false;
    // The messages to show, in order, each in an error box captioned "Brisvane".
    std::vector<std::string> messages;
};

// Reads a whole EPD line into the board setup state, with the dialog's messages. The board,
// castling boxes, en-passant entry and move counters are reset first and white is to move; on
// failure the board is cleared again. Two numbers right after the en-passant field are the move
// counters of a FEN-style line, not operations. The operations text is replaced only when the
// line has operations.
BoardSetupReadResult readBoardSetupLine(std::string_view line, BoardSetupState& state);

// Writes the line the dialog hands back: placement, side, castling, en-passant and, when not
// empty, the move counters and the operations, without a trailing blank. A square holding a code
// above 12 adds the message "Error in building EPD description" and empties the text built so far.
std::string generateBoardSetupLine(const BoardSetupState& state,
                                   std::vector<std::string>* messages = nullptr);
