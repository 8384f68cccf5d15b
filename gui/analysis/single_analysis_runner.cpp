#include "single_analysis_runner.h"

#include <chrono>
#include <fstream>
#include <thread>

#include <QDate>
#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QWidget>

#include "chess_position.h"
#include "program_info.h"
#include "qt_text.h"
#include "single_analysis.h"
#include "small_dialogs.h"
#include "text_file.h"

namespace {

VEengTypeSet engineOfType(int type) {
    if (type == 9) return VEengTypeSet::EngV9;
    if (type == 1) return VEengTypeSet::EngCyc1;
    return VEengTypeSet::EngCyc2;
}

VEhashSet hashOfSetting(int setting) {
    return setting >= 2 && setting <= 7 ? static_cast<VEhashSet>(setting - 1)
                                        : VEhashSet::Hash256kb;
}

// The program's short date format.
std::string today() {
    return QDate::currentDate().toString(QStringLiteral("yyyy.MM.dd")).toStdString();
}

std::string applicationTitle() {
    return ProgramInfo::kTitle;
}

QStringList arguments(const std::vector<std::string>& words, std::size_t from) {
    QStringList list;
    for (std::size_t i = from; i < words.size(); ++i)
        list << displayText(words[i]);
    return list;
}

}  // namespace

TSingleAnalysis::TSingleAnalysis(Prompts& prompts, Context context, QWidget* window)
    : QObject(window),
      m_prompts(prompts),
      m_context(std::move(context)),
      m_window(window),
      m_engine(&prompts) {
    m_engine.setEngName(kDefaultEngineName);
    m_engine.setAppli(VEappliTypeSet::AppBRISVANE);
    m_engine.setMode(VEmodeSet::ModNext);
    m_engine.setSecsPerPos(5);
    m_engine.setEPDevalMode(VEEPDevalSet::EPDevalCheckCE);
    m_engine.setAnalysisTimer(0);
    refreshEngine();
}

TSingleAnalysis::~TSingleAnalysis() {
    // The outside engines keep running on their own; their processes are only let go.
    for (auto& process : m_processes)
        if (process && process->state() != QProcess::NotRunning) {
            process->setParent(nullptr);
            (void)process.release();
        }
}

void TSingleAnalysis::tell(const std::string& text, Icon icon) {
    m_prompts.message(kCaption, text, icon);
}

long TSingleAnalysis::processId(int selection) const {
    const auto& process = m_processes[selection];
    return process && process->state() != QProcess::NotRunning ? process->processId() : -1;
}

void TSingleAnalysis::refreshEngine() {
    const AppSettings options = m_context.options();
    if (!options.libraryUsable) return;
    // The library's folder is taken until the library is loaded (and ignored from then on).
    m_engine.setDLLPath(options.libraryFolder);
    const std::string folder = folderOf(options.vantaEngine);
    if (!options.vantaEngine.empty() &&
        (folder != m_engine.Path() || m_engine.Engine() != engineOfType(options.vantaEngineType) ||
         fileNameOf(options.vantaEngine) != m_engine.EngName())) {
        if (m_engine.ID() >= 0) m_engine.Deallocate();
        m_engine.setDLLPath(options.libraryFolder);
        m_engine.setEngName(fileNameOf(options.vantaEngine));
        m_engine.setPath(folder);
    }
    m_engine.setAnalysisTimer(0);
    m_engine.setAppli(VEappliTypeSet::AppBRISVANE);
    m_engine.setDebug(false);
    m_engine.setEngine(engineOfType(options.vantaEngineType));
    m_engine.setHashSize(hashOfSetting(options.hashSizeVE));
    m_engine.setMode(VEmodeSet::ModNext);
    m_engine.setSecsPerPos(5);
}

bool TSingleAnalysis::startOutside(int selection, const std::string& program,
                                   const std::vector<std::string>& words,
                                   const std::string& commandLine,
                                   const std::string& workingFolder) {
    static const char* const running[] = {"", "Crafty still running", "Vanta 9 still running", "",
                                          "Generic chess engine still running"};
    auto& process = m_processes[selection];
    if (process && process->state() != QProcess::NotRunning && !process->waitForFinished(200)) {
        tell(running[selection], Icon::Error);
        return false;
    }
    if (m_context.analysisDebug) {
        tell("Current directory : " +
                 (workingFolder.empty() ? QDir::currentPath().toStdString() : workingFolder),
             Icon::Information);
        tell("command line : " + commandLine, Icon::Information);
    }
    process = std::make_unique<QProcess>();
    if (!workingFolder.empty()) process->setWorkingDirectory(displayText(workingFolder));
    // The engines talk to the user in a console of their own when a terminal is configured;
    // nothing they write is read here, so it is not kept either.
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    const std::string terminal = m_context.options().terminal;
    if (!terminal.empty()) {
        QStringList inTerminal = {QStringLiteral("-e"), displayText(program)};
        inTerminal << arguments(words, 1);
        process->start(displayText(terminal), inTerminal);
    } else {
        process->start(displayText(program), arguments(words, 1));
    }
    if (!process->waitForStarted(5000)) {
        process.reset();
        tell("Can't start chess engine", Icon::Error);
        return false;
    }
    return true;
}

void TSingleAnalysis::analyse() {
    const AppSettings options = m_context.options();
    const std::string line = m_context.currentLine();
    const std::string position =
        positionPartOfLine(line.empty() ? std::string(kInitialPositionLine) : line);
    SingleAnalysis::Engines engines;
    engines.crafty = options.crafty;
    engines.vanta9 = options.vanta9;
    engines.generic = options.generic;
    engines.changeToCraftyLocation = options.changeToCraftyLocation;
    engines.changeToGenericLocation = options.changeToGenericLocation;
    engines.hashSizeV9 = options.hashSizeV9;
    engines.genericCmdLine = options.genericCmdLine;
    engines.genericEpdFile = options.genericEpdFile;
    engines.tempFolder = m_context.tempFolder;
    engines.site = applicationTitle();
    engines.today = today();
    std::string error;
    switch (options.selection) {
        case 1:
            if (const auto start = SingleAnalysis::craftyStart(engines, position, error))
                startOutside(1, start->words[0], start->words, start->commandLine,
                             start->workingFolder);
            else if (!error.empty())
                tell(error, Icon::Error);
            break;
        case 2:
            if (const auto start = SingleAnalysis::vanta9Start(engines, position, error)) {
                if (startOutside(2, start->words[0], start->words, start->commandLine,
                                 start->workingFolder) &&
                    options.waitV9Result)
                    waitForVanta9(options, position);
            } else if (!error.empty()) {
                tell(error, Icon::Error);
            }
            break;
        case 3:
            if (options.libraryUsable && !options.vantaEngine.empty())
                analyseWithLibrary(position, options);
            break;
        case 4:
            if (const auto start = SingleAnalysis::genericStart(engines, position, error))
                startOutside(4, start->words[0], start->words, start->commandLine,
                             start->workingFolder);
            else if (!error.empty())
                tell(error, Icon::Error);
            break;
        default:
            break;
    }
}

void TSingleAnalysis::waitForVanta9(const AppSettings& options, const std::string& position) {
    auto& process = m_processes[2];
    if (!process) return;
    const bool german = m_context.german && m_context.german();
    if (m_context.showInLineField)
        m_context.showInLineField(
            german ? QStringLiteral(" ***** WARTEN AUF VANTAS ANALYSEERGEBNIS ***** ")
                   : QStringLiteral(" ***** WAIT FOR VANTA'S ANALYSIS RESULT ***** "));
    // The window goes on painting while it waits, but takes no input: nothing can start a second
    // analysis or change the line meanwhile.
    bool waitFailed = false;
    if (process->state() != QProcess::NotRunning) {
        QEventLoop loop;
        connect(process.get(), &QProcess::finished, &loop, &QEventLoop::quit);
        connect(process.get(), &QProcess::errorOccurred, &loop, [&loop, &process, &waitFailed] {
            if (process->state() != QProcess::NotRunning) waitFailed = true;
            loop.quit();
        });
        if (process->state() != QProcess::NotRunning) loop.exec(QEventLoop::ExcludeUserInputEvents);
    }
    if (m_context.showInLineField) m_context.showInLineField(QString());
    if (waitFailed) {
        // The engine goes on on its own; its process is let go.
        process->setParent(nullptr);
        (void)process.release();
        tell("Can't wait for Vanta 9 termination", Icon::Error);
        return;
    }
    process.reset();
    if (m_context.currentLine().empty()) return;
    const auto result = SingleAnalysis::vanta9Result(folderOf(options.vanta9), position);
    if (!result.error.empty()) tell(result.error, Icon::Error);
    if (result.pv)
        offerPv("Add Vanta's pv EPD opcode value\n" + *result.pv + "\n" + "to EPD line?",
                *result.pv, " ");
}

void TSingleAnalysis::analyseWithLibrary(const std::string& position, const AppSettings& options) {
    const std::string file = m_context.tempFolder + "/BRISVANE.PGN";
    if (!QDir(displayText(m_context.tempFolder)).exists()) {
        tell("Can't change to " + m_context.tempFolder, Icon::Error);
        return;
    }
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << SingleAnalysis::positionGame("Vanta Engine Analysis", applicationTitle(), today(),
                                            position);
        if (!out) {
            tell("Can't write " + file, Icon::Error);
            return;
        }
    }
    const bool started =
        m_engine.IsRunning() ? m_engine.UpdateAnalysis(file) : m_engine.StartAnalysis(file);
    if (!started) {
        tell("Can't start chess engine", Icon::Error);
        return;
    }
    if (options.slowTimer > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(options.slowTimer));
    else if (options.slowTimer == -1)
        tell("Wait point for slow CPUs\nPress button to continue ...", Icon::Information);
    std::string operation;
    if (!m_engine.IsRunning()) {
        // Ended at once: the engine program's reason, when it left one.
        std::string last;
        const auto reason =
            m_engine.ReadAnalysisLine(last) ? engineMessage(last) : std::optional<std::string>();
        tell("Can't start chess engine" + (reason ? "\n" + *reason : std::string()), Icon::Error);
    } else {
        TFormVanEng watch(m_engine, TVantaEngine::engineDescription(m_engine.Engine()),
                          options.veldrinBlue, m_window);
        watch.exec();
        if (!watch.variation().empty()) operation = " pv " + watch.variation() + ";";
        m_engine.StopAnalysis();
    }
    if (!operation.empty() && !m_context.currentLine().empty())
        offerPv("Add Vanta engine's pv EPD opcode value\n" + operation + "\n" + "to EPD line?",
                operation, "");
}

void TSingleAnalysis::offerPv(const std::string& question, const std::string& operation,
                              const std::string& separator) {
    if (!m_prompts.askYesNo(kCaption, question, Icon::Question)) return;
    const std::string line = m_context.currentLine();
    if (!line.empty()) m_context.replaceLine(SingleAnalysis::withPv(line, operation, separator));
}
