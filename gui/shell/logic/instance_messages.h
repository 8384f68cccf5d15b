#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Messages between programs on the local socket of the running instance. A frame is a 32-bit
// little-endian identifier, a 32-bit little-endian byte count and the bytes. The running
// program never replies.
namespace InstanceMessage {

inline constexpr std::uint32_t kBringToFront = 0;  // a second start: show the window
inline constexpr std::uint32_t kOpenFile = 1;      // a second start's EPD file, to open here
inline constexpr std::uint32_t kShowMessage = 2;   // a second start's problem, shown here
inline constexpr std::uint32_t kLineRequest = 42;  // "Brisvane:ADD:" + an EPD line
// At most this many bytes of a line request are used.
inline constexpr std::size_t kUsedBytes = 1024;
// A frame announcing more than this is no frame of ours: its connection is closed.
inline constexpr std::uint32_t kLongestFrame = 65536;

struct Frame {
    std::uint32_t id = 0;
    std::string bytes;  // up to the first NUL; of a line request at most kUsedBytes
};

// The session a program runs in, for the name of its socket: the Wayland or X display it
// shows on, else the login session, else "" (one instance for the user). Characters that do
// not belong in a file name become "_" (":0" gives "_0").
std::string sessionName(const char* waylandDisplay, const char* display, const char* sessionId);
// The local socket of a user's session: "Brisvane-<user>" followed by "-<session>" when there is
// one, in the user's own runtime folder when there is one (only the user can reach it there),
// else in the folder of temporary files. A user on two displays has an instance on each.
std::string socketName(const std::string& userName, const std::string& session = {},
                       const std::string& runtimeFolder = {});

std::string encode(std::uint32_t id, std::string_view bytes);

// Collects frames from the bytes of one connection as they arrive.
class FrameReader {
public:
    // Adds bytes and returns the frames they complete. After a malformed frame (a count above
    // kLongestFrame) the reader is broken and returns nothing more.
    std::vector<Frame> feed(std::string_view bytes);
    bool broken() const { return m_broken; }

private:
    std::string m_pending;
    bool m_broken = false;
};

// The EPD line an external line request asks to add: identifier 42, a text starting with
// "Brisvane:", the command "ADD" (exact case) and one line longer than 14 characters. A request
// is one line: a line end at its end is dropped, and one that holds CR or LF before its end
// asks for nothing. Nothing for anything else.
std::optional<std::string> lineToAdd(const Frame& frame);

}  // namespace InstanceMessage
