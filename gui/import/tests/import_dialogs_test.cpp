#include <QAction>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>

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
    bool clicked = false;
    QTimer::singleShot(500, [&] {
        QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("OpenButton")),
                          Qt::LeftButton);
        clicked = true;
    });
    // A box another window opens meanwhile takes its clicks: it would never close otherwise.
    bool answered = false;
    QTimer::singleShot(300, [&] {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Brisvane"),
                        QStringLiteral("from another window"), QMessageBox::Ok);
        QTimer::singleShot(
            100, [&box] { QTest::mouseClick(box.button(QMessageBox::Ok), Qt::LeftButton); });
        QTimer::singleShot(3000, &box, [&box] { box.done(-1); });  // the fault: unanswered
        answered = box.exec() == QMessageBox::Ok;
    });
    window->action(QStringLiteral("miImportPGN"))->trigger();
    qunsetenv("FAKE_CONVERTER_MODE");
    EXPECT_TRUE(answered);
    EXPECT_TRUE(clicked);
    QTest::qWait(50);
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
