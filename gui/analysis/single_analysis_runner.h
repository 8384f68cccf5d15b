#pragma once

#include <functional>
#include <memory>
#include <string>

#include <QObject>

#include "app_settings.h"
#include "prompts.h"
#include "vanta_engine.h"

class QProcess;
class QWidget;

// The single-position analysis of the main window: hands the current line's position to the
// chosen engine, follows the library engine in its watch dialog and offers the engine's
// principal variation as a pv operation of the line.
class TSingleAnalysis : public QObject {
    Q_OBJECT

public:
    struct Context {
        std::function<AppSettings()> options;
        std::string tempFolder;
        std::string addOnFolder;
        bool analysisDebug = false;
        // The current line ("" when none is selected), and a way to replace it.
        std::function<std::string()> currentLine;
        std::function<void(const std::string& line)> replaceLine;
        // Shows a text in place of the current-line field; an empty text restores the field.
        std::function<void(const QString& text)> showInLineField;
        // German interface texts where the program has them.
        std::function<bool()> german;
    };
    TSingleAnalysis(Prompts& prompts, Context context, QWidget* window);
    ~TSingleAnalysis() override;

    // "&Analyse": the current line with the chosen engine.
    void analyse();
    // After the analysis options: the library engine follows the settings.
    void refreshEngine();
    TVantaEngine& engine() { return m_engine; }
    // The processes of the outside engines, -1 when none (Crafty, Vanta 9, generic).
    long processId(int selection) const;

private:
    bool startOutside(int selection, const std::string& program,
                      const std::vector<std::string>& words, const std::string& commandLine,
                      const std::string& workingFolder);
    void analyseWithLibrary(const std::string& position, const AppSettings& options);
    void waitForVanta9(const AppSettings& options, const std::string& position);
    void offerPv(const std::string& question, const std::string& operation,
                 const std::string& separator);
    void tell(const std::string& text, Icon icon);

    Prompts& m_prompts;
    Context m_context;
    QWidget* m_window;
    TVantaEngine m_engine;
    std::unique_ptr<QProcess> m_processes[5];
};
