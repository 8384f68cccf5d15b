#include "command_line.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Why an argument that is no switch names no file that could be opened, or "" when it does.
std::string problemWithFile(const std::string& argument) {
    std::error_code ec;
    const auto status = fs::status(argument, ec);
    if (ec || !fs::exists(status)) return "File " + argument + " not found";
    if (fs::is_directory(status)) return argument + " is a folder, not an EPD file";
    if (!fs::is_regular_file(status)) return argument + " is not a file";
    return {};
}

bool hasEpdExtension(const std::string& argument) {
    const std::string extension = fs::path(argument).extension().string();
    return extension == ".EPD" || extension == ".epd";
}

}  // namespace

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine result;
    for (const auto& argument : arguments) {
        if (argument == "-ANADEBUG") {
            result.analysisDebug = true;
        } else if (argument == "-BSNOCHECK") {
            result.boardSetupNoCheck = true;
        } else if (argument == "-VEINFO") {
            result.showEngineInfo = true;
        } else if (argument == "--help") {
            result.showHelp = true;
        } else if (argument == "--version") {
            result.showVersion = true;
        } else if (!argument.empty() && argument[0] == '-' && !fs::exists(argument)) {
            result.problems.push_back("Unknown option " + argument +
                                      " (Brisvane --help lists them)");
        } else if (auto problem = problemWithFile(argument); !problem.empty()) {
            result.problems.push_back(std::move(problem));
        } else if (!hasEpdExtension(argument)) {
            // Not opened, and said so: silence would look as if the file had been taken.
            result.problems.push_back("File " + argument + " is not an EPD file (*.EPD)");
        } else if (result.fileToOpen.empty()) {
            // EPD files after the first are ignored.
            result.fileToOpen = argument;
        }
    }
    return result;
}

std::string CommandLine::usage() {
    return "Usage: Brisvane [options] [file.EPD]\n"
           "Opens the EPD file, if one is given, in the EPD viewer and editor.\n"
           "\n"
           "Options:\n"
           "  -ANADEBUG   show the command lines and folders of engine analyses and imports\n"
           "  -BSNOCHECK  accept any position in the board setup dialog, without checking it\n"
           "  -VEINFO     show the engine information button in the analysis options\n"
           "  --help      print this text and end\n"
           "  --version   print the version and end\n";
}

bool hasEpdExtensionInAnyCase(const std::string& path) {
    std::string extension = fs::path(path).extension().string();
    for (char& c : extension)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return extension == ".EPD";
}
