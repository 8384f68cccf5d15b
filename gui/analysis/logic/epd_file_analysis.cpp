#include "epd_file_analysis.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <sstream>
#include <system_error>

#include "analysis_words.h"
#include "chess_position.h"
#include "epd_judge.h"
#include "epd_opcodes.h"
#include "shell_words.h"
#include "text_file.h"
#include "text_util.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kWindowCaption = "Brisvane: Vanta Engine EPD File Analysis Box";
constexpr const char* kAnalysing = " (analyzing...)";
constexpr const char* kRule = "---------------------------------------------";
constexpr const char* kHistory = "History";
constexpr const char* kAnalyse = "Analyse";

bool exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

std::string withoutLineEnd(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    return line;
}

std::vector<std::string> wordsOf(const std::string& text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string word; in >> word;)
        words.push_back(word);
    return words;
}

int settingOr(SettingsStore* settings, const char* section, const char* key, int fallback) {
    if (!settings) return fallback;
    return parseEpdInteger(settings->readString(section, key, "")).value_or(fallback);
}

// The whole file as bytes; nothing when it cannot be read.
std::optional<std::string> readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Whether an analysis line carries the engine's score (after the position number in characters
// 1 to 6 and the depth in 7 to 13): "+0.25 e4", "-1.10", "Mate 3". A line without one, such as
// the start of a position or "no analysis", shows that the engine has not judged it.
bool scoredLine(std::string_view line) {
    if (line.size() <= 14) return false;
    const std::string_view rest = trimBlanks(line.substr(13));
    return rest.starts_with("Mate ") || (rest.size() > 1 && (rest[0] == '+' || rest[0] == '-') &&
                                         std::isdigit(static_cast<unsigned char>(rest[1])));
}

}  // namespace

EpdFileAnalysis::EpdFileAnalysis(Services services) : m_services(std::move(services)) {
    m_display.diagramLine = std::string(kInitialPositionLine);
    updateEnabling();
}

EpdFileAnalysis::~EpdFileAnalysis() {
    closeLog();
}

void EpdFileAnalysis::tell(const std::string& text, Icon icon) {
    updateEnabling();
    if (beforeMessage) beforeMessage();
    if (m_services.prompts) m_services.prompts->message(kCaption, text, icon);
}

int EpdFileAnalysis::depthOf(const std::string& line) {
    if (line.size() < 7) return 99;
    std::string field(trimBlanks(std::string_view(line).substr(6, 7)));
    field = field.substr(0, field.find('.'));
    if (field.empty() || !std::all_of(field.begin(), field.end(),
                                      [](unsigned char c) { return std::isdigit(c) != 0; }))
        return 99;
    return std::stoi(field.substr(0, 9));
}

std::string EpdFileAnalysis::operandAfter(const std::string& line, const std::string& opcode) {
    return EpdJudge::operandAfter(line, opcode);
}

std::string EpdFileAnalysis::firstPvMove(const std::string& line) {
    return EpdJudge::firstPvMove(line);
}

bool EpdFileAnalysis::solves(const std::string& line, const std::string& move) {
    return EpdJudge::solves(line, move);
}

std::string EpdFileAnalysis::normalizedMove(std::string move) {
    return EpdJudge::normalizedMove(std::move(move));
}

void EpdFileAnalysis::show() {
    AnalysisEngine& engine = *m_services.engine;
    if (m_firstUse) {
        // A file chosen meanwhile keeps its folder for the file dialog.
        if (m_epdFile.empty()) {
            if (m_services.settings)
                m_epdFolder = m_services.settings->readString(kHistory, "LastEPDFiledirectory", "");
            while (m_epdFolder.size() > 1 && m_epdFolder.back() == '/')
                m_epdFolder.pop_back();
            if (!isFolder(m_epdFolder)) m_epdFolder = m_services.programFolder + "/EPD";
        }
        m_seconds = std::max(5, settingOr(m_services.settings, kAnalyse, "EPDfileSecsPerPos", 5));
        m_hashEntry = settingOr(m_services.settings, kAnalyse, "EPDfileHashSize", 1);
        if (m_hashEntry < 1 || m_hashEntry > 7) m_hashEntry = 1;
        engine.setHashSize(static_cast<VEhashSet>(m_hashEntry - 1));
        m_hashEntry = static_cast<int>(engine.HashSize()) + 1;
        m_skipEvaluated = settingOr(m_services.settings, kAnalyse, "EPDskipEvaluated", 1) != 0;
        m_display.skipEvaluated = m_skipEvaluated;
        m_display.diagramLine = std::string(kInitialPositionLine);
    }
    refresh();
}

void EpdFileAnalysis::refresh() {
    AnalysisEngine& engine = *m_services.engine;
    m_display.engineName = engine.description();
    engine.setSecsPerPos(m_seconds);
    m_seconds = engine.SecsPerPos();
    refreshTimeFields();
    m_display.hashIndex = static_cast<int>(engine.HashSize());
    m_hashEntry = m_display.hashIndex + 1;
    updateEnabling();
}

void EpdFileAnalysis::refreshTimeFields() {
    m_display.secondsText = std::to_string(m_seconds);
    m_display.timeText = TVantaEngine::timeText(m_seconds);
}

void EpdFileAnalysis::clearChoice() {
    m_lines.clear();
    m_bestMoves.clear();
    m_avoidMoves.clear();
    m_epdFile.clear();
    m_logName.clear();
    m_current = -1;
    m_display.epdFile.clear();
    m_display.counter = "0/0";
    updateEnabling();
}

void EpdFileAnalysis::selectFile() {
    if (!m_services.prompts || m_analysing) return;
    FileDialogRequest request;
    request.title = word("SelectEPDfile");
    request.filter = word("FilterEPDfile");
    if (exists(m_epdFile)) request.fileName = m_epdFile;
    if (isFolder(m_epdFolder)) request.initialDir = m_epdFolder;
    if (const auto chosen = m_services.prompts->chooseOpenFile(request)) chooseFile(*chosen);
}

void EpdFileAnalysis::chooseFile(const std::string& path) {
    // The file, the hash size and the skip mode belong to the running analysis until it ends.
    if (path.empty() || m_analysing) return;
    const bool changed = path != m_epdFile;
    m_epdFile = path;
    m_epdFolder = folderOf(path);
    m_display.epdFile = path;
    if (!changed) return;
    if (!loadLines(path)) return;
    m_display.counter = "0/" + std::to_string(m_lines.size());
    const std::string name = fileNameOf(path);
    const std::string folder = folderOf(path);
    m_logName =
        (folder.empty() ? std::string() : folder + "/") + name.substr(0, name.find('.')) + ".LOG";
    // A file that is itself called "<name>.LOG" must not be overwritten by its own log.
    if (m_logName == path) m_logName = path + ".LOG";
    updateEnabling();
}

bool EpdFileAnalysis::loadLines(const std::string& path) {
    m_lines.clear();
    m_bestMoves.clear();
    m_avoidMoves.clear();
    m_current = -1;
    const auto bytes = readBytes(path).value_or(std::string());
    std::size_t number = 0;
    bool shortSeen = false;
    std::size_t rejectedAt = 0;
    forEachLine(bytes, [&](std::string_view view) {
        ++number;
        if (view.size() < kShortestEpdLine) {
            // One short line (an empty last line, say) is passed over; a second rejects the file.
            if (!shortSeen) {
                shortSeen = true;
                return true;
            }
            rejectedAt = number;
            return false;
        }
        const std::string line(view);
        m_lines.push_back(line);
        m_bestMoves.push_back(operandAfter(line, "bm "));
        m_avoidMoves.push_back(operandAfter(line, "am "));
        return true;
    });
    if (rejectedAt > 0) {
        clearChoice();
        tell("Error in EPD description (line " + std::to_string(rejectedAt) + ")", Icon::Error);
        return false;
    }
    if (m_lines.empty()) {
        tell("EPD file " + path + " is empty", Icon::Information);
        clearChoice();
        return false;
    }
    return true;
}

void EpdFileAnalysis::start() {
    AnalysisEngine& engine = *m_services.engine;
    if (m_epdFile.empty()) {
        tell("No EPD file selected", Icon::Error);
        return;
    }
    if (!exists(m_epdFile)) {
        tell("EPD file " + m_epdFile + " doesn't exists", Icon::Error);
        clearChoice();
        return;
    }
    // The engine gets the file as it is now, which an earlier write-back may have changed: the
    // window follows the same lines.
    const std::string chosen = m_epdFile;
    if (!loadLines(chosen)) return;
    m_display.counter = "0/" + std::to_string(m_lines.size());
    m_current = -1;
    // What a start that fails gives back: the write-back of an earlier run stays as it was.
    m_writtenBackBefore = m_writtenBack;
    m_analysedFileBefore = m_analysedFile;
    m_writtenBack = false;
    m_stoppedByUser = false;
    m_engineMessage.reset();
    m_analysedFile = m_epdFile;
    m_skipped.assign(m_lines.size(), false);
    m_scored.assign(m_lines.size(), false);
    m_lastToAnalyse = -1;
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        m_skipped[i] = m_skipEvaluated && m_lines[i].find(" ce ") != std::string::npos;
        if (!m_skipped[i]) m_lastToAnalyse = static_cast<int>(i);
    }
    engine.setSecsPerPos(parseEpdInteger(m_display.secondsText).value_or(-1));
    m_seconds = engine.SecsPerPos();
    refreshTimeFields();
    engine.setEPDevalMode(m_skipEvaluated ? VEEPDevalSet::EPDevalCheckCE
                                          : VEEPDevalSet::EPDevalAlways);
    m_lastLine.clear();
    m_lastDepth = 99;
    m_readFailures = 0;
    m_display.bestMoves.clear();
    m_display.avoidMoves.clear();
    m_display.epdLine.clear();
    clearMemo();

    if (m_services.settings) {
        try {
            m_services.settings->writeMany({
                {kHistory, "LastEPDFiledirectory", m_epdFolder + "/"},
                {kAnalyse, "EPDfileSecsPerPos", std::to_string(m_seconds)},
                {kAnalyse, "EPDfileHashSize", std::to_string(m_hashEntry)},
                {kAnalyse, "EPDskipEvaluated", m_skipEvaluated ? "1" : "0"},
            });
        } catch (const std::exception& error) {
            // The analysis does not depend on the settings file.
            tell(error.what(), Icon::Error);
        }
    }

    closeLog();
    if (!m_logName.empty()) {
        m_log.open(m_logName, std::ios::binary | std::ios::trunc);
        if (!m_log) {
            m_logName.clear();
        } else {
            writeLog("EPD file analysis logfile created by Brisvane");
            writeLog(kRule);
            writeLog("EPD file              : " + fileNameOf(m_epdFile));
            writeLog("Number of positions   : " + std::to_string(m_lines.size()));
            writeLog("Analysis date         : " + (m_services.now ? m_services.now() : ""));
            writeLog("Engine                : " + engine.description());
            writeLog("Hash size             : " + TVantaEngine::hashDescription(engine.HashSize()));
            writeLog("Average time per pos. : " + TVantaEngine::timeText(m_seconds));
            writeLog(kRule);
        }
    }

    if (engine.StartAnalysis(m_epdFile)) {
        // An engine that has already ended is followed too: the next tick finds out whether it
        // finished the file or gave up, and says why.
        m_firstUseBefore = m_firstUse;
        m_firstUse = false;
        m_analysing = true;
        m_display.timerOn = true;
    } else {
        closeLog();
        if (!m_logName.empty()) {
            std::error_code ec;
            fs::remove(m_logName, ec);
        }
        m_writtenBack = m_writtenBackBefore;
        m_analysedFile = m_analysedFileBefore;
        tell("Can't start Vanta engine", Icon::Error);
    }
    updateEnabling();
}

void EpdFileAnalysis::writeLog(const std::string& line) {
    // Output to the log ignores write errors.
    if (m_log.is_open()) m_log << line << "\r\n" << std::flush;
}

void EpdFileAnalysis::closeLog() {
    if (m_log.is_open()) m_log.close();
    m_log.clear();
}

void EpdFileAnalysis::clearMemo() {
    m_display.memo.clear();
    ++m_display.memoGeneration;
}

void EpdFileAnalysis::resetDisplayIdle() {
    m_display.diagramLine = std::string(kInitialPositionLine);
    m_display.bestMoves.clear();
    m_display.avoidMoves.clear();
    m_display.epdLine.clear();
    clearMemo();
}

void EpdFileAnalysis::endAnalysisDisplay() {
    clearMemo();
    m_display.timerOn = false;
    m_analysing = false;
    m_display.bringToFront = true;
    updateEnabling();
}

void EpdFileAnalysis::stop() {
    if (m_analysing) m_stoppedByUser = true;
    stopEngine();
}

void EpdFileAnalysis::stopEngine() {
    resetDisplayIdle();
    if (m_analysing) {
        if (m_services.engine->StopAnalysis()) {
            closeLog();
            m_analysing = false;
        } else {
            closeLog();
        }
    }
    updateEnabling();
}

void EpdFileAnalysis::tick() {
    AnalysisEngine& engine = *m_services.engine;
    if (!m_analysing) {
        resetDisplayIdle();
        m_display.timerOn = false;
        updateEnabling();
        return;
    }
    if (!engine.IsRunning()) {
        // The engine's last word may be why it ended.
        std::string last;
        if (!m_engineMessage && engine.ReadAnalysisLine(last)) {
            m_engineMessage = engineMessage(last);
            if (m_engineMessage) writeLog(*m_engineMessage);
        }
        stopEngine();
        m_display.timerOn = false;
        m_analysing = false;
        // The file is done when the engine has ended on the last position it was to analyse,
        // whichever line that is.
        const bool completed = !m_engineMessage && m_current == m_lastToAnalyse;
        if (completed) {
            if (replaceWithResult()) writeResults();
        } else {
            endedEarly();
        }
        m_display.bringToFront = true;
        updateEnabling();
        return;
    }
    std::string read;
    if (!engine.ReadAnalysisLine(read)) {
        if (++m_readFailures > 10) {
            m_display.timerOn = false;
            m_display.memo.push_back(word("NoAnalysisFile"));
            m_display.memo.push_back(word("WatchStopped"));
            if (!engine.IsRunning()) {
                engine.StopAnalysis();
                closeLog();
                endAnalysisDisplay();
            }
        }
        return;
    }
    m_readFailures = 0;
    const std::string line = withoutLineEnd(read);
    if (line.size() <= 6 || line == m_lastLine) return;
    if (const auto message = engineMessage(line)) {
        // Not an analysis line: the engine says why it is ending.
        m_engineMessage = message;
        m_lastLine = line;
        m_display.memo.push_back(*message);
        writeLog(*message);
        return;
    }
    const int depth = depthOf(line);
    if (depth < m_lastDepth) {
        // A new position has begun.
        clearMemo();
        int next = m_current + 1;
        const int count = static_cast<int>(m_lines.size());
        if (m_skipEvaluated)
            while (next < count &&
                   m_lines[static_cast<std::size_t>(next)].find(" ce ") != std::string::npos)
                ++next;
        if (next >= count) return;
        m_current = next;
        const auto index = static_cast<std::size_t>(m_current);
        const std::string& epdLine = m_lines[index];
        const std::string number = std::to_string(m_current + 1);
        m_display.bestMoves = m_bestMoves[index];
        m_display.avoidMoves = m_avoidMoves[index];
        m_display.epdLine = epdLine;
        writeLog("Position: " + number);
        if (!m_bestMoves[index].empty()) writeLog("Best Move(s): " + m_bestMoves[index]);
        if (!m_avoidMoves[index].empty()) writeLog("Avoid Move(s): " + m_avoidMoves[index]);
        TChessPosition board;
        if (readPlacement(placementField(epdLine, false), [&board](Square square, int piece) {
                board.PutPieceOnSquare(piece, square);
            }) != PlacementResult::Ok) {
            m_display.diagramLine = std::string(kInitialPositionLine);
            // The display ends here, so the engine does too: none may go on unseen and
            // unstoppable. Stopping also reaps its process.
            engine.StopAnalysis();
            closeLog();
            endAnalysisDisplay();
            tell("Error in EPD description (line " + number + ")", Icon::Error);
            return;
        }
        m_display.diagramLine = epdLine;
        m_display.counter = number + "/" + std::to_string(count);
    }
    m_lastLine = line;
    m_lastDepth = depth;
    m_display.memo.push_back(line);
    writeLog("====>" + line);
    if (line.find("Mate ") != std::string::npos) m_lastDepth = 99;
    if (m_current >= 0 && scoredLine(line)) m_scored[static_cast<std::size_t>(m_current)] = true;
}

void EpdFileAnalysis::endedEarly() {
    if (m_stoppedByUser) return;
    std::string text;
    if (m_current < 0) {
        text = "Can't start Vanta engine";
        // As for a start that fails at once: no log of a run that never began, and the
        // window as before it.
        closeLog();
        std::error_code ec;
        if (!m_logName.empty()) fs::remove(m_logName, ec);
        m_firstUse = m_firstUseBefore;
        m_writtenBack = m_writtenBackBefore;
        m_analysedFile = m_analysedFileBefore;
    } else
        text = "Vanta engine ended at position " + std::to_string(m_current + 1) + " of " +
               std::to_string(m_lines.size()) + ", the EPD file was not written back";
    if (m_engineMessage) {
        text += "\n" + *m_engineMessage;
        // The window keeps showing why.
        m_display.memo.push_back(*m_engineMessage);
    }
    m_display.bringToFront = true;
    tell(text, Icon::Error);
}

void EpdFileAnalysis::writeBack() {
    // The engine's result belongs to the file it analysed, and only once.
    if (!m_writtenBack && !m_analysing && m_epdFile == m_analysedFile) replaceWithResult();
}

bool EpdFileAnalysis::replaceWithResult() {
    const std::string folder = folderOf(m_epdFile);
    const std::string name = fileNameOf(m_epdFile);
    std::string upper = name;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const std::string backup = (folder.empty() ? std::string(".") : folder) + "/" +
                               name.substr(0, upper.find(".EPD")) + ".OLD";
    std::error_code ec;
    fs::copy_file(m_epdFile, backup, fs::copy_options::overwrite_existing, ec);
    if (ec) {
        // Without a backup the user's file is not touched.
        tell("Can't save original EPD file", Icon::Error);
        return false;
    }
    // The result is copied beside the file first and then written over it as every save is:
    // the user's file is never missing or half-written, a link keeps pointing to it, it keeps
    // its permissions, and a read-only file is left as it is.
    const std::string staged = m_epdFile + ".analysed";
    fs::remove(staged, ec);  // left over from an earlier run, the engine would refuse it
    const bool copied = m_services.engine->GetAnalysisResult(staged) && exists(staged);
    const auto bytes = copied ? readBytes(staged) : std::nullopt;
    fs::remove(staged, ec);
    const WriteResult written = bytes ? writeBytesSafely(m_epdFile, *bytes) : WriteResult{};
    if (!written.ok) {
        tell(written.error.empty()
                 ? "Can't copy analysis result"
                 : "Can't copy analysis result\n" + m_epdFile + ": " + written.error,
             Icon::Error);
        return false;
    }
    // A second write-back would copy the analysed file over the backup of the original.
    m_writtenBack = true;
    updateEnabling();
    return true;
}

void EpdFileAnalysis::writeResults() {
    if (m_logName.empty()) return;
    const auto bytes = readBytes(m_epdFile);
    if (!bytes) return;
    std::ofstream log(m_logName, std::ios::binary | std::ios::app);
    if (!log) return;
    std::vector<std::string> lines;
    forEachLine(*bytes, [&lines](std::string_view line) {
        if (line.size() >= kShortestEpdLine) lines.emplace_back(line);
        return true;
    });
    log << kRule << "\r\n"
        << "Results: the engine's first pv move against bm and am"
        << "\r\n";
    int positions = 0;
    int solved = 0;
    int skipped = 0;
    int notAnalysed = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const auto best = wordsOf(operandAfter(line, "bm "));
        const auto avoid = wordsOf(operandAfter(line, "am "));
        if (best.empty() && avoid.empty()) continue;
        // A position passed over as evaluated, or one the engine gave nothing for (a board it
        // cannot play), keeps the pv of an earlier run: it is not judged on it.
        const bool passedOver = i < m_skipped.size() && m_skipped[i];
        const bool untouched = !passedOver && i < m_lines.size() && line == m_lines[i] &&
                               !(i < m_scored.size() && m_scored[i]);
        const std::string id = EpdJudge::idOf(line);
        std::string text = "Position " + std::to_string(i + 1);
        if (!id.empty()) text += " (" + id + ")";
        text += ":";
        if (!best.empty())
            text += " bm " + std::string(trimBlanks(operandAfter(line, "bm "))) + ";";
        if (!avoid.empty())
            text += " am " + std::string(trimBlanks(operandAfter(line, "am "))) + ";";
        if (passedOver || untouched) {
            ++(passedOver ? skipped : notAnalysed);
            log << text << (passedOver ? " skipped" : " not analysed") << "\r\n";
            continue;
        }
        ++positions;
        const std::string move = firstPvMove(line);
        const bool ok = solves(line, move);
        if (ok) ++solved;
        text += " engine " + (move.empty() ? std::string("-") : move) + " - " +
                (ok ? "solved" : "not solved");
        log << text << "\r\n";
    }
    log << "Solved: " << solved << " of " << positions << "\r\n";
    if (skipped > 0) log << "Skipped (evaluated before): " << skipped << "\r\n";
    if (notAnalysed > 0) log << "Not analysed: " << notAnalysed << "\r\n";
}

void EpdFileAnalysis::querySeconds() {
    if (!m_services.prompts) return;
    const auto answer = m_services.prompts->inputBox(word("SecondsTitle"), word("SecondsPrompt"),
                                                     std::to_string(m_seconds));
    if (!answer) return;
    const auto number = parseEpdInteger(*answer);
    if (!number || *number <= 0) {
        tell(*answer + " -- Illegal value", Icon::Error);
        return;
    }
    m_services.engine->setSecsPerPos(*number);
    m_seconds = m_services.engine->SecsPerPos();
    refreshTimeFields();
    if (m_seconds != *number)
        tell("Entered value out of range, changed to default value", Icon::Information);
}

std::string EpdFileAnalysis::word(const char* key) const {
    return wordOf(kAnalysisTexts, key, m_german && m_german() ? 0 : 1);
}

void EpdFileAnalysis::setSeconds(int seconds) {
    m_services.engine->setSecsPerPos(seconds);
    m_seconds = m_services.engine->SecsPerPos();
    refreshTimeFields();
}

void EpdFileAnalysis::setHashIndex(int index) {
    if (m_analysing) {
        m_display.hashIndex = static_cast<int>(m_services.engine->HashSize());
        return;
    }
    m_services.engine->setHashSize(static_cast<VEhashSet>(index >= 0 && index <= 6 ? index : 0));
    m_display.hashIndex = static_cast<int>(m_services.engine->HashSize());
    m_hashEntry = m_display.hashIndex + 1;
}

void EpdFileAnalysis::setSkipEvaluated(bool skip) {
    if (m_analysing) {
        m_display.skipEvaluated = m_skipEvaluated;
        return;
    }
    m_skipEvaluated = skip;
    m_display.skipEvaluated = skip;
}

std::vector<std::string> EpdFileAnalysis::logLines() const {
    std::vector<std::string> lines;
    const auto bytes = readBytes(m_logName);
    if (!bytes) return lines;
    forEachLine(*bytes, [&lines](std::string_view line) {
        lines.emplace_back(line);
        return true;
    });
    return lines;
}

void EpdFileAnalysis::updateEnabling() {
    m_display.caption = std::string(kWindowCaption) + (m_analysing ? kAnalysing : "");
    m_display.startEnabled = !m_analysing;
    m_display.settingsEnabled = !m_analysing;
    m_display.stopEnabled = m_analysing;
    m_display.openFileEnabled = !m_analysing && !m_epdFile.empty();
    m_display.writeBackEnabled =
        !m_analysing && !m_firstUse && !m_writtenBack && m_epdFile == m_analysedFile;
    m_display.showLogEnabled = !m_analysing && !m_firstUse && !m_logName.empty();
}
