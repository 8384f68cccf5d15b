#include "vanta.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fstream>
#include <memory>
#include <optional>
#include <ostream>
#include <sstream>
#include <thread>

#include "analysis_text.h"
#include "uci_engine.h"
#include "zbmovgen.h"
#include "zorb_pgn.h"
#include "zorbutil.h"

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How long a new position's first analysis line stays in the file, so that a reader polling
// every 200 ms sees the depth drop that tells it a new position has begun.
constexpr auto kNewPositionHold = 450ms;

std::string programFolder() {
    char path[4096];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return ".";
    std::string text(path, static_cast<std::size_t>(length));
    const auto slash = text.find_last_of('/');
    return slash == std::string::npos ? "." : text.substr(0, slash);
}

std::optional<std::string> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return bytes.str();
}

// Writes through a temporary file renamed into place, so a reader never sees half a file.
bool writeAtomically(const std::string& path, const std::string& bytes) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << bytes;
        if (!out) return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

bool exists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

// Changes when the file is replaced or rewritten; -1 when it is missing.
long long fileStamp(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return -1;
    return static_cast<long long>(info.st_ino) * 1000003LL + info.st_size * 7919LL +
           info.st_mtim.tv_sec * 1000000007LL + info.st_mtim.tv_nsec;
}

std::string stemOf(const std::string& file) {
    const auto dot = file.find_last_of('.');
    return dot == std::string::npos ? file : file.substr(0, dot);
}

bool endsWithNoCase(const std::string& text, const std::string& end) {
    if (text.size() < end.size()) return false;
    for (std::size_t i = 0; i < end.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(text[text.size() - end.size() + i])) !=
            std::toupper(static_cast<unsigned char>(end[i])))
            return false;
    return true;
}

std::vector<std::string> splitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\n' || c == '\r') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// Says why the program ends: on standard error and in the file the caller reads, its line file
// (or VANTA.ERR for one position), as one line "Vanta: <reason>", so that a program that started
// it without a console can show the reason.
class Failure {
public:
    Failure(std::ostream& err, std::string file) : m_err(err), m_file(std::move(file)) {}
    int operator()(const std::string& reason) const {
        m_err << "Vanta: " << reason << "\n";
        if (!m_file.empty()) writeAtomically(m_file, fittedLine("Vanta: ", reason));
        return 1;
    }

private:
    std::ostream& m_err;
    std::string m_file;
};

// Starts the UCI engine; the reason why not otherwise.
std::optional<std::string> openEngine(UciEngine& engine, const VantaSettings& settings,
                                      int hashIndex) {
    const std::string program = findUciEngine(settings);
    if (program.empty())
        return "no UCI engine found (install stockfish or name one with Engine= in Vanta.ini)";
    std::string error;
    if (!engine.start(program, error)) return error;
    engine.setOption("Hash", std::to_string(hashMegabytes(hashIndex)));
    engine.setOption("Threads", std::to_string(std::max(1, settings.threads)));
    engine.send("ucinewgame");
    if (!engine.ready()) return program + " does not answer";
    return std::nullopt;
}

constexpr const char* kNoAnswer = "the UCI engine stopped answering";

PositionResult resultOf(const SearchOutcome& outcome, const std::string& fen,
                        Clock::duration spent) {
    PositionResult result;
    result.depth = outcome.best.depth;
    result.mate = outcome.best.mate;
    result.score = outcome.best.score;
    result.seconds = static_cast<int>(
        (std::chrono::duration_cast<std::chrono::milliseconds>(spent).count() + 500) / 1000);
    result.pv = sanVariation(fen, outcome.best.pv).value_or("");
    return result;
}

// Sleeps until `until`, in small steps that watch for a stop request; true when one came.
bool waitUntil(Clock::time_point until, const std::function<bool()>& stopRequested) {
    while (Clock::now() < until) {
        if (stopRequested()) return true;
        std::this_thread::sleep_for(20ms);
    }
    return stopRequested();
}

// A game read from a PGN file: the positions of its main line, with the moves in SAN.
struct Game : zorb::GameActions {
    explicit Game(zorb::PgnReader& reader) : reader(reader), board(zorb::allocateBoard()) {
        if (board) zorb::setUpInitial(*board);
    }
    zorb::PgnReader& reader;
    std::unique_ptr<zorb::Board> board;
    std::vector<std::pair<std::string, std::string>> tags;
    std::vector<std::string> fensBefore;  // the position before each move
    std::vector<std::string> moves;       // the moves in SAN as this program writes them
    bool fenStart = false;

    std::string fen() const { return zorb::epdString(*board).value_or("") + " 0 1"; }

    bool tag(const std::string& name, const std::string& value, std::string& error) override {
        tags.emplace_back(name, value);
        if (name == "FEN") {
            fenStart = true;
            if (!zorb::setUpFromFen(*board, value)) {
                error = "invalid FEN tag";
                return false;
            }
        }
        return true;
    }
    bool endOfHeader(std::string&) override { return true; }
    bool move(const std::string& text, std::string& error) override {
        if (reader.variationDepth() > 0) return true;  // only the main line is followed
        const int index = zorb::matchSan(*board, text);
        if (index < 0) {
            error = "illegal move " + text;
            return false;
        }
        fensBefore.push_back(fen());
        moves.push_back(zorb::sanOfMove(*board, index).value_or(text));
        return zorb::makeMove(*board, index) != 0;
    }
    bool variationStart(std::string&) override { return true; }
    bool variationEnd(std::string&) override { return true; }
};

std::unique_ptr<Game> readGame(const std::string& path, zorb::PgnReader& reader) {
    if (!reader.open(path.c_str())) return nullptr;
    auto game = std::make_unique<Game>(reader);
    reader.resetGame();
    const int result = reader.readGame(*game);
    reader.close();
    if (!game->board || result == 2) return nullptr;
    return game;
}

// Every line of an EPD file analysed in turn; results written into the file as they come.
int analyseEpdFile(const std::string& epdFile, int seconds, int hashIndex, char evaluation,
                   const VantaSettings& settings, std::ostream& err) {
    const std::string stem = stemOf(epdFile);
    const std::string lineFile = stem + ".ANE";
    const Failure fail(err, lineFile);
    const auto bytes = readFile(epdFile);
    if (!bytes) return fail("can't read EPD file " + epdFile);
    std::vector<std::string> lines = splitLines(*bytes);
    // The analysed file keeps the line ends of the user's file.
    const std::string lineEnd =
        bytes->find("\r\n") != std::string::npos || bytes->find('\n') == std::string::npos ? "\r\n"
                                                                                           : "\n";
    // An empty line is there to be read while the UCI engine starts, which may take a while:
    // a reader counts the polls that find no line at all as failures.
    writeAtomically(lineFile, "\r\n");
    UciEngine engine;
    if (const auto reason = openEngine(engine, settings, hashIndex)) return fail(*reason);
    const std::string stopFile = stem + ".STP";
    const std::function<bool()> stopRequested = [&] { return exists(stopFile); };
    const int milliseconds = seconds * 1000;
    auto saveFile = [&] {
        std::string text;
        for (const auto& line : lines)
            text += line + lineEnd;
        writeAtomically(epdFile, text);
    };

    // A reader that polls the line every 200 ms must see each position begin (depth 0) and see
    // a deeper line or a mate before the next begins, so every line stays in the file a while.
    // The lines wait their turn in a queue while the engine goes on with the next position: the
    // engine never idles for the reader.
    struct Queued {
        std::string text;
        bool replaceable;  // an analysis line a newer one of the same position may take over
    };
    std::deque<Queued> queue;
    auto lastShown = Clock::now() - kNewPositionHold;
    std::string shownText;
    auto flush = [&] {
        if (queue.empty() || Clock::now() < lastShown + kNewPositionHold) return;
        writeAtomically(lineFile, queue.front().text);
        shownText = queue.front().text;
        lastShown = Clock::now();
        queue.pop_front();
    };
    auto show = [&](const std::string& text, bool replaceable) {
        if (replaceable && !queue.empty() && queue.back().replaceable)
            queue.back().text = text;
        else
            queue.push_back({text, replaceable});
        flush();
    };
    const std::function<bool()> stopOrFlush = [&] {
        flush();
        return stopRequested();
    };
    int position = 0;
    for (auto& line : lines) {
        if (line.size() < 15) continue;
        if (evaluation == 'C' && carriesEvaluation(line)) continue;
        ++position;
        if (stopRequested()) break;
        const auto begun = Clock::now();
        show(epdAnalysisLine(position, 0, "start"), false);
        const std::string fen = fenOf(line);
        std::string finalLine = epdAnalysisLine(position, 1, "no analysis");
        std::optional<SearchOutcome> outcome;
        if (playablePosition(fen)) {
            const auto onInfo = [&](const SearchInfo& info) {
                // A reader takes depth 0 for the start of a position: a position without
                // moves, which the engine scores at depth 0, is shown at depth 1.
                finalLine = epdAnalysisLine(position, std::max(1, info.depth),
                                            scoreText(info.mate, info.score) + " " +
                                                sanVariation(fen, info.pv).value_or(""));
                show(finalLine, true);
                // A mate found ends the position: the next line a reader sees is a new one's.
                return !info.mate;
            };
            outcome = runSearch(engine, fen, "go movetime " + std::to_string(milliseconds), onInfo,
                                stopOrFlush, milliseconds + 10000);
            if (!outcome) return fail(kNoAnswer);
            if (outcome->stopped) break;
        }
        const auto spent = Clock::now() - begun;
        // The position's last line is shown for its full time before the next one begins.
        if (!queue.empty() && queue.back().replaceable)
            queue.back().replaceable = false;
        else if (queue.empty() && finalLine != shownText)
            show(finalLine, false);
        else if (!queue.empty() && queue.back().text != finalLine)
            show(finalLine, false);
        if (outcome) {
            line = withResult(line, resultOf(*outcome, fen, spent));
            saveFile();
        }
    }
    // The reader sees every line before the program ends.
    while (!queue.empty()) {
        if (stopRequested()) break;
        flush();
        std::this_thread::sleep_for(20ms);
    }
    if (!stopRequested()) waitUntil(lastShown + kNewPositionHold, stopRequested);
    return 0;
}

// The final position of the game in the .PGN file, analysed until the file changes; an empty
// file ends the program.
int followGame(const std::string& pgnFile, int hashIndex, const VantaSettings& settings,
               std::ostream& err) {
    const std::string lineFile = stemOf(pgnFile) + ".ANA";
    const Failure fail(err, lineFile);
    // The line of an earlier run must not be read as this one's while the engine starts.
    writeAtomically(lineFile, gameAnalysisLine(0, ""));
    UciEngine engine;
    if (const auto reason = openEngine(engine, settings, hashIndex)) return fail(*reason);
    zorb::PgnReader reader;
    for (;;) {
        const long long stamp = fileStamp(pgnFile);
        const auto bytes = readFile(pgnFile);
        if (!bytes) {
            // The file is replaced in one step; a missing file is a stop request too.
            if (stamp < 0 && !exists(pgnFile)) return 0;
            std::this_thread::sleep_for(20ms);
            continue;
        }
        if (bytes->empty()) return 0;
        const std::function<bool()> changed = [&] { return fileStamp(pgnFile) != stamp; };
        const auto game = readGame(pgnFile, reader);
        const std::string fen = game ? game->fen() : std::string();
        // Until the engine says something of this position, no line of an earlier one stands.
        writeAtomically(lineFile, gameAnalysisLine(0, ""));
        if (!game || !playablePosition(fen)) {
            while (!changed())
                std::this_thread::sleep_for(50ms);
            continue;
        }
        const auto onInfo = [&](const SearchInfo& info) {
            writeAtomically(lineFile,
                            gameAnalysisLine(info.depth, sanVariation(fen, info.pv).value_or("")));
            return true;
        };
        const auto outcome =
            runSearch(engine, fen, "go infinite", onInfo, changed, 24 * 3600 * 1000);
        if (!outcome) return fail(kNoAnswer);
        if (!outcome->stopped)
            while (!changed())
                std::this_thread::sleep_for(50ms);
    }
}

// Every position of the game's main line analysed; the game with the evaluations and best
// lines as comments is left in .ANA.
int analyseGame(const std::string& pgnFile, int hashIndex, int seconds,
                const VantaSettings& settings, std::ostream& err) {
    const std::string lineFile = stemOf(pgnFile) + ".ANA";
    const Failure fail(err, lineFile);
    zorb::PgnReader reader;
    const auto game = readGame(pgnFile, reader);
    if (!game) return fail("can't read the game in " + pgnFile);
    UciEngine engine;
    if (const auto reason = openEngine(engine, settings, hashIndex)) return fail(*reason);
    const std::function<bool()> stopRequested = [&] {
        const auto bytes = readFile(pgnFile);
        return !bytes || bytes->empty();
    };
    std::vector<std::string> comments;
    for (const std::string& fen : game->fensBefore) {
        if (!playablePosition(fen)) {
            comments.emplace_back();
            continue;
        }
        const auto onInfo = [&](const SearchInfo& info) {
            writeAtomically(lineFile,
                            gameAnalysisLine(info.depth, sanVariation(fen, info.pv).value_or("")));
            return true;
        };
        const auto begun = Clock::now();
        const auto outcome = runSearch(engine, fen, "go movetime " + std::to_string(seconds * 1000),
                                       onInfo, stopRequested, seconds * 1000 + 10000);
        if (!outcome) return fail(kNoAnswer);
        if (outcome->stopped) return 0;
        const PositionResult result = resultOf(*outcome, fen, Clock::now() - begun);
        comments.push_back(scoreText(result.mate, result.score) + "/" +
                           std::to_string(result.depth) + " " + result.pv);
    }

    std::string pgn;
    std::string resultTag = "*";
    for (const auto& [name, value] : game->tags) {
        pgn += "[" + name + " \"" + value + "\"]\r\n";
        if (name == "Result") resultTag = value;
    }
    pgn += "[Annotator \"Vanta\"]\r\n\r\n";
    const bool blackFirst =
        !game->fensBefore.empty() && game->fensBefore.front().find(" b ") != std::string::npos;
    std::string movetext;
    for (std::size_t i = 0; i < game->moves.size(); ++i) {
        const bool white = (i % 2 == 0) != blackFirst;
        const std::size_t number = (i + (blackFirst ? 1 : 0)) / 2 + 1;
        if (white)
            movetext += std::to_string(number) + ". ";
        else if (i == 0)
            movetext += std::to_string(number) + "... ";
        movetext += game->moves[i];
        if (!comments[i].empty()) movetext += " {" + comments[i] + "}";
        movetext += " ";
    }
    pgn += movetext + resultTag + "\r\n\r\n";
    writeAtomically(lineFile, pgn);
    return 0;
}

// One position (the first line of the file) for the fixed time; the line with its result
// operations, pv among them, is written to VANTA.EPD in the current folder.
int analyseSingle(const std::string& epdFile, int hashIndex, const VantaSettings& settings,
                  std::ostream& err) {
    // No result of an earlier position may stand for this one.
    std::remove("VANTA.EPD");
    std::remove("VANTA.ERR");
    const Failure fail(err, "VANTA.ERR");
    const auto bytes = readFile(epdFile);
    if (!bytes) return fail("can't read EPD file " + epdFile);
    std::string line;
    for (const auto& candidate : splitLines(*bytes))
        if (candidate.size() >= 15) {
            line = candidate;
            break;
        }
    const std::string fen = fenOf(line);
    if (line.empty() || !playablePosition(fen)) return fail("no position to analyse in " + epdFile);
    UciEngine engine;
    if (const auto reason = openEngine(engine, settings, hashIndex)) return fail(*reason);
    const int milliseconds = std::max(1, settings.singleSeconds) * 1000;
    const auto begun = Clock::now();
    const auto outcome = runSearch(engine, fen, "go movetime " + std::to_string(milliseconds),
                                   nullptr, nullptr, milliseconds + 10000);
    if (!outcome) return fail(kNoAnswer);
    const std::string result = withResult(line, resultOf(*outcome, fen, Clock::now() - begun));
    if (!writeAtomically("VANTA.EPD", result + "\r\n")) return fail("can't write VANTA.EPD");
    return 0;
}

int hashIndexOf(const std::string& text) {
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos) return -1;
    const int index = std::atoi(text.c_str());
    return index <= 6 ? index : -1;
}

void usage(std::ostream& err) {
    err << "Usage: Vanta VANENGnn.PGN <mode 1..3> <hash 0..6>\n"
           "       Vanta VANENGnn.EPD <hh:mm:ss> <hash 0..6> [A|C]\n"
           "       Vanta VANENGnn.PGN 4 <hash 0..6> <hh:mm:ss>\n"
           "       Vanta W|W1..W6 <EPD file>\n";
}

}  // namespace

std::string findUciEngine(const VantaSettings& settings) {
    if (!settings.engine.empty()) return settings.engine;
    if (const char* path = std::getenv("PATH")) {
        std::istringstream folders(path);
        for (std::string folder; std::getline(folders, folder, ':');)
            if (!folder.empty() && ::access((folder + "/stockfish").c_str(), X_OK) == 0)
                return folder + "/stockfish";
    }
    if (::access("/usr/games/stockfish", X_OK) == 0) return "/usr/games/stockfish";
    return {};
}

int hashMegabytes(int index) {
    static constexpr int sizes[] = {1, 1, 1, 2, 4, 13, 28};
    return index >= 0 && index <= 6 ? sizes[index] : 1;
}

int parseTime(const std::string& text) {
    int hours = 0, minutes = 0, seconds = 0;
    char extra = 0;
    if (text.size() < 8 ||
        std::sscanf(text.c_str(), "%d:%d:%d%c", &hours, &minutes, &seconds, &extra) != 3)
        return -1;
    if (hours < 0 || minutes < 0 || minutes > 59 || seconds < 0 || seconds > 59) return -1;
    return hours * 3600 + minutes * 60 + seconds;
}

VantaSettings readVantaSettings(const std::string& iniFile) {
    VantaSettings settings;
    std::ifstream in(iniFile);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto equals = line.find('=');
        if (equals == std::string::npos || line[0] == ';' || line[0] == '#' || line[0] == '[')
            continue;
        std::string key = line.substr(0, equals);
        std::transform(key.begin(), key.end(), key.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        key.erase(key.find_last_not_of(" \t") + 1);
        std::string value = line.substr(equals + 1);
        value.erase(0, value.find_first_not_of(" \t"));
        if (key == "engine")
            settings.engine = value;
        else if (key == "threads")
            settings.threads = std::max(1, std::atoi(value.c_str()));
        else if (key == "vanta9seconds")
            settings.singleSeconds = std::max(1, std::atoi(value.c_str()));
    }
    return settings;
}

int runVanta(const std::vector<std::string>& arguments, std::ostream& err) {
    // Vanta.ini lies beside the program; VANTA_INI may name another one.
    const char* iniFile = std::getenv("VANTA_INI");
    const VantaSettings settings =
        readVantaSettings(iniFile && *iniFile ? iniFile : programFolder() + "/Vanta.ini");
    if (arguments.size() >= 2 && arguments[0].size() <= 2 && arguments[0][0] == 'W' &&
        (arguments[0].size() == 1 || (arguments[0][1] >= '1' && arguments[0][1] <= '6'))) {
        const int hashIndex = arguments[0].size() == 1 ? 0 : arguments[0][1] - '0';
        return analyseSingle(arguments[1], hashIndex, settings, err);
    }
    if (arguments.size() >= 3 && endsWithNoCase(arguments[0], ".EPD")) {
        const int seconds = parseTime(arguments[1]);
        const int hashIndex = hashIndexOf(arguments[2]);
        const char evaluation =
            arguments.size() >= 4 && !arguments[3].empty() ? arguments[3][0] : 0;
        if (seconds > 0 && hashIndex >= 0)
            return analyseEpdFile(arguments[0], seconds, hashIndex, evaluation, settings, err);
    } else if (arguments.size() >= 3 && arguments[1] == "4") {
        const int hashIndex = hashIndexOf(arguments[2]);
        const int seconds = arguments.size() >= 4 ? parseTime(arguments[3]) : -1;
        if (hashIndex >= 0 && seconds > 0)
            return analyseGame(arguments[0], hashIndex, seconds, settings, err);
    } else if (arguments.size() >= 3 &&
               (arguments[1] == "1" || arguments[1] == "2" || arguments[1] == "3")) {
        const int hashIndex = hashIndexOf(arguments[2]);
        if (hashIndex >= 0) return followGame(arguments[0], hashIndex, settings, err);
    }
    usage(err);
    return 1;
}
