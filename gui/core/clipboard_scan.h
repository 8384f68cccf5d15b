#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// True when the text holds a PGN tag such as "[Event" and is therefore not taken as EPD lines.
bool containsPgnTags(std::string_view text);

// A digit 1..8 or one of the twelve piece letters.
bool startsEpdLine(char c);

// Picks EPD lines out of free text: from the first character that is a digit 1..8 or a piece
// letter up to the next LF (CR dropped), kept when longer than 14 characters and holding a
// slash. Calls onLine(line) for each line kept and returns how many there were.
template <class OnLine>
std::size_t scanEpdLines(std::string_view text, OnLine&& onLine) {
    std::size_t found = 0;
    std::string line;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && !startsEpdLine(text[i])) ++i;
        if (i >= text.size()) break;
        line.clear();
        for (; i < text.size() && text[i] != '\n'; ++i)
            if (text[i] != '\r') line += text[i];
        if (line.size() > 14 && line.find('/') != std::string::npos) {
            onLine(std::string_view(line));
            ++found;
        }
    }
    return found;
}
