#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <functional>
#include <set>
#include <string_view>

#include <gtest/gtest.h>

#include "board_setup_dialog.h"
#include "chess_diagram.h"
#include "main_window.h"
#include "opcode_dialog.h"
#include "scripted_prompts.h"
#include "temp_folder.h"
#include "when_modal.h"
#include "text_file.h"

namespace {

using Messages = std::vector<std::string>;

template <class T>
T* named(QWidget* parent, const char* name) {
    T* found = parent->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

QPoint centreOf(Square square) {
    const auto at = DiagramGeometry::squareTopLeft(square, true);
    return {at.x + 19, at.y + 19};
}

class OpcodeDialog : public testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(prompts.unexpected().empty()) << prompts.unexpected().front();
    }
    ScriptedPrompts prompts;
    TOpcodeSetup dialog{prompts};
};

TEST_F(OpcodeDialog, HasEveryFieldWithItsNameHintAndLimit) {
    EXPECT_EQ(dialog.windowTitle(), "Brisvane: EPD Opcode Editor");
    QStringList tabs;
    for (int i = 0; i < dialog.pages()->count(); ++i)
        tabs << dialog.pages()->tabText(i);
    EXPECT_EQ(tabs, (QStringList{"General", "Analysis", "Comment", "Position", "Opening", "Misc"}));
    EXPECT_EQ(dialog.pages()->widget(5)->objectName(), "TSMisc");
    for (const OpcodeInfo& info : opcodeTable()) {
        const QString name = QString::fromLatin1(info.component.data(), info.component.size());
        QWidget* editor = dialog.findChild<QWidget*>(name);
        ASSERT_NE(editor, nullptr) << name.toStdString();
        EXPECT_EQ(editor->toolTip().toStdString(), std::string(info.hint));
        EXPECT_TRUE(dialog.pages()->widget(static_cast<int>(info.page))->isAncestorOf(editor));
        // Integer fields take at most 10 typed characters; text fields take anything.
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            QTest::keyClicks(edit, QStringLiteral("12345678901"));
            EXPECT_EQ(edit->text().size(), info.maxLength() ? 10 : 11) << name.toStdString();
        }
    }
    EXPECT_NE(named<QCheckBox>(&dialog, "CBdraw_accept"), nullptr);
}

TEST_F(OpcodeDialog, ShowReadsTheTextAndListsWhatItKeeps) {
    dialog.setOperations("  bm e4; BM d4; noop; c7 \"e4 d4\"; id \"t 1\";  ");
    dialog.OnShow();
    dialog.show();
    EXPECT_EQ(dialog.field("bm")->text(), "e4");
    EXPECT_EQ(dialog.field("id")->text(), "\"t 1\"");
    EXPECT_TRUE(dialog.box("noop")->isChecked());
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_EQ(dialog.keptLine()->text(), "BM d4;c7 \"e4 d4\";");
    EXPECT_TRUE(dialog.keptLine()->isReadOnly());
    EXPECT_EQ(dialog.pages()->currentIndex(), 0);
    EXPECT_EQ(dialog.focusWidget(), dialog.field("id"));
}

TEST_F(OpcodeDialog, FailedCheckShowsThePageAndFocusesTheField) {
    dialog.setOperations("ce 32767; bm e4;");
    dialog.OnShow();
    dialog.show();
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_EQ(prompts.messages(), Messages{"opcode ce: operand isn't a valid number"});
    EXPECT_EQ(dialog.pages()->currentWidget()->objectName(), "TSAnalysis");
    EXPECT_EQ(dialog.focusWidget(), dialog.field("ce"));
    EXPECT_FALSE(dialog.accepted());
    EXPECT_TRUE(dialog.isVisible());

    dialog.field("ce")->setText(" -12 ");
    dialog.box("draw_offer")->setChecked(true);
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_TRUE(dialog.accepted());
    EXPECT_EQ(dialog.operations(), "bm e4;ce -12;draw_offer;");
    EXPECT_EQ(dialog.field("ce")->text(), "-12");
}

TEST_F(OpcodeDialog, CancelKeepsTheText) {
    dialog.setOperations("bm e4;");
    dialog.OnShow();
    dialog.show();
    dialog.field("bm")->setText("d4");
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnCancel"), Qt::LeftButton);
    EXPECT_FALSE(dialog.accepted());
    EXPECT_EQ(dialog.operations(), "bm e4;");
}

TEST_F(OpcodeDialog, FieldsLeftAloneKeepTheirBytes) {
    dialog.setOperations("c0 \"Caf\xE9\"; bm e4;");
    dialog.OnShow();
    dialog.show();
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_EQ(dialog.operations(), "bm e4;c0 \"Caf\xE9\";");
}

class BoardSetupDialog : public testing::Test {
protected:
    void TearDown() override {
        EXPECT_TRUE(prompts.unexpected().empty()) << prompts.unexpected().front();
    }
    void click(Square square, Qt::MouseButton button = Qt::LeftButton) {
        QTest::mouseClick(dialog.diagram(), button, {}, centreOf(square));
    }
    void drag(Square from, Square to) {
        QTest::mousePress(dialog.diagram(), Qt::LeftButton, {}, centreOf(from));
        QTest::mouseMove(dialog.diagram(), centreOf(to));
        QTest::mouseRelease(dialog.diagram(), Qt::LeftButton, {}, centreOf(to));
    }
    int piece(Square square) { return dialog.diagram()->PieceAt(square); }

    ScriptedPrompts prompts;
    TBoardSetup dialog{prompts, false, QColor(10, 20, 30), QColor(200, 210, 220)};
};

TEST_F(BoardSetupDialog, ShowsTheLineWithTheMainBoardColours) {
    dialog.setLine("4k3/8/8/8/4P3/8/8/4K2R b K e3 bm Kd7;");
    dialog.OnShow();
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), "Brisvane: Board Setup Editor");
    EXPECT_EQ(dialog.diagram()->DarkSquareColor(), QColor(10, 20, 30));
    EXPECT_EQ(dialog.diagram()->pos(), QPoint(8, 8));
    EXPECT_EQ(piece(34), Piece::WhitePawn);
    EXPECT_TRUE(named<QRadioButton>(&dialog, "RBblack")->isChecked());
    EXPECT_TRUE(named<QCheckBox>(&dialog, "CBWoo")->isChecked());
    EXPECT_FALSE(named<QCheckBox>(&dialog, "CBWooo")->isChecked());
    auto* ep = named<QComboBox>(&dialog, "EPfieldSelect");
    EXPECT_EQ(ep->count(), 17);
    EXPECT_EQ(ep->itemText(0), "none");
    EXPECT_EQ(ep->itemText(16), "h6");
    EXPECT_EQ(ep->currentText(), "e3");
    EXPECT_EQ(dialog.diagram()->toolTip(), "Move pieces by mouse dragging");
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_TRUE(dialog.accepted());
    EXPECT_EQ(dialog.line(), "4k3/8/8/8/4P3/8/8/4K2R b K e3 bm Kd7;");
}

TEST_F(BoardSetupDialog, UnreadableLineGivesBothMessages) {
    dialog.setLine("8/8/8/8/8/8/8/8 w - e4");
    dialog.OnShow();
    dialog.show();
    EXPECT_EQ(prompts.messages(),
              (Messages{"Error in EPD ep field description", "Error in EPD description"}));
    EXPECT_EQ(piece(4), 0);
}

TEST_F(BoardSetupDialog, PaletteSelectsPlacesAndHints) {
    dialog.OnShow();
    dialog.show();
    auto* rook = named<QFrame>(&dialog, "PanelWR");
    EXPECT_EQ(rook->toolTip(), "Click to select piece");
    EXPECT_EQ(rook->lineWidth(), 1);
    QTest::mouseClick(rook, Qt::LeftButton);
    EXPECT_EQ(rook->toolTip(), "Click to deselect piece");
    EXPECT_EQ(rook->lineWidth(), 2);
    EXPECT_EQ(rook->frameShadow(), QFrame::Sunken);
    EXPECT_EQ(dialog.diagram()->toolTip(), "Position pieces by mouse clicking");
    click(0);
    click(7);
    EXPECT_EQ(piece(0), Piece::WhiteRook);
    EXPECT_EQ(piece(7), Piece::WhiteRook);
    click(7, Qt::RightButton);
    EXPECT_EQ(piece(7), 0);
    QTest::mouseClick(rook, Qt::LeftButton);
    EXPECT_EQ(rook->lineWidth(), 1);
    EXPECT_EQ(dialog.diagram()->toolTip(), "Move pieces by mouse dragging");
}

TEST_F(BoardSetupDialog, DragSnapsBackOntoOwnPiecesAndCapturesOthers) {
    dialog.setLine(std::string(kInitialPositionLine));
    dialog.OnShow();
    dialog.show();
    const QImage before = dialog.diagram()->GetCanvas().copy();
    drag(0, 10);  // white rook onto a white pawn
    EXPECT_EQ(piece(0), Piece::WhiteRook);
    EXPECT_EQ(piece(10), Piece::WhitePawn);
    EXPECT_EQ(dialog.diagram()->GetCanvas(), before);
    drag(1, 60);  // white knight takes the black pawn on a7
    EXPECT_EQ(piece(1), 0);
    EXPECT_EQ(piece(60), Piece::WhiteKnight);
    EXPECT_EQ(dialog.editor().state().board.PieceOnSquare(60), Piece::WhiteKnight);
}

TEST_F(BoardSetupDialog, PopupItemsAndTheMenuPanel) {
    dialog.OnShow();
    dialog.show();
    EXPECT_EQ(named<QFrame>(&dialog, "MenuePanel")->toolTip(), "Click to popup menue");
    QTest::mouseClick(named<QFrame>(&dialog, "MenuePanel"), Qt::LeftButton);
    EXPECT_TRUE(dialog.popupMenu()->isVisible());
    dialog.popupMenu()->hide();
    named<QAction>(&dialog, "piInitial")->trigger();
    EXPECT_EQ(piece(4), Piece::WhiteKing);
    EXPECT_TRUE(named<QCheckBox>(&dialog, "CBBooo")->isChecked());
    named<QAction>(&dialog, "piClear")->trigger();
    EXPECT_EQ(piece(4), 0);
    EXPECT_FALSE(named<QCheckBox>(&dialog, "CBBooo")->isChecked());
    prompts.input("8/8/8/8/8/8/8/8 w - - bm e4;");
    named<QAction>(&dialog, "piEnterEPD")->trigger();
    EXPECT_EQ(dialog.editor().state().operations, "bm e4;");
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_EQ(prompts.messages(), Messages{"No white king on the board"});
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(BoardSetupDialog, OpcodeButtonEditsTheOperations) {
    dialog.setLine("4k3/8/8/8/8/8/8/4K3 w - - bm Kd2;");
    dialog.OnShow();
    dialog.show();
    whenModal<TOpcodeSetup>([](TOpcodeSetup* opcodes) {
        EXPECT_EQ(opcodes->field("bm")->text(), "Kd2");
        opcodes->field("id")->setText("\"new\"");
        QTest::mouseClick(opcodes->findChild<QPushButton*>(QStringLiteral("BtnOK")),
                          Qt::LeftButton);
    });
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnEpdOpcode"), Qt::LeftButton);
    EXPECT_EQ(dialog.editor().state().operations, "bm Kd2;id \"new\";");
}

TEST_F(BoardSetupDialog, CheckRepairsBoxesAndEnPassant) {
    dialog.setLine("4k3/8/8/8/8/8/8/R3K3 w KQ -");
    dialog.OnShow();
    dialog.show();
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_EQ(prompts.messages(), Messages{"No white short castling allowed"});
    EXPECT_FALSE(named<QCheckBox>(&dialog, "CBWoo")->isChecked());
    EXPECT_TRUE(named<QCheckBox>(&dialog, "CBWooo")->isChecked());
    named<QComboBox>(&dialog, "EPfieldSelect")->setCurrentIndex(13);  // e6, no black pawn on e5
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_EQ(prompts.messages().back(), "ep field invalid");
    EXPECT_EQ(named<QComboBox>(&dialog, "EPfieldSelect")->currentIndex(), 0);
    named<QRadioButton>(&dialog, "RBblack")->setChecked(true);
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_TRUE(dialog.accepted());
    EXPECT_EQ(dialog.line(), "4k3/8/8/8/8/8/8/R3K3 b Q -");
}

// New line and Edit line through the main window, with the real dialog.
class MainWindowEditing : public testing::Test {
protected:
    MainWindowEditing() {
        MainFormSetup setup;
        setup.folders = AppFolders::forProgramFolder(folder.root());
        setup.settings = &settings;
        setup.prompts = &prompts;
        setup.clipboard = &clipboard;
        window = std::make_unique<TMainForm>(setup);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override {
        EXPECT_TRUE(prompts.unexpected().empty()) << prompts.unexpected().front();
    }
    TempFolder folder;
    ScriptedPrompts prompts;
    MemoryClipboard clipboard;
    MemorySettings settings;
    std::unique_ptr<TMainForm> window;
};

TEST_F(MainWindowEditing, NewLineBuiltWithTheMouseIsAppended) {
    window->document().newFile();
    whenModal<TBoardSetup>([](TBoardSetup* setup) {
        auto place = [setup](const char* panel, Square square) {
            QTest::mouseClick(setup->findChild<QFrame*>(QString::fromLatin1(panel)),
                              Qt::LeftButton);
            QTest::mouseClick(setup->diagram(), Qt::LeftButton, {}, centreOf(square));
        };
        place("PanelWK", 6);
        place("PanelWR", 5);
        place("PanelBK", 76);
        place("PanelBP", 54);
        QTest::mouseClick(setup->findChild<QFrame*>(QStringLiteral("PanelBP")), Qt::LeftButton);
        setup->findChild<QRadioButton*>(QStringLiteral("RBblack"))->setChecked(true);
        whenModal<TOpcodeSetup>([](TOpcodeSetup* opcodes) {
            opcodes->field("bm")->setText("Kg7");
            opcodes->field("id")->setText("\"mouse\"");
            QTest::mouseClick(opcodes->findChild<QPushButton*>(QStringLiteral("BtnOK")),
                              Qt::LeftButton);
        });
        QTest::mouseClick(setup->findChild<QPushButton*>(QStringLiteral("BtnEpdOpcode")),
                          Qt::LeftButton);
        QTest::mouseClick(setup->findChild<QPushButton*>(QStringLiteral("BtnOK")), Qt::LeftButton);
    });
    QTest::keyClick(window.get(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(window->document().lineCount(), 1u);
    EXPECT_EQ(window->document().line(0), "6k1/8/4p3/8/8/8/8/5RK1 b - - bm Kg7;id \"mouse\";");
    EXPECT_EQ(window->document().currentIndex(), 0);
    EXPECT_TRUE(window->document().isModified());
}

TEST_F(MainWindowEditing, EditSubstitutesTheLineOrCancelChangesNothing) {
    const std::string line = "4k3/8/8/8/8/8/8/4K3 w - - id \"a\";";
    folder.write("a.epd", line + "\r\n");
    window->document().openFileIfExists(folder.path("a.epd"));
    whenModal<TBoardSetup>([](TBoardSetup* setup) {
        QTest::mouseClick(setup->findChild<QPushButton*>(QStringLiteral("BtnCancel")),
                          Qt::LeftButton);
    });
    window->action(QStringLiteral("miEditEPD"))->trigger();
    EXPECT_EQ(window->document().line(0), line);
    EXPECT_FALSE(window->document().isModified());

    whenModal<TBoardSetup>([](TBoardSetup* setup) {
        QTest::mousePress(setup->diagram(), Qt::LeftButton, {}, centreOf(4));
        QTest::mouseMove(setup->diagram(), centreOf(3));
        QTest::mouseRelease(setup->diagram(), Qt::LeftButton, {}, centreOf(3));
        QTest::mouseClick(setup->findChild<QPushButton*>(QStringLiteral("BtnOK")), Qt::LeftButton);
    });
    prompts.yes();
    QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("EditBtn")), Qt::LeftButton);
    EXPECT_EQ(window->document().line(0), "4k3/8/8/8/8/8/8/3K4 w - - id \"a\";");
    EXPECT_EQ(prompts.shown().back().text,
              "Substitute EPD line ? (Answer \"No\" to append the line)");
    EXPECT_TRUE(window->document().undoAvailable());
}

// The lines of the published suites, each opened in the board setup dialog and the opcode
// editor and closed with OK, untouched: the same line comes back, apart from the fixed order
// in which known operations are rebuilt and the blanks between operations.
std::multiset<std::string> operationsOf(std::string_view operations) {
    std::multiset<std::string> pieces;
    std::size_t start = 0;
    for (;;) {
        const auto end = operations.find(';', start);
        const auto piece =
            operations.substr(start, end == std::string_view::npos ? end : end - start);
        const auto first = piece.find_first_not_of(' ');
        if (first != std::string_view::npos)
            pieces.emplace(piece.substr(first, piece.find_last_not_of(' ') - first + 1));
        if (end == std::string_view::npos) return pieces;
        start = end + 1;
    }
}

// The line without its operations: placement, side, castling, en passant, move counters.
std::string_view positionFieldsOf(std::string_view line, std::size_t fields) {
    std::size_t at = 0;
    for (std::size_t i = 0; i < fields && at != std::string_view::npos; ++i)
        at = line.find(' ', at + 1);
    return line.substr(0, at);
}

// Opens a line in the board setup dialog and the opcode editor and closes both with OK,
// touching nothing. The line that comes back, or "" when a dialog did not take OK.
std::string untouchedRoundTrip(Prompts& prompts, std::string_view line, bool* hasCounters) {
    TBoardSetup setup(prompts, false, Qt::darkGreen, Qt::white);
    setup.setLine(std::string(line));
    whenModal<TBoardSetup>([](TBoardSetup* dialog) {
        whenModal<TOpcodeSetup>([](TOpcodeSetup* opcodes) {
            QTest::mouseClick(opcodes->findChild<QPushButton*>(QStringLiteral("BtnOK")),
                              Qt::LeftButton);
            if (opcodes->isVisible()) opcodes->reject();
        });
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BtnEpdOpcode")),
                          Qt::LeftButton);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BtnOK")), Qt::LeftButton);
        if (dialog->isVisible()) dialog->reject();
    });
    setup.exec();
    *hasCounters = !setup.editor().state().moveCounters.empty();
    return setup.accepted() ? setup.line() : std::string();
}

TEST(UntouchedRoundTrip, EveryLineOfThePublishedSuitesComesBack) {
    ScriptedPrompts prompts;
    std::size_t lines = 0;
    for (const char* suite :
         {"sts-undermine.epd", "wac.epd", "bratko-kopec.epd", "kaufman.epd", "perftsuite.epd"}) {
        const auto read = readEpdLines(std::string(BRISVANE_TESTDATA_DIR) + "/epd/" + suite, 0);
        ASSERT_EQ(read.status, ReadStatus::Ok) << suite;
        for (const std::string_view line : read.lines) {
            // Two Kaufman lines lack a blank ("w - -1 12"): the reader takes the en-passant
            // field "-1" as "-", as it must.
            if (line.find(" -1 ") != std::string_view::npos) continue;
            ++lines;
            // Most perft and Kaufman lines start their operations with ";" (an empty operation):
            // reported, and kept as they stand.
            const bool malformed = line.find(" ;") != std::string_view::npos;
            prompts.forget();
            bool hasCounters = false;
            const std::string back = untouchedRoundTrip(prompts, line, &hasCounters);
            ASSERT_FALSE(back.empty()) << line;
            // FEN-style lines carry two counters after the en-passant field.
            const std::size_t fields = hasCounters ? 6 : 4;
            EXPECT_EQ(positionFieldsOf(back, fields), positionFieldsOf(line, fields)) << line;
            const auto rest = [fields](std::string_view text) {
                const auto start = positionFieldsOf(text, fields).size();
                return operationsOf(text.substr(std::min(start + 1, text.size())));
            };
            EXPECT_EQ(rest(back), rest(line)) << line << "\n" << back;
            EXPECT_EQ(prompts.messages(),
                      malformed ? Messages{"Error in EPD opcode description"} : Messages{})
                << line;
            // A second round trip changes nothing at all: the order is settled.
            EXPECT_EQ(untouchedRoundTrip(prompts, back, &hasCounters), back);
        }
    }
    EXPECT_GE(lines, 500u);
    EXPECT_TRUE(prompts.unexpected().empty());
}

TEST_F(OpcodeDialog, FilledFieldsAreNotCutByTheTypingLimit) {
    const std::string longComment = "c0 \"" + std::string(40000, 'x') + "\";";
    dialog.setOperations("acn 0000000000012; acs 12345678901;" + longComment);
    dialog.OnShow();
    dialog.show();
    QLineEdit* acn = dialog.field("acn");
    QLineEdit* acs = dialog.field("acs");
    EXPECT_EQ(acn->text(), "0000000000012");
    EXPECT_EQ(acs->text(), "12345678901");
    // Typing may shorten and edit a long operand but not make it longer.
    acs->setFocus();
    acs->end(false);
    QTest::keyClicks(acs, "9");
    EXPECT_EQ(acs->text(), "12345678901");
    QTest::keyClick(acs, Qt::Key_Backspace);
    QTest::keyClick(acs, Qt::Key_Z, Qt::ControlModifier);  // undo: the filled text again
    QTest::keyClicks(acs, "55");
    EXPECT_EQ(acs->text(), "12345678901");
    QTest::keyClick(acs, Qt::Key_Backspace);
    QTest::keyClick(acs, Qt::Key_Backspace);
    QTest::keyClicks(acs, "555");  // up to the filled length, not past it
    EXPECT_EQ(acs->text(), "12345678955");
    acs->setText("12345678901");  // as if filled in again
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_EQ(prompts.messages(), Messages{"opcode acs: operand isn't a valid number"});
    acs->clear();
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_EQ(dialog.operations(), "acn 0000000000012;" + longComment);
}

TEST_F(OpcodeDialog, EditedTextKeepsTheEncodingOfTheLine) {
    struct Case {
        const char* operations;
        const char* result;
    };
    for (const Case& c :
         {Case{"c0 \"Caf\xE9\";", "c0 \"Caf\xE9\";id \"M\xFCller\";"},
          Case{"c0 \"Caf\xC3\xA9\";", "c0 \"Caf\xC3\xA9\";id \"M\xC3\xBCller\";"}}) {
        TOpcodeSetup editor(prompts);
        editor.setOperations(c.operations);
        editor.OnShow();
        editor.show();
        editor.field("id")->setText(QStringLiteral("\"M\u00FCller\""));
        QTest::mouseClick(named<QPushButton>(&editor, "BtnOK"), Qt::LeftButton);
        EXPECT_EQ(editor.operations(), c.result);
    }
    // A character Latin-1 lacks is refused, not written as "?".
    dialog.setOperations("c0 \"Caf\xE9\";");
    dialog.OnShow();
    dialog.field("c3")->setText(QStringLiteral("\u20AC 5"));
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_FALSE(dialog.accepted());
    EXPECT_EQ(prompts.messages(),
              Messages{"opcode c3: operand holds characters that a Latin-1 line cannot hold"});
    EXPECT_EQ(dialog.pages()->currentWidget()->objectName(), "TSComment");
}

// The window system shows a dialog again when it is restored after minimising; the edits in
// progress must stay.
TEST_F(OpcodeDialog, AShowingByTheWindowSystemKeepsTheEdits) {
    dialog.setOperations("bm e4;");
    dialog.OnShow();
    dialog.show();
    dialog.field("bm")->setText("d4");
    dialog.hide();
    dialog.show();
    EXPECT_EQ(dialog.field("bm")->text(), "d4");
}

TEST_F(BoardSetupDialog, AShowingByTheWindowSystemKeepsTheBoardAndShowsCounters) {
    dialog.setLine("4k3/8/8/8/8/8/8/4K3 b - - 0 9");
    dialog.OnShow();
    dialog.show();
    EXPECT_EQ(named<QLabel>(&dialog, "LblCounters")->text(), "Move counters: 0 9");
    click(0, Qt::RightButton);
    QTest::mouseClick(named<QFrame>(&dialog, "PanelWQ"), Qt::LeftButton);
    click(3);
    dialog.hide();
    dialog.show();
    EXPECT_EQ(piece(3), Piece::WhiteQueen);
    QTest::mouseClick(named<QPushButton>(&dialog, "BtnOK"), Qt::LeftButton);
    EXPECT_EQ(dialog.line(), "4k3/8/8/8/8/8/8/3QK3 b - - 0 9");
}

}  // namespace
