#include "undo_ring.h"

#include <gtest/gtest.h>

namespace {

TEST(UndoRing, ConfiguredSizeRules) {
    EXPECT_EQ(UndoRing::effectiveSize(-3), 0);
    EXPECT_EQ(UndoRing::effectiveSize(0), 0);
    EXPECT_EQ(UndoRing::effectiveSize(5), 100);
    EXPECT_EQ(UndoRing::effectiveSize(9), 100);
    EXPECT_EQ(UndoRing::effectiveSize(10), 10);
    EXPECT_EQ(UndoRing::effectiveSize(10000), 10000);
    EXPECT_EQ(UndoRing::effectiveSize(10001), 100);
}

TEST(UndoRing, DisabledRingRefusesEveryPush) {
    UndoRing ring(0);
    EXPECT_FALSE(ring.enabled());
    EXPECT_FALSE(ring.push(1, "x", UndoKind::Deleted));
    EXPECT_FALSE(ring.pop());
}

TEST(UndoRing, PopsInReverseOrderUntilEmpty) {
    UndoRing ring(10);
    ring.push(1, "one", UndoKind::Replaced);
    ring.push(2, "two", UndoKind::Deleted);
    auto last = ring.pop();
    ASSERT_TRUE(last);
    EXPECT_EQ(last->index, 2);
    EXPECT_EQ(last->text, "two");
    EXPECT_EQ(last->kind, UndoKind::Deleted);
    EXPECT_EQ(ring.pop()->text, "one");
    EXPECT_TRUE(ring.empty());
    EXPECT_FALSE(ring.pop());
}

TEST(UndoRing, FullRingDropsTheOldestAcrossManyWrapArounds) {
    UndoRing ring(10);
    for (int i = 0; i < 137; ++i) {
        ASSERT_TRUE(ring.push(i, std::to_string(i), UndoKind::Deleted));
        EXPECT_EQ(ring.size(), std::min(i + 1, 10));
    }
    for (int i = 136; i >= 127; --i) {
        auto entry = ring.pop();
        ASSERT_TRUE(entry);
        EXPECT_EQ(entry->index, i);
    }
    EXPECT_TRUE(ring.empty());
    EXPECT_FALSE(ring.pop());
    // Half a ring pushed after popping comes back too, and nothing older.
    for (int i = 0; i < 5; ++i)
        ring.push(i, "again", UndoKind::Replaced);
    EXPECT_EQ(ring.size(), 5);
}

TEST(UndoRing, ClearEmptiesTheRing) {
    UndoRing ring(10);
    for (int i = 0; i < 25; ++i)
        ring.push(i, "x", UndoKind::Deleted);
    ring.clear();
    EXPECT_TRUE(ring.empty());
    EXPECT_FALSE(ring.pop());
    ring.push(7, "y", UndoKind::Deleted);
    EXPECT_EQ(ring.pop()->index, 7);
}

}  // namespace
