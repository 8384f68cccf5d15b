#include "scripted_prompts.h"

std::vector<std::string> ScriptedPrompts::messages() const {
    std::vector<std::string> texts;
    for (const auto& shown : m_shown)
        if (shown.kind == Interaction::Kind::Message) texts.push_back(shown.text);
    return texts;
}

std::optional<std::pair<ScriptedPrompts::Answer, std::string>> ScriptedPrompts::take(
    const std::string& what) {
    if (m_answers.empty()) {
        m_unexpected.push_back("no answer scripted for " + what);
        return std::nullopt;
    }
    auto answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

void ScriptedPrompts::message(const std::string& caption, const std::string& text, Icon icon) {
    m_shown.push_back({Interaction::Kind::Message, caption, text, icon, {}, {}});
}

bool ScriptedPrompts::askYesNo(const std::string& caption, const std::string& text, Icon icon) {
    m_shown.push_back({Interaction::Kind::YesNo, caption, text, icon, {}, {}});
    const auto answer = take("question \"" + text + "\"");
    if (!answer) return false;
    if (answer->first != Answer::Yes && answer->first != Answer::No)
        m_unexpected.push_back("a yes/no question got another answer: " + text);
    return answer->first == Answer::Yes;
}

Reply ScriptedPrompts::askYesNoCancel(const std::string& caption, const std::string& text,
                                      Icon icon) {
    m_shown.push_back({Interaction::Kind::YesNoCancel, caption, text, icon, {}, {}});
    const auto answer = take("question \"" + text + "\"");
    if (!answer || answer->first == Answer::Cancel) return Reply::Cancel;
    if (answer->first != Answer::Yes && answer->first != Answer::No)
        m_unexpected.push_back("a yes/no/cancel question got another answer: " + text);
    return answer->first == Answer::Yes ? Reply::Yes : Reply::No;
}

std::optional<std::string> ScriptedPrompts::answerText(const std::string& what, Answer wanted) {
    const auto answer = take(what);
    if (!answer || answer->first == Answer::Cancel) return std::nullopt;
    if (answer->first != wanted) {
        m_unexpected.push_back("wrong kind of answer for " + what);
        return std::nullopt;
    }
    return answer->second;
}

std::optional<std::string> ScriptedPrompts::chooseOpenFile(const FileDialogRequest& request) {
    m_shown.push_back({Interaction::Kind::OpenFile, request.title, {}, Icon::None, request, {}});
    return answerText("open dialog \"" + request.title + "\"", Answer::Path);
}

std::optional<std::string> ScriptedPrompts::chooseSaveFile(const FileDialogRequest& request) {
    m_shown.push_back({Interaction::Kind::SaveFile, request.title, {}, Icon::None, request, {}});
    return answerText("save dialog \"" + request.title + "\"", Answer::Path);
}

std::optional<std::string> ScriptedPrompts::chooseFolder(const std::string& title,
                                                         const std::string& initialDir) {
    FileDialogRequest request;
    request.title = title;
    request.initialDir = initialDir;
    m_shown.push_back({Interaction::Kind::Folder, title, {}, Icon::None, request, {}});
    return answerText("folder dialog \"" + title + "\"", Answer::Path);
}

std::optional<std::string> ScriptedPrompts::inputBox(const std::string& title,
                                                     const std::string& prompt,
                                                     const std::string& defaultText) {
    m_shown.push_back({Interaction::Kind::Input, title, prompt, Icon::None, {}, defaultText});
    return answerText("input box \"" + title + "\"", Answer::Text);
}

std::optional<std::uint32_t> ScriptedPrompts::chooseColor(const std::string& title,
                                                          std::uint32_t initial) {
    m_shown.push_back(
        {Interaction::Kind::Color, title, {}, Icon::None, {}, std::to_string(initial)});
    const auto answer = answerText("colour dialog \"" + title + "\"", Answer::Text);
    if (!answer) return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(*answer));
}

std::string MemorySettings::readString(const std::string& section, const std::string& key,
                                       const std::string& fallback) {
    const auto found = values.find({section, key});
    return found == values.end() ? fallback : found->second;
}
