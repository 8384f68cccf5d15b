#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "chess_position.h"
#include "document_texts.h"
#include "line_store.h"
#include "prompts.h"
#include "services.h"
#include "text_file.h"
#include "undo_ring.h"

inline constexpr const char* kNoName = "NONAME";

// Which commands of the main window are enabled.
struct CommandStates {
    bool close = false;
    bool append = false;
    bool newLine = false;
    bool editLine = false;
    bool save = false;
    bool saveAs = false;
    bool importMenu = false;
    bool exportMenu = false;
    bool normalize = false;
    bool gotoLine = false;
    bool saveOptions = false;
    bool copyRtf = false;
    bool undo = false;
    bool deleteLine = false;
    bool previous = false;
    bool next = false;
    bool analyse = false;
    bool analyseFile = false;

    bool operator==(const CommandStates&) const = default;
};

// Conditions owned by other parts of the program that enable some of the commands.
struct CommandConditions {
    bool qbxImport = false;
    bool pgnImport = false;
    bool settingsChanged = false;
    bool chessFontReady = false;
    bool engineSelected = false;
    bool libraryEngineReady = false;
};

// What the main window shows of the document besides the line list.
struct DocumentDisplay {
    std::string lineField;  // the read-only current-line field
    std::string indexLabel = "0/0";
    int selectedRow = -1;
    TChessPosition diagram;
    std::string title = kCaption;
    CommandStates commands;
};

// Told about every change so that a view can follow; the begin/end pairs bracket the change.
class DocumentObserver {
public:
    virtual ~DocumentObserver() = default;
    virtual void beginResetLines() {}
    virtual void endResetLines() {}
    virtual void beginInsertLines(std::size_t /*first*/, std::size_t /*count*/) {}
    virtual void endInsertLines() {}
    virtual void beginRemoveLines(std::size_t /*first*/, std::size_t /*count*/) {}
    virtual void endRemoveLines() {}
    virtual void linesChanged(std::size_t /*first*/, std::size_t /*last*/) {}
    virtual void displayChanged() {}
    virtual void focusLineList() {}
};

struct DocumentServices {
    Prompts* prompts = nullptr;
    ClipboardAccess* clipboard = nullptr;
    SettingsStore* settings = nullptr;
    ProgressSink* progress = nullptr;
    std::string tempFolder;  // where "CLIPBOARD.EPD" is written
    LineEditor* lineEditor = nullptr;
};

// How a save ended.
enum class SaveOutcome { Saved, NothingToSave, Cancelled, Failed };

// The open EPD file of the main window: its lines, the current line, the undo ring, and every
// command that edits it. Commands ask and tell through the Prompts interface and never touch a
// widget; the window follows through the observer and display().
class EpdDocument {
public:
    EpdDocument(DocumentServices services, int undoBufferSize = 100);

    void setObserver(DocumentObserver* observer) { m_observer = observer; }
    void setLanguage(Language language) { m_language = language; }
    Language language() const { return m_language; }
    void setConditions(const CommandConditions& conditions);
    // A file to open without a dialog at the next Open (command line, dropped file).
    void setWaitingFileName(std::string path) { m_waitingFile = std::move(path); }
    const std::string& waitingFileName() const { return m_waitingFile; }

    bool isOpen() const { return m_open; }
    std::size_t lineCount() const { return m_lines.size(); }
    std::string_view line(std::size_t index) const { return m_lines[index]; }
    int currentIndex() const { return m_current; }
    const std::string& directory() const { return m_directory; }
    const std::string& name() const { return m_name; }
    bool isModified() const { return m_modified; }
    bool undoAvailable() const { return !m_undo.empty(); }
    bool atFirst() const { return m_current <= 0; }
    bool atLast() const { return m_current + 1 >= static_cast<int>(m_lines.size()); }
    const DocumentDisplay& display() const { return m_display; }
    const UndoRing& undoRing() const { return m_undo; }
    // The line ends a save writes: those of the file that was opened, CR LF for a new document.
    const LineEnding& lineEnding() const { return m_ending; }

    // Commands of the main window. New file is false when the user kept the old document.
    bool newFile();
    void open();
    void close() { closeWithPrompt(); }
    void append();
    SaveOutcome save();
    SaveOutcome saveAs();
    void newLine();
    void editLine();
    void deleteLine();
    void undo();
    void normalize();
    void gotoLine();
    void paste();
    void copyEpdString();
    void previous();
    void next();
    // A click in the line list: its selection (-1 for none) becomes the current line.
    void selectRow(int row);
    // A key released in the line list: the selection, clamped to the last line.
    void selectRowByKey(int row);

    // Operations other parts of the program use.
    void showCurrentLine();
    void updateCommandStates();
    void addLineAtEnd(std::string_view text);
    // Replaces the current line (undoably), as the analysis does with a new pv operation.
    void replaceCurrentLine(std::string_view text);
    void appendFile(const std::string& path);
    // Closes the document with its save prompt and loads the file, if it exists.
    void openFileIfExists(const std::string& path);
    // False when the user wanted the changes saved and they were not (the dialog was cancelled
    // or writing failed): the document then stays open.
    bool closeWithPrompt();

private:
    const std::string& text(DocText id) const { return docText(id, m_language); }
    void tell(const std::string& message, Icon icon);
    void loadFile(const std::string& path);
    void startNewDocument();
    void resetToNoDocument();
    SaveOutcome saveThroughDialog();
    SaveOutcome writeTo(const std::string& path);
    void moveCurrentTo(int index);
    void rememberFolder();
    void appendLineAsCurrent(std::string_view text);
    void notifyDisplay();
    void focusList();

    DocumentServices m_services;
    DocumentObserver* m_observer = nullptr;
    Language m_language = Language::English;
    CommandConditions m_conditions;

    bool m_open = false;
    LineStore m_lines;
    int m_current = -1;
    std::string m_directory;
    std::string m_name;
    bool m_modified = false;
    LineEnding m_ending;
    // The file whose short non-empty lines the open document does not hold, and their number:
    // saving over it asks first.
    std::string m_skippedFile;
    std::size_t m_skippedLines = 0;
    std::string m_waitingFile;
    UndoRing m_undo;
    DocumentDisplay m_display;
};

// Reads an integer as the Goto box does: decimal or "$"/"0x" hexadecimal, surrounding blanks
// allowed; 0 when the text is not a number that fits.
long parseIntegerOrZero(std::string_view text);
