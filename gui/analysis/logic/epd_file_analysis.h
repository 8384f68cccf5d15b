#pragma once

#include <cstddef>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "prompts.h"
#include "services.h"
#include "vanta_engine.h"

// What the EPD file analysis window shows; the window copies it into its controls.
struct EpdAnalysisDisplay {
    std::string caption = "Brisvane: Vanta Engine EPD File Analysis Box";
    std::string engineName;
    std::string epdFile;  // the field "EPD file to analyze"
    std::string bestMoves;
    std::string avoidMoves;
    std::string epdLine;
    std::vector<std::string> memo;
    // Counts the times the memo was emptied, so that the window knows to empty its own.
    unsigned memoGeneration = 0;
    std::string counter = "0/0";
    // The line whose board field the diagram shows.
    std::string diagramLine;
    std::string secondsText;
    std::string timeText;
    int hashIndex = 0;  // 0..6
    bool skipEvaluated = true;
    bool startEnabled = true;
    // The file, hash size and skip mode can be changed.
    bool settingsEnabled = true;
    bool stopEnabled = false;
    bool writeBackEnabled = false;
    bool showLogEnabled = false;
    bool openFileEnabled = false;
    bool timerOn = false;
    // Set when the window should come to the front; the window clears it.
    bool bringToFront = false;
};

// The engine as the analysis window drives it: the component's operations and the properties
// the window sets.
class AnalysisEngine : public EngineControl {
public:
    virtual void setSecsPerPos(int seconds) = 0;
    virtual int SecsPerPos() const = 0;
    virtual void setHashSize(VEhashSet size) = 0;
    virtual VEhashSet HashSize() const = 0;
    virtual void setEPDevalMode(VEEPDevalSet mode) = 0;
    virtual std::string description() const = 0;
};

// TVantaEngine as an AnalysisEngine.
class ComponentEngine : public AnalysisEngine {
public:
    explicit ComponentEngine(TVantaEngine& engine) : m_engine(engine) {}
    bool StartAnalysis(const std::string& file) override { return m_engine.StartAnalysis(file); }
    bool IsRunning() override { return m_engine.IsRunning(); }
    bool ReadAnalysisLine(std::string& line) override { return m_engine.ReadAnalysisLine(line); }
    bool StopAnalysis() override { return m_engine.StopAnalysis(); }
    bool GetAnalysisResult(const std::string& target) override {
        return m_engine.GetAnalysisResult(target);
    }
    void setSecsPerPos(int seconds) override { m_engine.setSecsPerPos(seconds); }
    int SecsPerPos() const override { return m_engine.SecsPerPos(); }
    void setHashSize(VEhashSet size) override { m_engine.setHashSize(size); }
    VEhashSet HashSize() const override { return m_engine.HashSize(); }
    void setEPDevalMode(VEEPDevalSet mode) override { m_engine.setEPDevalMode(mode); }
    std::string description() const override {
        return TVantaEngine::engineDescription(m_engine.Engine());
    }

private:
    TVantaEngine& m_engine;
};

// The EPD file analysis without its window: choosing the file, starting, following the engine
// on each timer tick, the log, stopping and writing the analysed file back with a backup.
class EpdFileAnalysis {
public:
    struct Services {
        AnalysisEngine* engine = nullptr;
        Prompts* prompts = nullptr;
        SettingsStore* settings = nullptr;
        std::string programFolder;
        // The current date and time as "dd.mm.yyyy - hh:nn:ss".
        std::function<std::string()> now;
    };

    explicit EpdFileAnalysis(Services services);
    ~EpdFileAnalysis();

    // Whether the file selector, the time query and the memo lines the analysis writes are
    // German; English while unset. Messages and the log stay English.
    void setGerman(std::function<bool()> german) { m_german = std::move(german); }

    // Called before a message is shown, so that the window shows the state it is about.
    std::function<void()> beforeMessage;

    const EpdAnalysisDisplay& display() const { return m_display; }
    void clearBringToFront() { m_display.bringToFront = false; }
    bool analysing() const { return m_analysing; }
    bool firstUse() const { return m_firstUse; }
    const std::string& epdFile() const { return m_epdFile; }
    const std::string& epdFolder() const { return m_epdFolder; }
    const std::string& logFileName() const { return m_logName; }
    std::size_t lineCount() const { return m_lines.size(); }
    int currentPosition() const { return m_current; }  // 0-based, -1 before the first

    // Every showing until the first start reads the settings; every showing refreshes the
    // fields.
    void show();
    // The engine name, the time fields and the hash list from the engine.
    void refresh();
    // A file chosen in the file dialog ("" when cancelled does nothing).
    void chooseFile(const std::string& path);
    // Asks for the file through the file dialog, then chooses it.
    void selectFile();
    void start();
    void stop();
    // Every 200 ms while the timer is on.
    void tick();
    void writeBack();
    // "Time per position in seconds": the query and its answer.
    void querySeconds();
    // A time chosen in the time dialog, in seconds.
    void setSeconds(int seconds);
    void setHashIndex(int index);
    void setSkipEvaluated(bool skip);
    // The log file's lines, for the log viewer.
    std::vector<std::string> logLines() const;

    // The depth of an analysis line: characters 7 to 13, trimmed, before the first ".", or 99.
    static int depthOf(const std::string& line);
    // The text of a line after its first "<opcode> " up to the next ";".
    static std::string operandAfter(const std::string& line, const std::string& opcode);
    // A SAN move without check, mate and capture marks and annotations, for comparing moves.
    static std::string normalizedMove(std::string move);
    // Whether `move` is one of the line's bm moves (when it has any) and none of its am moves.
    static bool solves(const std::string& line, const std::string& move);
    // The first move of the line's pv operation, or "".
    static std::string firstPvMove(const std::string& line);

private:
    // Reads the file's lines into the three lists with the choosing rules; false (with the
    // message) when the file is rejected or empty.
    bool loadLines(const std::string& path);
    // The stop action, whoever asks for it.
    void stopEngine();
    // The engine ended before the file was done: say so, with the engine's reason.
    void endedEarly();
    void clearMemo();
    void resetDisplayIdle();
    void endAnalysisDisplay();
    void updateEnabling();
    void refreshTimeFields();
    void writeLog(const std::string& line);
    void closeLog();
    // Backs the file up as .OLD and puts the engine's analysed file in its place.
    bool replaceWithResult();
    void writeResults();
    void tell(const std::string& text, Icon icon);
    void clearChoice();
    // A text of kAnalysisTexts in the language set.
    std::string word(const char* key) const;

    Services m_services;
    std::function<bool()> m_german;
    EpdAnalysisDisplay m_display;
    std::string m_epdFile;
    std::string m_epdFolder;
    std::string m_logName;
    std::ofstream m_log;
    bool m_firstUse = true;
    bool m_analysing = false;
    bool m_writtenBack = false;
    std::string m_analysedFile;  // the file of the last start
    int m_seconds = 5;
    int m_hashEntry = 1;
    bool m_skipEvaluated = true;
    std::string m_lastLine;
    int m_lastDepth = 99;
    int m_readFailures = 0;
    std::vector<std::string> m_lines;
    std::vector<std::string> m_bestMoves;
    std::vector<std::string> m_avoidMoves;
    int m_current = -1;
    // Of the last start: the lines the engine passes over, the last one it analyses (-1: none),
    // whether the user stopped it and what the engine said when it ended.
    std::vector<bool> m_skipped;
    int m_lastToAnalyse = -1;
    bool m_stoppedByUser = false;
    bool m_firstUseBefore = true;
    bool m_writtenBackBefore = false;
    std::string m_analysedFileBefore;
    // The positions of the last start for which the engine showed a score.
    std::vector<bool> m_scored;
    std::optional<std::string> m_engineMessage;
};
