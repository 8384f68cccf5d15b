// The EPD file analysis of the program (engine access component, library, Vanta, Stockfish)
// over the first positions of "Win at Chess", against Stockfish driven directly over UCI for the
// same time per position in the same run.
//
//   analysis_bench [positions=100] [seconds=5]
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "analysis_text.h"
#include "epd_file_analysis.h"
#include "text_file.h"
#include "uci_engine.h"
#include "vanta_engine.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string stockfish() {
    for (const char* candidate : {"/usr/games/stockfish", "/usr/bin/stockfish"})
        if (fs::exists(candidate)) return candidate;
    return "stockfish";
}

}  // namespace

int main(int argc, char* argv[]) {
    const int positions = argc > 1 ? std::atoi(argv[1]) : 100;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 5;
    const fs::path work = fs::temp_directory_path() / "brisvane-analysis-bench";
    fs::remove_all(work);
    fs::create_directories(work / "engine");
    fs::copy_file(BRISVANE_PROGRAM_DIR "/AddOn/EngV9/Vanta", work / "engine/Vanta");

    std::ifstream wac(BRISVANE_TESTDATA_DIR "/epd/wac.epd", std::ios::binary);
    std::vector<std::string> suite;
    for (std::string line; std::getline(wac, line) && static_cast<int>(suite.size()) < positions;) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        if (line.size() >= kShortestEpdLine) suite.push_back(line);
    }
    {
        std::ofstream out(work / "suite.epd", std::ios::binary);
        for (const auto& line : suite)
            out << line << "\r\n";
    }

    // The program's road, polled every 200 ms as the window's timer does.
    TVantaEngine engine;
    engine.setDLLPath(BRISVANE_PROGRAM_DIR "/AddOn");
    engine.setEngName("Vanta");
    engine.setPath((work / "engine").string());
    engine.setEngine(VEengTypeSet::EngV9);
    engine.setMode(VEmodeSet::ModPos);
    ComponentEngine control(engine);
    EpdFileAnalysis analysis(
        {&control, nullptr, nullptr, work.string(), [] { return std::string("-"); }});
    analysis.show();
    analysis.setSeconds(seconds);
    analysis.setSkipEvaluated(false);
    analysis.chooseFile((work / "suite.epd").string());
    const auto start = Clock::now();
    analysis.start();
    if (!analysis.analysing()) {
        std::fprintf(stderr, "the analysis did not start\n");
        return 1;
    }
    while (analysis.display().timerOn) {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        analysis.tick();
    }
    const auto end = Clock::now();
    const double wall = std::chrono::duration<double>(end - start).count();

    // The budget is the engine's time: the full time for each position, and for a position
    // ended early on a mate the seconds the engine says it spent there (acs, whole seconds
    // rounded down, so the budget is if anything too small). The strict figure leaves the mate
    // positions out altogether.
    std::ifstream analysed(work / "suite.epd", std::ios::binary);
    std::vector<std::string> results;
    for (std::string line; std::getline(analysed, line);) {
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        if (line.size() >= kShortestEpdLine) results.push_back(line);
    }
    int ours = 0;
    int mates = 0;
    int mateTime = 0;
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (EpdFileAnalysis::solves(results[i], EpdFileAnalysis::firstPvMove(results[i]))) ++ours;
        const auto ce = EpdFileAnalysis::operandAfter(results[i], "ce ");
        const bool mate = !ce.empty() && std::abs(std::atoi(ce.c_str())) > 32000;
        if (mate) {
            ++mates;
            mateTime += std::atoi(EpdFileAnalysis::operandAfter(results[i], "acs ").c_str());
        }
    }
    const double strict = (static_cast<double>(suite.size()) - mates) * seconds;
    const double budget = strict + mateTime;

    // Stockfish alone, the same time per position.
    UciEngine direct;
    std::string error;
    if (!direct.start(stockfish(), error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    direct.setOption("Hash", "1");
    direct.setOption("Threads", "1");
    int theirs = 0;
    for (const auto& line : suite) {
        direct.send("ucinewgame");
        direct.ready();
        const std::string fen = fenOf(line);
        const auto outcome = runSearch(direct, fen, "go movetime " + std::to_string(seconds * 1000),
                                       nullptr, nullptr, seconds * 1000 + 10000);
        const auto san = outcome ? sanVariation(fen, {outcome->bestMove}, 1) : std::nullopt;
        if (san && EpdFileAnalysis::solves(line, *san)) ++theirs;
    }
    direct.quit();

    std::printf("positions %zu, %d s each; %d ended early on a mate (engine: %d s)\n", suite.size(),
                seconds, mates, mateTime);
    std::printf("wall time %.1f s, engine's time %.1f s, ratio %.4f (target <= 1.02)\n", wall,
                budget, wall / budget);
    std::printf("without the mate positions: %.1f s, ratio %.4f\n", strict, wall / strict);
    std::printf("solved: program %d, Stockfish directly %d (target: not more than 2 below)\n", ours,
                theirs);
    return 0;
}
