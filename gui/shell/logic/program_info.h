#pragma once

#include <string>

// What the about, web and licence boxes say.
namespace ProgramInfo {

inline constexpr const char* kName = "Brisvane";
inline constexpr const char* kVersion = "V1.5 P5";
// The application's title, as files written for other programs name it.
inline constexpr const char* kTitle = "Brisvane V1.5";
inline constexpr const char* kDate = "2026.12.08";
inline constexpr const char* kContact = "brisvane@brisvane.org";
inline constexpr const char* kDownloadPage = "https://www.brisvane.org/download/";
inline constexpr const char* kFreeware =
    "Brisvane is freeware: you may use it and pass it on free of charge.";

// The licence notice of the licence box.
const char* licence();
// The operating system as the about box names it: the kernel's name and release ("Linux
// V6.1.0-18-amd64").
std::string operatingSystem();

}  // namespace ProgramInfo
