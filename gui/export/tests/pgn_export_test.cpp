#include "pgn_export.h"

#include <QProcess>

#include <fstream>

#include <gtest/gtest.h>

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

TEST(PgnExport, AnExportedSuiteReadsBackInPgnExtract) {
    std::vector<std::string> lines;
    std::ifstream in(std::string(BRISVANE_TESTDATA_DIR) + "/epd/wac.epd");
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 14) lines.push_back(line);
    }
    lines.push_back("4k3/8/8/8/8/8/8/4K3 w - - id \"odd \\\" \\\\ {} \xE9\";");
    TempFolder folder;
    ScriptedPrompts prompts;
    PgnExportDocument document{true, "wac.epd", folder.root(), lines.size(),
                               [&lines](std::size_t i) { return std::string_view(lines[i]); }};
    prompts.file(folder.path("wac.pgn"));
    exportPgnFile(prompts, document, {}, "Brisvane V1.5", pgnToday(), false);
    EXPECT_EQ(prompts.shown().front().request.fileName, "wac");

    QProcess extract;
    extract.start(QStringLiteral("/usr/games/pgn-extract"),
                  {QStringLiteral("-s"), QStringLiteral("-Wepd"),
                   QString::fromStdString(folder.path("wac.pgn"))});
    ASSERT_TRUE(extract.waitForFinished(30000));
    EXPECT_EQ(extract.readAllStandardError().toStdString(), "");
    const QList<QByteArray> out = extract.readAllStandardOutput().split('\n');
    std::size_t compared = 0;
    for (const QByteArray& epd : out) {
        if (epd.trimmed().isEmpty()) continue;
        ASSERT_LT(compared, lines.size());
        const QList<QByteArray> fields = epd.split(' ');
        const std::string fourFields = (fields.value(0) + ' ' + fields.value(1) + ' ' +
                                        fields.value(2) + ' ' + fields.value(3))
                                           .toStdString();
        EXPECT_EQ(lines[compared].substr(0, fourFields.size()), fourFields) << compared;
        ++compared;
    }
    EXPECT_EQ(compared, lines.size());

    // An existing file answered No stays as it was.
    prompts.file(folder.path("wac.pgn")).no();
    const std::string before = folder.read("wac.pgn");
    exportPgnFile(prompts, document, {}, "Brisvane V1.5", "2000.01.01", false);
    EXPECT_EQ(folder.read("wac.pgn"), before);
}

}  // namespace
