#include "main_window.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QHeaderView>
#include <QTableView>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <stdexcept>

#include <gtest/gtest.h>

#include "chess_diagram.h"
#include "qt_services.h"
#include "scripted_prompts.h"
#include "temp_folder.h"
#include "when_modal.h"
#include "test_window_setup.h"

namespace {

const std::string kLine1 = "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 bm e5;";
const std::string kLine2 = "4k3/8/8/8/8/8/8/4K3 w - - id \"kings\";";
const std::string kLine3 = "8/8/8/8/8/8/8/8 w - - c0 \"empty\";";

class MainWindow : public testing::Test {
protected:
    MainWindow() {
        MainFormSetup setup = testWindowSetup(folder.root(), settings, prompts, clipboard);
        window = std::make_unique<TMainForm>(setup);
    }

    void TearDown() override {
        EXPECT_TRUE(prompts.unexpected().empty()) << prompts.unexpected().front();
        EXPECT_EQ(prompts.pendingAnswers(), 0u);
    }

    template <class T>
    T* child(const char* name) {
        T* found = window->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QAction* act(const char* name) {
        QAction* found = window->action(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    std::string writeEpd(const std::string& name, const std::vector<std::string>& lines) {
        std::string bytes;
        for (const auto& line : lines)
            bytes += line + "\r\n";
        folder.write(name, bytes);
        return folder.path(name);
    }
    void openThroughMenu(const std::string& path) {
        prompts.file(path);
        act("miOpenFile")->trigger();
    }
    QString label() { return child<QLabel>("LblIndex")->text(); }
    QString field() { return child<QLineEdit>("EPDactual")->text(); }
    QTableView* list() { return child<QTableView>("EPDList"); }

    TempFolder folder;
    ScriptedPrompts prompts;
    MemoryClipboard clipboard;
    MemorySettings settings;
    std::unique_ptr<TMainForm> window;
};

TEST_F(MainWindow, HasItsFixedLayoutAndNamedParts) {
    window->show();
    EXPECT_EQ(window->windowTitle(), "Brisvane");
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    auto* board = child<TChessDiagram2D>("ChessBoard");
    EXPECT_EQ(board->geometry(), QRect(8, 8, 304, 304));
    EXPECT_EQ(board->position(), TChessPosition());
    EXPECT_EQ(label(), "0/0");
    EXPECT_EQ(field(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");
    EXPECT_TRUE(child<QLineEdit>("EPDactual")->isReadOnly());
    EXPECT_EQ(list()->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
    for (const char* button :
         {"NewButton", "OpenButton", "CloseButton", "SaveButton", "EditBtn", "DeleteBtn",
          "BtnPaste", "PrevEPD", "NextEPD", "CopyButton", "SaveGifBtn", "AnalyseBtn", "ExitButton"})
        child<QToolButton>(button);
    EXPECT_EQ(child<QToolButton>("BtnPaste")->toolTip(), "Import EPD lines from clipboard");
}

struct MenuItem {
    const char* name;
    const char* caption;
    const char* shortcut;
};

TEST_F(MainWindow, MenuItemsHaveTheirCaptionsAndShortcuts) {
    const MenuItem items[] = {
        {"miNewFile", "&New EPD", ""},
        {"miOpenFile", "&Open EPD...", "Ctrl+O"},
        {"miCloseFile", "&Close EPD", ""},
        {"miAppendFile", "&Append EPD...", ""},
        {"miSaveFile", "&Save EPD", ""},
        {"miSaveAsFile", "Sa&ve EPD as...", ""},
        {"miExit", "E&xit", "Ctrl+Q"},
        {"miUndoEPD", "&Undo", "Ctrl+Z"},
        {"miNewEPD", "&New", "Ctrl+N"},
        {"miEditEPD", "&Edit", "Ctrl+E"},
        {"miDeleteEPD", "&Delete", "Del"},
        {"miNormalizeEPD", "Normali&ze", "F12"},
        {"miGotoEPD", "Goto...", "Ctrl+G"},
        {"miPasteEPD", "Paste", "Ctrl+V"},
        {"miCopyEPD", "&Copy", "Ctrl+C"},
        {"miCopyEPDstringEPD", "Copy E&PD string", ""},
        {"miSaveasGIF", "Save as &GIF...", "Ctrl+S"},
        {"miAnalyseEPD", "&Analyse", "Ctrl+A"},
        {"miAnalyseEPDfile", "Analyse EPD file...", "Ctrl+F"},
        {"miPrintFile", "&Print...", "Ctrl+P"},
    };
    for (const auto& item : items) {
        QAction* found = act(item.name);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->text(), item.caption) << item.name;
        EXPECT_EQ(found->shortcut().toString(), item.shortcut) << item.name;
    }
    QStringList menus;
    for (QAction* menu : window->menuBar()->actions())
        menus << menu->text();
    EXPECT_EQ(menus, (QStringList{"&File", "&EPD", "&Options", "&Help"}));
    EXPECT_FALSE(act("miSaveasJPG")->isVisible());
}

TEST_F(MainWindow, CommandStatesFollowTheDocument) {
    EXPECT_FALSE(act("miCloseFile")->isEnabled());
    EXPECT_FALSE(act("miSaveFile")->isEnabled());
    EXPECT_FALSE(child<QToolButton>("SaveButton")->isEnabled());
    EXPECT_TRUE(act("miPasteEPD")->isEnabled());
    EXPECT_TRUE(act("miOpenFile")->isEnabled());

    openThroughMenu(writeEpd("a.epd", {kLine1, kLine2, kLine3}));
    EXPECT_TRUE(act("miSaveFile")->isEnabled());
    EXPECT_TRUE(child<QToolButton>("SaveButton")->isEnabled());
    EXPECT_TRUE(child<QToolButton>("DeleteBtn")->isEnabled());
    EXPECT_FALSE(child<QToolButton>("PrevEPD")->isEnabled());
    EXPECT_TRUE(child<QToolButton>("NextEPD")->isEnabled());
    EXPECT_FALSE(act("miUndoEPD")->isEnabled());
    EXPECT_TRUE(act("miEditEPD")->isEnabled());
    EXPECT_TRUE(child<QToolButton>("EditBtn")->isEnabled());
    // The HTML copy needs nothing; the RTF commands need a chess font, and &RTF... a font list.
    EXPECT_TRUE(act("miCopyasHTML")->isEnabled());
    EXPECT_FALSE(act("miCopyasRTF")->isEnabled());
    EXPECT_FALSE(act("miSaveasRTF")->isEnabled());
    EXPECT_FALSE(act("miRTFOptions")->isEnabled());
}

TEST_F(MainWindow, OpenShowsTheListTheLineAndTheDiagram) {
    openThroughMenu(writeEpd("a.epd", {kLine1, kLine2, kLine3}));
    EXPECT_EQ(window->windowTitle(), "Brisvane: a.epd");
    EXPECT_EQ(list()->model()->rowCount(), 3);
    EXPECT_EQ(list()->model()->index(1, 0).data().toString().toStdString(), kLine2);
    EXPECT_EQ(list()->currentIndex().row(), 0);
    EXPECT_EQ(label(), "1/3");
    EXPECT_EQ(field().toStdString(), kLine1);
    EXPECT_EQ(window->diagram()->PieceAt(34), Piece::WhitePawn);

    QTest::mouseClick(child<QToolButton>("NextEPD"), Qt::LeftButton);
    EXPECT_EQ(label(), "2/3");
    EXPECT_EQ(list()->currentIndex().row(), 1);
    EXPECT_EQ(window->diagram()->PieceAt(34), Piece::Empty);
    EXPECT_EQ(window->diagram()->PieceAt(74), Piece::BlackKing);
    EXPECT_TRUE(child<QToolButton>("PrevEPD")->isEnabled());
}

TEST_F(MainWindow, ClickingAndKeysInTheListSelectTheCurrentLine) {
    window->show();
    openThroughMenu(writeEpd("a.epd", {kLine1, kLine2, kLine3}));
    const QRect third = list()->visualRect(list()->model()->index(2, 0));
    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(label(), "3/3");
    EXPECT_EQ(field().toStdString(), kLine3);
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Up);
    EXPECT_EQ(label(), "2/3");
    EXPECT_EQ(field().toStdString(), kLine2);
}

TEST_F(MainWindow, DeleteUndoNormalizeAndGotoThroughTheMenu) {
    openThroughMenu(writeEpd("a.epd", {kLine1, kLine2, "8/8/8/8/8/8/8/7 w - - id \"short\";"}));
    act("miDeleteEPD")->trigger();
    EXPECT_EQ(list()->model()->rowCount(), 2);
    EXPECT_EQ(window->windowTitle(), "Brisvane: a.epd *");
    EXPECT_TRUE(act("miUndoEPD")->isEnabled());
    act("miUndoEPD")->trigger();
    EXPECT_EQ(list()->model()->rowCount(), 3);
    EXPECT_EQ(list()->model()->index(0, 0).data().toString().toStdString(), kLine1);
    EXPECT_FALSE(act("miUndoEPD")->isEnabled());

    act("miNormalizeEPD")->trigger();
    EXPECT_EQ(window->progressWindow()->title(), "Normalize EPD file");
    EXPECT_EQ(window->progressWindow()->gaugeValue(), 3);
    EXPECT_FALSE(window->progressWindow()->isVisible());
    EXPECT_EQ(list()->model()->index(2, 0).data().toString(),
              "8/8/8/8/8/8/8/71 w - - id \"short\";");

    prompts.input("3");
    act("miGotoEPD")->trigger();
    EXPECT_EQ(label(), "3/3");
    EXPECT_EQ(prompts.shown().back().caption, "Brisvane: Goto position");
}

TEST_F(MainWindow, DoubleClickOnTheLineFieldCopiesIt) {
    openThroughMenu(writeEpd("a.epd", {kLine1, kLine2}));
    QTest::mouseDClick(child<QLineEdit>("EPDactual"), Qt::LeftButton);
    EXPECT_EQ(clipboard.content, kLine1);
}

TEST_F(MainWindow, ADraggedPieceOnTheMainBoardGoesBack) {
    window->show();
    auto* board = window->diagram();
    const QImage before = board->GetCanvas().copy();
    QTest::mousePress(board, Qt::LeftButton, {}, QPoint(152 + 19, 228 + 19));  // e2
    QTest::mouseMove(board, QPoint(152 + 19, 152 + 19));
    QTest::mouseRelease(board, Qt::LeftButton, {}, QPoint(152 + 19, 152 + 19));
    EXPECT_EQ(board->GetLastDrag(), (DragRecord{14, 34, 0, 1}));
    EXPECT_EQ(board->GetCanvas(), before);
}

TEST_F(MainWindow, AnEscapingExceptionBecomesAnErrorBoxAndTheProgramGoesOn) {
    window->runCommand([] { throw std::runtime_error("Disk on fire"); });
    ASSERT_EQ(prompts.messages(), std::vector<std::string>{"Disk on fire"});
    EXPECT_EQ(prompts.shown().back().icon, Icon::Error);
    EXPECT_EQ(prompts.shown().back().caption, "Brisvane");
    openThroughMenu(writeEpd("a.epd", {kLine1}));
    EXPECT_EQ(label(), "1/1");
}

TEST_F(MainWindow, ClosingTheWindowAsksAboutChangesAndCanBeRefused) {
    window->show();
    openThroughMenu(writeEpd("a.epd", {kLine1, kLine2}));
    act("miDeleteEPD")->trigger();
    prompts.yes().cancel();  // wants to save, then cancels the dialog: the window stays
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    prompts.cancel();  // Cancel or Escape at the question itself
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    prompts.no();
    EXPECT_TRUE(window->close());
    EXPECT_EQ(folder.read("a.epd"), kLine1 + "\r\n" + kLine2 + "\r\n");
}

TEST_F(MainWindow, FileGivenAtStartIsOpenedWhenTheWindowIsFirstShown) {
    MainFormSetup setup;
    setup.folders = AppFolders::forProgramFolder(folder.root());
    setup.settings = &settings;
    setup.prompts = &prompts;
    setup.clipboard = &clipboard;
    setup.fileToOpen = writeEpd("start.epd", {kLine2, kLine3});
    setup.startMessages = {{Icon::Error, "File /no/such.epd not found"}};
    TMainForm started(setup);
    started.show();
    EXPECT_TRUE(waitUntil([&] { return started.windowTitle() == "Brisvane: start.epd"; }));
    // An argument that could not be used is reported, not ignored.
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{"File /no/such.epd not found"});
    EXPECT_EQ(prompts.shown().size(), 1u);
}

TEST_F(MainWindow, AMissingPieceImageIsReportedAndEndsTheProgram) {
    EXPECT_FALSE(window->quitRequested());
    TempFolder images;
    for (int slot = 1; slot <= 24; ++slot)
        if (slot != 7)
            QFile::copy(
                QStringLiteral(":/pieces/PIECE%1.bmp").arg(slot),
                QString::fromStdString(images.path("PIECE" + std::to_string(slot) + ".bmp")));
    MainFormSetup setup;
    setup.folders = AppFolders::forProgramFolder(folder.root());
    setup.prompts = &prompts;
    setup.clipboard = &clipboard;
    setup.pieceImagePrefix = QString::fromStdString(images.path("PIECE"));
    TMainForm broken(setup);
    EXPECT_EQ(prompts.messages(), std::vector<std::string>{"Error loading PIECE7"});
    EXPECT_EQ(prompts.shown().back().icon, Icon::Error);
    EXPECT_TRUE(broken.quitRequested());
}

TEST_F(MainWindow, KeyReleaseWithoutSelectionLeavesNoCurrentLine) {
    window->show();
    openThroughMenu(writeEpd("a.epd", {kLine1, kLine2}));
    list()->selectionModel()->clear();
    list()->setFocus();
    QTest::keyClick(list(), Qt::Key_Shift);
    EXPECT_EQ(label(), "0/0");
    EXPECT_EQ(window->document().currentIndex(), -1);
}

TEST_F(MainWindow, LinesThatAreNotUtf8AreShownAsLatin1) {
    openThroughMenu(writeEpd("a.epd", {"8/8/8/8/8/8/8/8 w - - c0 \"Caf\xE9\";",
                                       "8/8/8/8/8/8/8/8 w - - c0 \"Caf\xC3\xA9\";"}));
    EXPECT_EQ(list()->model()->index(0, 0).data().toString(),
              QString::fromUtf8("8/8/8/8/8/8/8/8 w - - c0 \"Café\";"));
    EXPECT_EQ(list()->model()->index(1, 0).data().toString(),
              QString::fromUtf8("8/8/8/8/8/8/8/8 w - - c0 \"Café\";"));
}

}  // namespace
