#include "export_files.h"

#include <filesystem>

bool overwriteConfirmed(Prompts& prompts, const std::string& path, bool german) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return true;
    const std::string question = german ? "Datei " + path + " existiert bereits, überschreiben ?"
                                        : "File " + path + " already exists, overwrite ?";
    return prompts.askYesNo(kCaption, question, Icon::Question);
}

std::string folderWithSeparator(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}
