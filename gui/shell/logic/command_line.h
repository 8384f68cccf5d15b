#pragma once

#include <string>
#include <vector>

// What the program's arguments ask for. Every argument is compared exactly, in order.
struct CommandLine {
    bool analysisDebug = false;      // "-ANADEBUG"
    bool boardSetupNoCheck = false;  // "-BSNOCHECK"
    bool showEngineInfo = false;     // "-VEINFO"
    bool showHelp = false;           // "--help": print the usage and end
    bool showVersion = false;        // "--version": print the version and end
    // The first argument naming an existing file with the extension ".EPD" or ".epd".
    std::string fileToOpen;
    // Why an argument could not be used (a missing file, a folder, an unknown option), one
    // message each, to show at start instead of ignoring it silently. A file that is not text
    // is reported when it is opened.
    std::vector<std::string> problems;

    static CommandLine parse(const std::vector<std::string>& arguments);
    // The text "--help" prints.
    static std::string usage();
};

// Whether a file's extension is ".EPD" compared in upper case (dropped files, a second start).
bool hasEpdExtensionInAnyCase(const std::string& path);
