// Engine access libraries that are wrong on purpose: one reports the version FAKE_VERSION,
// and with FAKE_WITHOUT_STOP one of the 19 functions is missing.
extern "C" {
#define EXPORT __attribute__((visibility("default")))
EXPORT int VantaEngineVersion(void) {
    return FAKE_VERSION;
}
EXPORT int VantaEngineVerDate(void) {
    return 0x31121999;
}
EXPORT int VantaEngineMaxInstances(void) {
    return 3;
}
EXPORT int VantaEngineInstances(void) {
    return 0;
}
EXPORT int VantaEngineGetError(int) {
    return 0;
}
EXPORT int VantaEngineGetSysError(int) {
    return 0;
}
EXPORT int VantaEngineGetErrorText(int, char*, int, int*) {
    return 0;
}
EXPORT int VantaEngineAllocate(int, const char*, const char*, int) {
    return -1;
}
EXPORT int VantaEngineFree(int, int) {
    return 0;
}
EXPORT int VantaEngineStartPGN(int, const char*, int, int) {
    return 0;
}
EXPORT int VantaEngineUpdatePGN(int, const char*) {
    return 0;
}
EXPORT int VantaEngineGetAnalysisLine(int, char*, int, int*) {
    return 0;
}
EXPORT int VantaEngineStartEPD(int, const char*, int, int, int) {
    return 0;
}
EXPORT int VantaEngineGetAnalysisEPD(int, const char*) {
    return 0;
}
EXPORT int VantaEngineStartAnalyseGame(int, const char*, int, int) {
    return 0;
}
EXPORT int VantaEngineGetAnalysisGame(int, const char*) {
    return 0;
}
#ifndef FAKE_WITHOUT_STOP
EXPORT int VantaEngineStop(int) {
    return 0;
}
#endif
EXPORT int VantaEngineIsRunning(int) {
    return 0;
}
EXPORT int VantaEngineGetHandle(int) {
    return -1;
}
}
