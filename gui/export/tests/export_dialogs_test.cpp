// The HTML and RTF commands and their options dialogs in the main window.
#include "export_dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "chess_diagram.h"
#include "gif_decode.h"
#include "main_window.h"
#include "pgn_export.h"
#include "program_info.h"
#include "scripted_prompts.h"
#include "temp_folder.h"
#include "when_modal.h"
#include "test_window_setup.h"

namespace fs = std::filesystem;

namespace {

class TextExports : public testing::Test {
protected:
    // The window of a program folder holding `fontFile` as ChessFonts.ini, with a font chosen.
    void start(const std::string& fontFile, const std::string& font = "Brisvane Chess") {
        folder.write("ChessFonts.ini", fontFile);
        MainFormSetup setup = testWindowSetup(folder.root(), settings, prompts, clipboard);
        setup.options.chessFontName = font;
        window = std::make_unique<TMainForm>(setup);
        window->show();
    }
    static std::string shippedFonts() {
        std::ifstream in(BRISVANE_CHESS_FONTS_INI, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    void TearDown() override {
        EXPECT_TRUE(prompts.unexpected().empty()) << prompts.unexpected().front();
        EXPECT_EQ(prompts.pendingAnswers(), 0u);
    }
    QAction* act(const char* name) { return window->action(QString::fromLatin1(name)); }
    template <class T>
    static T* child(QWidget* parent, const char* name) {
        return parent->findChild<T*>(QString::fromLatin1(name));
    }

    TempFolder folder;
    MemorySettings settings;
    ScriptedPrompts prompts;
    MemoryClipboard clipboard;
    std::unique_ptr<TMainForm> window;
};

TEST_F(TextExports, CopyAndSaveTheCurrentPositionAsRtfAndHtml) {
    start(shippedFonts());
    ASSERT_TRUE(act("miCopyasRTF")->isEnabled());
    ASSERT_TRUE(act("miSaveasRTF")->isEnabled());
    ASSERT_TRUE(act("miRTFOptions")->isEnabled());
    const TChessPosition& position = window->diagram()->position();
    const TRTFHandling& fonts = *window->chessFonts();

    act("miCopyasRTF")->trigger();
    ASSERT_TRUE(clipboard.rich.has_value());
    EXPECT_EQ(*clipboard.rich, rtfDiagram(position, fonts, 24));
    EXPECT_EQ(clipboard.text(), rtfDiagramText(position, fonts));
    const std::string temp = AppFolders::forProgramFolder(folder.root()).tempFolder;
    EXPECT_EQ(settings.readString("History", "LastRTFdirectory", ""), temp + "/");

    prompts.file(folder.path("saved.rtf"));
    act("miSaveasRTF")->trigger();
    EXPECT_EQ(folder.read("saved.rtf"), *clipboard.rich);
    EXPECT_EQ(prompts.shown().back().request.initialDir, temp + "/");

    act("miCopyasHTML")->trigger();
    EXPECT_EQ(clipboard.text(), htmlDiagram(position, {}));
    EXPECT_FALSE(clipboard.rich.has_value());
}

TEST_F(TextExports, PgnOfTheCurrentLineAndOfTheWholeFile) {
    start("");
    const std::string lines[] = {"4k3/8/8/8/8/8/8/4K3 w - - bm Kd2; id \"a\";",
                                 "4k3/8/8/8/8/8/8/3K4 b - - id \"b\";"};
    folder.write("two.epd", lines[0] + "\r\n" + lines[1] + "\r\n");
    prompts.file(folder.path("two.epd"));
    act("miOpenFile")->trigger();
    act("actNextEPD")->trigger();
    act("miCopyasPGN")->trigger();
    EXPECT_EQ(clipboard.text(), pgnClipboardGame(lines[1], ProgramInfo::kTitle, pgnToday()));

    prompts.file(folder.path("two.pgn"));
    act("miExportPGN")->trigger();
    EXPECT_EQ(prompts.shown().back().request.fileName, "two");
    EXPECT_EQ(folder.read("two.pgn"),
              pgnGameOfLine(lines[0], 1, "two", {}, ProgramInfo::kTitle, pgnToday()) +
                  pgnGameOfLine(lines[1], 2, "two", {}, ProgramInfo::kTitle, pgnToday()));
}

TEST_F(TextExports, HtmlOptionsAreTakenOverAndThePieceImagesWritten) {
    start("");
    EXPECT_FALSE(act("miRTFOptions")->isEnabled());
    EXPECT_FALSE(act("miCopyasRTF")->isEnabled());
    fs::create_directory(folder.path("pieces"));
    prompts.file(folder.path("pieces"));
    whenModal<THTMLOptions>([](THTMLOptions* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "HTML Table Options");
        EXPECT_EQ(child<QComboBox>(dialog, "CBBorderSize")->currentText(), "5");
        EXPECT_EQ(child<QComboBox>(dialog, "CBPixels")->currentText(), "38 x 38");
        EXPECT_TRUE(child<QCheckBox>(dialog, "CBShowCoordinates")->isChecked());
        child<QComboBox>(dialog, "CBBorderSize")->setCurrentIndex(7);
        child<QComboBox>(dialog, "CBPixels")->setCurrentIndex(5);
        child<QCheckBox>(dialog, "CBShowCoordinates")->setChecked(false);
        child<QLineEdit>(dialog, "EditPraefix")->setText(QStringLiteral("img\\pieces"));
        child<QPushButton>(dialog, "BtnSavePieces")->click();
        child<QPushButton>(dialog, "BtnOK")->click();
    });
    act("miHTMLOptions")->trigger();
    EXPECT_EQ(window->options().borderSize, 7);
    EXPECT_EQ(window->options().pixels, 30);
    EXPECT_FALSE(window->options().showCoordinates);
    EXPECT_EQ(window->options().gifPathPraefix, "img/pieces/");
    EXPECT_TRUE(act("miSaveOptions")->isEnabled());

    // Every image the table names, 30 pixels wide, in the diagram's square colours.
    const QColor dark = window->diagram()->DarkSquareColor();
    for (const PieceImage& image : allPieceImages()) {
        const DecodedGif gif = decodeWithGiflib(folder.read("pieces/" + image.name + ".gif"));
        ASSERT_TRUE(gif.ok) << image.name << ": " << gif.error;
        EXPECT_EQ(gif.width, 30);
        EXPECT_EQ(gif.height, 30);
        const auto corner = gif.palette[gif.indices[0]];
        EXPECT_EQ(corner[0] == dark.red() && corner[1] == dark.green() && corner[2] == dark.blue(),
                  image.dark)
            << image.name;
    }
    act("miCopyasHTML")->trigger();
    EXPECT_NE(clipboard.text().find("<TABLE border=\"7\" bgcolor=\"#C0C0C0\">\r\n"),
              std::string::npos);
    EXPECT_NE(clipboard.text().find("<IMG SRC=\"img/pieces/wrb.gif\">"), std::string::npos);

    // Cancel keeps everything.
    whenModal<THTMLOptions>([](THTMLOptions* dialog) {
        child<QComboBox>(dialog, "CBBorderSize")->setCurrentIndex(0);
        child<QPushButton>(dialog, "BtnCancel")->click();
    });
    act("miHTMLOptions")->trigger();
    EXPECT_EQ(window->options().borderSize, 7);
}

TEST_F(TextExports, RtfOptionsCheckTheChoiceAndLoadTheFont) {
    start(
        "[Chess Fonts]\nFonts=2\nFont1=Good\nFont2=Broken\n[Good]\n" +
            [] {
                std::string keys;
                for (int i = 0; i < 26; ++i)
                    keys += std::string(chessFontKeys()[static_cast<std::size_t>(i)]) + "=" +
                            std::to_string(65 + i) + "\n";
                return keys;
            }() +
            "[Broken]\nBlank_B=43\n",
        "");
    EXPECT_TRUE(act("miRTFOptions")->isEnabled());
    EXPECT_FALSE(act("miCopyasRTF")->isEnabled());

    whenModal<TRTFOptions>([this](TRTFOptions* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Brisvane: RTF options");
        auto* fonts = child<QListWidget>(dialog, "LBFontName");
        auto* sizes = child<QListWidget>(dialog, "LBFontSize");
        EXPECT_EQ(fonts->count(), 2);
        EXPECT_EQ(sizes->count(), 16);
        EXPECT_TRUE(fonts->selectedItems().isEmpty());
        child<QPushButton>(dialog, "BtnOK")->click();
        EXPECT_EQ(prompts.messages().back(), "Chess font name missing/illegal");
        EXPECT_TRUE(dialog->isVisible());
        fonts->setCurrentRow(0);
        child<QPushButton>(dialog, "BtnOK")->click();
        EXPECT_EQ(prompts.messages().back(), "Chess font size missing/illegal");
        sizes->setCurrentRow(13);
        child<QPushButton>(dialog, "BtnOK")->click();
    });
    act("miRTFOptions")->trigger();
    EXPECT_EQ(window->options().chessFontName, "Good");
    EXPECT_EQ(window->options().chessFontSize, 36);
    EXPECT_TRUE(act("miCopyasRTF")->isEnabled());
    EXPECT_TRUE(act("miSaveOptions")->isEnabled());

    // A font whose codes are missing is forgotten and the commands go off.
    whenModal<TRTFOptions>([](TRTFOptions* dialog) {
        EXPECT_EQ(child<QListWidget>(dialog, "LBFontSize")->currentItem()->text(), "36");
        child<QListWidget>(dialog, "LBFontName")->setCurrentRow(1);
        child<QPushButton>(dialog, "BtnOK")->click();
    });
    act("miRTFOptions")->trigger();
    EXPECT_EQ(prompts.messages().back(), "Can't load data for font 'Broken'");
    EXPECT_EQ(window->options().chessFontName, "");
    EXPECT_EQ(window->options().chessFontSize, -1);
    EXPECT_FALSE(act("miCopyasRTF")->isEnabled());
    EXPECT_FALSE(act("miSaveasRTF")->isEnabled());
}

}  // namespace
