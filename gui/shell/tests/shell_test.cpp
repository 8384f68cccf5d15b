#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <filesystem>
#include <memory>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocalSocket>
#include <QMenu>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include "board_setup_dialog.h"
#include "chess_diagram.h"
#include "file_dialogs.h"
#include "general_options_dialog.h"
#include "help_window.h"
#include "info_boxes.h"
#include "ini_settings.h"
#include "instance_server.h"
#include "main_window.h"
#include "program_info.h"
#include "scripted_prompts.h"
#include "temp_folder.h"
#include "when_modal.h"
#include "test_window_setup.h"

namespace {

const std::string kLine1 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 bm e5;";
const std::string kLine2 = "4k3/8/8/8/8/8/8/4K3 w - - id \"kings\";";

using Messages = std::vector<std::string>;

class Shell : public testing::Test {
protected:
    Shell() { ensureFolder(folder.path("doc")); }
    void TearDown() override {
        EXPECT_TRUE(prompts.unexpected().empty()) << prompts.unexpected().front();
    }
    std::unique_ptr<TMainForm> makeWindow(const AppSettings& options = {}) {
        MainFormSetup setup = testWindowSetup(folder.root(), settings, prompts, clipboard);
        setup.options = options;
        return std::make_unique<TMainForm>(setup);
    }
    std::string epd(const std::string& name, const std::string& line) {
        folder.write(name, line + "\r\n");
        return folder.path(name);
    }

    TempFolder folder;
    ScriptedPrompts prompts;
    MemoryClipboard clipboard;
    MemorySettings settings;
};

TEST_F(Shell, OptionsReachTheWindowAndAreSavedAndAskedForAtExit) {
    AppSettings options;
    options.darkSquares = ColorRef::fromRgb(10, 20, 30);
    options.undoBufferSize = 0;
    options.boardSetupNoCheck = true;
    options.language = 1;
    auto window = makeWindow(options);
    EXPECT_EQ(window->diagram()->DarkSquareColor(), QColor(10, 20, 30));
    EXPECT_EQ(window->document().language(), Language::German);
    EXPECT_FALSE(window->action(QStringLiteral("miSaveOptions"))->isEnabled());
    window->document().addLineAtEnd(kLine1);
    window->document().deleteLine();  // no undo ring
    EXPECT_EQ(prompts.messages(), Messages{"Can't save deleted line to undo buffer"});
    // No position check: an empty board is taken.
    whenModal<TBoardSetup>([](TBoardSetup* setup) {
        setup->findChild<QPushButton*>(QStringLiteral("BtnOK"))->click();
    });
    window->document().newLine();
    EXPECT_EQ(window->document().line(0), "8/8/8/8/8/8/8/8 w - -");

    // The general options dialog: a new dark colour and the EPD server off.
    whenModal<TGeneralOpt>([](TGeneralOpt* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Brisvane: Allgemeine Optionen");  // Language=1
        EXPECT_TRUE(dialog->findChild<QRadioButton*>(QStringLiteral("RBGerman"))->isChecked());
        QTest::mouseClick(dialog->findChild<QWidget*>(QStringLiteral("ShapeDark")), Qt::LeftButton);
        dialog->findChild<QCheckBox*>(QStringLiteral("CBEPDserver"))->setChecked(false);
        dialog->findChild<QPushButton*>(QStringLiteral("BtnOK"))->click();
    });
    prompts.color(ColorRef::fromRgb(1, 2, 3).value);
    window->action(QStringLiteral("miGeneralOptions"))->trigger();
    EXPECT_EQ(window->diagram()->DarkSquareColor(), QColor(1, 2, 3));
    EXPECT_FALSE(window->options().epdServer);
    EXPECT_TRUE(window->action(QStringLiteral("miSaveOptions"))->isEnabled());

    window->action(QStringLiteral("miSaveOptions"))->trigger();
    EXPECT_EQ(settings.readString("Settings", "DarkSquares", ""),
              std::to_string(ColorRef::fromRgb(1, 2, 3).value));
    EXPECT_EQ(settings.readString("Settings", "EPDServer", ""), "0");
    EXPECT_FALSE(window->action(QStringLiteral("miSaveOptions"))->isEnabled());

    // Changed again and not saved: exit asks, and a running analysis may keep the program.
    window->setOptions(options);
    window->analysisRunning = [] { return true; };
    window->show();
    prompts.no().yes().no();  // close the emptied document: no; save options: yes; quit: no
    EXPECT_FALSE(window->close());
    const auto& shown = prompts.shown();
    EXPECT_EQ(shown[shown.size() - 2].text, "Save changed options ?");
    EXPECT_EQ(shown.back().text, "EPD file analysis still running\nDo you really want to quit ?");
    EXPECT_EQ(settings.readString("Settings", "DarkSquares", ""),
              std::to_string(options.darkSquares.value));
    window->analysisRunning = nullptr;
    EXPECT_TRUE(window->close());
}

// A settings file that cannot be written: Yes to saving the options at exit shows why, and the
// program ends all the same.
TEST_F(Shell, ExitGoesOnWhenTheOptionsCannotBeSaved) {
    IniSettings locked(folder.path("locked.ini"));
    folder.write("locked.ini", "[Settings]\n");
    std::filesystem::permissions(folder.path("locked.ini"), std::filesystem::perms(0444));
    MainFormSetup setup = testWindowSetup(folder.root(), locked, prompts, clipboard);
    setup.optionsChanged = true;
    TMainForm window(setup);
    window.show();
    prompts.yes();
    EXPECT_TRUE(window.close());
    EXPECT_EQ(prompts.messages(),
              Messages{"Can't write " + folder.path("locked.ini") + ": the file is read-only"});
}

// A settings file that could not be read at start: Save options says it is not written.
TEST_F(Shell, SaveOptionsSaysWhenTheFileIsNotWritten) {
    ensureFolder(folder.path("unreadable.ini"));
    IniSettings unreadable(folder.path("unreadable.ini"));
    MainFormSetup setup = testWindowSetup(folder.root(), unreadable, prompts, clipboard);
    setup.optionsChanged = true;
    TMainForm window(setup);
    window.action(QStringLiteral("miSaveOptions"))->trigger();
    EXPECT_EQ(prompts.messages(), Messages{"Can't write " + folder.path("unreadable.ini") +
                                           ": the file could not be read"});
    EXPECT_TRUE(window.action(QStringLiteral("miSaveOptions"))->isEnabled());
}

TEST_F(Shell, TheSubmenusFollowTheDocument) {
    auto window = makeWindow();
    auto* exportMenu = window->findChild<QMenu*>(QStringLiteral("miExportFile"));
    EXPECT_FALSE(exportMenu->isEnabled());
    window->document().addLineAtEnd(kLine1);
    EXPECT_TRUE(exportMenu->isEnabled());
    EXPECT_FALSE(window->findChild<QMenu*>(QStringLiteral("miImportFile"))->isEnabled());
}

// A real client on the real socket: garbage and half frames change nothing and hold nothing
// up, a good request adds its line, the server goes on serving.
TEST_F(Shell, LineRequestsOverTheSocket) {
    auto window = makeWindow();
    const std::string name = "brisvane-test-" + std::to_string(::getpid());
    TInstanceServer server;
    ASSERT_TRUE(server.listen(name)) << server.errorString();
    server.onFrame = [&window](const InstanceMessage::Frame& frame) {
        window->handleInstanceFrame(frame);
    };
    auto send = [&name](const std::string& bytes) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(QString::fromStdString(name));
        EXPECT_TRUE(socket->waitForConnected(2000));
        socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
        socket->flush();
        return socket;
    };
    using InstanceMessage::encode;
    const std::string line = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
    auto silent = send("");  // connects and never sends
    auto partial = send(encode(42, "Brisvane:ADD:" + line).substr(0, 30));
    std::string garbage(1 << 20, '\0');
    for (std::size_t i = 0; i < garbage.size(); ++i)
        garbage[i] = static_cast<char>(i * 7919 % 251);
    auto noise = send(garbage);
    auto wrong = send(encode(41, "Brisvane:ADD:" + line) + encode(42, "Brisvane:add:" + line) +
                      encode(42, "Brisvane:ADD:" + line.substr(0, 14)));
    QTest::qWait(200);
    EXPECT_EQ(window->document().lineCount(), 0u);
    auto good = send(encode(42, "Brisvane:ADD:" + line));
    EXPECT_TRUE(waitUntil([&] { return window->document().lineCount() == 1; }));
    EXPECT_EQ(window->document().line(0), line);
    EXPECT_EQ(window->document().name(), "NONAME");
    EXPECT_TRUE(window->document().isModified());

    // While a dialog is open, a request waits: the document does not change under it.
    whenModal<TGeneralOpt>([&](TGeneralOpt* dialog) {
        window->handleInstanceFrame({42, "Brisvane:ADD:" + line});
        QTest::qWait(300);
        EXPECT_EQ(window->document().lineCount(), 1u);
        dialog->reject();
    });
    window->action(QStringLiteral("miGeneralOptions"))->trigger();
    EXPECT_TRUE(waitUntil([&] { return window->document().lineCount() == 2; }));

    // With the EPD server off the requests are ignored.
    AppSettings off;
    off.epdServer = false;
    window->setOptions(off);
    auto ignored = send(encode(42, "Brisvane:ADD:" + line));
    QTest::qWait(200);
    EXPECT_EQ(window->document().lineCount(), 2u);
}

TEST_F(Shell, AStaleSocketFileDoesNotStopTheNextStart) {
    const std::string name = "brisvane-stale-" + std::to_string(::getpid());
    const std::string path = QDir::tempPath().toStdString() + "/" + name;
    // A socket file nobody listens on, as a killed instance leaves it.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", path.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    ASSERT_TRUE(std::filesystem::exists(path));
    TInstanceServer server;
    EXPECT_TRUE(server.listen(name)) << server.errorString();
    // Only the user may connect.
    const auto permissions = std::filesystem::status(path).permissions();
    EXPECT_EQ(
        permissions & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
        std::filesystem::perms::none);
    // A second server under the name finds the first one answering.
    TInstanceServer second;
    EXPECT_FALSE(second.listen(name));
}

// The real program started a second time hands its file to the first and ends.
TEST_F(Shell, ASecondStartOpensItsFileInTheFirstWindow) {
    auto window = makeWindow();
    window->show();
    const std::string user = "brisvane-second-" + std::to_string(::getpid());
    TInstanceServer server;
    // The instance of the user's session on display :77.
    ASSERT_TRUE(server.listen(InstanceMessage::socketName(user, "_77")));
    server.onFrame = [&window](const InstanceMessage::Frame& frame) {
        window->handleInstanceFrame(frame);
    };
    const std::string file = epd("second.epd", kLine2);
    auto start = [&user](const std::string& argument) {
        QProcess second;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("USER"), QString::fromStdString(user));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        for (const char* name : {"WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"})
            environment.remove(QString::fromLatin1(name));
        environment.insert(QStringLiteral("DISPLAY"), QStringLiteral(":77"));
        second.setProcessEnvironment(environment);
        second.start(QStringLiteral(BRISVANE_PROGRAM_DIR "/Brisvane"),
                     {QString::fromStdString(argument)});
        EXPECT_TRUE(second.waitForStarted());
        // The event loop runs while the second start talks to this one.
        waitUntil([&] { return second.state() == QProcess::NotRunning; }, 10000);
        if (second.state() != QProcess::NotRunning) second.kill();
        return second.exitCode();
    };
    EXPECT_EQ(start(file), 0);
    EXPECT_TRUE(waitUntil([&] { return window->document().name() == "second.epd"; }));
    EXPECT_EQ(window->windowTitle(), "Brisvane: second.epd");
    EXPECT_EQ(window->document().line(0), kLine2);
    // A file that is not there: the window says so, as a first start would, and the second
    // start ends with a failure.
    EXPECT_EQ(start(folder.path("gone.epd")), 1);
    folder.write("notes.txt", "x");
    EXPECT_EQ(start(folder.path("notes.txt")), 1);
    EXPECT_TRUE(waitUntil([&] { return prompts.messages().size() == 2; }));
    EXPECT_EQ(prompts.messages(),
              (Messages{"File " + folder.path("gone.epd") + " not found",
                        "File " + folder.path("notes.txt") + " is not an EPD file (*.EPD)"}));
    EXPECT_EQ(window->document().name(), "second.epd");
}

TEST_F(Shell, DroppedEpdFilesAreOpenedTheLastStays) {
    auto window = makeWindow();
    window->openDroppedFiles({epd("a.EPD", kLine1), epd("b.txt", kLine2)});
    EXPECT_EQ(window->document().name(), "a.EPD");
    // A real drop of two EPD files.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(epd("c.epd", kLine1))),
                  QUrl::fromLocalFile(QString::fromStdString(epd("d.epd", kLine2)))});
    window->show();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_TRUE(waitUntil([&] { return window->document().name() == "d.epd"; }));
    EXPECT_TRUE(prompts.messages().empty());
}

TEST_F(Shell, TextDocumentsHelpAndBoxes) {
    AppSettings options;
    // The editor: a real program that records the file it was given.
    options.editor = "sh -c 'printf %s \"$0\" > " + folder.path("opened") + "'";
    folder.write("doc/EPDdescription.txt", "EPD");
    auto window = makeWindow(options);
    // Without the manual, the help items are disabled.
    EXPECT_FALSE(window->action(QStringLiteral("miContentsHelp"))->isEnabled());
    window->action(QStringLiteral("miEPDdescriptionHelp"))->trigger();
    EXPECT_TRUE(
        waitUntil([&] { return folder.read("opened") == folder.path("doc/EPDdescription.txt"); }));
    window->action(QStringLiteral("miManualHelp"))->trigger();
    EXPECT_EQ(prompts.messages(),
              Messages{"File " + folder.path("doc/Brisvane.txt") + " doesn't exists"});

    folder.write("doc/Brisvane.html",
                 "<html><body><h1>Manual</h1><p>Undo puts lines back.</p></body></html>");
    auto helped = makeWindow(options);
    ASSERT_TRUE(helped->action(QStringLiteral("miContentsHelp"))->isEnabled());
    helped->action(QStringLiteral("miContentsHelp"))->trigger();
    ASSERT_NE(helped->helpWindow(), nullptr);
    EXPECT_TRUE(helped->helpWindow()->isVisible());
    EXPECT_TRUE(helped->helpWindow()->browser()->toPlainText().contains(QStringLiteral("Manual")));
    EXPECT_TRUE(helped->helpWindow()->find(QStringLiteral("lines back")));
    EXPECT_FALSE(helped->helpWindow()->find(QStringLiteral("no such words")));
    helped->action(QStringLiteral("miHelpOnHelp"))->trigger();
    EXPECT_TRUE(helped->helpWindow()->browser()->toPlainText().contains(QStringLiteral("Search")));
    helped->action(QStringLiteral("miSearchHelp"))->trigger();  // searches the manual again
    EXPECT_TRUE(helped->helpWindow()->find(QStringLiteral("lines back")));

    // About: a click on the address copies it. WWW: Copy and Connect.
    TAboutBox about(clipboard);
    EXPECT_EQ(about.windowTitle(), "Brisvane: About");
    EXPECT_TRUE(about.findChild<QLabel*>(QStringLiteral("LblOS"))->text().startsWith("Linux V"));
    QTest::mouseClick(about.findChild<QLabel*>(QStringLiteral("LblContact")), Qt::LeftButton);
    EXPECT_EQ(clipboard.content, std::string(ProgramInfo::kContact));
    std::string opened;
    TWebBox web(clipboard, [&opened](const std::string& address) { opened = address; });
    web.findChild<QPushButton*>(QStringLiteral("BtnConnect"))->click();
    EXPECT_EQ(opened, ProgramInfo::kDownloadPage);
    web.findChild<QPushButton*>(QStringLiteral("BtnCopy"))->click();
    EXPECT_EQ(clipboard.content, std::string(ProgramInfo::kDownloadPage));
    EXPECT_EQ(TLicenceBox().windowTitle(), "Brisvane: Licence");
}

TEST_F(Shell, OwnFileAndFolderDialogs) {
    for (const char* name : {"crafty.EXE", "crafty.exe", "crafty.PIF", "notes.txt"})
        folder.write(name, "x");
    TMyOpenDialog open;
    EXPECT_EQ(open.title(), "Open file");
    open.setTitle("Crafty location");
    open.setTitle("");  // an empty text changes nothing
    open.setFilter("Crafty (*.EXE)|*.EXE|Crafty PIF file (*.PIF)|*.PIF");
    open.setInitialDir(folder.root());
    open.setFileName("crafty.PIF");  // not listed under the first filter
    open.OnShow();
    EXPECT_EQ(open.windowTitle(), "Crafty location");
    EXPECT_EQ(open.folder(), folder.root());
    EXPECT_EQ(open.files(), (QStringList{"crafty.EXE", "crafty.exe"}));
    open.changeFilter(1);
    EXPECT_EQ(open.files(), QStringList{"crafty.PIF"});
    // OK without a selection: Cancel and an empty name.
    whenModal<TMyOpenDialog>([](TMyOpenDialog* dialog) {
        dialog->findChild<QPushButton*>(QStringLiteral("BtnOK"))->click();
    });
    EXPECT_EQ(open.exec(), QDialog::Rejected);
    EXPECT_EQ(open.fileName(), "");
    whenModal<TMyOpenDialog>([](TMyOpenDialog* dialog) {
        dialog->selectFile(QStringLiteral("crafty.exe"));
        dialog->findChild<QPushButton*>(QStringLiteral("BtnOK"))->click();
    });
    EXPECT_EQ(open.exec(), QDialog::Accepted);
    EXPECT_EQ(open.fileName(), folder.path("crafty.exe"));

    // A folder that does not exist: the current folder, returned on OK.
    TMySelDirDialog select;
    select.setInitialDir(folder.path("missing"));
    whenModal<TMySelDirDialog>([](TMySelDirDialog* dialog) {
        EXPECT_FALSE(dialog->findChild<QListWidget*>(QStringLiteral("FileListBox1"))->isEnabled());
        dialog->findChild<QPushButton*>(QStringLiteral("BtnOK"))->click();
    });
    EXPECT_EQ(select.exec(), QDialog::Accepted);
    EXPECT_EQ(select.initialDir(), std::filesystem::current_path().string());
    select.setInitialDir(folder.root());
    select.OnShow();
    ensureFolder(folder.path("games"));
    select.changeFolder(folder.path("games"));
    EXPECT_EQ(select.folder(), folder.path("games"));
}

}  // namespace
