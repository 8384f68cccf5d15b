#include "orvanel.h"

#include <cstdlib>
#include <sstream>

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kInitial = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
const std::string kAfterE4 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3";
const std::string kAfterE5 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6";

std::string game(const std::string& tags, const std::string& moves) {
    return tags + "\n" + moves + "\n\n";
}

class Orvanel : public testing::Test {
protected:

    int run(Lines arguments) {
        out.str("");
        err.str("");
        std::istringstream in("\n");
        return runOrvanel(arguments, out, err, in);
    }
    int convert(const std::string& pgn, Lines options = {}) {
        folder.write("in.pgn", pgn);
        options.push_back("in.pgn");
        options.push_back("out.epd");
        return run(options);
    }
    Lines epdLines() {
        std::istringstream text(folder.read("out.epd"));
        Lines lines;
        std::string line;
        while (std::getline(text, line)) {
            EXPECT_FALSE(line.empty() || line.back() != '\r') << "lines end in CR LF";
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    TempFolder folder;
    // The programs write their error and log files into the current folder.
    CurrentFolder inFolder{folder.root()};
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(Orvanel, ConvertsTheMainLineOfTheWantedGame) {
    EXPECT_EQ(convert(game("[Result \"*\"]\n", "1. e4 (1. d4 d5) e5 *")), 0);
    EXPECT_EQ(epdLines(), (Lines{kInitial, kAfterE4, kAfterE5}));
    EXPECT_EQ(out.str(), "");
}

TEST_F(Orvanel, GamesAreCountedByTheirResultTag) {
    const std::string pgn = game("[Event \"no result\"]\n", "1. d4 *") +
                            game("[Result \"1-0\"]\n", "1. e4 *") +
                            game("[Result \"0-1\"]\n", "1. e4 e5 *");
    EXPECT_EQ(convert(pgn, {"-g", "1"}), 0);
    EXPECT_EQ(epdLines(), (Lines{kInitial, kAfterE4}));
    EXPECT_EQ(convert(pgn, {"-G2"}), 0);
    EXPECT_EQ(epdLines().size(), 3u);
    EXPECT_EQ(convert(pgn, {"-g", "0"}), 0);  // below 1 means 1
    EXPECT_EQ(epdLines().size(), 2u);
    EXPECT_EQ(convert(pgn, {"-g", "3"}), 0);  // no third game: empty and still a success
    EXPECT_EQ(folder.read("out.epd"), "");
    EXPECT_EQ(convert(pgn, {"-e", "-g", "3"}), 1);
    EXPECT_EQ(folder.read("Orvanel.ERR"),
              "\t" + std::string(kOrvanelVersion) + "\n\n\tOrvanel: looking for game number 3\n"
              "\tOrvanel: actual game counter: 2\n");
}

TEST_F(Orvanel, AnErrorInAnEarlierGameFailsAndDeletesTheEpdFile) {
    const std::string pgn =
        game("[Result \"1-0\"]\n", "1. e4 e5 2. Ke3 *") + game("[Result \"1-0\"]\n", "1. e4 *");
    EXPECT_EQ(convert(pgn, {"-g", "2"}), 1);
    EXPECT_FALSE(folder.exists("out.epd"));
    EXPECT_EQ(out.str(), "Orvanel: error in line 3 (Ke3) of PGN file\n\n");
    EXPECT_EQ(convert(game("[Result \"1-0\"]\n", "1. d4 d5 2. Nf3 Nf6 3. Nd2 *"), {}), 1);
    EXPECT_EQ(out.str(), "Orvanel: error in line 3 of PGN file: move \"Nd2\" is not unique\n\n");
}

TEST_F(Orvanel, DuplicateTags) {
    EXPECT_EQ(convert(game("[White \"a\"]\n[White \"b\"]\n[Result \"*\"]\n", "*")), 1);
    EXPECT_EQ(out.str(), "Orvanel: line 2 - PGN tag <White> found twice in game\n");
    // An empty value leaves its slot empty, so a second tag of that name is no duplicate.
    EXPECT_EQ(convert(game("[Event \"\"]\n[Event \"b\"]\n[Result \"*\"]\n", "*")), 0);
    // Long values are cut to their slot; ignored tags may repeat.
    EXPECT_EQ(convert(game("[Round \"123456789\"]\n[WhiteElo \"1\"]\n[WhiteElo \"2\"]\n"
                           "[Result \"*\"]\n",
                           "1. e4 *")),
              0);
}

TEST_F(Orvanel, FenTagGivesTheFirstLineAsWritten) {
    EXPECT_EQ(convert(game("[Result \"*\"]\n[FEN \"8/8/8/8/8/8/8/K6k w\"]\n", "1. Kb2 *")), 0);
    EXPECT_EQ(epdLines(), (Lines{"8/8/8/8/8/8/8/K6k w - -", "8/8/8/8/8/8/1K6/7k b - -"}));
    EXPECT_EQ(convert(game("[Result \"*\"]\n[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 0 7\"]\n", "*")), 0);
    EXPECT_EQ(epdLines(), (Lines{"4k3/8/8/8/8/8/8/4K3 b - -"}));
    EXPECT_EQ(convert(game("[Result \"*\"]\n[FEN \"4k3/8/8/8/8/8/8/4K3 w KQ\"]\n", "*")), 0);
    EXPECT_EQ(epdLines(), (Lines{"4k3/8/8/8/8/8/8/4K3 w KQ -"}));
    EXPECT_EQ(convert(game("[Result \"*\"]\n[FEN \"8/8/8/8/8/8/8/K6K w\"]\n", "*")), 1);
    EXPECT_EQ(out.str(), "Orvanel: error in initializing internal default board from FEN string\n");
}

TEST_F(Orvanel, VariationStack) {
    EXPECT_EQ(convert(game("[Result \"*\"]\n", "1. e4 e5 (1... c5 (1... e6) 2. Nf3) 2. Nf3 *")), 0);
    EXPECT_EQ(epdLines().size(), 4u);
    EXPECT_EQ(convert(game("[Result \"*\"]\n", "1. e4 e5)")), 1);
    EXPECT_EQ(out.str(), "Orvanel: line 3 : inconsistent variation counter (< 0)\n");
    std::string deep = "1. e4 ";
    for (int i = 0; i < 101; ++i) deep += "(1. d4 ";
    EXPECT_EQ(convert(game("[Result \"*\"]\n", deep)), 1);
    EXPECT_EQ(out.str(), "Orvanel: variation stack overflow (depth > 100)\n");
}

TEST_F(Orvanel, AVeryLongMoveTextIsCutInItsMessage) {
    const std::string longMove = "N" + std::string(900, 'a') + "1";
    EXPECT_EQ(convert(game("[Result \"*\"]\n", "1. " + longMove + " *")), 1);
    EXPECT_LT(out.str().size(), 200u);
    EXPECT_EQ(out.str().rfind("Orvanel: error in line 3 (Naaaa", 0), 0u);
}

TEST_F(Orvanel, OptionsUsageAndVersion) {
    EXPECT_EQ(run({"-v", "-x"}), 0);
    EXPECT_EQ(out.str(), "\n\t" + std::string(kOrvanelVersion) + "\n\n");
    EXPECT_EQ(run({"-H"}), 0);
    EXPECT_NE(out.str().find("    Format: Orvanel [-g <game no>] [-h] [-v] <PGN file> <EPD file>\n"),
              std::string::npos);
    EXPECT_EQ(run({"-x"}), 1);
    EXPECT_EQ(out.str(), "\tOrvanel: x -- invalid option\n");
    EXPECT_EQ(run({"-g"}), 1);
    EXPECT_EQ(out.str(), "\tOrvanel: g -- invalid option\n");
    EXPECT_EQ(run({"a.pgn"}), 1);
    EXPECT_EQ(out.str().rfind("Orvanel: too many arguments\n\n    " + std::string(kOrvanelVersion), 0),
              0u);
    EXPECT_EQ(run({"a", "b", "c"}), 1);
    EXPECT_EQ(run({"-f", "missing.txt", "out.epd"}), 1);
    EXPECT_EQ(out.str(), "\tOrvanel: can't read long QBX filename from file missing.txt\n");
    EXPECT_EQ(run({"missing.pgn", "out.epd"}), 1);
    EXPECT_EQ(out.str(), "Orvanel: can't read PGN file missing.pgn\nOrvanel: can't open file for reading\n");
    EXPECT_FALSE(folder.exists("out.epd"));
    EXPECT_EQ(run({"in.pgn", "no/such/dir/out.epd"}), 1);
    EXPECT_EQ(out.str(), "Orvanel: can't create EPD file no/such/dir/out.epd\n");
}

TEST_F(Orvanel, ListFileNamesAPgnFileWithBlanks) {
    folder.write("a game.pgn", game("[Result \"*\"]\n", "1. e4 *"));
    folder.write("list.txt", folder.path("a game.pgn") + "\n");
    EXPECT_EQ(run({"-d", "-F", "list.txt", "out.epd"}), 0);
    EXPECT_EQ(out.str(), "Orvanel: process PGN file " + folder.path("a game.pgn") + "...\n");
    EXPECT_EQ(epdLines().size(), 2u);
}

// The real program, as the main program starts it.
TEST_F(Orvanel, TheExecutableReportsThroughItsExitStatusAndFiles) {
    const std::string program = std::string(BRISVANE_PROGRAM_DIR) + "/AddOn/Orvanel";
    folder.write("in.pgn", game("[Result \"*\"]\n", "1. e4 e5 *"));
    EXPECT_EQ(std::system((program + " -g 1 in.pgn out.epd > /dev/null").c_str()), 0);
    EXPECT_EQ(epdLines(), (Lines{kInitial, kAfterE4, kAfterE5}));
    const int status = std::system((program + " -e -g 1 in.pgn out2.epd").c_str());
    EXPECT_EQ(WEXITSTATUS(status), 1);  // error-file mode always ends with 1
    EXPECT_TRUE(folder.exists("out2.epd"));
    EXPECT_NE(folder.read("Orvanel.ERR").find("actual game counter: 1"), std::string::npos);
    folder.write("bad.pgn", game("[Result \"*\"]\n", "1. e5 *"));
    EXPECT_EQ(WEXITSTATUS(std::system((program + " bad.pgn out3.epd > msg.txt").c_str())), 1);
    EXPECT_FALSE(folder.exists("out3.epd"));
    EXPECT_EQ(folder.read("msg.txt"), "Orvanel: error in line 3 (e5) of PGN file\n\n");
}

}  // namespace
