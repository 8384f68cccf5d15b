#include "epd_document.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

#include "clipboard_scan.h"
#include "epd_normalize.h"
#include "text_file.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kHistory = "History";
constexpr const char* kLastEpdDirectory = "LastEPDdirectory";
constexpr const char* kClipboardFile = "CLIPBOARD.EPD";

// Adds ".<extension>" when the file name has no extension of its own.
std::string withDefaultExtension(const std::string& path, const std::string& extension) {
    if (extension.empty()) return path;
    const std::string name = fileNameOf(path);
    if (name.find('.') != std::string::npos) return path;
    return path + "." + extension;
}

std::string absolutePath(const std::string& path) {
    std::error_code ec;
    const auto absolute = fs::absolute(path, ec);
    return ec ? path : absolute.lexically_normal().string();
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::exists(path, ec);
}

bool samePath(const std::string& a, const std::string& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    return a == b;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

long parseIntegerOrZero(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return 0;
    const auto last = text.find_last_not_of(" \t");
    text = text.substr(first, last - first + 1);
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        text.remove_prefix(1);
    }
    int base = 10;
    if (!text.empty() && text[0] == '$') {
        base = 16;
        text.remove_prefix(1);
    } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return 0;
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) return 0;
    return negative ? -value : value;
}

EpdDocument::EpdDocument(DocumentServices services, int undoBufferSize)
    : m_services(std::move(services)), m_undo(undoBufferSize) {
    m_display.lineField = std::string(kInitialPositionLine);
    updateCommandStates();
}

void EpdDocument::setConditions(const CommandConditions& conditions) {
    m_conditions = conditions;
    updateCommandStates();
}

void EpdDocument::tell(const std::string& message, Icon icon) {
    m_services.prompts->message(kCaption, message, icon);
}

void EpdDocument::notifyDisplay() {
    if (m_observer) m_observer->displayChanged();
}

void EpdDocument::focusList() {
    if (m_observer) m_observer->focusLineList();
}

void EpdDocument::showCurrentLine() {
    const int count = static_cast<int>(m_lines.size());
    if (m_current >= 0 && m_current < count) {
        const auto line = m_lines[static_cast<std::size_t>(m_current)];
        m_display.selectedRow = m_current;
        m_display.lineField.assign(line);
        auto& diagram = m_display.diagram;
        const auto read = readPlacement(
            placementField(line, false),
            [&diagram](Square sq, int piece) { diagram.PutPieceOnSquare(piece, sq); });
        m_display.indexLabel = std::to_string(m_current + 1) + "/" + std::to_string(count);
        if (read != PlacementResult::Ok) {
            // No piece of the line shown before, nor half a board of this one, stays in view.
            clearSquares(diagram);
            notifyDisplay();
            tell(text(DocText::ErrorInDescription), Icon::Error);
            return;
        }
    } else {
        m_current = -1;
        m_display.selectedRow = -1;
        m_display.indexLabel = "0/0";
        m_display.lineField = std::string(kInitialPositionLine);
        m_display.diagram.Inicialize();
    }
    notifyDisplay();
}

void EpdDocument::updateCommandStates() {
    const bool hasLines = !m_lines.empty();
    const int count = static_cast<int>(m_lines.size());
    auto& s = m_display.commands;
    s.close = s.append = s.newLine = s.editLine = m_open;
    s.save = s.saveAs = m_open && hasLines;
    s.importMenu = m_conditions.qbxImport || m_conditions.pgnImport;
    s.exportMenu = s.normalize = s.gotoLine = hasLines;
    s.saveOptions = m_conditions.settingsChanged;
    s.copyRtf = m_conditions.chessFontReady;
    s.undo = undoAvailable();
    s.deleteLine = m_open && m_current >= 0 && m_current < count;
    s.previous = m_open && m_current > 0;
    s.next = m_open && m_current + 1 != count;
    s.analyse = m_conditions.engineSelected;
    s.analyseFile = m_conditions.libraryEngineReady;

    m_display.title = kCaption;
    if (m_open) {
        m_display.title += ": " + m_name;
        if (m_modified) m_display.title += " *";
    }
    notifyDisplay();
}

void EpdDocument::resetToNoDocument() {
    if (m_observer) m_observer->beginResetLines();
    m_lines.clear();
    m_open = false;
    m_current = -1;
    m_directory.clear();
    m_name.clear();
    m_modified = false;
    m_undo.clear();
    m_ending = LineEnding{};
    m_skippedFile.clear();
    m_skippedLines = 0;
    if (m_observer) m_observer->endResetLines();
}

bool EpdDocument::closeWithPrompt() {
    if (m_open && m_modified) {
        const auto& question =
            text(m_name == kNoName ? DocText::SaveNewQuestion : DocText::ChangedSaveQuestion);
        const Reply reply = m_services.prompts->askYesNoCancel(kCaption, question, Icon::Question);
        // Cancel (Escape, closing the box) stops the command that wanted the document closed.
        if (reply == Reply::Cancel) return false;
        if (reply == Reply::Yes) {
            const auto outcome = saveThroughDialog();
            // Closing now would throw the changes away that the user just asked to keep.
            if (outcome == SaveOutcome::Cancelled || outcome == SaveOutcome::Failed) return false;
        }
    }
    resetToNoDocument();
    m_display.diagram.Inicialize();
    updateCommandStates();
    showCurrentLine();
    return true;
}

void EpdDocument::startNewDocument() {
    m_open = true;
    m_name = kNoName;
    m_directory.clear();
    m_current = -1;
    m_modified = false;
    m_ending = LineEnding{};
}

void EpdDocument::rememberFolder() {
    // Written last: a settings file that cannot be written must not undo the work just done.
    if (m_services.settings)
        m_services.settings->writeString(kHistory, kLastEpdDirectory, m_directory + "/");
}

bool EpdDocument::newFile() {
    if (!closeWithPrompt()) return false;
    startNewDocument();
    showCurrentLine();
    updateCommandStates();
    return true;
}

void EpdDocument::open() {
    if (m_open && !closeWithPrompt()) {
        // A file waiting to be opened is not opened later by surprise.
        m_waitingFile.clear();
        return;
    }
    std::string path;
    if (!m_waitingFile.empty()) {
        path = std::exchange(m_waitingFile, std::string());
    } else {
        FileDialogRequest request;
        request.title = text(DocText::OpenTitle);
        request.filter = text(DocText::OpenFilter);
        request.filterIndex = 1;
        if (m_services.settings)
            request.initialDir = m_services.settings->readString(kHistory, kLastEpdDirectory, "");
        const auto chosen = m_services.prompts->chooseOpenFile(request);
        if (!chosen) return;
        path = *chosen;
    }
    loadFile(path);
}

void EpdDocument::openFileIfExists(const std::string& path) {
    if (!fileExists(path)) return;
    if (m_open && !closeWithPrompt()) return;
    loadFile(path);
}

void EpdDocument::loadFile(const std::string& chosenPath) {
    const std::string path = absolutePath(chosenPath);
    auto read = readEpdLines(path, kOpenLineLimit);
    // A failed, stopped or empty reading leaves no document and no file name.
    if (read.status != ReadStatus::Ok || read.lines.empty()) {
        resetToNoDocument();
        updateCommandStates();
        showCurrentLine();
        if (read.status == ReadStatus::Failed)
            tell(cannotReadMessage(path, read.error, m_language), Icon::Error);
        else if (read.status == ReadStatus::NotText)
            tell(notTextMessage(path, m_language), Icon::Error);
        else if (read.status == ReadStatus::TooLong)
            tell(text(DocText::LinesTooLong), Icon::Error);
        else
            tell(text(DocText::FileEmpty), Icon::Information);
        return;
    }
    if (m_observer) m_observer->beginResetLines();
    m_lines.clear();
    m_lines.appendAdopted(std::move(read.block), read.lines);
    m_open = true;
    m_directory = folderOf(path);
    m_name = fileNameOf(path);
    m_modified = false;
    m_current = 0;
    m_undo.clear();
    m_ending = read.ending;
    m_skippedLines = read.skippedLines;
    m_skippedFile = read.skippedLines > 0 ? path : std::string();
    if (m_observer) m_observer->endResetLines();
    showCurrentLine();
    updateCommandStates();
    focusList();
    rememberFolder();
    if (read.skippedLines > 0)
        tell(skippedLinesMessage(read.skippedLines, read.firstSkippedLine, m_language),
             Icon::Information);
}

void EpdDocument::append() {
    if (!m_open) {
        tell(text(DocText::NoFileOpened), Icon::Information);
        return;
    }
    FileDialogRequest request;
    request.title = text(DocText::AppendTitle);
    request.filter = text(DocText::AppendFilter);
    request.filterIndex = 1;
    const auto chosen = m_services.prompts->chooseOpenFile(request);
    if (!chosen) return;
    appendFile(*chosen);
}

void EpdDocument::appendFile(const std::string& path) {
    if (!m_open) {
        tell(text(DocText::NoFileOpened), Icon::Information);
        return;
    }
    auto read = readEpdLines(path, 0);
    if (read.status != ReadStatus::Ok) {
        tell(read.status == ReadStatus::NotText ? notTextMessage(path, m_language)
                                                : cannotReadMessage(path, read.error, m_language),
             Icon::Error);
        return;
    }
    const std::size_t first = m_lines.size();
    if (!read.lines.empty()) {
        if (m_observer) m_observer->beginInsertLines(first, read.lines.size());
        m_lines.appendAdopted(std::move(read.block), read.lines);
        if (m_observer) m_observer->endInsertLines();
        m_modified = true;
        m_current = static_cast<int>(first);
    } else {
        m_current = static_cast<int>(first) - 1;
        tell(text(DocText::AppendFileEmpty), Icon::Information);
    }
    showCurrentLine();
    updateCommandStates();
    focusList();
    if (read.skippedLines > 0 && !read.lines.empty())
        tell(skippedLinesMessage(read.skippedLines, read.firstSkippedLine, m_language),
             Icon::Information);
}

SaveOutcome EpdDocument::save() {
    if (!m_open || m_lines.empty()) return SaveOutcome::NothingToSave;
    if (m_name != kNoName)
        return writeTo(m_directory.empty() ? m_name : m_directory + "/" + m_name);
    return saveThroughDialog();
}

SaveOutcome EpdDocument::saveAs() {
    if (!m_open || m_lines.empty()) return SaveOutcome::NothingToSave;
    return saveThroughDialog();
}

SaveOutcome EpdDocument::saveThroughDialog() {
    if (!m_open || m_lines.empty()) return SaveOutcome::NothingToSave;
    FileDialogRequest request;
    request.defaultExtension = "EPD";
    request.filter = text(DocText::SaveFilter);
    request.filterIndex = 1;
    request.initialDir = m_directory;
    if (m_name != kNoName) {
        request.fileName = m_name;
        request.title = text(DocText::SaveTitle);
    } else {
        request.title = text(DocText::SaveNewTitle);
    }
    const auto chosen = m_services.prompts->chooseSaveFile(request);
    if (!chosen) return SaveOutcome::Cancelled;
    const std::string path = absolutePath(withDefaultExtension(*chosen, request.defaultExtension));
    if (fileExists(path) && !m_services.prompts->askYesNo(
                                kCaption, fileExistsQuestion(path, m_language), Icon::Question))
        return SaveOutcome::Cancelled;
    return writeTo(path);
}

SaveOutcome EpdDocument::writeTo(const std::string& path) {
    const bool overSkipped = m_skippedLines > 0 && samePath(path, m_skippedFile);
    if (overSkipped && !m_services.prompts->askYesNo(
                           kCaption, writeWithoutSkippedQuestion(path, m_skippedLines, m_language),
                           Icon::Question))
        return SaveOutcome::Cancelled;
    const auto written = writeLinesSafely(path, m_lines.lines(), m_ending);
    if (!written.ok) {
        tell(cannotWriteMessage(path, written.error, m_language), Icon::Error);
        return SaveOutcome::Failed;
    }
    if (overSkipped) {
        m_skippedFile.clear();
        m_skippedLines = 0;
    }
    m_directory = folderOf(path);
    m_name = fileNameOf(path);
    m_modified = false;
    m_undo.clear();
    updateCommandStates();
    rememberFolder();
    return SaveOutcome::Saved;
}

void EpdDocument::newLine() {
    if (!m_services.lineEditor) return;
    if (auto line = m_services.lineEditor->editLine(std::string())) addLineAtEnd(*line);
}

void EpdDocument::editLine() {
    if (!m_services.lineEditor) return;
    const auto edited = m_services.lineEditor->editLine(m_display.lineField);
    if (!edited) return;
    const int count = static_cast<int>(m_lines.size());
    const bool substitute =
        count > 0 &&
        m_services.prompts->askYesNo(kCaption, text(DocText::SubstituteQuestion), Icon::Question);
    // Without a current line there is nothing to substitute: the line is appended.
    if (substitute && m_current >= 0 && m_current < count) {
        const auto index = static_cast<std::size_t>(m_current);
        if (!m_undo.push(m_current, std::string(m_lines[index]), UndoKind::Replaced))
            tell(EnglishText::CantSaveOldLine, Icon::Warning);
        m_lines.replace(index, *edited);
        if (m_observer) m_observer->linesChanged(index, index);
    } else {
        if (!m_open) startNewDocument();
        appendLineAsCurrent(*edited);
    }
    m_modified = true;
    showCurrentLine();
    updateCommandStates();
}

void EpdDocument::deleteLine() {
    const int count = static_cast<int>(m_lines.size());
    if (m_current < 0 || m_current >= count) return;
    const auto index = static_cast<std::size_t>(m_current);
    if (!m_undo.push(m_current, std::string(m_lines[index]), UndoKind::Deleted))
        tell(EnglishText::CantSaveDeletedLine, Icon::Warning);
    if (m_observer) m_observer->beginRemoveLines(index, 1);
    m_lines.erase(index);
    if (m_observer) m_observer->endRemoveLines();
    m_modified = true;
    if (m_current >= static_cast<int>(m_lines.size()))
        m_current = static_cast<int>(m_lines.size()) - 1;
    showCurrentLine();
    updateCommandStates();
}

void EpdDocument::undo() {
    auto entry = m_undo.pop();
    if (!entry) {
        updateCommandStates();
        return;
    }
    const std::size_t count = m_lines.size();
    if (entry->kind == UndoKind::Deleted) {
        // Put the line back where it was; the lines after it move down.
        const std::size_t index =
            entry->index < 0 ? 0 : std::min(static_cast<std::size_t>(entry->index), count);
        if (m_observer) m_observer->beginInsertLines(index, 1);
        m_lines.insert(index, entry->text);
        if (m_observer) m_observer->endInsertLines();
    } else if (entry->index >= 0 && static_cast<std::size_t>(entry->index) < count) {
        const auto index = static_cast<std::size_t>(entry->index);
        m_lines.replace(index, entry->text);
        if (m_observer) m_observer->linesChanged(index, index);
    }
    // The field and diagram show the restored text at once, so that Edit and Copy work on the
    // line that is selected, not on the one shown before the undo.
    showCurrentLine();
    updateCommandStates();
}

void EpdDocument::normalize() {
    const std::size_t count = m_lines.size();
    if (count == 0) return;
    NoProgress silent;
    ProgressSink& progress = m_services.progress ? *m_services.progress : silent;
    progress.begin(text(DocText::NormalizeTitle), count);
    std::size_t firstChanged = count;
    std::size_t lastChanged = 0;
    for (std::size_t i = 0; i < count; ++i) {
        progress.advance(i + 1);
        if (auto repaired = normalizeLine(m_lines[i])) {
            m_lines.replace(i, *repaired);
            m_modified = true;
            firstChanged = std::min(firstChanged, i);
            lastChanged = i;
        }
    }
    progress.end();
    if (firstChanged < count && m_observer) m_observer->linesChanged(firstChanged, lastChanged);
    showCurrentLine();
    updateCommandStates();
}

void EpdDocument::gotoLine() {
    const auto answer =
        m_services.prompts->inputBox(text(DocText::GotoTitle), text(DocText::GotoPrompt),
                                     std::to_string(m_display.selectedRow + 1));
    if (!answer) return;
    const long wanted = parseIntegerOrZero(*answer);
    if (wanted >= 1 && wanted <= static_cast<long>(m_lines.size()) &&
        wanted != m_display.selectedRow + 1) {
        m_current = static_cast<int>(wanted - 1);
        showCurrentLine();
        updateCommandStates();
    }
}

void EpdDocument::paste() {
    ClipboardAccess& clipboard = *m_services.clipboard;
    if (!clipboard.hasText()) {
        tell(EnglishText::NoTextInClipboard, Icon::Error);
        return;
    }
    const std::string content = clipboard.text();
    if (content.empty()) {
        tell(EnglishText::ClipboardEmpty, Icon::Error);
        return;
    }
    if (containsPgnTags(content)) {
        tell(EnglishText::PgnInClipboard, Icon::Error);
        return;
    }
    const std::string path =
        (m_services.tempFolder.empty() ? std::string(".") : m_services.tempFolder) + "/" +
        kClipboardFile;
    std::size_t found = 0;
    {
        std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
        if (!file) {
            tell(cannotWriteMessage(path, std::strerror(errno), m_language), Icon::Error);
            return;
        }
        bool ok = true;
        found = scanEpdLines(content, [&](std::string_view line) {
            ok = ok && std::fwrite(line.data(), 1, line.size(), file.get()) == line.size() &&
                 std::fwrite("\r\n", 1, 2, file.get()) == 2;
        });
        if (!ok || std::fflush(file.get()) != 0) {
            const int error = errno;
            file.reset();
            std::remove(path.c_str());
            tell(cannotWriteMessage(path, std::strerror(error), m_language), Icon::Error);
            return;
        }
    }
    if (found == 0) {
        tell(EnglishText::NoEpdLinesInClipboard, Icon::Error);
    } else {
        if (!m_open) newFile();
        if (m_open) appendFile(path);
    }
    std::remove(path.c_str());
}

void EpdDocument::copyEpdString() {
    m_services.clipboard->setText(m_display.lineField);
    if (m_open) focusList();
}

void EpdDocument::moveCurrentTo(int index) {
    m_current = index;
    showCurrentLine();
    updateCommandStates();
}

void EpdDocument::previous() {
    moveCurrentTo(m_current > 0 ? m_current - 1 : m_current);
}

void EpdDocument::next() {
    const int last = static_cast<int>(m_lines.size()) - 1;
    moveCurrentTo(m_current < last ? m_current + 1 : m_current);
}

void EpdDocument::selectRow(int row) {
    moveCurrentTo(row < 0 ? -1 : row);
}

void EpdDocument::selectRowByKey(int row) {
    const int last = static_cast<int>(m_lines.size()) - 1;
    moveCurrentTo(row > last ? last : row);
}

void EpdDocument::appendLineAsCurrent(std::string_view lineText) {
    const std::size_t index = m_lines.size();
    if (m_observer) m_observer->beginInsertLines(index, 1);
    m_lines.pushBack(lineText);
    if (m_observer) m_observer->endInsertLines();
    m_current = static_cast<int>(index);
}

void EpdDocument::addLineAtEnd(std::string_view lineText) {
    if (!m_open) newFile();
    if (!m_open) return;
    appendLineAsCurrent(lineText);
    m_modified = true;
    showCurrentLine();
    updateCommandStates();
}

void EpdDocument::replaceCurrentLine(std::string_view lineText) {
    const int count = static_cast<int>(m_lines.size());
    if (m_current < 0 || m_current >= count) return;
    const auto index = static_cast<std::size_t>(m_current);
    if (!m_undo.push(m_current, std::string(m_lines[index]), UndoKind::Replaced))
        tell(EnglishText::CantSaveOldLine, Icon::Warning);
    m_lines.replace(index, lineText);
    if (m_observer) m_observer->linesChanged(index, index);
    m_modified = true;
    showCurrentLine();
    updateCommandStates();
}
