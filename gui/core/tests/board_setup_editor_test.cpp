#include "board_setup_editor.h"

#include <gtest/gtest.h>

#include "scripted_prompts.h"

namespace {

using Messages = std::vector<std::string>;

class BoardSetup : public testing::Test {
protected:
    BoardSetup()
        : editor(prompts, [this](const std::string& text) -> std::optional<std::string> {
              operationsShown.push_back(text);
              return operationsAnswer;
          }) {}

    void TearDown() override {
        EXPECT_TRUE(prompts.unexpected().empty()) << prompts.unexpected().front();
    }

    std::string lineAfterOk() {
        EXPECT_TRUE(editor.ok());
        return editor.line();
    }

    ScriptedPrompts prompts;
    std::vector<std::string> operationsShown;
    std::optional<std::string> operationsAnswer;
    BoardSetupEditor editor;
};

TEST_F(BoardSetup, ShowReadsTheLineAndClearsIt) {
    editor.setLine("r3k2r/8/8/8/4p3/8/8/R3K2R b KQq e3 bm O-O-O; id \"x\";");
    editor.show();
    EXPECT_TRUE(prompts.messages().empty());
    EXPECT_EQ(editor.line(), "");
    EXPECT_FALSE(editor.accepted());
    EXPECT_FALSE(editor.state().whiteToMove);
    EXPECT_EQ(editor.state().enPassantIndex, 5);
    EXPECT_EQ(editor.state().operations, "bm O-O-O; id \"x\";");
    // Unchanged, the line comes back as it went in, but for the pawn check of e3.
    editor.state().board.PutPieceOnSquare(Piece::WhitePawn, 34);
    EXPECT_EQ(lineAfterOk(), "r3k2r/8/8/8/4P3/8/8/R3K2R b KQq e3 bm O-O-O; id \"x\";");
    EXPECT_TRUE(editor.accepted());
}

TEST_F(BoardSetup, UnreadableLineShowsBothMessagesAndAnEmptyBoard) {
    editor.setLine("rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq -");
    editor.show();
    EXPECT_EQ(prompts.messages(),
              (Messages{"Error in EPD move right description", "Error in EPD description"}));
    EXPECT_EQ(prompts.shown()[0].icon, Icon::Error);
    EXPECT_EQ(editor.state().board.PieceOnSquare(4), 0);
    EXPECT_TRUE(editor.state().whiteToMove);
}

TEST_F(BoardSetup, PaletteSelectionAndHints) {
    EXPECT_EQ(editor.selectedPanel(), 0);
    EXPECT_STREQ(editor.diagramHint(), "Move pieces by mouse dragging");
    EXPECT_STREQ(editor.panelHint(3), "Click to select piece");
    editor.clickPanel(3);  // PanelWR
    EXPECT_EQ(editor.selectedPiece(), Piece::WhiteRook);
    EXPECT_STREQ(editor.panelHint(3), "Click to deselect piece");
    EXPECT_STREQ(editor.diagramHint(), "Position pieces by mouse clicking");
    editor.clickPanel(12);  // PanelBP
    EXPECT_EQ(editor.selectedPiece(), Piece::BlackPawn);
    EXPECT_STREQ(editor.panelHint(3), "Click to select piece");
    editor.clickPanel(12);
    EXPECT_EQ(editor.selectedPanel(), 0);
    EXPECT_EQ(editor.selectedPiece(), 0);
    EXPECT_EQ(piecePalette()[6].component, "PanelBK");
}

TEST_F(BoardSetup, PlacingRemovingAndDragging) {
    editor.show();
    editor.clickPanel(1);
    editor.mouseDown(MouseButton::Left, 4);
    editor.clickPanel(7);
    editor.mouseDown(MouseButton::Left, 60);
    editor.dragEnded(60, 74);  // press on e7, release on e8: placed on e7, then moved
    EXPECT_EQ(editor.state().board.PieceOnSquare(60), 0);
    EXPECT_EQ(editor.state().board.PieceOnSquare(74), Piece::BlackKing);
    editor.clickPanel(7);  // no palette piece now
    editor.mouseDown(MouseButton::Right, 4);
    EXPECT_EQ(editor.state().board.PieceOnSquare(4), 0);
    editor.mouseDown(MouseButton::Left, 74);  // no palette piece: nothing placed
    EXPECT_EQ(editor.state().board.PieceOnSquare(74), Piece::BlackKing);
}

TEST_F(BoardSetup, DropOnOwnPieceSnapsBackAndOnAnEnemyCaptures) {
    editor.setLine(std::string(kInitialPositionLine));
    editor.show();
    editor.dragEnded(0, 10);  // white rook onto a white pawn
    EXPECT_EQ(editor.state().board.PieceOnSquare(0), Piece::WhiteRook);
    EXPECT_EQ(editor.state().board.PieceOnSquare(10), Piece::WhitePawn);
    editor.dragEnded(0, 60);  // onto a black pawn
    EXPECT_EQ(editor.state().board.PieceOnSquare(0), 0);
    EXPECT_EQ(editor.state().board.PieceOnSquare(60), Piece::WhiteRook);
    editor.dragEnded(4, 4);  // picked up and put down again
    EXPECT_EQ(editor.state().board.PieceOnSquare(4), Piece::WhiteKing);
    // With a palette piece selected the drop is never refused.
    editor.clickPanel(2);
    editor.dragEnded(3, 1);
    EXPECT_EQ(editor.state().board.PieceOnSquare(1), Piece::WhiteQueen);
}

TEST_F(BoardSetup, PopupItems) {
    editor.setLine("4k3/8/8/8/8/8/8/4K3 w - - id \"a\";");
    editor.show();
    editor.initialPosition();
    EXPECT_EQ(editor.state().operations, "");
    EXPECT_EQ(lineAfterOk(), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -");

    prompts.input("8/8/8/8/8/8/8/8 w - - bm e4;");
    editor.enterEpdString();
    EXPECT_EQ(prompts.shown().back().caption, "Brisvane: EPD input");
    EXPECT_EQ(prompts.shown().back().text, "Enter EPD string");
    EXPECT_EQ(prompts.shown().back().defaultText, "");
    EXPECT_EQ(editor.state().operations, "bm e4;");
    EXPECT_FALSE(editor.ok());
    EXPECT_EQ(prompts.messages().back(), "No white king on the board");

    prompts.input("");
    editor.enterEpdString();  // an empty answer changes nothing
    EXPECT_EQ(editor.state().operations, "bm e4;");

    operationsAnswer = "id \"new\";";
    editor.editOperations();
    EXPECT_EQ(operationsShown, Messages{"bm e4;"});
    EXPECT_EQ(editor.state().operations, "id \"new\";");
    operationsAnswer.reset();  // cancelled
    editor.editOperations();
    EXPECT_EQ(editor.state().operations, "id \"new\";");

    editor.clickPanel(1);
    editor.clearBoardCommand();
    EXPECT_EQ(editor.state().operations, "");
    EXPECT_EQ(editor.selectedPanel(), 0);
}

TEST_F(BoardSetup, FailedCheckDeselectsThePaletteAndKeepsTheBoard) {
    editor.show();
    editor.clickPanel(1);
    editor.mouseDown(MouseButton::Left, 4);
    EXPECT_FALSE(editor.ok());
    EXPECT_EQ(prompts.messages(), Messages{"No black king on the board"});
    EXPECT_EQ(editor.selectedPanel(), 0);
    EXPECT_EQ(editor.state().board.PieceOnSquare(4), Piece::WhiteKing);
    EXPECT_FALSE(editor.accepted());
}

TEST_F(BoardSetup, CheckOffAcceptsAnyBoardAndCancelEmptiesTheLine) {
    editor.setCheckOff(true);
    editor.show();
    EXPECT_EQ(lineAfterOk(), "8/8/8/8/8/8/8/8 w - -");
    editor.cancel();
    EXPECT_FALSE(editor.accepted());
    EXPECT_EQ(editor.line(), "");
}

}  // namespace
