#include "analysis_text.h"

#include <fstream>

#include <gtest/gtest.h>

#include "temp_folder.h"
#include "uci_engine.h"
#include "vanta.h"
#include "zbmovgen.h"
#include "zorbutil.h"

namespace {

const std::string kStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

PositionResult result(int depth, int score, const char* pv, bool mate = false) {
    PositionResult r;
    r.depth = depth;
    r.seconds = 1;
    r.score = score;
    r.mate = mate;
    r.pv = pv;
    return r;
}

TEST(EpdResults, ReplaceOnlyTheAnalysisOperations) {
    const std::string line =
        "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - bm Qg6; ce 12;  c0 \"a; b\"; "
        "id \"WAC.001\"; pv Qh5 ; acd 3;";
    EXPECT_EQ(withResult(line, result(18, 345, "Qg6 fxg6 Nxg6#")),
              "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - bm Qg6;  c0 \"a; b\"; "
              "id \"WAC.001\"; acd 18; acs 1; ce 345; pv Qg6 fxg6 Nxg6#;");
    EXPECT_EQ(withResult("8/8/8/8/8/8/8/K6k w - -", result(1, 0, "")),
              "8/8/8/8/8/8/8/K6k w - - acd 1; acs 1; ce 0;");
    // An operation without its semicolon, and the trailing blank, stay as they were.
    EXPECT_EQ(withResult("8/8/8/8/8/8/8/K6k w - - 0 1 ; bm Kb2 ", result(2, -5, "Kb2")),
              "8/8/8/8/8/8/8/K6k w - - 0 1 ; bm Kb2 acd 2; acs 1; ce -5; pv Kb2;");
}

TEST(EpdResults, MateScores) {
    EXPECT_EQ(evaluationOf(result(5, 1, "", true)), 32766);
    EXPECT_EQ(evaluationOf(result(5, 3, "", true)), 32762);
    EXPECT_EQ(evaluationOf(result(5, -2, "", true)), -32763);
    EXPECT_EQ(evaluationOf(result(0, 0, "", true)), -32767);
    EXPECT_EQ(evaluationOf(result(5, -120, "")), -120);
}

TEST(AnalysisLines, FieldsWhereTheReadersLook) {
    const std::string epd = epdAnalysisLine(3, 17, "+0.25 e4 e5");
    EXPECT_EQ(epd, "   3  17      +0.25 e4 e5\r\n");
    EXPECT_EQ(epd.substr(6, 7), "17     ");  // characters 7 to 13: the depth
    EXPECT_NE(epdAnalysisLine(1, 9, scoreText(true, 2) + " Qh7+").find("Mate "), std::string::npos);
    const std::string game = gameAnalysisLine(12, "Nf3 d5 c4");
    EXPECT_EQ(game.substr(5), "Nf3 d5 c4\r\n");  // from the 6th character on: the variation
    EXPECT_EQ(scoreText(false, -110), "-1.10");
    EXPECT_EQ(scoreText(false, 5), "+0.05");
    EXPECT_EQ(scoreText(true, -3), "Mate -3");

    // A long variation is cut before the move that would not fit what the library reads.
    std::string pv;
    for (int i = 0; i < 60; ++i)
        pv += (i ? " " : "") + std::string(i % 2 ? "exd8=Q+" : "Nbd7");
    for (const std::string& line :
         {epdAnalysisLine(1, 30, "+0.10 " + pv), gameAnalysisLine(30, pv)}) {
        EXPECT_LE(line.size(), kLineFileLimit);
        EXPECT_GT(line.size(), kLineFileLimit - 10);
        const std::string words = line.substr(0, line.size() - 2);
        EXPECT_NE(pv.find(words.substr(words.rfind("Nbd7"))), std::string::npos);
        EXPECT_TRUE(words.back() == '7' || words.back() == '+') << words;
    }
}

TEST(SanVariation, FromUciMoves) {
    EXPECT_EQ(sanVariation(kStart, {"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "g8f6", "e1g1"}),
              "e4 e5 Nf3 Nc6 Bb5 Nf6 O-O");
    EXPECT_EQ(sanVariation(kStart, {"f2f3", "e7e5", "g2g4", "d8h4"}), "f3 e5 g4 Qh4#");
    EXPECT_EQ(sanVariation("4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", {"b7b8q"}), "b8=Q+");
    // Two knights reach d2; a rook pair on one file needs the rank.
    EXPECT_EQ(sanVariation("4k3/8/8/8/8/8/8/1N2KN2 w - - 0 1", {"b1d2"}), "Nbd2");
    EXPECT_EQ(sanVariation("4k3/8/8/R7/8/8/8/R3K3 w - - 0 1", {"a1a3"}), "R1a3");
    // A pinned knight does not count as a rival.
    EXPECT_EQ(sanVariation("1n5k/8/5n2/8/8/8/1B6/4K3 b - - 0 1", {"b8d7"}), "Nd7");
    // The variation stops at a move that is not legal.
    EXPECT_EQ(sanVariation(kStart, {"e2e4", "e2e4"}), "e4");
    EXPECT_FALSE(sanVariation("nonsense", {"e2e4"}));
}

TEST(SanVariation, EveryLegalMoveOfThePublishedSuitesIsReadBackAsItself) {
    std::ifstream in(std::string(BRISVANE_TESTDATA_DIR) + "/epd/wac.epd");
    int moves = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.size() < 15) continue;
        auto board = zorb::allocateBoard();
        ASSERT_TRUE(zorb::setUpFromFen(*board, fenOf(line))) << line;
        for (int i = 0; i < board->moveCount; ++i) {
            if (!zorb::isLegalMove(*board, i)) continue;
            const auto san = zorb::sanOfMove(*board, i);
            ASSERT_TRUE(san);
            zorb::Board copy = *board;
            EXPECT_EQ(zorb::matchSan(copy, *san), i) << line << " " << *san;
            ++moves;
        }
    }
    EXPECT_GT(moves, 10000);
}

TEST(Positions, OnlyPlayableOnesGoToTheEngine) {
    EXPECT_TRUE(playablePosition(kStart));
    EXPECT_FALSE(playablePosition("4k3/8/8/8/8/8/8/4K2r b - - 0 1"));  // white is in check
    EXPECT_FALSE(playablePosition("4k2P/8/8/8/8/8/8/4K3 w - - 0 1"));
    EXPECT_FALSE(playablePosition("8/8/8/8/8/8/8/4K3 w - - 0 1"));
    EXPECT_TRUE(carriesEvaluation("8/8/8/8/8/8/8/K6k w - - ce 12;"));
    EXPECT_FALSE(carriesEvaluation("8/8/8/8/8/8/8/K6k w - - acd 3;"));
}

TEST(Uci, InfoLines) {
    SearchInfo info;
    ASSERT_TRUE(
        parseInfo("info depth 12 seldepth 18 multipv 1 score cp -37 nodes 123456 nps 1 "
                  "tbhits 0 time 80 pv e2e4 e7e5",
                  info));
    EXPECT_EQ(info.depth, 12);
    EXPECT_EQ(info.score, -37);
    EXPECT_FALSE(info.mate);
    EXPECT_EQ(info.nodes, 123456);
    EXPECT_EQ(info.pv, (std::vector<std::string>{"e2e4", "e7e5"}));
    ASSERT_TRUE(parseInfo("info depth 3 score mate -2 upperbound pv a1a2", info));
    EXPECT_TRUE(info.mate);
    EXPECT_TRUE(info.bound);
    // Stockfish's only line for a mated position.
    ASSERT_TRUE(parseInfo("info depth 0 score mate 0", info));
    EXPECT_TRUE(info.mate && info.pv.empty());
    EXPECT_FALSE(parseInfo("info depth 5 currmove e2e4", info));
    EXPECT_FALSE(parseInfo("info string NNUE evaluation enabled pv e2e4", info));
    EXPECT_FALSE(parseInfo("bestmove e2e4", info));
}

TEST(VantaSettings, TimesHashAndIni) {
    EXPECT_EQ(parseTime("00:05:00"), 300);
    EXPECT_EQ(parseTime("99:59:59"), 359999);
    EXPECT_EQ(parseTime("1:2"), -1);
    EXPECT_EQ(parseTime("00:61:00"), -1);
    EXPECT_EQ(hashMegabytes(0), 1);
    EXPECT_EQ(hashMegabytes(4), 4);
    EXPECT_EQ(hashMegabytes(6), 28);
    EXPECT_EQ(hashMegabytes(9), 1);
    TempFolder folder;
    folder.write("Vanta.ini",
                 "[Vanta]\r\n; comment\r\nENGINE = /opt/sf\r\nthreads=3\r\nVanta9Seconds=2\r\n");
    const VantaSettings settings = readVantaSettings(folder.path("Vanta.ini"));
    EXPECT_EQ(settings.engine, "/opt/sf");
    EXPECT_EQ(settings.threads, 3);
    EXPECT_EQ(settings.singleSeconds, 2);
    EXPECT_EQ(readVantaSettings(folder.path("missing.ini")).threads, 1);
}

}  // namespace
