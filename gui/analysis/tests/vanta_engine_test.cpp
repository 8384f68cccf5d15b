#include "vanta_engine.h"

#include <dlfcn.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "scripted_prompts.h"
#include "temp_folder.h"

namespace {

namespace fs = std::filesystem;
using Messages = std::vector<std::string>;

const std::string kAddOn = BRISVANE_PROGRAM_DIR "/AddOn";

// Each test loads the library its own way; the run-wide library state starts afresh.
class Component : public testing::Test {
protected:
    void SetUp() override { TVantaEngine::forgetLibraryForTests(); }
    void TearDown() override { TVantaEngine::forgetLibraryForTests(); }
    // An engine folder with the stand-in engine program under the name VANTA.
    std::string engineFolder() {
        fs::copy_file(FAKE_ENGINE, folder.path("VANTA"));
        return folder.root();
    }
    TempFolder folder;
    ScriptedPrompts prompts;
};

TEST(ComponentProperties, DefaultsAndRules) {
    TVantaEngine engine;
    EXPECT_EQ(engine.Version(), 100);
    EXPECT_EQ(engine.VerDate(), "01-FEB-1998");
    EXPECT_EQ(engine.EngName(), "VANTA");
    EXPECT_EQ(engine.ID(), -1);
    EXPECT_EQ(engine.Mode(), VEmodeSet::ModNext);
    struct Seconds {
        int set, stored;
    };
    for (const Seconds& s : {Seconds{0, 5}, Seconds{6, 6}, Seconds{400000, 359999}}) {
        engine.setSecsPerPos(s.set);
        EXPECT_EQ(engine.SecsPerPos(), s.stored) << s.set;
    }
    engine.setEngine(VEengTypeSet::EngCyc1);
    engine.setHashSize(VEhashSet::Hash28MB);
    EXPECT_EQ(engine.HashSize(), VEhashSet::Hash256kb);
    engine.setEngine(VEengTypeSet::EngV9);
    engine.setHashSize(VEhashSet::Hash28MB);
    EXPECT_EQ(engine.HashSize(), VEhashSet::Hash28MB);
    engine.setAnalysisTimer(60000);
    engine.setAnalysisTimer(50);
    EXPECT_EQ(engine.AnalysisTimer(), 60000);
    engine.setAnalysisTimer(0);
    EXPECT_EQ(engine.AnalysisTimer(), 0);
    engine.setEngName("sub/VANTA");  // a folder is ignored
    EXPECT_EQ(engine.EngName(), "VANTA");
    engine.setDLLName("Other.DLL");
    EXPECT_EQ(engine.DLLName(), "Other");
    engine.setDLLPath("/no/such/folder");
    EXPECT_EQ(engine.DLLPath(), "");

    EXPECT_EQ(TVantaEngine::versionDateText(0x07021998), "07-FEB-1998");
    EXPECT_EQ(TVantaEngine::versionDateText(0x07131998), "");
    EXPECT_EQ(TVantaEngine::versionDateText(0x07022198), "");  // century 21
    EXPECT_EQ(TVantaEngine::timeText(3725), "01:02:05");
    EXPECT_EQ(TVantaEngine::engineDescription(VEengTypeSet::EngV9), "Vanta 9 Engine");
    EXPECT_EQ(TVantaEngine::hashDescription(VEhashSet::Hash13MB), "13 MB");
}

TEST_F(Component, WrongUseFailsWithCode2WithoutTheLibrary) {
    TVantaEngine engine;
    std::string line;
    EXPECT_FALSE(engine.UpdateAnalysis("x.pgn"));
    EXPECT_EQ(engine.ErrNo(), 2);
    EXPECT_FALSE(engine.ReadAnalysisLine(line));
    EXPECT_EQ(engine.ErrNo(), 2);
    EXPECT_FALSE(engine.Deallocate());
    EXPECT_EQ(engine.ErrNo(), 1);
    EXPECT_FALSE(TVantaEngine::DLLloaded());
}

TEST_F(Component, RunsAnEpdAnalysisThroughTheRealLibrary) {
    TVantaEngine engine(&prompts);
    engine.setDLLPath(kAddOn);
    EXPECT_EQ(engine.DLLPath(), kAddOn);
    engine.setPath(engineFolder());
    engine.setMode(VEmodeSet::ModPos);
    engine.setDebug(true);
    const std::string epd = folder.path("suite.epd");
    folder.write("suite.epd", "8/8/8/8/8/8/5k2/4K3 w - -\r\n");
    ASSERT_TRUE(engine.StartAnalysis(epd)) << engine.ErrNo() << " " << engine.ErrorText();
    // Our library reports 0x01020101: accepted, and with Debug the difference is told.
    EXPECT_EQ(prompts.messages(),
              Messages{"Vanta Engine Component: DLL version differs\nComponent  : 0x01020100\n"
                       "VanEng DLL : 0x01020101"});
    EXPECT_TRUE(TVantaEngine::DLLloaded());
    EXPECT_EQ(engine.DLLVerDate(), "07-FEB-1998");
    EXPECT_EQ(engine.MaxNoOfInstances(), 16);
    EXPECT_EQ(engine.NoOfInstances(), 1);
    EXPECT_GE(engine.ID(), 0);
    EXPECT_GT(engine.Handle(), 0);
    std::string line;
    for (int i = 0; i < 100 && !engine.ReadAnalysisLine(line); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(line.substr(0, 13), "   1  3      ");
    for (int i = 0; i < 200 && engine.IsRunning(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_FALSE(engine.IsRunning());
    EXPECT_TRUE(engine.GetAnalysisResult(folder.path("result.epd")));
    EXPECT_EQ(folder.read("result.epd"), "8/8/8/8/8/8/5k2/4K3 w - -\r\nanalysed\r\n");
    EXPECT_EQ(engine.ErrNo(), 0);
    EXPECT_EQ(engine.ErrorText(), "no error");
    // An update belongs to the PGN modes, even with an instance held.
    EXPECT_FALSE(engine.UpdateAnalysis(epd));
    EXPECT_EQ(engine.ErrNo(), 2);
    // Frozen while allocated; free once, then the defaults are back.
    engine.setEngName("OTHER");
    EXPECT_EQ(engine.EngName(), "VANTA");
    EXPECT_TRUE(engine.Deallocate());
    EXPECT_EQ(engine.ID(), -1);
    EXPECT_EQ(engine.Mode(), VEmodeSet::ModNext);
    EXPECT_FALSE(engine.Debug());
    EXPECT_FALSE(engine.Deallocate());
    EXPECT_EQ(engine.ErrNo(), 1);
}

// The watch loop runs on a thread of its own; StopAnalysis ends it without blocking for the
// whole analysis.
TEST_F(Component, TheWatchLoopReportsLinesAndEndsOnStop) {
    TVantaEngine engine;
    engine.setDLLPath(kAddOn);
    engine.setPath(engineFolder());
    engine.setMode(VEmodeSet::ModNext);
    engine.setAnalysisTimer(100);
    std::atomic<int> lines{0};
    engine.OnAnalysis = [&lines](TVantaEngine&, const std::string&) { ++lines; };
    folder.write("game.pgn", "[Event \"x\"]\n\n1. e4 *\n");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(engine.StartAnalysis(folder.path("game.pgn")));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    for (int i = 0; i < 100 && lines == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(engine.AnalysisLine(), "  5: e4 e5");
    EXPECT_TRUE(engine.watching());
    // The caller's thread goes on using the component while the loop watches.
    std::string line;
    for (int i = 0; i < 20; ++i)
        EXPECT_TRUE(engine.ReadAnalysisLine(line) && engine.IsRunning());
    EXPECT_TRUE(engine.StopAnalysis());
    EXPECT_FALSE(engine.watching());
}

struct WrongLibrary {
    const char* folder;
    std::string message;
};

class WrongLibraries : public Component, public testing::WithParamInterface<WrongLibrary> {};

// A process holds one library of a name: ctest runs each case in a process of its own.
bool anotherLibraryLoaded() {
    return dlopen("VANENG32.so", RTLD_NOW | RTLD_NOLOAD) != nullptr;
}

TEST_P(WrongLibraries, AreRefusedAndNeverTriedAgain) {
    if (anotherLibraryLoaded()) GTEST_SKIP() << "another VANENG32.so is loaded in this process";
    const WrongLibrary& c = GetParam();
    TVantaEngine engine(&prompts);  // Debug off: these dialogs appear anyway
    engine.setDLLPath(std::string(FAKE_LIBRARIES) + "/" + c.folder);
    EXPECT_FALSE(engine.StartAnalysis("x.epd"));
    EXPECT_EQ(prompts.messages(), Messages{c.message});
    EXPECT_EQ(engine.ErrNo(), -1);
    EXPECT_EQ(engine.ErrorText(), "DLL load error");
    EXPECT_FALSE(TVantaEngine::DLLloaded());
    EXPECT_EQ(engine.DLLVersion(), -1);
    EXPECT_FALSE(engine.StartAnalysis("x.epd"));  // not loaded again: no second dialog
    EXPECT_EQ(prompts.messages().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Component, WrongLibraries,
    testing::Values(
        WrongLibrary{"old",
                     "Vanta Engine Component: DLL version mismatch\nComponent  : "
                     "0x01020100\nVanEng DLL : 0x010200FF\nDLL too old for this component "
                     "version"},
        WrongLibrary{"new",
                     "Vanta Engine Component: DLL version mismatch\nComponent  : "
                     "0x01020100\nVanEng DLL : 0x0102010A\nDLL too new for this component "
                     "version"},
        WrongLibrary{"missing", "Vanta Engine Component: loading DLL " FAKE_LIBRARIES
                                "/missing/VANENG32.so\nCan't get address of function "
                                "VantaEngineStop"}),
    [](const auto& info) { return std::string(info.param.folder); });

TEST_F(Component, AFileThatIsNoLibraryGivesTheLoadError) {
    if (anotherLibraryLoaded()) GTEST_SKIP() << "another VANENG32.so is loaded in this process";
    folder.write("VANENG32.so", "not a library");
    TVantaEngine engine(&prompts);
    engine.setDebug(true);
    engine.setDLLPath(folder.root());
    EXPECT_FALSE(engine.StartAnalysis("x.epd"));
    EXPECT_EQ(prompts.messages(), Messages{"Vanta Engine Component: can't load neither DLL \n" +
                                           folder.root() + "/VANENG32.so\nnor VANENG32"});
    EXPECT_EQ(engine.ErrNo(), -1);
    EXPECT_EQ(engine.NoOfInstances(), 0);
    EXPECT_EQ(engine.MaxNoOfInstances(), -1);
}

}  // namespace
