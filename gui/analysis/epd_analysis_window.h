#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QDialog>

#include "epd_file_analysis.h"
#include "prompts.h"
#include "services.h"
#include "vanta_engine.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimer;
class TChessDiagram2D;
class TFormTimeInput;
class TShowLog;

// Where the analysis window finds its engine: the library's folder and the engine program with
// its kind, as the main window's settings hold them.
struct EngineLocation {
    std::string libraryFolder;
    std::string enginePath;          // the library engine program ("" for none)
    int engineType = 2;              // 1, 2 or 9
    unsigned fieldColor = 16755712;  // the read-only fields' background (0x00BBGGRR)
};

// The EPD file analysis window: the library engine goes through a whole EPD file while the
// window shows the position, its best and avoid moves and the engine's lines, and writes a log.
// It hides instead of closing. The logic is EpdFileAnalysis's.
class TFormEngAna : public QDialog {
    Q_OBJECT

public:
    TFormEngAna(Prompts& prompts, SettingsStore* settings, std::string programFolder,
                std::function<EngineLocation()> location, QWidget* parent = nullptr);
    ~TFormEngAna() override;

    // "&Open EPD file": opens the analysed file in the main window.
    std::function<void(const std::string& path)> openInMainWindow;

    bool analysing() const { return m_analysis->analysing(); }
    EpdFileAnalysis& analysis() { return *m_analysis; }
    TVantaEngine& engine() { return m_engine; }
    TChessDiagram2D* diagram() const { return m_diagram; }
    QTimer* timer() const { return m_timer; }
    QMenu* popupMenu() const { return m_popup; }

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void run(const std::function<void()>& action);
    void sync();
    void setUpEngine(const EngineLocation& location);
    void rebuildEngineIfNeeded();
    void showLogFile();
    void chooseTime();

    Prompts& m_prompts;
    std::function<EngineLocation()> m_location;
    TVantaEngine m_engine;
    std::unique_ptr<ComponentEngine> m_control;
    std::unique_ptr<EpdFileAnalysis> m_analysis;
    bool m_engineSetUp = false;
    TChessDiagram2D* m_diagram;
    QLineEdit* m_engineName;
    QLineEdit* m_epdFile;
    QLineEdit* m_bestMoves;
    QLineEdit* m_avoidMoves;
    QLineEdit* m_epdLine;
    QLineEdit* m_seconds;
    QLineEdit* m_time;
    QComboBox* m_hash;
    QRadioButton* m_skip;
    QRadioButton* m_all;
    QLabel* m_counter;
    QPlainTextEdit* m_memo;
    QPushButton* m_start;
    QPushButton* m_stop;
    QPushButton* m_pick;
    QTimer* m_timer;
    QMenu* m_popup;
    QAction* m_menuStart;
    QAction* m_menuStop;
    QAction* m_menuLog;
    QAction* m_menuWriteBack;
    QAction* m_menuOpen;
    TFormTimeInput* m_timeInput;
    TShowLog* m_log;
    std::string m_shownDiagramLine;
    std::size_t m_shownMemoLines = 0;
    unsigned m_shownMemoGeneration = 0;
};
