#pragma once

// How a suite judges the move an engine played, the same for the EPD file analysis window and
// the console suite runner: the best and avoid moves of a line, and STS-style point lists.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace EpdJudge {

// The text of a line after its first "<opcode> " up to the next ";" (`opcode` with its blank).
std::string operandAfter(std::string_view line, std::string_view opcode);
// A SAN move without check, mate and capture marks and annotations, castling with letters.
std::string normalizedMove(std::string move);
// Whether `move` is one of the line's bm moves (when it has any) and none of its am moves.
bool solves(std::string_view line, const std::string& move);
// Whether the line has bm or am moves to be judged by.
bool hasBestOrAvoidMoves(std::string_view line);
// The first move of the line's pv operation, or "".
std::string firstPvMove(std::string_view line);

// The points of the c0 operation in the form the STS suites use:
// c0 "f5=10, Be5+=2, Bf2=3, Bg4=2"; nothing when the line has none.
std::vector<std::pair<std::string, int>> pointList(std::string_view line);
// The points the list gives a move (0 for one it does not name) and the most it gives.
int pointsFor(const std::vector<std::pair<std::string, int>>& list, const std::string& move);
int mostPoints(const std::vector<std::pair<std::string, int>>& list);

// The id operand without its quotes.
std::string idOf(std::string_view line);
// The suite a position belongs to: its id without the last ".nnn"
// ("STS(v1.0) Undermine.001" is in "STS(v1.0) Undermine").
std::string suiteOf(const std::string& id);

}  // namespace EpdJudge
