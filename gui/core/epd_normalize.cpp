#include "epd_normalize.h"

#include "chess_position.h"

std::optional<std::string> normalizeLine(std::string_view line) {
    const auto blank = line.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    const std::size_t position = blank + 1;  // 1-based position of the first blank
    if (position < 8 || position > 72) return std::nullopt;

    const std::string_view placement = line.substr(0, blank);
    std::string repaired;
    repaired.reserve(placement.size() + 8);
    int squares = 0;
    int slashes = 0;
    for (char c : placement) {
        if (c == '/') {
            if (slashes == 7) break;  // a ninth rank is dropped with its slash
            if (squares > 8) return std::nullopt;
            if (squares < 8) repaired += static_cast<char>('0' + 8 - squares);
            repaired += c;
            squares = 0;
            ++slashes;
        } else if (c >= '1' && c <= '8') {
            squares += c - '0';
            repaired += c;
        } else if (pieceFromLetter(c) != Piece::Empty) {
            ++squares;
            repaired += c;
        } else {
            return std::nullopt;
        }
    }
    if (squares < 8) repaired += static_cast<char>('0' + 8 - squares);
    if (repaired == placement) return std::nullopt;
    repaired.append(line.substr(blank));
    return repaired;
}
