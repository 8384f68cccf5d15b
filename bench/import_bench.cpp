// Measures the game list of the PGN import on a large collection: filling the list of the game
// selection dialog against `grep -c '^\[Event '` over the same file, in one run; moving through
// the list; and the resident memory the list takes against the header bytes it shows.
// Usage: import_bench [games=145000] [output-folder=/tmp] [runs=5]
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QProcess>
#include <QScrollBar>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "fnp_list_box.h"
#include "game_import.h"
#include "scripted_prompts.h"
#include "select_dialogs.h"

namespace {

// The games of the repository's largest collection, repeated until there are `games` of them.
std::size_t generateFile(const std::string& path, std::size_t games) {
    std::ifstream in(std::string(BRISVANE_TESTDATA_DIR) + "/pgn/Carlsen.pgn", std::ios::binary);
    std::vector<std::string> seeds;
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("[Event ", 0) == 0) seeds.emplace_back();
        if (!seeds.empty()) seeds.back() += line + "\n";
    }
    std::ofstream out(path, std::ios::binary);
    for (std::size_t i = 0; i < games; ++i)
        out << seeds[i % seeds.size()];
    out.flush();
    return static_cast<std::size_t>(out.tellp());
}

double timeMs(const std::function<void()>& work) {
    QElapsedTimer timer;
    timer.start();
    work();
    // The figure includes painting the dialog with its new state.
    QApplication::processEvents();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t games = argc > 1 ? std::stoul(argv[1]) : 145000;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    const int runs = argc > 3 ? std::stoi(argv[3]) : 5;
    const std::string path = folder + "/bench-" + std::to_string(games) + ".pgn";
    const std::size_t bytes = generateFile(path, games);

    ScriptedPrompts prompts;
    PgnSelection selection(prompts, [] { return false; });
    TPGNselect dialog(selection);
    dialog.show();
    QApplication::processEvents();
    TFnpListBox* list = dialog.list();

    // Side by side, alternating, the file in the page cache: grep, then the dialog's list.
    auto grepOnce = [&] {
        QProcess grep;
        grep.start(QStringLiteral("grep"), {QStringLiteral("-c"), QStringLiteral("^\\[Event "),
                                            QString::fromStdString(path)});
        grep.waitForFinished(-1);
        return grep.readAllStandardOutput().trimmed().toStdString();
    };
    const std::string grepCount = grepOnce();
    std::vector<double> grepMs;
    std::vector<double> fillMs;
    long rssBefore = 0;
    long rssAfter = 0;
    for (int run = 0; run < runs; ++run) {
        grepMs.push_back(timeMs([&] { grepOnce(); }));
        selection.readHeaders("/dev/null");  // empty the list first
        QApplication::processEvents();
        rssBefore = statusKilobytes("VmRSS:");
        fillMs.push_back(timeMs([&] {
            selection.readHeaders(path);
            list->setItemIndex(selection.firstRow());
        }));
        rssAfter = statusKilobytes("VmRSS:");
    }

    const int rows = list->model()->rowCount();
    auto key = [&](Qt::Key which) { return timeMs([&] { QTest::keyClick(list, which); }); };
    std::vector<double> pageDownMs;
    for (int i = 0; i < 20; ++i)
        pageDownMs.push_back(key(Qt::Key_PageDown));
    const double endMs = key(Qt::Key_End);
    const double homeMs = key(Qt::Key_Home);
    std::vector<double> scrollMs;
    for (int i = 1; i <= 20; ++i)
        scrollMs.push_back(timeMs([&] {
            list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum() * i / 20);
        }));
    const double headerMb = static_cast<double>(selection.games().textBytes()) / 1e6;
    const double listMb = static_cast<double>(rssAfter - rssBefore) * 1024.0 / 1e6;

    std::printf("file: %zu games, %.1f MB; grep -c counts %s, the list holds %d\n", games,
                static_cast<double>(bytes) / 1e6, grepCount.c_str(), rows);
    std::printf("grep -c '^\\[Event ':  median %8.1f ms of %d runs\n", median(grepMs), runs);
    std::printf("list filled and shown: median %8.1f ms of %d runs (%.2f x grep)\n", median(fillMs),
                runs, median(fillMs) / median(grepMs));
    std::printf("page down:  median %6.2f ms, worst %6.2f ms (20 presses)\n", median(pageDownMs),
                *std::max_element(pageDownMs.begin(), pageDownMs.end()));
    std::printf("end:        %6.2f ms (label %s)\n", endMs,
                dialog.indexLabel()->text().toStdString().c_str());
    std::printf("home:       %6.2f ms\n", homeMs);
    std::printf("scrolling:  median %6.2f ms, worst %6.2f ms (20 jumps of the scroll bar)\n",
                median(scrollMs), *std::max_element(scrollMs.begin(), scrollMs.end()));
    std::printf("resident memory of the list: %.1f MB for %.1f MB of header text (%.2f x)\n",
                listMb, headerMb, listMb / headerMb);
    const double storageMb = static_cast<double>(selection.games().storageBytes()) / 1e6;
    std::printf("the list's own storage: %.1f MB (%.2f x the header text)\n", storageMb,
                storageMb / headerMb);
    std::remove(path.c_str());
    return 0;
}
