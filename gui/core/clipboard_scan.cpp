#include "clipboard_scan.h"

#include <array>

#include "chess_position.h"

bool containsPgnTags(std::string_view text) {
    static constexpr std::array<std::string_view, 7> tags = {
        "[Event", "[Site", "[Date", "[Round", "[White", "[Black", "[Result"};
    for (auto tag : tags)
        if (text.find(tag) != std::string_view::npos) return true;
    return false;
}

bool startsEpdLine(char c) { return (c >= '1' && c <= '8') || pieceFromLetter(c) != Piece::Empty; }
