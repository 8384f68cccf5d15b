#pragma once

// Saving as careful programs save: one writer that every save and export of the suite uses.

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

struct WriteResult {
    bool ok = false;
    std::string error;
};

// Writes a file through a temporary file in the same folder that is renamed into place, so a
// failed write leaves an existing file untouched. writeBody returns false when a write failed.
// A symbolic link is followed and kept: the file it points to is written. An existing file
// keeps its permissions (and owner, where allowed); one the user may not write, or without any
// write permission, is refused ("the file is read-only") and stays as it is.
WriteResult writeFileSafely(const std::string& path,
                            const std::function<bool(std::FILE*)>& writeBody);
WriteResult writeBytesSafely(const std::string& path, std::string_view bytes);
