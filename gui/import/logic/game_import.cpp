#include "game_import.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string_view>

#include "child_process.h"
#include "text_file.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHistory = "History";
constexpr const char* kLastPgnDirectory = "LastPGNdirectory";
constexpr const char* kLastQbxDirectory = "LastQBXdirectory";
constexpr const char* kPgnErrorFile = "Orvanel.ERR";

bool exists(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::exists(path, ec);
}

bool isFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && fs::is_directory(path, ec);
}

// The folder of a path up to and including its last separator.
std::string folderWithSeparator(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file name without folder and without everything from its first ".", + ".EPD".
std::string outputNameOf(const std::string& path) {
    const std::string name = fileNameOf(path);
    return name.substr(0, name.find('.')) + ".EPD";
}

// How the command line names the add-on folder: relative to the temporary folder when that is
// the program folder's own, as the converters expect, else as it stands.
std::string addOnPrefix(const ImportEnvironment& environment) {
    std::error_code ec;
    const bool besideAddOn = fs::equivalent(fs::path(environment.tempFolder).parent_path(),
                                            fs::path(environment.addOnFolder).parent_path(), ec);
    return besideAddOn ? std::string("../AddOn/") : environment.addOnFolder + "/";
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (const auto& word : words)
        text += " " + word;
    return text;
}

// The list file for a path with blanks: the path, then a line holding a single blank.
bool writeListFile(const std::string& path, const std::string& pgnPath, std::string& error) {
    const auto written = writeBytesSafely(path, pgnPath + "\r\n \r\n");
    error = written.error;
    return written.ok;
}

std::vector<std::string> linesOfFile(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

// The common part of both imports once the converter is known: check the folders, write the
// list file, start the converter in the temporary folder and wait for it. Returns whether the
// converter ended by itself (its output then counts), or nothing when it never ran.
class ConverterRun {
public:
    ConverterRun(ImportEnvironment& environment, const ConverterCall& call,
                 const std::string& converter, const std::string& path)
        : m_env(environment), m_call(call), m_converter(converter), m_path(path) {}

    // Everything up to the start; false (after its message) when the import stops.
    bool start(const std::function<void()>& beforeStart) {
        char here[4096];
        if (!::getcwd(here, sizeof here)) {
            tell("Can't locate current directory", Icon::Error);
            return false;
        }
        // The converter gets the temporary folder as its working folder; the program's own
        // current folder never changes.
        if (!isFolder(m_env.tempFolder) || ::access(m_env.tempFolder.c_str(), W_OK | X_OK) != 0) {
            tell("Can't change to " + m_env.tempFolder, Icon::Error);
            return false;
        }
        if (beforeStart) beforeStart();
        if (!m_call.listFile.empty()) {
            std::string error;
            if (!writeListFile(inTemp(m_call.listFile), m_path, error)) {
                tell(error, Icon::Error);
                return false;
            }
        }
        if (m_env.analysisDebug) {
            tell("Current directory : " + m_env.tempFolder, Icon::Information);
            tell("command line : " + m_call.commandLine, Icon::Information);
        }
        // A stale output file must not pass for this run's.
        std::error_code ec;
        fs::remove(inTemp(m_call.outputName), ec);
        std::string error;
        if (!m_process.start(m_call.program, m_call.arguments, m_env.tempFolder, error)) {
            tell("Can't start program " + m_converter, Icon::Error);
            return false;
        }
        return true;
    }

    // Waits the given periods; after each but the last `more` decides whether to go on.
    // True when the converter ended by itself; a converter cut off is killed.
    bool wait(const std::vector<int>& periods, const std::function<bool(std::size_t)>& more) {
        busy(true);
        bool ended = false;
        for (std::size_t i = 0; !ended; ++i) {
            const int period = periods[std::min(i, periods.size() - 1)];
            ended = m_process.waitFor(period, m_env.idle);
            if (ended) break;
            // No busy cursor over a question.
            busy(false);
            const bool goOn = more(i);
            busy(true);
            if (!goOn) break;
        }
        // A converter that ended while the question was open is not cut off.
        if (!ended) ended = m_process.waitFor(0, nullptr);
        if (!ended) m_process.terminate();
        busy(false);
        return ended && m_process.exitedNormally();
    }

    // The converter's output when it ended by itself and wrote it; otherwise a partial output
    // file is removed, so that no half-converted game reaches the document.
    bool takeOutput(bool endedByItself) {
        const std::string output = inTemp(m_call.outputName);
        if (endedByItself && exists(output)) {
            m_env.appendFile(output);
            std::error_code ec;
            fs::remove(output, ec);
            return true;
        }
        std::error_code ec;
        fs::remove(output, ec);
        return false;
    }

    std::string inTemp(const std::string& name) const { return m_env.tempFolder + "/" + name; }
    void busy(bool on) {
        if (m_env.busy) m_env.busy(on);
    }
    void tell(const std::string& text, Icon icon) { m_env.prompts->message(kCaption, text, icon); }

private:
    ImportEnvironment& m_env;
    const ConverterCall& m_call;
    std::string m_converter;
    std::string m_path;
    ChildProcess m_process;
};

// Longest line the copy for the converter holds; the converter takes 1023 bytes and its end.
constexpr std::size_t kWrapWidth = 1000;

// Calls `line(text, end)` for every line of a file, whatever ends it (LF, CR LF or a lone CR,
// as the converter reads them); `end` holds the bytes that ended it. False on a read error.
bool forEachFileLine(std::istream& in,
                     const std::function<void(std::string_view, std::string_view)>& line) {
    std::string text;
    for (std::string chunk; std::getline(in, chunk);) {
        const bool lf = !in.eof();
        std::string_view rest(chunk);
        for (std::size_t cr; (cr = rest.find('\r')) != std::string_view::npos;) {
            if (cr + 1 == rest.size() && lf) break;
            line(rest.substr(0, cr), "\r");
            rest.remove_prefix(cr + 1);
        }
        if (!rest.empty() && rest.back() == '\r' && lf)
            line(rest.substr(0, rest.size() - 1), "\r\n");
        else if (lf || !rest.empty())
            line(rest, lf ? "\n" : "");
    }
    return !in.bad();
}

// A line too long for the converter cut into lines of at most kWrapWidth bytes, at blanks
// outside tag values and before any ";" comment, and never so that a new line begins with "[",
// "%" or ";": no new tag line, escape line or comment appears, so the converter counts the games
// as the game list does. `inBrace` carries a "{" comment from line to line. A line without such
// blanks stays long.
void wrapLine(std::string_view line, std::string_view end, bool& inBrace, std::string& out) {
    std::size_t start = 0;
    std::size_t cut = std::string_view::npos;  // the last blank where a new line may begin
    bool inValue = false;
    bool inLineComment = false;
    std::size_t lastFilled = std::string_view::npos;  // the last character that is no blank
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (inLineComment) break;
        if (c != ' ') lastFilled = i;
        if (inBrace) {
            if (c == '}') inBrace = false;
        } else if (inValue) {
            if (c == '"') inValue = false;
        } else if (c == '"') {
            inValue = true;
        } else if (c == '{') {
            inBrace = true;
        } else if (c == ';' || c == '%') {
            inLineComment = true;
        }
        const bool mayBegin = i + 1 < line.size() && line[i + 1] != ' ' && line[i + 1] != '[' &&
                              line[i + 1] != '%' && line[i + 1] != ';';
        // A cut leaves text on both sides: an empty line would end the game for the converter.
        const bool filledBefore = lastFilled != std::string_view::npos && lastFilled >= start;
        if (c == ' ' && !inValue && !inLineComment && mayBegin && filledBefore) cut = i;
        if (i + 1 - start > kWrapWidth && cut != std::string_view::npos && cut > start) {
            std::string_view piece = line.substr(start, cut - start);
            while (!piece.empty() && piece.back() == ' ')
                piece.remove_suffix(1);
            out.append(piece).append(end.empty() ? std::string_view("\n") : end);
            start = cut + 1;
            cut = std::string_view::npos;
        }
    }
    out.append(line.substr(start)).append(end);
}

}  // namespace

PgnCopy copyForConverter(const std::string& path, const std::string& copyPath) {
    PgnCopy copy;
    std::ifstream in(path, std::ios::binary);
    if (!in) return copy;
    char mark[3] = {};
    in.read(mark, 3);
    const bool byteOrderMark = in.gcount() == 3 && std::memcmp(mark, "\xEF\xBB\xBF", 3) == 0;
    in.clear();
    in.seekg(0);
    bool longLine = false;
    forEachFileLine(in, [&](std::string_view line, std::string_view) {
        longLine = longLine || line.size() > kWrapWidth;
    });
    if (!byteOrderMark && !longLine) return copy;

    in.clear();
    in.seekg(byteOrderMark ? 3 : 0);
    const WriteResult written = writeFileSafely(copyPath, [&in](std::FILE* file) {
        std::string bytes;
        bool inBrace = false;
        bool ok = true;
        const bool read = forEachFileLine(in, [&](std::string_view line, std::string_view end) {
            wrapLine(line, end, inBrace, bytes);
            if (bytes.size() > (1u << 20)) {
                ok = ok && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
                bytes.clear();
            }
        });
        return read && ok && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    });
    copy.error = written.error;
    copy.path = written.ok ? copyPath : std::string();
    copy.written = written.ok;
    return copy;
}

namespace {

bool german(const ImportEnvironment& environment) {
    return environment.german && environment.german();
}

}  // namespace

PgnSelection::PgnSelection(Prompts& prompts, std::function<bool()> german)
    : m_prompts(prompts), m_german(std::move(german)) {}

std::string PgnSelection::caption() const {
    return german() ? "Brisvane: Wähle Partie aus PGN Datei"
                    : "Brisvane: Select game from PGN file";
}

bool PgnSelection::show() {
    m_selectedGame = -1;
    m_converterGame = 0;
    if (!exists(m_currentFile)) m_currentFile.clear();
    if (!isFolder(m_currentFolder)) m_currentFolder.clear();
    if (!exists(requestedFile)) requestedFile.clear();
    if (!isFolder(requestedFolder)) requestedFolder.clear();
    if (!requestedFolder.empty() && requestedFolder != m_currentFolder)
        m_currentFolder = requestedFolder;
    if (requestedFile.empty() && m_currentFile.empty()) {
        if (!m_games.empty()) {
            m_games.clear();
            if (listChanged) listChanged();
        }
        if (!chooseFile()) return false;
        readHeaders(m_currentFile);
    } else if (requestedFile.empty()) {
        showFirst();
    } else if (requestedFile != m_currentFile) {
        m_currentFile = requestedFile;
        readHeaders(m_currentFile);
    } else {
        showFirst();
    }
    return true;
}

bool PgnSelection::chooseFile() {
    FileDialogRequest request;
    request.title = german() ? "Brisvane: Importiere Partie aus PGN Datei"
                             : "Brisvane: Import game from PGN file";
    request.filter = german() ? "PGN Dateien (*.PGN)|*.PGN" : "PGN Files (*.PGN)|*.PGN";
    request.initialDir = m_currentFolder;
    const auto chosen = m_prompts.chooseOpenFile(request);
    if (!chosen) return false;
    m_currentFile = *chosen;
    m_currentFolder = folderWithSeparator(*chosen);
    return true;
}

bool PgnSelection::changeFile() {
    if (!chooseFile()) return false;
    readHeaders(m_currentFile);
    return true;
}

void PgnSelection::readHeaders(const std::string& path) {
    m_label = "0/0";
    // The list shows nothing while it is read; no question is asked before it is complete.
    m_games.clear();
    if (listChanged) listChanged();
    if (busy) busy(true);
    auto reading = readPgnGameList(path);
    if (busy) busy(false);
    m_games = std::move(reading.games);
    if (listChanged) listChanged();
    showFirst();
    if (!reading.ok)
        m_prompts.message(kCaption, "Can't read " + path + ": " + reading.error, Icon::Error);
}

void PgnSelection::showFirst() {
    if (!m_games.empty()) m_label = "1/" + std::to_string(m_games.size());
}

void PgnSelection::selectRow(int row) {
    m_label = std::to_string(row + 1) + "/" + std::to_string(m_games.size());
}

bool PgnSelection::accept(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= m_games.size()) return true;
    const std::int32_t number = m_games.converterNumber(static_cast<std::size_t>(row));
    if (number <= 0) {
        const std::string game = std::to_string(row + 1);
        m_prompts.message(
            kCaption,
            german() ? "Partie " + game +
                           " hat keinen Result-Tag: der Konverter kann sie in der Datei nicht "
                           "finden. Bitte eine andere Partie wählen."
                     : "Game " + game +
                           " has no Result tag: the converter cannot find it in the file. "
                           "Please choose another game.",
            Icon::Warning);
        return false;
    }
    m_selectedGame = row + 1;
    m_converterGame = number;
    requestedFile = m_currentFile;
    requestedFolder = m_currentFolder;
    return true;
}

void PgnSelection::cancel() {
    m_selectedGame = -1;
    m_converterGame = 0;
    requestedFile.clear();
    requestedFolder.clear();
}

ConverterCall pgnConverterCall(const ImportEnvironment& environment, const std::string& converter,
                               std::int32_t game, const std::string& pgnPath) {
    ConverterCall call;
    call.program = environment.addOnFolder + "/" + converter;
    call.arguments = {"-e", "-g", std::to_string(game)};
    std::string words = " -e -g " + std::to_string(game) + " ";
    if (pgnPath.find(' ') == std::string::npos) {
        call.outputName = outputNameOf(pgnPath);
        call.arguments.insert(call.arguments.end(), {pgnPath, call.outputName});
        words += pgnPath + " " + call.outputName;
    } else {
        call.outputName = "EPDTMP.EPD";
        call.listFile = "LPGN.TXT";
        call.arguments.insert(call.arguments.end(), {"-F", call.listFile, call.outputName});
        words += " -F LPGN.TXT  EPDTMP.EPD";
    }
    call.commandLine = addOnPrefix(environment) + converter + words;
    return call;
}

ConverterCall qbxConverterCall(const ImportEnvironment& environment, const std::string& converter,
                               const std::string& qbxPath) {
    ConverterCall call;
    call.program = environment.addOnFolder + "/" + converter;
    if (qbxPath.find(' ') == std::string::npos) {
        call.outputName = outputNameOf(qbxPath);
        call.arguments = {qbxPath, call.outputName};
    } else {
        call.outputName = "EPDTMP.EPD";
        call.listFile = "LQBX.TXT";
        call.arguments = {"-F", call.listFile, call.outputName};
    }
    call.commandLine = addOnPrefix(environment) + converter + joined(call.arguments);
    return call;
}

void importPgnGame(ImportEnvironment& env, const std::string& converter, PgnSelection& selection,
                   const std::function<bool()>& runDialog) {
    if (!env.newDocument()) return;
    const bool de = german(env);
    env.showInLineField(de ? "***** EXTRAHIERE PGN HEADER - BITTE WARTEN..."
                           : "***** EXTRACT PGN HEADER FOR GAME SELECTION - PLEASE WAIT...");
    selection.requestedFile.clear();
    selection.requestedFolder =
        env.settings ? env.settings->readString(kHistory, kLastPgnDirectory, "") : std::string();
    runDialog();
    env.showInLineField("");
    if (selection.selectedGame() <= 0) return;
    const std::string pgnPath = selection.requestedFile;

    // The converter reads what the list read: without a byte-order mark, and with lines it takes.
    const std::string copyPath = env.tempFolder + "/IMPORT.PGN";
    // The user's file may be that very name: it is then read as it stands, never replaced.
    std::error_code same;
    const PgnCopy copy =
        fs::equivalent(pgnPath, copyPath, same) ? PgnCopy{} : copyForConverter(pgnPath, copyPath);
    if (!copy.error.empty()) {
        env.prompts->message(kCaption, "Can't write " + copyPath + ": " + copy.error, Icon::Error);
        return;
    }
    // The copy goes once the converter has read it, whichever way the import ends.
    struct Remover {
        std::string path;
        ~Remover() {
            std::error_code ec;
            if (!path.empty()) fs::remove(path, ec);
        }
    } const remover{copy.path};
    const std::string converted = copy.written ? copy.path : pgnPath;
    const ConverterCall call =
        pgnConverterCall(env, converter, selection.converterGame(), converted);
    ConverterRun run(env, call, converter, converted);
    const auto showExtracting = [&] {
        std::error_code ec;
        fs::remove(run.inTemp(kPgnErrorFile), ec);
        env.showInLineField(de ? "***** EXTRAHIERE PARTIEDATEN AUS PGN DATEI - BITTE WARTEN..."
                               : "***** EXTRACTING GAME DATA FROM PGN FILE - PLEASE WAIT...");
    };
    if (!run.start(showExtracting)) {
        env.showInLineField("");
        return;
    }
    const bool ended = run.wait({env.pgnWaitPeriodMs}, [&](std::size_t) {
        return env.prompts->askYesNo(kCaption,
                                     de ? "Timeout (5 min.) bei PGN Import - weiter warten ?"
                                        : "Timeout (5 min.) in PGN import - continue ?",
                                     Icon::Question);
    });
    env.showInLineField("");
    if (run.takeOutput(ended)) {
        if (env.settings)
            env.settings->writeString(kHistory, kLastPgnDirectory, folderWithSeparator(pgnPath));
        return;
    }
    const std::string question =
        de ? "Fehler beim Importieren aus der Datei " + pgnPath + "\nImportprotokoll zeigen ?"
           : "Error in importing file " + pgnPath + "\nShow logfile ?";
    if (env.prompts->askYesNo(kCaption, question, Icon::Question))
        env.showLog("Brisvane: Show log PGN->EPD", linesOfFile(run.inTemp(kPgnErrorFile)));
}

void importQbxGame(ImportEnvironment& env, const std::string& converter,
                   const std::function<std::string(const std::string&)>& selectFile) {
    if (!env.newDocument()) return;
    const bool de = german(env);
    char here[4096];
    if (!::getcwd(here, sizeof here)) {
        env.prompts->message(kCaption, "Can't locate current directory", Icon::Error);
        return;
    }
    std::string start =
        env.settings ? env.settings->readString(kHistory, kLastQbxDirectory, "") : std::string();
    if (!isFolder(start)) start = here;
    FileDialogRequest request;
    request.title =
        de ? "Brisvane: Wähle QBX Dateiverzeichnis" : "Brisvane: Select QBX file directory";
    request.filter = de ? "QBX Dateien (*.QBX)|*.QBX" : "QBX files (*.QBX)|*.QBX";
    request.initialDir = start;
    const auto folder = env.prompts->chooseFolderOfFiles(request);
    if (!folder) return;
    const std::string path = selectFile(*folder);
    if (path.empty()) return;

    const ConverterCall call = qbxConverterCall(env, converter, path);
    ConverterRun run(env, call, converter, path);
    if (!run.start(nullptr)) return;
    const bool ended = run.wait(
        env.qbxWaitsMs, [&](std::size_t period) { return period + 1 < env.qbxWaitsMs.size(); });
    if (run.takeOutput(ended)) {
        std::error_code ec;
        if (!call.listFile.empty()) fs::remove(run.inTemp(call.listFile), ec);
        if (env.settings)
            env.settings->writeString(kHistory, kLastQbxDirectory, folderWithSeparator(path));
        return;
    }
    env.prompts->message(kCaption,
                         (de ? "Fehler beim Import der Datei " : "Error in importing file ") + path,
                         Icon::Error);
}
