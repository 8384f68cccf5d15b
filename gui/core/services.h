#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

// The clipboard's plain text, as bytes, and rich text beside it.
class ClipboardAccess {
public:
    virtual ~ClipboardAccess() = default;
    virtual bool hasText() = 0;
    virtual std::string text() = 0;
    virtual void setText(const std::string& text) = 0;
    // A rich-text document with its plain-text reading, as one clipboard entry.
    virtual void setRichText(const std::string& rtf, const std::string& plain) {
        (void)rtf;
        setText(plain);
    }
};

struct SettingWrite {
    std::string section;
    std::string key;
    std::string value;
};

// The keys that a command writes at once to the settings file (section History and others).
class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::string readString(const std::string& section, const std::string& key,
                                   const std::string& fallback) = 0;
    virtual void writeString(const std::string& section, const std::string& key,
                             const std::string& value) = 0;
    // Why writes are not kept (a file that could not be read whole at start), "" when they are.
    // Such a store passes writes over quietly; a command that stores options on request says so.
    virtual std::string refusal() const { return {}; }
    // Several keys at once; a store that writes a file writes it once.
    virtual void writeMany(const std::vector<SettingWrite>& writes) {
        for (const auto& write : writes)
            writeString(write.section, write.key, write.value);
    }
};

// The shared progress window: a title and a gauge from 0 to a maximum.
class ProgressSink {
public:
    virtual ~ProgressSink() = default;
    virtual void begin(const std::string& title, std::size_t maximum) = 0;
    virtual void advance(std::size_t position) = 0;
    virtual void end() = 0;
};

// The board setup dialog as the document sees it: edits a line (empty for a new one) and
// returns the new line when closed with OK, nothing when cancelled.
class LineEditor {
public:
    virtual ~LineEditor() = default;
    virtual std::optional<std::string> editLine(const std::string& line) = 0;
};

// Implementations that do nothing, for callers without a window.
class NoProgress final : public ProgressSink {
public:
    void begin(const std::string&, std::size_t) override {}
    void advance(std::size_t) override {}
    void end() override {}
};
