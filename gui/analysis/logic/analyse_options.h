#pragma once

#include <optional>
#include <string>

#include "app_settings.h"

// What the analysis options dialog edits, and its OK rules.
struct AnalyseChoice {
    int selection = 0;  // 0 None, 1 Crafty, 2 Vanta 9, 3 Vanta engine, 4 Generic
    std::string crafty;
    bool changeToCraftyLocation = true;
    std::string vanta9;
    int hashSizeV9Index = 0;  // list index, -1 for none
    bool waitV9Result = true;
    std::string vantaEngine;
    int hashSizeVEIndex = 0;
    int selectEngineIndex = 0;  // 0 "Vanta Cyclor 2", 1 "Vanta 9"
    std::string generic;
    bool changeToGenericLocation = true;
    std::string genericCmdLine;
    bool genericEpdFile = true;

    static AnalyseChoice of(const AppSettings& settings);
};

struct AnalyseRefusal {
    int page;  // the engine page to show: 1 Crafty .. 4 Generic (0: none)
    std::string message;
    Icon icon;
    // The generic command line as it was repaired (" $F" appended), to show in the field.
    std::optional<std::string> repairedCommandLine;
};

// Checks the choice; nothing when OK may store it.
std::optional<AnalyseRefusal> checkAnalyseChoice(AnalyseChoice& choice, bool libraryAvailable);
// Stores the choice; true when a setting changed.
bool storeAnalyseChoice(const AnalyseChoice& choice, AppSettings& settings);
