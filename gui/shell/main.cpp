// Brisvane: an EPD file viewer and editor for chess test positions.
#include <QApplication>
#include <QMessageBox>

#include <cstdio>
#include <string>
#include <vector>

#include "app_folders.h"
#include "command_line.h"
#include "ini_settings.h"
#include "main_window.h"

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

    AppFolders folders =
        AppFolders::forProgramFolder(QApplication::applicationDirPath().toStdString());
    ensureFolder(folders.addOnFolder);
    if (!ensureFolder(folders.tempFolder)) {
        QMessageBox::critical(
            nullptr, QStringLiteral("Brisvane"),
            QStringLiteral("Can't create directory ") + QString::fromStdString(folders.tempFolder));
        return 1;
    }
    IniSettings settings(folders.settingsFile);

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    const CommandLine commandLine = CommandLine::parse(arguments);

    MainFormSetup setup;
    setup.folders = folders;
    setup.settings = &settings;
    setup.fileToOpen = commandLine.fileToOpen;
    setup.startMessages = commandLine.problems;
    TMainForm window(setup);
    if (window.quitRequested()) return 1;
    window.show();
    return QApplication::exec();
}
