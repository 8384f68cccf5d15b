#include "single_analysis.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "analysis_words.h"
#include "command_split.h"
#include "shell_words.h"
#include "text_file.h"
#include "text_util.h"

namespace SingleAnalysis {

namespace {

bool writeText(const std::string& path, const std::string& text, std::string& error) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (out) return true;
    error = "Can't write " + path;
    return false;
}

std::string trimmed(const std::string& text) {
    std::string_view view = trimBlanks(text);
    while (!view.empty() && (view.back() == '\r' || view.back() == '\n'))
        view.remove_suffix(1);
    return std::string(trimBlanks(view));
}

// The engine's own folder must be there before anything is written or started.
bool reachable(const std::string& folder, std::string& error) {
    std::error_code ec;
    if (folder.empty() || std::filesystem::is_directory(folder, ec)) return true;
    error = "Can't change to " + folder;
    return false;
}

// The EPD file of Vanta 9 and the generic engine: the position, then an empty line.
std::string positionFile(const std::string& position) {
    return position + "\r\n\r\n";
}

}  // namespace

std::string vanta9HashSwitch(int hashSizeV9) {
    static const char* const switches[] = {" W ", " W1 ", " W2 ", " W3 ", " W4 ", " W5 ", " W6 "};
    return switches[std::clamp(hashSizeV9, 1, 7) - 1];
}

std::optional<EngineStart> craftyStart(const Engines& engines, const std::string& position,
                                       std::string& error) {
    if (engines.crafty.empty()) return std::nullopt;
    EngineStart start;
    const std::string folder = folderOf(engines.crafty);
    std::string name = engines.crafty;
    if (engines.changeToCraftyLocation && !folder.empty()) {
        start.workingFolder = folder;
        name = fileNameOf(engines.crafty);
    }
    if (!reachable(start.workingFolder, error)) return std::nullopt;
    start.commandLine = name + " \"setboard " + position + "\" analyze";
    start.words = {engines.crafty, "setboard " + position, "analyze"};
    return start;
}

std::optional<EngineStart> vanta9Start(const Engines& engines, const std::string& position,
                                       std::string& error) {
    if (engines.vanta9.empty()) return std::nullopt;
    EngineStart start;
    start.workingFolder = folderOf(engines.vanta9);
    if (!reachable(start.workingFolder, error)) return std::nullopt;
    const std::string folder = start.workingFolder.empty() ? "." : start.workingFolder;
    // A result left by an earlier position must not be taken for this one's.
    std::error_code ec;
    std::filesystem::remove(folder + "/VANTA.EPD", ec);
    std::filesystem::remove(folder + "/VANTA.ERR", ec);
    if (!writeText(folder + "/BRISVANE.EPD", positionFile(position), error)) return std::nullopt;
    const std::string hash = vanta9HashSwitch(engines.hashSizeV9);
    start.commandLine = fileNameOf(engines.vanta9) + hash + "BRISVANE.EPD";
    start.words = {engines.vanta9, std::string(trimBlanks(hash)), "BRISVANE.EPD"};
    return start;
}

std::optional<EngineStart> genericStart(const Engines& engines, const std::string& position,
                                        std::string& error) {
    if (engines.generic.empty()) return std::nullopt;
    EngineStart start;
    const std::string folder = folderOf(engines.generic);
    std::string program = engines.generic;
    const char* const name = engines.genericEpdFile ? "BRISVANE.EPD" : "BRISVANE.PGN";
    std::string file;
    std::string written;
    if (engines.changeToGenericLocation) {
        // The engine's folder becomes its current folder; without one it is the program's own.
        start.workingFolder = folder;
        if (!folder.empty()) program = fileNameOf(engines.generic);
        file = name;
        written = (folder.empty() ? std::string(".") : folder) + "/" + name;
    } else {
        file = engines.tempFolder + "/" + name;
        written = file;
    }
    if (!reachable(start.workingFolder, error)) return std::nullopt;
    // A file name with blanks stays one word of the command line.
    if (file.find_first_of(" \t") != std::string::npos) file = "\"" + file + "\"";
    const std::string text =
        engines.genericEpdFile
            ? positionFile(position)
            : positionGame("Generic Engine Analysis", engines.site, engines.today, position);
    if (!writeText(written, text, error)) return std::nullopt;
    std::string arguments = engines.genericCmdLine;
    const auto marker = arguments.find("$F");
    if (arguments.empty())
        arguments = file;
    else if (marker != std::string::npos)
        arguments.replace(marker, 2, file);
    start.commandLine = program + " " + arguments;
    start.words = {engines.generic};
    for (std::string& word : splitCommandLine(arguments))
        start.words.push_back(std::move(word));
    return start;
}

std::string positionGame(const std::string& event, const std::string& site, const std::string& date,
                         const std::string& position) {
    const bool blackToMove = position.find(" b ") != std::string::npos;
    std::string game;
    for (const std::string& line : {
             "[Event \"" + event + "\"]",
             "[Site \"" + site + "\"]",
             "[Date \"" + date + "\"]",
             std::string("[Round \"1\"]"),
             std::string("[White \"White\"]"),
             std::string("[Black \"Black\"]"),
             std::string("[Result \"*\"]"),
             std::string("[SetUp \"1\"]"),
             "[FEN \"" + std::string(trimBlanks(position)) + " 0 1\"]",
             std::string(),
             std::string(blackToMove ? "1... *" : "1. *"),
             std::string(),
         })
        game += line + "\r\n";
    return game;
}

std::optional<std::string> vanta9Pv(const std::string& resultLine) {
    const auto at = resultLine.find("pv ");
    if (at == std::string::npos) return std::nullopt;
    const auto end = resultLine.find(';', at);
    return trimmed(resultLine.substr(at, end == std::string::npos ? end : end - at + 1));
}

namespace {

// The first four fields of a line, one blank apart.
std::string positionFieldsOf(const std::string& line) {
    std::istringstream words(line);
    std::string fields;
    std::string word;
    for (int i = 0; i < 4 && words >> word; ++i)
        fields += (i ? " " : "") + word;
    return fields;
}

std::optional<std::string> firstLineOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line)) return std::nullopt;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    return line;
}

}  // namespace

Vanta9Result vanta9Result(const std::string& folder, const std::string& position) {
    const std::string base = folder.empty() ? std::string(".") : folder;
    Vanta9Result result;
    const auto line = firstLineOf(base + "/VANTA.EPD");
    if (!line) {
        result.error = "Vanta 9 wrote no analysis result";
        if (const auto reason = firstLineOf(base + "/VANTA.ERR"); reason && !reason->empty())
            result.error += "\n" + *reason;
        return result;
    }
    if (positionFieldsOf(*line) != positionFieldsOf(position)) {
        result.error = "Vanta 9's result is for another position:\n" + *line;
        return result;
    }
    result.pv = vanta9Pv(*line);
    return result;
}

std::string withPv(const std::string& line, const std::string& operation,
                   const std::string& separator) {
    auto at = line.find("pv ");
    if (at == std::string::npos) at = line.find("pv=");
    if (at == std::string::npos) return line + separator + operation;
    const auto end = line.find(';', at);
    if (end == std::string::npos) return line;
    return line.substr(0, at) + line.substr(end + 1) + operation;
}

void EngineWatch::reset() {
    m_caption = "Brisvane: " + m_description + word("EngineRunning");
    m_memo.clear();
    m_lastLine.clear();
    m_failures = 0;
    m_running = true;
}

bool EngineWatch::tick(EngineControl& engine) {
    const std::string notRunning = m_description.empty()
                                       ? word("NoEngineRunning")
                                       : "Brisvane: " + m_description + word("EngineNotRunning");
    if (!m_running) return false;
    const bool running = engine.IsRunning();
    std::string line;
    // An engine that has ended may have left the reason in its line.
    if (engine.ReadAnalysisLine(line) && (running || engineMessage(line))) {
        m_failures = 0;
        while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
            line.pop_back();
        if (const auto message = engineMessage(line)) {
            // Shown, but never a variation to keep.
            if (m_memo.empty() || m_memo.back() != *message) m_memo.push_back(*message);
        } else if (line.size() > 6 && line != m_lastLine) {
            m_memo.push_back(line);
            m_lastLine = line;
        }
    } else if (running && ++m_failures > 10) {
        m_memo.push_back(word("NoAnalysisFile"));
        m_memo.push_back(word("WatchStopped"));
        if (!engine.IsRunning()) m_caption = notRunning;
        m_running = false;
        return false;
    }
    if (!running) {
        m_caption = notRunning;
        m_running = false;
        return false;
    }
    return true;
}

std::string EngineWatch::word(const char* key) const {
    return wordOf(kAnalysisTexts, key, m_german ? 0 : 1);
}

std::string EngineWatch::keptVariation() const {
    if (m_lastLine.size() <= 6) return {};
    return trimmed(m_lastLine.substr(5));
}

}  // namespace SingleAnalysis
