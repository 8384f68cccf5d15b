#pragma once

#include <string>

// The folders the program works in: the program folder (where the executable lies), the add-on
// folder below it, the temporary folder and the settings file. When the program folder cannot
// be written (a system-wide install), the settings file and the temporary folder move to the
// user's XDG config and cache folders.
struct AppFolders {
    std::string programFolder;
    std::string addOnFolder;
    std::string tempFolder;
    std::string settingsFile;

    static AppFolders forProgramFolder(const std::string& programFolder);
};

// Creates a folder and its parents if missing; false when it does not exist afterwards.
bool ensureFolder(const std::string& path);
