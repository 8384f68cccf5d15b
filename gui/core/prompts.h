#pragma once

#include <cstdint>
#include <optional>
#include <string>

// Everything a command asks the user or tells the user goes through this interface: the
// program implements it with message boxes and dialogs, tests with a scripted fake.
enum class Icon { None, Information, Warning, Error, Question };
enum class Reply { Yes, No, Cancel };

// A file chooser. `filter` is written as "description|mask|description|mask"; `filterIndex`
// counts from 1; `defaultExtension` has no dot and is added to a chosen name without one.
struct FileDialogRequest {
    std::string title;
    std::string filter;
    int filterIndex = 1;
    std::string initialDir;
    std::string fileName;
    std::string defaultExtension;
};

class Prompts {
public:
    virtual ~Prompts() = default;

    virtual void message(const std::string& caption, const std::string& text, Icon icon) = 0;
    // True for Yes, false for No.
    virtual bool askYesNo(const std::string& caption, const std::string& text, Icon icon) = 0;
    // Yes, No or Cancel; Escape and closing the box mean Cancel.
    virtual Reply askYesNoCancel(const std::string& caption, const std::string& text,
                                 Icon icon) = 0;
    // The chosen path, or nothing when the user cancels.
    virtual std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> chooseFolder(const std::string& title,
                                                    const std::string& initialDir) = 0;
    // The program's own folder dialog, whose file list shows the files of `request.filter`;
    // nothing when cancelled.
    virtual std::optional<std::string> chooseFolderOfFiles(const FileDialogRequest& request) {
        return chooseFolder(request.title, request.initialDir);
    }
    // The colour dialog, starting at a colour given as 0x00BBGGRR; nothing when cancelled.
    virtual std::optional<std::uint32_t> chooseColor(const std::string& title,
                                                     std::uint32_t initial) = 0;
    // The one-line input box; nothing when the user cancels.
    virtual std::optional<std::string> inputBox(const std::string& title, const std::string& prompt,
                                                const std::string& defaultText) = 0;
};

inline constexpr const char* kCaption = "Brisvane";
