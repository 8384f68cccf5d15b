#include "uci_engine.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <sstream>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int remainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

}  // namespace

UciEngine::~UciEngine() {
    quit();
}

bool UciEngine::start(const std::string& program, std::string& error, int timeoutMs) {
    int toEngine[2];
    int fromEngine[2];
    if (::pipe2(toEngine, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        return false;
    }
    if (::pipe2(fromEngine, O_CLOEXEC) != 0) {
        error = std::strerror(errno);
        ::close(toEngine[0]);
        ::close(toEngine[1]);
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, toEngine[0], 0);
    posix_spawn_file_actions_adddup2(&actions, fromEngine[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>(program.c_str()), nullptr};
    const int result = ::posix_spawnp(&m_pid, program.c_str(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(toEngine[0]);
    ::close(fromEngine[1]);
    if (result != 0) {
        ::close(toEngine[1]);
        ::close(fromEngine[0]);
        m_pid = -1;
        error = program + ": " + std::strerror(result);
        return false;
    }
    m_toEngine = toEngine[1];
    m_fromEngine = fromEngine[0];
    m_gone = false;
    send("uci");
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (auto line = readLine(remainingMs(deadline))) {
        if (line->rfind("id name ", 0) == 0) m_name = line->substr(8);
        if (*line == "uciok") return true;
    }
    error = program + " does not speak UCI (no \"uciok\")";
    quit();
    return false;
}

bool UciEngine::send(const std::string& line) {
    if (m_gone) return false;
    const std::string text = line + "\n";
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t put = ::write(m_toEngine, text.data() + done, text.size() - done);
        if (put < 0) {
            if (errno == EINTR) continue;
            m_gone = true;
            return false;
        }
        done += static_cast<std::size_t>(put);
    }
    return true;
}

std::optional<std::string> UciEngine::readLine(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const auto end = m_pending.find('\n');
        if (end != std::string::npos) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            return line;
        }
        if (m_gone) return std::nullopt;
        pollfd wait{m_fromEngine, POLLIN, 0};
        const int ready = ::poll(&wait, 1, remainingMs(deadline));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        char buffer[4096];
        const ssize_t got = ::read(m_fromEngine, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            m_gone = true;
            continue;
        }
        m_pending.append(buffer, static_cast<std::size_t>(got));
        // A line of a megabyte is no engine's: what talks so is treated as gone.
        if (m_pending.size() > (std::size_t{1} << 20) &&
            m_pending.find('\n') == std::string::npos) {
            m_pending.clear();
            m_gone = true;
        }
    }
}

bool UciEngine::ready(int timeoutMs) {
    if (!send("isready")) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (auto line = readLine(remainingMs(deadline)))
        if (*line == "readyok") return true;
    return false;
}

void UciEngine::setOption(const std::string& name, const std::string& value) {
    send("setoption name " + name + " value " + value);
}

void UciEngine::kill() {
    if (m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
        }
        m_pid = -1;
    }
    quit();
}

void UciEngine::quit() {
    if (m_pid > 0) {
        send("quit");
        // A second to end by itself, then it is ended.
        const auto deadline = Clock::now() + std::chrono::seconds(1);
        while (::waitpid(m_pid, nullptr, WNOHANG) == 0) {
            if (Clock::now() > deadline) {
                ::kill(m_pid, SIGKILL);
                ::waitpid(m_pid, nullptr, 0);
                break;
            }
            ::usleep(5000);
        }
        m_pid = -1;
    }
    if (m_toEngine >= 0) ::close(m_toEngine);
    if (m_fromEngine >= 0) ::close(m_fromEngine);
    m_toEngine = m_fromEngine = -1;
    m_gone = true;
}

bool parseInfo(const std::string& line, SearchInfo& info) {
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word != "info") return false;
    SearchInfo parsed;
    bool hasScore = false;
    while (words >> word) {
        if (word == "depth") {
            words >> parsed.depth;
        } else if (word == "nodes") {
            words >> parsed.nodes;
        } else if (word == "score") {
            std::string kind;
            words >> kind >> parsed.score;
            parsed.mate = kind == "mate";
            hasScore = kind == "mate" || kind == "cp";
        } else if (word == "lowerbound" || word == "upperbound") {
            parsed.bound = true;
        } else if (word == "pv") {
            while (words >> word)
                parsed.pv.push_back(word);
        } else if (word == "string") {
            return false;
        }
    }
    // A position without moves (mate, stalemate) is scored without a variation.
    if (!hasScore) return false;
    info = parsed;
    return true;
}

std::optional<SearchOutcome> runSearch(UciEngine& engine, const std::string& fen,
                                       const std::string& goCommand,
                                       const std::function<bool(const SearchInfo&)>& onInfo,
                                       const std::function<bool()>& shouldStop, int answerLimitMs) {
    SearchOutcome outcome;
    if (!engine.send("position fen " + fen) || !engine.send(goCommand)) return std::nullopt;
    bool stopSent = false;
    auto deadline = Clock::now() + std::chrono::milliseconds(answerLimitMs);
    auto stop = [&](bool byRequest) {
        if (stopSent) return;
        engine.send("stop");
        stopSent = true;
        outcome.stopped = outcome.stopped || byRequest;
        // After "stop" an engine answers at once; give it three seconds.
        deadline = Clock::now() + std::chrono::seconds(3);
    };
    for (;;) {
        if (Clock::now() > deadline) {
            if (stopSent) return std::nullopt;
            stop(false);
        }
        const auto line = engine.readLine(50);
        if (!line) {
            if (!engine.alive()) return std::nullopt;
            if (!stopSent && shouldStop && shouldStop()) stop(true);
            continue;
        }
        if (line->rfind("bestmove", 0) == 0) {
            std::istringstream words(*line);
            std::string word;
            words >> word >> outcome.bestMove;
            return outcome;
        }
        SearchInfo info;
        if (!parseInfo(*line, info) || info.bound) continue;
        // A line with a variation is kept over a later one without.
        if (!info.pv.empty() || outcome.best.pv.empty()) outcome.best = info;
        if (!stopSent && onInfo && !onInfo(info)) stop(false);
        if (!stopSent && shouldStop && shouldStop()) stop(true);
    }
}
