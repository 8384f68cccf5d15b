#include "zorb_pgn.h"

#include <algorithm>

#include <cctype>
#include <cstring>

namespace zorb {

namespace {

bool isMoveStart(int c) {
    return c == 'B' || c == 'K' || c == 'N' || c == 'O' || c == 'P' || c == 'Q' || c == 'R' ||
           (c >= 'a' && c <= 'h');
}

bool isMoveChar(int c) {
    return c == '#' || c == '+' || c == '-' || (c >= '1' && c <= '8') || c == '=' || c == 'B' ||
           c == 'N' || c == 'O' || c == 'Q' || c == 'R' || (c >= 'a' && c <= 'h') || c == 'x';
}

bool isLetter(int c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool isDigit(int c) {
    return c >= '0' && c <= '9';
}

// Whether "0-0" occurs within the first `length` characters (most lines have no castling with
// zeros, and move numbers make zeros common).
bool hasZeroCastling(const char* line, int length) {
    for (int i = 0; i + 2 < length; ++i)
        if (line[i] == '0' && line[i + 1] == '-' && line[i + 2] == '0') return true;
    return false;
}

// Replaces up to two occurrences of `from` by `to` (same length) within the first `length`
// characters of the line.
void rewriteTwice(char* line, int length, const char* from, const char* to) {
    const std::size_t size = std::strlen(from);
    char* const end = line + length;
    char* at = line;
    for (int done = 0; done < 2;) {
        at = static_cast<char*>(std::memchr(at, from[0], static_cast<std::size_t>(end - at)));
        if (!at || static_cast<std::size_t>(end - at) < size) return;
        if (std::memcmp(at, from, size) == 0) {
            std::memcpy(at, to, size);
            ++done;
            at += size;
        } else {
            ++at;
        }
    }
}

std::string format(const char* pattern, long a) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, a);
    return text;
}

}  // namespace

PgnReader::~PgnReader() {
    close();
}

bool PgnReader::open(const char* fileName) {
    if (!fileName || !*fileName) {
        m_text = "invalid calling parameter(s)";
        return false;
    }
    if (m_file) {
        m_text = "PGN file already open";
        return false;
    }
    m_file = std::fopen(fileName, "rb");
    if (!m_file) {
        m_text = "can't open file for reading";
        return false;
    }
    std::clearerr(m_file);
    m_bufferLength = m_bufferPosition = 0;
    m_line[0] = '\0';
    m_lineLength = 0;
    m_position = -1;
    m_pushback = -1;
    m_text.clear();
    m_lineNumber = 0;
    m_inComment = false;
    m_variationDepth = 0;
    return true;
}

void PgnReader::close() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
}

int PgnReader::readByte() {
    if (m_bufferPosition == m_bufferLength) {
        m_bufferLength = std::fread(m_buffer.get(), 1, kBufferSize, m_file);
        m_bufferPosition = 0;
        if (m_bufferLength == 0) return EOF;
    }
    return static_cast<unsigned char>(m_buffer[m_bufferPosition++]);
}

bool PgnReader::loadLine() {
    m_lineLength = 0;
    ++m_lineNumber;
    bool any = false;
    // The line is copied from the input buffer in runs up to its end or its limit.
    while (m_lineLength < kLineLimit) {
        if (m_bufferPosition == m_bufferLength) {
            m_bufferLength = std::fread(m_buffer.get(), 1, kBufferSize, m_file);
            m_bufferPosition = 0;
            if (m_bufferLength == 0) break;
        }
        any = true;
        const char* data = m_buffer.get() + m_bufferPosition;
        const std::size_t count = std::min(m_bufferLength - m_bufferPosition,
                                           static_cast<std::size_t>(kLineLimit - m_lineLength));
        std::size_t n = 0;
        while (n < count && data[n] != '\n' && data[n] != '\r')
            ++n;
        std::memcpy(m_line + m_lineLength, data, n);
        m_lineLength += static_cast<int>(n);
        m_bufferPosition += n;
        if (n == count) continue;
        if (m_buffer[m_bufferPosition++] == '\r') {
            // CR LF is one line end as in text mode; a lone CR ends a line too.
            const int after = readByte();
            if (after != '\n' && after != EOF) unreadByte();
        }
        m_line[m_lineLength++] = '\n';
        break;
    }
    m_line[m_lineLength] = '\0';
    if (!any) {
        --m_lineNumber;
        if (std::ferror(m_file)) setError("read error on PGN file");
        return false;
    }
    if (m_line[m_lineLength - 1] != '\n' && m_lineLength >= kLineLimit) {
        setError(format("PGN input line too large (>%1d)", kLineLimit));
        return false;
    }
    // Castling written with zeros; the longer form first.
    const int length = static_cast<int>(std::strlen(m_line));
    if (hasZeroCastling(m_line, length)) {
        rewriteTwice(m_line, length, "0-0-0", "O-O-O");
        rewriteTwice(m_line, length, "0-0", "O-O");
    }
    return true;
}

void PgnReader::setError(std::string text) {
    m_text = std::move(text);
}

int PgnReader::nextChar() {
    if (m_pushback >= 0) {
        const int c = m_pushback;
        m_pushback = -1;
        return c;
    }
    if (!m_file) {
        setError("no PGN file opened");
        return -2;
    }
    for (;;) {
        if (m_position < 0) {
            m_text.clear();
            if (!loadLine()) return m_text.empty() ? -1 : -2;
            m_position = 0;
        }
        const char c = m_line[m_position];
        if (c == '\0') {
            m_position = -1;
            continue;
        }
        ++m_position;
        return static_cast<unsigned char>(c);
    }
}

int PgnReader::error(std::string text) {
    m_text = std::move(text);
    return TokError;
}

int PgnReader::moveToken(int first) {
    std::string move(1, static_cast<char>(first));
    int c;
    while ((c = nextChar()) >= 0 && isMoveChar(c))
        move += static_cast<char>(c);
    if (c == -2) return TokError;
    if (c >= 0) pushBack(c);
    const bool valid = move[0] == 'O' ? (move.rfind("O-O-O", 0) == 0 || move.rfind("O-O", 0) == 0)
                                      : move.find('-') == std::string::npos;
    if (!valid) {
        char text[64];
        std::snprintf(text, sizeof text, "%c - PGN move expected", move[0]);
        return error(text);
    }
    m_text = move;
    return TokMove;
}

int PgnReader::resultOrNumber(int first) {
    int c = nextChar();
    if (c == -2) return TokError;
    if ((first == '0' || first == '1') && (c == '-' || c == '/')) {
        if (c == '/') {
            // After "1/" exactly "2-1/2" must follow.
            if (first != '1') return error("PGN result expected");
            for (const char* rest = "2-1/2"; *rest; ++rest)
                if (nextChar() != *rest) return error("PGN result expected");
            m_text = "1/2-1/2";
            return TokResult;
        }
        const int last = nextChar();
        const std::string result = {static_cast<char>(first), '-',
                                    static_cast<char>(last < 0 ? '?' : last)};
        if (result != "1-0" && result != "0-1") return error("PGN result expected");
        m_text = result;
        return TokResult;
    }
    // A move number: the digits, then every dot that follows.
    std::uint32_t number = static_cast<std::uint32_t>(first - '0');
    while (c >= 0 && isDigit(c)) {
        number = number * 10u + static_cast<std::uint32_t>(c - '0');
        c = nextChar();
    }
    int dots = 0;
    while (c == '.') {
        ++dots;
        c = nextChar();
    }
    if (c == -2) return TokError;
    if (c >= 0) pushBack(c);
    m_number = static_cast<std::int32_t>(number);
    m_dots = dots >= 2 ? 1 : 0;
    m_text = std::to_string(m_number);
    return TokMoveNumber;
}

int PgnReader::tagToken() {
    int c = nextChar();
    if (c == -2) return TokError;
    if (!isLetter(c)) return error("PGN tag name expected");
    std::string name;
    while (c >= 0 && (isLetter(c) || isDigit(c) || c == '_')) {
        name += static_cast<char>(c);
        if (static_cast<int>(name.size()) > kTagNameLimit)
            return error(format("PGN tag name too long (> %1d)", kTagNameLimit));
        c = nextChar();
    }
    while (c == ' ' || c == '\t')
        c = nextChar();
    if (c == -2) return TokError;
    if (c != '"') return error("PGN tag value expected");
    std::string value;
    for (;;) {
        c = nextChar();
        if (c == -2) return TokError;
        if (c == '"') break;
        if (c < 0 || c == '\n') return error("PGN tag value end not found");
        value += static_cast<char>(c);
        if (static_cast<int>(value.size()) > kTagValueLimit)
            return error(format("PGN tag value too long (> %1d)", kTagValueLimit));
    }
    c = nextChar();
    if (c == -2) return TokError;
    if (c != ']') return error("PGN header tag end symbol (']') missing");
    m_tagName = name;
    m_tagValue = value;
    m_text = name;
    return TokTag;
}

int PgnReader::restOfLine(int first, int token) {
    std::string text(1, static_cast<char>(first));
    int c;
    while ((c = nextChar()) >= 0 && c != '\n')
        text += static_cast<char>(c);
    if (c == -2) return TokError;
    m_text = text;
    return token;
}

int PgnReader::nextToken() {
    m_text.clear();
    int c = nextChar();
    if (c == -2) return TokError;
    if (m_inComment) {
        if (c == -1) return TokEndOfFile;
        if (c == '}') {
            m_inComment = false;
            m_text = "}";
            return TokCommentEnd;
        }
        if (c == '{') return error("nested comment found");
        if (c == '\n') {
            m_text = " ";
            return TokCommentText;
        }
        if (c == 4) {
            m_text = "$D";
            return TokCommentMarker;
        }
        if (c == '$') {
            const int next = nextChar();
            if (next == -2) return TokError;
            if (next == 'D' || next == 'N' || next == 'P') {
                m_text = std::string("$") + static_cast<char>(next);
                return TokCommentMarker;
            }
            if (next >= 0) pushBack(next);
            m_text = "$";
            return TokCommentText;
        }
        m_text = std::string(1, static_cast<char>(c));
        return TokCommentText;
    }

    while (c == ' ' || c == '\t')
        c = nextChar();
    if (c == -2) return TokError;
    if (c == -1) return TokEndOfFile;
    if (c == '\n') return TokEndOfLine;
    if (c == '{') {
        m_inComment = true;
        m_text = "{";
        return TokCommentStart;
    }
    if (c == '(') {
        ++m_variationDepth;
        m_text = "(";
        return TokVariationStart;
    }
    if (c == ')') {
        if (--m_variationDepth < 0) return error("inconsistent variation counter (< 0)");
        m_text = ")";
        return TokVariationEnd;
    }
    if (isMoveStart(c)) return moveToken(c);
    if (isDigit(c)) return resultOrNumber(c);
    if (isLetter(c)) {
        char text[64];
        std::snprintf(text, sizeof text, "%c - PGN move or move number expected", c);
        return error(text);
    }
    if (c == '$') {
        std::uint32_t value = 0;
        int next;
        while ((next = nextChar()) >= 0 && isDigit(next))
            value = value * 10u + static_cast<std::uint32_t>(next - '0');
        if (next == -2) return error("PGN NAG expected");
        if (next >= 0) pushBack(next);
        m_number = static_cast<std::int32_t>(value);
        m_text = "$" + std::to_string(value);
        return TokNag;
    }
    if (c == '!' || c == '?') {
        const int next = nextChar();
        if (next == -2) return error("PGN symbolic NAG (!, ?, !!, ??, !?, ?!) expected");
        std::string symbol(1, static_cast<char>(c));
        if (next == '!' || next == '?')
            symbol += static_cast<char>(next);
        else if (next >= 0)
            pushBack(next);
        static const char* const symbols[] = {"!", "?", "!!", "??", "!?", "?!"};
        for (int i = 0; i < 6; ++i)
            if (symbol == symbols[i]) m_number = i + 1;
        m_text = symbol;
        return TokNag;
    }
    if (c == '[') return tagToken();
    if (c == '*') {
        m_text = "*";
        return TokResult;
    }
    if (c == ';') return restOfLine(c, TokLineComment);
    if (c == '%') return restOfLine(c, TokEscapeLine);
    char text[80];
    if (std::isprint(c))
        std::snprintf(text, sizeof text, "%c - unexpected symbol found in token stream", c);
    else
        std::snprintf(text, sizeof text, "0x%02x - unexpected symbol found in token stream", c);
    return error(text);
}

void PgnReader::resetGame() {
    m_expected = TokenSet::BeforeGame;
    m_gameStarted = false;
}

int PgnReader::readGame(GameActions& actions) {
    namespace Set = TokenSet;
    constexpr unsigned kEndOfFile = 1u << 0, kTag = 1u << 2, kMoveNumber = 1u << 3, kMove = 1u << 4,
                       kNag = 1u << 5, kComment = 1u << 6, kVariation = 1u << 7, kResult = 1u << 8;
    bool previousWasEndOfLine = true;
    auto fail = [this](std::string text) {
        if (text.size() > kReaderErrorLimit) text.resize(kReaderErrorLimit);
        m_error = std::move(text);
        return 2;
    };
    auto unexpected = [&](const char* what) {
        char text[128];
        std::snprintf(text, sizeof text, "line %1ld - token <%s> unexpected", m_lineNumber, what);
        return fail(text);
    };
    for (;;) {
        const int token = nextToken();
        if (token == TokEndOfLine) {
            if (previousWasEndOfLine) {
                if (!m_gameStarted) {
                    m_gameStarted = true;
                    m_expected = Set::BeforeGame;
                } else if (m_expected & kTag) {
                    std::string message;
                    if (!actions.endOfHeader(message)) return fail(message);
                    m_expected = Set::AfterHeader;
                } else {
                    m_gameStarted = false;
                    m_expected = Set::BeforeGame;
                    return 0;
                }
            }
            previousWasEndOfLine = true;
            continue;
        }
        previousWasEndOfLine = false;
        std::string message;
        switch (token) {
            case TokError: {
                char text[kReaderErrorLimit + 1];
                std::snprintf(text, sizeof text, "line %1ld : %s", m_lineNumber, m_text.c_str());
                return fail(text);
            }
            case TokEndOfFile:
                if (!(m_expected & kEndOfFile)) return fail("unexpected end of PGN file");
                return 1;
            case TokTag:
                if (!(m_expected & kTag)) return unexpected("PGN tag");
                if (!actions.tag(m_tagName, m_tagValue, message)) return fail(message);
                m_gameStarted = true;
                m_expected = Set::InHeader;
                break;
            case TokMoveNumber:
                if (!(m_expected & kMoveNumber)) {
                    char text[160];
                    std::snprintf(text, sizeof text,
                                  "line %1ld - token <PGN move number> (%1d,%1d) unexpected",
                                  m_lineNumber, m_number, m_dots);
                    return fail(text);
                }
                m_expected = Set::AfterMoveNumber;
                break;
            case TokMove:
                if (!(m_expected & kMove)) return unexpected("PGN move");
                if (!actions.move(m_text, message)) return fail(message);
                m_expected = Set::InMovetext;
                break;
            case TokNag:
                if (!(m_expected & kNag)) return unexpected("PGN nag");
                m_expected = Set::InMovetext;
                break;
            case TokCommentStart:
                if (!(m_expected & kComment)) return unexpected("PGN comment");
                break;
            case TokCommentText:
            case TokCommentMarker:
            case TokCommentEnd:
            case TokLineComment:
            case TokEscapeLine:
                break;
            case TokVariationStart:
                if (!(m_expected & kVariation)) return unexpected("PGN variation");
                if (!actions.variationStart(message)) return fail(message);
                break;
            case TokVariationEnd:
                if (!(m_expected & kVariation)) return unexpected("PGN variation");
                if (!actions.variationEnd(message)) return fail(message);
                break;
            case TokResult:
                if (!(m_expected & kResult)) return unexpected("PGN result");
                m_expected = Set::AfterResult;
                break;
            default: {
                char text[64];
                std::snprintf(text, sizeof text, "%1d -- unknown PGN token", token);
                return fail(text);
            }
        }
    }
}

}  // namespace zorb
