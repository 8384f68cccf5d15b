#include "main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QProcess>
#include <QUrl>
#include <QFontDatabase>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QHeaderView>
#include <QTableView>
#include <QMenuBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <limits>
#include <stdexcept>

#include "board_setup_dialog.h"
#include "general_options_dialog.h"
#include "analyse_options_dialog.h"
#include "epd_analysis_window.h"
#include "help_window.h"
#include "single_analysis_runner.h"
#include "small_dialogs.h"
#include "select_dialogs.h"
#include "image_commands.h"
#include "export_dialogs.h"
#include "ini_settings.h"
#include "main_window_words.h"
#include "qt_multilang.h"
#include "pgn_export.h"
#include "program_info.h"
#include "info_boxes.h"
#include "chess_diagram.h"
#include "command_guard.h"
#include "qt_prompts.h"
#include "qt_services.h"
#include "command_line.h"
#include "command_split.h"

int EpdLineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_document.lineCount());
}

QVariant EpdLineModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid() ||
        static_cast<std::size_t>(index.row()) >= m_document.lineCount())
        return {};
    return displayText(m_document.line(static_cast<std::size_t>(index.row())));
}

void EpdLineModel::beginInsertLines(std::size_t first, std::size_t count) {
    beginInsertRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
}

void EpdLineModel::beginRemoveLines(std::size_t first, std::size_t count) {
    beginRemoveRows({}, static_cast<int>(first), static_cast<int>(first + count - 1));
}

void EpdLineModel::linesChanged(std::size_t first, std::size_t last) {
    emit dataChanged(index(static_cast<int>(first)), index(static_cast<int>(last)));
}

void EpdLineModel::displayChanged() {
    if (onDisplayChanged) onDisplayChanged();
}

void EpdLineModel::focusLineList() {
    if (onFocusList) onFocusList();
}

namespace {

// Positions on the fixed-size form, below the tool bar.
constexpr int kMargin = 8;
constexpr int kListLeft = kMargin + 304 + 12;
constexpr int kListWidth = 420;
constexpr int kFormWidth = kListLeft + kListWidth + kMargin;
constexpr int kFieldTop = kMargin + 304 + 10;
constexpr int kFormHeight = kFieldTop + 26 + kMargin;

}  // namespace

TMainForm::TMainForm(MainFormSetup setup, QWidget* parent)
    : QMainWindow(parent),
      m_setup(std::move(setup)),
      m_options(m_setup.options),
      m_optionsChanged(m_setup.optionsChanged) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Don't Panic !!"));  // while the window is built

    if (m_setup.prompts) {
        m_prompts = m_setup.prompts;
    } else {
        m_ownPrompts = std::make_unique<QtPrompts>(this);
        m_prompts = m_ownPrompts.get();
    }
    ClipboardAccess* clipboard = m_setup.clipboard;
    if (!clipboard) {
        m_ownClipboard = std::make_unique<QtClipboard>();
        clipboard = m_ownClipboard.get();
    }
    m_clipboard = clipboard;
    const std::string manual = m_setup.folders.programFolder + "/doc/Brisvane.html";
    if (QFile::exists(QString::fromStdString(manual))) m_manualPath = manual;
    setAcceptDrops(true);
    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("Panel"));
    setCentralWidget(central);

    m_diagram = new TChessDiagram2D(central, m_setup.pieceImagePrefix);
    for (const std::string& name : m_diagram->missingPieceImages()) {
        m_prompts->message(kCaption, "Error loading " + name, Icon::Error);
        m_quitRequested = true;
    }
    m_diagram->setObjectName(QStringLiteral("ChessBoard"));
    m_diagram->move(kMargin, kMargin);
    connect(m_diagram, &TChessDiagram::OnMouseUp, this, &TMainForm::ChessBoardMouseUp);

    m_progress = new TFormProgress(this);
    m_generalOptions = new TGeneralOpt(*m_prompts, this);
    // The analysis windows.
    m_epdAnalysis = new TFormEngAna(
        *m_prompts, m_setup.settings, m_setup.folders.programFolder,
        [this] {
            return EngineLocation{m_options.libraryFolder, m_options.vantaEngine,
                                  m_options.vantaEngineType, m_options.veldrinBlue};
        },
        this);
    m_epdAnalysis->openInMainWindow = [this](const std::string& path) {
        runCommand([this, &path] { m_document->openFileIfExists(path); });
    };
    analysisRunning = [this] { return m_epdAnalysis->analysing(); };
    TSingleAnalysis::Context context;
    context.options = [this] { return m_options; };
    context.tempFolder = m_setup.folders.tempFolder;
    context.addOnFolder = m_setup.folders.addOnFolder;
    context.analysisDebug = m_setup.analysisDebug || m_options.analyseDebug;
    context.currentLine = [this] {
        const int current = m_document->currentIndex();
        return current >= 0 ? std::string(m_document->line(static_cast<std::size_t>(current)))
                            : std::string();
    };
    context.replaceLine = [this](const std::string& line) { m_document->replaceCurrentLine(line); };
    context.showInLineField = [this](const QString& text) {
        m_lineField->setText(text.isEmpty() ? displayText(m_document->display().lineField) : text);
    };
    context.german = [this] { return m_document->language() == Language::German; };
    m_singleAnalysis = new TSingleAnalysis(*m_prompts, std::move(context), this);
    // The PGN game selection lives as long as the window, so its list stays between imports.
    m_pgnSelection = std::make_unique<PgnSelection>(
        *m_prompts, [this] { return m_document->language() == Language::German; });
    m_pgnSelection->busy = [](bool on) {
        if (on)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    };
    m_pgnSelect = new TPGNselect(*m_pgnSelection, this);
    m_lineEditor = std::make_unique<BoardSetupLineEditor>(*m_prompts, this, m_diagram);
    m_lineEditor->setCheckOff(m_setup.boardSetupNoCheck || m_options.boardSetupNoCheck);
    m_document = std::make_unique<EpdDocument>(
        DocumentServices{m_prompts, clipboard, m_setup.settings, m_progress,
                         m_setup.folders.tempFolder, m_lineEditor.get()},
        m_options.undoBufferSize);

    TImageExports::Context exports;
    exports.prompts = m_prompts;
    exports.settings = m_setup.settings;
    exports.clipboard = clipboard;
    exports.progress = m_progress;
    exports.diagram = m_diagram;
    exports.window = this;
    exports.german = [this] { return m_document->language() == Language::German; };
    exports.showProgress = [this] { return m_options.showProgress; };
    exports.printScaleFactor = [this] { return m_options.printScaleFactor; };
    exports.currentLineText = [this] { return m_document->display().lineField; };
    exports.title = ProgramInfo::kTitle;
    exports.lines.documentOpen = [this] { return m_document->isOpen(); };
    exports.lines.lineCount = [this] { return m_document->lineCount(); };
    exports.lines.currentRow = [this] { return m_document->currentIndex(); };
    exports.lines.selectRow = [this](int row) { m_document->selectRow(row); };
    exports.tempFolder = m_setup.folders.tempFolder;
    m_imageExports = std::make_unique<TImageExports>(std::move(exports));
    m_htmlOptions = new THTMLOptions(this);
    m_rtfOptions = new TRTFOptions(*m_prompts, this);
    m_rtf = startRtf(m_setup.folders.programFolder, m_options.fontsDebug,
                     {m_options.chessFontName, m_options.chessFontSize}, *m_prompts,
                     [](const std::string& path) { return std::make_unique<IniSettings>(path); });
    m_rtfFontLoaded = m_rtf.commandsEnabled;

    m_model = new EpdLineModel(*m_document, this);
    // A one-column table without headers: with rows of a fixed height it handles a million
    // lines, inserting and removing rows without laying every row out again.
    m_list = new QTableView(central);
    m_list->setObjectName(QStringLiteral("EPDList"));
    m_list->setModel(m_model);
    m_list->horizontalHeader()->hide();
    m_list->horizontalHeader()->setStretchLastSection(true);
    m_list->verticalHeader()->hide();
    m_list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_list->verticalHeader()->setDefaultSectionSize(QFontMetrics(m_list->font()).height() + 2);
    m_list->setShowGrid(false);
    m_list->setWordWrap(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setGeometry(kListLeft, kMargin, kListWidth, 304 - 24);
    m_list->installEventFilter(this);
    connect(m_list, &QTableView::clicked, this, [this](const QModelIndex& index) {
        runCommand(
            [this, row = index.isValid() ? index.row() : -1] { m_document->selectRow(row); });
    });

    m_indexLabel = new QLabel(QStringLiteral("0/0"), central);
    m_indexLabel->setObjectName(QStringLiteral("LblIndex"));
    m_indexLabel->setGeometry(kListLeft, kMargin + 304 - 20, kListWidth, 20);

    m_lineField = new QLineEdit(central);
    m_lineField->setObjectName(QStringLiteral("EPDactual"));
    m_lineField->setReadOnly(true);
    // The typing limit never cuts what the program puts there.
    m_lineField->setMaxLength(std::numeric_limits<int>::max());
    m_lineField->setToolTip(QStringLiteral("Double click to copy the EPD line"));
    m_lineField->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_lineField->setGeometry(kMargin, kFieldTop, kFormWidth - 2 * kMargin, 26);
    m_lineField->installEventFilter(this);

    m_model->onDisplayChanged = [this] { applyDisplay(); };
    m_model->onFocusList = [this] { m_list->setFocus(); };
    m_document->setObserver(m_model);

    buildMenus();
    buildToolBar();
    central->setFixedSize(kFormWidth, kFormHeight);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    applyOptions();
    m_document->showCurrentLine();
    setWindowTitle(QStringLiteral("Brisvane"));
    // The window's texts in the current language; a switch shows the current line again.
    m_language = new TMultiLang(this, kMainFormWords, m_prompts);
    m_language->language().AfterLanguageChanged = [this](int) { applyDisplay(); };
    switchAllLanguages(languageColumnOfSetting(m_options.language));
}

ImportEnvironment TMainForm::importEnvironment() {
    ImportEnvironment env;
    env.prompts = m_prompts;
    env.settings = m_setup.settings;
    env.programFolder = m_setup.folders.programFolder;
    env.addOnFolder = m_setup.folders.addOnFolder;
    env.tempFolder = m_setup.folders.tempFolder;
    env.analysisDebug = m_setup.analysisDebug || m_options.analyseDebug;
    env.german = [this] { return m_document->language() == Language::German; };
    env.newDocument = [this] { return m_document->newFile(); };
    env.appendFile = [this](const std::string& path) { m_document->appendFile(path); };
    env.showInLineField = [this](const std::string& text) {
        m_lineField->setText(text.empty() ? displayText(m_document->display().lineField)
                                          : QString::fromStdString(text));
        m_lineField->repaint();
    };
    env.showLog = [this](const std::string& caption, const std::vector<std::string>& lines) {
        TShowLog log(this);
        log.showLines(caption, lines);
        log.exec();
    };
    // The window repaints while a converter runs; clicks and keys given meanwhile are dropped
    // (held back, they would act on the imported document). A question in between takes input.
    auto dropper = std::make_shared<UserInputDropper>();
    env.idle = [] { QCoreApplication::processEvents(); };
    env.busy = [busy = m_pgnSelection->busy, dropper](bool on) {
        if (on)
            dropper->start();
        else
            dropper->stop();
        if (busy) busy(on);
    };
    return env;
}

void TMainForm::miExportPGNClick() {
    PgnExportDocument document;
    document.open = m_document->isOpen();
    document.name = m_document->name();
    document.directory = m_document->directory();
    document.lineCount = m_document->lineCount();
    document.line = [this](std::size_t i) { return m_document->line(i); };
    exportPgnFile(*m_prompts, document,
                  {m_options.nimzoLikePgn, m_options.mapEpdOpToPgn, m_options.bmToPgn},
                  ProgramInfo::kTitle, pgnToday(), m_document->language() == Language::German);
}

void TMainForm::miImportPGNClick() {
    ImportEnvironment env = importEnvironment();
    importPgnGame(env, m_setup.pgnConverter, *m_pgnSelection,
                  [this] { return m_pgnSelect->exec() == QDialog::Accepted; });
}

void TMainForm::miImportQBXClick() {
    ImportEnvironment env = importEnvironment();
    importQbxGame(env, m_setup.qbxConverter, [this](const std::string& folder) {
        TQBXselect dialog(*m_prompts, folder, this);
        dialog.exec();
        return dialog.chosenFile();
    });
}

void TMainForm::applyOptions() {
    m_diagram->SetDarkSquareColor(TChessDiagram2D::colorOf(m_options.darkSquares));
    m_diagram->SetLightSquareColor(TChessDiagram2D::colorOf(m_options.lightSquares));
    m_document->setLanguage(languageFromSetting(m_options.language));
    // Only a new language switches the windows: a switch refills every listed text.
    const int column = languageColumnOfSetting(m_options.language);
    if (m_language && column != currentLanguageColumn()) switchAllLanguages(column);
    updateConditions();
}

void TMainForm::updateConditions() {
    CommandConditions conditions;
    conditions.qbxImport = !m_setup.qbxConverter.empty();
    conditions.pgnImport = !m_setup.pgnConverter.empty();
    conditions.settingsChanged = m_optionsChanged;
    conditions.chessFontReady = m_rtfFontLoaded;
    conditions.engineSelected = m_options.selection != 0;
    conditions.libraryEngineReady = m_options.libraryUsable && m_options.selection == 3;
    m_document->setConditions(conditions);
}

void TMainForm::setOptions(const AppSettings& options) {
    m_options = options;
    m_optionsChanged = true;
    applyOptions();
}

void TMainForm::miGeneralOptionsClick() {
    m_generalOptions->setOptions(m_options);
    if (m_generalOptions->exec() == QDialog::Accepted && m_generalOptions->changed())
        setOptions(m_generalOptions->options());
}

void TMainForm::miHTMLOptionsClick() {
    m_htmlOptions->setOptions({m_options.borderSize, m_options.showCoordinates, m_options.pixels,
                               m_options.gifPathPraefix});
    m_htmlOptions->savePieceImages = [this](int pixels) {
        runCommand([this, pixels] {
            const std::string folder = m_document->directory();
            m_imageExports->savePieceImages(
                pixels, folder.empty() ? QDir::homePath().toStdString() : folder);
        });
    };
    if (m_htmlOptions->exec() != QDialog::Accepted || !m_htmlOptions->changed()) return;
    const HtmlOptions& html = m_htmlOptions->options();
    AppSettings options = m_options;
    options.borderSize = html.borderSize;
    options.showCoordinates = html.showCoordinates;
    options.pixels = html.pixels;
    options.gifPathPraefix = html.gifPathPraefix;
    setOptions(options);
}

void TMainForm::miRTFOptionsClick() {
    ChessFontSetting setting{m_options.chessFontName, m_options.chessFontSize};
    m_rtfOptions->setFonts(m_rtf.fonts.get(), setting);
    const bool changed = m_rtfOptions->exec() == QDialog::Accepted && m_rtfOptions->changed();
    if (changed) setting = m_rtfOptions->setting();
    if (m_rtf.fonts) m_rtfFontLoaded = loadChosenFont(*m_rtf.fonts, setting, *m_prompts);
    if (changed) {
        AppSettings options = m_options;
        options.chessFontName = setting.name;
        options.chessFontSize = setting.size;
        setOptions(options);
        return;
    }
    // A font that failed to load is forgotten (not a change "&Save options" writes).
    m_options.chessFontName = setting.name;
    m_options.chessFontSize = setting.size;
    updateConditions();
}

THelpWindow* TMainForm::help() {
    if (!m_helpWindow) m_helpWindow = new THelpWindow(QString::fromStdString(m_manualPath), this);
    return m_helpWindow;
}

void TMainForm::openTextDocument(const std::string& name) {
    const std::string path = m_setup.folders.programFolder + "/doc/" + name;
    if (!QFile::exists(QString::fromStdString(path))) {
        m_prompts->message(kCaption, "File " + path + " doesn't exists", Icon::Error);
        return;
    }
    // The editor's own words, then the document as one argument: a path with blanks stays whole.
    std::vector<std::string> words = splitCommandLine(m_options.editor);
    if (words.empty()) words.emplace_back(AppSettings::kDefaultEditor);
    const QString program = QFile::decodeName(words.front().c_str());
    QStringList arguments;
    for (std::size_t i = 1; i < words.size(); ++i)
        arguments << QFile::decodeName(words[i].c_str());
    arguments << QFile::decodeName(path.c_str());
    if (!QProcess::startDetached(program, arguments))
        m_prompts->message(kCaption, "Can't start program " + program.toStdString(), Icon::Error);
}

void TMainForm::handleInstanceFrame(const InstanceMessage::Frame& frame) {
    using namespace InstanceMessage;
    if (frame.id == kBringToFront) {
        if (isMinimized()) showNormal();
        raise();
        activateWindow();
        return;
    }
    m_pendingFrames.push_back(frame);
    // Handled after the message, so that questions do not hold up the socket.
    QTimer::singleShot(0, this, &TMainForm::processPendingFrames);
}

void TMainForm::processPendingFrames() {
    // A command in progress (a dialog open, a question asked) ends first: a line added or a file
    // opened now would change the document under it.
    if (m_commandDepth > 0 || QApplication::activeModalWidget()) {
        QTimer::singleShot(100, this, &TMainForm::processPendingFrames);
        return;
    }
    while (!m_pendingFrames.empty()) {
        const InstanceMessage::Frame frame = std::move(m_pendingFrames.front());
        m_pendingFrames.pop_front();
        if (frame.id == InstanceMessage::kOpenFile)
            openDroppedFiles({frame.bytes});
        else if (frame.id == InstanceMessage::kShowMessage)
            m_prompts->message(kCaption, frame.bytes, Icon::Error);
        else if (const auto line = InstanceMessage::lineToAdd(frame); line && m_options.epdServer)
            runCommand([this, &line] { m_document->addLineAtEnd(*line); });
    }
}

void TMainForm::openDroppedFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        if (!hasEpdExtensionInAnyCase(path)) continue;
        bool kept = false;
        runCommand([this, &path, &kept] {
            // The user may keep the open document; the remaining files are not opened then.
            if (m_document->isOpen() && !m_document->closeWithPrompt()) {
                kept = true;
                return;
            }
            m_document->setWaitingFileName(path);
            m_document->open();
        });
        if (kept) return;
    }
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event) {
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile()) paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
    event->acceptProposedAction();
    // Opened after the drop is done, so that the file manager is not held up by questions.
    QTimer::singleShot(0, this, [this, paths] { openDroppedFilesWhenIdle(paths); });
}

void TMainForm::openDroppedFilesWhenIdle(const std::vector<std::string>& paths) {
    // A command still running (an import waiting for its converter) ends first.
    if (m_commandDepth > 0 || QApplication::activeModalWidget()) {
        QTimer::singleShot(100, this, [this, paths] { openDroppedFilesWhenIdle(paths); });
        return;
    }
    openDroppedFiles(paths);
}

void TMainForm::miAnalyseOptionsClick() {
    TAnalyseOpts::Setup setup;
    setup.libraryAvailable = m_options.libraryUsable;
    setup.showEngineInfo = m_setup.showEngineInfo || m_options.showVanEngInfo;
    setup.ownFileSelector = m_options.handlePifBug;
    setup.addOnFolder = m_setup.folders.addOnFolder;
    setup.showEngineInfoDialog = [this] {
        TFormVEinfo(m_singleAnalysis->engine(), m_options.veldrinBlue, this).exec();
    };
    TAnalyseOpts dialog(*m_prompts, setup, this);
    dialog.setOptions(m_options);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    // Values stored by an OK that was refused for a missing path stay stored after Cancel.
    if (dialog.changed()) setOptions(dialog.options());
    if (!accepted) return;
    if (m_options.selection == 3) m_singleAnalysis->refreshEngine();
}

void TMainForm::miSaveOptionsClick() {
    if (!m_setup.settings) return;
    if (const std::string refusal = m_setup.settings->refusal(); !refusal.empty())
        throw std::runtime_error(refusal);
    saveOptions(*m_setup.settings, m_options);
    m_optionsChanged = false;
    updateConditions();
}

bool TMainForm::confirmExit() {
    if (m_optionsChanged &&
        m_prompts->askYesNo(kCaption, "Save changed options ?", Icon::Question)) {
        try {
            miSaveOptionsClick();
        } catch (const std::exception& error) {
            // The options cannot be kept; the user is told, and the exit asked for goes on.
            m_prompts->message(kCaption, error.what(), Icon::Error);
        }
    }
    if (analysisRunning && analysisRunning() &&
        !m_prompts->askYesNo(kCaption,
                             "EPD file analysis still running\nDo you really want to quit ?",
                             Icon::Question))
        return false;
    if (m_helpWindow) m_helpWindow->close();
    return true;
}

TMainForm::~TMainForm() {
    m_document->setObserver(nullptr);
}

void TMainForm::runCommand(const std::function<void()>& command) {
    ++m_commandDepth;
    runGuarded(*m_prompts, command);
    --m_commandDepth;
}

QAction* TMainForm::action(const QString& name) const {
    const auto found = m_actions.find(name);
    return found == m_actions.end() ? nullptr : found->second;
}

QAction* TMainForm::addCommand(QMenu* menu, const char* name, const QString& caption,
                               const QKeySequence& shortcut, std::function<void()> command) {
    auto* act = new QAction(caption, this);
    act->setObjectName(QString::fromLatin1(name));
    if (!shortcut.isEmpty()) act->setShortcut(shortcut);
    if (command) {
        connect(act, &QAction::triggered, this,
                [this, command = std::move(command)] { runCommand(command); });
    } else {
        // Filled by a later part of the program; present so that the menu is complete.
        act->setEnabled(false);
        act->setProperty("pending", true);
    }
    menu->addAction(act);
    m_actions[act->objectName()] = act;
    return act;
}

void TMainForm::buildMenus() {
    EpdDocument& doc = *m_document;
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("miFile"));
    addCommand(file, "miNewFile", QStringLiteral("&New EPD"), {}, [&doc] { doc.newFile(); });
    addCommand(file, "miOpenFile", QStringLiteral("&Open EPD..."),
               QKeySequence(QStringLiteral("Ctrl+O")), [&doc] { doc.open(); });
    addCommand(file, "miCloseFile", QStringLiteral("&Close EPD"), {}, [&doc] { doc.close(); });
    addCommand(file, "miAppendFile", QStringLiteral("&Append EPD..."), {},
               [&doc] { doc.append(); });
    addCommand(file, "miSaveFile", QStringLiteral("&Save EPD"), {}, [&doc] { doc.save(); });
    addCommand(file, "miSaveAsFile", QStringLiteral("Sa&ve EPD as..."), {},
               [&doc] { doc.saveAs(); });
    file->addSeparator();
    QMenu* import = file->addMenu(QStringLiteral("&Import"));
    import->setObjectName(QStringLiteral("miImportFile"));
    import->setEnabled(false);
    // Each item needs its converter in the add-on folder.
    addCommand(import, "miImportQBX", QStringLiteral("&QBX"), {}, [this] {
        miImportQBXClick();
    })->setEnabled(!m_setup.qbxConverter.empty());
    addCommand(import, "miImportPGN", QStringLiteral("&PGN"), {}, [this] {
        miImportPGNClick();
    })->setEnabled(!m_setup.pgnConverter.empty());
    QMenu* exportMenu = file->addMenu(QStringLiteral("&Export..."));
    exportMenu->setObjectName(QStringLiteral("miExportFile"));
    exportMenu->setEnabled(false);
    addCommand(exportMenu, "miExportGIF", QStringLiteral("&GIF..."), {},
               [this] { m_imageExports->miExportGIFClick(); });
    addCommand(exportMenu, "miExportPGN", QStringLiteral("&PGN..."), {},
               [this] { miExportPGNClick(); });
    file->addSeparator();
    addCommand(file, "miPrintFile", QStringLiteral("&Print..."),
               QKeySequence(QStringLiteral("Ctrl+P")),
               [this] { m_imageExports->miPrintFileClick(); });
    file->addSeparator();
    addCommand(file, "miExit", QStringLiteral("E&xit"), QKeySequence(QStringLiteral("Ctrl+Q")),
               [this] { close(); });

    QMenu* epd = menuBar()->addMenu(QStringLiteral("&EPD"));
    epd->setObjectName(QStringLiteral("miEPD"));
    addCommand(epd, "miUndoEPD", QStringLiteral("&Undo"), QKeySequence(QStringLiteral("Ctrl+Z")),
               [&doc] { doc.undo(); });
    epd->addSeparator();
    addCommand(epd, "miNewEPD", QStringLiteral("&New"), QKeySequence(QStringLiteral("Ctrl+N")),
               [&doc] { doc.newLine(); });
    addCommand(epd, "miEditEPD", QStringLiteral("&Edit"), QKeySequence(QStringLiteral("Ctrl+E")),
               [&doc] { doc.editLine(); });
    addCommand(epd, "miDeleteEPD", QStringLiteral("&Delete"), QKeySequence(Qt::Key_Delete),
               [&doc] { doc.deleteLine(); });
    addCommand(epd, "miNormalizeEPD", QStringLiteral("Normali&ze"), QKeySequence(Qt::Key_F12),
               [&doc] { doc.normalize(); });
    addCommand(epd, "miGotoEPD", QStringLiteral("Goto..."), QKeySequence(QStringLiteral("Ctrl+G")),
               [&doc] { doc.gotoLine(); });
    epd->addSeparator();
    addCommand(epd, "miPasteEPD", QStringLiteral("Paste"), QKeySequence(QStringLiteral("Ctrl+V")),
               [&doc] { doc.paste(); });
    addCommand(epd, "miCopyEPD", QStringLiteral("&Copy"), QKeySequence(QStringLiteral("Ctrl+C")),
               [this] { m_imageExports->CopyButtonClick(); });
    addCommand(epd, "miCopyASCIIEPD", QStringLiteral("Copy A&SCII"), {},
               [this] { m_imageExports->miCopyASCIIEPDClick(); });
    addCommand(epd, "miCopyEPDstringEPD", QStringLiteral("Copy E&PD string"), {},
               [&doc] { doc.copyEpdString(); });
    addCommand(epd, "miCopyasHTML", QStringLiteral("Copy as HTML"), {}, [this] {
        m_imageExports->miCopyasHTMLClick({m_options.borderSize, m_options.showCoordinates,
                                           m_options.pixels, m_options.gifPathPraefix});
    });
    addCommand(epd, "miCopyasPGN", QStringLiteral("Copy as PGN"), {}, [this] {
        m_clipboard->setText(
            pgnClipboardGame(m_document->display().lineField, ProgramInfo::kTitle, pgnToday()));
    });
    addCommand(epd, "miCopyasRTF", QStringLiteral("Copy as RTF"), {}, [this] {
        if (m_rtf.fonts) m_imageExports->miCopyasRTFClick(*m_rtf.fonts, m_options.chessFontSize);
    });
    epd->addSeparator();
    addCommand(epd, "miSaveasBMP", QStringLiteral("Save as &BMP..."), {},
               [this] { m_imageExports->saveAs(ImageKind::Bmp); });
    addCommand(epd, "miSaveasGIF", QStringLiteral("Save as &GIF..."),
               QKeySequence(QStringLiteral("Ctrl+S")),
               [this] { m_imageExports->saveAs(ImageKind::Gif); });
    addCommand(epd, "miSaveasPNG", QStringLiteral("Save as P&NG..."), {},
               [this] { m_imageExports->saveAs(ImageKind::Png); });
    addCommand(epd, "miSaveasRTF", QStringLiteral("Save as RTF..."), {}, [this] {
        if (m_rtf.fonts) m_imageExports->miSaveasRTFClick(*m_rtf.fonts, m_options.chessFontSize);
    });
    QAction* jpg = addCommand(epd, "miSaveasJPG", QStringLiteral("Save as &JPG..."), {},
                              [this] { m_imageExports->saveAs(ImageKind::Jpg); });
    jpg->setVisible(false);
    jpg->setEnabled(false);
    epd->addSeparator();
    addCommand(epd, "miAnalyseEPD", QStringLiteral("&Analyse"),
               QKeySequence(QStringLiteral("Ctrl+A")), [this] { m_singleAnalysis->analyse(); });
    addCommand(epd, "miAnalyseEPDfile", QStringLiteral("Analyse EPD file..."),
               QKeySequence(QStringLiteral("Ctrl+F")), [this] {
                   m_epdAnalysis->show();
                   m_epdAnalysis->raise();
                   m_epdAnalysis->activateWindow();
               });

    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->setObjectName(QStringLiteral("miOptions"));
    addCommand(options, "miGeneralOptions", QStringLiteral("&General..."), {},
               [this] { miGeneralOptionsClick(); });
    addCommand(options, "miAnalyseOptions", QStringLiteral("&Analyse..."), {},
               [this] { miAnalyseOptionsClick(); });
    addCommand(options, "miHTMLOptions", QStringLiteral("&HTML..."), {},
               [this] { miHTMLOptionsClick(); });
    addCommand(options, "miRTFOptions", QStringLiteral("&RTF..."), {}, [this] {
        miRTFOptionsClick();
    })->setEnabled(m_rtf.optionsEnabled);
    options->addSeparator();
    addCommand(options, "miSaveOptions", QStringLiteral("&Save options"), {},
               [this] { miSaveOptionsClick(); });

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("miHelp"));
    addCommand(help, "miContentsHelp", QStringLiteral("&Contents"), {},
               [this] { this->help()->showContents(); });
    addCommand(help, "miSearchHelp", QStringLiteral("&Search..."), {},
               [this] { this->help()->showSearch(); });
    addCommand(help, "miHelpOnHelp", QStringLiteral("&Help on Help"), {},
               [this] { this->help()->showHelpOnHelp(); });
    help->addSeparator();
    addCommand(help, "miPGNstandardHelp", QStringLiteral("&PGN standard"), {},
               [this] { openTextDocument("PGNstandard.txt"); });
    addCommand(help, "miEPDdescriptionHelp", QStringLiteral("&EPD description"), {},
               [this] { openTextDocument("EPDdescription.txt"); });
    addCommand(help, "miManualHelp", QStringLiteral("&Manual (ASCII text)"), {},
               [this] { openTextDocument("Brisvane.txt"); });
    help->addSeparator();
    addCommand(help, "miLicenceHelp", QStringLiteral("&Licence"), {},
               [this] { TLicenceBox(this).exec(); });
    addCommand(help, "WWW1", QStringLiteral("&WWW..."), {}, [this] {
        TWebBox(
            *m_clipboard,
            [](const std::string& address) {
                QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
            },
            this)
            .exec();
    });
    addCommand(help, "About", QStringLiteral("&About..."), {},
               [this] { TAboutBox(*m_clipboard, this).exec(); });
    // Without the manual there is no help to show.
    if (m_manualPath.empty())
        for (const char* name : {"miContentsHelp", "miSearchHelp", "miHelpOnHelp"})
            action(QString::fromLatin1(name))->setEnabled(false);

    // Previous and Next are tool buttons only.
    auto* previous = new QAction(QStringLiteral("Previous"), this);
    previous->setObjectName(QStringLiteral("actPrevEPD"));
    connect(previous, &QAction::triggered, this,
            [this] { runCommand([this] { m_document->previous(); }); });
    m_actions[previous->objectName()] = previous;
    auto* next = new QAction(QStringLiteral("Next"), this);
    next->setObjectName(QStringLiteral("actNextEPD"));
    connect(next, &QAction::triggered, this,
            [this] { runCommand([this] { m_document->next(); }); });
    m_actions[next->objectName()] = next;
}

QToolButton* TMainForm::addToolButton(const char* name, const QString& hint, QAction* act) {
    auto* button = new QToolButton(this);
    button->setObjectName(QString::fromLatin1(name));
    button->setToolTip(hint);
    button->setEnabled(act->isEnabled());
    connect(button, &QToolButton::clicked, act, &QAction::trigger);
    connect(act, &QAction::changed, button,
            [button, act] { button->setEnabled(act->isEnabled()); });
    m_toolButtons[act] = button;
    return button;
}

void TMainForm::buildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("Tools"));
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    QStyle* s = style();
    auto add = [&](const char* name, const QString& hint, const char* actionName,
                   QStyle::StandardPixmap icon, const QString& text = {}) {
        QToolButton* button = addToolButton(name, hint, action(QString::fromLatin1(actionName)));
        if (text.isEmpty()) {
            button->setIcon(s->standardIcon(icon));
        } else {
            button->setText(text);
            button->setToolButtonStyle(Qt::ToolButtonTextOnly);
        }
        bar->addWidget(button);
    };
    add("NewButton", QStringLiteral("New EPD file"), "miNewFile", QStyle::SP_FileIcon);
    add("OpenButton", QStringLiteral("Open EPD file"), "miOpenFile", QStyle::SP_DialogOpenButton);
    add("SaveButton", QStringLiteral("Save EPD file"), "miSaveFile", QStyle::SP_DialogSaveButton);
    add("CloseButton", QStringLiteral("Close EPD file"), "miCloseFile",
        QStyle::SP_DialogCloseButton);
    bar->addSeparator();
    add("EditBtn", QStringLiteral("Edit EPD line"), "miEditEPD", QStyle::SP_FileDialogDetailedView);
    add("DeleteBtn", QStringLiteral("Delete EPD line"), "miDeleteEPD", QStyle::SP_TrashIcon);
    add("BtnPaste", QStringLiteral("Import EPD lines from clipboard"), "miPasteEPD",
        QStyle::SP_FileDialogNewFolder);
    bar->addSeparator();
    add("PrevEPD", QStringLiteral("Previous"), "actPrevEPD", QStyle::SP_ArrowLeft,
        QStringLiteral("Previous"));
    add("NextEPD", QStringLiteral("Next"), "actNextEPD", QStyle::SP_ArrowRight,
        QStringLiteral("Next"));
    bar->addSeparator();
    add("CopyButton", QStringLiteral("Copy board to clipboard"), "miCopyEPD",
        QStyle::SP_FileDialogContentsView);
    add("SaveGifBtn", QStringLiteral("Save board as GIF file"), "miSaveasGIF",
        QStyle::SP_DriveFDIcon);
    add("AnalyseBtn", QStringLiteral("Start chess engine"), "miAnalyseEPD", QStyle::SP_MediaPlay);
    bar->addSeparator();
    add("ExitButton", QStringLiteral("Exit program"), "miExit", QStyle::SP_DialogCancelButton);
}

void TMainForm::applyCommandStates(const CommandStates& states) {
    const std::pair<const char*, bool> enables[] = {
        {"miCloseFile", states.close},
        {"miAppendFile", states.append},
        {"miSaveFile", states.save},
        {"miSaveAsFile", states.saveAs},
        {"miNormalizeEPD", states.normalize},
        {"miGotoEPD", states.gotoLine},
        {"miUndoEPD", states.undo},
        {"miDeleteEPD", states.deleteLine},
        {"actPrevEPD", states.previous},
        {"actNextEPD", states.next},
        {"miNewEPD", states.newLine},
        {"miEditEPD", states.editLine},
        {"miSaveOptions", states.saveOptions},
        {"miCopyasRTF", states.copyRtf},
        {"miSaveasRTF", states.copyRtf},
        {"miAnalyseEPD", states.analyse},
        {"miAnalyseEPDfile", states.analyseFile},
    };
    for (const auto& [name, enabled] : enables) {
        QAction* act = action(QString::fromLatin1(name));
        // Commands that a later part of the program fills stay disabled until then.
        if (act && !act->property("pending").toBool()) act->setEnabled(enabled);
    }
    // The submenus follow the document too.
    if (auto* menu = findChild<QMenu*>(QStringLiteral("miExportFile")))
        menu->setEnabled(states.exportMenu);
    if (auto* menu = findChild<QMenu*>(QStringLiteral("miImportFile")))
        menu->setEnabled(states.importMenu);
}

void TMainForm::applyDisplay() {
    const DocumentDisplay& display = m_document->display();
    setWindowTitle(displayText(display.title));
    m_indexLabel->setText(QString::fromStdString(display.indexLabel));
    m_lineField->setText(displayText(display.lineField));
    m_lineField->setCursorPosition(0);
    if (!(m_diagram->position() == display.diagram)) m_diagram->showPosition(display.diagram);

    QItemSelectionModel* selection = m_list->selectionModel();
    const int row = display.selectedRow;
    if (row >= 0 && row < m_model->rowCount()) {
        const QModelIndex index = m_model->index(row);
        if (selection->currentIndex() != index || !selection->isSelected(index))
            selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        m_list->scrollTo(index);
    } else if (selection->hasSelection() || selection->currentIndex().isValid()) {
        selection->clear();
    }
    applyCommandStates(display.commands);
}

void TMainForm::ChessBoardMouseUp(Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    // The main board only shows positions: a dragged piece goes back where it was.
    m_diagram->RedrawSquare(m_diagram->GetLastDrag().from);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_list && event->type() == QEvent::KeyPress) {
        m_listKeyDown = true;
    } else if (watched == m_list && event->type() == QEvent::KeyRelease) {
        // Only the release of a key pressed in the list counts, once: not the release of the
        // key that closed a message box, nor the releases of auto-repeat.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (m_listKeyDown && !key->isAutoRepeat()) {
            m_listKeyDown = false;
            const int row = m_list->currentIndex().isValid() ? m_list->currentIndex().row() : -1;
            runCommand([this, row] { m_document->selectRowByKey(row); });
        }
    } else if (watched == m_lineField && event->type() == QEvent::MouseButtonDblClick) {
        runCommand([this] { m_document->copyEpdString(); });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (m_shownOnce) return;
    m_shownOnce = true;
    const std::string file = std::exchange(m_setup.fileToOpen, std::string());
    const auto messages = std::exchange(m_setup.startMessages, {});
    // Opening waits until the window is on screen, so that messages have a parent to show on.
    QTimer::singleShot(0, this, [this, file, messages] {
        runCommand([this, &file, &messages] {
            for (const StartupMessage& message : messages)
                m_prompts->message(kCaption, message.text, message.icon);
            m_document->updateCommandStates();
            if (!file.empty()) {
                m_document->setWaitingFileName(file);
                m_document->open();
            }
        });
    });
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Only a close that returns normally ends the window: a failure keeps the document.
    bool closed = false;
    runCommand([this, &closed] { closed = m_document->closeWithPrompt() && confirmExit(); });
    if (closed) {
        event->accept();
    } else {
        event->ignore();
    }
}
