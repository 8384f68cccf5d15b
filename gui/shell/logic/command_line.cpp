#include "command_line.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Why an argument that is no switch cannot be the file to open, or "" when it can.
std::string problemWithFile(const std::string& argument) {
    std::error_code ec;
    const auto status = fs::status(argument, ec);
    if (ec || !fs::exists(status)) return "File " + argument + " not found";
    if (fs::is_directory(status)) return argument + " is a folder, not an EPD file";
    if (!fs::is_regular_file(status)) return argument + " is not a file";
    const std::string extension = fs::path(argument).extension().string();
    if (extension != ".EPD" && extension != ".epd")
        return "File " + argument + " is not opened: the name of an EPD file ends in .EPD or .epd";
    return {};
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
            result.problems.push_back("Unknown option " + argument + " (Brisvane --help lists them)");
        } else if (auto problem = problemWithFile(argument); !problem.empty()) {
            result.problems.push_back(std::move(problem));
        } else if (result.fileToOpen.empty()) {
            result.fileToOpen = argument;
        } else {
            result.problems.push_back("Only one EPD file is opened at start: " + argument +
                                      " is not opened");
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
