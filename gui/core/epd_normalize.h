#pragma once

#include <optional>
#include <string>
#include <string_view>

// Repairs short ranks in the placement of one EPD line: a rank holding fewer than eight squares
// gets the digit of the missing squares, and everything from an eighth slash on is dropped.
// Returns the repaired line, or nothing when the line is left alone (unchanged, a rank of more
// than eight squares, an unknown character, or the first blank outside positions 8..72).
std::optional<std::string> normalizeLine(std::string_view line);
