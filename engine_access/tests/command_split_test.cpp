#include "command_split.h"

#include <gtest/gtest.h>

namespace {

using Words = std::vector<std::string>;

TEST(CommandSplit, WordsAndQuotes) {
    EXPECT_EQ(splitCommandLine("./VANTA VANENG03.PGN 3 4"),
              (Words{"./VANTA", "VANENG03.PGN", "3", "4"}));
    EXPECT_EQ(splitCommandLine("  a\t b  "), (Words{"a", "b"}));
    EXPECT_EQ(splitCommandLine("'./my engine' x"), (Words{"./my engine", "x"}));
    EXPECT_EQ(splitCommandLine("'it'\\''s' \"a \\\"b\\\" c\" d\\ e"),
              (Words{"it's", "a \"b\" c", "d e"}));
    EXPECT_EQ(splitCommandLine("''"), (Words{""}));
    EXPECT_TRUE(splitCommandLine("").empty());
}

}  // namespace
