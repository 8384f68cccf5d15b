// The engine access library: a table of 16 engine instances, each running one engine program in
// its folder and exchanging files with it there.
#include "vaneng32.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "command_split.h"

extern char** environ;

namespace {

constexpr int kVersion = 0x01020101;
constexpr int kVersionDate = 0x07021998;
constexpr int kMaxInstances = 16;
constexpr int kScratchSize = 261;  // names and command lines may hold 260 characters
constexpr int kMinSeconds = 5;
constexpr int kMaxSeconds = 359999;

enum ErrorCode {
    kNoError = 0,
    kNotAllocated = 1,
    kBadParameter = 2,
    kNotInUse = 3,
    kNoFreeItem = 4,
    kNoMemory = 5,
    kRunning = 6,
    kNotRunning = 7,
    kFileError = 8,
    kProcessError = 9,
};

constexpr std::array<const char*, 10> kMessages = {
    "no error",
    "VantaEngineAllocate() not yet called",
    "invalid calling parameter",
    "the refered engine item is not in use",
    "no free item in internal table available",
    "can't allocate memory",
    "engine is already/still running",
    "engine is not running",
    "error in file io (or change directory)",
    "error in calling CreateProcess()",
};

enum Mode { kModeNone = 0, kModeEpd = -1, kModeGame = 4 };

struct Instance {
    int free = 1;
    int number = 0;
    char* program = nullptr;
    char* folder = nullptr;
    int application = 0;
    int kind = -1;
    int mode = kModeNone;
    int running = 0;
    pid_t handle = -1;
    int error = 0;
    int sysError = 0;
};

struct Library {
    bool initialised = false;
    int count = 0;
    int allocationError = 0;
    std::mutex lock;       // finding, filling and clearing table entries
    std::mutex startLock;  // a start changes the process's current directory
    std::array<Instance, kMaxInstances> table;
};

Library g_library;

// Every thread has its own scratch buffers for names, command lines and the analysis line.
thread_local char t_scratch[2][kScratchSize];
// The time text of a command line; shared by all threads, as the starts must not overlap.
char g_timeText[16];

void initialise() {
    if (g_library.initialised) return;
    for (int id = 0; id < kMaxInstances; ++id) {
        g_library.table[static_cast<std::size_t>(id)] = Instance{};
        g_library.table[static_cast<std::size_t>(id)].number = id + 1;
    }
    g_library.count = 0;
    g_library.allocationError = 0;
    g_library.initialised = true;
}

__attribute__((constructor)) void onLoad() { initialise(); }
__attribute__((destructor)) void onUnload() { g_library.initialised = false; }

bool validId(int id) { return g_library.initialised && id >= 0 && id < kMaxInstances; }

// The instance of a valid id, or nothing. A free entry records error 2.
Instance* usable(int id) {
    if (!validId(id)) return nullptr;
    Instance& instance = g_library.table[static_cast<std::size_t>(id)];
    if (instance.free) {
        instance.error = kBadParameter;
        instance.sysError = 0;
        return nullptr;
    }
    return &instance;
}

int fail(Instance& instance, int code, int sysError = 0) {
    instance.error = code;
    instance.sysError = sysError;
    return 0;
}

int succeed(Instance& instance) {
    instance.error = kNoError;
    instance.sysError = 0;
    return 1;
}

bool empty(const char* text) { return !text || !*text; }

// folder/VANENGnn.EXT into a scratch buffer; false when it does not fit.
bool exchangeName(const Instance& instance, const char* extension, char* buffer) {
    const int written = std::snprintf(buffer, kScratchSize, "%s/VANENG%02d.%s", instance.folder,
                                      instance.number, extension);
    return written > 0 && written < kScratchSize;
}

void removeExchange(const Instance& instance, std::initializer_list<const char*> extensions) {
    for (const char* extension : extensions) {
        char name[kScratchSize];
        if (exchangeName(instance, extension, name)) ::unlink(name);
    }
}

// Copies a file; `exclusive` refuses an existing target. 0 on success, else an errno value.
int copyFile(const char* from, const char* to, bool exclusive) {
    const int in = ::open(from, O_RDONLY | O_CLOEXEC);
    if (in < 0) return errno;
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (exclusive ? O_EXCL : O_TRUNC);
    const int out = ::open(to, flags, 0644);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    char buffer[65536];
    int error = 0;
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            error = errno;
            break;
        }
        if (got == 0) break;
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = ::write(out, buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0) {
                if (errno == EINTR) continue;
                error = errno;
                break;
            }
            done += put;
        }
        if (error) break;
    }
    ::close(in);
    if (::close(out) != 0 && !error) error = errno;
    if (error) ::unlink(to);
    return error;
}

// The caller's file as the engine's input: copied to .NEW, then renamed into place at once.
int stageInput(Instance& instance, const char* input, const char* extension) {
    char staged[kScratchSize];
    char target[kScratchSize];
    if (!exchangeName(instance, "NEW", staged) || !exchangeName(instance, extension, target))
        return fail(instance, kBadParameter);
    if (const int error = copyFile(input, staged, false)) return fail(instance, kFileError, error);
    // rename replaces the old input in one step, so the engine never finds it missing.
    if (::rename(staged, target) != 0) {
        const int error = errno;
        ::unlink(staged);
        return fail(instance, kFileError, error);
    }
    return 1;
}

// Waits up to `milliseconds` for the engine process to end; true when it has ended and was reaped.
bool waitForEnd(pid_t pid, int milliseconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        const pid_t done = ::waitpid(pid, nullptr, WNOHANG);
        if (done == pid || (done < 0 && errno != EINTR)) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// Ends the engine process for good and forgets its handle.
void terminate(Instance& instance) {
    if (instance.handle > 0) {
        ::kill(instance.handle, SIGKILL);
        while (::waitpid(instance.handle, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    instance.handle = -1;
    instance.running = 0;
}

// The running check: a live process is given 50 ms; one that has ended is cleaned up.
bool checkRunning(Instance& instance) {
    if (instance.handle <= 0) {
        instance.running = 0;
        instance.handle = -1;
        return false;
    }
    if (!waitForEnd(instance.handle, 50)) return true;
    instance.handle = -1;  // already reaped
    instance.running = 0;
    return false;
}

// Starts the engine program in its folder with a command line; the current directory is
// changed for the start and restored on every path.
int startProcess(Instance& instance, const char* commandLine) {
    std::lock_guard<std::mutex> guard(g_library.startLock);
    char here[kScratchSize];
    if (!::getcwd(here, sizeof here)) return fail(instance, kFileError, errno);
    if (::chdir(instance.folder) != 0) return fail(instance, kFileError, errno);

    std::vector<std::string> words = splitCommandLine(commandLine);
    std::vector<char*> argv;
    for (auto& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    // No inherited handles: the engine gets /dev/null for its standard streams and nothing else.
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    // A session of its own, as a console of its own would be.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);

    pid_t pid = -1;
    const int result = words.empty() ? ENOENT
                                     : ::posix_spawn(&pid, argv[0], &actions, &attributes,
                                                     argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    const bool restored = ::chdir(here) == 0;

    if (result != 0) return fail(instance, kProcessError, result);
    instance.handle = pid;
    instance.running = 1;
    if (!restored) return fail(instance, kFileError, errno);
    return succeed(instance);
}

int clampSeconds(int seconds) {
    return seconds < kMinSeconds ? kMinSeconds : seconds > kMaxSeconds ? kMaxSeconds : seconds;
}

int hashIndexFor(const Instance& instance, int index) {
    if (instance.kind == 1 || instance.kind == 2) return 0;
    if (index > 6) return instance.kind == 9 ? 4 : 0;
    return index < 0 ? 0 : index;
}

const char* timeText(int seconds) {
    const int rest = seconds % 3600;
    std::snprintf(g_timeText, sizeof g_timeText, "%02d:%02d:%02d", seconds / 3600, rest / 60,
                  rest % 60);
    return g_timeText;
}

// The program part of a command line, quoted when the name holds blanks or quotes.
std::string programWord(const char* program) {
    std::string word = std::string("./") + program;
    if (word.find_first_of(" \t'\"\\") == std::string::npos) return word;
    std::string quoted = "'";
    for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Builds a command line into a scratch buffer; false when it would not fit.
template <class... Args>
bool commandLine(char* buffer, const char* format, Args... args) {
    const int written = std::snprintf(buffer, kScratchSize, format, args...);
    return written > 0 && written < kScratchSize;
}

// Forgets an engine process that goes on running: someone must still reap it when it ends.
void forget(pid_t pid) {
    std::thread([pid] {
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

int stopEngine(Instance& instance) {
    if (!checkRunning(instance)) return succeed(instance);
    char stopFile[kScratchSize];
    if (exchangeName(instance, instance.mode == kModeEpd ? "STP" : "PGN", stopFile)) {
        const int fd = ::open(stopFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd >= 0) ::close(fd);
    }
    // An engine that has not ended within 2 s of the request is ended.
    if (waitForEnd(instance.handle, 2000)) {
        instance.handle = -1;
        instance.running = 0;
    } else {
        terminate(instance);
    }
    removeExchange(instance, {instance.mode == kModeEpd ? "ANA" : "EPD", "ANE", "ANW", "PGN",
                              "OLD", "STP"});
    return succeed(instance);
}

}  // namespace

extern "C" {

int VantaEngineVersion(void) { return kVersion; }
int VantaEngineVerDate(void) { return kVersionDate; }
int VantaEngineMaxInstances(void) { return kMaxInstances; }
int VantaEngineInstances(void) { return g_library.count; }

int VantaEngineGetError(int id) {
    if (!g_library.initialised) return kNotAllocated;
    if (g_library.allocationError != 0) return g_library.allocationError;
    if (id < 0 || id >= kMaxInstances) return kBadParameter;
    const Instance& instance = g_library.table[static_cast<std::size_t>(id)];
    return instance.free ? kNotInUse : instance.error;
}

int VantaEngineGetSysError(int id) {
    if (!g_library.initialised || g_library.allocationError != 0 || id < 0 || id >= kMaxInstances)
        return -1;
    const Instance& instance = g_library.table[static_cast<std::size_t>(id)];
    return instance.free ? -1 : instance.sysError;
}

int VantaEngineGetErrorText(int code, char* buffer, int size, int* length) {
    if (!buffer || !length || size < 20) return 0;
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    char* text = t_scratch[0];
    if (static_cast<unsigned>(code) < kMessages.size())
        std::snprintf(text, kScratchSize, "%s", kMessages[static_cast<std::size_t>(code)]);
    else
        std::snprintf(text, kScratchSize, "%1d -- unknown error code", code);
    const int copied = std::min(static_cast<int>(std::strlen(text)), size - 1);
    std::memcpy(buffer, text, static_cast<std::size_t>(copied));
    *length = copied;
    return 1;
}

int VantaEngineAllocate(int application, const char* program, const char* folder, int kind) {
    initialise();
    if (application != 1 && application != 2) application = 0;
    if (empty(program)) program = "VANTA";
    if (empty(folder)) folder = ".";
    char* path = t_scratch[0];
    const int written = std::snprintf(path, kScratchSize, "%s/%s", folder, program);
    // The exchange file names (folder + 13 characters) must fit too.
    const bool fits = written > 0 && written < kScratchSize &&
                      std::strlen(folder) + 13 < static_cast<std::size_t>(kScratchSize);
    bool readable = false;
    if (fits && (kind == 1 || kind == 2 || kind == 9)) {
        const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
        if (fd >= 0) {
            readable = true;
            ::close(fd);
        }
    }
    if (!readable) {
        g_library.allocationError = kBadParameter;
        return -1;
    }
    std::lock_guard<std::mutex> guard(g_library.lock);
    for (int id = 0; id < kMaxInstances; ++id) {
        Instance& instance = g_library.table[static_cast<std::size_t>(id)];
        if (!instance.free) continue;
        char* programCopy = ::strdup(program);
        char* folderCopy = programCopy ? ::strdup(folder) : nullptr;
        if (!folderCopy) {
            std::free(programCopy);
            g_library.allocationError = kNoMemory;
            return -1;
        }
        instance.program = programCopy;
        instance.folder = folderCopy;
        instance.application = application;
        instance.kind = kind;
        instance.mode = kModeNone;
        instance.running = 0;
        instance.handle = -1;
        instance.error = 0;
        instance.sysError = 0;
        instance.free = 0;
        g_library.allocationError = 0;
        ++g_library.count;
        return id;
    }
    g_library.allocationError = kNoFreeItem;
    return -1;
}

int VantaEngineFree(int id, int terminateFlag) {
    if (!validId(id)) return 0;
    Instance& instance = g_library.table[static_cast<std::size_t>(id)];
    if (instance.free) return 0;
    if (terminateFlag) stopEngine(instance);
    std::lock_guard<std::mutex> guard(g_library.lock);
    const bool running = instance.running != 0;
    if (!running) removeExchange(instance, {"ANA", "EPD"});
    if (!running || instance.mode != kModeEpd) removeExchange(instance, {"ANE", "ANW"});
    removeExchange(instance, {"PGN", "OLD", "NEW", "STP"});
    std::free(instance.program);
    std::free(instance.folder);
    instance.program = instance.folder = nullptr;
    instance.application = 0;
    instance.kind = -1;
    instance.mode = kModeNone;
    if (!terminateFlag && instance.handle > 0) forget(instance.handle);
    instance.handle = -1;
    instance.running = 0;
    instance.error = instance.sysError = 0;
    instance.free = 1;
    --g_library.count;
    return 1;
}

int VantaEngineStartPGN(int id, const char* pgnFile, int mode, int hashIndex) {
    Instance* instance = usable(id);
    if (!instance) return 0;
    if (empty(pgnFile) || mode < 1 || mode > 3) return fail(*instance, kBadParameter);
    hashIndex = hashIndexFor(*instance, hashIndex);
    if (checkRunning(*instance)) return fail(*instance, kRunning);
    instance->mode = mode;
    char* line = t_scratch[1];
    if (!commandLine(line, "%s VANENG%02d.PGN %1d %1d", programWord(instance->program).c_str(),
                     instance->number, mode, hashIndex))
        return fail(*instance, kBadParameter);
    if (!stageInput(*instance, pgnFile, "PGN")) return 0;
    removeExchange(*instance, {"ANA"});
    if (!startProcess(*instance, line)) {
        const int error = instance->error, sysError = instance->sysError;
        removeExchange(*instance, {"ANA", "EPD", "PGN"});
        return fail(*instance, error, sysError);
    }
    return 1;
}

int VantaEngineUpdatePGN(int id, const char* pgnFile) {
    Instance* instance = usable(id);
    if (!instance) return 0;
    if (empty(pgnFile)) return fail(*instance, kBadParameter);
    if (!checkRunning(*instance)) return fail(*instance, kNotRunning);
    if (!stageInput(*instance, pgnFile, "PGN")) return 0;
    return succeed(*instance);
}

int VantaEngineGetAnalysisLine(int id, char* buffer, int size, int* length) {
    Instance* instance = usable(id);
    if (!instance) return 0;
    if (!buffer || !length || size < 40) return fail(*instance, kBadParameter);
    char* name = t_scratch[0];
    if (!exchangeName(*instance, instance->mode == kModeEpd ? "ANE" : "ANA", name))
        return fail(*instance, kBadParameter);
    const int fd = ::open(name, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return fail(*instance, kFileError, errno);
    char* line = t_scratch[1];
    const ssize_t got = ::read(fd, line, kScratchSize - 1);
    const int readError = errno;
    ::close(fd);
    if (got < 0) return fail(*instance, kFileError, readError);
    std::memset(buffer, 0, static_cast<std::size_t>(size));
    int n = static_cast<int>(got);
    if (n >= 2) n -= 2;  // the line end
    if (n > size - 1) n = size - 1;
    *length = n;
    std::memcpy(buffer, line, static_cast<std::size_t>(n));
    return succeed(*instance);
}

int VantaEngineStartEPD(int id, const char* epdFile, int seconds, int hashIndex,
                        int evaluationMode) {
    Instance* instance = usable(id);
    if (!instance) return 0;
    if (empty(epdFile)) return fail(*instance, kBadParameter);
    seconds = clampSeconds(seconds);
    hashIndex = hashIndexFor(*instance, hashIndex);
    if (evaluationMode < 0 || evaluationMode > 2) evaluationMode = 0;
    if (instance->application != 1 && instance->application != 2) evaluationMode = 0;
    if (checkRunning(*instance)) return fail(*instance, kRunning);
    instance->mode = kModeEpd;
    char* line = t_scratch[1];
    const char* suffix = evaluationMode == 1 ? " A" : evaluationMode == 2 ? " C" : "";
    if (!commandLine(line, "%s VANENG%02d.EPD %s %1d%s", programWord(instance->program).c_str(),
                     instance->number, timeText(seconds), hashIndex, suffix))
        return fail(*instance, kBadParameter);
    removeExchange(*instance, {"OLD", "STP", "EPD"});
    if (!stageInput(*instance, epdFile, "EPD")) return 0;
    if (!startProcess(*instance, line)) {
        const int error = instance->error, sysError = instance->sysError;
        removeExchange(*instance, {"ANA", "EPD", "PGN", "OLD", "STP"});
        return fail(*instance, error, sysError);
    }
    return 1;
}

int VantaEngineGetAnalysisEPD(int id, const char* target) {
    Instance* instance = usable(id);
    if (!instance) return 0;
    if (empty(target) || instance->mode != kModeEpd) return fail(*instance, kBadParameter);
    char* name = t_scratch[0];
    if (!exchangeName(*instance, "EPD", name)) return fail(*instance, kBadParameter);
    if (const int error = copyFile(name, target, true)) return fail(*instance, kFileError, error);
    return succeed(*instance);
}

int VantaEngineStartAnalyseGame(int id, const char* pgnFile, int seconds, int hashIndex) {
    Instance* instance = usable(id);
    if (!instance) return 0;
    if (empty(pgnFile)) return fail(*instance, kBadParameter);
    seconds = clampSeconds(seconds);
    hashIndex = hashIndexFor(*instance, hashIndex);
    if (checkRunning(*instance)) return fail(*instance, kRunning);
    instance->mode = kModeGame;
    char* line = t_scratch[1];
    if (!commandLine(line, "%s VANENG%02d.PGN 4 %1d %s", programWord(instance->program).c_str(),
                     instance->number, hashIndex, timeText(seconds)))
        return fail(*instance, kBadParameter);
    removeExchange(*instance, {"OLD", "STP", "PGN"});
    if (!stageInput(*instance, pgnFile, "PGN")) return 0;
    if (!startProcess(*instance, line)) {
        const int error = instance->error, sysError = instance->sysError;
        removeExchange(*instance, {"ANA", "EPD", "STP", "PGN"});
        return fail(*instance, error, sysError);
    }
    return 1;
}

int VantaEngineGetAnalysisGame(int id, const char* target) {
    Instance* instance = usable(id);
    if (!instance) return 0;
    if (instance->mode != kModeGame || empty(target)) return fail(*instance, kBadParameter);
    if (checkRunning(*instance)) return fail(*instance, kRunning);
    char* name = t_scratch[0];
    if (!exchangeName(*instance, "ANA", name)) return fail(*instance, kBadParameter);
    if (const int error = copyFile(name, target, true)) return fail(*instance, kFileError, error);
    return succeed(*instance);
}

int VantaEngineStop(int id) {
    Instance* instance = usable(id);
    if (!instance) return 0;
    return stopEngine(*instance);
}

int VantaEngineIsRunning(int id) {
    Instance* instance = usable(id);
    if (!instance) return 0;
    const bool running = checkRunning(*instance);
    succeed(*instance);
    return running ? 1 : 0;
}

int VantaEngineGetHandle(int id) {
    Instance* instance = usable(id);
    if (!instance) return -1;
    succeed(*instance);
    return instance->running ? static_cast<int>(instance->handle) : -1;
}

}  // extern "C"
