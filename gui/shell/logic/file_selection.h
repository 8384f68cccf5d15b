#pragma once

#include <string>
#include <string_view>
#include <vector>

// The logic of the program's own file and folder selection dialogs.
namespace FileSelection {

struct FilterEntry {
    std::string description;
    std::vector<std::string> masks;  // "*.EXE;*.PIF" as {"*.EXE", "*.PIF"}
};

// "desc|mask|desc|mask" as its entries; a description without a mask is dropped.
std::vector<FilterEntry> parseFilter(std::string_view filter);

// The drives of a system without drive letters: "/", the user's home and the mount points of
// devices and network shares listed in /proc/mounts (given as text), without repeats, in that
// order.
std::vector<std::string> drives(const std::string& home, std::string_view procMounts);

// The drive that holds a path: the longest drive that is the path or one of its parents.
std::string driveOf(const std::string& path, const std::vector<std::string>& drives);

// The folders from the drive down to `folder`, each a full path ("/", "/home", "/home/me").
std::vector<std::string> ancestors(const std::string& drive, const std::string& folder);

}  // namespace FileSelection
