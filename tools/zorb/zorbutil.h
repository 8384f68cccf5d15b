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

// The move a SAN text denotes on a validated board, found by trying only the pieces of the named
// kind that can reach the named square: the same move and the same failures (error codes) as
// matchSanOnValidBoard, without the board's move list, which may be out of date. True with
// `move` set, else false with the error code set.
bool findSanMove(const Board& board, std::string_view san, Move& move);

// The index of a move given in UCI notation ("e2e4", "e7e8q", "e1g1"), or -1.
int findUciMove(const Board& board, std::string_view uci);
// Whether a listed move leaves the mover's king unattacked (castling also needs the king not to
// stand on or pass an attacked square).
bool isLegalMove(const Board& board, int index);
// The SAN text of a listed legal move: piece letter, the file, rank or square that tells it from
// other legal moves of the same kind to the same square, "x" for a capture, the destination,
// "=Q" for a promotion, and "+" or "#". Nothing for an index outside the list.
std::optional<std::string> sanOfMove(const Board& board, int index);

// "e4" -> 54; -1 with error 4 for anything else.
int squareFromText(std::string_view text);
// 54 -> "e4"; empty with error 4 for a square off the board.
std::string squareName(int square);

// The four EPD fields of the position (at most 99 characters, no trailing blank); nothing with
// the error code set when the board is invalid.
std::optional<std::string> epdString(const Board& board);

}  // namespace zorb
