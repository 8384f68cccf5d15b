#include "pgn_export.h"

#include <QFile>
#include <QProcess>

#include <fstream>

#include <gtest/gtest.h>

#include "golden_file.h"
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
        {kLine, 1, {false, true, true}, tags("TS.001", "Qg6", fen) + "1.Qg6 *\r\n\r\n"},
        {kLine, 1, {true, true, true}, tags("TS.001", "Qg6", fen) + "*\r\n\r\n"},
        {kLine, 3, {false, false, false}, tags("test", "EPD00003", fen) + "1.*\r\n\r\n"},
        {kLine, 1, {false, false, true}, tags("?", "?", fen) + "1.Qg6 *\r\n\r\n"},
        // Only the first of several best moves, and only a SAN move, becomes the move text.
        {fen + " bm Qg6 Rxe2;", 1, {false, false, true}, tags("?", "?", fen) + "1.Qg6 *\r\n\r\n"},
        {fen + " bm {Qg6;", 1, {false, false, true}, tags("?", "?", fen) + "1.*\r\n\r\n"},
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

// Reads a PGN file with pgn-extract, which must not complain; the games' positions come out
// in order, equal to the four fields of their lines.
void expectPgnExtractReads(const std::string& path, const std::vector<std::string>& lines) {
    QProcess extract;
    extract.start(QStringLiteral("/usr/games/pgn-extract"),
                  {QStringLiteral("-s"), QStringLiteral("-Wepd"), QString::fromStdString(path)});
    ASSERT_TRUE(extract.waitForFinished(30000));
    EXPECT_EQ(extract.readAllStandardError().toStdString(), "") << path;
    std::size_t compared = 0;
    for (const QByteArray& epd : extract.readAllStandardOutput().split('\n')) {
        if (epd.trimmed().isEmpty()) continue;
        const QList<QByteArray> fields = epd.split(' ');
        const std::string fourFields = (fields.value(0) + ' ' + fields.value(1) + ' ' +
                                        fields.value(2) + ' ' + fields.value(3))
                                           .toStdString();
        // A game with a move also gives the position after it.
        if (compared < lines.size() && lines[compared].substr(0, fourFields.size()) == fourFields)
            ++compared;
    }
    EXPECT_EQ(compared, lines.size()) << path;
}

// Every combination of the three settings: a small file as its golden copy, and the whole suite
// read back by pgn-extract without a complaint.
TEST(PgnExport, AnExportedSuiteReadsBackInPgnExtract) {
    if (!QFile::exists(QStringLiteral("/usr/games/pgn-extract")))
        GTEST_SKIP() << "pgn-extract is not installed (Debian package pgn-extract)";
    std::vector<std::string> lines;
    std::ifstream in(std::string(BRISVANE_TESTDATA_DIR) + "/epd/wac.epd");
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 14) lines.push_back(line);
    }
    lines.push_back("4k3/8/8/8/8/8/8/4K3 w - - id \"odd \\\" \\\\ {} \xE9\"; bm {Ke2;");
    lines.push_back("4k3/8/8/8/8/8/8/4K3 b - - bm Kd7 Ke7; id \"two \\\"best\\\" moves\";");
    const std::vector<std::string> small = {lines[0], lines[1], lines[lines.size() - 2],
                                            lines.back()};
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
        exportLines(lines, "wac.pgn", "wac.epd", options);
        expectPgnExtractReads(folder.path("wac.pgn"), lines);
    }

    // An existing file answered No stays as it was.
    ScriptedPrompts prompts;
    prompts.file(folder.path("wac.pgn")).no();
    const std::string before = folder.read("wac.pgn");
    exportPgnFile(prompts,
                  {true, "wac.epd", folder.root(), 1,
                   [&lines](std::size_t) { return std::string_view(lines[0]); }},
                  {}, "Brisvane V1.5", "2000.01.01", false);
    EXPECT_EQ(folder.read("wac.pgn"), before);
}

}  // namespace
