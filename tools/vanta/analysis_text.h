#pragma once

// The texts Vanta writes: the result operations of an EPD line, the analysis lines the library
// hands on, and the principal variation in SAN.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct PositionResult {
    int depth = 0;
    int seconds = 0;
    bool mate = false;  // score is moves to mate (negative: being mated)
    int score = 0;      // centipawns for the side to move, or moves to mate
    std::string pv;     // SAN moves separated by blanks; may be empty
};

// The centipawn evaluation of a result: mate in n moves is 32767 - (2n - 1) plies, being mated
// in n moves -(32767 - 2n); "mate 0" (mated now) is -32767.
int evaluationOf(const PositionResult& result);

// The line with its acd, acs, ce and pv operations replaced by the result's (appended at the
// end, in that order); the position fields and every other operation stay byte for byte.
std::string withResult(std::string_view line, const PositionResult& result);

// The position part of an EPD line: its first four fields.
std::string_view positionFields(std::string_view line);
// The four fields as a FEN for an engine (half-move clock 0, move 1).
std::string fenOf(std::string_view line);
// A line the analysis window passes over when asked to skip evaluated positions.
bool carriesEvaluation(std::string_view line);

// "+0.25", "-1.10", "Mate 3", "Mate -2".
std::string scoreText(bool mate, int score);
// The most a line file may hold, its CR LF included: the engine access library reads 260 bytes.
inline constexpr std::size_t kLineFileLimit = 260;
// `head` followed by as many whole words of `words` as fit into kLineFileLimit with the CR LF.
std::string fittedLine(std::string head, std::string_view words);
// An EPD file analysis line: the position number in characters 1 to 6, the depth in 7 to 13,
// then the score and the variation, ended by CR LF; at most kLineFileLimit bytes.
std::string epdAnalysisLine(int position, int depth, const std::string& rest);
// A game analysis line: the depth in characters 1 to 5, the variation from the 6th character on;
// at most kLineFileLimit bytes.
std::string gameAnalysisLine(int depth, const std::string& pv);

// The moves of a UCI principal variation in SAN, played from the position; stops at the first
// move that is not legal there. Nothing when the position cannot be set up.
std::optional<std::string> sanVariation(const std::string& fen, const std::vector<std::string>& uci,
                                        std::size_t maxMoves = 40);
// Whether the engine may be given the position: a valid board whose side not to move is not in
// check and with no pawn on the first or last rank.
bool playablePosition(const std::string& fen);
