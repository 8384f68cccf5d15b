#pragma once

// VANENG32: runs an outside engine program per instance and exchanges files with it. The main
// program loads the library at run time and binds these functions by name.

#ifdef __cplusplus
extern "C" {
#endif

#define VANENG32_EXPORT __attribute__((visibility("default")))

VANENG32_EXPORT int VantaEngineVersion(void);
VANENG32_EXPORT int VantaEngineVerDate(void);
VANENG32_EXPORT int VantaEngineMaxInstances(void);
VANENG32_EXPORT int VantaEngineInstances(void);
VANENG32_EXPORT int VantaEngineGetError(int id);
VANENG32_EXPORT int VantaEngineGetSysError(int id);
VANENG32_EXPORT int VantaEngineGetErrorText(int code, char* buffer, int size, int* length);
VANENG32_EXPORT int VantaEngineAllocate(int application, const char* program, const char* folder,
                                        int kind);
VANENG32_EXPORT int VantaEngineFree(int id, int terminate);
VANENG32_EXPORT int VantaEngineStartPGN(int id, const char* pgnFile, int mode, int hashIndex);
VANENG32_EXPORT int VantaEngineUpdatePGN(int id, const char* pgnFile);
VANENG32_EXPORT int VantaEngineGetAnalysisLine(int id, char* buffer, int size, int* length);
VANENG32_EXPORT int VantaEngineStartEPD(int id, const char* epdFile, int seconds, int hashIndex,
                                        int evaluationMode);
VANENG32_EXPORT int VantaEngineGetAnalysisEPD(int id, const char* target);
VANENG32_EXPORT int VantaEngineStartAnalyseGame(int id, const char* pgnFile, int seconds,
                                                int hashIndex);
VANENG32_EXPORT int VantaEngineGetAnalysisGame(int id, const char* target);
VANENG32_EXPORT int VantaEngineStop(int id);
VANENG32_EXPORT int VantaEngineIsRunning(int id);
VANENG32_EXPORT int VantaEngineGetHandle(int id);

#ifdef __cplusplus
}
#endif
