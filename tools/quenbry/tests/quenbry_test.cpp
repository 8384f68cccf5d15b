#include "quenbry.h"

#include <cstdlib>
#include <cstring>
#include <sstream>

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

using Lines = std::vector<std::string>;

struct Ply {
    int from;
    int to;
    int promotion = 0;
    bool enPassant = false;
};

// Builds a QBX file: the header with its magic and strings, then the plies.
struct QbxFile {
    std::string bytes = std::string(kQbxHeaderSize, '\0');
    std::vector<Ply> plies;

    QbxFile() {
        setString(0, "QBX300");
        setString(7, "Troll Masters");
        setString(215, "1-0");
    }
    void setString(std::size_t offset, const std::string& text) {
        bytes[offset] = static_cast<char>(text.size());
        std::memcpy(bytes.data() + offset + 1, text.data(), text.size());
    }
    std::string build(int lastMove = -1) const {
        std::string out = bytes;
        const int count = lastMove >= 0 ? lastMove : static_cast<int>(plies.size());
        out[543] = static_cast<char>(count & 0xFF);
        out[544] = static_cast<char>(count >> 8);
        for (const Ply& ply : plies) {
            std::string record(kQbxPlySize, '\0');
            record[0] = static_cast<char>(ply.from);
            record[1] = static_cast<char>(ply.to);
            record[2] = static_cast<char>(ply.promotion);
            record[7] = ply.enPassant ? 1 : 0;
            out += record;
        }
        return out;
    }
};

class Quenbry : public testing::Test {
protected:

    int run(Lines arguments) {
        out.str("");
        return runQuenbry(arguments, out);
    }
    int convert(const QbxFile& file, int lastMove = -1) {
        folder.write("game.qbx", file.build(lastMove));
        return run({"game.qbx", "out.epd"});
    }
    Lines epdLines() {
        std::istringstream text(folder.read("out.epd"));
        Lines lines;
        for (std::string line; std::getline(text, line);) {
            EXPECT_EQ(line.back(), '\r');
            line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    TempFolder folder;
    // The programs write their error and log files into the current folder.
    CurrentFolder inFolder{folder.root()};
    std::ostringstream out;
};

TEST_F(Quenbry, NoPliesGiveTheInitialPosition) {
    EXPECT_EQ(convert(QbxFile()), 0);
    EXPECT_EQ(epdLines(), Lines{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"});
}

TEST_F(Quenbry, PliesMovePiecesAndSetSideAndEnPassant) {
    QbxFile file;
    file.plies = {{14, 34}, {64, 44}, {6, 25}};  // e4 e5 Nf3
    EXPECT_EQ(convert(file), 0);
    EXPECT_EQ(epdLines(),
              (Lines{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
                     "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3",
                     "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq e6",
                     "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq -"}));
}

TEST_F(Quenbry, CastlingMovesTheRookAndClearsRights) {
    QbxFile file;
    // 1. e4 e5 2. Nf3 Nc6 3. Bc4 Bc5 4. O-O Rb8
    file.plies = {{14, 34}, {64, 44}, {6, 25}, {71, 52}, {5, 32}, {75, 42}, {4, 6}, {70, 71}};
    EXPECT_EQ(convert(file), 0);
    const Lines lines = epdLines();
    EXPECT_EQ(lines[7], "r1bqk1nr/pppp1ppp/2n5/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq -");
    EXPECT_EQ(lines[8], "1rbqk1nr/pppp1ppp/2n5/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 w k -");
}

TEST_F(Quenbry, EnPassantAndPromotion) {
    QbxFile file;
    // e4 a6 e5 d5 exd6 (en passant) ... then a pawn marches: d6xc7 b5 cxb8=Q
    file.plies = {{14, 34}, {60, 50}, {34, 44}, {63, 43}, {44, 53, 0, true},
                  {61, 41}, {53, 62}, {41, 31}, {62, 71, 5}};
    EXPECT_EQ(convert(file), 0);
    const Lines lines = epdLines();
    EXPECT_EQ(lines[5], "rnbqkbnr/1pp1pppp/p2P4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq -");
    EXPECT_EQ(lines[9], "rQbqkbnr/4pppp/p7/8/1p6/8/PPPP1PPP/RNBQKBNR b KQkq -");
}

TEST_F(Quenbry, TwoHundredPliesAndAShortFile) {
    QbxFile file;
    for (int i = 0; i < 50; ++i) {
        // Knights hop out and back: Nf3 Nf6 Ng1 Ng8.
        file.plies.push_back({6, 25});
        file.plies.push_back({76, 55});
        file.plies.push_back({25, 6});
        file.plies.push_back({55, 76});
    }
    EXPECT_EQ(convert(file), 0);
    EXPECT_EQ(epdLines().size(), 201u);
    EXPECT_EQ(epdLines().back(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");

    EXPECT_EQ(convert(file, 202), 1);
    EXPECT_EQ(out.str(), "Quenbry: error in reading ply 201 from QBX file\n"
                         "Quenbry: 0 bytes read instead of 42\n");
    EXPECT_FALSE(folder.exists("out.epd"));
}

TEST_F(Quenbry, PliesOffTheBoardAreRejected) {
    QbxFile file;
    file.plies = {{14, 34}, {64, 99}};
    EXPECT_EQ(convert(file), 1);
    EXPECT_EQ(out.str(), "Quenbry: invalid ply 2 in QBX file (from 64 to 99, promotion 0)\n");
    EXPECT_FALSE(folder.exists("out.epd"));
    file.plies = {{18, 34}};  // file digit 8
    EXPECT_EQ(convert(file), 1);
}

TEST_F(Quenbry, HeaderChecks) {
    folder.write("short.qbx", std::string(100, '\x06'));
    EXPECT_EQ(run({"short.qbx", "out.epd"}), 1);
    EXPECT_EQ(out.str(), "Quenbry: file short.qbx is not a valid QBX file\n");
    QbxFile other;
    other.setString(0, "QBX200");
    folder.write("old.qbx", other.build());
    EXPECT_EQ(run({"old.qbx", "out.epd"}), 1);
    EXPECT_EQ(out.str(), "Quenbry: file old.qbx is not an QBXTOOL V3.x QBX file\n");
    EXPECT_EQ(run({"missing.qbx", "out.epd"}), 1);
    EXPECT_EQ(out.str(), "Quenbry: can't read QBX file missing.qbx\n");
}

TEST_F(Quenbry, HeaderDump) {
    QbxFile file;
    file.setString(215, "");
    file.setString(575, "e2e4");
    file.bytes[557] = 3;
    file.bytes[558] = 1;
    file.bytes[560] = 2;
    folder.write("game.qbx", file.build(0));
    EXPECT_EQ(run({"-e", "game.qbx"}), 0);
    const std::string text = out.str();
    EXPECT_EQ(text.rfind("\n    " + std::string(kQuenbryVersion) + "\n\n\n    QBX file header\n"
                         "    ===============\n\n    Event          : Troll Masters\n", 0),
              0u);
    for (const char* line : {"    Result         : <EMPTY>\n",
                             "    Position       : not printable (compacted board representation)\n",
                             "    LastMove       : 0\n", "    CurrentMovce   : 0\n",
                             "    NotationFormat : 3\n", "    SendDate       : TRUE\n",
                             "    Modified       : FALSE\n",
                             "    SendBoard      : unexpected value (2)\n",
                             "    IfMove         : e2e4\n\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_FALSE(folder.exists("out.epd"));

    file.bytes[130] = 9;  // Round has room for 2 characters
    folder.write("bad.qbx", file.build(0));
    EXPECT_EQ(run({"-e", "bad.qbx"}), 1);
    EXPECT_NE(out.str().find("length 9 of Round exceeds its room of 2"), std::string::npos);
}

TEST_F(Quenbry, OptionsAndLogMode) {
    EXPECT_EQ(run({"-V"}), 0);
    EXPECT_EQ(out.str(), "\n\t" + std::string(kQuenbryVersion) + "\n\n");
    EXPECT_EQ(run({"-h"}), 0);
    EXPECT_NE(out.str().find("    Format: Quenbry [-e] <QBX file>\n"), std::string::npos);
    EXPECT_EQ(run({"-g"}), 1);
    EXPECT_EQ(out.str(), "\tQuenbry: g -- invalid option\n");
    EXPECT_EQ(run({"a.qbx"}), 1);
    EXPECT_EQ(out.str().rfind("Quenbry: invalid parameters\n", 0), 0u);
    EXPECT_EQ(run({"-e"}), 1);
    EXPECT_EQ(out.str().rfind("Quenbry: QBX file name missing\n", 0), 0u);
    folder.write("game.qbx", QbxFile().build());
    EXPECT_EQ(run({"-l", "-ddd", "game.qbx", "out.epd"}), 0);
    EXPECT_EQ(out.str(), "");
    const std::string log = folder.read("Quenbry.ERR");
    EXPECT_NE(log.find("Quenbry: number of moves in QBX file: 0\n"), std::string::npos);
    EXPECT_NE(log.find("Quenbry: rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -\n"),
              std::string::npos);
}

TEST_F(Quenbry, TheExecutableReportsThroughItsExitStatusAndFiles) {
    const std::string program = std::string(BRISVANE_PROGRAM_DIR) + "/AddOn/Quenbry";
    QbxFile file;
    file.plies = {{14, 34}};
    folder.write("game.qbx", file.build());
    EXPECT_EQ(std::system((program + " game.qbx out.epd").c_str()), 0);
    EXPECT_EQ(epdLines().size(), 2u);
    folder.write("list.txt", folder.path("game.qbx") + "\n");
    EXPECT_EQ(std::system((program + " -F list.txt out2.epd").c_str()), 0);
    EXPECT_TRUE(folder.exists("out2.epd"));
    EXPECT_EQ(WEXITSTATUS(std::system((program + " -x > /dev/null").c_str())), 1);
}

}  // namespace
