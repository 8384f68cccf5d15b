#include "text_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

std::string systemReason(int error) {
    return std::strerror(error);
}

// Reads the whole file into one block; sets `error` and returns false on failure.
bool readWholeFile(const std::string& path, TextBlock& block, std::string& error) {
    std::error_code ec;
    const auto status = fs::status(path, ec);
    if (ec) {
        error = ec.message();
        return false;
    }
    if (fs::is_directory(status)) {
        error = systemReason(EISDIR);
        return false;
    }
    if (!fs::is_regular_file(status)) {
        error = "Not a regular file";
        return false;
    }
    errno = 0;
    FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = systemReason(errno);
        return false;
    }
    // The size is only a first guess: the file may change while it is read.
    std::size_t capacity = static_cast<std::size_t>(fs::file_size(path, ec));
    if (ec) capacity = 0;
    capacity += 1;
    auto bytes = std::make_unique<char[]>(capacity);
    std::size_t size = 0;
    for (;;) {
        if (size == capacity) {
            auto bigger = std::make_unique<char[]>(capacity * 2);
            std::memcpy(bigger.get(), bytes.get(), size);
            bytes = std::move(bigger);
            capacity *= 2;
        }
        const std::size_t got = std::fread(bytes.get() + size, 1, capacity - size, file.get());
        size += got;
        if (got == 0) break;
    }
    if (std::ferror(file.get())) {
        error = systemReason(errno ? errno : EIO);
        return false;
    }
    block.bytes = std::move(bytes);
    block.size = size;
    return true;
}

// A text file holds few control characters; binary files (programs, images, archives, UTF-16
// text) hold many. Published EPD suites with a stray NUL at each line end stay text.
bool looksLikeText(std::string_view text) {
    const std::string_view sample = text.substr(0, 65536);
    std::size_t controls = 0;
    for (const char c : sample) {
        const auto byte = static_cast<unsigned char>(c);
        const bool allowed = byte == '\t' || byte == '\n' || byte == '\r' || byte == '\f' ||
                             byte == '\v' || byte == 0x1A;
        if ((byte < 0x20 && !allowed) || byte == 0x7F) ++controls;
    }
    return controls * 20 <= sample.size();
}

// Blanks, tabs and the end-of-file character: what a line may hold and still count as empty.
constexpr const char* kEmptyLineBytes = " \t\x1A";

// The line end a file uses and what follows `lastLine`, the last line kept from `text`.
LineEnding lineEndingOf(std::string_view text, std::string_view lastLine) {
    LineEnding ending;
    const auto first = text.find_first_of("\r\n");
    if (first != std::string_view::npos) {
        if (text[first] == '\n')
            ending.end = "\n";
        else if (first + 1 >= text.size() || text[first + 1] != '\n')
            ending.end = "\r";
    }
    const std::size_t after =
        static_cast<std::size_t>(lastLine.data() - text.data()) + lastLine.size();
    const std::string_view rest = text.substr(after);
    if (rest.find_first_not_of("\r\n \t\x1A") == std::string_view::npos) {
        ending.tail = std::string(rest);
    } else {
        // Lines that are not kept follow: only the last line's own line end stays.
        std::size_t end = 0;
        if (end < rest.size() && rest[end] == '\r') ++end;
        if (end < rest.size() && rest[end] == '\n') ++end;
        ending.tail = std::string(rest.substr(0, end));
    }
    return ending;
}

}  // namespace

EpdFileLines readEpdLines(const std::string& path, std::size_t lineLimit) {
    EpdFileLines result;
    if (!readWholeFile(path, result.block, result.error)) {
        result.status = ReadStatus::Failed;
        return result;
    }
    const std::string_view text(result.block.bytes.get(), result.block.size);
    if (!looksLikeText(text)) {
        result.status = ReadStatus::NotText;
        result.block = TextBlock{};
        return result;
    }
    result.status = ReadStatus::Ok;
    std::size_t number = 0;
    forEachLine(text, [&](std::string_view line) {
        ++number;
        if (lineLimit > 0 && line.size() >= lineLimit) {
            result.status = ReadStatus::TooLong;
            return false;
        }
        if (line.size() >= kShortestEpdLine) {
            result.lines.push_back(line);
        } else if (line.find_first_not_of(kEmptyLineBytes) != std::string_view::npos) {
            if (result.skippedLines++ == 0) result.firstSkippedLine = number;
        }
        return true;
    });
    if (!result.lines.empty()) result.ending = lineEndingOf(text, result.lines.back());
    if (result.status != ReadStatus::Ok) {
        result.lines.clear();
        result.block = TextBlock{};
    }
    return result;
}

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return {};
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

WriteResult writeLinesSafely(const std::string& path, const std::vector<std::string_view>& lines,
                             const LineEnding& ending) {
    return writeFileSafely(path, [&lines, &ending](std::FILE* file) {
        for (std::size_t i = 0; i < lines.size(); ++i) {
            const auto& line = lines[i];
            const std::string_view end = i + 1 == lines.size() ? ending.tail : ending.end;
            if (std::fwrite(line.data(), 1, line.size(), file) != line.size() ||
                std::fwrite(end.data(), 1, end.size(), file) != end.size())
                return false;
        }
        return true;
    });
}
