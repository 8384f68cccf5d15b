#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The games of a PGN file as the game selection dialog lists them: one entry per "[Event" line,
// seven fields joined with "|" (Event, Site, Date, Round, White, Black, Result). All entries
// share one block of text, so a list of a hundred thousand games holds no object per game.
class PgnGameList {
public:
    std::size_t size() const { return m_ends.size(); }
    bool empty() const { return m_ends.empty(); }
    std::string_view entry(std::size_t index) const;
    // The number under which the converter finds the game of entry `index` (it counts the
    // games that have a Result tag), 0 when the converter cannot find it.
    std::int32_t converterNumber(std::size_t index) const { return m_converterNumbers[index]; }
    // The bytes of all entries' texts.
    std::size_t textBytes() const { return m_text.size(); }
    // The bytes the list holds in all: the texts and the two numbers of each entry.
    std::size_t storageBytes() const {
        return m_text.capacity() + m_ends.capacity() * sizeof(std::uint64_t) +
               m_converterNumbers.capacity() * sizeof(std::int32_t);
    }
    void clear();

    void add(std::string_view entry, std::int32_t converterNumber);
    void shrinkToFit();

private:
    std::string m_text;
    std::vector<std::uint64_t> m_ends;
    std::vector<std::int32_t> m_converterNumbers;
};

struct PgnGameListReading {
    bool ok = false;
    std::string error;  // the system's reason when the file cannot be read
    PgnGameList games;
};

// Reads the header tags of every game of a PGN file, line by line. A line holding one of the
// ignored tags (EventDate, WhiteElo, ...) is skipped; otherwise the first of "[Event", "[Site",
// "[Date", "[Round", "[White", "[Black", "[Result" found anywhere in the line sets its field of
// the pending game, and "[Event" first closes the game before it. A tag's value is the text
// between the line's first two double quotes, "?" when there is none. Beside that it counts the
// games the way the converter does: a run of tag lines is a game's header, and a header that
// holds a Result tag is the next game the converter counts.
PgnGameListReading readPgnGameList(const std::string& path);
