#pragma once

// The engine access library loaded with dlopen and its 19 functions bound by name, as the main
// program binds them.
#include <dlfcn.h>

#include <stdexcept>
#include <string>

// The 19 functions, bound by name.
struct Vaneng {
    void* handle = nullptr;
    int (*Version)();
    int (*VerDate)();
    int (*MaxInstances)();
    int (*Instances)();
    int (*GetError)(int);
    int (*GetSysError)(int);
    int (*GetErrorText)(int, char*, int, int*);
    int (*Allocate)(int, const char*, const char*, int);
    int (*Free)(int, int);
    int (*StartPGN)(int, const char*, int, int);
    int (*UpdatePGN)(int, const char*);
    int (*GetAnalysisLine)(int, char*, int, int*);
    int (*StartEPD)(int, const char*, int, int, int);
    int (*GetAnalysisEPD)(int, const char*);
    int (*StartAnalyseGame)(int, const char*, int, int);
    int (*GetAnalysisGame)(int, const char*);
    int (*Stop)(int);
    int (*IsRunning)(int);
    int (*GetHandle)(int);

    Vaneng() {
        handle = dlopen(BRISVANE_PROGRAM_DIR "/AddOn/VANENG32.so", RTLD_NOW | RTLD_LOCAL);
        if (!handle) throw std::runtime_error(dlerror());
        bind(Version, "VantaEngineVersion");
        bind(VerDate, "VantaEngineVerDate");
        bind(MaxInstances, "VantaEngineMaxInstances");
        bind(Instances, "VantaEngineInstances");
        bind(GetError, "VantaEngineGetError");
        bind(GetSysError, "VantaEngineGetSysError");
        bind(GetErrorText, "VantaEngineGetErrorText");
        bind(Allocate, "VantaEngineAllocate");
        bind(Free, "VantaEngineFree");
        bind(StartPGN, "VantaEngineStartPGN");
        bind(UpdatePGN, "VantaEngineUpdatePGN");
        bind(GetAnalysisLine, "VantaEngineGetAnalysisLine");
        bind(StartEPD, "VantaEngineStartEPD");
        bind(GetAnalysisEPD, "VantaEngineGetAnalysisEPD");
        bind(StartAnalyseGame, "VantaEngineStartAnalyseGame");
        bind(GetAnalysisGame, "VantaEngineGetAnalysisGame");
        bind(Stop, "VantaEngineStop");
        bind(IsRunning, "VantaEngineIsRunning");
        bind(GetHandle, "VantaEngineGetHandle");
    }
    template <class F>
    void bind(F& function, const char* name) {
        function = reinterpret_cast<F>(dlsym(handle, name));
        if (!function) throw std::runtime_error(std::string("missing export ") + name);
    }
};

inline Vaneng& lib() {
    static Vaneng library;
    return library;
}
