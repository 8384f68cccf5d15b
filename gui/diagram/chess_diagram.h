#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include <QColor>
#include <QImage>
#include <QWidget>

#include "chess_position.h"
#include "diagram_geometry.h"

// An abstract chess diagram: it owns a position, keeps the drag record and raises
// OnMouseDown / OnMouseUp. The drawing operations do nothing here; TChessDiagram2D draws.
class TChessDiagram : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString Version READ Version CONSTANT)
    Q_PROPERTY(bool WhiteIsAtBottom READ WhiteIsAtBottom WRITE SetWhiteIsAtBottom)

public:
    explicit TChessDiagram(QWidget* parent = nullptr);
    ~TChessDiagram() override;

    QString Version() const { return m_version; }
    bool WhiteIsAtBottom() const { return m_whiteIsAtBottom; }
    void SetWhiteIsAtBottom(bool whiteIsAtBottom);

    virtual void Paint() {}
    virtual void RedrawSquare(Square /*square*/) {}
    virtual void DrawPiece(int /*piece*/, int /*x*/, int /*y*/) {}
    virtual void ClampToBoard(int& /*x*/, int& /*y*/) {}
    virtual void StartMoveAnimation(int piece, Square from, Square to);
    virtual Square SquareAt(int /*x*/, int /*y*/) { return -1; }
    virtual void DrawSquare(int /*piece*/, Square /*square*/) {}
    virtual void AnimationStep() {}
    virtual void StopAnimation() {}
    virtual void AnimateMove(const DragRecord& record);
    virtual DragRecord GetLastDrag() const { return m_drag; }

    void SetPiece(int piece, Square square);
    int PieceAt(Square square) const { return m_position->PieceOnSquare(square); }

    TChessPosition& position() { return *m_position; }
    const TChessPosition& position() const { return *m_position; }
    // Copies a whole position in and draws it.
    void showPosition(const TChessPosition& position);

    int PromotionPiece() const { return m_promotionPiece; }
    void SetPromotionPiece(int piece) { m_promotionPiece = piece; }
    bool isDragging() const { return m_dragging; }
    bool isAnimating() const { return m_animating; }

signals:
    void OnMouseDown(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);
    void OnMouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers, int x, int y);

protected:
    QString m_version;
    bool m_whiteIsAtBottom = true;
    DragRecord m_drag;
    int m_promotionPiece = Piece::WhiteQueen;
    bool m_dragging = false;
    bool m_animating = false;
    int m_movingPiece = 0;
    Square m_lastAnimatedFrom = 0;
    Square m_lastAnimatedTo = 0;
    std::unique_ptr<TChessPosition> m_position;
};

// The bitmap board: 304 x 304 pixels, pieces drawn from 24 images (12 figures, 12 masks) with
// the mask ANDed and then the figure ORed onto the square.
class TChessDiagram2D : public TChessDiagram {
    Q_OBJECT

public:
    // Piece images are loaded from `imagePrefix` + n + ".bmp" for n = 1..24.
    explicit TChessDiagram2D(QWidget* parent = nullptr,
                             const QString& imagePrefix = QStringLiteral(":/pieces/PIECE"));

    void Paint() override;
    void RedrawSquare(Square square) override;
    void DrawPiece(int piece, int x, int y) override;
    void ClampToBoard(int& x, int& y) override;
    void StartMoveAnimation(int piece, Square from, Square to) override;
    Square SquareAt(int x, int y) override;
    void DrawSquare(int piece, Square square) override;
    void AnimationStep() override;
    void StopAnimation() override;

    QImage& GetCanvas() { return m_canvas; }
    bool SaveDiagramToFile(const QString& fileName);
    void CopyDiagramToClipBoard();
    const QImage& CopyDiagramToBitmap();

    QColor DarkSquareColor() const { return m_dark; }
    QColor LightSquareColor() const { return m_light; }
    void SetDarkSquareColor(const QColor& color);
    void SetLightSquareColor(const QColor& color);
    static QColor colorOf(ColorRef ref) { return QColor(ref.red(), ref.green(), ref.blue()); }
    static ColorRef colorRefOf(const QColor& color) {
        return ColorRef::fromRgb(color.red(), color.green(), color.blue());
    }

    // A piece drawn on a 38 x 38 square of the given colour, as the board draws it.
    QImage pieceOn(int piece, const QColor& background) const;

    // Names of the piece images that could not be loaded ("PIECE7"), in slot order.
    const std::vector<std::string>& missingPieceImages() const { return m_missingImages; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QColor colorOfSquare(Square square) const;
    QRect squareRect(Square square) const;
    void drawPieceOn(QImage& target, int piece, int x, int y) const;
    // Moves the floating piece (drag or animation) to a new top-left through the board image.
    void moveFloatingPiece(DiagramGeometry::Point topLeft);
    void copyBoardImageToCanvas(const QRect& rect);

    std::array<QImage, 25> m_pieceImages;  // slots 1..24
    std::vector<std::string> m_missingImages;
    QImage m_canvas;      // what the window shows
    QImage m_boardImage;  // off-screen copy for dragging, animation and snapshots
    QImage m_saveBuffer;  // background under the floating piece
    QColor m_dark;
    QColor m_light;
    DiagramGeometry::Point m_current;
    DiagramGeometry::Point m_target;
    DiagramGeometry::Point m_start;
};
