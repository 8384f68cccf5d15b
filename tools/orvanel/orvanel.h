#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Orvanel converts one game of a PGN file into an EPD file: the start position and the position
// after every move of the main line. `arguments` excludes the program name; messages go to
// `out` (or to Orvanel.ERR in error-file mode), the two messages about a failed redirection to
// `err`. Returns the exit status.
// How the moves of a game are found. The program finds each SAN move among the pieces that can
// reach its square; the full road generates every move of the side to move after each move and
// checks the board before each one, as the converter always did. The tests convert with both
// and compare; `everyGame` writes the positions of every game, one after the other, and reads
// the file to its end.
enum class MoveRoad { Candidates, FullList };
struct ConversionMode {
    MoveRoad road = MoveRoad::Candidates;
    bool everyGame = false;
};

int runOrvanel(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
               std::istream& in, const ConversionMode& mode = {});

inline constexpr const char* kOrvanelName = "Orvanel";
inline constexpr const char* kOrvanelVersion = "Orvanel  V1.2 (32bit)  Brisvane  (12-MAY-1998)";
