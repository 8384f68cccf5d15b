#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Vanta: the engine program behind the engine access library. It keeps the library's file
// protocol and analyses with a UCI engine (Stockfish by default). Command lines:
//   Vanta VANENGnn.PGN <mode 1..3> <hash index>           follow a game's final position
//   Vanta VANENGnn.EPD <hh:mm:ss> <hash index> [A|C]      analyse every line of an EPD file
//   Vanta VANENGnn.PGN 4 <hash index> <hh:mm:ss>          analyse every position of a game
//   Vanta W|W1..W6 <EPD file>                             one position, result in VANTA.EPD
// `arguments` excludes the program name. Messages go to `err`; a failure also stands as the line
// "Vanta: <reason>" in the line file (.ANE, .ANA) or, for one position, in VANTA.ERR, where
// the main program reads it. Returns the exit status.
int runVanta(const std::vector<std::string>& arguments, std::ostream& err);

struct VantaSettings {
    std::string engine;  // the UCI engine program; empty: stockfish on the PATH or /usr/games
    int threads = 1;
    int singleSeconds = 5;  // the time of the one-position (W) command line
};

// Settings from Vanta.ini beside the program, or the file named by the environment variable
// VANTA_INI (key=value lines, keys in any case, sections and comments ignored);
// defaults where the file or a key is missing.
VantaSettings readVantaSettings(const std::string& iniFile);

// The UCI engine to analyse with: the one the settings name, else the first stockfish on the
// PATH or in /usr/games; "" when there is none.
std::string findUciEngine(const VantaSettings& settings);

// The UCI engine hash size in MB for a hash size index 0..6 (256 kB .. 28 MB), at least 1.
int hashMegabytes(int index);
// "hh:mm:ss" as seconds; -1 when it is not such a time.
int parseTime(const std::string& text);
