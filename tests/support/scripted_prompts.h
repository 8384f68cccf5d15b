#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "prompts.h"
#include "services.h"

// One thing the program showed or asked, in the order it happened.
struct Interaction {
    enum class Kind { Message, YesNo, YesNoCancel, OpenFile, SaveFile, Folder, Input, Color };
    Kind kind = Kind::Message;
    std::string caption;  // caption or dialog title
    std::string text;     // message, question or input prompt
    Icon icon = Icon::None;
    FileDialogRequest request;  // for file choosers
    std::string defaultText;    // for the input box
};

// Plays the user: every question takes the next scripted answer. A question without a fitting
// answer is recorded in unexpected() and answered with No or Cancel.
class ScriptedPrompts : public Prompts {
public:
    ScriptedPrompts& yes() { return push(Answer::Yes, {}); }
    ScriptedPrompts& no() { return push(Answer::No, {}); }
    ScriptedPrompts& file(std::string path) { return push(Answer::Path, std::move(path)); }
    ScriptedPrompts& cancel() { return push(Answer::Cancel, {}); }
    ScriptedPrompts& input(std::string text) { return push(Answer::Text, std::move(text)); }
    ScriptedPrompts& color(std::uint32_t value) {
        return push(Answer::Text, std::to_string(value));
    }

    const std::vector<Interaction>& shown() const { return m_shown; }
    std::vector<std::string> messages() const;  // texts of the message boxes only
    const std::vector<std::string>& unexpected() const { return m_unexpected; }
    std::size_t pendingAnswers() const { return m_answers.size(); }
    void forget() { m_shown.clear(); }

    void message(const std::string& caption, const std::string& text, Icon icon) override;
    bool askYesNo(const std::string& caption, const std::string& text, Icon icon) override;
    Reply askYesNoCancel(const std::string& caption, const std::string& text, Icon icon) override;
    std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) override;
    std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override;
    std::optional<std::string> chooseFolder(const std::string& title,
                                            const std::string& initialDir) override;
    std::optional<std::string> inputBox(const std::string& title, const std::string& prompt,
                                        const std::string& defaultText) override;
    std::optional<std::uint32_t> chooseColor(const std::string& title,
                                             std::uint32_t initial) override;

private:
    enum class Answer { Yes, No, Path, Cancel, Text };
    ScriptedPrompts& push(Answer kind, std::string value) {
        m_answers.emplace_back(kind, std::move(value));
        return *this;
    }
    std::optional<std::pair<Answer, std::string>> take(const std::string& what);
    std::optional<std::string> answerText(const std::string& what, Answer wanted);

    std::deque<std::pair<Answer, std::string>> m_answers;
    std::vector<Interaction> m_shown;
    std::vector<std::string> m_unexpected;
};

class MemoryClipboard : public ClipboardAccess {
public:
    std::optional<std::string> content;
    bool hasText() override { return content.has_value(); }
    std::string text() override { return content.value_or(std::string()); }
    void setText(const std::string& text) override {
        content = text;
        rich.reset();
    }
    std::optional<std::string> rich;  // the rich-text flavour of the last entry
    void setRichText(const std::string& rtf, const std::string& plain) override {
        content = plain;
        rich = rtf;
    }
};

class MemorySettings : public SettingsStore {
public:
    std::map<std::pair<std::string, std::string>, std::string> values;
    std::string readString(const std::string& section, const std::string& key,
                           const std::string& fallback) override;
    void writeString(const std::string& section, const std::string& key,
                     const std::string& value) override {
        values[{section, key}] = value;
    }
};

class RecordingProgress : public ProgressSink {
public:
    std::string title;
    std::size_t maximum = 0;
    std::vector<std::size_t> positions;
    bool visible = false;
    void begin(const std::string& t, std::size_t max) override {
        title = t;
        maximum = max;
        visible = true;
    }
    void advance(std::size_t position) override { positions.push_back(position); }
    void end() override { visible = false; }
};
