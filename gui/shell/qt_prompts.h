#pragma once

#include <QString>

#include "prompts.h"

class QWidget;

enum class TextEncoding { Utf8, Latin1 };
// How a text's bytes are shown: valid UTF-8 as UTF-8, anything else as Latin-1.
TextEncoding encodingOf(std::string_view bytes);
// Bytes of a line as shown.
QString displayText(std::string_view bytes);
// A text from the user interface as the bytes the logic works with; in Latin-1 a character
// that Latin-1 lacks becomes "?".
std::string toBytes(const QString& text, TextEncoding encoding = TextEncoding::Utf8);
// A file mask matching names in any letter case: "*.EPD" as "*.[Ee][Pp][Dd]".
QString caseInsensitiveMask(const QString& mask);
// "desc|mask|desc|mask" as a Qt name filter list; masks match names in any letter case
// ("*.EPD" becomes "*.[Ee][Pp][Dd]" and shows wac.epd too).
QStringList qtNameFilters(const std::string& filter);

// Message boxes, file choosers and the input box of the program.
class QtPrompts : public Prompts {
public:
    explicit QtPrompts(QWidget* parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget* parent) { m_parent = parent; }

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
    std::optional<std::string> chooseFile(const FileDialogRequest& request, bool save);
    QWidget* m_parent;
};
