#pragma once

#include <string>
#include <vector>

// Command-line options as the converters read them: single letters after "-", several grouped
// in one word; a letter followed by ":" in the option string takes a value, the rest of its word
// or else the next word; "--" ends the options, and so does a word that does not begin with "-".
class OptionParser {
public:
    // `arguments` excludes the program name.
    OptionParser(std::vector<std::string> arguments, std::string optionString);

    enum class Result { Option, End, Invalid };
    // The next option: its letter (and value) on Option; on Invalid the offending letter, which
    // is not in the option string or lacks its value.
    Result next();
    char letter() const { return m_letter; }
    const std::string& value() const { return m_value; }
    // The arguments after the options.
    std::vector<std::string> remaining() const;

private:
    std::vector<std::string> m_arguments;
    std::string m_optionString;
    std::size_t m_word = 0;  // the word being read
    std::size_t m_char = 0;  // position within it; 0 = not started
    char m_letter = 0;
    std::string m_value;
};

// printf-style formatting into a string, cut at 511 characters.
std::string formatText(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

// The first line of a list file, for file names with blanks: at most 999 characters, its last
// character (the line feed) removed. Empty when the file cannot be read or fewer than two
// characters were read.
std::string readListFile(const std::string& path);
