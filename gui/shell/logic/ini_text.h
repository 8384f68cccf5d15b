#pragma once

#include <string>
#include <string_view>
#include <vector>

// The bytes of an INI file, changed line by line as the private profile functions change them:
// sections in square brackets, "key=value" lines, names compared without regard to case, the
// first of repeated keys counting, ";" and "#" lines comments. Setting a key rewrites its line
// only (or adds one); every other byte of the file stays as it is: comments, blank lines, odd
// lines, line ends (CR LF stays CR LF) and bytes such as NUL. A NUL ends the text of its line
// for finding names, nothing more.
class IniText {
public:
    IniText() = default;
    explicit IniText(std::string bytes);

    // Sets the key, keeping the letter case the file gives its name. A value holding a line
    // end or a NUL is cut there, so that it stays one line.
    void set(std::string_view section, std::string_view key, std::string_view value);

    const std::string& bytes() const { return m_bytes; }

private:
    struct Line {
        std::size_t begin;   // where the line starts in m_bytes
        std::size_t length;  // its text, without the line end
        std::size_t end;     // after its line end
    };
    void split();
    std::string_view textOf(const Line& line) const;
    // The line end new lines get: the file's first, or CR LF for a file without one.
    std::string_view lineEnd() const;

    std::string m_bytes;
    std::vector<Line> m_lines;
};
