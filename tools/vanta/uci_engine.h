#pragma once

#include <sys/types.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// A UCI chess engine run as a child process and spoken to through pipes.
class UciEngine {
public:
    UciEngine() = default;
    ~UciEngine();
    UciEngine(const UciEngine&) = delete;
    UciEngine& operator=(const UciEngine&) = delete;

    // Starts the program and waits for "uciok"; false with a reason when it cannot be started or
    // does not answer within the time limit.
    bool start(const std::string& program, std::string& error, int timeoutMs = 10000);
    bool send(const std::string& line);
    // The next line the engine writes, or nothing after `timeoutMs` or once it has gone.
    std::optional<std::string> readLine(int timeoutMs);
    bool alive() const { return !m_gone; }
    // "isready" answered with "readyok" in time.
    bool ready(int timeoutMs = 10000);
    void setOption(const std::string& name, const std::string& value);
    // Asks the engine to quit and makes sure it has ended.
    void quit();
    // Ends the engine at once (one that hangs or talks nonsense) and reaps it.
    void kill();
    // The engine's "id name", as it introduced itself.
    const std::string& name() const { return m_name; }

private:
    pid_t m_pid = -1;
    int m_toEngine = -1;
    int m_fromEngine = -1;
    std::string m_pending;
    std::string m_name;
    bool m_gone = true;
};

// What one "info" line of a search says.
struct SearchInfo {
    int depth = 0;
    bool mate = false;   // score is mate in `score` moves (negative: being mated)
    int score = 0;       // centipawns, or moves to mate
    bool bound = false;  // a lower or upper bound only
    long long nodes = 0;
    std::vector<std::string> pv;  // moves in UCI notation
};

// Reads an "info" line; false when it carries no score. A scored line may have no principal
// variation: Stockfish scores a mated or stalemated position so.
bool parseInfo(const std::string& line, SearchInfo& info);

struct SearchOutcome {
    // The last exact information with a principal variation; the last exact score when the
    // engine gave no variation at all (the side to move has no move).
    SearchInfo best;
    std::string bestMove;
    bool stopped = false;  // ended by shouldStop
};

// Sets up `fen`, sends the go command and follows the search to its "bestmove". onInfo sees
// every exact info line and returns false to end the search early;
// shouldStop is asked every 50 ms. Nothing when the engine dies or stops answering.
std::optional<SearchOutcome> runSearch(UciEngine& engine, const std::string& fen,
                                       const std::string& goCommand,
                                       const std::function<bool(const SearchInfo&)>& onInfo,
                                       const std::function<bool()>& shouldStop, int answerLimitMs);
