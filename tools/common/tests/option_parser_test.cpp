#include "option_parser.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

using Args = std::vector<std::string>;

struct Parsed {
    std::string letters;
    Args values;
    Args rest;
    char invalid = 0;
};

Parsed parse(const Args& args, const char* optionString = "dDeEf:F:g:G:hHvV") {
    OptionParser parser(args, optionString);
    Parsed parsed;
    for (auto result = parser.next(); result != OptionParser::Result::End; result = parser.next()) {
        if (result == OptionParser::Result::Invalid) {
            parsed.invalid = parser.letter();
            return parsed;
        }
        parsed.letters += parser.letter();
        parsed.values.push_back(parser.value());
    }
    parsed.rest = parser.remaining();
    return parsed;
}

TEST(OptionParser, GroupedLettersAndValuesInTheSameOrNextWord) {
    auto p = parse({"-dDg5", "-G", "12", "-e", "in.pgn", "out.epd"});
    EXPECT_EQ(p.letters, "dDgGe");
    EXPECT_EQ(p.values, (Args{"", "", "5", "12", ""}));
    EXPECT_EQ(p.rest, (Args{"in.pgn", "out.epd"}));
}

TEST(OptionParser, DoubleDashAndAPlainWordEndTheOptions) {
    auto p = parse({"-d", "--", "-g", "x"});
    EXPECT_EQ(p.letters, "d");
    EXPECT_EQ(p.rest, (Args{"-g", "x"}));
    p = parse({"file", "-d"});
    EXPECT_EQ(p.letters, "");
    EXPECT_EQ(p.rest, (Args{"file", "-d"}));
    p = parse({"-", "x"});  // a lone dash is an argument
    EXPECT_EQ(p.rest, (Args{"-", "x"}));
}

TEST(OptionParser, UnknownLetterOrMissingValueIsInvalid) {
    EXPECT_EQ(parse({"-x"}).invalid, 'x');
    EXPECT_EQ(parse({"-dz"}).invalid, 'z');
    EXPECT_EQ(parse({"-g"}).invalid, 'g');
    EXPECT_EQ(parse({"-:"}).invalid, ':');
    // The option string decides the case: Quenbry knows "l" and "L", Orvanel does not.
    EXPECT_EQ(parse({"-L"}).invalid, 'L');
    EXPECT_EQ(parse({"-L"}, "dDeEF:f:hHLlvV").letters, "L");
}

TEST(ListFile, FirstLineWithoutItsLineEnd) {
    TempFolder folder;
    folder.write("list.txt", "/path/with blanks/game file.pgn\nsecond line\n");
    EXPECT_EQ(readListFile(folder.path("list.txt")), "/path/with blanks/game file.pgn");
    folder.write("crlf.txt", "C:\\games\\a b.pgn\r\n");
    EXPECT_EQ(readListFile(folder.path("crlf.txt")), "C:\\games\\a b.pgn");
    folder.write("short.txt", "x");
    EXPECT_EQ(readListFile(folder.path("short.txt")), "");
    EXPECT_EQ(readListFile(folder.path("missing.txt")), "");
    // A first line longer than 999 characters is cut there.
    folder.write("long.txt", std::string(1500, 'a') + "\n");
    EXPECT_EQ(readListFile(folder.path("long.txt")).size(), 998u);
}

}  // namespace
