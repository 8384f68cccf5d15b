#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <QAbstractListModel>
#include <QMainWindow>

#include "app_folders.h"
#include "app_settings.h"
#include "epd_document.h"
#include "game_import.h"
#include "instance_messages.h"
#include "rtf_export.h"

class QAction;
class QLabel;
class QLineEdit;
class QTableView;
class QToolButton;
class TChessDiagram2D;
class TFormProgress;
class TGeneralOpt;
class THelpWindow;
class TFormEngAna;
class TSingleAnalysis;
class TPGNselect;
class TImageExports;
class THTMLOptions;
class TRTFOptions;
class TMultiLang;
class BoardSetupLineEditor;

// The document's lines as a list model: rows are read from the document when they are shown,
// so no item object exists per line. It also forwards the document's other notices.
class EpdLineModel : public QAbstractListModel, public DocumentObserver {
    Q_OBJECT

public:
    explicit EpdLineModel(const EpdDocument& document, QObject* parent = nullptr)
        : QAbstractListModel(parent), m_document(document) {}

    std::function<void()> onDisplayChanged;
    std::function<void()> onFocusList;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    void beginResetLines() override { beginResetModel(); }
    void endResetLines() override { endResetModel(); }
    void beginInsertLines(std::size_t first, std::size_t count) override;
    void endInsertLines() override { endInsertRows(); }
    void beginRemoveLines(std::size_t first, std::size_t count) override;
    void endRemoveLines() override { endRemoveRows(); }
    void linesChanged(std::size_t first, std::size_t last) override;
    void displayChanged() override;
    void focusLineList() override;

private:
    const EpdDocument& m_document;
};

// What the main window is built with. Tests pass a scripted stand-in for the user and the
// clipboard; the program passes nothing and gets message boxes and the system clipboard.
struct MainFormSetup {
    AppFolders folders;
    SettingsStore* settings = nullptr;  // the settings file
    AppSettings options;                // as read at start-up
    bool optionsChanged = false;        // start-up repaired them
    Prompts* prompts = nullptr;
    ClipboardAccess* clipboard = nullptr;
    std::string fileToOpen;  // opened when the window is first shown
    // Shown when the window is first shown, before the file is opened: what reading the
    // settings and the arguments had to say.
    std::vector<StartupMessage> startMessages;
    QString pieceImagePrefix = QStringLiteral(":/pieces/PIECE");
    // Switches of the command line that force a setting on.
    bool analysisDebug = false;
    bool boardSetupNoCheck = false;
    bool showEngineInfo = false;
    // The converters found in the add-on folder ("" when missing).
    std::string qbxConverter;
    std::string pgnConverter;
};

// The main window: tool bar, menus, diagram, line list, index label and current-line field.
// It shows the document's state and hands every command to the document.
class TMainForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TMainForm(MainFormSetup setup, QWidget* parent = nullptr);
    ~TMainForm() override;

    EpdDocument& document() { return *m_document; }
    const AppSettings& options() const { return m_options; }
    bool optionsChanged() const { return m_optionsChanged; }
    // A dialog changed options that "&Save options" writes.
    void setOptions(const AppSettings& options);
    // Whether an EPD file analysis runs; asked at exit (the analysis window answers).
    std::function<bool()> analysisRunning;
    TChessDiagram2D* diagram() const { return m_diagram; }
    TFormProgress* progressWindow() const { return m_progress; }
    TGeneralOpt* generalOptions() const { return m_generalOptions; }
    QAction* action(const QString& name) const;
    Prompts& prompts() { return *m_prompts; }
    // Set when the window could not be built as it must be (a piece image is missing): the
    // program then ends after the messages.
    bool quitRequested() const { return m_quitRequested; }

    // Runs a command inside the guard that turns an escaping exception into an error box.
    void runCommand(const std::function<void()>& command);
    // A frame another program sent to this instance: bring the window to the front, open its
    // file, or add the line of an external request.
    void handleInstanceFrame(const InstanceMessage::Frame& frame);
    // Opens the EPD files among the paths, one after the other, as files dropped on the window.
    void openDroppedFiles(const std::vector<std::string>& paths);
    THelpWindow* helpWindow() const { return m_helpWindow; }
    TFormEngAna* epdAnalysis() const { return m_epdAnalysis; }
    TSingleAnalysis* singleAnalysis() const { return m_singleAnalysis; }
    TPGNselect* pgnSelect() const { return m_pgnSelect; }
    TImageExports& imageExports() { return *m_imageExports; }
    THTMLOptions* htmlOptions() const { return m_htmlOptions; }
    TRTFOptions* rtfOptions() const { return m_rtfOptions; }
    const TRTFHandling* chessFonts() const { return m_rtf.fonts.get(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void ChessBoardMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

private:
    void buildMenus();
    void buildToolBar();
    QAction* addCommand(QMenu* menu, const char* name, const QString& caption,
                        const QKeySequence& shortcut, std::function<void()> command);
    QToolButton* addToolButton(const char* name, const QString& hint, QAction* action);
    void applyDisplay();
    void applyCommandStates(const CommandStates& states);
    void applyOptions();
    void updateConditions();
    void miSaveOptionsClick();
    void miGeneralOptionsClick();
    void miAnalyseOptionsClick();
    void miImportPGNClick();
    void miExportPGNClick();
    void miHTMLOptionsClick();
    void miRTFOptionsClick();
    void miImportQBXClick();
    ImportEnvironment importEnvironment();
    void openTextDocument(const std::string& name);
    THelpWindow* help();
    // The questions of exit after the document is closed; false keeps the program running.
    bool confirmExit();
    void processPendingFrames();
    void openDroppedFilesWhenIdle(const std::vector<std::string>& paths);

    MainFormSetup m_setup;
    AppSettings m_options;
    bool m_optionsChanged = false;
    std::unique_ptr<Prompts> m_ownPrompts;
    std::unique_ptr<ClipboardAccess> m_ownClipboard;
    ClipboardAccess* m_clipboard = nullptr;
    Prompts* m_prompts = nullptr;
    TFormProgress* m_progress = nullptr;
    TGeneralOpt* m_generalOptions = nullptr;
    TFormEngAna* m_epdAnalysis = nullptr;
    TSingleAnalysis* m_singleAnalysis = nullptr;
    std::unique_ptr<PgnSelection> m_pgnSelection;
    std::unique_ptr<TImageExports> m_imageExports;
    // The chess font table of ChessFonts.ini (none when it lists no font) and whether a font
    // is loaded, which the RTF commands need.
    RtfStartup m_rtf;
    bool m_rtfFontLoaded = false;
    THTMLOptions* m_htmlOptions = nullptr;
    TRTFOptions* m_rtfOptions = nullptr;
    TMultiLang* m_language = nullptr;
    TPGNselect* m_pgnSelect = nullptr;
    THelpWindow* m_helpWindow = nullptr;
    std::string m_manualPath;  // "" when the manual is missing
    // Frames of other programs wait while a command runs; see processPendingFrames.
    std::deque<InstanceMessage::Frame> m_pendingFrames;
    int m_commandDepth = 0;
    std::unique_ptr<BoardSetupLineEditor> m_lineEditor;
    std::unique_ptr<EpdDocument> m_document;
    EpdLineModel* m_model = nullptr;
    TChessDiagram2D* m_diagram = nullptr;
    QTableView* m_list = nullptr;
    QLabel* m_indexLabel = nullptr;
    QLineEdit* m_lineField = nullptr;
    std::map<QString, QAction*> m_actions;
    std::map<QAction*, QToolButton*> m_toolButtons;
    bool m_shownOnce = false;
    bool m_listKeyDown = false;
    bool m_quitRequested = false;
};
