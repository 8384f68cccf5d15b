#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "prompts.h"

// The kinds and choices the engine access library knows, in the order of their library values.
enum class VEengTypeSet { EngCyc1, EngCyc2, EngV9 };
enum class VEappliTypeSet { AppNone, AppBRISVANE, AppQBXTOOL };
enum class VEmodeSet { ModPos, ModEval, ModLast, ModNext, ModGame };
enum class VEhashSet { Hash256kb, Hash512kb, Hash1MB, Hash2MB, Hash4MB, Hash13MB, Hash28MB };
enum class VEEPDevalSet { EPDevalNone, EPDevalAlways, EPDevalCheckCE };

// What the analysis windows ask of an engine; TVantaEngine answers through the library, tests
// through a scripted stand-in.
class EngineControl {
public:
    virtual ~EngineControl() = default;
    virtual bool StartAnalysis(const std::string& fileName) = 0;
    virtual bool IsRunning() = 0;
    virtual bool ReadAnalysisLine(std::string& line) = 0;
    virtual bool StopAnalysis() = 0;
    virtual bool GetAnalysisResult(const std::string& target) = 0;
};

// The reason an engine program gives for ending, which it writes in place of an analysis line
// ("Vanta: no UCI engine found ..."): a line that begins with a letter and names its sender before
// ": ", where every analysis line begins with a number. Its line end is dropped; nothing for an analysis line.
std::optional<std::string> engineMessage(std::string_view line);

// The engine access component: it loads the engine access library on first need (once per run,
// shared by all components), binds its 19 functions by name, checks its version, holds one
// library instance and turns its properties into the arguments of the library's calls. Its
// dialogs go through Prompts (none without one).
class TVantaEngine : public EngineControl {
public:
    // The library version this component is written for, and the range it accepts.
    static constexpr int kComponentLibraryVersion = 0x01020100;
    static constexpr int kOldestLibrary = 0x01020100;
    static constexpr int kNewestLibrary = 0x01020109;

    explicit TVantaEngine(Prompts* prompts = nullptr);
    ~TVantaEngine() override;
    TVantaEngine(const TVantaEngine&) = delete;
    TVantaEngine& operator=(const TVantaEngine&) = delete;

    int Version() const { return 100; }
    std::string VerDate() const { return "01-FEB-1998"; }
    std::string Copyright() const;
    bool Debug() const { return m_debug; }
    void setDebug(bool on) { m_debug = on; }

    int DLLVersion();
    std::string DLLVerDate();
    const std::string& DLLName() const { return m_dllName; }
    void setDLLName(const std::string& name);
    const std::string& DLLPath() const { return m_dllPath; }
    void setDLLPath(const std::string& folder);
    static bool DLLloaded();
    int MaxNoOfInstances();
    int NoOfInstances();

    bool TerminateOnExit() const { return m_terminateOnExit; }
    void setTerminateOnExit(bool on) { m_terminateOnExit = on; }
    int ID() const { return m_id; }
    int Handle() const { return m_handle; }
    const std::string& EngName() const { return m_engName; }
    void setEngName(const std::string& name);
    const std::string& Path() const { return m_path; }
    void setPath(const std::string& folder);
    VEengTypeSet Engine() const { return m_engine; }
    void setEngine(VEengTypeSet engine);
    VEappliTypeSet Appli() const { return m_appli; }
    void setAppli(VEappliTypeSet appli);
    VEmodeSet Mode() const { return m_mode; }
    void setMode(VEmodeSet mode) { m_mode = mode; }
    VEhashSet HashSize() const { return m_hashSize; }
    void setHashSize(VEhashSet size);
    int SecsPerPos() const { return m_secsPerPos; }
    void setSecsPerPos(int seconds);
    VEEPDevalSet EPDevalMode() const { return m_evalMode; }
    void setEPDevalMode(VEEPDevalSet mode) { m_evalMode = mode; }
    std::string AnalysisLine() const;
    int AnalysisTimer() const { return m_analysisTimer; }
    void setAnalysisTimer(int milliseconds);
    // Raised by the watch loop, on its own thread, for every new analysis line.
    std::function<void(TVantaEngine& sender, const std::string& line)> OnAnalysis;

    // The error state of the last operation ("errno" and "sys_errno" of the library; the names
    // differ because errno is a macro of the C library).
    int ErrNo() const { return m_errno; }
    int SysErrNo() const { return m_sysErrno; }
    std::string ErrorText();
    // Frees the library instance and restores every default; false (error 1) without one.
    bool Deallocate();

    bool StartAnalysis(const std::string& fileName) override;
    bool UpdateAnalysis(const std::string& fileName);
    bool ReadAnalysisLine(std::string& line) override;
    bool GetAnalysisResult(const std::string& target) override;
    bool StopAnalysis() override;
    bool IsRunning() override;
    // Whether the watch loop runs now.
    bool watching() const { return m_watching; }

    // Description texts for display.
    static std::string engineDescription(VEengTypeSet engine);
    static std::string hashDescription(VEhashSet size);
    // Seconds as "hh:mm:ss".
    static std::string timeText(int seconds);
    // The library's packed version date (0x07021998) as "07-FEB-1998"; "" when it is no date.
    static std::string versionDateText(int packed);
    // The library's library-wide state is shared by the whole run; tests that load another
    // library in the same process forget it first.
    static void forgetLibraryForTests();

private:
    bool ensureLoaded();
    bool loadLibrary(std::vector<std::pair<std::string, Icon>>& messages);
    bool allocate();
    void refreshErrors();
    void resetProperties();
    void tell(const std::string& text, Icon icon);
    void watchLoop(int id, int interval);
    void endWatch();

    Prompts* m_prompts;
    bool m_debug = false;
    std::string m_dllName = "VANENG32";
    std::string m_dllPath;
    int m_dllVersion = -2;  // -2: not asked yet
    std::string m_dllVerDate;
    bool m_verDateKnown = false;
    int m_maxInstances = -2;
    bool m_terminateOnExit = true;
    int m_id = -1;
    int m_handle = -1;
    std::string m_engName;
    std::string m_path;
    VEengTypeSet m_engine = VEengTypeSet::EngCyc2;
    VEappliTypeSet m_appli = VEappliTypeSet::AppBRISVANE;
    VEmodeSet m_mode = VEmodeSet::ModNext;
    VEhashSet m_hashSize = VEhashSet::Hash256kb;
    int m_secsPerPos = 5;
    VEEPDevalSet m_evalMode = VEEPDevalSet::EPDevalCheckCE;
    int m_analysisTimer = 0;
    int m_errno = 0;
    int m_sysErrno = 0;

    // The watch loop: its thread, its stop request and the line it last saw.
    std::thread m_watch;
    std::atomic<bool> m_watching{false};
    std::mutex m_watchMutex;
    // Held around every call into the library for this instance, by both threads.
    std::mutex m_callMutex;
    std::condition_variable m_watchWake;
    bool m_watchEnd = false;
    std::string m_analysisLine;
};

// The default engine program name (the platform's executable suffix is empty).
inline constexpr const char* kDefaultEngineName = "VANTA";
