// Brisvane: an EPD file viewer and editor for chess test positions.
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <QApplication>
#include <QIcon>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QScreen>
#include <QThread>

#include "app_folders.h"
#include "app_settings.h"
#include "chess_diagram.h"
#include "command_line.h"
#include "info_boxes.h"
#include "ini_settings.h"
#include "instance_server.h"
#include "main_window.h"

namespace {

std::string userName() {
    if (const char* name = std::getenv("USER"); name && *name) return name;
    return std::to_string(::getuid());
}

// Shows the splash window and lets it paint for half a second.
void showSplash(TSplashForm& splash) {
    splash.show();
    QElapsedTimer shown;
    shown.start();
    while (shown.elapsed() < 500) {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
}

}  // namespace

int main(int argc, char* argv[]) {
    // Help and version need no display, so they come before the application object.
    const CommandLine early = CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (early.showHelp) {
        std::fputs(CommandLine::usage().c_str(), stdout);
        return 0;
    }
    if (early.showVersion) {
        std::printf("Brisvane %s\n", BRISVANE_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brisvane"));
    QApplication::setApplicationVersion(QStringLiteral("1.5"));
    // Qt has taken its own arguments out by now.
    const CommandLine commandLine =
        CommandLine::parse(std::vector<std::string>(argv + 1, argv + argc));

    // One instance per user and session: a second start hands its file to the first and ends;
    // what is wrong with its command line the first window says, as a first start would.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string socket = InstanceMessage::socketName(
        userName(),
        InstanceMessage::sessionName(std::getenv("WAYLAND_DISPLAY"), std::getenv("DISPLAY"),
                                     std::getenv("XDG_SESSION_ID")),
        runtime && std::filesystem::is_directory(runtime) ? runtime : "");
    std::vector<std::string> frames = {InstanceMessage::encode(InstanceMessage::kBringToFront, "")};
    for (const std::string& problem : commandLine.problems)
        frames.push_back(InstanceMessage::encode(InstanceMessage::kShowMessage, problem));
    if (!commandLine.fileToOpen.empty())
        frames.push_back(
            InstanceMessage::encode(InstanceMessage::kOpenFile,
                                    std::filesystem::absolute(commandLine.fileToOpen).string()));
    if (TInstanceServer::sendToRunning(socket, frames, 1000))
        return commandLine.problems.empty() ? 0 : 1;

    auto* splash = new TSplashForm(QImage(QStringLiteral(":/pieces/PIECE2.bmp")));
    showSplash(*splash);

    MainFormSetup setup;
    setup.folders = AppFolders::forProgramFolder(QApplication::applicationDirPath().toStdString());
    if (!ensureFolder(setup.folders.addOnFolder))
        setup.startMessages.push_back(
            {Icon::Error, "Can't create directory " + setup.folders.addOnFolder});
    if (!ensureFolder(setup.folders.tempFolder)) {
        splash->close();
        QMessageBox::critical(nullptr, QStringLiteral("Brisvane"),
                              QStringLiteral("Can't create directory ") +
                                  QString::fromStdString(setup.folders.tempFolder));
        return 1;
    }
    const Converters converters = Converters::find(setup.folders.addOnFolder);
    setup.qbxConverter = converters.qbx;
    setup.pgnConverter = converters.pgn;

    IniSettings settings(setup.folders.settingsFile);
    if (!settings.lastError().empty())
        setup.startMessages.push_back({Icon::Error, settings.lastError()});
    SettingsContext context{setup.folders.programFolder, setup.folders.addOnFolder};
    if (const QScreen* screen = QApplication::primaryScreen())
        context.screenPixelsPerInch = context.windowPixelsPerInch =
            static_cast<int>(screen->logicalDotsPerInch());
    try {
        SettingsReading reading = readAllSettings(settings, context);
        setup.options = std::move(reading.settings);
        setup.optionsChanged = reading.changed;
        for (auto& message : reading.messages)
            setup.startMessages.push_back(std::move(message));
    } catch (const std::exception& error) {
        // A settings file that cannot be written: the program goes on with what it read.
        setup.startMessages.push_back({Icon::Error, error.what()});
    }
    setup.settings = &settings;
    setup.analysisDebug = commandLine.analysisDebug || setup.options.analyseDebug;
    setup.boardSetupNoCheck = commandLine.boardSetupNoCheck;
    setup.showEngineInfo = commandLine.showEngineInfo || setup.options.showVanEngInfo;
    setup.fileToOpen = commandLine.fileToOpen;
    for (const std::string& problem : commandLine.problems)
        setup.startMessages.push_back({Icon::Error, problem});

    TMainForm window(setup);
    if (window.quitRequested()) return 1;
    QApplication::setWindowIcon(QIcon(QPixmap::fromImage(window.diagram()->pieceOn(
        Piece::WhiteKnight, TChessDiagram2D::colorOf(kDefaultDarkSquares)))));
    TInstanceServer server;
    if (server.listen(socket))
        server.onFrame = [&window](const InstanceMessage::Frame& frame) {
            window.handleInstanceFrame(frame);
        };
    else
        std::fprintf(stderr, "Brisvane: no other program can reach this one: %s\n",
                     server.errorString().c_str());
    splash->close();
    window.show();
    return QApplication::exec();
}
