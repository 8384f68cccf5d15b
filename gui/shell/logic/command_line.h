#pragma once

#include <string>
#include <vector>

// What the program's arguments ask for. Every argument is compared exactly, in order.
struct CommandLine {
    bool analysisDebug = false;   // "-ANADEBUG"
    bool boardSetupNoCheck = false;  // "-BSNOCHECK"
    bool showEngineInfo = false;  // "-VEINFO"
    // The first argument naming an existing file with the extension ".EPD" or ".epd".
    std::string fileToOpen;

    static CommandLine parse(const std::vector<std::string>& arguments);
};
