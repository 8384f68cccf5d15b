#pragma once

#include <QString>

#include "prompts.h"
#include "qt_text.h"

class QWidget;

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
    std::optional<std::string> chooseFolderOfFiles(const FileDialogRequest& request) override;
    std::optional<std::string> inputBox(const std::string& title, const std::string& prompt,
                                        const std::string& defaultText) override;
    std::optional<std::uint32_t> chooseColor(const std::string& title,
                                             std::uint32_t initial) override;

private:
    std::optional<std::string> chooseFile(const FileDialogRequest& request, bool save);
    QWidget* m_parent;
};
