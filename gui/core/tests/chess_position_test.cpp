#include "chess_position.h"

#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

std::string epdOf(std::string_view line) {
    TChessPosition position;
    PositionRecord out;
    if (!position.MakeBoardFromEPD(out, line)) return "<failed>";
    return position.GetEPDString();
}

TEST(ChessPosition, RecordPacksSquaresIntoNibblesHighFirst) {
    TChessPosition position;
    const PositionRecord& record = *position.GetBoard();
    // a1 b1 c1 d1 = R N B Q, packed 4 squares per word with a1 in bits 12-15.
    EXPECT_EQ(record.board[0], 0x4235);
    // e1 f1 g1 h1 = K B N R.
    EXPECT_EQ(record.board[1], 0x6324);
    // a8 b8 c8 d8 = r n b q.
    EXPECT_EQ(record.board[14], 0xA89B);
    EXPECT_EQ(record.board[4], 0);  // a3..d3 empty
    EXPECT_EQ(record.flags, 0x1F);  // four rights and white to move, no en passant
    EXPECT_EQ(sizeof(PositionRecord), 34u);
}

TEST(ChessPosition, EdgeSquaresAreOffTheBoardAndIgnored) {
    TChessPosition position;
    for (Square edge : {-1, 8, 9, 18, 69, 78, 79, 80, 255}) {
        EXPECT_TRUE(TChessPosition::EdgeSquare(edge)) << edge;
        position.PutPieceOnSquare(Piece::BlackQueen, edge);
        EXPECT_EQ(position.PieceOnSquare(edge), 0) << edge;
        EXPECT_FALSE(position.SomethingOn(edge)) << edge;
    }
    EXPECT_EQ(position, TChessPosition());  // no real square was touched
    for (Square real : {0, 7, 10, 34, 44, 70, 77})
        EXPECT_FALSE(TChessPosition::EdgeSquare(real));
}

TEST(ChessPosition, FlagSettersTouchOnlyTheirBit) {
    TChessPosition position;
    position.SetWhiteOnMove(true);
    position.SetEnPassantSquareTo(34);
    EXPECT_TRUE(position.WhiteOnMove());
    EXPECT_TRUE(position.WhiteCanCastleKingside() && position.WhiteCanCastleQueenside() &&
                position.BlackCanCastleKingside() && position.BlackCanCastleQueenside());
    EXPECT_EQ(position.EnPassantSquare(), 34);
    position.SetBlackCanCastleQueenside(false);
    EXPECT_EQ(position.GetBoard()->flags, (34 << 8) | 0x17);
    position.SetWhiteOnMove(false);
    EXPECT_EQ(position.GetBoard()->flags, (34 << 8) | 0x07);
}

TEST(ChessPosition, WriterEndsWithABlankAndWritesInitialPosition) {
    TChessPosition position;
    EXPECT_EQ(position.GetEPDString(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - ");
}

TEST(ChessPosition, EmptyBoardReadsAndWritesWithDashes) {
    EXPECT_EQ(epdOf("8/8/8/8/8/8/8/8 w - -"), "8/8/8/8/8/8/8/8 w - - ");
}

struct EnPassantCase {
    const char* line;
    int stored;
    const char* written;
};

class EnPassantField : public testing::TestWithParam<EnPassantCase> {};

TEST_P(EnPassantField, StoresThePawnSquareAndWritesTheTarget) {
    const auto& c = GetParam();
    TChessPosition position;
    PositionRecord out;
    ASSERT_TRUE(position.MakeBoardFromEPD(out, c.line));
    EXPECT_EQ(position.EnPassantSquare(), c.stored);
    EXPECT_EQ(out.flags >> 8, c.stored);
    EXPECT_EQ(position.GetEPDString(), c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EnPassantField,
    testing::Values(EnPassantCase{"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3", 34,
                                  "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 "},
                    EnPassantCase{"rnbqkbnr/pp1ppppp/8/2pP4/8/8/PPP1PPPP/RNBQKBNR w KQkq c6", 42,
                                  "rnbqkbnr/pp1ppppp/8/2pP4/8/8/PPP1PPPP/RNBQKBNR w KQkq c6 "},
                    // White to move with a third-rank target is out of range and silently dropped.
                    EnPassantCase{"8/8/8/8/4P3/8/8/8 w - e3", 0, "8/8/8/8/4P3/8/8/8 w - - "},
                    // The side is not compared with the rank: e5 with white to move stores e4.
                    EnPassantCase{"8/8/8/8/8/8/8/8 w - e5", 34, "8/8/8/8/8/8/8/8 w - e5 "},
                    EnPassantCase{"8/8/8/8/8/8/8/8 b - z3", 0, "8/8/8/8/8/8/8/8 b - - "},
                    EnPassantCase{"8/8/8/8/8/8/8/8 b - e9", 0, "8/8/8/8/8/8/8/8 b - - "},
                    EnPassantCase{"8/8/8/8/8/8/8/8 b - e", 0, "8/8/8/8/8/8/8/8 b - - "}));

TEST(ChessPosition, SilentReaderFailsWithoutAllFourFieldsAndLeavesOutUntouched) {
    const PositionRecord sentinel{{1, 2, 3}, 0xBEEF};
    for (const char* line :
         {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR",
          "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR ",
          "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq -",
          "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq",
          "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq ",
          "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN w KQkq -",
          "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNRR w KQkq -", "", " w KQkq -"}) {
        TChessPosition position;
        PositionRecord out = sentinel;
        EXPECT_FALSE(position.MakeBoardFromEPD(out, line)) << line;
        EXPECT_EQ(out, sentinel) << line;
    }
}

TEST(ChessPosition, FailedReadLeavesTheBoardAlreadyReadInThePosition) {
    TChessPosition position;
    PositionRecord out;
    EXPECT_FALSE(position.MakeBoardFromEPD(out, "8/8/8/8/8/8/8/8 x - -"));
    EXPECT_EQ(position.PieceOnSquare(0), 0);  // the empty board was read before the side failed
}

TEST(ChessPosition, CastlingLettersAnywhereInTheFieldSetTheirRight) {
    TChessPosition position;
    PositionRecord out;
    ASSERT_TRUE(position.MakeBoardFromEPD(out, "8/8/8/8/8/8/8/8 b qxK -"));
    EXPECT_TRUE(position.WhiteCanCastleKingside());
    EXPECT_FALSE(position.WhiteCanCastleQueenside());
    EXPECT_FALSE(position.BlackCanCastleKingside());
    EXPECT_TRUE(position.BlackCanCastleQueenside());
    EXPECT_FALSE(position.WhiteOnMove());
    EXPECT_EQ(position.GetEPDString(), "8/8/8/8/8/8/8/8 b Kq - ");
}

// Reads a placement into a plain array so that every write can be seen.
struct PlacementProbe {
    std::array<int, 78> squares{};
    std::vector<Square> written;
    PlacementResult read(std::string_view field) {
        squares.fill(-1);
        return readPlacement(field, [this](Square sq, int piece) {
            squares[static_cast<std::size_t>(sq)] = piece;
            written.push_back(sq);
        });
    }
};

TEST(PlacementReader, SlashesAreNotRankBoundaries) {
    PlacementProbe probe;
    // "p8" spills the ninth square onto the next rank; the total is still 64.
    EXPECT_EQ(probe.read("p8/7/8/8/8/8/8/8"), PlacementResult::Ok);
    EXPECT_EQ(probe.squares[70], Piece::BlackPawn);
    EXPECT_EQ(probe.written.size(), 64u);
    EXPECT_EQ(probe.read("p8/8/8/8/8/8/8/8"), PlacementResult::WrongSquareCount);
}

TEST(PlacementReader, DigitOverrunningTheRankFails) {
    PlacementProbe probe;
    EXPECT_EQ(probe.read("pp8/8/8/8/8/8/8/8"), PlacementResult::RankOverrun);  // 2 + 8 > 9
    EXPECT_EQ(probe.read("rnbqkbnr/pppppp4/8/8/8/8/PPPPPPPP/RNBQKBNR"),
              PlacementResult::RankOverrun);  // 6 + 4 > 9
    // 7 + 2 = 9 is no overrun: the surplus square makes the count wrong instead.
    EXPECT_EQ(probe.read("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN2"),
              PlacementResult::WrongSquareCount);
}

TEST(PlacementReader, OnlyTheFirst64CharactersAreExamined) {
    PlacementProbe probe;
    const std::string ones =
        "11111111/11111111/11111111/11111111/11111111/11111111/11111111/11111111";
    ASSERT_EQ(ones.size(), 71u);
    EXPECT_EQ(probe.read(ones), PlacementResult::WrongSquareCount);
}

TEST(PlacementReader, UnknownCharacterEmptiesOneSquareAndTouchesNoOther) {
    PlacementProbe probe;
    EXPECT_EQ(probe.read("rnbqkbnr/ppxppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"), PlacementResult::Ok);
    EXPECT_EQ(probe.squares[62], Piece::Empty);
    EXPECT_EQ(probe.squares[61], Piece::BlackPawn);
    EXPECT_EQ(probe.squares[63], Piece::BlackPawn);
    // A second slash after a slash is such a character too.
    EXPECT_EQ(probe.read("rnbqkbnr//ppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR"), PlacementResult::Ok);
    EXPECT_EQ(probe.squares[60], Piece::Empty);
}

TEST(PlacementReader, SurplusSquaresOnTheFirstRankAreNeverWritten) {
    PlacementProbe probe;
    // 64 squares and eight more pieces: on rank 1 the file index runs on past h1, and the extra
    // pieces must not land on a2..h2 (squares 10..17).
    EXPECT_EQ(probe.read("8/8/8/8/8/8/8/8QQQQQQQQ"), PlacementResult::WrongSquareCount);
    for (Square sq = 0; sq < 78; ++sq) {
        const int written = probe.squares[static_cast<std::size_t>(sq)];
        EXPECT_TRUE(written == -1 || written == Piece::Empty) << sq;
    }
}

TEST(PositionPart, CutsAtTheFirstKnownOpcodeAfterTheEnPassantField) {
    EXPECT_EQ(positionPartOfLine("rnbqkbnr/pp1ppppp/8/2pP4/8/8/PPP1PPPP/RNBQKBNR w KQkq c6 bm e4;"),
              "rnbqkbnr/pp1ppppp/8/2pP4/8/8/PPP1PPPP/RNBQKBNR w KQkq c6");
    // eco is not a known name, so it stays up to the first known one.
    EXPECT_EQ(positionPartOfLine("8/8/8/8/8/8/8/8 w - - eco B22; bm e4;"),
              "8/8/8/8/8/8/8/8 w - - eco B22;");
    // Names inside the placement or castling fields do not count.
    EXPECT_EQ(positionPartOfLine("8/8/8/8/8/8/8/8 w - - id \"x\";"), "8/8/8/8/8/8/8/8 w - -");
    EXPECT_EQ(positionPartOfLine("8/8/8/8/8/8/8/8 w -"), "8/8/8/8/8/8/8/8 w -");
    // Without a blank before the name nothing extra is cut.
    EXPECT_EQ(positionPartOfLine("8/8/8/8/8/8/8/8 w - - x;pv e4;"), "8/8/8/8/8/8/8/8 w - - x;");
    // The en-passant field runs to the next blank, and names inside it do not count.
    EXPECT_EQ(positionPartOfLine("8/8/8/8/8/8/8/8 w - -;pv e4;"), "8/8/8/8/8/8/8/8 w - -;pv e4;");
}

TEST(PositionPart, IsCutTo100Characters) {
    const std::string line = "8/8/8/8/8/8/8/8 w - - " + std::string(200, 'x');
    EXPECT_EQ(positionPartOfLine(line).size(), 100u);
}

// Every position of the published test suites survives writing and reading unchanged.
TEST(ChessPosition, PublishedSuitesRoundTrip) {
    int lines = 0;
    for (const char* name : {"wac.epd", "bratko-kopec.epd", "kaufman.epd", "perftsuite.epd"}) {
        std::ifstream in(std::string(BRISVANE_TESTDATA_DIR) + "/epd/" + name);
        ASSERT_TRUE(in) << name;
        std::string line;
        while (std::getline(in, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.size() < 15) continue;
            TChessPosition first;
            PositionRecord record;
            ASSERT_TRUE(first.MakeBoardFromEPD(record, line)) << line;
            const std::string written = first.GetEPDString();
            // The four fields are written as the suites have them; an en-passant field that
            // starts with "-" (one suite has "-1") is written as "-".
            std::size_t at = 0;
            for (int i = 0; i < 3; ++i)
                at = line.find(' ', at) + 1;
            const std::size_t epEnd = std::min(line.find(' ', at), line.size());
            const std::string ep = line[at] == '-' ? "-" : line.substr(at, epEnd - at);
            EXPECT_EQ(written, line.substr(0, at) + ep + " ") << line;
            TChessPosition second;
            PositionRecord again;
            ASSERT_TRUE(second.MakeBoardFromEPD(again, written));
            EXPECT_EQ(again, record) << line;
            ++lines;
        }
    }
    EXPECT_GT(lines, 450);
}

}  // namespace
