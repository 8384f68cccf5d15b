#pragma once

// SAN matching, square texts and the EPD string of the converter's board.

#include <optional>
#include <string>
#include <string_view>

#include "zbmovgen.h"

namespace zorb {

// Index of the move that a SAN text denotes on `board`, or -1 with the error code set (6 when
// the text fits more than one move). Moves found to leave the mover's king attacked lose their
// candidate flag in `board`.
int matchSan(Board& board, std::string_view san);
// The same for a board the caller has just validated (the converter copies and so validates the
// board before every move); skips the second validation.
int matchSanOnValidBoard(Board& board, std::string_view san);

// "e4" -> 54; -1 with error 4 for anything else.
int squareFromText(std::string_view text);
// 54 -> "e4"; empty with error 4 for a square off the board.
std::string squareName(int square);

// The four EPD fields of the position (at most 99 characters, no trailing blank); nothing with
// the error code set when the board is invalid.
std::optional<std::string> epdString(const Board& board);

}  // namespace zorb
