#pragma once

#include <cstddef>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "line_store.h"
#include "safe_write.h"

// Lines of 14 characters or fewer are never taken as EPD lines.
inline constexpr std::size_t kShortestEpdLine = 15;
// Opening stops at a line of this many characters or more.
inline constexpr std::size_t kOpenLineLimit = 4097;

enum class ReadStatus { Ok, TooLong, NotText, Failed };

// How a file ends its lines: the line end it uses (the first one found in it) and what follows
// its last line: that line's own line end, or nothing, or the blank lines and end-of-file
// character that close the file, as they stand. A file the program creates gets CR LF after
// every line.
struct LineEnding {
    std::string_view end = "\r\n";
    std::string tail = "\r\n";
    bool operator==(const LineEnding&) const = default;
};

struct EpdFileLines {
    ReadStatus status = ReadStatus::Failed;
    std::string error;  // the system's reason when status is Failed
    TextBlock block;
    std::vector<std::string_view> lines;  // views into block
    LineEnding ending;
    // Lines too short to be EPD lines that hold more than blanks (and an end-of-file character):
    // how many, and the 1-based number of the first.
    std::size_t skippedLines = 0;
    std::size_t firstSkippedLine = 0;
};

// Reads a text file as bytes and splits it at LF, CR LF or a lone CR. Lines shorter than
// kShortestEpdLine are skipped; a line of `lineLimit` bytes or more (0 = no limit) stops the
// reading with TooLong; a file of which more than one byte in twenty is a control character
// (binary data) is NotText. Nothing is kept from a failed or
// stopped reading.
EpdFileLines readEpdLines(const std::string& path, std::size_t lineLimit);

// Calls onLine(view) for every line of `text` split at LF, CR LF or a lone CR; a last line
// without a line end counts too. onLine returns false to stop.
template <class OnLine>
void forEachLine(std::string_view text, OnLine&& onLine) {
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* const start = p;
        while (p < end && *p != '\n' && *p != '\r')
            ++p;
        if (!onLine(std::string_view(start, static_cast<std::size_t>(p - start)))) return;
        if (p == end) return;
        if (*p++ == '\r' && p < end && *p == '\n') ++p;
    }
}

// Writes `lines` with the given line ends, safely as writeFileSafely does.
WriteResult writeLinesSafely(const std::string& path, const std::vector<std::string_view>& lines,
                             const LineEnding& ending = {});

// The folder part of a path without a trailing separator ("" when there is none) and the name.
std::string folderOf(const std::string& path);
std::string fileNameOf(const std::string& path);
