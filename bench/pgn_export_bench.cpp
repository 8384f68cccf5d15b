// Times the PGN export of a million-line document (the "Win at Chess" lines repeated) into a
// file, as "Export PGN" writes it.
// Usage: pgn_export_bench [lines=1000000] [output-folder=/tmp]
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "pgn_export.h"
#include "scripted_prompts.h"

int main(int argc, char* argv[]) {
    const std::size_t count = argc > 1 ? std::stoul(argv[1]) : 1000000;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    std::vector<std::string> wac;
    std::ifstream in(std::string(BRISVANE_TESTDATA_DIR) + "/epd/wac.epd");
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 14) wac.push_back(line);
    }
    PgnExportDocument document{true, "bench.epd", folder, count, [&wac](std::size_t i) {
                                   return std::string_view(wac[i % wac.size()]);
                               }};
    const std::string path = folder + "/pgn-export-bench.pgn";
    std::filesystem::remove(path);
    ScriptedPrompts prompts;
    prompts.file(path);
    const auto start = std::chrono::steady_clock::now();
    exportPgnFile(prompts, document, {}, "Brisvane V1.5", pgnToday(), false);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("PGN export of %zu lines: %.2f s, %.1f MB written\n", count, seconds,
                static_cast<double>(std::filesystem::file_size(path)) / 1e6);
    std::filesystem::remove(path);
    return 0;
}
