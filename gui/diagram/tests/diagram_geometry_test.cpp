#include "diagram_geometry.h"

#include <gtest/gtest.h>

namespace {

using namespace DiagramGeometry;

TEST(DiagramGeometry, CornersWithWhiteAtTheBottom) {
    EXPECT_EQ(squareTopLeft(0, true), (Point{0, 266}));     // a1
    EXPECT_EQ(squareTopLeft(77, true), (Point{266, 0}));    // h8
    EXPECT_EQ(squareTopLeft(7, true), (Point{266, 266}));   // h1
    EXPECT_EQ(squareTopLeft(34, true), (Point{152, 152}));  // e4
    EXPECT_FALSE(isLightSquare(0));
    EXPECT_FALSE(isLightSquare(77));
    EXPECT_TRUE(isLightSquare(7));
    EXPECT_TRUE(isLightSquare(70));
}

TEST(DiagramGeometry, BlackAtTheBottomMirrorsBothAxes) {
    EXPECT_EQ(squareTopLeft(0, false), (Point{266, 0}));
    EXPECT_EQ(squareTopLeft(77, false), (Point{0, 266}));
    EXPECT_EQ(squareAt({0, 0}, false), 7);
    EXPECT_EQ(squareAt({303, 303}, false), 70);
}

TEST(DiagramGeometry, EveryPointMapsToABoardSquare) {
    EXPECT_EQ(squareAt({0, 0}, true), 70);
    EXPECT_EQ(squareAt({-50, -50}, true), 70);
    EXPECT_EQ(squareAt({303, 303}, true), 7);
    EXPECT_EQ(squareAt({400, 400}, true), 7);
    EXPECT_EQ(squareAt({37, 266}, true), 0);
    EXPECT_EQ(squareAt({38, 265}, true), 11);  // b2: one pixel into the next square each way
    for (int y = -100; y < 400; y += 7)
        for (int x = -100; x < 400; x += 7)
            EXPECT_FALSE(isEdgeSquare(squareAt({x, y}, true)));
}

TEST(DiagramGeometry, ClampKeepsACentredPieceOnTheBoard) {
    EXPECT_EQ(clampToBoard({0, 1000}), (Point{19, 285}));
    EXPECT_EQ(clampToBoard({150, -3}), (Point{150, 19}));
}

TEST(DiagramGeometry, PromotionOnlyForPawnsReachingTheLastRank) {
    EXPECT_EQ(promotionFor(Piece::WhitePawn, 74, 5), 5);
    EXPECT_EQ(promotionFor(Piece::BlackPawn, 3, 5), 11);
    EXPECT_EQ(promotionFor(Piece::WhitePawn, 3, 5), 0);
    EXPECT_EQ(promotionFor(Piece::BlackPawn, 74, 5), 0);
    EXPECT_EQ(promotionFor(Piece::WhiteQueen, 74, 5), 0);
}

TEST(DiagramGeometry, AnimationSlowsNearBothEndsAndArrivesExactly) {
    const Point start{0, 266};
    const Point target{266, 0};  // a1 to h8
    Point at = start;
    EXPECT_EQ(animationStep(at, start, target), (Point{4, 262}));  // slow off the mark
    int steps = 0;
    while (!(at == target) && steps < 1000) {
        at = animationStep(at, start, target);
        ++steps;
    }
    EXPECT_EQ(at, target);
    EXPECT_LT(steps, 60);
    // Within 6 pixels of the target the step is 4, from 7 on it is 5.
    EXPECT_EQ(animationStep({0, 70}, {0, 0}, {0, 76}), (Point{0, 74}));
    EXPECT_EQ(animationStep({0, 69}, {0, 0}, {0, 76}), (Point{0, 74}));
    // A path along one axis moves that axis only, and the other stays put.
    EXPECT_EQ(animationStep({0, 0}, {0, 0}, {0, 76}), (Point{0, 4}));
    EXPECT_EQ(animationStep({0, 20}, {0, 0}, {0, 76}), (Point{0, 25}));
    EXPECT_EQ(animationStep({0, 74}, {0, 0}, {0, 76}), (Point{0, 76}));
}

}  // namespace
