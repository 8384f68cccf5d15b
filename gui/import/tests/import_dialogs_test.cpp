#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "fnp_list_box.h"
#include "main_window.h"
#include "scripted_prompts.h"
#include "select_dialogs.h"
#include "temp_folder.h"
#include "when_modal.h"
#include "test_window_setup.h"

namespace fs = std::filesystem;

namespace {

// The imports from the File menu of a main window whose program folder holds the real
// converters.
class ImportMenu : public testing::Test {
protected:
    ImportMenu() {
        fs::create_directory(folder.path("AddOn"));
        for (const char* converter : {"Orvanel", "Quenbry"})
            fs::create_symlink(std::string(BRISVANE_PROGRAM_DIR) + "/AddOn/" + converter,
                               folder.path(std::string("AddOn/") + converter));
        MainFormSetup setup = testWindowSetup(folder.root(), settings, prompts, clipboard);
        setup.pgnConverter = "Orvanel";
        setup.qbxConverter = "Quenbry";
        window = std::make_unique<TMainForm>(setup);
        window->show();
    }
    void TearDown() override {
        EXPECT_TRUE(prompts.unexpected().empty()) << prompts.unexpected().front();
        EXPECT_EQ(prompts.pendingAnswers(), 0u);
    }
    std::vector<std::string> documentLines() {
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < window->document().lineCount(); ++i)
            lines.emplace_back(window->document().line(i));
        return lines;
    }

    TempFolder folder;
    ScriptedPrompts prompts;
    MemorySettings settings;
    MemoryClipboard clipboard;
    std::unique_ptr<TMainForm> window;
};

TEST_F(ImportMenu, APgnGameIsChosenFromTheListAndItsPositionsFillTheDocument) {
    const std::string fischer = std::string(BRISVANE_TESTDATA_DIR) + "/pgn/fischer.pgn";
    prompts.file(fischer);
    QString label;
    int rows = 0;
    whenModal<TPGNselect>([&](TPGNselect* dialog) {
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Brisvane: Select game from PGN file"));
        rows = dialog->list()->model()->rowCount();
        QTest::keyClick(dialog->list(), Qt::Key_Down);
        QTest::keyClick(dialog->list(), Qt::Key_Down);
        label = dialog->indexLabel()->text();
        dialog->findChild<QPushButton*>(QStringLiteral("BtnOK"))->click();
    });
    window->action(QStringLiteral("miImportPGN"))->trigger();
    EXPECT_GT(rows, 10);
    EXPECT_EQ(label, QStringLiteral("3/%1").arg(rows));
    const auto lines = documentLines();
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(lines.front(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");

    // The second import shows the same list at once, the first game selected; Cancel imports
    // nothing.
    whenModal<TPGNselect>([&](TPGNselect* dialog) {
        label = dialog->indexLabel()->text();
        dialog->findChild<QPushButton*>(QStringLiteral("BtnCancel"))->click();
    });
    prompts.no();  // the save question of New EPD
    window->action(QStringLiteral("miImportPGN"))->trigger();
    EXPECT_EQ(label, QStringLiteral("1/%1").arg(rows));
    EXPECT_TRUE(documentLines().empty());
}

// A click given while the converter runs is dropped: acted on, it would open a file dialog in
// the middle of the import, or (held back) act on the imported document.
TEST_F(ImportMenu, InputDuringAConversionIsDropped) {
    fs::remove(folder.path("AddOn/Orvanel"));
    fs::create_symlink(FAKE_CONVERTER, folder.path("AddOn/Orvanel"));
    qputenv("FAKE_CONVERTER_MODE", "slow");
    prompts.file(std::string(BRISVANE_TESTDATA_DIR) + "/pgn/fischer.pgn");
    whenModal<TPGNselect>([](TPGNselect* dialog) {
        dialog->findChild<QPushButton*>(QStringLiteral("BtnOK"))->click();
    });
    // Once the converter runs (the busy cursor is on, no dialog is open): a click on Open, an
    // EPD file dropped on the window, and a box another window opens, which takes its clicks.
    const std::string dropped = folder.path("dropped.epd");
    std::ofstream(dropped) << "4k3/8/8/8/8/8/8/4K3 w - - id \"dropped\";\r\n";
    bool acted = false;
    bool answered = false;
    QTimer during;
    QObject::connect(&during, &QTimer::timeout, [&] {
        if (acted || !QApplication::overrideCursor() || QApplication::activeModalWidget()) return;
        acted = true;
        QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("OpenButton")),
                          Qt::LeftButton);
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(QString::fromStdString(dropped))});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton,
                              Qt::NoModifier);
        QApplication::sendEvent(window.get(), &enter);
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &drop);
        QMessageBox box(QMessageBox::Information, QStringLiteral("Brisvane"),
                        QStringLiteral("from another window"), QMessageBox::Ok);
        QTimer::singleShot(
            100, [&box] { QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton); });
        QTimer::singleShot(3000, &box, [&box] { box.done(-1); });  // the fault: unanswered
        answered = box.exec() == QMessageBox::Ok;
    });
    during.start(20);
    window->action(QStringLiteral("miImportPGN"))->trigger();
    qunsetenv("FAKE_CONVERTER_MODE");
    during.stop();
    EXPECT_TRUE(acted);
    EXPECT_TRUE(answered);
    QTest::qWait(200);
    EXPECT_EQ(documentLines(),
              std::vector<std::string>{"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3"});
    // Afterwards the toolbar works again.
    QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("DeleteBtn")), Qt::LeftButton);
    EXPECT_TRUE(documentLines().empty());
}

TEST_F(ImportMenu, AQbxGameIsChosenFromTheFolderList) {
    std::string bytes(676, '\0');
    bytes.replace(0, 7, "\x06QBX300");
    bytes.replace(7, 5,
                  "\x04"
                  "Cup!");
    folder.write("game1.QBX", bytes);
    prompts.file(folder.root());
    int rows = 0;
    whenModal<TQBXselect>([&](TQBXselect* dialog) {
        rows = dialog->list()->model()->rowCount();
        dialog->findChild<QPushButton*>(QStringLiteral("BtnOK"))->click();
    });
    window->action(QStringLiteral("miImportQBX"))->trigger();
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(documentLines(),
              std::vector<std::string>{"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -"});
}

}  // namespace
