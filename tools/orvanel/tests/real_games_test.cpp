// Published games converted by Orvanel and by pgn-extract (Debian's well-kept PGN tool, which
// writes EPD with -Wepd): every position of every game both convert must agree.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "orvanel.h"
#include "temp_folder.h"

namespace {

using Lines = std::vector<std::string>;

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The games of a PGN text, each cut at the line that starts with its Event tag.
Lines splitGames(const std::string& text) {
    Lines games;
    std::size_t start = 0;
    for (;;) {
        std::size_t next = text.find("\n[Event ", start);
        std::string piece = text.substr(start, next == std::string::npos ? std::string::npos
                                                                         : next + 1 - start);
        if (piece.find("[Event ") != std::string::npos) {
            while (!piece.empty() && (piece.back() == '\n' || piece.back() == '\r')) piece.pop_back();
            games.push_back(piece + "\n\n");
        }
        if (next == std::string::npos) return games;
        start = next + 1;
    }
}

std::string pgnExtract() {
    for (const char* path : {"/usr/games/pgn-extract", "/usr/bin/pgn-extract"})
        if (std::filesystem::exists(path)) return path;
    return {};
}

// The four position fields of each line pgn-extract writes for the first game of a file (a
// game without tags may follow it; the converter never reads past the game it counts).
Lines extractLines(const std::string& program, const std::string& file) {
    const std::string command = program + " -s -Wepd '" + file + "' 2>/dev/null";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), &pclose);
    Lines lines;
    if (!pipe) return lines;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe.get())) {
        std::string line(buffer);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
        if (line.empty()) break;
        std::size_t at = 0;
        for (int field = 0; field < 4 && at != std::string::npos; ++field) {
            at = line.find(' ', at);
            if (at != std::string::npos && field < 3) ++at;
        }
        lines.push_back(line.substr(0, at));
    }
    return lines;
}

struct Tally {
    int agree = 0;
    int differ = 0;
    int bothReject = 0;
    int onlyExtractRejects = 0;
    long positions = 0;
    Lines orvanelRejects;  // "game N: message"
};

Tally compareFile(const std::string& name, int every = 1) {
    const std::string program = pgnExtract();
    Tally tally;
    TempFolder folder;
    const Lines games = splitGames(readFile(std::string(BRISVANE_TESTDATA_DIR) + "/pgn/" + name));
    for (std::size_t i = 0; i < games.size(); i += static_cast<std::size_t>(every)) {
        const std::string pgn = folder.path("game.pgn");
        const std::string epd = folder.path("game.epd");
        folder.write("game.pgn", games[i]);
        std::ostringstream out, err;
        std::istringstream in;
        const int status = runOrvanel({pgn, epd}, out, err, in);
        const Lines expected = extractLines(program, pgn);
        if (status != 0) {
            if (expected.empty()) ++tally.bothReject;
            else tally.orvanelRejects.push_back("game " + std::to_string(i + 1) + ": " + out.str());
            continue;
        }
        Lines produced;
        std::istringstream text(readFile(epd));
        for (std::string line; std::getline(text, line);) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            produced.push_back(line);
        }
        if (expected.empty()) {
            ++tally.onlyExtractRejects;
        } else if (produced == expected) {
            ++tally.agree;
            tally.positions += static_cast<long>(produced.size());
        } else {
            ++tally.differ;
            ADD_FAILURE() << name << " game " << i + 1 << " differs";
        }
    }
    return tally;
}

class RealGames : public testing::Test {
protected:
    void SetUp() override {
        if (pgnExtract().empty()) FAIL() << "pgn-extract is not installed (scripts/setup-debian.sh)";
    }
};

TEST_F(RealGames, AnnotatedCollectionsAgreeGameByGame) {
    for (const auto& [name, games] : {std::pair<const char*, int>{"fischer.pgn", 34},
                                      {"najdorf.pgn", 8},
                                      {"petrosian.pgn", 35}}) {
        const Tally tally = compareFile(name);
        EXPECT_EQ(tally.agree, games) << name;
        EXPECT_EQ(tally.differ, 0) << name;
        EXPECT_TRUE(tally.orvanelRejects.empty()) << name << ": " << tally.orvanelRejects.front();
    }
}

TEST_F(RealGames, TournamentGamesAgree) {
    const Tally tally = compareFile("Carlsen.pgn", 10);  // every tenth of 1,782 games
    EXPECT_EQ(tally.agree, 179);
    EXPECT_EQ(tally.differ, 0);
    EXPECT_GT(tally.positions, 15000);
    EXPECT_TRUE(tally.orvanelRejects.empty()) << tally.orvanelRejects.front();
}

TEST_F(RealGames, HandWrittenGamesAgreeOrFailOnWhatTheReaderDoesNotAccept) {
    const Tally tally = compareFile("immortal-games.pgn");
    EXPECT_EQ(tally.differ, 0);
    EXPECT_EQ(tally.agree, 30);
    EXPECT_EQ(tally.bothReject, 3);  // "Rf8", "Rd1" and "Nd7" that fit two pieces
    // Three games break rules the reader keeps and pgn-extract bends: a knight move that fits
    // two knights, dots standing apart from their move number, and a comma in the movetext.
    EXPECT_EQ(tally.orvanelRejects,
              (Lines{"game 1: Orvanel: error in line 14 of PGN file: move \"Nd7\" is not unique\n\n",
                     "game 2: Orvanel: line 61 : . - unexpected symbol found in token stream\n",
                     "game 36: Orvanel: line 72 : , - unexpected symbol found in token stream\n"}));
}

TEST_F(RealGames, MalformedGamesAreRejectedByBoth) {
    for (const char* name : {"linebreak-windows.pgn", "linebreak-mac.pgn"}) {
        const Tally tally = compareFile(name);
        EXPECT_EQ(tally.bothReject, 1) << name;
        EXPECT_EQ(tally.agree + tally.differ, 0) << name;
    }
}

}  // namespace
