#include "zorb_pgn.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

using namespace zorb;

struct Lexed {
    int code;
    std::string text;
    bool operator==(const Lexed&) const = default;
};

void PrintTo(const Lexed& token, std::ostream* out) { *out << token.code << ":" << token.text; }

class PgnTest : public testing::Test {
protected:
    PgnReader& openText(const std::string& text) {
        reader.close();
        folder.write("t.pgn", text);
        EXPECT_TRUE(reader.open(folder.path("t.pgn").c_str()));
        return reader;
    }
    // All tokens up to end of file or the first error; comment text is skipped.
    std::vector<Lexed> lex(const std::string& text) {
        openText(text);
        std::vector<Lexed> tokens;
        for (;;) {
            const int code = reader.nextToken();
            if (code == TokCommentText) continue;
            std::string value = reader.tokenText();
            if (code == TokTag) value = reader.tagName() + "=" + reader.tagValue();
            if (code == TokMoveNumber)
                value = std::to_string(reader.number()) + "," + std::to_string(reader.dotsFlag());
            if (code == TokNag) value = std::to_string(reader.number());
            tokens.push_back({code, value});
            if (code == TokEndOfFile || code == TokError) return tokens;
        }
    }
    std::string errorOf(const std::string& text) {
        const auto tokens = lex(text);
        return tokens.back().code == TokError ? tokens.back().text : "<no error>";
    }

    TempFolder folder;
    PgnReader reader;
};

TEST_F(PgnTest, OpenFailures) {
    EXPECT_FALSE(reader.open(""));
    EXPECT_EQ(reader.tokenText(), "invalid calling parameter(s)");
    EXPECT_FALSE(reader.open(folder.path("missing.pgn").c_str()));
    EXPECT_EQ(reader.tokenText(), "can't open file for reading");
    openText("");
    EXPECT_FALSE(reader.open(folder.path("t.pgn").c_str()));
    EXPECT_EQ(reader.tokenText(), "PGN file already open");
    EXPECT_EQ(reader.nextToken(), TokEndOfFile);
}

TEST_F(PgnTest, MovesNagsNumbersAndResults) {
    EXPECT_EQ(lex("1. e4!? Nf3+ 12... Qxd8=Q# $14 ??\n1-0 0-1 1/2-1/2 *"),
              (std::vector<Lexed>{{TokMoveNumber, "1,0"}, {TokMove, "e4"}, {TokNag, "5"},
                                  {TokMove, "Nf3+"}, {TokMoveNumber, "12,1"},
                                  {TokMove, "Qxd8=Q#"}, {TokNag, "14"}, {TokNag, "4"},
                                  {TokEndOfLine, ""}, {TokResult, "1-0"}, {TokResult, "0-1"},
                                  {TokResult, "1/2-1/2"}, {TokResult, "*"},
                                  {TokEndOfFile, ""}}));
    EXPECT_EQ(lex("7 O-O-O").at(0), (Lexed{TokMoveNumber, "7,0"}));  // no dot: still a number
}

TEST_F(PgnTest, ZeroCastlingIsRewrittenTwicePerLine) {
    auto tokens = lex("0-0-0 0-0 0-1");
    EXPECT_EQ(tokens[0], (Lexed{TokMove, "O-O-O"}));
    EXPECT_EQ(tokens[1], (Lexed{TokMove, "O-O"}));
    EXPECT_EQ(tokens[2], (Lexed{TokResult, "0-1"}));
    EXPECT_EQ(errorOf("0-0 0-0 0-0"), "PGN result expected");  // the third stays
}

TEST_F(PgnTest, TagsAndTheirLimits) {
    EXPECT_EQ(lex("[Event \"Open \xE9t\xE9\"]")[0], (Lexed{TokTag, "Event=Open \xE9t\xE9"}));
    const std::string name40(40, 'N');
    EXPECT_EQ(lex("[" + name40 + " \"x\"]")[0].code, TokTag);
    EXPECT_EQ(errorOf("[" + name40 + "N \"x\"]"), "PGN tag name too long (> 40)");
    const std::string value200(200, 'v');
    EXPECT_EQ(lex("[Site \"" + value200 + "\"]")[0].code, TokTag);
    EXPECT_EQ(errorOf("[Site \"" + value200 + "v\"]"), "PGN tag value too long (> 200)");
    EXPECT_EQ(errorOf("[Site \"x\" ]"), "PGN header tag end symbol (']') missing");
    EXPECT_EQ(errorOf("[ Site \"x\"]"), "PGN tag name expected");
    EXPECT_EQ(errorOf("[Site x]"), "PGN tag value expected");
    EXPECT_EQ(errorOf("[Site \"x\ny\"]"), "PGN tag value end not found");
}

TEST_F(PgnTest, CommentsAndMarkers) {
    openText("{a\n$Nb$x\x04} (");
    std::vector<Lexed> tokens;
    for (int code = reader.nextToken(); code != TokEndOfFile; code = reader.nextToken())
        tokens.push_back({code, reader.tokenText()});
    EXPECT_EQ(tokens, (std::vector<Lexed>{{TokCommentStart, "{"}, {TokCommentText, "a"},
                                          {TokCommentText, " "}, {TokCommentMarker, "$N"},
                                          {TokCommentText, "b"}, {TokCommentText, "$"},
                                          {TokCommentText, "x"}, {TokCommentMarker, "$D"},
                                          {TokCommentEnd, "}"}, {TokVariationStart, "("}}));
    EXPECT_EQ(errorOf("{ a { b } }"), "nested comment found");
    EXPECT_EQ(errorOf("e4 }"), "} - unexpected symbol found in token stream");
    EXPECT_EQ(errorOf(")"), "inconsistent variation counter (< 0)");
}

TEST_F(PgnTest, LineCommentsAndEscapesTakeTheirLineEnd) {
    EXPECT_EQ(lex("e4 ; rest of line\n%escape\nd5"),
              (std::vector<Lexed>{{TokMove, "e4"}, {TokLineComment, "; rest of line"},
                                  {TokEscapeLine, "%escape"}, {TokMove, "d5"},
                                  {TokEndOfFile, ""}}));
}

TEST_F(PgnTest, BadCharactersAndMoves) {
    EXPECT_EQ(errorOf("e4 \xB1"), "0xb1 - unexpected symbol found in token stream");
    EXPECT_EQ(errorOf("1. ... e5"), ". - unexpected symbol found in token stream");
    EXPECT_EQ(errorOf("Oxd5"), "O - PGN move expected");
    EXPECT_EQ(errorOf("e4-e5"), "e - PGN move expected");
    EXPECT_EQ(errorOf("x"), "x - PGN move or move number expected");
    EXPECT_EQ(errorOf("1-1"), "PGN result expected");
    EXPECT_EQ(errorOf("1/2-1/3"), "PGN result expected");
}

TEST_F(PgnTest, LinesOf1024CharactersAreRejected) {
    EXPECT_EQ(errorOf(std::string(1023, ' ') + "\ne4"), "<no error>");
    EXPECT_EQ(errorOf(std::string(1024, ' ') + "\ne4"), "PGN input line too large (>1024)");
    EXPECT_EQ(lex(std::string(1000, ' ') + "e4").at(0), (Lexed{TokMove, "e4"}));  // no line end
}

TEST_F(PgnTest, LineEndsCrLfAndLoneCr) {
    openText("e4\r\nd5\re5\n");
    EXPECT_EQ(reader.nextToken(), TokMove);
    EXPECT_EQ(reader.nextToken(), TokEndOfLine);
    EXPECT_EQ(reader.nextToken(), TokMove);
    EXPECT_EQ(reader.nextToken(), TokEndOfLine);
    EXPECT_EQ(reader.nextToken(), TokMove);
    EXPECT_EQ(reader.lineNumber(), 3);
}

// Records what the grammar hands over; can be told to fail.
struct Recorder : GameActions {
    std::vector<std::string> events;
    bool tag(const std::string& name, const std::string& value, std::string&) override {
        events.push_back("tag " + name + "=" + value);
        return true;
    }
    bool endOfHeader(std::string&) override {
        events.push_back("header");
        return true;
    }
    bool move(const std::string& text, std::string& error) override {
        events.push_back("move " + text);
        if (text == "Qh4") {
            error = "refused";
            return false;
        }
        return true;
    }
    bool variationStart(std::string&) override {
        events.push_back("(");
        return true;
    }
    bool variationEnd(std::string&) override {
        events.push_back(")");
        return true;
    }
};

TEST(TokenSets, HaveTheirNumericValues) {
    EXPECT_EQ(TokenSet::BeforeGame, 7u);
    EXPECT_EQ(TokenSet::InHeader, 6u);
    EXPECT_EQ(TokenSet::AfterHeader, 330u);
    EXPECT_EQ(TokenSet::AfterMoveNumber, 274u);
    EXPECT_EQ(TokenSet::InMovetext, 506u);
    EXPECT_EQ(TokenSet::AfterResult, 67u);
}

class Grammar : public PgnTest {
protected:
    int read(const std::string& text) {
        openText(text);
        reader.resetGame();
        return reader.readGame(recorder);
    }
    Recorder recorder;
};

TEST_F(Grammar, AGameIsTagsAnEmptyLineMovetextAndAnEmptyLine) {
    EXPECT_EQ(read("[Event \"x\"]\n[Result \"1-0\"]\n\n1. e4 {c} e5 (1... c5 $1) 2. Nf3 1-0\n\n"
                   "[Event \"second\"]\n"),
              0);
    EXPECT_EQ(recorder.events,
              (std::vector<std::string>{"tag Event=x", "tag Result=1-0", "header", "move e4",
                                        "move e5", "(", "move c5", ")", "move Nf3"}));
    reader.resetGame();
    EXPECT_EQ(reader.readGame(recorder), 2);  // the second game ends without its empty line
    EXPECT_EQ(reader.errorText(), "unexpected end of PGN file");
}

TEST_F(Grammar, EndOfFileAfterTheResultOrBeforeAGame) {
    EXPECT_EQ(read("[Event \"x\"]\n\n1. e4 *"), 1) << reader.errorText();
    EXPECT_EQ(read("\n"), 1);
    // Two empty lines announce a game without tags, so the file may not end there.
    EXPECT_EQ(read("\n\n"), 2);
    EXPECT_EQ(reader.errorText(), "unexpected end of PGN file");
}

TEST_F(Grammar, AGameWithoutTagsNeedsTwoEmptyLines) {
    EXPECT_EQ(read("\n\n1. e4 e5 *\n\n"), 0);
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"header", "move e4", "move e5"}));
    EXPECT_EQ(read("e4 *\n"), 2);
    EXPECT_EQ(reader.errorText(), "line 1 - token <PGN move> unexpected");
}

TEST_F(Grammar, UnexpectedTokensNameTheirLine) {
    // The movetext starts with a move number, a comment or the result.
    EXPECT_EQ(read("[Event \"x\"]\n\ne4\n"), 2);
    EXPECT_EQ(reader.errorText(), "line 3 - token <PGN move> unexpected");
    EXPECT_EQ(read("[Event \"x\"]\n\n1. {c} e4\n"), 2);
    EXPECT_EQ(reader.errorText(), "line 3 - token <PGN comment> unexpected");
    EXPECT_EQ(read("[Event \"x\"]\n\n1. 2. e4\n"), 2);
    EXPECT_EQ(reader.errorText(), "line 3 - token <PGN move number> (2,0) unexpected");
    EXPECT_EQ(read("[Event \"x\"]\n\n1. e4 * e5\n"), 2);
    EXPECT_EQ(reader.errorText(), "line 3 - token <PGN move> unexpected");
    EXPECT_EQ(read("[Event \"x\"]\n{c}\n"), 2);
    EXPECT_EQ(reader.errorText(), "line 2 - token <PGN comment> unexpected");
    EXPECT_EQ(read("[Event \"x\"]\n\n1. e4 e5\n[Site \"y\"]\n"), 2);
    EXPECT_EQ(reader.errorText(), "line 4 - token <PGN tag> unexpected");
}

TEST_F(Grammar, LexerErrorsAndRefusedActionsEndTheGame) {
    EXPECT_EQ(read("[Event \"x\"]\n\n1. ... e5\n"), 2);
    EXPECT_EQ(reader.errorText(), "line 3 : . - unexpected symbol found in token stream");
    EXPECT_EQ(read("[Event \"x\"]\n\n1. e4 e5 2. Qh4\n"), 2);
    EXPECT_EQ(reader.errorText(), "refused");
}

TEST_F(Grammar, AnEmptyLineInTheMovetextEndsTheGame) {
    EXPECT_EQ(read("[Event \"x\"]\n\n1. e4\n\n2. e5"), 0);
    EXPECT_EQ(recorder.events.back(), "move e4");
}

}  // namespace
