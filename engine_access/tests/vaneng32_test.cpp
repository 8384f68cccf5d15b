// The engine access library, loaded with dlopen as the main program loads it, driving small
// engine programs of our own.
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <barrier>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>

#include <gtest/gtest.h>

#include "temp_folder.h"
#include "vaneng32_binding.h"

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string errorText(int code, int size = 100) {
    std::string buffer(static_cast<std::size_t>(size), '#');
    int length = -1;
    if (!lib().GetErrorText(code, buffer.data(), size, &length)) return "<refused>";
    return buffer.substr(0, static_cast<std::size_t>(length));
}

// An engine folder holding our engine program under the names that choose its behaviour.
class Engines : public testing::Test {
protected:
    Engines() {
        for (const char* name : {"VANTA", "hang", "crash", "garbage", "long", "silent"})
            fs::create_symlink(FAKE_ENGINE, folder.path(name));
        folder.write("in.pgn", "[Event \"x\"]\n\n1. e4 *\n");
        folder.write("in.epd", "8/8/8/8/8/8/8/K6k w - - id \"x\";\r\n");
    }
    ~Engines() override {
        for (int id : allocated) {
            if (lib().IsRunning(id)) lib().Stop(id);
            lib().Free(id, 1);
        }
    }
    int allocate(const char* program, int kind = 9, int application = 1) {
        const int id = lib().Allocate(application, program, folder.root().c_str(), kind);
        EXPECT_GE(id, 0) << "allocation error " << lib().GetError(0);
        if (id >= 0) allocated.push_back(id);
        return id;
    }
    std::string exchange(int id, const char* extension) const {
        char name[32];
        std::snprintf(name, sizeof name, "VANENG%02d.%s", id + 1, extension);
        return name;
    }
    // The arguments the engine program was started with, once it has written them down.
    std::vector<std::string> arguments() {
        for (int i = 0; i < 200 && !folder.exists("ARGS.txt"); ++i) std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(20ms);
        std::vector<std::string> lines;
        std::istringstream text(folder.read("ARGS.txt"));
        for (std::string line; std::getline(text, line);) lines.push_back(line);
        return lines;
    }
    std::pair<int, std::string> analysisLine(int id, int size = 400) {
        std::string buffer(static_cast<std::size_t>(size), '#');
        int length = -1;
        const int result = lib().GetAnalysisLine(id, buffer.data(), size, &length);
        if (!result) return {0, {}};
        return {1, buffer.substr(0, static_cast<std::size_t>(length))};
    }
    bool waitUntilEnded(int id, std::chrono::milliseconds limit = 5s) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (lib().IsRunning(id))
            if (std::chrono::steady_clock::now() > until) return false;
        return true;
    }

    TempFolder folder;
    std::vector<int> allocated;
};

TEST(Vaneng32, VersionsAndExactlyNineteenExports) {
    EXPECT_EQ(lib().Version(), 0x01020101);
    EXPECT_EQ(lib().VerDate(), 0x07021998);
    EXPECT_EQ(lib().MaxInstances(), 16);
    FILE* pipe = popen("nm -D --defined-only " BRISVANE_PROGRAM_DIR "/AddOn/VANENG32.so", "r");
    ASSERT_NE(pipe, nullptr);
    std::set<std::string> exported;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string symbol(line);
        symbol = symbol.substr(symbol.find_last_of(' ') + 1);
        while (!symbol.empty() && (symbol.back() == '\n' || symbol.back() == '\r')) symbol.pop_back();
        if (symbol.rfind("GLIBC", 0) != 0 && symbol.find("@@") == std::string::npos)
            exported.insert(symbol);
    }
    pclose(pipe);
    EXPECT_EQ(exported.size(), 19u);
    for (const auto& symbol : exported) EXPECT_EQ(symbol.rfind("VantaEngine", 0), 0u) << symbol;
}

TEST(Vaneng32, ErrorTexts) {
    EXPECT_EQ(errorText(0), "no error");
    EXPECT_EQ(errorText(1), "VantaEngineAllocate() not yet called");
    EXPECT_EQ(errorText(3), "the refered engine item is not in use");
    EXPECT_EQ(errorText(8), "error in file io (or change directory)");
    EXPECT_EQ(errorText(9), "error in calling CreateProcess()");
    EXPECT_EQ(errorText(10), "10 -- unknown error code");
    EXPECT_EQ(errorText(-1), "-1 -- unknown error code");
    EXPECT_EQ(errorText(4, 20), "no free item in int");  // cut to size - 1
    std::string buffer(19, '#');
    int length = 7;
    EXPECT_EQ(lib().GetErrorText(0, buffer.data(), 19, &length), 0);
    EXPECT_EQ(buffer, std::string(19, '#'));
    EXPECT_EQ(length, 7);
    EXPECT_EQ(lib().GetErrorText(0, nullptr, 100, &length), 0);
    EXPECT_EQ(lib().GetErrorText(0, buffer.data(), 100, nullptr), 0);
}

TEST_F(Engines, AllocationDefaultsAndRefusals) {
    {
        // Empty names mean VANTA in the current folder.
        CurrentFolder here(folder.root());
        EXPECT_EQ(lib().Allocate(7, "", "", 9), 0);
        allocated.push_back(0);
        EXPECT_EQ(lib().GetError(0), 0);
        fs::remove(folder.path("VANTA"));
        EXPECT_EQ(lib().Allocate(1, nullptr, nullptr, 9), -1);
        EXPECT_EQ(lib().GetError(0), 2);  // the allocation error outranks the instance's
        EXPECT_EQ(lib().GetSysError(0), -1);
    }
    EXPECT_EQ(lib().Allocate(1, "hang", folder.root().c_str(), 3), -1);  // no such kind
    EXPECT_EQ(lib().GetError(5), 2);
    const std::string deep = folder.root() + "/" + std::string(250, 'd');
    fs::create_directory(deep);
    fs::create_symlink(FAKE_ENGINE, deep + "/hang");
    EXPECT_EQ(lib().Allocate(1, "hang", deep.c_str(), 9), -1);  // names would not fit 260
    EXPECT_EQ(lib().GetError(0), 2);
    const int id = allocate("hang");
    EXPECT_EQ(lib().GetError(id), 0);  // a successful allocation clears the allocation error
    EXPECT_EQ(lib().Instances(), 2);
}

TEST_F(Engines, SixteenInstancesAndNoSeventeenth) {
    std::vector<int> ids;
    for (int i = 0; i < 16; ++i) ids.push_back(allocate("silent"));
    EXPECT_EQ(std::set<int>(ids.begin(), ids.end()).size(), 16u);
    EXPECT_EQ(lib().Instances(), 16);
    EXPECT_EQ(lib().Allocate(1, "silent", folder.root().c_str(), 9), -1);
    EXPECT_EQ(lib().GetError(0), 4);
    EXPECT_EQ(lib().Free(ids[3], 0), 1);
    allocated.erase(std::find(allocated.begin(), allocated.end(), ids[3]));
    EXPECT_EQ(lib().GetError(ids[3]), 4);  // still the allocation error
    EXPECT_EQ(allocate("silent"), ids[3]);
    EXPECT_EQ(lib().GetError(ids[3]), 0);
}

TEST_F(Engines, IdRulesAndFreeEntries) {
    EXPECT_EQ(lib().GetError(16), 2);
    EXPECT_EQ(lib().GetError(-1), 2);
    EXPECT_EQ(lib().GetSysError(16), -1);
    EXPECT_EQ(lib().GetError(7), 3);  // free
    EXPECT_EQ(lib().StartPGN(7, "in.pgn", 1, 0), 0);
    EXPECT_EQ(lib().Free(7, 1), 0);
    EXPECT_EQ(lib().Stop(7), 0);
    EXPECT_EQ(lib().GetHandle(7), -1);
    EXPECT_EQ(lib().IsRunning(99), 0);
}

TEST_F(Engines, PgnStartCommandLineFolderAndFiles) {
    const int id = allocate("VANTA", 9);
    EXPECT_EQ(lib().StartPGN(id, folder.path("in.pgn").c_str(), 3, 4), 1);
    EXPECT_EQ(arguments(), (std::vector<std::string>{"./VANTA", exchange(id, "PGN"), "3", "4",
                                                     "cwd=" + folder.root()}));
    EXPECT_EQ(folder.read(exchange(id, "PGN")), folder.read("in.pgn"));
    EXPECT_GT(lib().GetHandle(id), 0);
    EXPECT_EQ(lib().StartPGN(id, folder.path("in.pgn").c_str(), 1, 0), 0);
    EXPECT_EQ(lib().GetError(id), 6);
    EXPECT_EQ(lib().StartPGN(id, "", 1, 0), 0);
    EXPECT_EQ(lib().GetError(id), 2);
    // The engine's line, without its line end.
    for (int i = 0; i < 100 && !folder.exists(exchange(id, "ANA")); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(analysisLine(id), (std::pair<int, std::string>{1, "  5: e4 e5"}));
    // Replacing the game; an empty game is the stop request.
    folder.write("empty.pgn", "");
    EXPECT_EQ(lib().UpdatePGN(id, folder.path("empty.pgn").c_str()), 1);
    EXPECT_TRUE(waitUntilEnded(id));
    EXPECT_EQ(lib().UpdatePGN(id, folder.path("in.pgn").c_str()), 0);
    EXPECT_EQ(lib().GetError(id), 7);
    EXPECT_EQ(lib().GetHandle(id), -1);
}

TEST_F(Engines, HashIndexAndModeRules) {
    const int kind9 = allocate("silent", 9);
    EXPECT_EQ(lib().StartPGN(kind9, folder.path("in.pgn").c_str(), 2, 9), 1);
    EXPECT_EQ(arguments().at(3), "4");
    lib().Stop(kind9);
    fs::remove(folder.path("ARGS.txt"));
    const int kind1 = allocate("silent", 1);
    EXPECT_EQ(lib().StartPGN(kind1, folder.path("in.pgn").c_str(), 1, 9), 1);
    EXPECT_EQ(arguments().at(3), "0");
    lib().Stop(kind1);
    EXPECT_EQ(lib().StartPGN(kind1, folder.path("in.pgn").c_str(), 4, 0), 0);
    EXPECT_EQ(lib().GetError(kind1), 2);
}

TEST_F(Engines, EpdAndGameCommandLines) {
    const int id = allocate("silent", 9, 1);
    EXPECT_EQ(lib().StartEPD(id, folder.path("in.epd").c_str(), 300, 0, 2), 1);
    EXPECT_EQ(arguments(), (std::vector<std::string>{"./silent", exchange(id, "EPD"), "00:05:00",
                                                     "0", "C", "cwd=" + folder.root()}));
    lib().Stop(id);
    fs::remove(folder.path("ARGS.txt"));
    EXPECT_EQ(lib().StartEPD(id, folder.path("in.epd").c_str(), 3, 5, 1), 1);
    EXPECT_EQ(arguments(), (std::vector<std::string>{"./silent", exchange(id, "EPD"), "00:00:05",
                                                     "5", "A", "cwd=" + folder.root()}));
    lib().Stop(id);
    fs::remove(folder.path("ARGS.txt"));
    EXPECT_EQ(lib().StartAnalyseGame(id, folder.path("in.pgn").c_str(), 3725, 6), 1);
    EXPECT_EQ(arguments(), (std::vector<std::string>{"./silent", exchange(id, "PGN"), "4", "6",
                                                     "01:02:05", "cwd=" + folder.root()}));
    lib().Stop(id);
    fs::remove(folder.path("ARGS.txt"));
    // Without a known calling application the evaluation mode is dropped; time is clamped.
    const int other = allocate("silent", 9, 0);
    EXPECT_EQ(lib().StartEPD(other, folder.path("in.epd").c_str(), 400000, 0, 2), 1);
    EXPECT_EQ(arguments(), (std::vector<std::string>{"./silent", exchange(other, "EPD"),
                                                     "99:59:59", "0", "cwd=" + folder.root()}));
    lib().Stop(other);
}

TEST_F(Engines, AnalysisLineRules) {
    const int id = allocate("long", 9);
    ASSERT_EQ(lib().StartPGN(id, folder.path("in.pgn").c_str(), 1, 0), 1);
    for (int i = 0; i < 100 && !folder.exists(exchange(id, "ANA")); ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(analysisLine(id, 400).second, std::string(258, 'x'));  // 260 read, 2 dropped
    EXPECT_EQ(analysisLine(id, 40).second, std::string(39, 'x'));
    EXPECT_EQ(analysisLine(id, 39).first, 0);
    EXPECT_EQ(lib().GetError(id), 2);
    lib().Stop(id);
    folder.write(exchange(id, "ANA"), "123456789\r\n");
    EXPECT_EQ(analysisLine(id), (std::pair<int, std::string>{1, "123456789"}));
    folder.write(exchange(id, "ANA"), "x");
    EXPECT_EQ(analysisLine(id), (std::pair<int, std::string>{1, "x"}));
    folder.write(exchange(id, "ANA"), "");
    EXPECT_EQ(analysisLine(id), (std::pair<int, std::string>{1, ""}));
    fs::remove(folder.path(exchange(id, "ANA")));
    EXPECT_EQ(analysisLine(id).first, 0);
    EXPECT_EQ(lib().GetError(id), 8);
    EXPECT_EQ(lib().GetSysError(id), ENOENT);
}

TEST_F(Engines, GarbageLinesAreCopiedSafely) {
    const int id = allocate("garbage", 9);
    ASSERT_EQ(lib().StartEPD(id, folder.path("in.epd").c_str(), 5, 0, 0), 1);
    for (int i = 0; i < 100 && !folder.exists(exchange(id, "ANE")); ++i) std::this_thread::sleep_for(10ms);
    const auto [result, line] = analysisLine(id, 400);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(line.size(), 258u);
    EXPECT_EQ(lib().Stop(id), 1);
}

TEST_F(Engines, StopInEpdAnalysisKeepsTheResultAndRemovesTheRest) {
    const int id = allocate("silent", 9);
    ASSERT_EQ(lib().StartEPD(id, folder.path("in.epd").c_str(), 5, 0, 0), 1);
    for (const char* extension : {"ANA", "ANE", "ANW", "OLD"}) folder.write(exchange(id, extension), "x");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(lib().Stop(id), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);  // the engine ended on request
    EXPECT_TRUE(folder.exists(exchange(id, "EPD")));
    for (const char* extension : {"ANA", "ANE", "ANW", "PGN", "OLD", "STP"})
        EXPECT_FALSE(folder.exists(exchange(id, extension))) << extension;
    EXPECT_EQ(lib().IsRunning(id), 0);
    EXPECT_EQ(lib().Stop(id), 1);  // nothing running: still 1
}

TEST_F(Engines, AnEngineThatIgnoresTheStopIsEndedAfterTwoSeconds) {
    const int id = allocate("hang", 9);
    ASSERT_EQ(lib().StartPGN(id, folder.path("in.pgn").c_str(), 1, 0), 1);
    const pid_t pid = lib().GetHandle(id);
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(lib().Stop(id), 1);
    const auto took = std::chrono::steady_clock::now() - started;
    EXPECT_GE(took, 1900ms);
    EXPECT_LT(took, 3s);
    EXPECT_EQ(::kill(pid, 0), -1);  // gone and reaped
    EXPECT_EQ(lib().GetHandle(id), -1);
}

TEST_F(Engines, ACrashedEngineIsNoticedAndReaped) {
    const int id = allocate("crash", 9);
    ASSERT_EQ(lib().StartPGN(id, folder.path("in.pgn").c_str(), 1, 0), 1);
    const pid_t pid = lib().GetHandle(id);
    EXPECT_TRUE(waitUntilEnded(id));
    EXPECT_EQ(lib().GetError(id), 0);
    EXPECT_EQ(::kill(pid, 0), -1);
    // A new start finds the old engine gone.
    EXPECT_EQ(lib().StartPGN(id, folder.path("in.pgn").c_str(), 1, 0), 1);
}

TEST_F(Engines, ResultsAreCopiedWithoutOverwriting) {
    const int id = allocate("VANTA", 9);
    ASSERT_EQ(lib().StartEPD(id, folder.path("in.epd").c_str(), 5, 0, 0), 1);
    EXPECT_TRUE(waitUntilEnded(id));
    folder.write("taken.epd", "keep");
    EXPECT_EQ(lib().GetAnalysisEPD(id, folder.path("taken.epd").c_str()), 0);
    EXPECT_EQ(lib().GetError(id), 8);
    EXPECT_EQ(lib().GetSysError(id), EEXIST);
    EXPECT_EQ(folder.read("taken.epd"), "keep");
    EXPECT_EQ(lib().GetAnalysisEPD(id, folder.path("result.epd").c_str()), 1);
    EXPECT_EQ(folder.read("result.epd"), folder.read("in.epd") + "analysed\r\n");
    EXPECT_EQ(lib().GetAnalysisGame(id, folder.path("game.pgn").c_str()), 0);  // wrong mode
    EXPECT_EQ(lib().GetError(id), 2);

    ASSERT_EQ(lib().StartAnalyseGame(id, folder.path("in.pgn").c_str(), 5, 0), 1);
    EXPECT_TRUE(waitUntilEnded(id));
    EXPECT_EQ(lib().GetAnalysisGame(id, folder.path("game.pgn").c_str()), 1);
    EXPECT_EQ(folder.read("game.pgn").rfind("[Event \"analysed\"]", 0), 0u);
    EXPECT_EQ(lib().GetAnalysisEPD(id, folder.path("other.epd").c_str()), 0);
}

TEST_F(Engines, GameResultIsRefusedWhileTheEngineRuns) {
    const int id = allocate("silent", 9);
    ASSERT_EQ(lib().StartAnalyseGame(id, folder.path("in.pgn").c_str(), 5, 0), 1);
    EXPECT_EQ(lib().GetAnalysisGame(id, folder.path("game.pgn").c_str()), 0);
    EXPECT_EQ(lib().GetError(id), 6);
}

TEST_F(Engines, FreeWithoutTerminateLeavesTheEngineRunning) {
    const int id = allocate("hang", 9);
    ASSERT_EQ(lib().StartPGN(id, folder.path("in.pgn").c_str(), 1, 0), 1);
    const pid_t pid = lib().GetHandle(id);
    EXPECT_EQ(lib().Free(id, 0), 1);
    allocated.clear();
    EXPECT_EQ(::kill(pid, 0), 0);  // still alive
    EXPECT_EQ(lib().GetError(id), 3);
    ::kill(pid, SIGKILL);  // the library's reaper collects it
    for (int i = 0; i < 200 && ::kill(pid, 0) == 0; ++i) std::this_thread::sleep_for(10ms);
    EXPECT_EQ(::kill(pid, 0), -1);

    const int other = allocate("hang", 9);
    ASSERT_EQ(lib().StartPGN(other, folder.path("in.pgn").c_str(), 1, 0), 1);
    const pid_t second = lib().GetHandle(other);
    EXPECT_EQ(lib().Free(other, 1), 1);
    allocated.clear();
    EXPECT_EQ(::kill(second, 0), -1);
    EXPECT_FALSE(folder.exists(exchange(other, "PGN")));
}

TEST_F(Engines, AFailedStartRestoresTheFolderAndRemovesItsFiles) {
    folder.write("notrunnable", "plain text");
    ::chmod(folder.path("notrunnable").c_str(), 0644);
    const int id = allocate("notrunnable", 9);
    const std::string before = fs::current_path().string();
    EXPECT_EQ(lib().StartEPD(id, folder.path("in.epd").c_str(), 5, 0, 0), 0);
    EXPECT_EQ(lib().GetError(id), 9);
    EXPECT_EQ(lib().GetSysError(id), EACCES);
    EXPECT_EQ(fs::current_path().string(), before);
    EXPECT_FALSE(folder.exists(exchange(id, "EPD")));
    EXPECT_EQ(lib().StartPGN(id, folder.path("missing.pgn").c_str(), 1, 0), 0);
    EXPECT_EQ(lib().GetError(id), 8);
    EXPECT_EQ(lib().GetSysError(id), ENOENT);
    EXPECT_EQ(fs::current_path().string(), before);
}

TEST_F(Engines, LastInstanceUsesNumberSixteen) {
    std::vector<int> ids;
    for (int i = 0; i < 16; ++i) ids.push_back(allocate("silent"));
    ASSERT_EQ(ids.back(), 15);
    ASSERT_EQ(lib().StartEPD(15, folder.path("in.epd").c_str(), 5, 0, 0), 1);
    EXPECT_TRUE(folder.exists("VANENG16.EPD"));
}

TEST(Vaneng32Threads, SixteenThreadsDriveSixteenInstancesAtOnce) {
    std::vector<std::unique_ptr<TempFolder>> folders;
    for (int i = 0; i < 16; ++i) {
        folders.push_back(std::make_unique<TempFolder>());
        fs::create_symlink(FAKE_ENGINE, folders.back()->path("VANTA"));
        folders.back()->write("in.epd", "8/8/8/8/8/8/8/K6k w - - id \"" + std::to_string(i) + "\";\r\n");
    }
    std::barrier allocatedAll(17);
    std::atomic<int> succeeded{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 16; ++i) {
        threads.emplace_back([&, i] {
            TempFolder& folder = *folders[static_cast<std::size_t>(i)];
            const int id = lib().Allocate(1, "VANTA", folder.root().c_str(), 9);
            allocatedAll.arrive_and_wait();
            if (id < 0) {
                allocatedAll.arrive_and_drop();
                return;
            }
            allocatedAll.arrive_and_wait();  // the main thread checks the 17th allocation
            bool ok = lib().StartEPD(id, folder.path("in.epd").c_str(), 5, 0, 0) == 1;
            std::string line(100, '\0');
            int length = 0;
            const auto until = std::chrono::steady_clock::now() + 10s;
            while (ok && lib().IsRunning(id) && std::chrono::steady_clock::now() < until)
                lib().GetAnalysisLine(id, line.data(), 100, &length);
            ok = ok && lib().GetAnalysisEPD(id, folder.path("out.epd").c_str()) == 1 &&
                 folder.read("out.epd") == folder.read("in.epd") + "analysed\r\n";
            ok = lib().Free(id, 1) == 1 && ok;
            if (ok) ++succeeded;
        });
    }
    allocatedAll.arrive_and_wait();
    EXPECT_EQ(lib().Instances(), 16);
    EXPECT_EQ(lib().Allocate(1, "VANTA", folders[0]->root().c_str(), 9), -1);
    EXPECT_EQ(lib().GetError(0), 4);
    allocatedAll.arrive_and_wait();
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(succeeded.load(), 16);
    EXPECT_EQ(lib().Instances(), 0);
}

}  // namespace
