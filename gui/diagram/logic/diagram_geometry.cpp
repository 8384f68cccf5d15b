#include "diagram_geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace DiagramGeometry {

namespace {
Square displayed(Square square, bool whiteIsAtBottom) {
    return whiteIsAtBottom ? square : 77 - square;
}
}  // namespace

Point squareTopLeft(Square square, bool whiteIsAtBottom) {
    const Square shown = displayed(square, whiteIsAtBottom);
    return {(shown % 10) * kSquareSize, (7 - shown / 10) * kSquareSize};
}

bool isLightSquare(Square square) {
    // Mirroring changes rank + file from s to 14 - s, which keeps its parity.
    return (square / 10 + square % 10) % 2 == 1;
}

Point clampToBoard(Point point) {
    constexpr int low = kHalfSquare;
    constexpr int high = kBoardSize - kHalfSquare;
    return {std::clamp(point.x, low, high), std::clamp(point.y, low, high)};
}

Square squareAt(Point point, bool whiteIsAtBottom) {
    const Point clamped = clampToBoard(point);
    const int file = std::min(clamped.x / kSquareSize, 7);
    const int rank = 7 - std::min(clamped.y / kSquareSize, 7);
    return displayed(rank * 10 + file, whiteIsAtBottom);
}

int promotionFor(int movingPiece, Square to, int promotionPiece) {
    if (movingPiece == Piece::WhitePawn && to >= 70) return promotionPiece;
    if (movingPiece == Piece::BlackPawn && to < 8) return promotionPiece + 6;
    return 0;
}

Point animationStep(Point current, Point start, Point target) {
    const double toTarget = std::hypot(current.x - target.x, current.y - target.y);
    const double fromStart = std::hypot(current.x - start.x, current.y - start.y);
    const int step = toTarget > 6 && fromStart > 6 ? 5 : 4;
    auto towards = [step](int from, int to) {
        const int distance = std::abs(to - from);
        const int move = std::min(step, distance);
        return from + (to > from ? move : -move);
    };
    return {towards(current.x, target.x), towards(current.y, target.y)};
}

}  // namespace DiagramGeometry
