#include "app_folders.h"

#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <system_error>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string xdgFolder(const char* variable, const char* fallbackBelowHome) {
    if (const char* value = std::getenv(variable); value && *value) return value;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/" + fallbackBelowHome;
}

}  // namespace

bool ensureFolder(const std::string& path) {
    std::error_code ec;
    fs::create_directories(path, ec);
    return fs::is_directory(path, ec);
}

AppFolders AppFolders::forProgramFolder(const std::string& programFolder) {
    AppFolders folders;
    folders.programFolder = programFolder;
    while (folders.programFolder.size() > 1 && folders.programFolder.back() == '/')
        folders.programFolder.pop_back();
    folders.addOnFolder = folders.programFolder + "/AddOn";
    if (::access(folders.programFolder.c_str(), W_OK) == 0) {
        folders.tempFolder = folders.programFolder + "/tmp";
        folders.settingsFile = folders.programFolder + "/Brisvane.ini";
    } else {
        folders.tempFolder = xdgFolder("XDG_CACHE_HOME", ".cache") + "/Brisvane/tmp";
        const std::string config = xdgFolder("XDG_CONFIG_HOME", ".config") + "/Brisvane";
        ensureFolder(config);
        folders.settingsFile = config + "/Brisvane.ini";
    }
    return folders;
}

Converters Converters::find(const std::string& addOnFolder) {
    auto first = [&addOnFolder](std::initializer_list<const char*> names) -> std::string {
        for (const char* name : names) {
            const std::string file = std::string(name) + kExecutableSuffix;
            std::error_code ec;
            if (fs::is_regular_file(addOnFolder + "/" + file, ec)) return file;
        }
        return {};
    };
    return {first({"Quenbry32", "Quenbry"}), first({"Orvanel32", "Orvanel"})};
}
