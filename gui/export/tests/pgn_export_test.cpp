#include "pgn_export.h"

#include <QFile>
#include <QProcess>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>

#include <gtest/gtest.h>

#include "golden_file.h"
#include "orvanel.h"
#include "scripted_prompts.h"
#include "temp_folder.h"

namespace {

const std::string kLine =
    "r1bq1rk1/ppp2ppp/2n5/3p4/3P4/2P5/PP3PPP/R2QKB1R w KQ - bm Qg6; id TS.001;";

std::string tags(const std::string& white, const std::string& black, const std::string& fen) {
    return "[Event \"Computer Chess Test Suite\"]\r\n[Site \"Brisvane V1.5\"]\r\n"
           "[Date \"1998.02.01\"]\r\n[Round \"?\"]\r\n[White \"" +
           white + "\"]\r\n[Black \"" + black +
           "\"]\r\n[Result \"*\"]\r\n[SetUp \"1\"]\r\n[FEN \"" + fen + " 0 1\"]\r\n\r\n";
}

TEST(PgnExport, GamesFollowTheSettings) {
    const std::string fen = "r1bq1rk1/ppp2ppp/2n5/3p4/3P4/2P5/PP3PPP/R2QKB1R w KQ -";
    struct Case {
        std::string line;
        std::size_t number;
        PgnExportOptions options;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {kLine, 1, {}, tags("TS.001", "Qg6", fen) + "1.*\r\n\r\n"},
        {kLine, 1, {true, true, true}, tags("TS.001", "Qg6", fen) + "*\r\n\r\n"},
        {kLine, 3, {false, false, false}, tags("test", "EPD00003", fen) + "1.*\r\n\r\n"},
        // Only the first of several best moves, and only a legal SAN move, becomes the move
        // text: no queen reaches g6 here, so Qg6 would make a game no reader takes.
        {kLine, 1, {false, true, true}, tags("TS.001", "Qg6", fen) + "1.*\r\n\r\n"},
        {fen + " bm Qg4 Rxe2;",
         1,
         {false, true, true},
         tags("?", "Qg4 Rxe2", fen) + "1.Qg4 *\r\n\r\n"},
        {fen + " bm Qg4+!;", 1, {false, false, true}, tags("?", "?", fen) + "1.Qg4+! *\r\n\r\n"},
        {fen + " bm {Qg4;", 1, {false, false, true}, tags("?", "?", fen) + "1.*\r\n\r\n"},
        // A pinned knight named by its file may not move either.
        {"4k3/4r3/8/8/8/8/4N3/1N2K3 w - - bm Nbd2 Ned4;",
         1,
         {false, false, true},
         tags("?", "?", "4k3/4r3/8/8/8/8/4N3/1N2K3 w - -") + "1.Nbd2 *\r\n\r\n"},
        {"4k3/4r3/8/8/8/8/4N3/1N2K3 w - - bm Ned4;",
         1,
         {false, false, true},
         tags("?", "?", "4k3/4r3/8/8/8/8/4N3/1N2K3 w - -") + "1.*\r\n\r\n"},
        // Black to move; a quoted id is the same as a bare one.
        {"4k3/8/8/8/8/8/8/4K3 b - - id \"TS.001\";",
         1,
         {},
         tags("TS.001", "?", "4k3/8/8/8/8/8/8/4K3 b - -") + "1...*\r\n\r\n"},
        // Quotes, backslashes and control characters become a valid tag value.
        {"4k3/8/8/8/8/8/8/4K3 w - - id \"a\\b\"; bm x\"y\x01;",
         1,
         {},
         tags("a\\\\b", "y ", "4k3/8/8/8/8/8/8/4K3 w - -") + "1.*\r\n\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(pgnGameOfLine(c.line, c.number, "test", c.options, "Brisvane V1.5", "1998.02.01"),
                  c.expected)
            << c.line;
    EXPECT_EQ(pgnClipboardGame("4k3/8/8/8/8/8/8/4K3 b - - bm Kd7;", "Brisvane V1.5", "1998.02.01"),
              "[Event \"Test Position\"]\r\n[Site \"Brisvane V1.5\"]\r\n[Date \"1998.02.01\"]\r\n"
              "[Round \"1\"]\r\n[White \"White\"]\r\n[Black \"Black\"]\r\n[Result \"*\"]\r\n"
              "[SetUp \"1\"]\r\n[FEN \"4k3/8/8/8/8/8/8/4K3 b - - 0 1\"]\r\n\r\n1... *\r\n\r\n");
}

// The first four fields of a line, one blank apart; a missing field, or an en-passant field that
// names no square (kaufman.epd writes "- -1 12"), is "-".
std::string fourFieldsOf(std::string_view line) {
    std::string fields;
    std::size_t at = 0;
    for (int field = 0; field < 4; ++field) {
        at = std::min(line.find_first_not_of(' ', at), line.size());
        const std::size_t end = std::min(line.find(' ', at), line.size());
        std::string_view token = line.substr(at, end - at);
        const bool square = token.size() == 2 && token[0] >= 'a' && token[0] <= 'h' &&
                            (token[1] == '3' || token[1] == '6');
        if (token.empty() || (field == 3 && !square)) token = "-";
        fields.append(field ? " " : "").append(token);
        at = end;
    }
    return fields;
}

// Positions read back from an export, in order; a game with a move also gives the position
// after it, so each line's four fields must come up in order among them.
void expectLinesInOrder(const std::vector<std::string>& positions,
                        const std::vector<std::string>& lines, const std::string& reader) {
    std::size_t compared = 0;
    for (const std::string& position : positions)
        if (compared < lines.size() && fourFieldsOf(position) == fourFieldsOf(lines[compared]))
            ++compared;
    EXPECT_EQ(compared, lines.size()) << reader << " lost a game or changed its position";
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// Reads an exported file with pgn-extract, which must not complain, and with our converter,
// which converts every game from its FEN tag.
void expectReadersAgree(const std::string& pgn, const std::vector<std::string>& lines) {
    QProcess extract;
    extract.start(QStringLiteral("/usr/games/pgn-extract"),
                  {QStringLiteral("-s"), QStringLiteral("-Wepd"), QString::fromStdString(pgn)});
    ASSERT_TRUE(extract.waitForFinished(60000));
    // Without its progress count ("Games: 1000\r"), pgn-extract says nothing on a good file.
    const std::string complaints = std::regex_replace(extract.readAllStandardError().toStdString(),
                                                      std::regex("Games: [0-9]+\r"), "");
    EXPECT_EQ(complaints, "") << pgn;
    expectLinesInOrder(splitLines(extract.readAllStandardOutput().toStdString()), lines,
                       "pgn-extract");

    const std::string epd = pgn + ".epd";
    std::ostringstream out, err;
    std::istringstream in;
    EXPECT_EQ(runOrvanel({"-g", "1", pgn, epd}, out, err, in, {MoveRoad::Candidates, true}), 0)
        << out.str() << err.str();
    std::ifstream converted(epd, std::ios::binary);
    expectLinesInOrder(splitLines(std::string(std::istreambuf_iterator<char>(converted), {})),
                       lines, "Orvanel");
}

std::vector<std::string> epdLinesOf(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 14) lines.push_back(line);
    }
    return lines;
}

// Every suite of the test data, exported with every combination of the three settings, reads
// back in two other readers with each game starting from its line's position; a small file is
// kept as the golden copy of each combination.
TEST(PgnExport, ExportedSuitesReadBackInOtherReaders) {
    if (!QFile::exists(QStringLiteral("/usr/games/pgn-extract")))
        GTEST_SKIP() << "pgn-extract is not installed (Debian package pgn-extract)";
    std::vector<std::string> suites = {std::string(BRISVANE_SOURCE_DIR) + "/samples/sample.epd"};
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(BRISVANE_TESTDATA_DIR) + "/epd"))
        suites.push_back(entry.path().string());
    std::vector<std::string> odd = {
        "4k3/8/8/8/8/8/8/4K3 w - - id \"odd \\\" \\\\ {} \xE9\"; bm {Ke2;",
        "4k3/8/8/8/8/8/8/4K3 b - - bm Kd7 Ke7; id \"two \\\"best\\\" moves\";",
        // What stands between the fields and the operations is no part of the position.
        "4k3/8/8/8/8/8/8/4K3 w - - acd 9; bm Kd2;", "4k3/8/8/8/8/8/8/4K3 w - - ; bm Kd2;",
        "4k3/8/8/8/8/8/8/4K3 b - - 0 31 bm Kd7;", "4k3/8/8/8/8/8/8/4K3 w - - 12  40",
        "4k3/8/8/8/8/8/8/4K3 w -"};
    const std::vector<std::string> wac =
        epdLinesOf(std::string(BRISVANE_TESTDATA_DIR) + "/epd/wac.epd");
    const std::vector<std::string> small = {wac[0], wac[1], odd[0], odd[1]};
    TempFolder folder;
    auto exportLines = [&folder](const std::vector<std::string>& document, const std::string& name,
                                 const std::string& epdName, const PgnExportOptions& options) {
        ScriptedPrompts prompts;
        prompts.file(folder.path(name));
        if (std::filesystem::exists(folder.path(name))) prompts.yes();
        exportPgnFile(prompts,
                      {true, epdName, folder.root(), document.size(),
                       [&document](std::size_t i) { return std::string_view(document[i]); }},
                      options, "Brisvane V1.5", "2026.12.08", false);
        EXPECT_TRUE(prompts.unexpected().empty());
        return folder.read(name);
    };
    for (int combination = 0; combination < 8; ++combination) {
        const PgnExportOptions options{(combination & 4) != 0, (combination & 2) != 0,
                                       (combination & 1) != 0};
        const std::string name = "settings-" + std::to_string(combination) + ".pgn";
        expectGolden(name, exportLines(small, name, "NONAME", options));
        exportLines(odd, "odd.pgn", "odd.epd", options);
        expectReadersAgree(folder.path("odd.pgn"), odd);
        for (const std::string& suite : suites) {
            SCOPED_TRACE(suite + " with settings " + std::to_string(combination));
            const std::vector<std::string> lines = epdLinesOf(suite);
            exportLines(lines, "suite.pgn", "suite.epd", options);
            expectReadersAgree(folder.path("suite.pgn"), lines);
        }
    }
    // The move counters of a FEN-style line are its own.
    EXPECT_EQ(pgnStartOfLine(odd[4]).fen, "4k3/8/8/8/8/8/8/4K3 b - - 0 31");
    EXPECT_EQ(pgnStartOfLine(odd[5]).fen, "4k3/8/8/8/8/8/8/4K3 w - - 12 40");

    // An existing file answered No stays as it was.
    ScriptedPrompts prompts;
    prompts.file(folder.path("suite.pgn")).no();
    const std::string before = folder.read("suite.pgn");
    exportPgnFile(prompts,
                  {true, "wac.epd", folder.root(), 1,
                   [&odd](std::size_t) { return std::string_view(odd[0]); }},
                  {}, "Brisvane V1.5", "2000.01.01", false);
    EXPECT_EQ(folder.read("suite.pgn"), before);
}

}  // namespace
