#include "image_commands.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "chess_diagram.h"
#include "gif_decode.h"
#include "main_window.h"
#include "scripted_prompts.h"
#include "temp_folder.h"
#include "test_window_setup.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kLines = {
    "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 bm e5;",
    "4k3/8/8/8/8/8/8/4K3 w - - id \"kings\";", "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - id \"castles\";"};

class ImageExportsTest : public testing::Test {
protected:
    ImageExportsTest() {
        MainFormSetup setup = testWindowSetup(folder.root(), settings, prompts, clipboard);
        setup.options.showProgress = false;
        window = std::make_unique<TMainForm>(setup);
        window->show();
    }
    void TearDown() override {
        EXPECT_TRUE(prompts.unexpected().empty()) << prompts.unexpected().front();
        EXPECT_EQ(prompts.pendingAnswers(), 0u);
    }
    void openLines() {
        std::ofstream(folder.path("three.epd"), std::ios::binary) << kLines[0] << "\r\n"
                                                                  << kLines[1] << "\r\n"
                                                                  << kLines[2] << "\r\n";
        prompts.file(folder.path("three.epd"));
        trigger("miOpenFile");
    }
    void trigger(const char* name) { window->action(QString::fromLatin1(name))->trigger(); }
    std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    // Whether a GIF file holds exactly the picture.
    static std::size_t differences(const std::string& gifBytes, const QImage& picture) {
        const DecodedGif gif = decodeWithGiflib(gifBytes);
        if (!gif.ok || gif.width != picture.width() || gif.height != picture.height())
            return SIZE_MAX;
        std::size_t count = 0;
        for (int y = 0; y < gif.height; ++y)
            for (int x = 0; x < gif.width; ++x) {
                const auto& rgb =
                    gif.palette[gif.indices[static_cast<std::size_t>(y * gif.width + x)]];
                count += qRgb(rgb[0], rgb[1], rgb[2]) != (picture.pixel(x, y) | 0xFF000000u);
            }
        return count;
    }

    TempFolder folder;
    ScriptedPrompts prompts;
    MemorySettings settings;
    MemoryClipboard clipboard;
    std::unique_ptr<TMainForm> window;
};

TEST_F(ImageExportsTest, ExportGifWritesEveryLineAsItsDiagram) {
    trigger("miExportGIF");
    EXPECT_EQ(prompts.messages().back(), "No EPD file opened");
    trigger("miNewFile");
    trigger("miExportGIF");
    EXPECT_EQ(prompts.messages().back(), "The EPD file is empty");

    openLines();
    window->document().selectRow(1);
    TempFolder target;
    prompts.file(target.root());
    trigger("miExportGIF");
    EXPECT_EQ(target.entries(),
              (std::vector<std::string>{"EPD00001.GIF", "EPD00002.GIF", "EPD00003.GIF"}));
    for (int row = 0; row < 3; ++row) {
        window->document().selectRow(row);
        const QImage picture = window->imageExports().snapshot();
        EXPECT_EQ(differences(read(target.path(exportGifFileName(row + 1))), picture), 0u) << row;
    }
    window->document().selectRow(1);

    // A write the system refuses (a file size limit, as a full disk): the error, no partial
    // file under the name, the selected line back.
    TempFolder full;
    prompts.file(full.root());
    {
        FileSizeLimit limit(100);
        ASSERT_TRUE(limit.active());
        trigger("miExportGIF");
    }
    EXPECT_NE(prompts.messages().back().find("Can't write " + full.path("EPD00001.GIF")),
              std::string::npos)
        << prompts.messages().back();
    EXPECT_TRUE(full.entries().empty());
    EXPECT_EQ(window->document().currentIndex(), 1);
}

TEST_F(ImageExportsTest, SavedPicturesAskBeforeOverwritingAndRememberTheirFolder) {
    openLines();
    window->document().selectRow(2);
    const QImage picture = window->imageExports().snapshot();
    prompts.file(folder.path("board.gif"));
    trigger("miSaveasGIF");
    EXPECT_EQ(prompts.shown().back().request.title, "Save position as GIF");
    EXPECT_EQ(differences(read(folder.path("board.gif")), picture), 0u);
    EXPECT_EQ(settings.readString("History", "LastGIFdirectory", ""), folder.root() + "/");

    // An existing file answered No: nothing written, the key as it was.
    settings.writeString("History", "LastGIFdirectory", "/elsewhere/");
    const std::string before = read(folder.path("board.gif"));
    window->document().selectRow(0);
    prompts.file(folder.path("board.gif")).no();
    trigger("miSaveasGIF");
    EXPECT_EQ(prompts.shown().back().text,
              "File " + folder.path("board.gif") + " already exists, overwrite ?");
    EXPECT_EQ(read(folder.path("board.gif")), before);
    EXPECT_EQ(settings.readString("History", "LastGIFdirectory", ""), "/elsewhere/");

    for (const auto& [action, name, key] :
         {std::tuple{"miSaveasBMP", "board.bmp", "LastBMPdirectory"},
          std::tuple{"miSaveasPNG", "board.png", "LastPNGdirectory"}}) {
        prompts.file(folder.path(name));
        trigger(action);
        QImage saved(QString::fromStdString(folder.path(name)));
        EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
                  window->imageExports().snapshot().convertToFormat(QImage::Format_RGB32))
            << name;
        EXPECT_EQ(settings.readString("History", key, ""), folder.root() + "/");
    }

    trigger("miCopyASCIIEPD");
    ASSERT_TRUE(clipboard.content);
    EXPECT_EQ(clipboard.content->substr(clipboard.content->size() - kLines[0].size() - 2),
              kLines[0] + "\r\n");
    trigger("miCopyEPD");
    EXPECT_EQ(QGuiApplication::clipboard()->image().size(), QSize(304, 304));
}

TEST_F(ImageExportsTest, APrintFillsItsSquareOnOnePage) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(folder.path("board.pdf")));
    window->imageExports().printOn(printer);
    const double dpi = printer.resolution();

    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {QString::fromStdString(folder.path("board.pdf"))});
    ASSERT_TRUE(info.waitForFinished(20000));
    EXPECT_TRUE(QString::fromLatin1(info.readAllStandardOutput())
                    .contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))));

    // Rendered at 150 dpi, the picture covers device pixels 400 .. 400 + 4 x 264.
    QProcess render;
    render.start(QStringLiteral("pdftoppm"),
                 {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-png"),
                  QStringLiteral("-singlefile"), QString::fromStdString(folder.path("board.pdf")),
                  QString::fromStdString(folder.path("page"))});
    ASSERT_TRUE(render.waitForFinished(20000));
    const QImage page(QString::fromStdString(folder.path("page.png")));
    ASSERT_FALSE(page.isNull());
    int left = page.width(), right = -1, top = page.height(), bottom = -1;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (page.pixel(x, y) != qRgb(255, 255, 255)) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    // Device pixels count from the page's printable area.
    const double scale = 150.0 / dpi;
    const QRect printable = printer.pageLayout().paintRectPixels(printer.resolution());
    EXPECT_NEAR(left, (printable.left() + 400) * scale, 2);
    EXPECT_NEAR(top, (printable.top() + 400) * scale, 2);
    EXPECT_NEAR(right + 1 - left, 1056 * scale, 2);
    EXPECT_NEAR(bottom + 1 - top, 1056 * scale, 2);
}

// Every export that replaces a file writes it as a save does: a read-only file is refused with
// the command's message and left as it was, a link keeps pointing to the file it names, which
// is written and keeps its permissions.
TEST_F(ImageExportsTest, ExportsRefuseReadOnlyFilesAndWriteThroughLinks) {
    openLines();
    for (const auto& [action, extension] :
         {std::pair{"miSaveasGIF", ".gif"}, std::pair{"miSaveasBMP", ".bmp"},
          std::pair{"miSaveasPNG", ".png"}, std::pair{"miExportPGN", ".pgn"}}) {
        SCOPED_TRACE(action);
        const std::string locked = folder.path(std::string("locked") + extension);
        std::ofstream(locked) << "old";
        fs::permissions(locked, fs::perms(0444));
        prompts.file(locked).yes();
        trigger(action);
        ASSERT_FALSE(prompts.messages().empty());
        EXPECT_EQ(prompts.messages().back(), "Can't write " + locked + ": the file is read-only");
        EXPECT_EQ(read(locked), "old");

        const std::string real = folder.path(std::string("real") + extension);
        const std::string link = folder.path(std::string("link") + extension);
        std::ofstream(real) << "old";
        fs::permissions(real, fs::perms(0640));
        fs::create_symlink(real, link);
        prompts.file(link).yes();
        trigger(action);
        EXPECT_TRUE(fs::is_symlink(link));
        EXPECT_GT(read(real).size(), 3u);
        EXPECT_EQ(fs::status(real).permissions(), fs::perms(0640));
    }
}

}  // namespace
