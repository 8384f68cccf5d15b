#include "ini_text.h"

#include <strings.h>

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// What a line is: a section header, a key, or anything else (blank, comment, odd).
struct Parsed {
    enum Kind { Other, Section, Key } kind = Other;
    std::string_view name;   // the section or the key as written
    std::string_view value;  // a key's value
};

Parsed parse(std::string_view text) {
    Parsed parsed;
    text = trimmed(text);
    if (text.empty() || text.front() == ';' || text.front() == '#') return parsed;
    if (text.front() == '[') {
        const auto close = text.find(']');
        if (close == std::string_view::npos) return parsed;
        parsed.kind = Parsed::Section;
        parsed.name = trimmed(text.substr(1, close - 1));
        return parsed;
    }
    const auto equals = text.find('=');
    if (equals == std::string_view::npos) return parsed;
    parsed.name = trimmed(text.substr(0, equals));
    if (parsed.name.empty()) return parsed;
    parsed.kind = Parsed::Key;
    parsed.value = trimmed(text.substr(equals + 1));
    return parsed;
}

}  // namespace

IniText::IniText(std::string bytes) : m_bytes(std::move(bytes)) {
    split();
}

void IniText::split() {
    // Lines end at LF, CR LF or a lone CR, as SimpleIni reads them.
    m_lines.clear();
    std::size_t begin = 0;
    while (begin < m_bytes.size()) {
        const auto stop = m_bytes.find_first_of("\r\n", begin);
        if (stop == std::string::npos) {
            m_lines.push_back({begin, m_bytes.size() - begin, m_bytes.size()});
            break;
        }
        std::size_t end = stop + 1;
        if (m_bytes[stop] == '\r' && end < m_bytes.size() && m_bytes[end] == '\n') ++end;
        m_lines.push_back({begin, stop - begin, end});
        begin = end;
    }
}

std::string_view IniText::textOf(const Line& line) const {
    std::string_view text(m_bytes.data() + line.begin, line.length);
    return text.substr(0, text.find('\0'));
}

std::string_view IniText::lineEnd() const {
    for (const Line& line : m_lines)
        if (line.end > line.begin + line.length)
            return std::string_view(m_bytes).substr(line.begin + line.length,
                                                    line.end - line.begin - line.length);
    return "\r\n";
}

void IniText::set(std::string_view section, std::string_view key, std::string_view value) {
    value = value.substr(0, value.find_first_of(std::string_view("\r\n\0", 3)));
    bool inSection = false;
    std::size_t insertAt = std::string::npos;  // after the last filled line of the section
    for (const Line& line : m_lines) {
        const Parsed parsed = parse(textOf(line));
        if (parsed.kind == Parsed::Section) {
            inSection = sameName(parsed.name, section);
            if (inSection && insertAt == std::string::npos) insertAt = line.end;
            continue;
        }
        if (!inSection) continue;
        if (parsed.kind == Parsed::Key && sameName(parsed.name, key)) {
            std::string text(parsed.name);
            text.append("=").append(value);
            m_bytes.replace(line.begin, line.length, text);
            split();
            return;
        }
        if (!trimmed(textOf(line)).empty() && insertAt != std::string::npos) insertAt = line.end;
    }
    const std::string end(lineEnd());
    const auto endsLine = [this] { return m_bytes.back() == '\n' || m_bytes.back() == '\r'; };
    std::string added;
    if (insertAt == std::string::npos) {
        // A new section at the end, after a blank line.
        if (!m_bytes.empty() && !endsLine()) m_bytes += end;
        if (!m_lines.empty() && !trimmed(textOf(m_lines.back())).empty()) added += end;
        added.append("[").append(section).append("]").append(end);
        insertAt = m_bytes.size();
    } else if (insertAt == m_bytes.size() && !m_bytes.empty() && !endsLine()) {
        m_bytes += end;
        insertAt = m_bytes.size();
    }
    added.append(key).append("=").append(value).append(end);
    m_bytes.insert(insertAt, added);
    split();
}
