// Measures the main window on a generated EPD file of a million lines: opening until the first
// line is shown, resident memory, moving through the lines, deleting and undoing, and Normalize.
// Usage: document_bench [lines] [output-folder]
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <cstdio>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "main_window.h"
#include "qt_services.h"
#include "scripted_prompts.h"

namespace {

// Positions of the published suites; every fourth line gets a short rank for Normalize to
// repair, and every line a distinct id so that no two lines are alike.
std::vector<std::string> seedPositions() {
    std::vector<std::string> seeds;
    std::ifstream in(std::string(BRISVANE_TESTDATA_DIR) + "/epd/wac.epd");
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto id = line.find(" id ");
        if (id != std::string::npos) line.erase(id);
        if (line.size() > 14) seeds.push_back(line);
    }
    return seeds;
}

std::size_t generateFile(const std::string& path, std::size_t lines) {
    const auto seeds = seedPositions();
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < lines; ++i) {
        std::string line = seeds[i % seeds.size()];
        if (i % 4 == 1) {
            // "8/" somewhere in the placement becomes "7/": a short rank.
            const auto at = line.find("8/");
            if (at != std::string::npos && at < line.find(' ')) line[at] = '7';
        }
        out << line << " id " << i << ";\r\n";
    }
    out.flush();
    return static_cast<std::size_t>(out.tellp());
}

double timeMs(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    // The figure includes painting the window with its new state.
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t lines = argc > 1 ? std::stoul(argv[1]) : 1000000;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    const std::string path = folder + "/bench-" + std::to_string(lines) + ".epd";
    const std::size_t bytes = generateFile(path, lines);

    ScriptedPrompts prompts;
    MemoryClipboard clipboard;
    MemorySettings settings;
    MainFormSetup setup;
    setup.folders = AppFolders::forProgramFolder(folder);
    setup.settings = &settings;
    setup.prompts = &prompts;
    setup.clipboard = &clipboard;
    TMainForm window(setup);
    window.show();
    QApplication::processEvents();
    const long rssBefore = statusKilobytes("VmRSS:");

    auto* label = window.findChild<QLabel*>(QStringLiteral("LblIndex"));
    prompts.file(path);
    const double openMs = timeMs([&] { window.action(QStringLiteral("miOpenFile"))->trigger(); });
    const long rssOpen = statusKilobytes("VmRSS:");
    const std::string firstLabel = label->text().toStdString();

    const double nextMs = timeMs([&] { window.action(QStringLiteral("actNextEPD"))->trigger(); });
    const double previousMs =
        timeMs([&] { window.action(QStringLiteral("actPrevEPD"))->trigger(); });
    prompts.input(std::to_string(lines / 2));
    const double gotoMs = timeMs([&] { window.action(QStringLiteral("miGotoEPD"))->trigger(); });
    const std::string gotoLabel = label->text().toStdString();
    // Deleting near the start moves almost every line's entry.
    window.document().selectRow(1);
    QApplication::processEvents();
    const double deleteMs =
        timeMs([&] { window.action(QStringLiteral("miDeleteEPD"))->trigger(); });
    const double undoMs = timeMs([&] { window.action(QStringLiteral("miUndoEPD"))->trigger(); });

    const double normalizeMs =
        timeMs([&] { window.action(QStringLiteral("miNormalizeEPD"))->trigger(); });
    const int gaugeRepaints = window.progressWindow()->repaints();
    const long rssEnd = statusKilobytes("VmRSS:");
    const long rssPeak = statusKilobytes("VmHWM:");

    std::printf("file: %zu lines, %.1f MB\n", lines, static_cast<double>(bytes) / 1e6);
    std::printf("open until the first line is shown: %8.1f ms (label %s)\n", openMs,
                firstLabel.c_str());
    std::printf("next:      %8.2f ms\n", nextMs);
    std::printf("previous:  %8.2f ms\n", previousMs);
    std::printf("goto:      %8.2f ms (label %s)\n", gotoMs, gotoLabel.c_str());
    std::printf("delete:    %8.2f ms\n", deleteMs);
    std::printf("undo:      %8.2f ms\n", undoMs);
    std::printf("normalize: %8.1f ms, gauge repainted %d times, document modified: %s\n",
                normalizeMs, gaugeRepaints, window.document().isModified() ? "yes" : "no");
    std::printf(
        "resident memory: %.1f MB before opening, %.1f MB after, %.1f MB at the end, "
        "peak %.1f MB (%.2f x the file)\n",
        rssBefore / 1024.0, rssOpen / 1024.0, rssEnd / 1024.0, rssPeak / 1024.0,
        rssPeak * 1024.0 / static_cast<double>(bytes));
    std::remove(path.c_str());
    const bool ok = !prompts.unexpected().size() && firstLabel == "1/" + std::to_string(lines);
    return ok ? 0 : 1;
}
