#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "pgn_game_list.h"
#include "prompts.h"
#include "services.h"

// The game selection of the PGN import: which file the list shows and which game was chosen.
// It lives as long as the program, so a second import shows the same list at once.
class PgnSelection {
public:
    PgnSelection(Prompts& prompts, std::function<bool()> german);

    // Called whenever the list changed as a whole, and around reading a file (busy cursor).
    std::function<void()> listChanged;
    std::function<void(bool)> busy;

    // In: the folder to start the file dialog in. Out (after OK): the chosen file and folder.
    std::string requestedFile;
    std::string requestedFolder;

    // The dialog is being shown. False when it closes at once (the file dialog was cancelled).
    bool show();
    // "Change PGN file": the file dialog, then the list of the chosen file; false when the
    // file dialog was cancelled.
    bool changeFile();
    // Reads the game list of a file; a file that cannot be read gives a message and an empty
    // list.
    void readHeaders(const std::string& path);
    // A click or key in the list moved the selection to `row` (0-based, -1 for none).
    void selectRow(int row);
    // OK with the row selected: true when the dialog closes with a game chosen. A game that the
    // converter cannot find (its header has no Result tag) is refused with a message.
    bool accept(int row);
    void cancel();

    const PgnGameList& games() const { return m_games; }
    const std::string& currentFile() const { return m_currentFile; }
    const std::string& currentFolder() const { return m_currentFolder; }
    // 1-based number of the chosen game, -1 for none, and the converter's number for it.
    int selectedGame() const { return m_selectedGame; }
    std::int32_t converterGame() const { return m_converterGame; }
    const std::string& label() const { return m_label; }
    // The row selected after a reading or showing (0 when the list is not empty, else -1).
    int firstRow() const { return m_games.empty() ? -1 : 0; }
    // The dialog's caption in the interface language.
    std::string caption() const;
    bool german() const { return m_german && m_german(); }

private:
    bool chooseFile();
    void showFirst();

    Prompts& m_prompts;
    std::function<bool()> m_german;
    std::string m_currentFile;
    std::string m_currentFolder;
    int m_selectedGame = -1;
    std::int32_t m_converterGame = 0;
    PgnGameList m_games;
    std::string m_label = "0/0";
};

// What an import needs from the program around it.
struct ImportEnvironment {
    Prompts* prompts = nullptr;
    SettingsStore* settings = nullptr;
    std::string programFolder;
    std::string addOnFolder;
    std::string tempFolder;
    bool analysisDebug = false;
    std::function<bool()> german;
    // "New EPD" with its save question; false when the user kept the old document.
    std::function<bool()> newDocument;
    // Appends an EPD file to the document.
    std::function<void(const std::string& path)> appendFile;
    // Shows a text above the EPD list in place of the current line; "" restores it.
    std::function<void(const std::string& text)> showInLineField;
    // The log viewer, shown modally.
    std::function<void(const std::string& caption, const std::vector<std::string>& lines)> showLog;
    // Called every few milliseconds while a converter runs (the window repaints), and around
    // the wait (busy cursor on and off).
    std::function<void()> idle;
    std::function<void(bool)> busy;
    // The PGN converter's wait period before the question; the QBX converter's three waits.
    int pgnWaitPeriodMs = 300000;
    std::vector<int> qbxWaitsMs = {2000, 1000, 3000};
};

// How a converter is started: the program, its arguments, and the command line as text (for
// the debug message), all relative to the temporary folder as the converter's working folder.
struct ConverterCall {
    std::string program;
    std::vector<std::string> arguments;
    std::string commandLine;
    std::string outputName;
    std::string listFile;  // "" when the path goes on the command line
};
ConverterCall pgnConverterCall(const ImportEnvironment& environment, const std::string& converter,
                               std::int32_t game, const std::string& pgnPath);
ConverterCall qbxConverterCall(const ImportEnvironment& environment, const std::string& converter,
                               const std::string& qbxPath);

// A PGN file as the converter can read it. The converter takes lines of up to 1023 bytes and no
// byte-order mark; files of today's game servers keep a game's moves on one line of thousands.
// When the file has a byte-order mark or longer lines, a copy without the mark and with those
// lines wrapped at blanks is written to `copyPath` (never so that a new line begins with "[",
// "%" or ";", so the converter finds the games the game list numbers); `written` says so.
struct PgnCopy {
    bool written = false;
    std::string path;
    std::string error;  // why the copy could not be written
};
PgnCopy copyForConverter(const std::string& path, const std::string& copyPath);

// File menu "Import" - "PGN": one game of a PGN file becomes a new document. `runDialog` shows
// the game selection dialog, which works on `selection`.
void importPgnGame(ImportEnvironment& environment, const std::string& converter,
                   PgnSelection& selection, const std::function<bool()>& runDialog);

// File menu "Import" - "QBX": one QBX game file becomes a new document. The folder comes from
// the program's own folder dialog; `selectFile` is the QBX game selection for a folder,
// returning the chosen file's path or "".
void importQbxGame(ImportEnvironment& environment, const std::string& converter,
                   const std::function<std::string(const std::string& folder)>& selectFile);
