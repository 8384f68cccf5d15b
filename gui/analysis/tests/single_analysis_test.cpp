#include "single_analysis.h"

#include "analyse_options.h"

#include <deque>
#include <filesystem>

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

using namespace SingleAnalysis;
using Words = std::vector<std::string>;

const std::string kPosition = "8/8/8/8/8/8/5k2/4K2R b K -";

TEST(SingleAnalysis, CommandLinesOfTheOutsideEngines) {
    TempFolder folder;
    for (const char* sub : {"crafty", "v9", "gen", "tmp"})
        std::filesystem::create_directories(folder.path(sub));
    Engines engines;
    engines.crafty = folder.path("crafty/crafty");
    engines.vanta9 = folder.path("v9/Vanta");
    engines.generic = folder.path("gen/engine");
    engines.hashSizeV9 = 5;
    engines.tempFolder = folder.path("tmp");
    engines.site = "Brisvane";
    engines.today = "2026.12.08";
    std::string error;

    const auto crafty = craftyStart(engines, kPosition, error);
    ASSERT_TRUE(crafty);
    EXPECT_EQ(crafty->commandLine, "crafty \"setboard " + kPosition + "\" analyze");
    EXPECT_EQ(crafty->workingFolder, folder.path("crafty"));
    EXPECT_EQ(crafty->words, (Words{engines.crafty, "setboard " + kPosition, "analyze"}));
    engines.changeToCraftyLocation = false;
    EXPECT_EQ(craftyStart(engines, kPosition, error)->commandLine.rfind(engines.crafty, 0), 0u);

    const auto vanta9 = vanta9Start(engines, kPosition, error);
    ASSERT_TRUE(vanta9) << error;
    EXPECT_EQ(vanta9->commandLine, "Vanta W4 BRISVANE.EPD");
    EXPECT_EQ(vanta9->words, (Words{engines.vanta9, "W4", "BRISVANE.EPD"}));
    EXPECT_EQ(folder.read("v9/BRISVANE.EPD"), kPosition + "\r\n\r\n");
    EXPECT_EQ(vanta9HashSwitch(1), " W ");
    EXPECT_EQ(vanta9HashSwitch(9), " W6 ");

    // A template around $F, a PGN file in the temporary folder, no folder change.
    engines.genericCmdLine = "-x $F -y";
    engines.genericEpdFile = false;
    engines.changeToGenericLocation = false;
    const auto generic = genericStart(engines, kPosition, error);
    ASSERT_TRUE(generic) << error;
    const std::string pgn = engines.tempFolder + "/BRISVANE.PGN";
    EXPECT_EQ(generic->commandLine, engines.generic + " -x " + pgn + " -y");
    EXPECT_EQ(generic->words, (Words{engines.generic, "-x", pgn, "-y"}));
    EXPECT_EQ(folder.read("tmp/BRISVANE.PGN"),
              positionGame("Generic Engine Analysis", "Brisvane", "2026.12.08", kPosition));
    // A temporary folder with a blank stays one word.
    std::filesystem::create_directories(folder.path("my tmp"));
    engines.tempFolder = folder.path("my tmp");
    EXPECT_EQ(genericStart(engines, kPosition, error)->words[2],
              engines.tempFolder + "/BRISVANE.PGN");

    // No path: nothing at all. A missing folder: nothing written, nothing started.
    error.clear();
    EXPECT_FALSE(craftyStart(Engines{}, kPosition, error));
    EXPECT_EQ(error, "");
    engines.vanta9 = folder.path("missing-folder/Vanta");
    EXPECT_FALSE(vanta9Start(engines, kPosition, error));
    EXPECT_EQ(error, "Can't change to " + folder.path("missing-folder"));
    EXPECT_FALSE(std::filesystem::exists(folder.path("missing-folder")));
}

TEST(AnalyseOptions, OkRefusesAChoiceWithoutWhatItNeeds) {
    struct Case {
        int selection;
        bool library;
        std::string path;
        std::string commandLine;
        int page;  // 0: accepted
        std::string message;
        std::string repaired;
    };
    const Case cases[] = {
        {3, false, "/e/Vanta", "$F", 3,
         "Can't select Vanta engine because \nVANENG32.DLL isn't available", ""},
        {1, true, "", "$F", 1, "Crafty location not entered", ""},
        {2, true, "", "$F", 2, "Vanta 9 location not entered", ""},
        {3, true, "", "$F", 3, "Vanta engine location not entered", ""},
        {4, true, "", "$F", 4, "Generic location not entered", ""},
        {4, true, "/e/gen", "-x", 4, "$F appended to generic command line", "-x $F"},
        {4, true, "/e/gen", "", 4, "$F appended to generic command line", "$F"},
        {4, true, "/e/gen", "-x $F", 0, "", ""},
        {0, false, "", "", 0, "", ""},
    };
    for (const Case& c : cases) {
        AnalyseChoice choice;
        choice.selection = c.selection;
        choice.crafty = choice.vanta9 = choice.vantaEngine = choice.generic = c.path;
        choice.genericCmdLine = c.commandLine;
        const auto refusal = checkAnalyseChoice(choice, c.library);
        ASSERT_EQ(refusal.has_value(), c.page != 0) << c.selection << " " << c.commandLine;
        if (!refusal) continue;
        EXPECT_EQ(refusal->page, c.page);
        EXPECT_EQ(refusal->message, c.message);
        EXPECT_EQ(refusal->repairedCommandLine.value_or(""), c.repaired);
    }
    // Storing: Vanta Cyclor 2 has one hash size; an empty hash choice stores 1.
    AppSettings settings;
    AnalyseChoice choice = AnalyseChoice::of(settings);
    choice.hashSizeVEIndex = 4;
    choice.hashSizeV9Index = -1;
    choice.selectEngineIndex = 0;
    storeAnalyseChoice(choice, settings);
    EXPECT_EQ(settings.vantaEngineType, 2);
    EXPECT_EQ(settings.hashSizeVE, 1);
    EXPECT_EQ(settings.hashSizeV9, 1);
    choice.selectEngineIndex = 1;
    EXPECT_TRUE(storeAnalyseChoice(choice, settings));
    EXPECT_EQ(settings.vantaEngineType, 9);
    EXPECT_EQ(settings.hashSizeVE, 5);
    EXPECT_FALSE(storeAnalyseChoice(choice, settings));
}

TEST(SingleAnalysis, ThePositionGameHasItsTwelveLines) {
    EXPECT_EQ(positionGame("Vanta Engine Analysis", "Brisvane V1.5", "2026.12.08", kPosition),
              "[Event \"Vanta Engine Analysis\"]\r\n[Site \"Brisvane V1.5\"]\r\n"
              "[Date \"2026.12.08\"]\r\n[Round \"1\"]\r\n[White \"White\"]\r\n"
              "[Black \"Black\"]\r\n[Result \"*\"]\r\n[SetUp \"1\"]\r\n[FEN \"" +
                  kPosition + " 0 1\"]\r\n\r\n1... *\r\n\r\n");
}

TEST(SingleAnalysis, APvOperationTakesThePlaceOfTheOldOne) {
    const std::string line = kPosition + " bm Rh2+; pv Rh1 Kg2; id \"x\";";
    EXPECT_EQ(withPv(line, " pv Rh2+ Kg3;", ""), kPosition + " bm Rh2+;  id \"x\"; pv Rh2+ Kg3;");
    EXPECT_EQ(withPv(kPosition + " bm Rh2+;", "pv Rh2+;", " "), kPosition + " bm Rh2+; pv Rh2+;");
    EXPECT_EQ(withPv(kPosition + " pv Rh2+", "pv Kg1;", " "), kPosition + " pv Rh2+");
    EXPECT_EQ(vanta9Pv(kPosition + " acd 20; ce 35; pv Rh2+ Kg3; id \"x\";"), "pv Rh2+ Kg3;");
    EXPECT_FALSE(vanta9Pv(kPosition + " bm Rh2+;"));
}

class Lines : public EngineControl {
public:
    std::deque<std::string> lines;
    bool running = true;
    bool StartAnalysis(const std::string&) override { return true; }
    bool IsRunning() override { return running; }
    bool ReadAnalysisLine(std::string& line) override {
        if (lines.empty()) return false;
        line = lines.front();
        lines.pop_front();
        return true;
    }
    bool StopAnalysis() override { return true; }
    bool GetAnalysisResult(const std::string&) override { return false; }
};

TEST(SingleAnalysis, TheWatchKeepsTheLastVariation) {
    Lines engine;
    engine.lines = {"  3: e4 e5\r\n", "  3: e4 e5\r\n", "short", "  4: e4 e5 Nf3\r\n"};
    EngineWatch watch("Vanta 9 Engine");
    watch.reset();
    EXPECT_EQ(watch.caption(), "Brisvane: Vanta 9 Engine running...");
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(watch.tick(engine));
    EXPECT_EQ(watch.memo(), (Words{"  3: e4 e5", "  4: e4 e5 Nf3"}));
    EXPECT_EQ(watch.keptVariation(), "e4 e5 Nf3");
    for (int i = 0; i < 10; ++i)
        EXPECT_TRUE(watch.tick(engine));
    EXPECT_FALSE(watch.tick(engine));  // the eleventh failure in a row
    EXPECT_EQ(watch.memo().back(), "Watch engine's analysis stopped");
    EXPECT_EQ(watch.caption(), "Brisvane: Vanta 9 Engine running...");
    // An engine that ends: the watch ends with it.
    EngineWatch other("");
    other.reset();
    engine.running = false;
    EXPECT_FALSE(other.tick(engine));
    EXPECT_EQ(other.caption(), "Brisvane: Vanta Engine not running");
    // An engine that gives up says why in its line: shown, never kept as a variation.
    EngineWatch failing("");
    failing.reset();
    engine.lines = {"  5: Rh2+\r\n", "Vanta: the UCI engine stopped answering\r\n"};
    engine.running = true;
    EXPECT_TRUE(failing.tick(engine));
    engine.running = false;
    EXPECT_FALSE(failing.tick(engine));
    EXPECT_EQ(failing.memo(), (Words{"  5: Rh2+", "Vanta: the UCI engine stopped answering"}));
    EXPECT_EQ(failing.keptVariation(), "Rh2+");
}

// Only a result written for this position is offered; without one, the reason.
TEST(SingleAnalysis, Vanta9OffersOnlyThisPositionsResult) {
    TempFolder folder;
    Engines engines;
    engines.vanta9 = folder.path("Vanta");
    folder.write("VANTA.EPD", "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - acd 9; pv Rd8#;\r\n");
    folder.write("VANTA.ERR", "Vanta: an earlier failure\r\n");
    std::string error;
    ASSERT_TRUE(vanta9Start(engines, kPosition, error));
    EXPECT_EQ(vanta9Result(folder.root(), kPosition).error, "Vanta 9 wrote no analysis result");
    folder.write("VANTA.ERR", "Vanta: no UCI engine found\r\n");
    EXPECT_EQ(vanta9Result(folder.root(), kPosition).error,
              "Vanta 9 wrote no analysis result\nVanta: no UCI engine found");
    folder.write("VANTA.EPD", "6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - acd 9; pv Rd8#;\r\n");
    const auto stale = vanta9Result(folder.root(), kPosition);
    EXPECT_FALSE(stale.pv);
    EXPECT_EQ(stale.error.rfind("Vanta 9's result is for another position", 0), 0u);
    folder.write("VANTA.EPD", kPosition + " acd 9; ce -20; pv Kg2 Rh2+;\r\n");
    const auto fresh = vanta9Result(folder.root(), kPosition);
    EXPECT_EQ(fresh.pv, "pv Kg2 Rh2+;");
    EXPECT_EQ(fresh.error, "");
}

}  // namespace
