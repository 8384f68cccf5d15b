// The analysis windows driven as a user would, through the real engine access library, our
// engine program Vanta and Stockfish.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "epd_analysis_window.h"
#include "scripted_prompts.h"
#include "single_analysis_runner.h"
#include "small_dialogs.h"
#include "temp_folder.h"
#include "when_modal.h"
#include "zbmovgen.h"
#include "zorbutil.h"

namespace {

namespace fs = std::filesystem;
using Messages = std::vector<std::string>;

const std::string kAddOn = BRISVANE_PROGRAM_DIR "/AddOn";

// Quick positions of "Win at Chess": a mate in two and four that Stockfish solves at once.
const std::vector<std::string> kSuite = {
    "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - - bm Qg6; id \"WAC.001\";",
    "5rk1/1ppb3p/p1pb4/6q1/3P1p1r/2P1R2P/PP1BQ1P1/5RKN w - - bm Rg3; id \"WAC.003\";",
    "r1bq2rk/pp3pbp/2p1p1pQ/7P/3P4/2PB1N2/PP3PPR/2KR4 w - - bm Qxh7+; id \"WAC.004\";",
    "5k2/6pp/p1qN4/1p1p4/3P4/2PKP2Q/PP3r2/3R4 b - - bm Qc4+; id \"WAC.005\";",
    "r4q1k/p2bR1rp/2p2Q1N/5p2/5p2/2P5/PP3PPP/R5K1 w - - bm Rf7; id \"WAC.008\";",
};

// Whether a SAN move is legal in the position of an EPD line.
bool legalIn(const std::string& line, const std::string& san) {
    std::istringstream fields(line);
    std::string placement, side, castling, passant;
    fields >> placement >> side >> castling >> passant;
    auto board = zorb::allocateBoard();
    if (zorb::setUpFromFen(*board,
                           placement + " " + side + " " + castling + " " + passant + " 0 1") != 1)
        return false;
    return zorb::matchSan(*board, san) >= 0;
}

std::string firstPvMove(const std::string& line) {
    const auto at = line.find(" pv ");
    if (at == std::string::npos) return {};
    std::istringstream moves(line.substr(at + 4));
    std::string move;
    moves >> move;
    if (!move.empty() && move.back() == ';') move.pop_back();
    return move;
}

class AnalysisWindows : public testing::Test {
protected:
    AnalysisWindows() {
        // An engine folder of its own: the library's exchange files are written there.
        fs::create_directories(folder.path("engine"));
        fs::copy_file(kAddOn + "/EngV9/Vanta", folder.path("engine/Vanta"));
        std::string bytes;
        for (const auto& line : kSuite)
            bytes += line + "\r\n";
        folder.write("suite.epd", bytes);
        original = bytes;
    }
    void TearDown() override {
        EXPECT_TRUE(prompts.unexpected().empty()) << prompts.unexpected().front();
    }
    EngineLocation location() const {
        return EngineLocation{kAddOn, folder.path("engine/Vanta"), 9, 16755712};
    }
    TempFolder folder;
    ScriptedPrompts prompts;
    MemorySettings settings;
    std::string original;
};

TEST(TimeInput, OkTakesATimeWithinItsRange) {
    struct Case {
        const char* hours;
        const char* minutes;
        const char* seconds;
        bool accepted;
        int value;
        std::string message;
    };
    const Case cases[] = {
        {"0", "1", "30", true, 90, ""},
        {"00", "00", "03", true, 5, "Time value out of range - set to min. value"},
        {"99", "59", "59", true, 7200, "Time value out of range - set to max. value"},
        {"100", "0", "0", false, 0, ""},
        {"0", "60", "0", false, 0, ""},
        {"0", "0", "x", false, 0, ""},
    };
    for (const Case& c : cases) {
        ScriptedPrompts prompts;
        TFormTimeInput dialog(prompts);
        dialog.setMaximum(7200);
        dialog.setMinimum(5);
        EXPECT_EQ(dialog.value(), 5);  // the minimum raises the value
        dialog.setValue(8000);         // outside the range: not taken
        dialog.OnShow();
        EXPECT_EQ(dialog.findChild<QLineEdit*>(QStringLiteral("EditSec"))->text(),
                  QStringLiteral("05"));
        dialog.show();
        dialog.findChild<QLineEdit*>(QStringLiteral("EditHour"))->setText(c.hours);
        dialog.findChild<QLineEdit*>(QStringLiteral("EditMin"))->setText(c.minutes);
        dialog.findChild<QLineEdit*>(QStringLiteral("EditSec"))->setText(c.seconds);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("BtnOK")), Qt::LeftButton);
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.hours << c.minutes;
        if (c.accepted) {
            EXPECT_EQ(dialog.value(), c.value);
        }
        EXPECT_EQ(prompts.messages(), c.message.empty() ? Messages{} : Messages{c.message});
    }
    EXPECT_EQ(TFormTimeInput::shortened(std::string(41, 'a')), std::string(37, 'a') + "...");
}

TEST_F(AnalysisWindows, AWholeFileIsAnalysedWrittenBackAndLogged) {
    TFormEngAna window(prompts, &settings, folder.root(), [this] { return location(); });
    window.show();
    prompts.file(folder.path("suite.epd"));
    QTest::mouseClick(window.findChild<QLineEdit*>(QStringLiteral("EditEPDfile")), Qt::LeftButton);
    auto* counter = window.findChild<QLabel*>(QStringLiteral("LblCounter"));
    EXPECT_EQ(counter->text(), "0/5");
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("BtnStartAnalysis")),
                      Qt::LeftButton);
    ASSERT_TRUE(window.analysing())
        << (prompts.messages().empty() ? "" : prompts.messages().back());
    EXPECT_TRUE(window.windowTitle().endsWith(" (analyzing...)"));
    std::set<QString> counters;
    EXPECT_TRUE(waitUntil(
        [&] {
            counters.insert(counter->text());
            return !window.analysing();
        },
        90000));
    EXPECT_EQ(counters, (std::set<QString>{"0/5", "1/5", "2/5", "3/5", "4/5", "5/5"}));
    EXPECT_EQ(folder.read("suite.OLD"), original);
    // Every line comes back with the engine's operations and a legal first move.
    std::istringstream analysed(folder.read("suite.epd"));
    std::string line;
    std::size_t lines = 0;
    while (std::getline(analysed, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ASSERT_LT(lines, kSuite.size());
        EXPECT_EQ(line.rfind(kSuite[lines], 0), 0u) << line;
        EXPECT_NE(line.find(" acd "), std::string::npos) << line;
        EXPECT_TRUE(legalIn(line, firstPvMove(line))) << line;
        ++lines;
    }
    EXPECT_EQ(lines, kSuite.size());
    const std::string log = folder.read("suite.LOG");
    EXPECT_EQ(log.rfind("EPD file analysis logfile created by Brisvane\r\n", 0), 0u);
    EXPECT_NE(log.find("Number of positions   : 5\r\n"), std::string::npos);
    EXPECT_NE(log.find("Engine                : Vanta 9 Engine\r\n"), std::string::npos);
    EXPECT_NE(log.find("Position: 5\r\nBest Move(s): Rf7\r\n"), std::string::npos);
    EXPECT_NE(log.find("Position 1 (WAC.001): bm Qg6; engine Qg6 - solved"), std::string::npos);
    EXPECT_NE(log.find("Solved: "), std::string::npos);
    EXPECT_TRUE(prompts.messages().empty());
}

TEST_F(AnalysisWindows, AStopInTheMiddleLeavesTheFileUntouched) {
    TFormEngAna window(prompts, &settings, folder.root(), [this] { return location(); });
    window.show();
    window.analysis().chooseFile(folder.path("suite.epd"));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("BtnStartAnalysis")),
                      Qt::LeftButton);
    auto* counter = window.findChild<QLabel*>(QStringLiteral("LblCounter"));
    ASSERT_TRUE(waitUntil([&] { return counter->text() == "2/5"; }, 30000));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("BtnStopAnalysis")),
                      Qt::LeftButton);
    EXPECT_FALSE(window.analysing());
    QTest::qWait(500);
    EXPECT_EQ(folder.read("suite.epd"), original);
    EXPECT_FALSE(folder.exists("suite.OLD"));
    EXPECT_TRUE(window.findChild<QPushButton*>(QStringLiteral("BtnStartAnalysis"))->isEnabled());
}

// Engines that misbehave, through the real library: one that never writes a line, one that
// writes garbage, one that dies at once. The watch ends, nothing hangs, the file stays.
TEST_F(AnalysisWindows, MisbehavingEnginesNeverCostTheFile) {
    for (const char* name : {"silent", "garbage", "crash"}) {
        fs::copy_file(FAKE_ENGINE, folder.path(std::string("engine/") + name),
                      fs::copy_options::overwrite_existing);
        EngineLocation bad = location();
        bad.enginePath = folder.path(std::string("engine/") + name);
        TFormEngAna window(prompts, &settings, folder.root(), [bad] { return bad; });
        window.show();
        window.analysis().chooseFile(folder.path("suite.epd"));
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("BtnStartAnalysis")),
                          Qt::LeftButton);
        // The silent one stops the watch after eleven empty ticks, the crashed one ends the
        // analysis; the garbage one is watched until the user stops it.
        const bool ended = waitUntil([&] { return !window.timer()->isActive(); }, 4000);
        EXPECT_EQ(ended, std::string(name) != "garbage") << name;
        if (std::string(name) == "silent") {
            EXPECT_TRUE(window.findChild<QPlainTextEdit*>(QStringLiteral("AnalysisArea"))
                            ->toPlainText()
                            .contains(QStringLiteral("Watch engine's analysis stopped")));
        }
        if (std::string(name) == "crash") {
            EXPECT_FALSE(window.analysing());
        }
        if (window.analysing())
            QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("BtnStopAnalysis")),
                              Qt::LeftButton);
        EXPECT_FALSE(window.analysing()) << name;
        EXPECT_EQ(folder.read("suite.epd"), original) << name;
        EXPECT_FALSE(folder.exists("suite.OLD")) << name;
    }
}

// Child processes of this test that have not been reaped: running or zombies.
int unreapedChildren() {
    int children = 0;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::ifstream stat(entry.path() / "stat");
        std::string pid, name, state;
        long parent = 0;
        if (stat >> pid >> name >> state >> parent && parent == ::getpid()) ++children;
    }
    return children;
}

// The ends of a run through the real road: the engine program's reason when it finds no UCI
// engine, a run whose last line is passed over as evaluated, and a line the window cannot
// draw, after which no engine goes on unseen.
TEST_F(AnalysisWindows, EveryEndOfARunIsSaidAndLeavesNoEngine) {
    TFormEngAna window(prompts, &settings, folder.root(), [this] { return location(); });
    window.show();
    auto* start = window.findChild<QPushButton*>(QStringLiteral("BtnStartAnalysis"));
    auto run = [&](const std::string& bytes) {
        folder.write("run.epd", bytes);
        window.analysis().chooseFile(folder.path("run.epd"));
        QTest::mouseClick(start, Qt::LeftButton);
        EXPECT_TRUE(waitUntil([&] { return !window.analysing(); }, 30000));
        QTest::qWait(300);
    };
    folder.write("nowhere.ini", "Engine=/nonexistent/stockfish\n");
    qputenv("VANTA_INI", QByteArray::fromStdString(folder.path("nowhere.ini")));
    run(kSuite[0] + "\r\n");
    qunsetenv("VANTA_INI");
    ASSERT_FALSE(prompts.messages().empty());
    EXPECT_EQ(prompts.messages().back().rfind("Can't start Vanta engine\nVanta: ", 0), 0u);
    EXPECT_NE(prompts.messages().back().find("/nonexistent/stockfish"), std::string::npos);
    EXPECT_TRUE(window.findChild<QPlainTextEdit*>(QStringLiteral("AnalysisArea"))
                    ->toPlainText()
                    .contains(QStringLiteral("/nonexistent/stockfish")));

    const std::string evaluated = kSuite[1] + " ce 120;";
    run(kSuite[0] + "\r\n" + evaluated + "\r\n");
    EXPECT_EQ(folder.read("run.OLD"), kSuite[0] + "\r\n" + evaluated + "\r\n");
    EXPECT_NE(folder.read("run.epd").find(" acd "), std::string::npos);
    EXPECT_NE(folder.read("run.LOG").find("Position 2 (WAC.003): bm Rg3; skipped"),
              std::string::npos);

    const std::size_t before = prompts.messages().size();
    run("2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1R w - - bm Qg6;\r\n" + kSuite[1] +
        "\r\n");
    ASSERT_EQ(prompts.messages().size(), before + 1);
    EXPECT_EQ(prompts.messages().back(), "Error in EPD description (line 1)");
    EXPECT_EQ(unreapedChildren(), 0);
    EXPECT_TRUE(start->isEnabled());
    EXPECT_FALSE(window.findChild<QPushButton*>(QStringLiteral("BtnStopAnalysis"))->isEnabled());
}

class SingleAnalysisRoads : public AnalysisWindows {
protected:
    TSingleAnalysis::Context context(const AppSettings& options) {
        TSingleAnalysis::Context c;
        c.options = [options] { return options; };
        fs::create_directories(folder.path("tmp"));
        c.tempFolder = folder.path("tmp");
        c.addOnFolder = kAddOn;
        c.currentLine = [this] { return line; };
        c.replaceLine = [this](const std::string& replaced) { line = replaced; };
        c.showInLineField = [this](const QString& text) {
            if (!text.isEmpty()) waitText = text.toStdString();
        };
        c.german = [] { return false; };
        return c;
    }
    std::string line = kSuite[0];
    std::string waitText;
};

TEST_F(SingleAnalysisRoads, TheLibraryEngineOffersALegalPv) {
    AppSettings options;
    options.selection = 3;
    options.libraryUsable = true;
    options.libraryFolder = kAddOn;
    options.vantaEngine = folder.path("engine/Vanta");
    options.vantaEngineType = 9;
    QWidget window;
    TSingleAnalysis analysis(prompts, context(options), &window);
    whenModal<TFormVanEng>([](TFormVanEng* watch) {
        EXPECT_TRUE(watch->windowTitle().startsWith("Brisvane: Vanta 9 Engine"));
        waitUntil([watch] { return watch->memo()->toPlainText().contains(QStringLiteral("Qg6")); },
                  20000);
        watch->findChild<QPushButton*>(QStringLiteral("BtnStop"))->click();
    });
    prompts.yes();
    analysis.analyse();
    ASSERT_FALSE(prompts.shown().empty());
    EXPECT_EQ(
        prompts.shown().back().text.rfind("Add Vanta engine's pv EPD opcode value\n pv Qg6", 0), 0u)
        << prompts.shown().back().text;
    EXPECT_EQ(line.rfind(kSuite[0] + " pv Qg6", 0), 0u) << line;
    EXPECT_TRUE(legalIn(line, firstPvMove(line)));
}

TEST_F(SingleAnalysisRoads, TheVanta9RoadWaitsAndOffersThePv) {
    AppSettings options;
    options.selection = 2;
    options.vanta9 = folder.path("engine/Vanta");
    options.hashSizeV9 = 5;
    folder.write("vanta.ini", "Vanta9Seconds=1\n");
    qputenv("VANTA_INI", QByteArray::fromStdString(folder.path("vanta.ini")));
    line = kSuite[1];
    QWidget window;
    TSingleAnalysis analysis(prompts, context(options), &window);
    prompts.yes();
    analysis.analyse();
    qunsetenv("VANTA_INI");
    EXPECT_EQ(waitText, " ***** WAIT FOR VANTA'S ANALYSIS RESULT ***** ");
    EXPECT_EQ(folder.read("engine/BRISVANE.EPD"),
              "5rk1/1ppb3p/p1pb4/6q1/3P1p1r/2P1R2P/PP1BQ1P1/5RKN w - -\r\n\r\n");
    ASSERT_FALSE(prompts.shown().empty());
    EXPECT_EQ(prompts.shown().back().text.rfind("Add Vanta's pv EPD opcode value\npv ", 0), 0u);
    EXPECT_NE(line.find("; pv "), std::string::npos) << line;
    EXPECT_TRUE(legalIn(line, firstPvMove(line))) << line;
}

// Without a UCI engine both Vanta roads say why, and nothing is offered.
TEST_F(SingleAnalysisRoads, BothVantaRoadsGiveTheEngineProgramsReason) {
    folder.write("nowhere.ini", "Engine=/nonexistent/stockfish\n");
    qputenv("VANTA_INI", QByteArray::fromStdString(folder.path("nowhere.ini")));
    AppSettings options;
    options.selection = 2;
    options.vanta9 = folder.path("engine/Vanta");
    options.libraryUsable = true;
    options.libraryFolder = kAddOn;
    options.vantaEngine = folder.path("engine/Vanta");
    options.vantaEngineType = 9;
    QWidget window;
    TSingleAnalysis vanta9(prompts, context(options), &window);
    vanta9.analyse();
    options.selection = 3;
    TSingleAnalysis library(prompts, context(options), &window);
    // Vanta usually ends before the library's first look; on a busy machine the watch opens
    // and shows the reason itself.
    QString watched;
    QTimer closer;
    QElapsedTimer since;
    since.start();
    QObject::connect(&closer, &QTimer::timeout, [&watched, &since] {
        if (auto* watch = qobject_cast<TFormVanEng*>(QApplication::activeModalWidget())) {
            watched = watch->memo()->toPlainText();
            // Closed once it shows the reason, and in any case after ten seconds.
            if (watched.contains(QStringLiteral("/nonexistent/stockfish")) ||
                since.elapsed() > 10000)
                watch->findChild<QPushButton*>(QStringLiteral("BtnCancel"))->click();
        }
    });
    closer.start(50);
    library.analyse();
    qunsetenv("VANTA_INI");
    EXPECT_EQ(prompts.messages()[0].rfind("Vanta 9 wrote no analysis result\nVanta: ", 0), 0u);
    if (!watched.isEmpty()) {
        EXPECT_TRUE(watched.contains(QStringLiteral("/nonexistent/stockfish")));
    } else {
        ASSERT_EQ(prompts.messages().size(), 2u);
        EXPECT_EQ(prompts.messages()[1].rfind("Can't start chess engine\nVanta: ", 0), 0u);
        EXPECT_NE(prompts.messages()[1].find("/nonexistent/stockfish"), std::string::npos);
    }
    EXPECT_EQ(line, kSuite[0]);
}

// Crafty and the generic engine are programs of others; a program of ours stands in and records
// how it was started.
TEST_F(SingleAnalysisRoads, CraftyAndTheGenericEngineAreStartedAsTheyExpect) {
    fs::create_directories(folder.path("crafty"));
    fs::copy_file(RECORD_PROGRAM, folder.path("crafty/crafty"));
    fs::copy_file(RECORD_PROGRAM, folder.path("engine/generic"));
    qputenv("RECORD_FILE", QByteArray::fromStdString(folder.path("record.txt")));
    AppSettings options;
    options.selection = 1;
    options.crafty = folder.path("crafty/crafty");
    options.generic = folder.path("engine/generic");
    options.genericCmdLine = "-x $F -y";
    options.genericEpdFile = false;
    options.changeToGenericLocation = false;
    QWidget window;
    {
        TSingleAnalysis analysis(prompts, context(options), &window);
        analysis.analyse();
        ASSERT_TRUE(waitUntil([&] { return folder.exists("record.txt"); }));
        EXPECT_TRUE(waitUntil([&] { return analysis.processId(1) < 0; }));
    }
    const std::string position = "2rr3k/pp3pp1/1nnqbN1p/3pN3/2pP4/2P3Q1/PPB4P/R4RK1 w - -";
    EXPECT_EQ(folder.read("record.txt"), "cwd=" + folder.path("crafty") + "\n" +
                                             folder.path("crafty/crafty") + "\nsetboard " +
                                             position + "\nanalyze\n");
    fs::remove(folder.path("record.txt"));
    options.selection = 4;
    TSingleAnalysis generic(prompts, context(options), &window);
    generic.analyse();
    ASSERT_TRUE(waitUntil(
        [&] { return folder.exists("record.txt") && !folder.read("record.txt").empty(); }));
    QTest::qWait(100);
    const std::string pgn = folder.path("tmp/BRISVANE.PGN");
    EXPECT_EQ(folder.read("record.txt"), "cwd=" + fs::current_path().string() + "\n" +
                                             folder.path("engine/generic") + "\n-x\n" + pgn +
                                             "\n-y\n");
    EXPECT_NE(folder.read("tmp/BRISVANE.PGN").find("[Event \"Generic Engine Analysis\"]"),
              std::string::npos);
    qunsetenv("RECORD_FILE");
    EXPECT_TRUE(prompts.messages().empty());
}

}  // namespace
