#include "app_settings.h"

#include <exception>
#include <filesystem>
#include <system_error>

#include <unistd.h>

#include "html_export.h"
#include "epd_opcodes.h"
#include "undo_ring.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kSettings = "Settings";
constexpr const char* kAnalyse = "Analyse";
constexpr const char* kHtml = "HTML";
constexpr const char* kFonts = "Fonts";
constexpr std::size_t kLongestText = 1023;
// Stands for a key the file does not hold; no value read from a file can look like it.
const std::string kMissing("\0missing", 8);

bool fileExists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_regular_file(path, ec);
}

// Reads keys of one store, writing the real default of a missing start-up key at once. A write
// the store refuses is remembered and reading goes on with what was read.
class Reader {
public:
    explicit Reader(SettingsStore& store) : m_store(store) {}

    void write(const char* section, const char* key, const std::string& value) {
        if (!m_writeError.empty()) return;  // one message is enough
        try {
            m_store.writeString(section, key, value);
        } catch (const std::exception& error) {
            m_writeError = error.what();
        }
    }
    const std::string& writeError() const { return m_writeError; }

    std::string text(const char* section, const char* key, const std::string& fallback) {
        std::string value = m_store.readString(section, key, kMissing);
        if (value == kMissing) return fallback;
        if (value.size() > kLongestText) value.resize(kLongestText);
        return value;
    }
    int integer(const char* section, const char* key, int fallback) {
        const std::string value = m_store.readString(section, key, kMissing);
        if (value == kMissing) return fallback;
        return parseSettingInteger(value).value_or(fallback);
    }
    // A key read with the start-up marker -42: when it is missing, not a number, or the marker
    // itself, the real default is written now and used.
    int integerWritten(const char* section, const char* key, int fallback) {
        const std::string value = m_store.readString(section, key, kMissing);
        const auto number = value == kMissing ? std::nullopt : parseSettingInteger(value);
        if (!number || *number == kMarker) {
            write(section, key, std::to_string(fallback));
            return fallback;
        }
        return *number;
    }
    bool flag(const char* section, const char* key, bool fallback) {
        return integer(section, key, fallback ? 1 : 0) != 0;
    }
    // A 0/1 switch read with the start-up marker: only 1 turns it on.
    bool switchWritten(const char* section, const char* key, bool fallback) {
        return integerWritten(section, key, fallback ? 1 : 0) == 1;
    }

private:
    static constexpr int kMarker = -42;
    SettingsStore& m_store;
    std::string m_writeError;
};

int within(int value, int low, int high, int otherwise) {
    return value >= low && value <= high ? value : otherwise;
}

void readSettingsSection(Reader& read, AppSettings& s, const SettingsContext& context,
                         std::vector<StartupMessage>& messages) {
    s.formScaled = read.integer(kSettings, "FormScaled", 1) != 0;
    if (!s.formScaled) {
        messages.push_back({Icon::Information, "FormScaled=0 found in inifile"});
        messages.push_back({Icon::Information, "Screen.PixelsPerInch = " +
                                                   std::to_string(context.screenPixelsPerInch)});
        messages.push_back(
            {Icon::Information, "PixelsPerInch = " + std::to_string(context.windowPixelsPerInch)});
    }
    s.formPixelsPerInch = read.integer(kSettings, "FormPixelsPerInch", 0);
    if (s.formPixelsPerInch > 0)
        messages.push_back(
            {Icon::Information,
             "FormPixelsPerInch=" + std::to_string(s.formPixelsPerInch) + " found in inifile"});
    else
        s.formPixelsPerInch = 0;
    s.veldrinBlue = static_cast<std::uint32_t>(read.integer(kSettings, "VeldrinBlue", 16755712));
    s.language = read.integerWritten(kSettings, "Language", 0) == 1 ? 1 : 0;
    s.boardSetupNoCheck = read.flag(kSettings, "BoardSetupNoCheck", false);
    s.editor = read.text(kSettings, "Editor", "");
    if (s.editor.empty()) {
        s.editor = AppSettings::kDefaultEditor;
        read.write(kSettings, "Editor", s.editor);
    }
    s.printScaleFactor = within(read.integerWritten(kSettings, "PrintScaleFactor", 4), 2, 6, 4);
    s.analyseDebug = read.flag(kAnalyse, "Debug", false);
    s.handlePifBug = read.flag(kSettings, "HandlePIFbug", true);
    s.showVanEngInfo = read.integer(kAnalyse, "ShowVanEngInfo", 0) == 1;
    s.nimzoLikePgn = read.switchWritten(kSettings, "NimzoLikePGN", false);
    s.mapEpdOpToPgn = read.switchWritten(kSettings, "MapEpdOpToPGN", true);
    s.bmToPgn = read.switchWritten(kSettings, "BmToPGN", false);
    s.epdServer = read.switchWritten(kSettings, "EPDServer", true);
    const int slow = read.integerWritten(kSettings, "SlowTimer", 0);
    s.slowTimer = slow < -1 ? -1 : (slow > 30000 ? 30000 : slow);
    s.darkSquares.value = static_cast<std::uint32_t>(
        read.integer(kSettings, "DarkSquares", static_cast<int>(kDefaultDarkSquares.value)));
    s.lightSquares.value = static_cast<std::uint32_t>(
        read.integer(kSettings, "LightSquares", static_cast<int>(kDefaultLightSquares.value)));
    const int undo = read.integer(kSettings, "UndoBufferSize", 100);
    s.undoBufferSize = UndoRing::effectiveSize(undo);
    s.showProgress = read.flag(kSettings, "ShowProgress", true);
    s.terminal = read.text(kSettings, "Terminal", context.defaultTerminal);
}

void readAnalyseSection(Reader& read, AppSettings& s) {
    s.selection = within(read.integer(kAnalyse, "Selection", 0), 0, 4, 0);
    s.crafty = read.text(kAnalyse, "Crafty", "");
    s.vanta9 = read.text(kAnalyse, "Vanta9", "");
    s.vantaEngine = read.text(kAnalyse, "VantaEngine", "");
    s.generic = read.text(kAnalyse, "Generic", "");
    s.changeToCraftyLocation = read.flag(kAnalyse, "ChangeToCraftyLocation", true);
    s.hashSizeV9 = within(read.integer(kAnalyse, "HashSizeV9", 1), 1, 7, 1);
    s.waitV9Result = read.flag(kAnalyse, "WaitV9Result", true);
    s.hashSizeVE = within(read.integer(kAnalyse, "HashSizeVE", 1), 1, 7, 1);
    s.vantaEngineType = read.integer(kAnalyse, "VantaEngineType", 1) == 9 ? 9 : 2;
    if (s.vantaEngineType == 2) s.hashSizeVE = 1;
    s.changeToGenericLocation = read.flag(kAnalyse, "ChangeToGenericLocation", true);
    s.genericEpdFile = read.flag(kAnalyse, "GenericEPDfile", true);
}

void checkEngineLocations(AppSettings& s, SettingsReading& out) {
    struct Location {
        std::string* path;
        int selection;
        const char* warning;
    };
    for (const Location& engine : {Location{&s.crafty, 1, "Crafty location invalid"},
                                   Location{&s.vanta9, 2, "Vanta 9 location invalid"},
                                   Location{&s.vantaEngine, 3, "Vanta engine location invalid"},
                                   Location{&s.generic, 4, "Generic location invalid"}}) {
        if (engine.path->empty() || fileExists(*engine.path)) continue;
        out.messages.push_back({Icon::Warning, engine.warning});
        engine.path->clear();
        if (s.selection == engine.selection) s.selection = 0;
        out.changed = true;
    }
}

void discoverEngines(AppSettings& s, const SettingsContext& context, SettingsReading& out) {
    // Our engine program also answers the Vanta 9 command line: without a path of its own the
    // Vanta 9 road uses it.
    const std::string v9 = context.addOnFolder + "/EngV9/" + kEngineProgramName;
    if (s.vanta9.empty() && fileExists(v9)) s.vanta9 = v9;
    if (!s.vantaEngine.empty()) return;
    struct Candidate {
        const char* folder;
        int kind;
        int hash;
    };
    bool found = false;
    // The second wins when both are there.
    for (const Candidate& candidate : {Candidate{"EngCyc2", 2, 1}, Candidate{"EngV9", 9, 5}}) {
        const std::string path =
            context.addOnFolder + "/" + candidate.folder + "/" + kEngineProgramName;
        if (!fileExists(path)) continue;
        s.vantaEngine = path;
        s.vantaEngineType = candidate.kind;
        s.hashSizeVE = candidate.hash;
        found = true;
    }
    if (!found) return;
    if (s.selection == 0) s.selection = 3;
    out.changed = true;
}

void findEngineLibrary(AppSettings& s, const SettingsContext& context, SettingsReading& out) {
    if (fileExists(context.addOnFolder + "/" + kEngineLibraryName))
        s.libraryFolder = context.addOnFolder;
    else if (fileExists(context.programFolder + "/" + kEngineLibraryName))
        s.libraryFolder = context.programFolder;
    s.libraryUsable = !s.libraryFolder.empty();
    if (s.libraryUsable) return;
    if (s.selection == 3) s.selection = 0;
    if (!s.vantaEngine.empty())
        out.messages.push_back(
            {Icon::Warning, "Can't use Vanta engine, because VANENG32.DLL is missing"});
}

void readGenericCommandLine(Reader& read, AppSettings& s, SettingsReading& out) {
    s.genericCmdLine = "$F";
    if (s.generic.empty()) return;
    s.genericCmdLine = read.text(kAnalyse, "GenericCmdLine", "$F");
    if (s.genericCmdLine.find("$F") == std::string::npos) {
        s.genericCmdLine += " $F";
        out.messages.push_back({Icon::Warning, "$F appended to generic cmdline"});
    }
}

std::string number(int value) {
    return std::to_string(value);
}
std::string number(bool value) {
    return value ? "1" : "0";
}

}  // namespace

std::optional<std::int32_t> parseSettingInteger(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return std::nullopt;
    std::string value(text.substr(first));
    // "0x" is the "$" form in another spelling.
    const std::size_t sign = !value.empty() && (value[0] == '-' || value[0] == '+') ? 1 : 0;
    if (value.size() > sign + 1 && value[sign] == '0' &&
        (value[sign + 1] == 'x' || value[sign + 1] == 'X'))
        value.replace(sign, 2, "$");
    return parseEpdInteger(value);
}

std::string findTerminal(const std::string& path) {
    for (const char* program : {"x-terminal-emulator", "xterm"}) {
        std::size_t start = 0;
        for (;;) {
            const auto end = path.find(':', start);
            const std::string folder =
                path.substr(start, end == std::string::npos ? end : end - start);
            std::error_code ec;
            const std::string candidate = (folder.empty() ? "." : folder) + "/" + program;
            if (fs::is_regular_file(candidate, ec) && ::access(candidate.c_str(), X_OK) == 0)
                return candidate;
            if (end == std::string::npos) break;
            start = end + 1;
        }
    }
    return {};
}

SettingsReading readAllSettings(SettingsStore& store, const SettingsContext& context) {
    SettingsReading out;
    AppSettings& s = out.settings;
    Reader read(store);
    readSettingsSection(read, s, context, out.messages);
    readAnalyseSection(read, s);
    checkEngineLocations(s, out);
    discoverEngines(s, context, out);
    findEngineLibrary(s, context, out);
    readGenericCommandLine(read, s, out);

    s.borderSize = within(read.integer(kHtml, "BorderSize", 5), 0, 7, 1);
    s.showCoordinates = read.integerWritten(kHtml, "ShowCoordinates", 1) != 0;
    s.pixels = within(read.integerWritten(kHtml, "Pixels", 38), 25, 45, 38);
    s.gifPathPraefix = normalizedGifPathPrefix(read.text(kHtml, "GIFPathPraefix", ""));

    s.fontsDebug = read.flag(kFonts, "Debug", false);
    s.chessFontName = read.text(kFonts, "ChessFontName", "");
    s.chessFontSize = read.integer(kFonts, "ChessFontSize", 24);
    if (!read.writeError().empty()) out.messages.push_back({Icon::Error, read.writeError()});
    return out;
}

void saveOptions(SettingsStore& store, const AppSettings& s) {
    std::vector<SettingWrite> writes = {
        {kSettings, "DarkSquares", std::to_string(static_cast<std::int32_t>(s.darkSquares.value))},
        {kSettings, "LightSquares",
         std::to_string(static_cast<std::int32_t>(s.lightSquares.value))},
        {kSettings, "Language", number(s.language)},
        {kSettings, "UndoBufferSize", number(s.undoBufferSize)},
        {kSettings, "SlowTimer", number(s.slowTimer)},
        {kSettings, "NimzoLikePGN", number(s.nimzoLikePgn)},
        {kSettings, "MapEpdOpToPGN", number(s.mapEpdOpToPgn)},
        {kSettings, "BmToPGN", number(s.bmToPgn)},
        {kSettings, "EPDServer", number(s.epdServer)},
        {kAnalyse, "Selection", number(s.selection)},
        {kAnalyse, "Crafty", s.crafty},
        {kAnalyse, "Vanta9", s.vanta9},
        {kAnalyse, "VantaEngine", s.vantaEngine},
        {kAnalyse, "Generic", s.generic},
        {kAnalyse, "ChangeToCraftyLocation", number(s.changeToCraftyLocation)},
        {kAnalyse, "HashSizeV9", number(s.hashSizeV9)},
        {kAnalyse, "WaitV9Result", number(s.waitV9Result)},
        {kAnalyse, "HashSizeVE", number(s.hashSizeVE)},
        {kAnalyse, "VantaEngineType", number(s.vantaEngineType)},
        {kAnalyse, "ChangeToGenericLocation", number(s.changeToGenericLocation)},
        {kAnalyse, "GenericCmdLine", s.genericCmdLine},
        {kAnalyse, "GenericEPDfile", number(s.genericEpdFile)},
        {kHtml, "BorderSize", number(s.borderSize)},
        {kHtml, "ShowCoordinates", number(s.showCoordinates)},
        {kHtml, "Pixels", number(s.pixels)},
        {kHtml, "GIFPathPraefix", s.gifPathPraefix},
    };
    if (!s.chessFontName.empty()) writes.push_back({kFonts, "ChessFontName", s.chessFontName});
    if (s.chessFontSize > 0) writes.push_back({kFonts, "ChessFontSize", number(s.chessFontSize)});
    store.writeMany(writes);
}

GeneralOptions GeneralOptions::of(const AppSettings& s) {
    return {s.lightSquares,  s.darkSquares, s.language, s.nimzoLikePgn,
            s.mapEpdOpToPgn, s.bmToPgn,     s.epdServer};
}

bool GeneralOptions::storeInto(AppSettings& s) const {
    bool changed = false;
    auto store = [&changed](auto& target, const auto& value) {
        if (target == value) return;
        target = value;
        changed = true;
    };
    store(s.lightSquares, lightSquares);
    store(s.darkSquares, darkSquares);
    store(s.language, language);
    store(s.nimzoLikePgn, nimzoLikePgn);
    store(s.mapEpdOpToPgn, mapEpdOpToPgn);
    store(s.bmToPgn, bmToPgn);
    store(s.epdServer, epdServer);
    return changed;
}
