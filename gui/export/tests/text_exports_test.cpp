#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "golden_file.h"
#include "html_export.h"
#include "ini_settings.h"
#include "rtf_export.h"
#include "scripted_prompts.h"
#include "temp_folder.h"

namespace {

const std::string kShippedFonts = BRISVANE_CHESS_FONTS_INI;

TChessPosition initialPosition() {
    TChessPosition position;
    position.Inicialize();
    return position;
}

std::vector<std::string> crlfLines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const auto end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "a line without CR LF";
        if (end == std::string::npos) break;
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

// Tags balance as table markup: TABLE, TR, TD and B close in order, IMG and BR stand alone,
// attribute values are quoted, and nothing else appears.
bool wellFormedTable(const std::string& html, std::string& why) {
    std::vector<std::string> open;
    for (std::size_t at = 0; (at = html.find('<', at)) != std::string::npos;) {
        const auto end = html.find('>', at);
        if (end == std::string::npos) return why = "unclosed tag", false;
        std::string tag = html.substr(at + 1, end - at - 1);
        at = end + 1;
        const bool closing = !tag.empty() && tag[0] == '/';
        const std::string name = tag.substr(closing, tag.find(' ') - closing);
        if (std::count(tag.begin(), tag.end(), '"') % 2) return why = "quote in " + tag, false;
        if (name == "IMG" || name == "BR") continue;
        if (name != "TABLE" && name != "TR" && name != "TD" && name != "B")
            return why = "unknown tag " + name, false;
        if (!closing) {
            open.push_back(name);
        } else if (open.empty() || open.back() != name) {
            return why = "</" + name + "> closes nothing", false;
        } else {
            open.pop_back();
        }
    }
    if (!open.empty()) why = open.back() + " left open";
    return open.empty();
}

TEST(HtmlDiagram, BothLayoutsMatchTheirGoldenFilesAndAreWellFormed) {
    TChessPosition position = initialPosition();
    struct Case {
        const char* golden;
        HtmlOptions options;
        std::size_t lines;
    } cases[] = {
        {"initial-coordinates.html", {}, 72},
        {"initial-plain.html", {0, false, 25, "images/pieces/"}, 14},
        {"initial-coordinates-45.html", {7, true, 45, "gif/"}, 72},
    };
    for (const Case& c : cases) {
        const std::string html = htmlDiagram(position, c.options);
        expectGolden(c.golden, html);
        EXPECT_EQ(crlfLines(html).size(), c.lines) << c.golden;
        std::string why;
        EXPECT_TRUE(wellFormedTable(html, why)) << c.golden << ": " << why;
    }
    const std::string html = htmlDiagram(position, {});
    EXPECT_LT(html.find("brw.gif"), html.find("bnb.gif"));                // a8 first, then b8
    EXPECT_EQ(html.rfind("<IMG SRC=\"wrw.gif\">"), html.rfind("<IMG "));  // h1 last
    EXPECT_NE(htmlDiagram(position, {5, false, 38, "images/pieces/"})
                  .find("<IMG SRC=\"images/pieces/wpb.gif\">"),
              std::string::npos);
    EXPECT_NE(
        htmlDiagram(position, {5, false, 38, "a\"b&c/"}).find("<IMG SRC=\"a&quot;b&amp;c/wpb"),
        std::string::npos);

    position.PutPieceOnSquare(13, 34);
    try {
        htmlDiagram(position, {});
        ADD_FAILURE() << "a piece code of 13 was written";
    } catch (const BadSquareError& error) {
        EXPECT_STREQ(error.what(), "Error in building HTML table (34,13)");
    }
}

TEST(HtmlDiagram, ImageNamesAndTheOptionsDialogRules) {
    EXPECT_EQ(pieceImageName(Piece::WhiteRook, 0), "wrb");
    EXPECT_EQ(pieceImageName(Piece::BlackKing, 74), "bkw");
    EXPECT_EQ(pieceImageName(Piece::Empty, 1), "efw");
    std::set<std::string> names;
    for (const PieceImage& image : allPieceImages()) {
        EXPECT_EQ(image.name, pieceImageName(image.piece, image.dark ? 0 : 1));
        names.insert(image.name);
    }
    EXPECT_EQ(names.size(), 26u);

    struct Case {
        HtmlOptionsForm form;
        HtmlOptions stored;
        bool changed;
    } cases[] = {
        {{5, true, 13, ""}, {5, true, 38, ""}, false},
        {{9, true, 13, ""}, {1, true, 38, ""}, true},
        {{5, false, 0, "images\\pieces"}, {5, false, 25, "images/pieces/"}, true},
        {{5, true, 20, "a/"}, {5, true, 45, "a/"}, true},
    };
    for (const Case& c : cases) {
        HtmlOptions options;
        HtmlOptionsForm form = c.form;
        EXPECT_EQ(form.storeInto(options), c.changed);
        EXPECT_EQ(options.borderSize, c.stored.borderSize);
        EXPECT_EQ(options.showCoordinates, c.stored.showCoordinates);
        EXPECT_EQ(options.pixels, c.stored.pixels);
        EXPECT_EQ(options.gifPathPraefix, c.stored.gifPathPraefix);
        EXPECT_EQ(form.prefix, c.stored.gifPathPraefix);  // shown normalised
    }
    EXPECT_EQ(HtmlOptionsForm::of({3, false, 40, "x/"}).pixelsIndex, 15);
}

TEST(HtmlDiagram, PieceImagesAskOnceBeforeReplacingAny) {
    TempFolder folder;
    folder.write("wpb.gif", "old");
    folder.write("efw.gif", "old");
    std::vector<std::string> written;
    auto write = [&](const PieceImage& image, const std::string& path) {
        written.push_back(path);
        EXPECT_EQ(path, folder.path(image.name + ".gif"));
    };
    ScriptedPrompts prompts;
    prompts.file(folder.root()).no();
    EXPECT_EQ(savePieceImages(prompts, "/", false, write), 0);
    EXPECT_EQ(prompts.shown().back().text,
              "2 of the 26 piece images already exist in " + folder.root() + ", overwrite ?");
    EXPECT_TRUE(written.empty());
    prompts.file(folder.root()).yes();
    EXPECT_EQ(savePieceImages(prompts, "/", false, write), 26);
    EXPECT_EQ(written.size(), 26u);
    prompts.file(folder.path("missing"));
    EXPECT_EQ(savePieceImages(prompts, "/", true, write), 0);
    EXPECT_EQ(prompts.messages().back(), "Can't change to " + folder.path("missing"));
    EXPECT_TRUE(prompts.unexpected().empty());
}

TEST(ChessFonts, CodesAreNumbersOrOneEscapedCharacterOfOneByte) {
    const std::pair<const char*, int> cases[] = {
        {"97", 97},
        {" 97 ", 97},
        {"\\t", 116},
        {"\\1", 49},
        {"0", 0},
        {"255", 255},
        {"256", -1},
        {"-1", -1},
        {"300", -1},
        {"\\tt", -1},
        {"\\", -1},
        {"", -1},
        {"9a", -1},
        {"abc", -1},
        {"0x61", -1},
        {"\\\xC3\xA9", 233},
        {"\\\xE2\x82\xAC", -1},
        {"1 2", -1},
    };
    for (const auto& [text, code] : cases)
        EXPECT_EQ(parseChessFontCode(text), code) << text;
    EXPECT_EQ(chessFontKeyIndex(Piece::Empty, 0), 1);
    EXPECT_EQ(chessFontKeyIndex(Piece::BlackKing, 0), 2);
    EXPECT_EQ(chessFontKeyIndex(Piece::WhitePawn, 0), 13);
    EXPECT_EQ(chessFontKeyIndex(Piece::Empty, 1), 14);
    EXPECT_EQ(chessFontKeyIndex(Piece::WhiteKing, 1), 21);
    EXPECT_EQ(chessFontKeyIndex(Piece::BlackPawn, 1), 20);
    EXPECT_STREQ(chessFontKeys()[26], "BorderNW");
}

// A ChessFonts.ini written for one test, read through the settings file reader.
struct FontFile {
    TempFolder folder;
    std::unique_ptr<IniSettings> store;
    ScriptedPrompts prompts;
    std::unique_ptr<TRTFHandling> fonts;

    explicit FontFile(const std::string& text, bool verbose = true) {
        folder.write("ChessFonts.ini", text);
        store = std::make_unique<IniSettings>(folder.path("ChessFonts.ini"));
        fonts =
            std::make_unique<TRTFHandling>(folder.path("ChessFonts.ini"), verbose, *store, prompts);
    }
};

std::string fontSection(const std::string& name, int keys, const std::string& extra = "") {
    std::string text = "[" + name + "]\n";
    for (int i = 0; i < keys; ++i)
        text += std::string(chessFontKeys()[static_cast<std::size_t>(i)]) + "=" +
                std::to_string(65 + i) + "\n";
    return text + extra;
}

TEST(ChessFonts, TheFontListAndItsMessages) {
    struct Case {
        const char* name;
        std::string file;
        bool loaded;
        std::vector<std::string> fonts;
        std::vector<std::string> messages;
    } cases[] = {
        {"no fonts",
         "[Chess Fonts]\nFonts=0\n",
         false,
         {},
         {"no chess fonts found in ini file: \n@"}},
        {"garbage",
         "\x01\x02 not an ini file {}\n",
         false,
         {},
         {"no chess fonts found in ini file: \n@"}},
        {"empty second name",
         "[Chess Fonts]\nFonts=3\nFont1= Alpha \nFont2=\nFont3=Gamma\n",
         true,
         {"Alpha", "Gamma"},
         {"Parameter Font2 is empty"}},
        {"count beyond the names",
         "[Chess Fonts]\nFonts=2\nFont1=A\n",
         true,
         {"A"},
         {"Parameter Font2 is empty"}},
        // A damaged count is read up to 1000 fonts, with ten reports at most.
        {"huge count",
         "[Chess Fonts]\nFonts=2000000000\nFont1=A\nFont999=B\nFont1001=C\n",
         true,
         {"A", "B"},
         std::vector<std::string>(10, "")},
    };
    for (const Case& c : cases) {
        FontFile file(c.file);
        EXPECT_EQ(file.fonts->loaded(), c.loaded) << c.name;
        EXPECT_EQ(file.fonts->fontNames(), c.fonts) << c.name;
        std::vector<std::string> expected = c.messages;
        for (std::size_t i = 0; i < expected.size(); ++i) {
            std::string& m = expected[i];
            if (m.empty()) m = "Parameter Font" + std::to_string(i + 2) + " is empty";
            if (m.back() == '@') m.replace(m.size() - 1, 1, file.folder.path("ChessFonts.ini"));
        }
        EXPECT_EQ(file.prompts.messages(), expected) << c.name;
        EXPECT_EQ(FontFile(c.file, false).prompts.messages().size(), 0u) << c.name;
    }
    FontFile list("[Chess Fonts]\nFonts=3\nFont1=Alpha\nFont2=\nFont3=Gamma\n");
    EXPECT_EQ(list.fonts->FontIndex("Gamma"), 2);
    EXPECT_EQ(list.fonts->FontIndex("gamma"), -1);
    EXPECT_EQ(list.fonts->FontIndex(""), -1);
    EXPECT_EQ(list.fonts->FontName(2), "Gamma");
    EXPECT_EQ(list.fonts->FontName(3), "");

    ScriptedPrompts prompts;
    IniSettings none("/nowhere/ChessFonts.ini");
    const TRTFHandling missing("/nowhere/ChessFonts.ini", true, none, prompts);
    EXPECT_FALSE(missing.loaded());
    EXPECT_EQ(prompts.messages(),
              std::vector<std::string>{"chess fonts ini file: \n/nowhere/ChessFonts.ini\n"
                                       "doesn't exists"});
    EXPECT_EQ(missing.FontName(1), "");
}

TEST(ChessFonts, LoadingAFontChecksItsPieceAndBorderCodes) {
    const std::string head =
        "[Chess Fonts]\nFonts=4\nFont1=Full\nFont2=Short\nFont3=NoBorder\n"
        "Font4=Wide\n";
    FontFile file(head + fontSection("Full", 34) + fontSection("Short", 25) +
                  fontSection("NoBorder", 33) + fontSection("Wide", 25, "WhitePawn_W=300\n"));
    TRTFHandling& fonts = *file.fonts;
    EXPECT_TRUE(fonts.LoadFont(1));
    EXPECT_TRUE(fonts.borderAvailable());
    EXPECT_EQ(fonts.CodeText(1), "\\'41");
    EXPECT_EQ(fonts.CodeText(34), "\\'62");
    EXPECT_EQ(fonts.CodeText(35), "");
    EXPECT_EQ(fonts.currentFontName(), "Full");

    EXPECT_FALSE(fonts.LoadFont(2));  // WhitePawn_W missing
    EXPECT_EQ(fonts.currentFont(), -1);
    EXPECT_EQ(fonts.CodeText(1), "");
    EXPECT_FALSE(fonts.LoadFont(4));  // 300 is no byte
    EXPECT_EQ(file.prompts.messages(),
              (std::vector<std::string>{"piece font code missing", "piece font code missing"}));

    file.prompts.forget();
    EXPECT_TRUE(fonts.LoadFont(3));
    EXPECT_FALSE(fonts.borderAvailable());
    EXPECT_EQ(fonts.code(27), -1);  // the seven border codes it had are dropped
    EXPECT_EQ(file.prompts.messages(),
              std::vector<std::string>{"no piece font border information available"});
    EXPECT_FALSE(fonts.LoadFont(9));
}

TEST(RtfDiagram, TheShippedFontsGiveTheGoldenDocuments) {
    ScriptedPrompts prompts;
    IniSettings store(kShippedFonts);
    TRTFHandling fonts(kShippedFonts, true, store, prompts);
    ASSERT_EQ(fonts.fontNames(),
              (std::vector<std::string>{"Brisvane Chess", "Chess Merida", "Chess Alpha"}));
    for (int i = 1; i <= fonts.fontCount(); ++i) {
        ASSERT_TRUE(fonts.LoadFont(i)) << fonts.FontName(i);
        EXPECT_TRUE(fonts.borderAvailable()) << fonts.FontName(i);
    }
    EXPECT_TRUE(prompts.messages().empty());

    fonts.LoadFont(1);
    TChessPosition position = initialPosition();
    const std::string rtf = rtfDiagram(position, fonts, 24);
    expectGolden("initial-border.rtf", rtf);
    const auto lines = crlfLines(rtf);
    ASSERT_EQ(lines.size(), 12u + 10u + 1u);
    EXPECT_EQ(lines[11], "\\f1\\fs48");
    // Rank 8: border W, black rook on a light square ('t'), knight on a dark one ('M'), ...
    EXPECT_EQ(lines[13], "\\par\\tab\\'34\\'74\\'4d\\'76\\'57\\'6c\\'56\\'6d\\'54\\'35");
    EXPECT_EQ(lines.back(), "\\f0\\fs48\\par}");
    EXPECT_EQ(rtfDiagramText(position, fonts),
              "\r\n\t1222222223\r\n\t4tMvWlVmT5\r\n\t4OoOoOoOo5\r\n\t4*+*+*+*+5\r\n"
              "\t4+*+*+*+*5\r\n\t4*+*+*+*+5\r\n\t4+*+*+*+*5\r\n\t4pPpPpPpP5\r\n"
              "\t4RnBqKbNr5\r\n\t7888888889\r\n");

    // Without border codes: eight rank lines only, and the font size in half points.
    FontFile noBorder("[Chess Fonts]\nFonts=1\nFont1=Plain {x}\\\xE9\n" +
                      fontSection("Plain {x}\\\xE9", 26));
    ASSERT_TRUE(noBorder.fonts->LoadFont(1));
    const std::string plain = rtfDiagram(position, *noBorder.fonts, 11);
    expectGolden("initial-noborder.rtf", plain);
    const auto plainLines = crlfLines(plain);
    EXPECT_EQ(plainLines.size(), 12u + 8u + 1u);
    EXPECT_EQ(plainLines[1], "{\\f1\\fnil\\fprq2 Plain \\{x\\}\\\\\\'e9;}}");
    EXPECT_EQ(plainLines.back(), "\\f0\\fs22\\par}");
    // A UTF-8 name in Unicode escapes, a ";" that would end the entry escaped, and a size no
    // reader takes written as 24 points.
    FontFile named("[Chess Fonts]\nFonts=1\nFont1=Schach \xC3\x9C;1\n" +
                   fontSection("Schach \xC3\x9C;1", 26));
    ASSERT_TRUE(named.fonts->LoadFont(1));
    const auto namedLines = crlfLines(rtfDiagram(position, *named.fonts, 0));
    EXPECT_EQ(namedLines[1], "{\\f1\\fnil\\fprq2 Schach \\u220?\\'3b1;}}");
    EXPECT_EQ(namedLines[11], "\\f1\\fs48");

    position.PutPieceOnSquare(14, 77);
    try {
        rtfDiagram(position, fonts, 24);
        ADD_FAILURE() << "a piece code of 14 was written";
    } catch (const BadSquareError& error) {
        EXPECT_STREQ(error.what(), "Error in creating RTF file (77,14)");
    }
}

TEST(RtfDiagram, WritingAskesBeforeReplacingAndNeverLeavesAHalfFile) {
    TempFolder folder;
    FontFile file("[Chess Fonts]\nFonts=1\nFont1=F\n" + fontSection("F", 34));
    file.fonts->LoadFont(1);
    MemorySettings settings;
    ScriptedPrompts prompts;
    TChessPosition position = initialPosition();
    const std::string path = folder.path("board.rtf");
    ASSERT_TRUE(writeRtfFile(prompts, &settings, path, position, *file.fonts, 24, false));
    EXPECT_EQ(folder.read("board.rtf"), rtfDiagram(position, *file.fonts, 24));
    EXPECT_EQ(settings.readString("History", "LastRTFdirectory", ""), folder.root() + "/");

    prompts.no();
    EXPECT_FALSE(writeRtfFile(prompts, &settings, path, position, *file.fonts, 12, true));
    EXPECT_EQ(prompts.shown().back().text, "Datei " + path + " existiert bereits, überschreiben ?");
    position.PutPieceOnSquare(13, 0);
    prompts.yes();
    EXPECT_FALSE(writeRtfFile(prompts, &settings, path, position, *file.fonts, 12, false));
    EXPECT_EQ(prompts.messages().back(), "Error in creating RTF file (0,13)");
    EXPECT_EQ(folder.read("board.rtf"), rtfDiagram(initialPosition(), *file.fonts, 24));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.root()), {}), 1);

    prompts.file(folder.path("x.rtf"));
    settings.writeString("History", "LastRTFdirectory", "/last/");
    EXPECT_EQ(chooseRtfFile(prompts, &settings, false), folder.path("x.rtf"));
    const FileDialogRequest& request = prompts.shown().back().request;
    EXPECT_EQ(request.title, "Save position as RTF");
    EXPECT_EQ(request.filter, "Rich Text Format (*.RTF)|*.RTF");
    EXPECT_EQ(request.initialDir, "/last/");
    EXPECT_EQ(request.defaultExtension, "RTF");
    EXPECT_TRUE(prompts.unexpected().empty());
}

TEST(RtfStartUp, EnablingRulesAndDebugMessages) {
    TempFolder folder;
    auto open = [](const std::string& path) { return std::make_unique<IniSettings>(path); };
    struct Case {
        const char* name;
        std::string file;  // "" for none
        bool debug;
        std::string font;
        bool options, commands;
        std::vector<std::string> messages;
    } cases[] = {
        {"missing",
         "",
         true,
         "",
         false,
         false,
         {"Chess font INI file\n@\ndoesn't exists", "chess fonts ini file: \n@\ndoesn't exists",
          "Menu item 'Options/RTF...' disabled"}},
        {"missing, quiet", "", false, "F", false, false, {}},
        {"no font chosen",
         "[Chess Fonts]\nFonts=1\nFont1=F\n" + fontSection("F", 26),
         true,
         "",
         true,
         false,
         {}},
        {"chosen",
         "[Chess Fonts]\nFonts=1\nFont1=F\n" + fontSection("F", 34),
         false,
         "F",
         true,
         true,
         {}},
        {"unknown",
         "[Chess Fonts]\nFonts=1\nFont1=F\n" + fontSection("F", 34),
         false,
         "G",
         true,
         false,
         {"Can't load data for chess font G"}},
        {"codes missing",
         "[Chess Fonts]\nFonts=1\nFont1=F\n" + fontSection("F", 20),
         true,
         "F",
         true,
         false,
         {"piece font code missing", "Can't load data for chess font F"}},
    };
    const std::string path = folder.path("ChessFonts.ini");
    for (const Case& c : cases) {
        std::filesystem::remove(path);
        if (!c.file.empty()) folder.write("ChessFonts.ini", c.file);
        ScriptedPrompts prompts;
        const RtfStartup start = startRtf(folder.root(), c.debug, {c.font, 24}, prompts, open);
        EXPECT_EQ(start.optionsEnabled, c.options) << c.name;
        EXPECT_EQ(start.commandsEnabled, c.commands) << c.name;
        EXPECT_EQ(start.fonts != nullptr, c.options) << c.name;
        std::vector<std::string> expected = c.messages;
        for (std::string& m : expected)
            if (const auto at = m.find('@'); at != std::string::npos) m.replace(at, 1, path);
        EXPECT_EQ(prompts.messages(), expected) << c.name;
    }
}

TEST(RtfOptions, TheDialogsListsAndChecks) {
    FontFile file("[Chess Fonts]\nFonts=2\nFont1=A\nFont2=B\n" + fontSection("A", 34) +
                  fontSection("B", 26));
    RtfOptionsForm form = RtfOptionsForm::of(file.fonts.get(), {"B", 30});
    EXPECT_EQ(form.fontItems, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(form.fontIndex, 1);
    ASSERT_EQ(form.sizes.size(), 16u);
    EXPECT_EQ(form.sizes[static_cast<std::size_t>(form.sizeIndex)], 24);  // 30 is not listed
    EXPECT_EQ(RtfOptionsForm::of(file.fonts.get(), {"B", 36}).sizeIndex, 13);
    EXPECT_EQ(RtfOptionsForm::of(file.fonts.get(), {"", 36}).sizeIndex, -1);
    EXPECT_EQ(RtfOptionsForm::of(file.fonts.get(), {"B", -1}).sizeIndex, -1);
    const RtfOptionsForm none = RtfOptionsForm::of(nullptr, {"B", 24});
    EXPECT_EQ(none.fontItems, std::vector<std::string>{kNoFontsAvailable});

    ChessFontSetting setting{"B", 30};
    bool changed = true;
    EXPECT_EQ(none.accept(setting, changed), RtfOptionsForm::Outcome::Close);
    EXPECT_FALSE(changed);
    form.fontIndex = -1;
    EXPECT_EQ(form.accept(setting, changed), RtfOptionsForm::Outcome::FontMissing);
    form.fontIndex = 0;
    form.sizeIndex = -1;
    EXPECT_EQ(form.accept(setting, changed), RtfOptionsForm::Outcome::SizeMissing);
    form.sizeIndex = 4;
    EXPECT_EQ(form.accept(setting, changed), RtfOptionsForm::Outcome::Close);
    EXPECT_TRUE(changed);
    EXPECT_EQ(setting.name, "A");
    EXPECT_EQ(setting.size, 12);

    // After the dialog: the chosen font is loaded, one that fails is forgotten.
    EXPECT_TRUE(loadChosenFont(*file.fonts, setting, file.prompts));
    EXPECT_EQ(file.fonts->currentFontName(), "A");
    setting.name = "C";
    EXPECT_FALSE(loadChosenFont(*file.fonts, setting, file.prompts));
    EXPECT_EQ(setting.name, "");
    EXPECT_EQ(setting.size, -1);
    EXPECT_EQ(file.prompts.messages().back(), "Can't load data for font 'C'");
}

}  // namespace
