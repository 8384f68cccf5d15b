#include "analyse_options.h"

AnalyseChoice AnalyseChoice::of(const AppSettings& s) {
    AnalyseChoice c;
    c.selection = s.selection;
    c.crafty = s.crafty;
    c.changeToCraftyLocation = s.changeToCraftyLocation;
    c.vanta9 = s.vanta9;
    c.hashSizeV9Index = s.hashSizeV9 - 1;
    c.waitV9Result = s.waitV9Result;
    c.vantaEngine = s.vantaEngine;
    c.hashSizeVEIndex = s.hashSizeVE - 1;
    c.selectEngineIndex = s.vantaEngineType == 9 ? 1 : 0;
    c.generic = s.generic;
    c.changeToGenericLocation = s.changeToGenericLocation;
    c.genericCmdLine = s.genericCmdLine;
    c.genericEpdFile = s.genericEpdFile;
    return c;
}

std::optional<AnalyseRefusal> checkAnalyseChoice(AnalyseChoice& c, bool libraryAvailable) {
    if (c.selection == 3 && !libraryAvailable)
        return AnalyseRefusal{3, "Can't select Vanta engine because \nVANENG32.DLL isn't available",
                              Icon::Error, std::nullopt};
    struct Needed {
        int selection;
        const std::string* path;
        const char* message;
    };
    for (const Needed& needed : {Needed{1, &c.crafty, "Crafty location not entered"},
                                 Needed{2, &c.vanta9, "Vanta 9 location not entered"},
                                 Needed{3, &c.vantaEngine, "Vanta engine location not entered"},
                                 Needed{4, &c.generic, "Generic location not entered"}})
        if (c.selection == needed.selection && needed.path->empty())
            return AnalyseRefusal{needed.selection, needed.message, Icon::Error, std::nullopt};
    if (c.selection == 4 && c.genericCmdLine.find("$F") == std::string::npos) {
        c.genericCmdLine = c.genericCmdLine.empty() ? "$F" : c.genericCmdLine + " $F";
        return AnalyseRefusal{4, "$F appended to generic command line", Icon::Warning,
                              c.genericCmdLine};
    }
    return std::nullopt;
}

bool storeAnalyseChoice(const AnalyseChoice& c, AppSettings& s) {
    bool changed = false;
    auto store = [&changed](auto& target, const auto& value) {
        if (target == value) return;
        target = value;
        changed = true;
    };
    store(s.selection, c.selection);
    store(s.crafty, c.crafty);
    store(s.changeToCraftyLocation, c.changeToCraftyLocation);
    store(s.vanta9, c.vanta9);
    store(s.hashSizeV9, c.hashSizeV9Index < 0 ? 1 : c.hashSizeV9Index + 1);
    store(s.waitV9Result, c.waitV9Result);
    store(s.vantaEngine, c.vantaEngine);
    const int type = c.selectEngineIndex == 1 ? 9 : 2;
    store(s.vantaEngineType, type);
    // Vanta Cyclor 2 has one hash size only.
    store(s.hashSizeVE, type == 2 || c.hashSizeVEIndex < 0 ? 1 : c.hashSizeVEIndex + 1);
    store(s.generic, c.generic);
    store(s.changeToGenericLocation, c.changeToGenericLocation);
    store(s.genericCmdLine, c.genericCmdLine);
    store(s.genericEpdFile, c.genericEpdFile);
    return changed;
}
