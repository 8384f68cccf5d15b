// Brisvane: an EPD file viewer and editor for chess test positions.
#include <QApplication>
#include <QMessageBox>

#include <string>
#include <vector>

#include "app_folders.h"
#include "command_line.h"
#include "ini_settings.h"
#include "main_window.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Brisvane"));

    AppFolders folders =
        AppFolders::forProgramFolder(QApplication::applicationDirPath().toStdString());
    ensureFolder(folders.addOnFolder);
    if (!ensureFolder(folders.tempFolder)) {
        QMessageBox::critical(nullptr, QStringLiteral("Brisvane"),
                              QStringLiteral("Can't create directory ") +
                                  QString::fromStdString(folders.tempFolder));
        return 1;
    }
    IniSettings settings(folders.settingsFile);

    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    const CommandLine commandLine = CommandLine::parse(arguments);

    MainFormSetup setup;
    setup.folders = folders;
    setup.settings = &settings;
    setup.fileToOpen = commandLine.fileToOpen;
    TMainForm window(setup);
    if (window.quitRequested()) return 1;
    window.show();
    return QApplication::exec();
}
