// Vanta with Stockfish, driven through the engine access library as the main program drives it.
#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include <gtest/gtest.h>

#include "analysis_text.h"
#include "temp_folder.h"
#include "vaneng32_binding.h"
#include "zbmovgen.h"
#include "zorbutil.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

const std::string kVanta = BRISVANE_PROGRAM_DIR "/AddOn/EngV9/Vanta";

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// True when every SAN move of `pv` is accepted by the converter's matcher, in sequence.
bool legalSequence(const std::string& fen, const std::string& pv) {
    auto board = zorb::allocateBoard();
    if (!zorb::setUpFromFen(*board, fen)) return false;
    std::istringstream moves(pv);
    int count = 0;
    for (std::string move; moves >> move; ++count) {
        const int index = zorb::matchSan(*board, move);
        if (index < 0 || !zorb::makeMove(*board, index)) return false;
    }
    return count > 0;
}

// The text of the operation `opcode` of a line ("pv e4 e5" gives "e4 e5"), or nothing.
std::optional<std::string> operation(const std::string& line, const std::string& opcode) {
    const auto at = line.find(" " + opcode + " ");
    if (at == std::string::npos) return std::nullopt;
    const auto begin = at + opcode.size() + 2;
    return line.substr(begin, line.find(';', begin) - begin);
}

// Follows the analysis lines as the EPD file analysis window does: a drop in the depth
// (characters 7 to 13) is a new position; after a line with "Mate " any line is.
struct DepthWatcher {
    int positions = 0;
    int lastDepth = 99;
    std::string lastLine;
    std::vector<std::string> seen;
    void see(const std::string& line) {
        if (line.size() <= 6 || line == lastLine) return;
        std::string field = line.substr(6, 7);
        field = field.substr(0, field.find('.'));
        int depth = 99;
        try {
            depth = std::stoi(field);
        } catch (...) {
        }
        if (depth < lastDepth) ++positions;
        lastLine = line;
        lastDepth = line.find("Mate ") != std::string::npos ? 99 : depth;
        seen.push_back(line);
    }
};

class VantaEngine : public testing::Test {
protected:
    VantaEngine() {
        fs::create_symlink(kVanta, folder.path("Vanta"));
        folder.write("Vanta.ini", "Threads=1\nVanta9Seconds=1\n");
        setenv("VANTA_INI", folder.path("Vanta.ini").c_str(), 1);
    }
    ~VantaEngine() override {
        if (id >= 0) lib().Free(id, 1);
        unsetenv("VANTA_INI");
    }
    std::string analysisLine() {
        std::string buffer(300, '\0');
        int length = 0;
        if (!lib().GetAnalysisLine(id, buffer.data(), 300, &length)) return {};
        return buffer.substr(0, static_cast<std::size_t>(length));
    }
    TempFolder folder;
    int id = -1;
};

TEST_F(VantaEngine, AnalysesAWholeEpdFileAndEndsByItself) {
    std::ifstream wac(std::string(BRISVANE_TESTDATA_DIR) + "/epd/wac.epd");
    std::vector<std::string> original;
    for (std::string line; original.size() < 5 && std::getline(wac, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        original.push_back(line);
    }
    std::string input;
    for (const auto& line : original)
        input += line + "\r\n";
    folder.write("suite.epd", input);

    id = lib().Allocate(1, "Vanta", folder.root().c_str(), 9);
    ASSERT_GE(id, 0);
    // The library's shortest time is 5 seconds a position.
    ASSERT_EQ(lib().StartEPD(id, folder.path("suite.epd").c_str(), 1, 4, 0), 1);
    DepthWatcher window;
    const auto limit = Clock::now() + 60s;
    while (lib().IsRunning(id) && Clock::now() < limit) {
        window.see(analysisLine());
        std::this_thread::sleep_for(200ms);  // as often as the window polls
    }
    ASSERT_EQ(lib().IsRunning(id), 0) << "did not end by itself";
    EXPECT_EQ(window.positions, 5) << [&] {
        std::string all;
        for (const auto& line : window.seen)
            all += line + "\n";
        return all;
    }();
    ASSERT_EQ(lib().GetAnalysisEPD(id, folder.path("result.epd").c_str()), 1);

    const auto results = linesOf(folder.read("result.epd"));
    ASSERT_EQ(results.size(), 5u);
    for (std::size_t i = 0; i < results.size(); ++i) {
        const std::string& line = results[i];
        SCOPED_TRACE(line);
        // The position and the operations it had stay as they were.
        EXPECT_EQ(line.rfind(original[i].substr(0, original[i].find(" bm ")), 0), 0u);
        EXPECT_NE(line.find(original[i].substr(original[i].find(" bm "))), std::string::npos);
        const auto depth = operation(line, "acd");
        const auto seconds = operation(line, "acs");
        const auto evaluation = operation(line, "ce");
        const auto pv = operation(line, "pv");
        ASSERT_TRUE(depth && seconds && evaluation && pv);
        EXPECT_GT(std::stoi(*depth), 0);
        EXPECT_LE(std::stoi(*seconds), 6);
        EXPECT_LE(std::abs(std::stoi(*evaluation)), 32767);
        EXPECT_TRUE(legalSequence(fenOf(line), *pv)) << *pv;
    }
}

TEST_F(VantaEngine, AStopRequestEndsTheAnalysisWithinTwoSeconds) {
    folder.write("suite.epd",
                 "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - id \"a\";\r\n"
                 "r1b2rk1/pp1n1ppp/2p5/q7/3P4/2PB4/P1Q2PPP/R3K1NR w KQ - id \"b\";\r\n");
    id = lib().Allocate(1, "Vanta", folder.root().c_str(), 9);
    ASSERT_GE(id, 0);
    ASSERT_EQ(lib().StartEPD(id, folder.path("suite.epd").c_str(), 60, 0, 0), 1);
    for (int i = 0; i < 100 && analysisLine().empty(); ++i)
        std::this_thread::sleep_for(50ms);
    const auto asked = Clock::now();
    EXPECT_EQ(lib().Stop(id), 1);
    // The library waits 2 s before it ends an engine itself.
    EXPECT_LT(Clock::now() - asked, 1900ms);
    EXPECT_EQ(lib().IsRunning(id), 0);
}

TEST_F(VantaEngine, FollowsAGameAndItsReplacement) {
    const std::string first = "4k3/8/8/8/8/8/4P3/4K3 w - -";
    const std::string second = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq -";
    auto game = [](const std::string& fen) {
        return "[Event \"Vanta Engine Analysis\"]\n[Result \"*\"]\n[SetUp \"1\"]\n[FEN \"" + fen +
               " 0 1\"]\n\n" + (fen.find(" b ") != std::string::npos ? "1... *" : "1. *") + "\n\n";
    };
    folder.write("one.pgn", game(first));
    folder.write("two.pgn", game(second));
    id = lib().Allocate(1, "Vanta", folder.root().c_str(), 9);
    ASSERT_GE(id, 0);
    ASSERT_EQ(lib().StartPGN(id, folder.path("one.pgn").c_str(), 3, 2), 1);
    auto waitForVariation = [&](const std::string& fen) {
        const auto limit = Clock::now() + 20s;
        while (Clock::now() < limit) {
            const std::string line = analysisLine();
            if (line.size() > 6 && legalSequence(fen + " 0 1", line.substr(5))) return line;
            std::this_thread::sleep_for(100ms);
        }
        return std::string();
    };
    const std::string firstLine = waitForVariation(first);
    ASSERT_FALSE(firstLine.empty());
    EXPECT_FALSE(legalSequence(second + " 0 1", firstLine.substr(5)));  // white's moves
    ASSERT_EQ(lib().UpdatePGN(id, folder.path("two.pgn").c_str()), 1);
    const std::string secondLine = waitForVariation(second);
    EXPECT_FALSE(secondLine.empty()) << "the replaced game was not followed";
    EXPECT_EQ(lib().IsRunning(id), 1);
    const auto asked = Clock::now();
    EXPECT_EQ(lib().Stop(id), 1);  // an empty game is the request to end
    EXPECT_LT(Clock::now() - asked, 1900ms);
}

TEST_F(VantaEngine, GameAnalysisLeavesTheCommentedGame) {
    folder.write("VANENG01.PGN",
                 "[Event \"x\"]\n[Result \"1-0\"]\n\n1. e4 e5 2. Qh5 Nc6 3. Bc4 Nf6 "
                 "4. Qxf7# 1-0\n\n");
    CurrentFolder inFolder(folder.root());
    ASSERT_EQ(std::system("./Vanta VANENG01.PGN 4 0 00:00:01"), 0);
    const std::string pgn = folder.read("VANENG01.ANA");
    EXPECT_EQ(
        pgn.rfind("[Event \"x\"]\r\n[Result \"1-0\"]\r\n[Annotator \"Vanta\"]\r\n\r\n1. e4 {", 0),
        0u)
        << pgn;
    EXPECT_NE(pgn.find("4. Qxf7# {"), std::string::npos) << pgn;
    EXPECT_NE(pgn.find("} 1-0\r\n"), std::string::npos) << pgn;
}

TEST_F(VantaEngine, TheOnePositionCommandLineWritesVantaEpd) {
    folder.write("BRISVANE.EPD", "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - id \"back rank\";\r\n\r\n");
    CurrentFolder inFolder(folder.root());
    ASSERT_EQ(std::system("./Vanta W4 BRISVANE.EPD"), 0);
    const auto lines = linesOf(folder.read("VANTA.EPD"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].rfind("6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - id \"back rank\"; acd ", 0), 0u);
    EXPECT_EQ(operation(lines[0], "pv").value_or("").rfind("Rd8#", 0), 0u) << lines[0];
    EXPECT_EQ(operation(lines[0], "ce"), "32766");
}

TEST_F(VantaEngine, SkipsEvaluatedLinesWhenAskedTo) {
    const std::string evaluated = "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - ce 12; id \"done\";";
    const std::string open = "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - id \"open\";";
    const std::string tooShort = "short line";
    folder.write("VANENG01.EPD", evaluated + "\r\n" + tooShort + "\r\n" + open + "\r\n");
    CurrentFolder inFolder(folder.root());
    ASSERT_EQ(std::system("./Vanta VANENG01.EPD 00:00:01 0 C"), 0);
    const auto lines = linesOf(folder.read("VANENG01.EPD"));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], evaluated);
    EXPECT_EQ(lines[1], tooShort);
    EXPECT_EQ(lines[2].rfind(open + " acd ", 0), 0u) << lines[2];
    // The last line shown is the position's: the first one analysed, numbered 1.
    EXPECT_EQ(folder.read("VANENG01.ANE").substr(0, 6), "   1  ");
}

// A mated side has no move and no variation: Stockfish scores it "mate 0", which is written
// as being mated, in the EPD file analysis, the one-position command line and the game road;
// a stalemate stays equal.
TEST_F(VantaEngine, MatedAndStalematedPositionsKeepTheEnginesScore) {
    const std::string mated = "7k/6Q1/6K1/8/8/8/8/8 b - - id \"mated\";";
    const std::string stalemated = "7k/5Q2/6K1/8/8/8/8/8 b - - id \"stalemate\";";
    const std::string mateInOne = "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - id \"back rank\";";
    folder.write("suite.epd", stalemated + "\r\n" + mated + "\r\n" + mateInOne + "\r\n");
    id = lib().Allocate(1, "Vanta", folder.root().c_str(), 9);
    ASSERT_GE(id, 0);
    ASSERT_EQ(lib().StartEPD(id, folder.path("suite.epd").c_str(), 5, 0, 0), 1);
    // A reader that polls as the window does sees each of the three begin.
    DepthWatcher window;
    for (const auto limit = Clock::now() + 30s; lib().IsRunning(id) && Clock::now() < limit;) {
        window.see(analysisLine());
        std::this_thread::sleep_for(200ms);
    }
    EXPECT_EQ(window.positions, 3);
    ASSERT_EQ(lib().GetAnalysisEPD(id, folder.path("result.epd").c_str()), 1);
    const auto results = linesOf(folder.read("result.epd"));
    ASSERT_EQ(results.size(), 3u);
    EXPECT_EQ(results[0], stalemated + " acd 0; acs 0; ce 0;");
    EXPECT_EQ(results[1], mated + " acd 0; acs 0; ce -32767;");

    {
        CurrentFolder inFolder(folder.root());
        folder.write("BRISVANE.EPD", "7k/6Q1/6K1/8/8/8/8/8 b - -\r\n\r\n");
        ASSERT_EQ(std::system("./Vanta W BRISVANE.EPD"), 0);
        EXPECT_EQ(folder.read("VANTA.EPD"),
                  "7k/6Q1/6K1/8/8/8/8/8 b - - acd 0; acs 0; ce -32767;\r\n");
    }

    // Following a game: the mated position's line replaces the previous position's variation.
    folder.write("open.pgn", "[FEN \"6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1\"]\n\n*\n\n");
    folder.write("mated.pgn", "[FEN \"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1\"]\n\n*\n\n");
    lib().Free(id, 1);
    id = lib().Allocate(1, "Vanta", folder.root().c_str(), 9);
    ASSERT_EQ(lib().StartPGN(id, folder.path("open.pgn").c_str(), 3, 0), 1);
    auto waitFor = [&](auto&& wanted) {
        std::string line;
        for (const auto limit = Clock::now() + 20s; Clock::now() < limit && !wanted(line);) {
            std::this_thread::sleep_for(100ms);
            line = analysisLine();
        }
        return line;
    };
    EXPECT_NE(waitFor([](const std::string& line) {
                  return line.find("Rd8#") != std::string::npos;
              }).find("Rd8#"),
              std::string::npos);
    ASSERT_EQ(lib().UpdatePGN(id, folder.path("mated.pgn").c_str()), 1);
    EXPECT_EQ(waitFor([](const std::string& line) { return line == "  0: "; }), "  0: ");
}

TEST_F(VantaEngine, FailuresAreMessagesNotHangs) {
    CurrentFolder inFolder(folder.root());
    folder.write("BRISVANE.EPD", "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -\r\n");
    folder.write("VANTA.EPD", "an earlier position's result; pv Qg6;\r\n");
    folder.write("nowhere.ini", "Engine=/nonexistent/stockfish\n");
    setenv("VANTA_INI", folder.path("nowhere.ini").c_str(), 1);
    EXPECT_EQ(WEXITSTATUS(std::system("./Vanta W BRISVANE.EPD 2> err.txt")), 1);
    EXPECT_NE(folder.read("err.txt").find("/nonexistent/stockfish"), std::string::npos);
    // The reason stands where the main program looks, and no earlier result is left.
    EXPECT_EQ(folder.read("VANTA.ERR"),
              folder.read("err.txt").substr(0, folder.read("err.txt").size() - 1) + "\r\n");
    EXPECT_FALSE(fs::exists(folder.path("VANTA.EPD")));
    folder.write("VANENG02.EPD", "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - -\r\n");
    EXPECT_EQ(WEXITSTATUS(std::system("./Vanta VANENG02.EPD 00:00:05 0 2> err.txt")), 1);
    EXPECT_EQ(folder.read("VANENG02.ANE").rfind("Vanta: ", 0), 0u);
    EXPECT_NE(folder.read("VANENG02.ANE").find("/nonexistent/stockfish"), std::string::npos);
    setenv("VANTA_INI", folder.path("Vanta.ini").c_str(), 1);
    EXPECT_EQ(WEXITSTATUS(std::system("./Vanta VANENG01.EPD 00:00:05 0 2> err.txt")), 1);
    EXPECT_EQ(folder.read("err.txt"), "Vanta: can't read EPD file VANENG01.EPD\n");
    EXPECT_EQ(folder.read("VANENG01.ANE"), "Vanta: can't read EPD file VANENG01.EPD\r\n");
    EXPECT_EQ(WEXITSTATUS(std::system("./Vanta 2> err.txt")), 1);
    EXPECT_NE(folder.read("err.txt").find("Usage: Vanta"), std::string::npos);
}

}  // namespace
