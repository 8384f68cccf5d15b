#pragma once

#include <string>

#include "app_folders.h"
#include "main_window.h"

// The set-up of a main window under test: the program folder `programFolder` with its
// temporary folder made, and the test's own settings, prompts and clipboard.
inline MainFormSetup testWindowSetup(const std::string& programFolder, SettingsStore& settings,
                                     Prompts& prompts, ClipboardAccess& clipboard) {
    MainFormSetup setup;
    setup.folders = AppFolders::forProgramFolder(programFolder);
    ensureFolder(setup.folders.tempFolder);
    setup.settings = &settings;
    setup.prompts = &prompts;
    setup.clipboard = &clipboard;
    return setup;
}
