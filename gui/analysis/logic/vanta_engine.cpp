#include "vanta_engine.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>

namespace {

// The library, loaded once for the whole run and shared by every component.
struct Library {
    void* handle = nullptr;
    bool loaded = false;
    bool failed = false;
    int loadError = 0;
    std::mutex lock;

    int (*Version)() = nullptr;
    int (*VerDate)() = nullptr;
    int (*MaxInstances)() = nullptr;
    int (*Instances)() = nullptr;
    int (*GetError)(int) = nullptr;
    int (*GetSysError)(int) = nullptr;
    int (*GetErrorText)(int, char*, int, int*) = nullptr;
    int (*Allocate)(int, const char*, const char*, int) = nullptr;
    int (*Free)(int, int) = nullptr;
    int (*StartPGN)(int, const char*, int, int) = nullptr;
    int (*UpdatePGN)(int, const char*) = nullptr;
    int (*GetAnalysisLine)(int, char*, int, int*) = nullptr;
    int (*StartEPD)(int, const char*, int, int, int) = nullptr;
    int (*GetAnalysisEPD)(int, const char*) = nullptr;
    int (*StartAnalyseGame)(int, const char*, int, int) = nullptr;
    int (*GetAnalysisGame)(int, const char*) = nullptr;
    int (*Stop)(int) = nullptr;
    int (*IsRunning)(int) = nullptr;
    int (*GetHandle)(int) = nullptr;
};

Library& library() {
    static Library instance;
    return instance;
}

constexpr int kLineBuffer = 400;

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string currentFolder() {
    std::array<char, 4096> here{};
    return ::getcwd(here.data(), here.size()) ? std::string(here.data()) : std::string(".");
}

std::string hex8(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X", static_cast<unsigned>(value));
    return text;
}

int digitsOf(int packed, int shift) {
    const int high = (packed >> (shift + 4)) & 0xF;
    const int low = (packed >> shift) & 0xF;
    return high > 9 || low > 9 ? -1 : high * 10 + low;
}

int libraryKind(VEengTypeSet engine) {
    switch (engine) {
        case VEengTypeSet::EngCyc1:
            return 1;
        case VEengTypeSet::EngV9:
            return 9;
        case VEengTypeSet::EngCyc2:
            break;
    }
    return 2;
}

}  // namespace

TVantaEngine::TVantaEngine(Prompts* prompts) : m_prompts(prompts) {
    resetProperties();
}

TVantaEngine::~TVantaEngine() {
    endWatch();
    if (m_id >= 0) Deallocate();
}

void TVantaEngine::resetProperties() {
    m_terminateOnExit = true;
    m_id = -1;
    m_handle = -1;
    m_engName = kDefaultEngineName;
    m_path.clear();
    m_engine = VEengTypeSet::EngCyc2;
    m_appli = VEappliTypeSet::AppBRISVANE;
    m_mode = VEmodeSet::ModNext;
    m_hashSize = VEhashSet::Hash256kb;
    m_secsPerPos = 5;
    m_evalMode = VEEPDevalSet::EPDevalCheckCE;
    m_analysisTimer = 0;
    m_debug = false;
    std::lock_guard<std::mutex> guard(m_watchMutex);
    m_analysisLine.clear();
}

std::string TVantaEngine::Copyright() const {
    return "Vanta Engine Component (c) the Brisvane authors, freeware";
}

void TVantaEngine::tell(const std::string& text, Icon icon) {
    if (m_prompts) m_prompts->message(kCaption, text, icon);
}

void TVantaEngine::forgetLibraryForTests() {
    Library& lib = library();
    if (lib.handle) ::dlclose(lib.handle);
    lib.handle = nullptr;
    lib.loaded = lib.failed = false;
    lib.loadError = 0;
}

bool TVantaEngine::DLLloaded() {
    return library().loaded;
}

void TVantaEngine::setDLLName(const std::string& name) {
    if (DLLloaded() || name.find('/') != std::string::npos) return;
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    // The file name's suffix is the platform's; from ".dll" or ".so" on the value is cut off.
    std::size_t cut = std::min(lower.find(".dll"), lower.find(".so"));
    m_dllName = name.substr(0, cut);
}

void TVantaEngine::setDLLPath(const std::string& folder) {
    if (DLLloaded()) return;
    const std::string file = m_dllName + ".so";
    if (!folder.empty()) {
        if (fileExists(folder + "/" + file)) m_dllPath = folder;
    } else if (fileExists("./" + file)) {
        m_dllPath.clear();
    }
}

void TVantaEngine::setEngName(const std::string& name) {
    if (m_id >= 0 || name.find('/') != std::string::npos) return;
    m_engName = name;
}

void TVantaEngine::setPath(const std::string& folder) {
    if (m_id >= 0) return;
    if (!folder.empty()) {
        if (fileExists(folder + "/" + m_engName)) m_path = folder;
    } else if (fileExists("./" + m_engName)) {
        m_path.clear();
    }
}

void TVantaEngine::setEngine(VEengTypeSet engine) {
    if (m_id < 0) m_engine = engine;
}

void TVantaEngine::setAppli(VEappliTypeSet appli) {
    if (m_id < 0) m_appli = appli;
}

void TVantaEngine::setHashSize(VEhashSet size) {
    m_hashSize = m_engine == VEengTypeSet::EngV9 ? size : VEhashSet::Hash256kb;
}

void TVantaEngine::setSecsPerPos(int seconds) {
    m_secsPerPos = seconds > 359999 ? 359999 : (seconds < 6 ? 5 : seconds);
}

void TVantaEngine::setAnalysisTimer(int milliseconds) {
    if (milliseconds == 0 || (milliseconds >= 100 && milliseconds <= 60000))
        m_analysisTimer = milliseconds;
}

std::string TVantaEngine::AnalysisLine() const {
    std::lock_guard<std::mutex> guard(const_cast<std::mutex&>(m_watchMutex));
    return m_analysisLine;
}

bool TVantaEngine::ensureLoaded() {
    // The messages are shown after the lock is given up: a message box runs an event loop, and
    // another component reached from there must not wait on this lock in the same thread.
    std::vector<std::pair<std::string, Icon>> messages;
    bool loaded = false;
    {
        std::lock_guard<std::mutex> guard(library().lock);
        loaded = loadLibrary(messages);
    }
    for (const auto& [text, icon] : messages)
        tell(text, icon);
    return loaded;
}

bool TVantaEngine::loadLibrary(std::vector<std::pair<std::string, Icon>>& messages) {
    Library& lib = library();
    auto tell = [&messages](const std::string& text, Icon icon) {
        messages.emplace_back(text, icon);
    };
    if (lib.loaded) return true;
    if (lib.failed) {
        m_errno = -1;
        m_sysErrno = lib.loadError;
        return false;
    }
    const std::string file = m_dllName + ".so";
    const std::string full = (m_dllPath.empty() ? currentFolder() : m_dllPath) + "/" + file;
    auto fail = [&](int error) {
        if (lib.handle) ::dlclose(lib.handle);
        lib.handle = nullptr;
        lib.failed = true;
        lib.loadError = error;
        m_errno = -1;
        m_sysErrno = error;
        return false;
    };

    void* handle = ::dlopen(full.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (!handle) handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) {
        if (m_debug) tell("Vanta Engine Component: DLL already loaded", Icon::Information);
    } else {
        errno = 0;
        handle = ::dlopen(full.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const int error = errno ? errno : ENOENT;
            if (m_debug)
                tell("Vanta Engine Component: can't load neither DLL \n" + full + "\n" + "nor " +
                         m_dllName,
                     Icon::Error);
            return fail(error);
        }
    }
    lib.handle = handle;

    bool bound = true;
    auto bind = [&](auto& function, const char* name) {
        if (!bound) return;
        function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
            ::dlsym(lib.handle, name));
        if (function) return;
        bound = false;
        tell("Vanta Engine Component: loading DLL " + full + "\n" +
                 "Can't get address of function " + name,
             Icon::Error);
    };
    bind(lib.Version, "VantaEngineVersion");
    if (!bound) return fail(ENOENT);
    const int version = lib.Version();
    if (version < kOldestLibrary || version > kNewestLibrary) {
        tell("Vanta Engine Component: DLL version mismatch\nComponent  : 0x" +
                 hex8(kComponentLibraryVersion) + "\n" + "VanEng DLL : 0x" + hex8(version) + "\n" +
                 (version < kOldestLibrary ? "DLL too old for this component version"
                                           : "DLL too new for this component version"),
             Icon::Error);
        return fail(0);
    }
    bind(lib.VerDate, "VantaEngineVerDate");
    bind(lib.MaxInstances, "VantaEngineMaxInstances");
    bind(lib.Instances, "VantaEngineInstances");
    bind(lib.GetError, "VantaEngineGetError");
    bind(lib.GetSysError, "VantaEngineGetSysError");
    bind(lib.GetErrorText, "VantaEngineGetErrorText");
    bind(lib.Allocate, "VantaEngineAllocate");
    bind(lib.Free, "VantaEngineFree");
    bind(lib.StartPGN, "VantaEngineStartPGN");
    bind(lib.UpdatePGN, "VantaEngineUpdatePGN");
    bind(lib.GetAnalysisLine, "VantaEngineGetAnalysisLine");
    bind(lib.StartEPD, "VantaEngineStartEPD");
    bind(lib.GetAnalysisEPD, "VantaEngineGetAnalysisEPD");
    bind(lib.StartAnalyseGame, "VantaEngineStartAnalyseGame");
    bind(lib.GetAnalysisGame, "VantaEngineGetAnalysisGame");
    bind(lib.Stop, "VantaEngineStop");
    bind(lib.IsRunning, "VantaEngineIsRunning");
    bind(lib.GetHandle, "VantaEngineGetHandle");
    if (!bound) return fail(ENOENT);
    lib.loaded = true;
    return true;
}

int TVantaEngine::DLLVersion() {
    if (m_dllVersion == -2) m_dllVersion = ensureLoaded() ? library().Version() : -1;
    return m_dllVersion;
}

std::string TVantaEngine::DLLVerDate() {
    if (!m_verDateKnown && ensureLoaded()) {
        m_dllVerDate = versionDateText(library().VerDate());
        m_verDateKnown = true;
    }
    return m_dllVerDate;
}

int TVantaEngine::MaxNoOfInstances() {
    if (m_maxInstances == -2) m_maxInstances = ensureLoaded() ? library().MaxInstances() : -1;
    return m_maxInstances;
}

int TVantaEngine::NoOfInstances() {
    return ensureLoaded() ? library().Instances() : 0;
}

void TVantaEngine::refreshErrors() {
    if (m_id < 0) {
        m_errno = 1;
        m_sysErrno = 0;
        return;
    }
    m_errno = library().GetError(m_id);
    m_sysErrno = library().GetSysError(m_id);
}

std::string TVantaEngine::ErrorText() {
    if (m_errno == -1) return "DLL load error";
    if (!ensureLoaded()) return {};
    char text[kLineBuffer] = {};
    int length = 0;
    if (!library().GetErrorText(m_errno, text, kLineBuffer, &length)) return {};
    return std::string(text, static_cast<std::size_t>(std::max(0, length)));
}

bool TVantaEngine::allocate() {
    if (!ensureLoaded()) return false;
    const int version = DLLVersion();
    if (m_debug && version != kComponentLibraryVersion)
        tell("Vanta Engine Component: DLL version differs\nComponent  : 0x" +
                 hex8(kComponentLibraryVersion) + "\n" + "VanEng DLL : 0x" + hex8(version),
             Icon::Information);
    const int id = library().Allocate(static_cast<int>(m_appli), m_engName.c_str(), m_path.c_str(),
                                      libraryKind(m_engine));
    if (id >= 0) m_id = id;
    refreshErrors();
    return id >= 0;
}

bool TVantaEngine::Deallocate() {
    if (m_id < 0) {
        m_errno = 1;
        return false;
    }
    if (!ensureLoaded()) return false;
    endWatch();
    std::unique_lock<std::mutex> calls(m_callMutex);
    const int done = library().Free(m_id, m_terminateOnExit ? 1 : 0);
    refreshErrors();
    calls.unlock();
    if (!done) return false;
    resetProperties();
    return true;
}

bool TVantaEngine::StartAnalysis(const std::string& fileName) {
    if (!ensureLoaded()) return false;
    if (m_id < 0 && !allocate()) return false;
    endWatch();
    Library& lib = library();
    std::unique_lock<std::mutex> calls(m_callMutex);
    const int hash = static_cast<int>(m_hashSize);
    int started = 0;
    if (m_mode == VEmodeSet::ModPos)
        started =
            lib.StartEPD(m_id, fileName.c_str(), m_secsPerPos, hash, static_cast<int>(m_evalMode));
    else if (m_mode == VEmodeSet::ModGame)
        started = lib.StartAnalyseGame(m_id, fileName.c_str(), m_secsPerPos, hash);
    else
        started = lib.StartPGN(m_id, fileName.c_str(), static_cast<int>(m_mode), hash);
    refreshErrors();
    m_handle = lib.GetHandle(m_id);
    calls.unlock();
    if (!started) return false;
    if (m_analysisTimer > 0) {
        {
            std::lock_guard<std::mutex> guard(m_watchMutex);
            m_watchEnd = false;
        }
        m_watching = true;
        m_watch = std::thread(&TVantaEngine::watchLoop, this, m_id, m_analysisTimer);
    }
    return true;
}

bool TVantaEngine::UpdateAnalysis(const std::string& fileName) {
    if (m_id < 0 || (m_mode != VEmodeSet::ModEval && m_mode != VEmodeSet::ModLast &&
                     m_mode != VEmodeSet::ModNext)) {
        m_errno = 2;
        return false;
    }
    if (!ensureLoaded()) return false;
    std::lock_guard<std::mutex> calls(m_callMutex);
    const int done = library().UpdatePGN(m_id, fileName.c_str());
    refreshErrors();
    return done != 0;
}

bool TVantaEngine::ReadAnalysisLine(std::string& line) {
    if (m_id < 0) {
        m_errno = 2;
        return false;
    }
    if (!ensureLoaded()) return false;
    std::lock_guard<std::mutex> calls(m_callMutex);
    char text[kLineBuffer] = {};
    int length = 0;
    const int done = library().GetAnalysisLine(m_id, text, kLineBuffer, &length);
    refreshErrors();
    if (!done) return false;
    line.assign(text, static_cast<std::size_t>(std::clamp(length, 0, kLineBuffer)));
    return true;
}

bool TVantaEngine::GetAnalysisResult(const std::string& target) {
    if ((m_mode != VEmodeSet::ModPos && m_mode != VEmodeSet::ModGame) || target.empty()) {
        m_errno = 2;
        return false;
    }
    if (m_id < 0) {
        m_errno = 1;
        return false;
    }
    if (!ensureLoaded()) return false;
    std::lock_guard<std::mutex> calls(m_callMutex);
    const int done = m_mode == VEmodeSet::ModPos ? library().GetAnalysisEPD(m_id, target.c_str())
                                                 : library().GetAnalysisGame(m_id, target.c_str());
    refreshErrors();
    return done != 0;
}

bool TVantaEngine::StopAnalysis() {
    if (m_id < 0) {
        m_errno = 2;
        return false;
    }
    if (!ensureLoaded()) return false;
    endWatch();
    std::lock_guard<std::mutex> calls(m_callMutex);
    const int done = library().Stop(m_id);
    refreshErrors();
    m_handle = library().GetHandle(m_id);
    return done != 0;
}

bool TVantaEngine::IsRunning() {
    if (m_id < 0) {
        m_errno = 2;
        return false;
    }
    if (!ensureLoaded()) return false;
    std::lock_guard<std::mutex> calls(m_callMutex);
    const int running = library().IsRunning(m_id);
    refreshErrors();
    return running != 0;
}

void TVantaEngine::watchLoop(int id, int interval) {
    // The loop calls the library directly and touches nothing of the component but the line it
    // saw, so the caller's thread can go on using the component meanwhile.
    Library& lib = library();
    std::string previous;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(m_watchMutex);
            if (m_watchWake.wait_for(lock, std::chrono::milliseconds(interval),
                                     [this] { return m_watchEnd; }))
                break;
        }
        char text[kLineBuffer] = {};
        int length = 0;
        {
            // The library's instance is shared with the caller's thread.
            std::lock_guard<std::mutex> calls(m_callMutex);
            if (!lib.IsRunning(id) || !lib.GetAnalysisLine(id, text, kLineBuffer, &length)) break;
        }
        const std::string line(text, static_cast<std::size_t>(std::clamp(length, 0, kLineBuffer)));
        if (line == previous) continue;
        previous = line;
        {
            std::lock_guard<std::mutex> guard(m_watchMutex);
            m_analysisLine = line;
        }
        if (OnAnalysis) OnAnalysis(*this, line);
    }
    m_watching = false;
}

void TVantaEngine::endWatch() {
    if (!m_watch.joinable()) return;
    {
        std::lock_guard<std::mutex> guard(m_watchMutex);
        m_watchEnd = true;
    }
    m_watchWake.notify_all();
    m_watch.join();
}

std::string TVantaEngine::engineDescription(VEengTypeSet engine) {
    switch (engine) {
        case VEengTypeSet::EngCyc1:
            return "Vanta Cyclor Engine";
        case VEengTypeSet::EngCyc2:
            return "Vanta Cyclor 2 Engine";
        case VEengTypeSet::EngV9:
            return "Vanta 9 Engine";
    }
    return "unknown value of type VEengTypeSet";
}

std::string TVantaEngine::hashDescription(VEhashSet size) {
    static constexpr std::array<const char*, 7> texts = {"256 kb", "512 kb", "1 MB", "2 MB",
                                                         "4 MB",   "13 MB",  "28 MB"};
    const auto index = static_cast<std::size_t>(size);
    return index < texts.size() ? texts[index] : "unknown value of type VEhashSet";
}

std::string TVantaEngine::timeText(int seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

std::string TVantaEngine::versionDateText(int packed) {
    static constexpr std::array<const char*, 12> months = {"-JAN-", "-FEB-", "-MAR-", "-APR-",
                                                           "-MAY-", "-JUN-", "-JUL-", "-AUG-",
                                                           "-SEP-", "-OCT-", "-NOV-", "-DEC-"};
    const int day = digitsOf(packed, 24);
    const int month = digitsOf(packed, 16);
    const int century = digitsOf(packed, 8);
    const int year = digitsOf(packed, 0);
    if (day < 1 || day > 31 || month < 1 || month > 12 || (century != 19 && century != 20) ||
        year < 0)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%02d%s%04d", day, months[static_cast<std::size_t>(month - 1)],
                  century * 100 + year);
    return text;
}

std::optional<std::string> engineMessage(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    const auto first = line.find_first_not_of(' ');
    if (first == std::string_view::npos || !std::isalpha(static_cast<unsigned char>(line[first])) ||
        line.find(": ", first) == std::string_view::npos)
        return std::nullopt;
    return std::string(line.substr(first));
}
