#pragma once

// The PGN reader of the converter: a line buffer over the file, a lexer that cuts PGN tokens,
// and the game grammar that checks the order of tokens within a game. What a tag, a move or a
// variation bracket does is left to the caller's GameActions.

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

namespace zorb {

enum Token : int {
    TokError = -1,
    TokEndOfFile = 0,
    TokEndOfLine = 1,
    TokTag = 2,
    TokMoveNumber = 3,
    TokMove = 4,
    TokNag = 5,
    TokCommentStart = 6,
    TokCommentText = 7,
    TokCommentMarker = 8,
    TokCommentEnd = 11,
    TokVariationStart = 12,
    TokVariationEnd = 13,
    TokResult = 14,
    TokLineComment = 15,
    TokEscapeLine = 16,
};

// The sets of tokens the grammar accepts next, as bit sets (bit 0 end of file, 1 end of line,
// 2 tag, 3 move number, 4 move, 5 NAG, 6 comment, 7 variation, 8 result).
namespace TokenSet {
inline constexpr unsigned BeforeGame = 7;
inline constexpr unsigned InHeader = 6;
inline constexpr unsigned AfterHeader = 330;
inline constexpr unsigned AfterMoveNumber = 274;
inline constexpr unsigned InMovetext = 506;
inline constexpr unsigned AfterResult = 67;
}  // namespace TokenSet

inline constexpr int kLineLimit = 1024;
inline constexpr int kTagNameLimit = 40;
inline constexpr int kTagValueLimit = 200;
inline constexpr std::size_t kReaderErrorLimit = 191;

// What the game grammar hands to the converter. Each returns false with a message on failure,
// which ends the game with an error.
class GameActions {
public:
    virtual ~GameActions() = default;
    virtual bool tag(const std::string& name, const std::string& value, std::string& error) = 0;
    virtual bool endOfHeader(std::string& error) = 0;
    virtual bool move(const std::string& text, std::string& error) = 0;
    virtual bool variationStart(std::string& error) = 0;
    virtual bool variationEnd(std::string& error) = 0;
};

class PgnReader {
public:
    PgnReader() = default;
    ~PgnReader();
    PgnReader(const PgnReader&) = delete;
    PgnReader& operator=(const PgnReader&) = delete;

    // False with tokenText() holding the reason.
    bool open(const char* fileName);
    void close();

    // The next character (0..255), -1 at end of file, -2 on a read error.
    int nextChar();
    // The next token; tokenText() and the fields below describe it.
    int nextToken();

    // Reads one game: 0 a game was read to its closing empty line, 1 end of file where the
    // grammar allows it, 2 an error (errorText()).
    int readGame(GameActions& actions);
    // Before each game: expect a game, the game not yet started.
    void resetGame();

    const std::string& tokenText() const { return m_text; }
    const std::string& tagName() const { return m_tagName; }
    const std::string& tagValue() const { return m_tagValue; }
    std::int32_t number() const { return m_number; }  // move number or NAG value
    std::int32_t dotsFlag() const { return m_dots; }
    const std::string& errorText() const { return m_error; }
    long lineNumber() const { return m_lineNumber; }
    int variationDepth() const { return m_variationDepth; }
    unsigned expectedTokens() const { return m_expected; }

private:
    bool loadLine();
    // The next byte of the file through an input buffer, or EOF.
    int readByte();
    void unreadByte() { --m_bufferPosition; }
    void pushBack(int c) { m_pushback = c; }
    int error(std::string text);
    int moveToken(int first);
    int resultOrNumber(int first);
    int tagToken();
    int restOfLine(int first, int token);
    void setError(std::string text);

    std::FILE* m_file = nullptr;
    static constexpr std::size_t kBufferSize = 1 << 16;
    std::unique_ptr<char[]> m_buffer = std::make_unique<char[]>(kBufferSize);
    std::size_t m_bufferLength = 0;
    std::size_t m_bufferPosition = 0;
    char m_line[kLineLimit + 1] = {};
    int m_lineLength = 0;
    int m_position = -1;
    int m_pushback = -1;
    long m_lineNumber = 0;
    bool m_inComment = false;
    int m_variationDepth = 0;
    unsigned m_expected = TokenSet::BeforeGame;
    bool m_gameStarted = false;

    std::string m_text;
    std::string m_tagName;
    std::string m_tagValue;
    std::int32_t m_number = 0;
    std::int32_t m_dots = 0;
    std::string m_error;
};

}  // namespace zorb
