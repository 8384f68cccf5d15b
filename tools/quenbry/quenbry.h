#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// Quenbry turns a QBX game file (QBXTOOL V3.x) into an EPD file: the start position and the
// position after every ply; with -e it prints the file's header. `arguments` excludes the
// program name. Returns the exit status.
int runQuenbry(const std::vector<std::string>& arguments, std::ostream& out);

inline constexpr const char* kQuenbryName = "Quenbry";
inline constexpr const char* kQuenbryVersion = "Quenbry  V1.1 (32bit)  Brisvane  (03-FEB-1998)";

inline constexpr std::size_t kQbxHeaderSize = 676;
inline constexpr std::size_t kQbxPlySize = 42;

// The header fields the converter reads, with their offsets and room.
struct QbxString {
    const char* name;
    std::size_t offset;
    std::size_t room;
};
const std::vector<QbxString>& qbxHeaderStrings();
