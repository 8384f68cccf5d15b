#include "chess_diagram.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

const QColor kDark(0, 128, 128);
const QColor kLight(255, 255, 255);

QImage pieceImage(int slot) {
    return QImage(QStringLiteral(":/pieces/PIECE%1.bmp").arg(slot))
        .convertToFormat(QImage::Format_RGB32);
}

// What a square must look like: its colour ANDed with the mask, then ORed with the figure.
QImage expectedSquare(int piece, const QColor& colour) {
    QImage square(38, 38, QImage::Format_RGB32);
    square.fill(colour);
    if (piece == 0) return square;
    const QImage mask = pieceImage(piece + 12);
    const QImage image = pieceImage(piece);
    for (int y = 0; y < 38; ++y)
        for (int x = 0; x < 38; ++x) {
            const QRgb pixel = (square.pixel(x, y) & mask.pixel(x, y)) | image.pixel(x, y);
            square.setPixel(x, y, pixel);
        }
    return square;
}

QImage shownSquare(TChessDiagram2D& diagram, int x, int y) {
    return diagram.GetCanvas().copy(x, y, 38, 38);
}

QPoint centreOf(Square square, bool whiteAtBottom = true) {
    const auto at = DiagramGeometry::squareTopLeft(square, whiteAtBottom);
    return {at.x + 19, at.y + 19};
}

class Diagram : public testing::Test {
protected:
    TChessDiagram2D diagram;
};

TEST_F(Diagram, IsAFixed304SquareWithTheInitialPosition) {
    EXPECT_EQ(diagram.size(), QSize(304, 304));
    EXPECT_EQ(diagram.minimumSize(), diagram.maximumSize());
    EXPECT_EQ(diagram.Version(), "1.0");
    EXPECT_TRUE(diagram.WhiteIsAtBottom());
    EXPECT_TRUE(diagram.missingPieceImages().empty());
    EXPECT_EQ(diagram.position(), TChessPosition());
    EXPECT_EQ(diagram.GetLastDrag(), (DragRecord{0, 0, 0, 1}));
}

TEST_F(Diagram, PiecesAreDrawnWithMaskAndThenImageOnTheSquareColour) {
    diagram.show();
    EXPECT_EQ(diagram.GetCanvas().pixelColor(0, 266 + 37), kDark);  // a1 corner, no piece there
    EXPECT_EQ(shownSquare(diagram, 0, 266), expectedSquare(Piece::WhiteRook, kDark));      // a1
    EXPECT_EQ(shownSquare(diagram, 266, 266), expectedSquare(Piece::WhiteRook, kLight));   // h1
    EXPECT_EQ(shownSquare(diagram, 266, 0), expectedSquare(Piece::BlackRook, kDark));      // h8
    EXPECT_EQ(shownSquare(diagram, 152, 266), expectedSquare(Piece::WhiteKing, kDark));    // e1
    EXPECT_EQ(shownSquare(diagram, 114, 266), expectedSquare(Piece::WhiteQueen, kLight));  // d1
    EXPECT_EQ(shownSquare(diagram, 152, 0), expectedSquare(Piece::BlackKing, kLight));     // e8
    EXPECT_EQ(shownSquare(diagram, 152, 152), expectedSquare(0, kLight));                  // e4
    // Every figure differs from an empty square and from every other figure.
    for (int piece = 1; piece <= 12; ++piece) {
        EXPECT_NE(expectedSquare(piece, kLight), expectedSquare(0, kLight)) << piece;
        for (int other = piece + 1; other <= 12; ++other)
            EXPECT_NE(expectedSquare(piece, kDark), expectedSquare(other, kDark)) << piece;
    }
    // The widget shows its canvas.
    const QImage grabbed = diagram.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(grabbed, diagram.GetCanvas());
}

TEST_F(Diagram, WhitePiecesKeepAnOutlineOnALightSquare) {
    const QImage square = expectedSquare(Piece::WhiteQueen, kLight);
    int black = 0;
    for (int y = 0; y < 38; ++y)
        for (int x = 0; x < 38; ++x)
            black += square.pixelColor(x, y) == QColor(Qt::black);
    EXPECT_GT(black, 40);
}

TEST_F(Diagram, ColoursAndOrientationFollowTheirSetters) {
    diagram.SetDarkSquareColor(QColor(10, 20, 30));
    diagram.SetWhiteIsAtBottom(false);
    EXPECT_EQ(shownSquare(diagram, 266, 0), expectedSquare(Piece::WhiteRook, QColor(10, 20, 30)));
    EXPECT_EQ(diagram.SquareAt(0, 0), 7);
    EXPECT_EQ(TChessDiagram2D::colorRefOf(QColor(0, 128, 128)), kDefaultDarkSquares);
}

TEST_F(Diagram, SetPieceStoresAndDrawsOneSquare) {
    diagram.SetPiece(Piece::BlackKnight, 34);
    EXPECT_EQ(diagram.PieceAt(34), Piece::BlackKnight);
    EXPECT_EQ(shownSquare(diagram, 152, 152), expectedSquare(Piece::BlackKnight, kLight));
}

TEST_F(Diagram, DragMovesAFloatingPieceAndLeavesThePositionAlone) {
    diagram.show();
    QSignalSpy downs(&diagram, &TChessDiagram::OnMouseDown);
    QSignalSpy ups(&diagram, &TChessDiagram::OnMouseUp);
    QTest::mousePress(&diagram, Qt::LeftButton, {}, centreOf(14));  // e2
    EXPECT_EQ(downs.count(), 1);
    EXPECT_TRUE(diagram.isDragging());
    QTest::mouseMove(&diagram, centreOf(24) + QPoint(3, 0));  // over e3, slightly right
    QTest::mouseMove(&diagram, centreOf(34));                 // over e4
    EXPECT_EQ(shownSquare(diagram, 152, 152), expectedSquare(Piece::WhitePawn, kLight));
    EXPECT_EQ(shownSquare(diagram, 152, 228), expectedSquare(0, kLight));  // e2 shows empty
    EXPECT_EQ(shownSquare(diagram, 152, 190), expectedSquare(0, kDark));   // e3 clean again
    QTest::mouseRelease(&diagram, Qt::LeftButton, {}, centreOf(34));
    ASSERT_EQ(ups.count(), 1);
    EXPECT_FALSE(diagram.isDragging());
    EXPECT_EQ(diagram.GetLastDrag(), (DragRecord{14, 34, 0, 1}));
    EXPECT_EQ(diagram.position(), TChessPosition());  // the owner decides
    EXPECT_EQ(shownSquare(diagram, 152, 152), expectedSquare(0, kLight));
    diagram.RedrawSquare(14);
    EXPECT_EQ(shownSquare(diagram, 152, 228), expectedSquare(Piece::WhitePawn, kLight));
}

TEST_F(Diagram, ASecondButtonDuringADragDoesNotRestartIt) {
    diagram.show();
    QSignalSpy downs(&diagram, &TChessDiagram::OnMouseDown);
    QSignalSpy ups(&diagram, &TChessDiagram::OnMouseUp);
    QTest::mousePress(&diagram, Qt::LeftButton, {}, centreOf(1));  // b1
    QTest::mouseMove(&diagram, centreOf(22));
    QTest::mousePress(&diagram, Qt::RightButton, Qt::NoModifier, centreOf(22));
    EXPECT_EQ(downs.count(), 2);
    EXPECT_EQ(diagram.GetLastDrag().from, 1);  // still the first drag
    QTest::mouseRelease(&diagram, Qt::RightButton, {}, centreOf(22));
    QTest::mouseRelease(&diagram, Qt::LeftButton, {}, centreOf(22));
    EXPECT_EQ(ups.count(), 1);
    EXPECT_EQ(diagram.GetLastDrag(), (DragRecord{1, 22, 0, 1}));
}

TEST_F(Diagram, AnimateMoveFromAnEmptySquareDoesNothing) {
    const QImage before = diagram.GetCanvas().copy();
    diagram.AnimateMove(DragRecord{34, 44, 0, 1});
    EXPECT_FALSE(diagram.isAnimating());
    EXPECT_EQ(diagram.position(), TChessPosition());
    EXPECT_EQ(diagram.GetCanvas(), before);
}

TEST_F(Diagram, MouseDownOnAnEmptySquareStartsNoDrag) {
    QSignalSpy downs(&diagram, &TChessDiagram::OnMouseDown);
    QSignalSpy ups(&diagram, &TChessDiagram::OnMouseUp);
    QTest::mousePress(&diagram, Qt::RightButton, {}, centreOf(44));
    QTest::mouseRelease(&diagram, Qt::RightButton, {}, centreOf(44));
    EXPECT_EQ(downs.count(), 1);
    EXPECT_EQ(downs.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
    EXPECT_EQ(ups.count(), 0);
    EXPECT_EQ(diagram.GetLastDrag(), (DragRecord{44, 44, 0, 1}));
}

TEST_F(Diagram, PawnDropsOnTheLastRankCarryAPromotion) {
    TChessPosition empty;
    for (Square sq = 0; sq < 78; ++sq)
        empty.PutPieceOnSquare(0, sq);
    empty.PutPieceOnSquare(Piece::WhitePawn, 60);  // a7
    empty.PutPieceOnSquare(Piece::BlackPawn, 11);  // b2
    diagram.showPosition(empty);
    diagram.show();
    QTest::mousePress(&diagram, Qt::LeftButton, {}, centreOf(60));
    QTest::mouseMove(&diagram, centreOf(70));
    QTest::mouseRelease(&diagram, Qt::LeftButton, {}, centreOf(70));
    EXPECT_EQ(diagram.GetLastDrag(), (DragRecord{60, 70, 5, 1}));
    QTest::mousePress(&diagram, Qt::LeftButton, {}, centreOf(11));
    QTest::mouseMove(&diagram, centreOf(1));
    QTest::mouseRelease(&diagram, Qt::LeftButton, {}, centreOf(1));
    EXPECT_EQ(diagram.GetLastDrag(), (DragRecord{11, 1, 11, 1}));
}

TEST_F(Diagram, DraggingFarOutsideKeepsThePieceOnTheBoard) {
    diagram.show();
    QTest::mousePress(&diagram, Qt::LeftButton, {}, centreOf(71));  // b8
    QTest::mouseMove(&diagram, QPoint(900, 900));
    QTest::mouseRelease(&diagram, Qt::LeftButton, {}, QPoint(900, 900));
    EXPECT_EQ(diagram.GetLastDrag(), (DragRecord{71, 7, 0, 1}));  // h1
}

TEST_F(Diagram, AnimationEndsWithThePieceOnItsTargetSquare) {
    diagram.StartMoveAnimation(Piece::WhiteKnight, 6, 25);  // Ng1-f3
    EXPECT_TRUE(diagram.isAnimating());
    EXPECT_EQ(diagram.PieceAt(6), 0);
    EXPECT_EQ(diagram.PieceAt(25), Piece::WhiteKnight);
    int steps = 0;
    while (diagram.isAnimating() && steps++ < 200)
        diagram.AnimationStep();
    EXPECT_FALSE(diagram.isAnimating());
    const QImage animated = diagram.GetCanvas().copy();
    diagram.Paint();
    EXPECT_EQ(animated, diagram.GetCanvas());
}

TEST_F(Diagram, SnapshotsAreTheBoardAsShown) {
    diagram.SetPiece(Piece::BlackQueen, 33);
    const QImage& bitmap = diagram.CopyDiagramToBitmap();
    EXPECT_EQ(bitmap, diagram.GetCanvas());
    TempFolder folder;
    const QString file = QString::fromStdString(folder.path("board.bmp"));
    ASSERT_TRUE(diagram.SaveDiagramToFile(file));
    QFile written(file);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.read(2), "BM");
    EXPECT_EQ(QImage(file).convertToFormat(QImage::Format_RGB32), diagram.GetCanvas());
    diagram.CopyDiagramToClipBoard();
    EXPECT_EQ(QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32),
              diagram.GetCanvas());
}

TEST(DiagramImages, AMissingImageIsNamedAndTheOthersStillLoad) {
    TempFolder folder;
    for (int slot = 1; slot <= 24; ++slot)
        if (slot != 7)
            QFile::copy(
                QStringLiteral(":/pieces/PIECE%1.bmp").arg(slot),
                QString::fromStdString(folder.path("PIECE" + std::to_string(slot) + ".bmp")));
    TChessDiagram2D diagram(nullptr, QString::fromStdString(folder.path("PIECE")));
    EXPECT_EQ(diagram.missingPieceImages(), std::vector<std::string>{"PIECE7"});
    EXPECT_EQ(shownSquare(diagram, 0, 266), expectedSquare(Piece::WhiteRook, kDark));
}

}  // namespace
