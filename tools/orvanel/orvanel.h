#pragma once

#include <iosfwd>
#include <string>
#include <vector>

// Orvanel converts one game of a PGN file into an EPD file: the start position and the position
// after every move of the main line. `arguments` excludes the program name; messages go to
// `out` (or to Orvanel.ERR in error-file mode), the two messages about a failed redirection to
// `err`. Returns the exit status.
int runOrvanel(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
               std::istream& in);

inline constexpr const char* kOrvanelName = "Orvanel";
inline constexpr const char* kOrvanelVersion = "Orvanel  V1.2 (32bit)  Brisvane  (12-MAY-1998)";
