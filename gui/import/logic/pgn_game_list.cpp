#include "pgn_game_list.h"

#include <array>
#include <malloc.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

std::string_view PgnGameList::entry(std::size_t index) const {
    const std::size_t begin = index == 0 ? 0 : m_ends[index - 1];
    return std::string_view(m_text).substr(begin, m_ends[index] - begin);
}

void PgnGameList::clear() {
    m_text.clear();
    m_text.shrink_to_fit();
    m_ends.clear();
    m_ends.shrink_to_fit();
    m_converterNumbers.clear();
    m_converterNumbers.shrink_to_fit();
}

void PgnGameList::add(std::string_view entry, std::int32_t converterNumber) {
    m_text.append(entry);
    m_ends.push_back(m_text.size());
    m_converterNumbers.push_back(converterNumber);
}

void PgnGameList::shrinkToFit() {
    m_text.shrink_to_fit();
    m_ends.shrink_to_fit();
    m_converterNumbers.shrink_to_fit();
}

namespace {

enum Field { Event, Site, Date, Round, White, Black, Result, FieldCount };

constexpr std::array<std::string_view, FieldCount> kTagNames = {"Event", "Site",  "Date",  "Round",
                                                                "White", "Black", "Result"};
constexpr std::array<std::string_view, FieldCount> kDefaults = {"",  "?", "????.??.??", "?",
                                                                "?", "?", "*"};

bool isNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// Lines holding one of these tags are skipped (they would pass for the tag they begin with).
constexpr std::array<std::string_view, 14> kSkippedTags = {
    "EventDate",  "EventSponsor", "WhiteCountry", "WhiteElo",     "WhiteNA",
    "WhiteTitle", "WhiteType",    "WhiteUSCF",    "BlackCountry", "BlackElo",
    "BlackNA",    "BlackTitle",   "BlackType",    "BlackUSCF"};
constexpr unsigned kSkipped = 1u << FieldCount;

// Which tags the line names: bit k for the k-th of the seven when "[Name" stands anywhere in
// the line as a whole tag name (so "[WhiteRatingDiff" is not "[White"), and kSkipped when it
// holds one of the skipped tags.
unsigned tagsOfLine(const char* line, std::size_t length) {
    unsigned found = 0;
    const char* const end = line + length;
    for (const char* p = line; (p = static_cast<const char*>(std::memchr(p, '[', end - p)));) {
        const char* const name = ++p;
        while (p < end && isNameChar(*p))
            ++p;
        const std::string_view text(name, static_cast<std::size_t>(p - name));
        for (int field = 0; field < FieldCount; ++field)
            if (text == kTagNames[field]) found |= 1u << field;
        for (const auto skipped : kSkippedTags)
            if (text.starts_with(skipped)) found |= kSkipped;
    }
    return found;
}

std::string_view valueOfLine(const char* line, std::size_t length) {
    const char* const end = line + length;
    const char* open = static_cast<const char*>(std::memchr(line, '"', length));
    if (!open) return "?";
    ++open;
    const char* close = static_cast<const char*>(std::memchr(open, '"', end - open));
    if (!close || close == open) return "?";
    return std::string_view(open, static_cast<std::size_t>(close - open));
}

// How a line stands in a game's header as the converter reads it: a tag line, a line of
// comments (which a header may hold), or anything else (an empty line, movetext).
enum class LineKind { Tag, Comment, Other };
LineKind kindOfLine(std::string_view visible, bool commented) {
    for (const char c : visible) {
        if (c == ' ' || c == '\t' || c == '\r') continue;
        return c == '[' ? LineKind::Tag : LineKind::Other;
    }
    return commented ? LineKind::Comment : LineKind::Other;
}

// Cuts the comments out of a line as the converter's lexer skips them: "{" to "}" (across
// lines: `inBrace` carries over), and ";" or "%" to the end of the line; none of them counts
// inside a tag value. `commented` tells whether the line held any comment.
std::string_view visiblePart(const char* line, std::size_t length, bool& inBrace,
                             std::string& buffer, bool& commented) {
    commented = inBrace;
    // Most lines hold no comment sign at all and are taken as they stand.
    if (!inBrace && !std::memchr(line, '{', length) && !std::memchr(line, ';', length) &&
        !std::memchr(line, '%', length))
        return std::string_view(line, length);
    buffer.clear();
    bool inValue = false;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = line[i];
        if (inBrace) {
            if (c == '}') inBrace = false;
            continue;
        }
        if (!inValue && c == '{') {
            inBrace = commented = true;
            continue;
        }
        if (!inValue && (c == ';' || c == '%')) {
            commented = true;
            break;
        }
        if (c == '"') inValue = !inValue;
        buffer += c;
    }
    return buffer;
}

class HeaderReader {
public:
    explicit HeaderReader(PgnGameList& games) : m_games(games) { reset(); }

    // A line as the file delimits it (at LF); a lone CR also ends a line for the converter.
    void fileLine(const char* text, std::size_t length) {
        const char* const end = text + length;
        for (const char* cr;
             (cr = static_cast<const char*>(std::memchr(text, '\r', end - text)));) {
            if (cr + 1 == end) break;
            line(text, static_cast<std::size_t>(cr - text));
            text = cr + 1;
        }
        line(text, static_cast<std::size_t>(end - text));
    }

    // The pending game goes into the list (at the next Event line and at the end of the file).
    void flush() {
        if (!m_pending) return;
        m_entry.clear();
        for (int field = 0; field < FieldCount; ++field) {
            if (field) m_entry += '|';
            m_entry += m_fields[field];
        }
        m_games.add(m_entry, m_pendingNumber);
        reset();
    }

private:
    void line(const char* raw, std::size_t rawLength) {
        if (m_firstLine) {
            // A UTF-8 byte-order mark before the first tag is no part of the text.
            m_firstLine = false;
            if (rawLength >= 3 && std::memcmp(raw, "\xEF\xBB\xBF", 3) == 0) {
                raw += 3;
                rawLength -= 3;
            }
        }
        bool commented = false;
        const std::string_view visible =
            visiblePart(raw, rawLength, m_inBrace, m_visible, commented);
        const char* const text = visible.data();
        const std::size_t length = visible.size();
        const LineKind kind = kindOfLine(visible, commented);
        const bool tagLine = kind == LineKind::Tag;
        if (tagLine && !m_inHeader) {
            ++m_header;
            m_headerNumber = 0;
        }
        if (kind != LineKind::Comment) m_inHeader = tagLine;
        if (length == 0 || !std::memchr(text, '[', length)) return;
        const unsigned tags = tagsOfLine(text, length);
        if ((tags & (1u << Result)) && tagLine && m_headerNumber == 0) {
            m_headerNumber = ++m_counted;
            if (m_pendingHeader == m_header) m_pendingNumber = m_headerNumber;
        }
        if (tags & kSkipped) return;
        int field = 0;
        while (field < FieldCount && !(tags & (1u << field)))
            ++field;
        if (field == FieldCount) return;
        const std::string_view value = valueOfLine(text, length);
        if (field == Event) {
            flush();
            m_pendingHeader = tagLine ? m_header : -1;
            m_pendingNumber = tagLine ? m_headerNumber : 0;
        } else if ((field == Date || field == Round) && value == "?") {
            return;
        }
        m_fields[field].assign(value);
        if (field == Event) m_pending = true;
    }

    void reset() {
        m_pending = false;
        for (int field = 0; field < FieldCount; ++field)
            m_fields[field].assign(kDefaults[field]);
    }

    PgnGameList& m_games;
    bool m_firstLine = true;
    bool m_inBrace = false;  // within a "{" comment that began on an earlier line
    std::string m_visible;
    std::array<std::string, FieldCount> m_fields;
    std::string m_entry;
    bool m_pending = false;
    // Headers (runs of tag lines) seen, the one the pending game's Event line stands in, and
    // the games the converter has counted.
    bool m_inHeader = false;
    std::int64_t m_header = 0;
    std::int64_t m_pendingHeader = -1;
    std::int32_t m_counted = 0;
    std::int32_t m_headerNumber = 0;  // the converter's number of the current header, 0 = none
    std::int32_t m_pendingNumber = 0;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

PgnGameListReading readPgnGameList(const std::string& path) {
    PgnGameListReading reading;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        reading.error = std::strerror(errno);
        return reading;
    }
    HeaderReader reader(reading.games);
    // Read in large blocks; a line that runs past the end of a block moves to its front.
    std::vector<char> buffer(std::size_t{4} << 20);
    std::size_t held = 0;
    for (;;) {
        if (held == buffer.size()) buffer.resize(buffer.size() * 2);
        const std::size_t got =
            std::fread(buffer.data() + held, 1, buffer.size() - held, file.get());
        if (got == 0 && std::ferror(file.get())) {
            reading.error = std::strerror(errno);
            reading.games.clear();
            return reading;
        }
        const bool atEnd = got == 0;
        held += got;
        const char* p = buffer.data();
        const char* const end = p + held;
        while (p < end) {
            const char* newline = static_cast<const char*>(std::memchr(p, '\n', end - p));
            if (!newline) {
                if (!atEnd) break;
                newline = end;
            }
            reader.fileLine(p, static_cast<std::size_t>(newline - p));
            p = newline < end ? newline + 1 : end;
        }
        held = static_cast<std::size_t>(end - p);
        std::memmove(buffer.data(), p, held);
        if (atEnd) break;
    }
    reader.flush();
    reading.games.shrinkToFit();
#ifdef __GLIBC__
    ::malloc_trim(0);
#endif
    reading.ok = true;
    return reading;
}
