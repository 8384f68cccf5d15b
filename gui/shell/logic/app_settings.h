#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "diagram_geometry.h"
#include "prompts.h"
#include "services.h"

// Where the program finds what the settings point at.
struct SettingsContext {
    std::string programFolder;
    std::string addOnFolder;
    // The screen's and the main window's pixel density, for the FormScaled messages.
    int screenPixelsPerInch = 96;
    int windowPixelsPerInch = 96;
    // The terminal emulator interactive engines start in when the setting names none.
    std::string defaultTerminal;
};

// One message start-up shows while reading the settings, in order.
struct StartupMessage {
    Icon icon;
    std::string text;
};

// Every option of the main program, as read from and saved to the settings file. Values hold
// the range rules already applied.
struct AppSettings {
    // Section Settings.
    bool formScaled = true;
    int formPixelsPerInch = 0;
    std::uint32_t veldrinBlue = 16755712;
    int language = 0;  // 1 German, anything else English
    bool boardSetupNoCheck = false;
    std::string editor;
    int printScaleFactor = 4;
    bool handlePifBug = true;
    bool nimzoLikePgn = false;
    bool mapEpdOpToPgn = true;
    bool bmToPgn = false;
    bool epdServer = true;
    int slowTimer = 0;
    ColorRef darkSquares = kDefaultDarkSquares;
    ColorRef lightSquares = kDefaultLightSquares;
    int undoBufferSize = 100;
    bool showProgress = true;
    // The terminal emulator for interactive outside engines; "" for none.
    std::string terminal;

    // Section Analyse.
    bool analyseDebug = false;
    bool showVanEngInfo = false;
    int selection = 0;  // 0 none, 1 Crafty, 2 Vanta 9, 3 library engine, 4 generic
    std::string crafty;
    std::string vanta9;
    std::string vantaEngine;
    std::string generic;
    bool changeToCraftyLocation = true;
    int hashSizeV9 = 1;
    bool waitV9Result = true;
    int hashSizeVE = 1;
    int vantaEngineType = 2;  // 2 or 9
    bool changeToGenericLocation = true;
    std::string genericCmdLine = "$F";
    bool genericEpdFile = true;

    // Section HTML.
    int borderSize = 5;
    bool showCoordinates = true;
    int pixels = 38;
    std::string gifPathPraefix;

    // Section Fonts.
    bool fontsDebug = false;
    std::string chessFontName;
    int chessFontSize = 24;

    // Found at start-up, not stored: the folder of the engine access library ("" when there is
    // none) and whether the library engine can be used.
    std::string libraryFolder;
    bool libraryUsable = false;

    // The default editor of text documents.
    static constexpr const char* kDefaultEditor = "xdg-open";
};

struct SettingsReading {
    AppSettings settings;
    std::vector<StartupMessage> messages;
    // Start-up repaired the engine settings: "&Save options" has something to write.
    bool changed = false;
};

// Reads every key in the file's order, applying defaults and range rules; keys read with the
// start-up marker are written when missing. Checks the engine locations, discovers the engines
// in the add-on folder, looks for the engine access library and repairs the generic command
// line. A write the store refuses is reported as one error message, naming the file, and
// reading goes on.
SettingsReading readAllSettings(SettingsStore& store, const SettingsContext& context);

// What the general options dialog edits.
struct GeneralOptions {
    ColorRef lightSquares;
    ColorRef darkSquares;
    int language = 0;
    bool nimzoLikePgn = false;
    bool mapEpdOpToPgn = true;
    bool bmToPgn = false;
    bool epdServer = true;

    static GeneralOptions of(const AppSettings& settings);
    // Stores every value that differs; true when one did.
    bool storeInto(AppSettings& settings) const;
};

// Writes the keys "&Save options" saves, in their order, in one write of the file.
void saveOptions(SettingsStore& store, const AppSettings& settings);

// A setting's text as an integer: decimal, or hexadecimal after "$", "0x" or "0X"; nothing when
// it is not a number.
std::optional<std::int32_t> parseSettingInteger(std::string_view text);

// The first of x-terminal-emulator and xterm found in the folders of a PATH text, or "".
std::string findTerminal(const std::string& path);

// The file name of the engine program inside its add-on folders, and of the access library.
inline constexpr const char* kEngineProgramName = "Vanta";
inline constexpr const char* kEngineLibraryName = "VANENG32.so";
