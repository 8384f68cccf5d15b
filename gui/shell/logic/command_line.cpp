#include "command_line.h"

#include <filesystem>
#include <system_error>

CommandLine CommandLine::parse(const std::vector<std::string>& arguments) {
    CommandLine result;
    for (const auto& argument : arguments) {
        if (argument == "-ANADEBUG") {
            result.analysisDebug = true;
        } else if (argument == "-BSNOCHECK") {
            result.boardSetupNoCheck = true;
        } else if (argument == "-VEINFO") {
            result.showEngineInfo = true;
        } else if (result.fileToOpen.empty()) {
            const std::string extension = std::filesystem::path(argument).extension().string();
            std::error_code ec;
            if ((extension == ".EPD" || extension == ".epd") &&
                std::filesystem::is_regular_file(argument, ec))
                result.fileToOpen = argument;
        }
    }
    return result;
}
