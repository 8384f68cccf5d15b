#pragma once

#include <cstdint>

#include "chess_position.h"

// Geometry and drag bookkeeping of the 304 x 304 diagram: eight 38-pixel squares a side, no
// border, a1 at the bottom left when white is at the bottom.
namespace DiagramGeometry {

inline constexpr int kSquareSize = 38;
inline constexpr int kBoardSize = 8 * kSquareSize;
inline constexpr int kHalfSquare = kSquareSize / 2;

struct Point {
    int x = 0;
    int y = 0;
    bool operator==(const Point&) const = default;
};

// Top-left pixel of a square as drawn.
Point squareTopLeft(Square square, bool whiteIsAtBottom);
// Light when the displayed rank and file add up to an odd number (a1 is dark).
bool isLightSquare(Square square);
// Limits a point to 19..285 on both axes, so a piece centred there stays on the board.
Point clampToBoard(Point point);
// The square under a point; every point, also outside the board, maps to a board square.
Square squareAt(Point point, bool whiteIsAtBottom);
// The promotion code of a drop: white pawn on rank 8 gets promotionPiece, black pawn on rank 1
// gets promotionPiece + 6, anything else 0.
int promotionFor(int movingPiece, Square to, int promotionPiece);

// One step of a move animation towards `target`: 5 pixels on each axis while the piece is more
// than 6 pixels away from both ends of its path, else 4; each axis stops at its target.
Point animationStep(Point current, Point start, Point target);

}  // namespace DiagramGeometry

// The drag record the diagram keeps for its owner.
struct DragRecord {
    std::int8_t from = 0;
    std::int8_t to = 0;
    std::uint8_t promotion = 0;  // piece code, 0 for none
    std::uint8_t started = 1;    // 1 once a drag began (and at creation)
    bool operator==(const DragRecord&) const = default;
};

// Colours are kept as the settings file stores them: 0x00BBGGRR.
struct ColorRef {
    std::uint32_t value = 0;
    int red() const { return static_cast<int>(value & 0xFF); }
    int green() const { return static_cast<int>((value >> 8) & 0xFF); }
    int blue() const { return static_cast<int>((value >> 16) & 0xFF); }
    static ColorRef fromRgb(int red, int green, int blue) {
        return {static_cast<std::uint32_t>((red & 0xFF) | ((green & 0xFF) << 8) |
                                           ((blue & 0xFF) << 16))};
    }
    bool operator==(const ColorRef&) const = default;
};

inline constexpr ColorRef kDefaultDarkSquares{0x808000};   // red 0, green 128, blue 128
inline constexpr ColorRef kDefaultLightSquares{0xFFFFFF};  // white
