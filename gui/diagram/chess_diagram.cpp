#include "chess_diagram.h"

#include <QBuffer>
#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>

#include "text_file.h"

using DiagramGeometry::kSquareSize;
using DiagramGeometry::Point;

TChessDiagram::TChessDiagram(QWidget* parent)
    : QWidget(parent),
      m_version(QStringLiteral("1.0")),
      m_position(std::make_unique<TChessPosition>()) {}

TChessDiagram::~TChessDiagram() = default;

void TChessDiagram::SetWhiteIsAtBottom(bool whiteIsAtBottom) {
    m_whiteIsAtBottom = whiteIsAtBottom;
    Paint();
    update();
}

void TChessDiagram::StartMoveAnimation(int piece, Square from, Square to) {
    m_position->PutPieceOnSquare(Piece::Empty, from);
    m_position->PutPieceOnSquare(piece, to);
    m_lastAnimatedFrom = from;
    m_lastAnimatedTo = to;
}

void TChessDiagram::AnimateMove(const DragRecord& record) {
    const int piece = m_position->PieceOnSquare(record.from);
    if (piece == Piece::Empty) return;
    StopAnimation();
    StartMoveAnimation(piece, record.from, record.to);
}

void TChessDiagram::SetPiece(int piece, Square square) {
    m_position->PutPieceOnSquare(piece, square);
    DrawSquare(piece, square);
}

void TChessDiagram::showPosition(const TChessPosition& position) {
    *m_position = position;
    Paint();
}

TChessDiagram2D::TChessDiagram2D(QWidget* parent, const QString& imagePrefix)
    : TChessDiagram(parent),
      m_canvas(DiagramGeometry::kBoardSize, DiagramGeometry::kBoardSize, QImage::Format_RGB32),
      m_boardImage(m_canvas.size(), QImage::Format_RGB32),
      m_saveBuffer(kSquareSize, kSquareSize, QImage::Format_RGB32),
      m_dark(colorOf(kDefaultDarkSquares)),
      m_light(colorOf(kDefaultLightSquares)) {
    setFixedSize(DiagramGeometry::kBoardSize, DiagramGeometry::kBoardSize);
    setAttribute(Qt::WA_OpaquePaintEvent);
    for (int slot = 1; slot <= 24; ++slot) {
        QImage image(imagePrefix + QString::number(slot) + QStringLiteral(".bmp"));
        if (image.isNull() || image.size() != QSize(kSquareSize, kSquareSize)) {
            m_missingImages.push_back("PIECE" + std::to_string(slot));
            continue;
        }
        m_pieceImages[static_cast<std::size_t>(slot)] = image.convertToFormat(QImage::Format_RGB32);
    }
    m_canvas.fill(Qt::black);
    Paint();
}

QColor TChessDiagram2D::colorOfSquare(Square square) const {
    return DiagramGeometry::isLightSquare(square) ? m_light : m_dark;
}

QRect TChessDiagram2D::squareRect(Square square) const {
    const Point at = DiagramGeometry::squareTopLeft(square, m_whiteIsAtBottom);
    return {at.x, at.y, kSquareSize, kSquareSize};
}

void TChessDiagram2D::SetDarkSquareColor(const QColor& color) {
    m_dark = color;
    Paint();
}

void TChessDiagram2D::SetLightSquareColor(const QColor& color) {
    m_light = color;
    Paint();
}

void TChessDiagram2D::Paint() {
    StopAnimation();
    for (int rank = 0; rank < 8; ++rank)
        for (int file = 0; file < 8; ++file) {
            const Square square = makeSquare(rank, file);
            DrawSquare(m_position->PieceOnSquare(square), square);
        }
}

void TChessDiagram2D::RedrawSquare(Square square) {
    DrawSquare(m_position->PieceOnSquare(square), square);
}

void TChessDiagram2D::drawPieceOn(QImage& target, int piece, int x, int y) const {
    if (piece < 1 || piece > 12) return;
    const QImage& mask = m_pieceImages[static_cast<std::size_t>(piece + 12)];
    const QImage& image = m_pieceImages[static_cast<std::size_t>(piece)];
    QPainter painter(&target);
    if (!mask.isNull()) {
        painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
        painter.drawImage(x, y, mask);
    }
    if (!image.isNull()) {
        painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
        painter.drawImage(x, y, image);
    }
}

QImage TChessDiagram2D::pieceOn(int piece, const QColor& background) const {
    QImage square(kSquareSize, kSquareSize, QImage::Format_RGB32);
    square.fill(background);
    drawPieceOn(square, piece, 0, 0);
    return square;
}

void TChessDiagram2D::DrawPiece(int piece, int x, int y) {
    drawPieceOn(m_canvas, piece, x, y);
    update(x, y, kSquareSize, kSquareSize);
}

void TChessDiagram2D::DrawSquare(int piece, Square square) {
    if (isEdgeSquare(square)) return;
    const QRect rect = squareRect(square);
    {
        QPainter painter(&m_canvas);
        painter.fillRect(rect, colorOfSquare(square));
    }
    DrawPiece(piece, rect.x(), rect.y());
    update(rect);
}

void TChessDiagram2D::ClampToBoard(int& x, int& y) {
    const Point clamped = DiagramGeometry::clampToBoard({x, y});
    x = clamped.x;
    y = clamped.y;
}

Square TChessDiagram2D::SquareAt(int x, int y) {
    return DiagramGeometry::squareAt({x, y}, m_whiteIsAtBottom);
}

void TChessDiagram2D::copyBoardImageToCanvas(const QRect& rect) {
    QPainter painter(&m_canvas);
    painter.drawImage(rect.topLeft(), m_boardImage, rect);
    update(rect);
}

void TChessDiagram2D::moveFloatingPiece(Point topLeft) {
    const QRect oldRect(m_current.x, m_current.y, kSquareSize, kSquareSize);
    const QRect newRect(topLeft.x, topLeft.y, kSquareSize, kSquareSize);
    m_saveBuffer = m_boardImage.copy(newRect);
    drawPieceOn(m_boardImage, m_movingPiece, topLeft.x, topLeft.y);
    copyBoardImageToCanvas(oldRect.united(newRect));
    {
        QPainter painter(&m_boardImage);
        painter.drawImage(newRect.topLeft(), m_saveBuffer);
    }
    m_current = topLeft;
}

void TChessDiagram2D::StartMoveAnimation(int piece, Square from, Square to) {
    TChessDiagram::StartMoveAnimation(piece, from, to);
    m_movingPiece = piece;
    m_boardImage = m_canvas.copy();
    m_current = m_start = DiagramGeometry::squareTopLeft(from, m_whiteIsAtBottom);
    m_target = DiagramGeometry::squareTopLeft(to, m_whiteIsAtBottom);
    {
        QPainter painter(&m_boardImage);
        painter.fillRect(squareRect(from), colorOfSquare(from));
    }
    m_animating = true;
}

void TChessDiagram2D::AnimationStep() {
    if (!m_animating) return;
    moveFloatingPiece(DiagramGeometry::animationStep(m_current, m_start, m_target));
    if (m_current == m_target) StopAnimation();
}

void TChessDiagram2D::StopAnimation() {
    if (!m_animating) return;
    m_animating = false;
    copyBoardImageToCanvas(QRect(m_current.x, m_current.y, kSquareSize, kSquareSize));
    DrawSquare(m_movingPiece, m_lastAnimatedTo);
}

bool TChessDiagram2D::SaveDiagramToFile(const QString& fileName) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!CopyDiagramToBitmap().save(&buffer, "BMP")) return false;
    return writeBytesSafely(
               QFile::encodeName(fileName).toStdString(),
               std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))
        .ok;
}

void TChessDiagram2D::CopyDiagramToClipBoard() {
    QGuiApplication::clipboard()->setImage(CopyDiagramToBitmap());
}

const QImage& TChessDiagram2D::CopyDiagramToBitmap() {
    m_boardImage = m_canvas.copy();
    return m_boardImage;
}

void TChessDiagram2D::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.drawImage(event->rect(), m_canvas, event->rect());
}

void TChessDiagram2D::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit OnMouseDown(event->button(), event->modifiers(), at.x(), at.y());
    if (m_dragging) return;
    StopAnimation();
    const Square square = SquareAt(at.x(), at.y());
    m_drag = DragRecord{static_cast<std::int8_t>(square), static_cast<std::int8_t>(square), 0, 1};
    m_movingPiece = m_position->PieceOnSquare(square);
    if (m_movingPiece == Piece::Empty) return;
    m_boardImage = m_canvas.copy();
    {
        QPainter painter(&m_boardImage);
        painter.fillRect(squareRect(square), colorOfSquare(square));
    }
    m_current = DiagramGeometry::squareTopLeft(square, m_whiteIsAtBottom);
    m_dragging = true;
}

void TChessDiagram2D::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (!m_dragging) return;
    const Point centre = DiagramGeometry::clampToBoard(
        {event->position().toPoint().x(), event->position().toPoint().y()});
    const Point topLeft{centre.x - DiagramGeometry::kHalfSquare,
                        centre.y - DiagramGeometry::kHalfSquare};
    if (topLeft == m_current) return;
    moveFloatingPiece(topLeft);
}

void TChessDiagram2D::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_dragging) return;
    m_dragging = false;
    copyBoardImageToCanvas(QRect(m_current.x, m_current.y, kSquareSize, kSquareSize));
    const Square to = SquareAt(m_current.x + DiagramGeometry::kHalfSquare,
                               m_current.y + DiagramGeometry::kHalfSquare);
    m_drag.to = static_cast<std::int8_t>(to);
    m_drag.promotion = static_cast<std::uint8_t>(
        DiagramGeometry::promotionFor(m_movingPiece, to, m_promotionPiece));
    const QPoint at = event->position().toPoint();
    emit OnMouseUp(event->button(), event->modifiers(), at.x(), at.y());
}
