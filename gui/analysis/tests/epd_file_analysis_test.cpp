#include "epd_file_analysis.h"

#include <deque>
#include <filesystem>

#include <gtest/gtest.h>

#include "scripted_prompts.h"
#include "temp_folder.h"

namespace {

using Messages = std::vector<std::string>;

// An engine that plays back analysis lines, one per tick, and ends when they are used up.
class ScriptedEngine : public AnalysisEngine {
public:
    std::deque<std::optional<std::string>> lines;  // nothing: no line could be read
    bool starts = true;
    bool running = false;
    std::string result;  // what GetAnalysisResult writes
    bool resultFails = false;
    int seconds = 5;
    VEhashSet hash = VEhashSet::Hash256kb;
    VEEPDevalSet eval = VEEPDevalSet::EPDevalCheckCE;
    std::vector<std::string> started;

    bool StartAnalysis(const std::string& file) override {
        started.push_back(file);
        running = starts;
        return starts;
    }
    bool IsRunning() override {
        if (lines.empty()) running = false;
        return running;
    }
    bool ReadAnalysisLine(std::string& line) override {
        if (lines.empty()) return false;
        auto next = lines.front();
        lines.pop_front();
        if (!next) return false;
        line = *next + "\r\n";
        return true;
    }
    bool StopAnalysis() override {
        const bool was = running;
        running = false;
        return was;
    }
    bool GetAnalysisResult(const std::string& target) override {
        if (resultFails) return false;
        std::ofstream(target, std::ios::binary) << result;
        return true;
    }
    void setSecsPerPos(int s) override { seconds = s > 359999 ? 359999 : (s < 6 ? 5 : s); }
    int SecsPerPos() const override { return seconds; }
    void setHashSize(VEhashSet size) override { hash = size; }
    VEhashSet HashSize() const override { return hash; }
    void setEPDevalMode(VEEPDevalSet mode) override { eval = mode; }
    std::string description() const override { return "Vanta 9 Engine"; }
};

const std::string kA = "8/8/8/8/8/8/5k2/4K2R w K - bm Rh2+; id \"A\";";
const std::string kB = "8/8/8/8/8/8/5k2/4K2R b K - am Kg2; id \"B\";";
const std::string kC = "8/8/8/8/8/8/5k2/4K2R w K - ce 12; bm Ra1; id \"C\";";

class Analysis : public testing::Test {
protected:
    Analysis() { analysis.show(); }
    void TearDown() override {
        EXPECT_TRUE(prompts.unexpected().empty()) << prompts.unexpected().front();
    }
    std::string file(const std::string& name, const std::string& bytes) {
        folder.write(name, bytes);
        return folder.path(name);
    }
    void runTicks(int most = 100) {
        for (int i = 0; i < most && analysis.display().timerOn; ++i)
            analysis.tick();
    }
    static std::string line(int position, int depth, const std::string& rest) {
        char head[32];
        std::snprintf(head, sizeof head, "%4d  %-7d", position, depth);
        return std::string(head) + " " + rest;
    }

    TempFolder folder;
    ScriptedPrompts prompts;
    MemorySettings settings;
    ScriptedEngine engine;
    EpdFileAnalysis analysis{{&engine, &prompts, &settings, "/program",
                              [] { return std::string("08.12.2026 - 15:00:00"); }}};
};

TEST_F(Analysis, ChoosingAFileFillsTheListsOrRejectsIt) {
    analysis.chooseFile(file("a.epd", kA + "\n" + kB + "\n\n"));  // one empty line is fine
    EXPECT_EQ(analysis.lineCount(), 2u);
    EXPECT_EQ(analysis.display().counter, "0/2");
    EXPECT_EQ(analysis.logFileName(), folder.path("a.LOG"));
    analysis.chooseFile(file("b.epd", kA + "\nshort\n" + kB + "\n\n"));
    EXPECT_EQ(prompts.messages(), Messages{"Error in EPD description (line 4)"});
    EXPECT_EQ(analysis.epdFile(), "");
    EXPECT_EQ(analysis.display().counter, "0/0");
    analysis.chooseFile(file("c.epd", "\n"));
    EXPECT_EQ(prompts.messages().back(), "EPD file " + folder.path("c.epd") + " is empty");
    EXPECT_EQ(EpdFileAnalysis::operandAfter(kA, "bm "), "Rh2+");
    EXPECT_EQ(EpdFileAnalysis::operandAfter(kA, "am "), "");
}

TEST_F(Analysis, DepthIsReadFromCharacters7To13) {
    EXPECT_EQ(EpdFileAnalysis::depthOf("   3    12.34 +0.1 e4"), 12);
    EXPECT_EQ(EpdFileAnalysis::depthOf("   3  ab     +0.1 e4"), 99);
    EXPECT_EQ(EpdFileAnalysis::depthOf("short"), 99);
    EXPECT_EQ(EpdFileAnalysis::normalizedMove("Rxd8+"), EpdFileAnalysis::normalizedMove("Rd8"));
    EXPECT_EQ(EpdFileAnalysis::normalizedMove("0-0"), "O-O");
}

// The whole road: start with its log header, positions advancing as the depth drops, the skipped
// evaluated position, mate, write-back with the backup, and the result block.
TEST_F(Analysis, AnalysesTheFileAndWritesItBackWithABackupAndResults) {
    const std::string original = kA + "\r\n" + kC + "\r\n" + kB + "\r\n";
    const std::string path = file("suite.epd", original);
    analysis.chooseFile(path);
    engine.lines = {line(1, 1, "+0.10 Rh2+"),
                    line(1, 1, "+0.10 Rh2+"),
                    "short",
                    line(1, 2, "+0.50 Rh2+ Kg3"),
                    line(1, 3, "Mate 4 Rh2+"),
                    line(2, 3, "-0.20 Kg2"),  // after a mate any depth starts a new position
                    std::nullopt,
                    line(2, 4, "-0.30 Kg2 Rh2")};
    engine.result = kA + " pv Rh2+ Kg3;\r\n" + kC + "\r\n" + kB + " pv Ke6;\r\n";
    analysis.start();
    EXPECT_TRUE(analysis.analysing());
    EXPECT_EQ(analysis.display().caption,
              "Brisvane: Vanta Engine EPD File Analysis Box (analyzing...)");
    EXPECT_FALSE(analysis.display().startEnabled);
    EXPECT_EQ(engine.eval, VEEPDevalSet::EPDevalCheckCE);
    EXPECT_EQ(settings.readString("History", "LastEPDFiledirectory", ""), folder.root() + "/");
    // The file and the skip mode belong to the running analysis.
    analysis.chooseFile(file("other.epd", kA + "\n"));
    analysis.setSkipEvaluated(false);
    EXPECT_EQ(analysis.epdFile(), path);
    EXPECT_TRUE(analysis.display().skipEvaluated);
    EXPECT_FALSE(analysis.display().settingsEnabled);

    analysis.tick();
    EXPECT_EQ(analysis.display().counter, "1/3");
    EXPECT_EQ(analysis.display().bestMoves, "Rh2+");
    EXPECT_EQ(analysis.display().diagramLine, kA);
    analysis.tick();  // the same line again changes nothing
    analysis.tick();  // a line of 6 characters neither
    analysis.tick();
    analysis.tick();
    EXPECT_EQ(analysis.display().memo.size(), 3u);
    const unsigned generation = analysis.display().memoGeneration;
    analysis.tick();  // the evaluated position 2 is passed over
    EXPECT_NE(analysis.display().memoGeneration, generation);  // the window empties its memo
    EXPECT_EQ(analysis.display().counter, "3/3");
    EXPECT_EQ(analysis.display().avoidMoves, "Kg2");
    runTicks();
    EXPECT_FALSE(analysis.analysing());
    EXPECT_TRUE(analysis.display().bringToFront);
    EXPECT_EQ(folder.read("suite.OLD"), original);
    EXPECT_EQ(folder.read("suite.epd"), engine.result);
    // Writing back again would put the analysed file over the backup of the original.
    EXPECT_FALSE(analysis.display().writeBackEnabled);
    analysis.writeBack();
    EXPECT_EQ(folder.read("suite.OLD"), original);
    EXPECT_EQ(analysis.logLines(),
              (Messages{"EPD file analysis logfile created by Brisvane",
                        "---------------------------------------------",
                        "EPD file              : suite.epd",
                        "Number of positions   : 3",
                        "Analysis date         : 08.12.2026 - 15:00:00",
                        "Engine                : Vanta 9 Engine",
                        "Hash size             : 256 kb",
                        "Average time per pos. : 00:00:05",
                        "---------------------------------------------",
                        "Position: 1",
                        "Best Move(s): Rh2+",
                        "====>" + line(1, 1, "+0.10 Rh2+"),
                        "====>" + line(1, 2, "+0.50 Rh2+ Kg3"),
                        "====>" + line(1, 3, "Mate 4 Rh2+"),
                        "Position: 3",
                        "Avoid Move(s): Kg2",
                        "====>" + line(2, 3, "-0.20 Kg2"),
                        "====>" + line(2, 4, "-0.30 Kg2 Rh2"),
                        "---------------------------------------------",
                        "Results: the engine's first pv move against bm and am",
                        "Position 1 (A): bm Rh2+; engine Rh2+ - solved",
                        "Position 2 (C): bm Ra1; skipped",
                        "Position 3 (B): am Kg2; engine Ke6 - solved",
                        "Solved: 2 of 2",
                        "Skipped (evaluated before): 1"}));
}

// How a run ends: the engine finishing on a line before an evaluated last line, the engine's
// own reason for giving up, and a line the window cannot draw, which stops the engine.
TEST_F(Analysis, EveryEndOfARunIsTakenCareOfAndSaid) {
    const std::string path = file("suite.epd", kA + "\r\n" + kB + "\r\n" + kC + "\r\n");
    analysis.chooseFile(path);
    engine.lines = {line(1, 1, "+0.10 Rh2+"), line(1, 2, "+0.20 Rh2+"), line(2, 1, "no analysis")};
    // B is a board the engine does not play: its line comes back as it was.
    engine.result = kA + " ce 20; pv Rh2+;\r\n" + kB + "\r\n" + kC + "\r\n";
    analysis.start();
    runTicks();
    EXPECT_EQ(folder.read("suite.epd"), engine.result);
    const auto log = analysis.logLines();
    EXPECT_EQ(Messages(log.end() - 6, log.end()),
              (Messages{"Position 1 (A): bm Rh2+; engine Rh2+ - solved",
                        "Position 2 (B): am Kg2; not analysed", "Position 3 (C): bm Ra1; skipped",
                        "Solved: 1 of 1", "Skipped (evaluated before): 1", "Not analysed: 1"}));

    const std::string reason =
        "Vanta: no UCI engine found (install stockfish or name one with Engine= in Vanta.ini)";
    engine.lines = {std::string(), reason};
    analysis.setSkipEvaluated(false);
    analysis.start();
    runTicks();
    EXPECT_EQ(prompts.messages().back(), "Can't start Vanta engine\n" + reason);
    EXPECT_EQ(analysis.display().memo, Messages{reason});
    EXPECT_EQ(folder.read("suite.epd"), engine.result);  // nothing written back
    EXPECT_FALSE(folder.exists("suite.LOG"));            // nor a log of a run that never began
    // The earlier run's write-back stays done: a second would put its result over the backup.
    EXPECT_FALSE(analysis.display().writeBackEnabled);
    engine.lines = {line(1, 1, "+0.10 Rh2+"), reason};
    analysis.start();
    runTicks();
    EXPECT_EQ(
        prompts.messages().back(),
        "Vanta engine ended at position 1 of 3, the EPD file was not written back\n" + reason);

    // A position the engine scored is judged, also when its line comes back as it was.
    analysis.chooseFile(file("same.epd", kA + "\r\n"));
    engine.lines = {line(1, 1, "+0.10 Rh2+")};
    engine.result = kA + "\r\n";
    analysis.start();
    runTicks();
    EXPECT_EQ(analysis.logLines().back(), "Solved: 0 of 1");

    analysis.chooseFile(file("bad.epd", "8/8/8/8/8/8/5k2/4K2R7 w - - bm Rh2+;\r\n"));
    engine.lines = {line(1, 1, "+0.10 Rh2+"), line(1, 2, "+0.20 Rh2+"), line(2, 1, "+0.30")};
    analysis.start();
    analysis.tick();
    EXPECT_EQ(prompts.messages().back(), "Error in EPD description (line 1)");
    EXPECT_FALSE(engine.running);  // stopped, not left to run on unseen
    EXPECT_FALSE(analysis.analysing());
    EXPECT_TRUE(analysis.display().startEnabled);
}

TEST_F(Analysis, AStopOrAnEarlyEndLeavesTheFileAsItWas) {
    const std::string original = kA + "\r\n" + kB + "\r\n";
    const std::string path = file("suite.epd", original);
    analysis.chooseFile(path);
    engine.lines = {line(1, 1, "+0.1 Rh2+"), line(1, 2, "+0.1 Rh2+")};
    analysis.start();
    analysis.tick();
    analysis.stop();
    EXPECT_FALSE(analysis.analysing());
    EXPECT_EQ(folder.read("suite.epd"), original);
    EXPECT_FALSE(folder.exists("suite.OLD"));
    // The engine ends on the first of two positions: nothing is written back, and it is said.
    engine.lines = {line(1, 1, "+0.1 Rh2+")};
    analysis.start();
    runTicks();
    EXPECT_EQ(prompts.messages(),
              Messages{"Vanta engine ended at position 1 of 2, the EPD file was not written back"});
    EXPECT_EQ(folder.read("suite.epd"), original);
    EXPECT_FALSE(folder.exists("suite.OLD"));
    engine.result = kA + " pv Rh2+;\r\n" + kB + "\r\n";
    // The result belongs to the analysed file, not to one chosen afterwards.
    const std::string other = file("other.epd", kB + "\n");
    analysis.chooseFile(other);
    EXPECT_FALSE(analysis.display().writeBackEnabled);
    analysis.writeBack();
    EXPECT_EQ(folder.read("other.epd"), kB + "\n");
    EXPECT_FALSE(folder.exists("other.OLD"));
    // A write-back by hand: the file and its backup, but no result block in the log.
    analysis.chooseFile(path);
    analysis.writeBack();
    EXPECT_EQ(folder.read("suite.OLD"), original);
    EXPECT_EQ(folder.read("suite.epd"), engine.result);
    EXPECT_EQ(analysis.logLines().back(), "====>" + line(1, 1, "+0.1 Rh2+"));
}

TEST_F(Analysis, FailuresGiveTheirMessagesAndKeepTheFile) {
    analysis.start();
    EXPECT_EQ(prompts.messages(), Messages{"No EPD file selected"});
    const std::string path = file("gone.epd", kA + "\n");
    analysis.chooseFile(path);
    std::filesystem::remove(path);
    analysis.start();
    EXPECT_EQ(prompts.messages().back(), "EPD file " + path + " doesn't exists");

    const std::string kept = file("kept.epd", kA + "\n");
    analysis.chooseFile(kept);
    engine.starts = false;
    analysis.start();
    EXPECT_EQ(prompts.messages().back(), "Can't start Vanta engine");
    EXPECT_FALSE(folder.exists("kept.LOG"));  // no log left behind
    // Eleven ticks without a readable line stop the watch.
    engine.starts = true;
    engine.lines = std::deque<std::optional<std::string>>(12, std::nullopt);
    analysis.start();
    for (int i = 0; i < 11; ++i)
        analysis.tick();
    EXPECT_FALSE(analysis.display().timerOn);
    EXPECT_EQ(analysis.display().memo, (Messages{"Can't open Vanta engine analysis file",
                                                 "Watch engine's analysis stopped"}));
    analysis.stop();
    // No backup can be written (a folder stands in its place): the file is not touched.
    std::filesystem::create_directories(folder.path("kept.OLD"));
    analysis.writeBack();
    EXPECT_EQ(prompts.messages().back(), "Can't save original EPD file");
    EXPECT_EQ(folder.read("kept.epd"), kA + "\n");
    std::filesystem::remove(folder.path("kept.OLD"));
    // The result cannot be copied: the file stays as it was.
    engine.resultFails = true;
    analysis.writeBack();
    EXPECT_EQ(prompts.messages().back(), "Can't copy analysis result");
    EXPECT_EQ(folder.read("kept.epd"), kA + "\n");
}

TEST_F(Analysis, SecondsAndHashSize) {
    prompts.input("0").input("3").input("17");
    analysis.querySeconds();
    analysis.querySeconds();
    analysis.querySeconds();
    EXPECT_EQ(
        prompts.messages(),
        (Messages{"0 -- Illegal value", "Entered value out of range, changed to default value"}));
    EXPECT_EQ(analysis.display().secondsText, "17");
    EXPECT_EQ(analysis.display().timeText, "00:00:17");
    analysis.setHashIndex(9);
    EXPECT_EQ(analysis.display().hashIndex, 0);
    analysis.setSkipEvaluated(false);
    analysis.chooseFile(file("a.epd", kA + "\n"));
    engine.lines = {line(1, 1, "x")};
    analysis.start();
    EXPECT_EQ(engine.eval, VEEPDevalSet::EPDevalAlways);
}

}  // namespace
