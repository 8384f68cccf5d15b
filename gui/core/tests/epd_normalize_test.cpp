#include "epd_normalize.h"

#include <gtest/gtest.h>

namespace {

struct NormalizeCase {
    const char* name;
    const char* line;
    const char* expected;  // nullptr: left alone
};

class Normalize : public testing::TestWithParam<NormalizeCase> {};

TEST_P(Normalize, RepairsOrLeavesAlone) {
    const auto result = normalizeLine(GetParam().line);
    if (GetParam().expected == nullptr) {
        EXPECT_FALSE(result) << *result;
    } else {
        ASSERT_TRUE(result);
        EXPECT_EQ(*result, GetParam().expected);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Normalize,
    testing::Values(
        NormalizeCase{"ShortRankGetsItsDigit", "rnbqkbnr/ppp/8/8/8/8/PPPPPPPP/RNBQKBNR w",
                      "rnbqkbnr/ppp5/8/8/8/8/PPPPPPPP/RNBQKBNR w"},
        NormalizeCase{"ShortLastRank", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN w - - bm e4;",
                      "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN1 w - - bm e4;"},
        NormalizeCase{"NinthRankDropped", "8/8/8/8/8/8/8/8/pp w - -", "8/8/8/8/8/8/8/8 w - -"},
        NormalizeCase{"NineSquareRankLeavesLineAlone", "ppppppppp/8/8/8/8/8/8/8/6 w - -", nullptr},
        NormalizeCase{"DigitsAreNotMerged", "4/8/8/8/8/8/8/8 w - -", "44/8/8/8/8/8/8/8 w - -"},
        NormalizeCase{"MissingRanksAreNotAdded", "8/8/8/8/8/8 w - -", nullptr},
        NormalizeCase{"UnknownCharacterLeavesLineAlone", "8/8/8/x/8/8/8/8 w - -", nullptr},
        NormalizeCase{"AlreadyNormal", "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -",
                      nullptr},
        NormalizeCase{"BlankTooEarly", "8/8/8 w - - - -", nullptr},
        NormalizeCase{"NoBlank", "8/8/8/8/8/8/8/7", nullptr},
        NormalizeCase{"EmptyLastRank", "8/8/8/8/8/8/8/ w - -", "8/8/8/8/8/8/8/8 w - -"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Normalize, BlankPositionLimitsAre8And72) {
    // Seven full ranks, a rank of seven squares and an eighth slash: 71 characters.
    std::string placement;
    for (int i = 0; i < 7; ++i)
        placement += "pppppppp/";
    placement += "ppppppp/";
    ASSERT_EQ(placement.size(), 71u);
    const std::string repaired = placement.substr(0, 70) + "1 w";
    EXPECT_EQ(normalizeLine(placement + " w"), repaired);         // first blank at 72
    EXPECT_FALSE(normalizeLine(placement + "/ w"));               // first blank at 73
    EXPECT_EQ(normalizeLine("8/8/8/7 w - -"), "8/8/8/71 w - -");  // first blank at 8
    EXPECT_FALSE(normalizeLine("8/8/7 w - -"));                   // first blank at 7
}

}  // namespace
