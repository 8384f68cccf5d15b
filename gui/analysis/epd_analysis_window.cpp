#include "epd_analysis_window.h"

#include <chrono>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <vector>

#include <QCloseEvent>
#include <QComboBox>
#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include "analysis_words.h"
#include "chess_diagram.h"
#include "chess_position.h"
#include "command_guard.h"
#include "multi_lang.h"
#include "qt_multilang.h"
#include "qt_text.h"
#include "shell_words.h"
#include "small_dialogs.h"
#include "text_file.h"

namespace {

QLineEdit* readOnlyField(const char* name, const QString& hint, QWidget* parent) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QString::fromLatin1(name));
    field->setReadOnly(true);
    field->setToolTip(hint);
    return field;
}

void paintBackground(QWidget* widget, unsigned color) {
    QPalette colors = widget->palette();
    colors.setColor(QPalette::Base,
                    QColor(static_cast<int>(color & 0xFF), static_cast<int>((color >> 8) & 0xFF),
                           static_cast<int>((color >> 16) & 0xFF)));
    widget->setPalette(colors);
}

QLabel* caption(const char* name, const QString& text, QWidget* parent, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(x, y);
    return label;
}

// A text the window sets while it runs, in the program's language.
std::string word(const char* key) {
    return wordOf(kAnalysisTexts, key, currentLanguageColumn());
}

VEengTypeSet engineOfType(int type) {
    if (type == 9) return VEengTypeSet::EngV9;
    if (type == 1) return VEengTypeSet::EngCyc1;
    return VEengTypeSet::EngCyc2;
}

std::string nowText() {
    return QDateTime::currentDateTime()
        .toString(QStringLiteral("dd.MM.yyyy - hh:mm:ss"))
        .toStdString();
}

}  // namespace

TFormEngAna::TFormEngAna(Prompts& prompts, SettingsStore* settings, std::string programFolder,
                         std::function<EngineLocation()> location, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMinimizeButtonHint),
      m_prompts(prompts),
      m_location(std::move(location)),
      m_engine(&prompts) {
    setObjectName(QStringLiteral("FormEngAna"));
    m_engine.setMode(VEmodeSet::ModPos);
    m_engine.setAppli(VEappliTypeSet::AppBRISVANE);
    m_engine.setAnalysisTimer(0);
    m_engine.setDebug(false);
    m_control = std::make_unique<ComponentEngine>(m_engine);
    m_analysis = std::make_unique<EpdFileAnalysis>(EpdFileAnalysis::Services{
        m_control.get(), &prompts, settings, std::move(programFolder), nowText});
    m_analysis->beforeMessage = [this] { sync(); };

    m_diagram = new TChessDiagram2D(this);
    m_diagram->setObjectName(QStringLiteral("ChessDiagram2D1"));
    m_diagram->move(8, 8);

    constexpr int left = 8 + 304 + 12;
    constexpr int width = 420;
    QLabel* labels[7];
    labels[0] = caption("LblEngineName", QStringLiteral("Engine in use"), this, left, 8);
    m_engineName = readOnlyField("EditEngineName", QStringLiteral("Engine in use"), this);
    m_engineName->setGeometry(left, 26, width, 24);
    labels[1] = caption("LblEPDfile", QStringLiteral("EPD file to analyze"), this, left, 56);
    m_epdFile = readOnlyField("EditEPDfile", QStringLiteral("EPD file to analyze"), this);
    m_epdFile->setGeometry(left, 74, width - 34, 24);
    auto* pick = new QPushButton(QStringLiteral("..."), this);
    m_pick = pick;
    pick->setObjectName(QStringLiteral("SpeedBtnEPDfile"));
    pick->setGeometry(left + width - 30, 74, 30, 24);
    labels[2] = caption("LblBM", QStringLiteral("Best move(s)"), this, left, 104);
    m_bestMoves = readOnlyField("EditBM", QStringLiteral("Best move(s)"), this);
    m_bestMoves->setGeometry(left, 122, width / 2 - 4, 24);
    labels[3] = caption("LblAM", QStringLiteral("Avoid move(s)"), this, left + width / 2 + 4, 104);
    m_avoidMoves = readOnlyField("EditAM", QStringLiteral("Avoid move(s)"), this);
    m_avoidMoves->setGeometry(left + width / 2 + 4, 122, width / 2 - 4, 24);

    labels[4] =
        caption("LblSecsPerPos", QStringLiteral("Average time per position "), this, left, 154);
    m_seconds =
        readOnlyField("EditSecsPerPos", QStringLiteral("Time per position in seconds"), this);
    m_seconds->setGeometry(left, 172, 70, 24);
    m_time = readOnlyField("EditTimeString", QStringLiteral("Average time per position "), this);
    m_time->setGeometry(left + 76, 172, 90, 24);
    labels[5] = caption("LblHashSize", QStringLiteral("Hash size"), this, left + 180, 154);
    m_hash = new QComboBox(this);
    m_hash->setObjectName(QStringLiteral("CBHashSize"));
    m_hash->setToolTip(QStringLiteral("Hash size"));
    for (const char* size : {"256 kb", "512 kb", "1 MB", "2 MB", "4 MB", "13 MB", "28 MB"})
        m_hash->addItem(QString::fromLatin1(size));
    m_hash->setGeometry(left + 180, 172, 100, 24);
    m_skip = new QRadioButton(QStringLiteral("Skip evaluated positions"), this);
    m_skip->setObjectName(QStringLiteral("RBskipPos"));
    m_skip->setGeometry(left, 202, 220, 22);
    m_all = new QRadioButton(QStringLiteral("Evaluate all positions"), this);
    m_all->setObjectName(QStringLiteral("RBallPos"));
    m_all->setGeometry(left + 220, 202, 200, 22);

    m_counter = new QLabel(QStringLiteral("0/0"), this);
    m_counter->setObjectName(QStringLiteral("LblCounter"));
    m_counter->setGeometry(left, 232, 140, 24);
    m_start = new QPushButton(QStringLiteral("&Start"), this);
    m_start->setObjectName(QStringLiteral("BtnStartAnalysis"));
    m_start->setGeometry(left, 262, 86, 30);
    m_stop = new QPushButton(QStringLiteral("S&top"), this);
    m_stop->setObjectName(QStringLiteral("BtnStopAnalysis"));
    m_stop->setGeometry(left + 92, 262, 86, 30);
    auto* popupButton = new QPushButton(QStringLiteral("&Popup menu"), this);
    popupButton->setObjectName(QStringLiteral("SpeedButton1"));
    popupButton->setGeometry(left + 184, 262, 100, 30);
    auto* hide = new QPushButton(QStringLiteral("&Hide analysis box"), this);
    hide->setObjectName(QStringLiteral("BtnHide"));
    hide->setGeometry(left + 290, 262, 130, 30);

    labels[6] = caption("LblEPD", QStringLiteral("Actual EPD line"), this, 8, 320);
    m_epdLine = readOnlyField("EditEPD", QStringLiteral("Actual EPD line"), this);
    m_epdLine->setGeometry(8, 338, left + width - 8, 24);
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("AnalysisArea"));
    m_memo->setReadOnly(true);
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setFont(QFont(QStringLiteral("DejaVu Sans Mono")));
    m_memo->setGeometry(8, 368, left + width - 8, 150);

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(200);
    connect(m_timer, &QTimer::timeout, this, [this] {
        // A message shown from a tick must not let the next tick in: the timer rests until the
        // tick is done, and sync() starts it again while the analysis wants it.
        m_timer->stop();
        run([this] { m_analysis->tick(); });
    });

    m_popup = new QMenu(this);
    m_popup->setObjectName(QStringLiteral("PopupMenu1"));
    m_menuStart = m_popup->addAction(QStringLiteral("&Start analysis"));
    m_menuStart->setObjectName(QStringLiteral("MIStartAnalysis"));
    m_menuStop = m_popup->addAction(QStringLiteral("S&top analysis"));
    m_menuStop->setObjectName(QStringLiteral("MIStopAnalysis"));
    m_menuLog = m_popup->addAction(QStringLiteral("Show &logfile"));
    m_menuLog->setObjectName(QStringLiteral("MIShowLog"));
    m_menuWriteBack = m_popup->addAction(QStringLiteral("&Write back EPD file"));
    m_menuWriteBack->setObjectName(QStringLiteral("MIWriteBack"));
    m_menuOpen = m_popup->addAction(QStringLiteral("&Open EPD file"));
    m_menuOpen->setObjectName(QStringLiteral("MIOpenEPD"));
    QAction* menuHide = m_popup->addAction(QStringLiteral("&Hide analysis box"));
    menuHide->setObjectName(QStringLiteral("MIHide"));
    auto start = [this] { run([this] { m_analysis->start(); }); };
    auto stop = [this] { run([this] { m_analysis->stop(); }); };
    connect(m_start, &QPushButton::clicked, this, start);
    connect(m_menuStart, &QAction::triggered, this, start);
    connect(m_stop, &QPushButton::clicked, this, stop);
    connect(m_menuStop, &QAction::triggered, this, stop);
    connect(m_menuLog, &QAction::triggered, this, [this] { showLogFile(); });
    connect(m_menuWriteBack, &QAction::triggered, this,
            [this] { run([this] { m_analysis->writeBack(); }); });
    connect(m_menuOpen, &QAction::triggered, this, [this] {
        if (openInMainWindow) openInMainWindow(m_analysis->epdFile());
    });
    connect(hide, &QPushButton::clicked, this, &QWidget::hide);
    connect(menuHide, &QAction::triggered, this, &QWidget::hide);
    connect(popupButton, &QPushButton::clicked, this, [this, popupButton] {
        m_popup->popup(mapToGlobal(QPoint(popupButton->x() - 25, popupButton->y())));
    });
    connect(pick, &QPushButton::clicked, this,
            [this] { run([this] { m_analysis->selectFile(); }); });
    connect(m_hash, &QComboBox::activated, this,
            [this](int index) { run([this, index] { m_analysis->setHashIndex(index); }); });
    connect(m_skip, &QRadioButton::toggled, this, [this](bool on) {
        m_analysis->setSkipEvaluated(on);
        sync();
    });
    for (QLineEdit* field : {m_epdFile, m_seconds, m_time})
        field->installEventFilter(this);

    m_timeInput = new TFormTimeInput(prompts, this);
    m_log = new TShowLog(this);
    setFixedSize(left + width + 8, 526);
    m_analysis->setGerman([] { return currentLanguageColumn() == 0; });

    // The table names the read-only fields for their hints, which empties them; the caption
    // follows the analysis. After a switch the window shows the analysis again, in the new
    // language, and the captions get the size of their new texts.
    const std::vector<QLabel*> captions(std::begin(labels), std::end(labels));
    auto* words = new TMultiLang(this, kFormEngAnaWords);
    words->language().AfterLanguageChanged = [this, captions](int) {
        for (QLabel* label : captions)
            label->adjustSize();
        sync();
    };
    sync();
}

TFormEngAna::~TFormEngAna() = default;

void TFormEngAna::run(const std::function<void()>& action) {
    runGuarded(m_prompts, action);
    sync();
}

void TFormEngAna::setUpEngine(const EngineLocation& location) {
    m_engine.setDLLPath(location.libraryFolder);
    if (!location.enginePath.empty()) {
        m_engine.setEngName(fileNameOf(location.enginePath));
        m_engine.setPath(folderOf(location.enginePath));
    }
    m_engine.setEngine(engineOfType(location.engineType));
    for (QWidget* field : {static_cast<QWidget*>(m_engineName), static_cast<QWidget*>(m_bestMoves),
                           static_cast<QWidget*>(m_avoidMoves), static_cast<QWidget*>(m_epdLine),
                           static_cast<QWidget*>(m_memo)})
        paintBackground(field, location.fieldColor);
}

void TFormEngAna::rebuildEngineIfNeeded() {
    if (m_analysis->analysing() || !m_location) return;
    const EngineLocation location = m_location();
    const bool moved = folderOf(location.enginePath) != m_engine.Path();
    const bool otherKind = m_engine.Engine() != engineOfType(location.engineType);
    if (!moved && !otherKind) return;
    const std::string dllPath = m_engine.DLLPath();
    const VEmodeSet mode = m_engine.Mode();
    const int seconds = m_engine.SecsPerPos();
    const VEhashSet hash = m_engine.HashSize();
    m_engine.Deallocate();
    m_engine.setDLLPath(dllPath);
    if (!location.enginePath.empty()) {
        m_engine.setEngName(fileNameOf(location.enginePath));
        m_engine.setPath(folderOf(location.enginePath));
    }
    m_engine.setAnalysisTimer(0);
    m_engine.setAppli(VEappliTypeSet::AppBRISVANE);
    m_engine.setDebug(false);
    m_engine.setEngine(engineOfType(location.engineType));
    m_engine.setMode(mode);
    m_engine.setSecsPerPos(seconds);
    m_engine.setHashSize(hash);
    m_analysis->refresh();
}

void TFormEngAna::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_engineSetUp && m_location) {
        m_engineSetUp = true;
        setUpEngine(m_location());
    }
    run([this] { m_analysis->show(); });
    if (m_analysis->firstUse()) m_epdFile->setFocus();
}

void TFormEngAna::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        m_shownDiagramLine.clear();  // redrawn
        run([this] { rebuildEngineIfNeeded(); });
    }
}

void TFormEngAna::closeEvent(QCloseEvent* event) {
    // The window keeps its state: it hides.
    event->ignore();
    hide();
}

bool TFormEngAna::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == m_epdFile) {
            run([this] { m_analysis->selectFile(); });
            return true;
        }
        if (watched == m_seconds) {
            run([this] { m_analysis->querySeconds(); });
            return true;
        }
        if (watched == m_time) {
            chooseTime();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFormEngAna::chooseTime() {
    m_timeInput->setCaption(word("TimeCaption"));
    m_timeInput->setTitle(word("TimeTitle"));
    m_timeInput->setMinimum(5);
    m_timeInput->setValue(5);
    if (m_timeInput->exec() == QDialog::Accepted) {
        const int seconds = m_timeInput->value();
        run([this, seconds] { m_analysis->setSeconds(seconds); });
    }
}

void TFormEngAna::showLogFile() {
    m_log->showLines(word("LogCaption") + m_analysis->epdFile(), m_analysis->logLines());
    m_log->exec();
}

void TFormEngAna::sync() {
    const EpdAnalysisDisplay& d = m_analysis->display();
    setWindowTitle(displayText(translated(kAnalysisTexts, d.caption, currentLanguageColumn())));
    m_engineName->setText(displayText(d.engineName));
    m_epdFile->setText(displayText(d.epdFile));
    m_bestMoves->setText(displayText(d.bestMoves));
    m_avoidMoves->setText(displayText(d.avoidMoves));
    m_epdLine->setText(displayText(d.epdLine));
    m_epdLine->setCursorPosition(0);
    m_seconds->setText(QString::fromStdString(d.secondsText));
    m_time->setText(QString::fromStdString(d.timeText));
    m_hash->setCurrentIndex(d.hashIndex);
    (d.skipEvaluated ? m_skip : m_all)->setChecked(true);
    m_counter->setText(QString::fromStdString(d.counter));
    // The memo grows line by line while a position is analysed; it starts again when emptied.
    if (d.memoGeneration != m_shownMemoGeneration) {
        m_shownMemoGeneration = d.memoGeneration;
        m_memo->clear();
        m_shownMemoLines = 0;
    }
    for (std::size_t i = m_shownMemoLines; i < d.memo.size(); ++i)
        m_memo->appendPlainText(displayText(d.memo[i]));
    m_shownMemoLines = d.memo.size();
    if (d.diagramLine != m_shownDiagramLine) {
        m_shownDiagramLine = d.diagramLine;
        TChessPosition board;
        clearSquares(board);
        readPlacement(placementField(d.diagramLine, false), [&board](Square square, int piece) {
            board.PutPieceOnSquare(piece, square);
        });
        m_diagram->showPosition(board);
    }
    m_start->setEnabled(d.startEnabled);
    m_menuStart->setEnabled(d.startEnabled);
    m_stop->setEnabled(d.stopEnabled);
    m_menuStop->setEnabled(d.stopEnabled);
    m_menuWriteBack->setEnabled(d.writeBackEnabled);
    m_menuLog->setEnabled(d.showLogEnabled);
    m_menuOpen->setEnabled(d.openFileEnabled);
    for (QWidget* control : {static_cast<QWidget*>(m_epdFile), static_cast<QWidget*>(m_pick),
                             static_cast<QWidget*>(m_hash), static_cast<QWidget*>(m_skip),
                             static_cast<QWidget*>(m_all)})
        control->setEnabled(d.settingsEnabled);
    if (d.timerOn && !m_timer->isActive()) m_timer->start();
    if (!d.timerOn && m_timer->isActive()) m_timer->stop();
    if (d.bringToFront) {
        m_analysis->clearBringToFront();
        show();
        raise();
        activateWindow();
    }
}
