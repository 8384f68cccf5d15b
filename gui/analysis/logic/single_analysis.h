#pragma once

#include <optional>
#include <string>
#include <vector>

#include "vanta_engine.h"

// The single-position analysis without its windows: what each engine road writes and starts,
// and what comes back into the EPD line.
namespace SingleAnalysis {

// A program to start for an outside engine: the command line as the engine road builds it (for
// the debug messages), the words it is started with, and the folder it runs in ("" for the
// program's current folder).
struct EngineStart {
    std::string commandLine;
    std::vector<std::string> words;
    std::string workingFolder;
};

// The engine settings the roads read.
struct Engines {
    std::string crafty;
    std::string vanta9;
    std::string generic;
    bool changeToCraftyLocation = true;
    bool changeToGenericLocation = true;
    int hashSizeV9 = 1;
    std::string genericCmdLine = "$F";
    bool genericEpdFile = true;
    std::string tempFolder;
    std::string site;   // the Site of a position game: the application's title
    std::string today;  // the Date of a position game, "yyyy.mm.dd"
};

// Crafty: "<program> "setboard <position>" analyze", in its own folder when asked. Each road
// gives nothing without its path, and an error text when its folder is missing or its file
// cannot be written.
std::optional<EngineStart> craftyStart(const Engines& engines, const std::string& position,
                                       std::string& error);
// Vanta 9: removes the results of an earlier start (VANTA.EPD, VANTA.ERR), writes BRISVANE.EPD
// in its folder and starts "<program> W4 BRISVANE.EPD" there.
std::optional<EngineStart> vanta9Start(const Engines& engines, const std::string& position,
                                       std::string& error);
// The generic engine with an EPD or PGN file, in its folder or with the file in the temporary
// folder.
std::optional<EngineStart> genericStart(const Engines& engines, const std::string& position,
                                        std::string& error);

// The one-position game the library engine (and the generic engine with a PGN file) analyses.
std::string positionGame(const std::string& event, const std::string& site, const std::string& date,
                         const std::string& position);
// " W ", " W1 " ... " W6 " for the hash choices 1..7 (kept within 1..7).
std::string vanta9HashSwitch(int hashSizeV9);

// The pv operation of Vanta 9's result line ("pv ...;"), or nothing.
std::optional<std::string> vanta9Pv(const std::string& resultLine);
// What the Vanta 9 road brings back from the engine's folder: the pv operation of VANTA.EPD
// when its line is this position's; otherwise why there is none to offer.
struct Vanta9Result {
    std::optional<std::string> pv;
    std::string error;
};
Vanta9Result vanta9Result(const std::string& folder, const std::string& position);
// The line with its pv operation replaced by `operation` (appended when it has none); a pv
// without its ";" leaves the line as it is. `separator` is put before an appended operation.
std::string withPv(const std::string& line, const std::string& operation,
                   const std::string& separator);

// The watch dialog's logic: new lines for the memo, the kept variation, the caption.
class EngineWatch {
public:
    explicit EngineWatch(std::string description) : m_description(std::move(description)) {}
    // One timer tick; false once the watch has ended.
    bool tick(EngineControl& engine);
    const std::vector<std::string>& memo() const { return m_memo; }
    const std::string& caption() const { return m_caption; }
    // The stop button: the variation of the last line (from its 6th character), or "".
    std::string keptVariation() const;
    void reset();
    // Whether the caption and the watch's own memo lines are German (English until set).
    void setGerman(bool german) { m_german = german; }

private:
    std::string word(const char* key) const;

    bool m_german = false;
    std::string m_description;
    std::string m_caption;
    std::vector<std::string> m_memo;
    std::string m_lastLine;
    int m_failures = 0;
    bool m_running = true;
};

}  // namespace SingleAnalysis
