// Measures the GIF writer: encoding a 304 x 304 diagram against giflib's EGifPutLine encoding
// the same indices (side by side, alternating), the two file sizes; and "Export GIF" of a
// 10,000-line document from the main window, with its resident memory.
// Usage: gif_bench [lines=10000] [output-folder=/tmp] [encodings=400]
#include <gif_lib.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench_support.h"
#include "chess_diagram.h"
#include "gif_writer.h"
#include "image_commands.h"
#include "main_window.h"
#include "qt_services.h"
#include "scripted_prompts.h"

namespace fs = std::filesystem;

namespace {

std::vector<std::string> wacLines() {
    std::vector<std::string> lines;
    std::ifstream in(std::string(BRISVANE_TESTDATA_DIR) + "/epd/wac.epd");
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.size() > 14) lines.push_back(line);
    }
    return lines;
}

// giflib writing the same picture into memory: screen, the same colour table, one image.
std::size_t giflibEncode(const TByteArray2D& pixels, const TColorTable& table) {
    std::string out;
    auto write = [](GifFileType* gif, const GifByteType* bytes, int length) -> int {
        static_cast<std::string*>(gif->UserData)
            ->append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
        return length;
    };
    int error = 0;
    GifFileType* gif = EGifOpen(&out, write, &error);
    std::vector<GifColorType> colors(static_cast<std::size_t>(table.count));
    for (int i = 0; i < table.count; ++i)
        colors[static_cast<std::size_t>(i)] = {table.entries[static_cast<std::size_t>(i)][0],
                                               table.entries[static_cast<std::size_t>(i)][1],
                                               table.entries[static_cast<std::size_t>(i)][2]};
    ColorMapObject* map = GifMakeMapObject(table.count, colors.data());
    EGifSetGifVersion(gif, false);
    EGifPutScreenDesc(gif, pixels.width(), pixels.height(), 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, pixels.width(), pixels.height(), false, nullptr);
    for (int y = 0; y < pixels.height(); ++y)
        EGifPutLine(gif, const_cast<GifPixelType*>(pixels.data() + y * pixels.width()),
                    pixels.width());
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out.size();
}

}  // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::size_t lines = argc > 1 ? std::stoul(argv[1]) : 10000;
    const std::string folder = argc > 2 ? argv[2] : "/tmp";
    const int encodings = argc > 3 ? std::stoi(argv[3]) : 400;
    const auto wac = wacLines();

    ScriptedPrompts prompts;
    MemoryClipboard clipboard;
    MemorySettings settings;
    MainFormSetup setup;
    setup.folders = AppFolders::forProgramFolder(folder);
    setup.settings = &settings;
    setup.prompts = &prompts;
    setup.clipboard = &clipboard;
    setup.options.showProgress = true;
    TMainForm window(setup);
    window.show();
    QApplication::processEvents();

    // One diagram: the first WAC position, as the program's diagram draws it.
    const std::string epd = folder + "/gif-bench.epd";
    {
        std::ofstream out(epd, std::ios::binary);
        for (std::size_t i = 0; i < lines; ++i)
            out << wac[i % wac.size()] << "\r\n";
    }
    prompts.file(epd);
    window.action(QStringLiteral("miOpenFile"))->trigger();
    const QImage picture = window.imageExports().snapshot().convertToFormat(QImage::Format_RGB32);
    GifBitmap bitmap{picture.width(), picture.height(), {}};
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb rgb = picture.pixel(x, y);
            bitmap.colors.push_back(
                static_cast<std::uint32_t>(qRed(rgb) | qGreen(rgb) << 8 | qBlue(rgb) << 16));
        }
    TColorTable table;
    const auto indices = BitmapToIndices(bitmap, table);

    std::vector<double> oursMs;
    std::vector<double> theirsMs;
    std::size_t oursBytes = 0;
    std::size_t theirsBytes = 0;
    for (int i = 0; i < encodings; ++i) {
        QElapsedTimer timer;
        timer.start();
        TGifFile file;
        file.AddSubImage(table, *indices);
        oursBytes = file.bytes().size();
        oursMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
        timer.restart();
        theirsBytes = giflibEncode(*indices, table);
        theirsMs.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }

    // Export GIF of every line into an empty folder.
    const std::string target = folder + "/gif-bench-export";
    fs::remove_all(target);
    fs::create_directories(target);
    prompts.file(target);
    const long rssBefore = statusKilobytes("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    window.action(QStringLiteral("miExportGIF"))->trigger();
    const double exportMs = static_cast<double>(timer.nsecsElapsed()) / 1e6;
    const long rssAfter = statusKilobytes("VmRSS:");
    std::size_t files = 0;
    for (const auto& entry : fs::directory_iterator(target))
        files += entry.path().extension() == ".GIF";

    std::printf("diagram: %d x %d, %d colours in the palette\n", picture.width(), picture.height(),
                table.count);
    std::printf("encode, ours:   median %.3f ms, %zu bytes (%d runs)\n", median(oursMs), oursBytes,
                encodings);
    std::printf("encode, giflib: median %.3f ms, %zu bytes\n", median(theirsMs), theirsBytes);
    std::printf("ratio ours / giflib: time %.2f, size %.3f\n", median(oursMs) / median(theirsMs),
                static_cast<double>(oursBytes) / static_cast<double>(theirsBytes));
    std::printf("export GIF of %zu lines: %.1f s, %zu files, progress repainted %d times\n", lines,
                exportMs / 1000, files, window.progressWindow()->repaints());
    std::printf("resident memory: %.1f MB before, %.1f MB after the export\n", rssBefore / 1024.0,
                rssAfter / 1024.0);
    fs::remove_all(target);
    fs::remove(epd);
    return prompts.unexpected().empty() ? 0 : 1;
}
