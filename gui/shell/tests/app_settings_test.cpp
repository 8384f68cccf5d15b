#include "app_settings.h"

#include <filesystem>

#include <functional>
#include <csignal>
#include <set>
#include <stdexcept>

#include <sys/resource.h>

#include <gtest/gtest.h>

#include "app_folders.h"
#include "ini_settings.h"
#include "scripted_prompts.h"
#include "temp_folder.h"

namespace {

using Key = std::pair<std::string, std::string>;

// Remembers every write, in order, as the file would receive it.
class RecordingSettings : public MemorySettings {
public:
    std::vector<Key> written;
    int fileWrites = 0;
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        MemorySettings::writeString(section, key, value);
        written.emplace_back(section, key);
        ++fileWrites;
    }
    void writeMany(const std::vector<SettingWrite>& writes) override {
        for (const auto& w : writes) {
            MemorySettings::writeString(w.section, w.key, w.value);
            written.emplace_back(w.section, w.key);
        }
        ++fileWrites;
    }
};

std::vector<std::string> texts(const SettingsReading& reading) {
    std::vector<std::string> out;
    for (const auto& message : reading.messages)
        out.push_back(message.text);
    return out;
}

TEST(Settings, AMissingFileGivesEveryDefaultAndCreatesTheStartUpKeys) {
    RecordingSettings store;
    const auto reading = readAllSettings(store, {"/nowhere", "/nowhere/AddOn"});
    const AppSettings& s = reading.settings;
    EXPECT_EQ(s.darkSquares, kDefaultDarkSquares);
    EXPECT_EQ(s.undoBufferSize, 100);
    EXPECT_EQ(s.editor, "xdg-open");
    EXPECT_EQ(s.genericCmdLine, "$F");
    EXPECT_EQ(s.borderSize, 5);
    EXPECT_EQ(s.vantaEngineType, 2);
    EXPECT_FALSE(s.libraryUsable);
    EXPECT_TRUE(reading.messages.empty());
    EXPECT_FALSE(reading.changed);
    EXPECT_EQ(std::set<Key>(store.written.begin(), store.written.end()),
              (std::set<Key>{{"Settings", "Language"},
                             {"Settings", "Editor"},
                             {"Settings", "PrintScaleFactor"},
                             {"Settings", "NimzoLikePGN"},
                             {"Settings", "MapEpdOpToPGN"},
                             {"Settings", "BmToPGN"},
                             {"Settings", "EPDServer"},
                             {"Settings", "SlowTimer"},
                             {"HTML", "ShowCoordinates"},
                             {"HTML", "Pixels"}}));
    EXPECT_EQ(store.readString("Settings", "Editor", ""), "xdg-open");
    EXPECT_EQ(store.readString("Settings", "MapEpdOpToPGN", ""), "1");
}

struct RangeCase {
    const char* section;
    const char* key;
    const char* text;
    std::function<int(const AppSettings&)> get;
    int expected;
};

class SettingsRange : public testing::TestWithParam<RangeCase> {};

TEST_P(SettingsRange, RuleApplies) {
    const RangeCase& c = GetParam();
    MemorySettings store;
    store.writeString(c.section, c.key, c.text);
    EXPECT_EQ(c.get(readAllSettings(store, {"/nowhere", "/nowhere/AddOn"}).settings), c.expected)
        << c.key << "=" << c.text;
}

#define FIELD(name) [](const AppSettings& s) { return static_cast<int>(s.name); }
INSTANTIATE_TEST_SUITE_P(
    Settings, SettingsRange,
    testing::Values(RangeCase{"Settings", "UndoBufferSize", "5", FIELD(undoBufferSize), 100},
                    RangeCase{"Settings", "UndoBufferSize", "-3", FIELD(undoBufferSize), 0},
                    RangeCase{"Settings", "UndoBufferSize", "10000", FIELD(undoBufferSize), 10000},
                    RangeCase{"HTML", "BorderSize", "9", FIELD(borderSize), 1},
                    RangeCase{"HTML", "BorderSize", "7", FIELD(borderSize), 7},
                    RangeCase{"HTML", "Pixels", "50", FIELD(pixels), 38},
                    RangeCase{"HTML", "Pixels", "25", FIELD(pixels), 25},
                    RangeCase{"Settings", "SlowTimer", "40000", FIELD(slowTimer), 30000},
                    RangeCase{"Settings", "SlowTimer", "-5", FIELD(slowTimer), -1},
                    RangeCase{"Settings", "Language", "0x1", FIELD(language), 1},
                    RangeCase{"Settings", "Language", "2", FIELD(language), 0},
                    RangeCase{"Settings", "EPDServer", "-42", FIELD(epdServer), 1},
                    RangeCase{"Settings", "SlowTimer", "x", FIELD(slowTimer), 0},
                    RangeCase{"Settings", "PrintScaleFactor", "7", FIELD(printScaleFactor), 4},
                    RangeCase{"Settings", "DarkSquares", "$FF", FIELD(darkSquares.value), 255},
                    RangeCase{"Settings", "LightSquares", "white", FIELD(lightSquares.value),
                              0xFFFFFF},
                    RangeCase{"Analyse", "Selection", "5", FIELD(selection), 0},
                    RangeCase{"Analyse", "HashSizeV9", "8", FIELD(hashSizeV9), 1},
                    RangeCase{"Analyse", "VantaEngineType", "5", FIELD(vantaEngineType), 2},
                    RangeCase{"Analyse", "VantaEngineType", "9", FIELD(vantaEngineType), 9},
                    RangeCase{"Settings", "MapEpdOpToPGN", "2", FIELD(mapEpdOpToPgn), 0},
                    RangeCase{"Settings", "ShowProgress", "7", FIELD(showProgress), 1},
                    RangeCase{"Fonts", "ChessFontSize", "0X10", FIELD(chessFontSize), 16}));
#undef FIELD

TEST(Settings, TextsAreCutAt1023AndThePrefixIsRepaired) {
    MemorySettings store;
    store.writeString("Fonts", "ChessFontName", std::string(5000, 'f'));
    store.writeString("HTML", "GIFPathPraefix", "img\\gif");
    store.writeString("Analyse", "HashSizeVE", "4");  // kind 2 forces 1
    const auto s = readAllSettings(store, {"/nowhere", "/nowhere/AddOn"}).settings;
    EXPECT_EQ(s.chessFontName.size(), 1023u);
    EXPECT_EQ(s.gifPathPraefix, "img/gif/");
    EXPECT_EQ(s.hashSizeVE, 1);
}

TEST(Settings, StartUpChecksEngineLocationsFindsTheEngineAndTheLibrary) {
    TempFolder folder;
    ensureFolder(folder.path("AddOn/EngV9"));
    folder.write("AddOn/EngV9/Vanta", "x");
    folder.write("generic", "x");
    const SettingsContext context{folder.root(), folder.path("AddOn")};
    MemorySettings store;
    store.writeString("Analyse", "Crafty", folder.path("no-crafty"));
    store.writeString("Analyse", "Vanta9", folder.path("no-vanta9"));
    store.writeString("Analyse", "Selection", "2");
    store.writeString("Analyse", "Generic", folder.path("generic"));
    store.writeString("Analyse", "GenericCmdLine", "-x");
    store.writeString("Settings", "FormScaled", "0");
    store.writeString("Settings", "FormPixelsPerInch", "120");
    auto reading = readAllSettings(store, context);
    EXPECT_EQ(texts(reading), (std::vector<std::string>{
                                  "FormScaled=0 found in inifile", "Screen.PixelsPerInch = 96",
                                  "PixelsPerInch = 96", "FormPixelsPerInch=120 found in inifile",
                                  "Crafty location invalid", "Vanta 9 location invalid",
                                  "Can't use Vanta engine, because VANENG32.DLL is missing",
                                  "$F appended to generic cmdline"}));
    EXPECT_EQ(reading.messages[4].icon, Icon::Warning);
    EXPECT_TRUE(reading.changed);
    const AppSettings& s = reading.settings;
    EXPECT_EQ(s.crafty, "");
    EXPECT_EQ(s.vanta9, folder.path("AddOn/EngV9/Vanta"));  // the invalid one is replaced
    EXPECT_EQ(s.vantaEngine, folder.path("AddOn/EngV9/Vanta"));
    EXPECT_EQ(s.vantaEngineType, 9);
    EXPECT_EQ(s.hashSizeVE, 5);
    EXPECT_EQ(s.selection, 0);  // Vanta 9 was invalid; the found engine needs the library
    EXPECT_EQ(s.genericCmdLine, "-x $F");

    // With the library beside the engines, the found engine is selected out of the box.
    folder.write("AddOn/VANENG32.so", "x");
    MemorySettings fresh;
    reading = readAllSettings(fresh, context);
    EXPECT_TRUE(reading.settings.libraryUsable);
    EXPECT_EQ(reading.settings.libraryFolder, folder.path("AddOn"));
    EXPECT_EQ(reading.settings.selection, 3);
    EXPECT_TRUE(reading.messages.empty());
}

TEST(Settings, SaveOptionsWritesItsKeysInOrderInOneWrite) {
    RecordingSettings store;
    AppSettings s;
    s.pixels = 40;
    s.chessFontName = "Chess Merida";
    saveOptions(store, s);
    ASSERT_EQ(store.fileWrites, 1);
    std::vector<std::string> keys;
    for (const auto& [section, key] : store.written)
        keys.push_back(key);
    EXPECT_EQ(keys, (std::vector<std::string>{"DarkSquares",
                                              "LightSquares",
                                              "Language",
                                              "UndoBufferSize",
                                              "SlowTimer",
                                              "NimzoLikePGN",
                                              "MapEpdOpToPGN",
                                              "BmToPGN",
                                              "EPDServer",
                                              "Selection",
                                              "Crafty",
                                              "Vanta9",
                                              "VantaEngine",
                                              "Generic",
                                              "ChangeToCraftyLocation",
                                              "HashSizeV9",
                                              "WaitV9Result",
                                              "HashSizeVE",
                                              "VantaEngineType",
                                              "ChangeToGenericLocation",
                                              "GenericCmdLine",
                                              "GenericEPDfile",
                                              "BorderSize",
                                              "ShowCoordinates",
                                              "Pixels",
                                              "GIFPathPraefix",
                                              "ChessFontName",
                                              "ChessFontSize"}));
    EXPECT_EQ(store.readString("HTML", "Pixels", ""), "40");
    EXPECT_EQ(store.readString("Settings", "DarkSquares", ""), "8421376");
    EXPECT_EQ(store.readString("Settings", "MapEpdOpToPGN", ""), "1");
}

TEST(Settings, ABadFileIsReadByTheRulesAndNeverTruncated) {
    TempFolder folder;
    const std::string bad =
        "garbage line without equals\n[Settings]\nLanguage=1\n"
        "[Settings]\nLanguage=0\nUndoBufferSize=50\nUndoBufferSize=20\n"
        "Editor=" +
        std::string(5000, 'e') + "\nNimzoLikePGN=\xE9\xFF\n";
    folder.write("Brisvane.ini", bad);
    {
        IniSettings ini(folder.path("Brisvane.ini"));
        const auto s = readAllSettings(ini, {folder.root(), folder.path("AddOn")}).settings;
        EXPECT_EQ(s.language, 1);  // the first of repeated keys counts
        EXPECT_EQ(s.undoBufferSize, 50);
        EXPECT_EQ(s.editor.size(), 1023u);
    }
    IniSettings ini(folder.path("Brisvane.ini"));
    EXPECT_EQ(ini.readString("Settings", "PrintScaleFactor", ""), "4");  // written at start-up
    // A start-up key that is not a number gets its default written, as a missing one does.
    EXPECT_EQ(ini.readString("Settings", "NimzoLikePGN", ""), "0");
    // A write the system refuses (here a file size limit, as a full disk would): an error
    // naming the file, and the file as it was.
    const std::string before = folder.read("Brisvane.ini");
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        try {
            saveOptions(ini, AppSettings{});
            ADD_FAILURE() << "the refused write was not reported";
        } catch (const std::runtime_error& error) {
            EXPECT_NE(std::string(error.what()).find(folder.path("Brisvane.ini")),
                      std::string::npos);
        }
    }
    EXPECT_EQ(folder.read("Brisvane.ini"), before);

    // A file that cannot be read is never replaced by one of defaults; the user is told once,
    // at start, and reading goes on.
    ensureFolder(folder.path("unreadable.ini"));
    IniSettings unreadable(folder.path("unreadable.ini"));
    EXPECT_EQ(unreadable.lastError().rfind("Can't read " + folder.path("unreadable.ini"), 0), 0u);
    const auto reading = readAllSettings(unreadable, {folder.root(), folder.path("AddOn")});
    EXPECT_TRUE(reading.messages.empty());
    // Save options, asked for, says why nothing is kept.
    EXPECT_EQ(unreadable.refusal(),
              "Can't write " + folder.path("unreadable.ini") + ": the file could not be read");
    EXPECT_EQ(reading.settings.editor, "xdg-open");
    EXPECT_TRUE(std::filesystem::is_directory(folder.path("unreadable.ini")));
}

// What the program writes changes its keys only. The user's hand edits made while it runs,
// another program's section, comments, CR LF line ends and a NUL byte in a comment all stay;
// the keys after the NUL are read.
TEST(Settings, WritesKeepEverythingElseOfTheFileAsItIsNow) {
    TempFolder folder;
    using namespace std::string_literals;
    const std::string path = folder.path("Brisvane.ini");
    const std::string original =
        "; my settings\r\n[Settings]\r\nLanguage=1\r\n; a note with a NUL \0 in it\r\n"
        "[Analyse]\r\nVantaEngine=/opt/vanta\r\n\r\n[History]\r\nLastEPDdirectory=/suites/\r\n"s;
    folder.write("Brisvane.ini", original);
    IniSettings ini(path);
    EXPECT_EQ(ini.readString("Analyse", "VantaEngine", ""), "/opt/vanta");
    EXPECT_EQ(ini.readString("History", "LastEPDdirectory", ""), "/suites/");
    readAllSettings(ini, {folder.root(), folder.path("AddOn")});
    const std::string started = folder.read("Brisvane.ini");
    EXPECT_EQ(started.rfind(original.substr(0, original.find("[Analyse]")), 0), 0u);
    EXPECT_NE(started.find("[History]\r\nLastEPDdirectory=/suites/\r\n"), std::string::npos);
    for (std::size_t at = 0; (at = started.find('\n', at)) != std::string::npos; ++at)
        ASSERT_EQ(started[at - 1], '\r') << "a line end other than CR LF";

    // By hand, while the program runs: a key of ours, a section of another program.
    folder.write("Brisvane.ini", started + "[Other]\r\nkeep=me\r\n");
    std::string edited = folder.read("Brisvane.ini");
    const auto editorAt = edited.find("[Settings]\r\n") + 12;
    edited.insert(editorAt, "Editor=vim\r\n");
    folder.write("Brisvane.ini", edited);
    ini.writeString("History", "LastEPDdirectory", "/elsewhere/");
    std::string expected = edited;
    expected.replace(expected.find("/suites/"), 8, "/elsewhere/");
    EXPECT_EQ(folder.read("Brisvane.ini"), expected);
    EXPECT_EQ(ini.readString("Settings", "Editor", ""), "vim");

    // A key new to a section goes into it; a new section comes at the end.
    ini.writeMany({{"Other", "added", "1"}, {"New", "key", "2"}});
    EXPECT_NE(folder.read("Brisvane.ini").find("keep=me\r\nadded=1\r\n\r\n[New]\r\nkey=2\r\n"),
              std::string::npos);
}

// Lines ended by a lone CR (an old Mac file) are lines too: the key is changed where it stands.
TEST(Settings, ALoneCrEndsALine) {
    TempFolder folder;
    using namespace std::string_literals;
    folder.write("Brisvane.ini", "[Settings]\r;a NUL \0 here\rLanguage=1\r[Other]\rx=1\r"s);
    IniSettings ini(folder.path("Brisvane.ini"));
    EXPECT_EQ(ini.readString("Settings", "Language", ""), "1");
    EXPECT_EQ(ini.readString("Other", "x", ""), "1");
    ini.writeMany({{"Settings", "Language", "0"}, {"Other", "y", "2"}});
    EXPECT_EQ(folder.read("Brisvane.ini"),
              "[Settings]\r;a NUL \0 here\rLanguage=0\r[Other]\rx=1\ry=2\r"s);
}

// A settings file the user may not write, or a link to one with its own permissions.
TEST(Settings, AReadOnlyFileIsRefusedAndALinkIsWrittenThrough) {
    TempFolder folder;
    folder.write("locked.ini", "[Settings]\nLanguage=1\n");
    std::filesystem::permissions(folder.path("locked.ini"), std::filesystem::perms(0444));
    IniSettings locked(folder.path("locked.ini"));
    try {
        locked.writeString("Settings", "Language", "0");
        ADD_FAILURE() << "the refused write was not reported";
    } catch (const std::runtime_error& error) {
        EXPECT_EQ(std::string(error.what()),
                  "Can't write " + folder.path("locked.ini") + ": the file is read-only");
    }
    EXPECT_EQ(folder.read("locked.ini"), "[Settings]\nLanguage=1\n");

    folder.write("real.ini", "[Settings]\nLanguage=1\n");
    std::filesystem::permissions(folder.path("real.ini"), std::filesystem::perms(0640));
    std::filesystem::create_symlink("real.ini", folder.path("Brisvane.ini"));
    IniSettings linked(folder.path("Brisvane.ini"));
    linked.writeString("Settings", "Language", "0");
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path("Brisvane.ini")));
    EXPECT_EQ(folder.read("real.ini"), "[Settings]\nLanguage=0\n");
    EXPECT_EQ(std::filesystem::status(folder.path("real.ini")).permissions(),
              std::filesystem::perms(0640));
}

}  // namespace
