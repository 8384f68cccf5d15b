#include "epd_document.h"

#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "scripted_prompts.h"
#include "temp_folder.h"

namespace {

using Kind = Interaction::Kind;
using Lines = std::vector<std::string>;

const std::string kLine1 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 bm e5;";
const std::string kLine2 = "4k3/8/8/8/8/8/8/4K3 w - - id \"kings\";";
const std::string kLine3 = "8/8/8/8/8/8/8/8 w - - c0 \"empty\";";
const std::string kBadPlacement = "8/8/8/8/8/8/8/7 w - - id \"short\";";

// Mirrors the line list the way a view would, and checks that every change is announced in
// matching begin/end pairs with the right counts.
class MirrorObserver : public DocumentObserver {
public:
    explicit MirrorObserver(const EpdDocument& document) : m_document(document) {}
    std::size_t rows = 0;
    int displayUpdates = 0;
    int focusRequests = 0;
    std::vector<std::string> faults;

    void beginResetLines() override { begin("reset"); }
    void endResetLines() override {
        end("reset");
        rows = m_document.lineCount();
    }
    void beginInsertLines(std::size_t first, std::size_t count) override {
        begin("insert");
        if (first > rows) faults.push_back("insert past the end");
        m_pending = count;
    }
    void endInsertLines() override {
        end("insert");
        rows += m_pending;
        check();
    }
    void beginRemoveLines(std::size_t first, std::size_t count) override {
        begin("remove");
        if (first + count > rows) faults.push_back("remove past the end");
        m_pending = count;
    }
    void endRemoveLines() override {
        end("remove");
        rows -= m_pending;
        check();
    }
    void linesChanged(std::size_t first, std::size_t last) override {
        if (first > last || last >= rows) faults.push_back("bad changed range");
    }
    void displayChanged() override { ++displayUpdates; }
    void focusLineList() override { ++focusRequests; }

private:
    void begin(const char* what) {
        if (!m_open.empty()) faults.push_back(std::string("nested ") + what);
        m_open = what;
    }
    void end(const char* what) {
        if (m_open != what) faults.push_back(std::string("unmatched end of ") + what);
        m_open.clear();
    }
    void check() {
        if (rows != m_document.lineCount()) faults.push_back("row count out of step");
    }
    const EpdDocument& m_document;
    std::string m_open;
    std::size_t m_pending = 0;
};

class Document : public testing::Test {
protected:
    explicit Document(int undoSize = 100)
        : document(DocumentServices{&prompts, &clipboard, &settings, &progress, folder.root()},
                   undoSize),
          mirror(document) {
        document.setObserver(&mirror);
    }

    void TearDown() override {
        EXPECT_TRUE(prompts.unexpected().empty())
            << "unexpected question: " << prompts.unexpected().front();
        EXPECT_EQ(prompts.pendingAnswers(), 0u) << "scripted answers were not used";
        EXPECT_TRUE(mirror.faults.empty()) << mirror.faults.front();
        EXPECT_EQ(mirror.rows, document.lineCount());
    }

    std::string writeFile(const std::string& name, const Lines& lines,
                          const std::string& end = "\r\n") {
        std::string bytes;
        for (const auto& line : lines)
            bytes += line + end;
        folder.write(name, bytes);
        return folder.path(name);
    }

    // Opens a file the way the command line does, without a dialog; messages stay recorded.
    void openFile(const std::string& path) {
        document.setWaitingFileName(path);
        document.open();
    }

    Lines documentLines() const {
        Lines lines;
        for (std::size_t i = 0; i < document.lineCount(); ++i)
            lines.emplace_back(document.line(i));
        return lines;
    }

    const Interaction& lastShown() const { return prompts.shown().back(); }
    const CommandStates& states() const { return document.display().commands; }

    TempFolder folder;
    ScriptedPrompts prompts;
    MemoryClipboard clipboard;
    MemorySettings settings;
    RecordingProgress progress;
    EpdDocument document;
    MirrorObserver mirror;
};

// A settings file that refuses every write, as a read-only or full disk would.
class RefusingSettings : public MemorySettings {
public:
    void writeString(const std::string&, const std::string&, const std::string&) override {
        throw std::runtime_error("Can't write Brisvane.ini");
    }
};

TEST_F(Document, StartsWithoutDocumentShowingTheInitialPosition) {
    const auto& display = document.display();
    EXPECT_FALSE(document.isOpen());
    EXPECT_EQ(display.title, "Brisvane");
    EXPECT_EQ(display.indexLabel, "0/0");
    EXPECT_EQ(display.lineField, "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    EXPECT_EQ(display.diagram, TChessPosition());
    EXPECT_EQ(states(), CommandStates{});
}

TEST_F(Document, OpenAsksWithTheRememberedFolderAndShowsTheFirstLine) {
    settings.writeString("History", "LastEPDdirectory", "/some/where/");
    const auto path = writeFile("suite.epd", {kLine1, "too short", kLine2});
    prompts.file(path);
    document.open();

    ASSERT_EQ(prompts.shown().size(), 2u);
    const auto& dialog = prompts.shown()[0];
    EXPECT_EQ(dialog.kind, Kind::OpenFile);
    EXPECT_EQ(dialog.request.title, "Brisvane: Open EPD file");
    EXPECT_EQ(dialog.request.filter, "EPD Files(*.EPD)|*.EPD");
    EXPECT_EQ(dialog.request.filterIndex, 1);
    EXPECT_EQ(dialog.request.initialDir, "/some/where/");
    EXPECT_EQ(dialog.request.fileName, "");

    EXPECT_TRUE(document.isOpen());
    EXPECT_EQ(documentLines(), (Lines{kLine1, kLine2}));
    EXPECT_EQ(document.currentIndex(), 0);
    EXPECT_EQ(document.directory(), folder.root());
    EXPECT_EQ(document.name(), "suite.epd");
    const auto& display = document.display();
    EXPECT_EQ(display.title, "Brisvane: suite.epd");
    EXPECT_EQ(display.indexLabel, "1/2");
    EXPECT_EQ(display.selectedRow, 0);
    EXPECT_EQ(display.lineField, kLine1);
    EXPECT_EQ(display.diagram.PieceOnSquare(34), Piece::WhitePawn);
    EXPECT_EQ(display.diagram.PieceOnSquare(14), Piece::Empty);
    EXPECT_EQ(settings.readString("History", "LastEPDdirectory", ""), folder.root() + "/");
    EXPECT_EQ(mirror.focusRequests, 1);
    // The line too short to be an EPD line is not dropped without a word.
    EXPECT_EQ(prompts.shown()[1].text,
              "1 line(s) of 14 characters or fewer are not EPD lines and were not loaded (the "
              "first is line 2)");
    EXPECT_EQ(prompts.shown()[1].icon, Icon::Information);
}

TEST_F(Document, GermanOpenDialogAndMessages) {
    document.setLanguage(Language::German);
    prompts.cancel();
    document.open();
    EXPECT_EQ(lastShown().request.title, "Brisvane: Öffne EPD Datei");
    EXPECT_EQ(lastShown().request.filter, "EPD Dateien(*.EPD)|*.EPD");
    openFile(writeFile("empty.epd", {"short"}));
    EXPECT_EQ(prompts.messages(), Lines{"Die EPD Datei ist leer"});
}

TEST_F(Document, GermanTextsOfTheOtherCommands) {
    document.setLanguage(Language::German);
    document.append();
    openFile(writeFile("long.epd", {std::string(4097, 'p')}));
    EXPECT_EQ(prompts.messages(), (Lines{"Keine EPD Datei geöffnet", "EPD-Zeile(n) zu lang"}));

    prompts.forget();
    openFile(writeFile("a.epd", {kLine1, kLine2}));
    writeFile("b.epd", {kLine3});
    prompts.file(folder.path("b.epd")).no();
    document.saveAs();
    EXPECT_EQ(prompts.shown()[0].request.title, "Sichere EPD Datei");
    EXPECT_EQ(prompts.shown()[0].request.filter, "EPD Dateien (*.EPD)|*.EPD");
    EXPECT_EQ(prompts.shown()[1].text,
              "Datei " + folder.path("b.epd") + " existiert bereits, überschreiben ?");

    prompts.forget();
    document.normalize();
    EXPECT_EQ(progress.title, "Normalisiere EPD Datei");
    prompts.cancel();
    document.gotoLine();
    EXPECT_EQ(prompts.shown()[0].caption, "Brisvane: Gehe zu Stellung");
    EXPECT_EQ(prompts.shown()[0].text, "Nummer der Stellung:");

    prompts.forget();
    document.deleteLine();
    prompts.no();
    document.close();
    EXPECT_EQ(prompts.shown()[0].text, "EPD Datei wurde verändert - Datei sichern ?");
}

TEST_F(Document, CancelledOpenLeavesNoDocument) {
    prompts.cancel();
    document.open();
    EXPECT_FALSE(document.isOpen());
    EXPECT_TRUE(prompts.messages().empty());
}

TEST_F(Document, FileOfShortLinesIsEmptyAndFifteenCharactersIsALine) {
    openFile(writeFile("short.epd", {"12345678901234", "", "x"}));
    ASSERT_EQ(prompts.messages(), Lines{"The EPD file is empty"});
    EXPECT_EQ(prompts.shown().back().icon, Icon::Information);
    EXPECT_FALSE(document.isOpen());
    EXPECT_EQ(document.name(), "");

    prompts.forget();
    folder.write("zero.epd", "");
    openFile(folder.path("zero.epd"));
    EXPECT_EQ(prompts.messages(), Lines{"The EPD file is empty"});
    EXPECT_FALSE(document.isOpen());

    openFile(writeFile("fifteen.epd", {"123456789012345"}));
    EXPECT_TRUE(document.isOpen());
    EXPECT_EQ(document.lineCount(), 1u);
}

TEST_F(Document, LineOf4097CharactersStopsTheWholeLoad) {
    openFile(writeFile("ok.epd", {kLine1, kLine1 + std::string(4096 - kLine1.size(), ' ')}));
    EXPECT_EQ(document.lineCount(), 2u);

    openFile(writeFile("long.epd", {kLine1, std::string(4097, 'p'), kLine2}));
    EXPECT_EQ(prompts.messages(), Lines{"EPD line(s) too long"});
    EXPECT_EQ(lastShown().icon, Icon::Error);
    EXPECT_FALSE(document.isOpen());
    EXPECT_EQ(document.lineCount(), 0u);
    EXPECT_EQ(document.name(), "");
    EXPECT_EQ(document.directory(), "");
    EXPECT_EQ(document.display().title, "Brisvane");
}

TEST_F(Document, UnreadableChoicesGiveAClearErrorAndNoDocument) {
    openFile(folder.root());
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0], "Can't read file " + folder.root() + ": Is a directory");
    EXPECT_FALSE(document.isOpen());

    // A file deleted between choosing and reading.
    prompts.forget();
    const auto path = writeFile("gone.epd", {kLine1});
    std::filesystem::remove(path);
    openFile(path);
    EXPECT_EQ(prompts.messages(), Lines{"Can't read file " + path + ": No such file or directory"});
    EXPECT_FALSE(document.isOpen());
}

TEST_F(Document, EveryLineKeepsItsBytesAndTheFileItsFirstLineEnd) {
    const std::string latin1 =
        "8/8/8/8/8/8/8/8 w - - c0 \"Gr\xFC\xDF"
        "e\";";
    const std::string withNul = std::string("8/8/8/8/8/8/8/8 w - - c1 \"\0\";", 29);
    const std::string tab = "8/8/8/8/8/8/8/8\tw - - c2 \"tab\";  ";
    folder.write("mixed.epd", kLine1 + "\r" + latin1 + "\n" + withNul + "\r\n\r\n" + tab);
    openFile(folder.path("mixed.epd"));
    ASSERT_EQ(documentLines(), (Lines{kLine1, latin1, withNul, tab}));
    EXPECT_EQ(document.save(), SaveOutcome::Saved);
    // Mixed line ends become the first one; the last line stays without one.
    EXPECT_EQ(folder.read("mixed.epd"), kLine1 + "\r" + latin1 + "\r" + withNul + "\r" + tab);
}

TEST_F(Document, SaveOfNamedDocumentAsksNothingAndClearsModifiedAndUndo) {
    openFile(writeFile("a.epd", {kLine1, kLine2}));
    document.deleteLine();
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.display().title, "Brisvane: a.epd *");
    EXPECT_TRUE(states().undo);
    EXPECT_EQ(document.save(), SaveOutcome::Saved);
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_EQ(folder.read("a.epd"), kLine2 + "\r\n");
    EXPECT_FALSE(document.isModified());
    EXPECT_FALSE(document.undoAvailable());
    EXPECT_FALSE(states().undo);
    EXPECT_EQ(document.display().title, "Brisvane: a.epd");
}

TEST_F(Document, SavingNonameGoesThroughTheDialogWithDefaultExtension) {
    document.newFile();
    document.addLineAtEnd(kLine1);
    prompts.file(folder.path("fresh"));
    EXPECT_EQ(document.save(), SaveOutcome::Saved);
    const auto& dialog = prompts.shown().at(0);
    EXPECT_EQ(dialog.kind, Kind::SaveFile);
    EXPECT_EQ(dialog.request.title, "Save new EPD file");
    EXPECT_EQ(dialog.request.filter, "EPD files (*.EPD)|*.EPD");
    EXPECT_EQ(dialog.request.defaultExtension, "EPD");
    EXPECT_EQ(dialog.request.fileName, "");
    EXPECT_EQ(folder.read("fresh.EPD"), kLine1 + "\r\n");
    EXPECT_EQ(document.name(), "fresh.EPD");
    EXPECT_EQ(settings.readString("History", "LastEPDdirectory", ""), folder.root() + "/");
}

TEST_F(Document, SaveAsAsksBeforeOverwriting) {
    openFile(writeFile("a.epd", {kLine1}));
    writeFile("b.epd", {kLine2});
    prompts.file(folder.path("b.epd")).no();
    EXPECT_EQ(document.saveAs(), SaveOutcome::Cancelled);
    EXPECT_EQ(prompts.shown()[0].request.title, "Save EPD file");
    EXPECT_EQ(prompts.shown()[0].request.fileName, "a.epd");
    EXPECT_EQ(prompts.shown()[0].request.initialDir, folder.root());
    EXPECT_EQ(prompts.shown()[1].kind, Kind::YesNo);
    EXPECT_EQ(prompts.shown()[1].text,
              "File " + folder.path("b.epd") + " already exists, overwrite ?");
    EXPECT_EQ(prompts.shown()[1].icon, Icon::Question);
    EXPECT_EQ(folder.read("b.epd"), kLine2 + "\r\n");

    prompts.file(folder.path("b.epd")).yes();
    EXPECT_EQ(document.saveAs(), SaveOutcome::Saved);
    EXPECT_EQ(folder.read("b.epd"), kLine1 + "\r\n");
    EXPECT_EQ(document.name(), "b.epd");
}

TEST_F(Document, FailedSaveKeepsTheDocumentModified) {
    TempFolder other;
    const std::string path = other.path("x.epd");
    openFile(writeFile("a.epd", {kLine1, kLine2}));
    document.deleteLine();
    prompts.file(other.root() + "/missing/x.epd");
    EXPECT_EQ(document.saveAs(), SaveOutcome::Failed);
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0],
              "Can't write file " + other.root() + "/missing/x.epd: No such file or directory");
    EXPECT_EQ(lastShown().icon, Icon::Error);
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.name(), "a.epd");
    EXPECT_TRUE(document.undoAvailable());
}

TEST_F(Document, SaveRefusesAReadOnlyFile) {
    const std::string locked = writeFile("locked.epd", {kLine1, kLine2});
    std::filesystem::permissions(locked, std::filesystem::perms(0444));
    openFile(locked);
    document.deleteLine();
    EXPECT_EQ(document.save(), SaveOutcome::Failed);
    EXPECT_EQ(prompts.messages().back(), "Can't write file " + locked + ": the file is read-only");
    EXPECT_EQ(folder.read("locked.epd"), kLine1 + "\r\n" + kLine2 + "\r\n");
    EXPECT_TRUE(document.isModified());
}

TEST_F(Document, NothingToSaveWithoutLines) {
    EXPECT_EQ(document.save(), SaveOutcome::NothingToSave);
    document.newFile();
    EXPECT_EQ(document.save(), SaveOutcome::NothingToSave);
    EXPECT_FALSE(states().save);
    EXPECT_FALSE(states().saveAs);
}

TEST_F(Document, CloseAsksForChangedNamedAndNewDocuments) {
    openFile(writeFile("a.epd", {kLine1, kLine2}));
    document.deleteLine();
    prompts.no();
    EXPECT_TRUE(document.closeWithPrompt());
    EXPECT_EQ(prompts.shown()[0].text, "EPD file changed - save file ?");
    EXPECT_EQ(prompts.shown()[0].caption, "Brisvane");
    EXPECT_EQ(prompts.shown()[0].icon, Icon::Question);
    EXPECT_FALSE(document.isOpen());
    EXPECT_EQ(folder.read("a.epd"), kLine1 + "\r\n" + kLine2 + "\r\n");  // not saved

    prompts.forget();
    document.addLineAtEnd(kLine3);
    document.setLanguage(Language::German);
    prompts.no();
    document.close();
    EXPECT_EQ(prompts.shown()[0].text, "Sichere neue EPD Datei ?");
}

TEST_F(Document, CloseWithYesSavesThroughTheDialog) {
    openFile(writeFile("a.epd", {kLine1, kLine2}));
    document.deleteLine();
    prompts.yes().file(folder.path("a.epd")).yes();
    EXPECT_TRUE(document.closeWithPrompt());
    EXPECT_EQ(prompts.shown()[1].request.title, "Save EPD file");
    EXPECT_EQ(folder.read("a.epd"), kLine2 + "\r\n");
    EXPECT_FALSE(document.isOpen());
    EXPECT_EQ(document.display().title, "Brisvane");
    EXPECT_EQ(document.display().indexLabel, "0/0");
}

TEST_F(Document, CloseKeepsTheDocumentWhenTheWantedSaveDidNotHappen) {
    openFile(writeFile("a.epd", {kLine1, kLine2}));
    document.deleteLine();
    prompts.yes().cancel();
    EXPECT_FALSE(document.closeWithPrompt());
    EXPECT_TRUE(document.isOpen());
    EXPECT_EQ(document.lineCount(), 1u);

    // Open, New file and the close that they start stop there too.
    prompts.yes().cancel();
    document.newFile();
    EXPECT_EQ(document.name(), "a.epd");
    prompts.yes().file(folder.path("no/dir.epd"));
    document.open();
    EXPECT_EQ(document.name(), "a.epd");
    EXPECT_TRUE(document.isModified());
}

TEST_F(Document, CancelOrEscapeAtTheSaveQuestionStopsTheCommand) {
    openFile(writeFile("a.epd", {kLine1, kLine2}));
    document.deleteLine();
    const std::vector<std::function<void()>> commands = {
        [this] { document.close(); }, [this] { EXPECT_FALSE(document.newFile()); },
        [this] { document.open(); }};
    for (const auto& command : commands) {
        prompts.cancel();
        command();
        EXPECT_EQ(lastShown().kind, Kind::YesNoCancel);
        EXPECT_EQ(lastShown().text, "EPD file changed - save file ?");
        EXPECT_EQ(document.name(), "a.epd");
        EXPECT_EQ(documentLines(), Lines{kLine2});
        EXPECT_TRUE(document.isModified());
    }
    EXPECT_EQ(prompts.shown().size(), 3u);  // no dialog after any of them
    EXPECT_EQ(folder.read("a.epd"), kLine1 + "\r\n" + kLine2 + "\r\n");
}

// A file opened and saved untouched is the same file, whatever its line ends, NULs and blank
// lines at the end: every published suite as it is, and WAC with CR LF and without a final line
// end.
TEST_F(Document, AnUntouchedSuiteSavesByteForByte) {
    const std::string dir = std::string(BRISVANE_TESTDATA_DIR) + "/epd/";
    std::vector<std::string> files;
    for (const char* name :
         {"wac.epd", "bratko-kopec.epd", "kaufman.epd", "perftsuite.epd", "sts-undermine.epd"}) {
        std::ifstream in(dir + name, std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        ASSERT_GT(files.back().size(), 1000u) << name;
    }
    std::string crlf;
    for (const char c : files[0])
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    files.push_back(crlf);
    files.push_back(files[0].substr(0, files[0].find_last_not_of('\n') + 1));
    for (const std::string& bytes : files) {
        folder.write("suite.epd", bytes);
        openFile(folder.path("suite.epd"));
        ASSERT_TRUE(document.isOpen());
        ASSERT_EQ(document.save(), SaveOutcome::Saved);
        EXPECT_TRUE(folder.read("suite.epd") == bytes) << "changed: " << bytes.substr(0, 60);
    }
    EXPECT_TRUE(prompts.shown().empty());
    // A line added to a file without a final line end gets the file's line end before it.
    document.addLineAtEnd(kLine3);
    document.save();
    EXPECT_EQ(folder.read("suite.epd"), files.back() + "\n" + kLine3);
    // A new document gets CR LF.
    document.newFile();
    document.addLineAtEnd(kLine1);
    document.addLineAtEnd(kLine2);
    prompts.file(folder.path("new.epd"));
    document.save();
    EXPECT_EQ(folder.read("new.epd"), kLine1 + "\r\n" + kLine2 + "\r\n");
}

TEST_F(Document, SavingOverAFileWithSkippedLinesAsksFirst) {
    const std::string original = kLine1 + "\r\n; comment\r\n\r\n" + kLine2 + "\r\n";
    folder.write("c.epd", original);
    openFile(folder.path("c.epd"));
    EXPECT_EQ(prompts.messages(),
              Lines{"1 line(s) of 14 characters or fewer are not EPD lines and were not loaded "
                    "(the first is line 2)"});
    document.deleteLine();
    const std::string question = "File " + folder.path("c.epd") +
                                 " holds 1 line(s) that are not EPD lines and were not loaded. "
                                 "Write the file without them ?";

    prompts.no();
    EXPECT_EQ(document.save(), SaveOutcome::Cancelled);
    EXPECT_EQ(lastShown().text, question);
    EXPECT_EQ(folder.read("c.epd"), original);
    EXPECT_TRUE(document.isOpen());
    EXPECT_TRUE(document.isModified());

    // Another file is written without asking; the question stays for the opened one.
    prompts.file(folder.path("other.epd"));
    EXPECT_EQ(document.saveAs(), SaveOutcome::Saved);
    document.addLineAtEnd(kLine3);
    prompts.file(folder.path("c.epd")).yes().yes();
    EXPECT_EQ(document.saveAs(), SaveOutcome::Saved);
    EXPECT_EQ(lastShown().text, question);
    EXPECT_EQ(folder.read("c.epd"), kLine2 + "\r\n" + kLine3 + "\r\n");
    // Once written without them, the file has nothing left to ask about.
    document.addLineAtEnd(kLine1);
    prompts.forget();
    EXPECT_EQ(document.save(), SaveOutcome::Saved);
    EXPECT_TRUE(prompts.shown().empty());

    prompts.forget();
    document.setLanguage(Language::German);
    folder.write("d.epd", kLine1 + "\nkurz\n");
    openFile(folder.path("d.epd"));
    EXPECT_EQ(prompts.messages().back(),
              "1 Zeile(n) mit 14 oder weniger Zeichen sind keine EPD-Zeilen und wurden nicht "
              "geladen (die erste ist Zeile 2)");
}

TEST_F(Document, ABinaryFileIsNotOpened) {
    std::string binary(4000, '\0');
    binary.replace(0, 4,
                   "\x7F"
                   "ELF");
    folder.write("program.epd", binary);
    openFile(folder.path("program.epd"));
    EXPECT_EQ(prompts.messages(),
              Lines{"File " + folder.path("program.epd") + " is not a text file"});
    EXPECT_EQ(lastShown().icon, Icon::Error);
    EXPECT_FALSE(document.isOpen());
}

TEST_F(Document, CloseOfAnEmptiedDocumentNeedsNoDialog) {
    openFile(writeFile("one.epd", {kLine1}));
    document.deleteLine();
    prompts.yes();  // nothing to save: no dialog follows, and the document closes
    EXPECT_TRUE(document.closeWithPrompt());
    EXPECT_FALSE(document.isOpen());
    EXPECT_EQ(folder.read("one.epd"), kLine1 + "\r\n");
}

TEST_F(Document, DefaultExtensionIsAddedBeforeTheOverwriteQuestion) {
    openFile(writeFile("a.epd", {kLine1}));
    writeFile("x.EPD", {kLine2});
    prompts.file(folder.path("x")).yes();
    EXPECT_EQ(document.saveAs(), SaveOutcome::Saved);
    EXPECT_EQ(prompts.shown()[1].text,
              "File " + folder.path("x.EPD") + " already exists, overwrite ?");
    EXPECT_EQ(folder.read("x.EPD"), kLine1 + "\r\n");
}

TEST_F(Document, ASettingsFileThatCannotBeWrittenDoesNotUndoASave) {
    RefusingSettings refusing;
    EpdDocument other(DocumentServices{&prompts, &clipboard, &refusing, &progress, folder.root()});
    other.setWaitingFileName(writeFile("a.epd", {kLine1, kLine2}));
    EXPECT_THROW(other.open(), std::runtime_error);
    EXPECT_TRUE(other.isOpen());
    other.deleteLine();
    EXPECT_THROW(other.save(), std::runtime_error);
    EXPECT_EQ(folder.read("a.epd"), kLine2 + "\r\n");
    EXPECT_FALSE(other.isModified());
    EXPECT_FALSE(other.undoAvailable());
    EXPECT_EQ(other.display().title, "Brisvane: a.epd");
}

TEST_F(Document, DeletingTheOnlyLineLeavesAnOpenEmptyDocument) {
    openFile(writeFile("one.epd", {kLine1}));
    document.deleteLine();
    EXPECT_TRUE(document.isOpen());
    EXPECT_EQ(document.lineCount(), 0u);
    EXPECT_EQ(document.currentIndex(), -1);
    EXPECT_EQ(document.display().indexLabel, "0/0");
    EXPECT_EQ(document.display().lineField, std::string(kInitialPositionLine));
    EXPECT_FALSE(states().save);
    EXPECT_FALSE(states().deleteLine);
    EXPECT_FALSE(states().normalize);
    EXPECT_TRUE(states().undo);
    EXPECT_TRUE(states().close);
}

TEST_F(Document, UndoPutsADeletedLineBackWhereItWas) {
    openFile(writeFile("five.epd",
                       {kLine1 + "0", kLine1 + "1", kLine1 + "2", kLine1 + "3", kLine1 + "4"}));
    document.next();
    document.next();
    document.next();  // line 3 (index 3)
    document.deleteLine();
    EXPECT_EQ(document.display().lineField, kLine1 + "4");
    document.undo();
    EXPECT_EQ(documentLines(),
              (Lines{kLine1 + "0", kLine1 + "1", kLine1 + "2", kLine1 + "3", kLine1 + "4"}));
    // The restored line is current and shown.
    EXPECT_EQ(document.currentIndex(), 3);
    EXPECT_EQ(document.display().lineField, kLine1 + "3");
    EXPECT_EQ(document.display().indexLabel, "4/5");
    EXPECT_FALSE(document.undoAvailable());
    EXPECT_FALSE(states().undo);
    EXPECT_TRUE(document.isModified());  // undo does not touch the modified flag
}

TEST_F(Document, UndoAtTheEndAndAboveTheCurrentLine) {
    openFile(writeFile("u.epd", {kLine1 + "0", kLine1 + "1", kLine1 + "2", kLine1 + "3"}));
    document.selectRow(3);
    document.deleteLine();  // the last line
    EXPECT_EQ(document.currentIndex(), 2);
    document.undo();
    EXPECT_EQ(documentLines().back(), kLine1 + "3");
    EXPECT_EQ(document.lineCount(), 4u);

    document.selectRow(1);
    document.deleteLine();
    document.next();  // current 2 shows the line that was 3
    EXPECT_EQ(document.display().lineField, kLine1 + "3");
    document.undo();  // line 1 comes back above the current line
    EXPECT_EQ(document.currentIndex(), 2);
    EXPECT_EQ(document.display().lineField, kLine1 + "2");
    EXPECT_EQ(document.display().indexLabel, "3/4");
}

TEST_F(Document, HundredAndOneDeletionsUndoTheLastHundredInReverse) {
    Lines lines;
    for (int i = 0; i < 150; ++i)
        lines.push_back(kLine2 + std::to_string(i));
    openFile(writeFile("many.epd", lines));
    for (int i = 0; i < 101; ++i)
        document.deleteLine();  // always line 0
    ASSERT_EQ(document.lineCount(), 49u);
    for (int i = 0; i < 100; ++i) {
        ASSERT_TRUE(states().undo) << i;
        document.undo();
    }
    EXPECT_FALSE(states().undo);
    Lines expected(lines.begin() + 1, lines.end());
    EXPECT_EQ(documentLines(), expected);  // line 0 was the 101st from last: lost
    document.undo();                       // nothing left: no change
    EXPECT_EQ(document.lineCount(), 149u);
}

class DocumentWithoutUndo : public Document {
protected:
    DocumentWithoutUndo() : Document(0) {}
};

TEST_F(DocumentWithoutUndo, DeleteWarnsAndDeletesAnyway) {
    openFile(writeFile("a.epd", {kLine1, kLine2}));
    document.deleteLine();
    EXPECT_EQ(prompts.messages(), Lines{"Can't save deleted line to undo buffer"});
    EXPECT_EQ(lastShown().icon, Icon::Warning);
    EXPECT_EQ(documentLines(), Lines{kLine2});
    EXPECT_FALSE(states().undo);
}

TEST_F(Document, NormalizeRepairsLinesWithTheProgressWindow) {
    openFile(writeFile("n.epd", {"rnbqkbnr/ppp/8/8/8/8/PPPPPPPP/RNBQKBNR w", kLine1,
                                 "8/8/8/8/8/8/8/8/pp w - - id \"nine\";"}));
    document.normalize();
    EXPECT_EQ(progress.title, "Normalize EPD file");
    EXPECT_EQ(progress.maximum, 3u);
    EXPECT_EQ(progress.positions, (std::vector<std::size_t>{1, 2, 3}));
    EXPECT_FALSE(progress.visible);
    EXPECT_EQ(documentLines(), (Lines{"rnbqkbnr/ppp5/8/8/8/8/PPPPPPPP/RNBQKBNR w", kLine1,
                                      "8/8/8/8/8/8/8/8 w - - id \"nine\";"}));
    EXPECT_TRUE(document.isModified());
    EXPECT_FALSE(document.undoAvailable());
    EXPECT_EQ(document.display().lineField, "rnbqkbnr/ppp5/8/8/8/8/PPPPPPPP/RNBQKBNR w");
}

TEST_F(Document, NormalizeOfNormalLinesChangesNothing) {
    openFile(writeFile("n.epd", {kLine1, kLine2}));
    document.normalize();
    EXPECT_FALSE(document.isModified());
}

TEST_F(Document, GotoAsksForANumberAndMovesThere) {
    openFile(writeFile("g.epd", {kLine1, kLine2, kLine3}));
    prompts.input(" 3 ");
    document.gotoLine();
    const auto& box = prompts.shown().at(0);
    EXPECT_EQ(box.kind, Kind::Input);
    EXPECT_EQ(box.caption, "Brisvane: Goto position");
    EXPECT_EQ(box.text, "Enter number of position:");
    EXPECT_EQ(box.defaultText, "1");
    EXPECT_EQ(document.currentIndex(), 2);
    EXPECT_EQ(document.display().indexLabel, "3/3");
    EXPECT_FALSE(states().next);

    for (const char* answer : {"0", "4", "-1", "abc", "2x", "99999999999999999999"}) {
        prompts.input(answer);
        document.gotoLine();
        EXPECT_EQ(document.currentIndex(), 2) << answer;
    }
    prompts.input("$2");
    document.gotoLine();
    EXPECT_EQ(document.currentIndex(), 1);
    prompts.cancel();
    document.gotoLine();
    EXPECT_EQ(document.currentIndex(), 1);
}

TEST_F(Document, GotoWithoutSelectionOffersZero) {
    openFile(writeFile("g.epd", {kLine1, kLine2}));
    document.selectRow(-1);
    prompts.input("2");
    document.gotoLine();
    EXPECT_EQ(prompts.shown().back().defaultText, "0");
    EXPECT_EQ(document.currentIndex(), 1);
}

TEST_F(Document, PreviousNextAndSelectionMoveTheCurrentLine) {
    openFile(writeFile("p.epd", {kLine1, kLine2, kLine3}));
    EXPECT_FALSE(states().previous);
    EXPECT_TRUE(states().next);
    document.previous();
    EXPECT_EQ(document.currentIndex(), 0);
    document.next();
    document.next();
    document.next();
    EXPECT_EQ(document.currentIndex(), 2);
    EXPECT_TRUE(states().previous);
    EXPECT_FALSE(states().next);
    document.selectRow(1);
    EXPECT_EQ(document.display().lineField, kLine2);
    document.selectRowByKey(7);
    EXPECT_EQ(document.currentIndex(), 2);
    document.selectRow(-1);
    EXPECT_EQ(document.currentIndex(), -1);
    EXPECT_EQ(document.display().indexLabel, "0/0");
    EXPECT_EQ(document.display().selectedRow, -1);
    EXPECT_FALSE(states().deleteLine);
    EXPECT_TRUE(states().next);
}

TEST_F(Document, UnreadablePlacementShowsTheSelectedLineOnAnEmptyBoard) {
    const std::string badKings = "K7/K7/8/8/8/8/8/7 w - - id \"two kings, short\";";
    openFile(writeFile("bad.epd", {kLine1, badKings, kLine2}));
    document.next();
    EXPECT_EQ(prompts.messages(), Lines{"Error in EPD description"});
    EXPECT_EQ(lastShown().icon, Icon::Error);
    // Neither the previous line's pieces nor the half-read board of this one stay in view.
    TChessPosition empty;
    clearSquares(empty);
    const auto& display = document.display();
    EXPECT_EQ(document.currentIndex(), 1);
    EXPECT_EQ(display.lineField, badKings);
    EXPECT_EQ(display.indexLabel, "2/3");
    EXPECT_EQ(display.selectedRow, 1);
    EXPECT_EQ(*display.diagram.GetBoard(), *empty.GetBoard());
    document.deleteLine();  // acts on the selected line
    EXPECT_EQ(documentLines(), (Lines{kLine1, kLine2}));

    // Appended lines: the counter names the first appended line even when it is unreadable.
    prompts.forget();
    document.setLanguage(Language::German);
    document.appendFile(writeFile("more.epd", {kBadPlacement}));
    EXPECT_EQ(prompts.messages(), Lines{"Fehler in EPD Beschreibung"});
    EXPECT_EQ(document.display().indexLabel, "3/3");
    EXPECT_EQ(document.display().lineField, kBadPlacement);
    clipboard.content = badKings + "\n";
    document.paste();
    EXPECT_EQ(document.display().indexLabel, "4/4");
    EXPECT_EQ(document.display().lineField, badKings);
}

TEST_F(Document, AppendAddsTheLinesOfAnotherFileWithoutALengthLimit) {
    prompts.forget();
    document.append();
    EXPECT_EQ(prompts.messages(), Lines{"No EPD file opened"});
    EXPECT_EQ(lastShown().icon, Icon::Information);

    openFile(writeFile("a.epd", {kLine1}));
    prompts.forget();
    const std::string longLine = kLine2 + std::string(5000, ' ') + "x;";
    prompts.file(writeFile("b.epd", {kLine3, "short", longLine}, "\n"));
    document.append();
    EXPECT_EQ(prompts.shown()[0].request.title, "Brisvane: Append EPD file");
    EXPECT_EQ(prompts.shown()[0].request.filter, "EPD Files(*.EPD)|*.EPD");
    EXPECT_EQ(prompts.shown()[0].request.initialDir, "");
    EXPECT_EQ(documentLines(), (Lines{kLine1, kLine3, longLine}));
    EXPECT_EQ(document.currentIndex(), 1);
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(prompts.messages(),
              Lines{"1 line(s) of 14 characters or fewer are not EPD lines and were not loaded "
                    "(the first is line 2)"});

    prompts.forget();
    document.setLanguage(Language::German);
    prompts.file(writeFile("c.epd", {"short"}));
    document.append();
    EXPECT_EQ(prompts.shown()[0].request.filter, "EPD Dateien (*.EPD)|*.EPD");
    EXPECT_EQ(prompts.messages(), Lines{"Die anzuhängende EPD Datei ist leer"});
    EXPECT_EQ(document.currentIndex(), 2);
}

TEST_F(Document, AppendOfAnUnreadableFileChangesNothing) {
    openFile(writeFile("a.epd", {kLine1}));
    document.appendFile(folder.path("missing.epd"));
    EXPECT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(document.lineCount(), 1u);
    EXPECT_FALSE(document.isModified());
}

TEST_F(Document, PasteReportsEachKindOfUnusableClipboard) {
    document.paste();
    clipboard.content = "";
    document.paste();
    clipboard.content = "[Event \"x\"]\n" + kLine1;
    document.paste();
    clipboard.content = "1. e4 e5 2. Nf3\nnothing here";
    document.paste();
    EXPECT_EQ(prompts.messages(),
              (Lines{"No text found in clipboard", "Clipboard is empty",
                     "PGN data found in clipboard", "No EPD lines found in Clipboard"}));
    for (const auto& shown : prompts.shown())
        EXPECT_EQ(shown.icon, Icon::Error);
    EXPECT_FALSE(document.isOpen());
    EXPECT_EQ(folder.entries(), Lines{});  // the scratch file is gone
}

TEST_F(Document, PasteStartsANewDocumentOrAppends) {
    clipboard.content = "1. e4 e5 2. Nf3\r\n" + kLine1 + "\r\n";
    document.paste();
    EXPECT_TRUE(document.isOpen());
    EXPECT_EQ(document.name(), "NONAME");
    EXPECT_EQ(documentLines(), Lines{kLine1});
    EXPECT_TRUE(document.isModified());
    EXPECT_EQ(document.display().title, "Brisvane: NONAME *");

    clipboard.content = kLine2 + "\n" + kLine3;
    document.paste();
    EXPECT_EQ(documentLines(), (Lines{kLine1, kLine2, kLine3}));
    EXPECT_EQ(document.currentIndex(), 1);
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_FALSE(folder.exists("CLIPBOARD.EPD"));
}

TEST_F(Document, PasteOfAHundredMegabytesFindsTheFewEpdLinesInIt) {
    std::string text;
    text.reserve(100u << 20);
    const std::string junk(99, '.');
    while (text.size() < (100u << 20))
        text += junk + "\n";
    text.insert(text.size() / 2, "\n" + kLine2 + "\n");
    text += kLine3;  // a last line without a line end
    clipboard.content = std::move(text);
    document.paste();
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_EQ(documentLines(), (Lines{kLine2, kLine3}));
    EXPECT_FALSE(folder.exists("CLIPBOARD.EPD"));
}

TEST_F(Document, PasteWithoutATemporaryFolderIsAnError) {
    EpdDocument other(
        DocumentServices{&prompts, &clipboard, &settings, &progress, folder.path("missing")});
    clipboard.content = kLine1;
    other.paste();
    ASSERT_EQ(prompts.messages().size(), 1u);
    EXPECT_EQ(prompts.messages()[0], "Can't write file " + folder.path("missing") +
                                         "/CLIPBOARD.EPD: No such file or directory");
    EXPECT_FALSE(other.isOpen());
}

TEST_F(Document, CopyEpdStringPutsTheFieldOnTheClipboard) {
    document.copyEpdString();
    EXPECT_EQ(clipboard.content, std::string(kInitialPositionLine));
    openFile(writeFile("a.epd", {kLine1, kLine2}));
    document.next();
    document.copyEpdString();
    EXPECT_EQ(clipboard.content, kLine2);
}

TEST_F(Document, AddLineAtEndStartsANewDocumentWhenNoneIsOpen) {
    document.addLineAtEnd(kLine2);
    EXPECT_TRUE(document.isOpen());
    EXPECT_EQ(document.name(), "NONAME");
    EXPECT_EQ(document.currentIndex(), 0);
    document.addLineAtEnd(kLine3);
    EXPECT_EQ(document.currentIndex(), 1);
    EXPECT_EQ(document.display().indexLabel, "2/2");
    EXPECT_TRUE(states().save);
}

TEST_F(Document, OpenFileIfExistsIgnoresAMissingFileAndUsesNoDialog) {
    openFile(writeFile("a.epd", {kLine1}));
    document.openFileIfExists(folder.path("missing.epd"));
    EXPECT_EQ(document.name(), "a.epd");
    document.openFileIfExists(writeFile("b.epd", {kLine2}));
    EXPECT_EQ(document.name(), "b.epd");
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(Document, WaitingFileIsOpenedWithoutADialogOnce) {
    document.setWaitingFileName(writeFile("w.epd", {kLine1}));
    document.open();
    EXPECT_EQ(document.name(), "w.epd");
    EXPECT_TRUE(prompts.shown().empty());
    EXPECT_TRUE(document.waitingFileName().empty());
}

TEST_F(Document, CommandStatesFollowTheDocument) {
    CommandConditions conditions;
    conditions.pgnImport = true;
    conditions.engineSelected = true;
    document.setConditions(conditions);
    EXPECT_TRUE(states().importMenu);
    EXPECT_TRUE(states().analyse);
    EXPECT_FALSE(states().analyseFile);

    document.newFile();
    EXPECT_TRUE(states().close && states().append && states().newLine && states().editLine);
    EXPECT_FALSE(states().save || states().exportMenu || states().gotoLine || states().deleteLine ||
                 states().previous || states().next);

    openFile(writeFile("a.epd", {kLine1, kLine2}));
    EXPECT_TRUE(states().save && states().saveAs && states().exportMenu && states().normalize &&
                states().gotoLine && states().deleteLine && states().next);
    EXPECT_FALSE(states().previous || states().undo);
    document.close();
    EXPECT_FALSE(states().close || states().append || states().save || states().next);
}

}  // namespace

namespace {

// Plays the board setup dialog: records the line it was opened with and hands back a scripted
// answer.
class ScriptedLineEditor : public LineEditor {
public:
    std::vector<std::string> openedWith;
    std::optional<std::string> answer;
    std::optional<std::string> editLine(const std::string& line) override {
        openedWith.push_back(line);
        return answer;
    }
};

class DocumentEditing : public Document {
protected:
    DocumentEditing() {
        // Rebuild the document with the scripted dialog.
        document.setObserver(nullptr);
    }
    EpdDocument& withEditor(int undoSize = 100) {
        edited = std::make_unique<EpdDocument>(
            DocumentServices{&prompts, &clipboard, &settings, &progress, folder.root(), &editor},
            undoSize);
        return *edited;
    }
    ScriptedLineEditor editor;
    std::unique_ptr<EpdDocument> edited;
};

TEST_F(DocumentEditing, NewLineIsAppendedAndBecomesCurrent) {
    auto& doc = withEditor();
    doc.setWaitingFileName(writeFile("a.epd", {kLine1}));
    doc.open();
    editor.answer = kLine2;
    doc.newLine();
    EXPECT_EQ(editor.openedWith, std::vector<std::string>{""});
    EXPECT_EQ(doc.lineCount(), 2u);
    EXPECT_EQ(doc.currentIndex(), 1);
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(doc.display().lineField, kLine2);
    editor.answer.reset();
    doc.newLine();  // cancelled
    EXPECT_EQ(doc.lineCount(), 2u);
}

TEST_F(DocumentEditing, EditSubstitutesWithUndoOrAppends) {
    auto& doc = withEditor();
    doc.setWaitingFileName(writeFile("a.epd", {kLine1, kLine2}));
    doc.open();
    editor.answer = kLine3;
    prompts.yes();
    doc.editLine();
    EXPECT_EQ(editor.openedWith.back(), kLine1);
    EXPECT_EQ(prompts.shown().back().text,
              "Substitute EPD line ? (Answer \"No\" to append the line)");
    EXPECT_EQ(prompts.shown().back().icon, Icon::Question);
    EXPECT_EQ(doc.line(0), kLine3);
    EXPECT_EQ(doc.display().lineField, kLine3);
    EXPECT_TRUE(doc.isModified());
    EXPECT_TRUE(doc.undoAvailable());
    doc.undo();
    EXPECT_EQ(doc.line(0), kLine1);
    EXPECT_EQ(doc.display().lineField, kLine1);

    prompts.no();
    doc.editLine();
    EXPECT_EQ(doc.lineCount(), 3u);
    EXPECT_EQ(doc.line(2), kLine3);
    EXPECT_EQ(doc.currentIndex(), 2);
}

TEST_F(DocumentEditing, EditWithoutLinesStartsFromTheInitialPositionAndAppends) {
    auto& doc = withEditor();
    doc.newFile();
    editor.answer = kLine2;
    doc.editLine();  // no question: nothing to substitute
    EXPECT_EQ(editor.openedWith.back(), std::string(kInitialPositionLine));
    EXPECT_EQ(doc.lineCount(), 1u);
    EXPECT_TRUE(prompts.shown().empty());
}

TEST_F(DocumentEditing, SubstituteWithoutUndoWarnsAndReplaces) {
    auto& doc = withEditor(0);
    doc.setWaitingFileName(writeFile("a.epd", {kLine1}));
    doc.open();
    editor.answer = kLine2;
    prompts.yes();
    doc.editLine();
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{"Can't save old line to undo buffer"});
    EXPECT_EQ(prompts.shown().back().icon, Icon::Warning);
    EXPECT_EQ(doc.line(0), kLine2);
}

TEST_F(DocumentEditing, SubstituteWithoutCurrentLineAppends) {
    auto& doc = withEditor();
    doc.setWaitingFileName(writeFile("a.epd", {kLine1}));
    doc.open();
    doc.selectRow(-1);
    editor.answer = kLine2;
    prompts.yes();
    doc.editLine();
    EXPECT_EQ(doc.lineCount(), 2u);
    EXPECT_EQ(doc.line(0), kLine1);
}

}  // namespace
