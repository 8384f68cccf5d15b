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

// The suffix of program files on this platform (".exe" on Windows).
inline constexpr const char* kExecutableSuffix = "";

// The converters in the add-on folder: the "32" name when present, else the plain one, else ""
// (that import is then disabled).
struct Converters {
    std::string qbx;  // Quenbry32 or Quenbry
    std::string pgn;  // Orvanel32 or Orvanel

    static Converters find(const std::string& addOnFolder);
};
