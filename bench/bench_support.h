#pragma once

// Small helpers the benchmarks share.
#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

// A field of /proc/self/status in kilobytes ("VmRSS:", "VmHWM:"), -1 when missing.
inline long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
    return -1;
}

inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
