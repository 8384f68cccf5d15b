#include "instance_messages.h"

#include <cctype>

#include "text_file.h"

namespace InstanceMessage {

namespace {

std::uint32_t readLittleEndian(const char* bytes) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[i]);
    return value;
}

void appendLittleEndian(std::string& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

}  // namespace

std::string sessionName(const char* waylandDisplay, const char* display, const char* sessionId) {
    std::string session;
    if (waylandDisplay && *waylandDisplay)
        session = waylandDisplay;
    else if (display && *display)
        session = display;
    else if (sessionId && *sessionId)
        session = std::string("session") + sessionId;
    for (char& c : session)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
            c = '_';
    return session;
}

std::string socketName(const std::string& userName, const std::string& session,
                       const std::string& runtimeFolder) {
    const std::string name = "Brisvane-" + userName + (session.empty() ? "" : "-" + session);
    return runtimeFolder.empty() ? name : runtimeFolder + "/" + name;
}

std::string encode(std::uint32_t id, std::string_view bytes) {
    std::string out;
    appendLittleEndian(out, id);
    appendLittleEndian(out, static_cast<std::uint32_t>(bytes.size()));
    out.append(bytes);
    return out;
}

std::vector<Frame> FrameReader::feed(std::string_view bytes) {
    std::vector<Frame> frames;
    if (m_broken) return frames;
    m_pending.append(bytes);
    std::size_t at = 0;
    while (m_pending.size() - at >= 8) {
        const std::uint32_t id = readLittleEndian(m_pending.data() + at);
        const std::uint32_t count = readLittleEndian(m_pending.data() + at + 4);
        if (count > kLongestFrame) {
            m_broken = true;
            m_pending.clear();
            return frames;
        }
        if (m_pending.size() - at - 8 < count) break;  // the rest is still on its way
        std::string_view text(m_pending.data() + at + 8, count);
        // Of a line request only the first 1024 bytes are used; a file path stays whole.
        text = text.substr(0, text.find('\0'));
        if (id == kLineRequest) text = text.substr(0, kUsedBytes);
        frames.push_back({id, std::string(text)});
        at += 8 + count;
    }
    m_pending.erase(0, at);
    return frames;
}

std::optional<std::string> lineToAdd(const Frame& frame) {
    constexpr std::string_view kPrefix = "Brisvane:";
    if (frame.id != kLineRequest) return std::nullopt;
    std::string_view text = frame.bytes;
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n'))
        text.remove_suffix(1);
    if (text.find_first_of("\r\n") != std::string_view::npos) return std::nullopt;
    if (text.substr(0, kPrefix.size()) != kPrefix) return std::nullopt;
    text.remove_prefix(kPrefix.size());
    const auto colon = text.find(':');
    if (colon == std::string_view::npos || text.substr(0, colon) != "ADD") return std::nullopt;
    const std::string_view line = text.substr(colon + 1);
    if (line.size() < kShortestEpdLine) return std::nullopt;
    return std::string(line);
}

}  // namespace InstanceMessage
