#include "option_parser.h"

#include <cstdarg>
#include <cstdio>
#include <memory>

OptionParser::OptionParser(std::vector<std::string> arguments, std::string optionString)
    : m_arguments(std::move(arguments)), m_optionString(std::move(optionString)) {}

OptionParser::Result OptionParser::next() {
    m_value.clear();
    m_letter = 0;
    if (m_char == 0) {
        if (m_word >= m_arguments.size()) return Result::End;
        const std::string& word = m_arguments[m_word];
        if (word.size() < 2 || word[0] != '-') return Result::End;
        if (word == "--") {
            ++m_word;
            return Result::End;
        }
        m_char = 1;
    }
    const std::string& word = m_arguments[m_word];
    m_letter = word[m_char++];
    const auto at = m_letter == ':' ? std::string::npos : m_optionString.find(m_letter);
    const bool takesValue =
        at != std::string::npos && at + 1 < m_optionString.size() && m_optionString[at + 1] == ':';
    auto finishWord = [this, &word] {
        if (m_char >= word.size()) {
            m_char = 0;
            ++m_word;
        }
    };
    if (at == std::string::npos) {
        finishWord();
        return Result::Invalid;
    }
    if (!takesValue) {
        finishWord();
        return Result::Option;
    }
    if (m_char < word.size()) {
        m_value = word.substr(m_char);
        m_char = 0;
        ++m_word;
        return Result::Option;
    }
    m_char = 0;
    ++m_word;
    if (m_word >= m_arguments.size()) return Result::Invalid;
    m_value = m_arguments[m_word++];
    return Result::Option;
}

std::vector<std::string> OptionParser::remaining() const {
    const std::size_t first = m_char == 0 ? m_word : m_word + 1;
    if (first >= m_arguments.size()) return {};
    return {m_arguments.begin() + static_cast<std::ptrdiff_t>(first), m_arguments.end()};
}

std::string readListFile(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "r"),
                                                         &std::fclose);
    if (!file) return {};
    char line[1000];
    if (!std::fgets(line, sizeof line, file.get())) return {};
    std::string name(line);
    if (name.size() < 2) return {};
    name.pop_back();
    // A list file written on Windows ends its line with CR LF.
    if (!name.empty() && name.back() == '\r') name.pop_back();
    return name;
}

std::string formatText(const char* pattern, ...) {
    char text[512];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(text, sizeof text, pattern, args);
    va_end(args);
    return text;
}
