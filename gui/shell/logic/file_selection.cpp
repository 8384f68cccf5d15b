#include "file_selection.h"

#include <algorithm>
#include <iterator>

namespace FileSelection {

namespace {

std::vector<std::string> split(std::string_view text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const auto end = text.find(separator, start);
        parts.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

// /proc/mounts writes a blank in a path as "\040" (and a tab, newline, backslash likewise).
std::string unescapeMountPath(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && text.size() - i >= 4) {
            const std::string_view octal = text.substr(i + 1, 3);
            if (std::all_of(octal.begin(), octal.end(),
                            [](char c) { return c >= '0' && c <= '7'; })) {
                out += static_cast<char>((octal[0] - '0') * 64 + (octal[1] - '0') * 8 +
                                         (octal[2] - '0'));
                i += 3;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

bool isParentOrSame(const std::string& parent, const std::string& path) {
    if (parent == "/") return !path.empty() && path[0] == '/';
    return path == parent ||
           (path.size() > parent.size() && path.compare(0, parent.size(), parent) == 0 &&
            path[parent.size()] == '/');
}

}  // namespace

std::vector<FilterEntry> parseFilter(std::string_view filter) {
    std::vector<FilterEntry> entries;
    const auto parts = split(filter, '|');
    for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
        FilterEntry entry{parts[i], {}};
        for (std::string& mask : split(parts[i + 1], ';'))
            if (!mask.empty()) entry.masks.push_back(std::move(mask));
        if (!entry.masks.empty()) entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<std::string> drives(const std::string& home, std::string_view procMounts) {
    std::vector<std::string> out = {"/"};
    auto add = [&out](std::string path) {
        while (path.size() > 1 && path.back() == '/')
            path.pop_back();
        if (!path.empty() && std::find(out.begin(), out.end(), path) == out.end())
            out.push_back(std::move(path));
    };
    if (!home.empty()) add(home);
    for (const std::string& line : split(procMounts, '\n')) {
        const auto fields = split(line, ' ');
        // Devices and network shares, not the kernel's own file systems.
        static constexpr std::string_view kShares[] = {"nfs", "nfs4", "cifs", "smb3", "fuse.sshfs"};
        if (fields.size() < 3) continue;
        const bool share =
            std::find(std::begin(kShares), std::end(kShares), fields[2]) != std::end(kShares);
        if (fields[0].rfind("/dev/", 0) == 0 || share) add(unescapeMountPath(fields[1]));
    }
    return out;
}

std::string driveOf(const std::string& path, const std::vector<std::string>& drives) {
    std::string best;
    for (const std::string& drive : drives)
        if (isParentOrSame(drive, path) && drive.size() > best.size()) best = drive;
    return best;
}

std::vector<std::string> ancestors(const std::string& drive, const std::string& folder) {
    std::vector<std::string> out;
    if (!isParentOrSame(drive, folder)) return {drive};
    out.push_back(drive);
    std::string path = drive == "/" ? std::string() : drive;
    const std::string rest = folder.substr(drive == "/" ? 1 : drive.size());
    for (const std::string& part : split(rest, '/')) {
        if (part.empty()) continue;
        path += "/" + part;
        out.push_back(path);
    }
    return out;
}

}  // namespace FileSelection
