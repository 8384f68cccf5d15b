#include "text_file.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace {

std::vector<std::string> linesOf(const EpdFileLines& read) {
    return {read.lines.begin(), read.lines.end()};
}

std::vector<std::string> split(std::string_view text) {
    std::vector<std::string> lines;
    forEachLine(text, [&](std::string_view line) {
        lines.emplace_back(line);
        return true;
    });
    return lines;
}

TEST(LineSplitting, AcceptsLfCrLfAndLoneCr) {
    EXPECT_EQ(split("a\nb\r\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(split("a\n\rb"), (std::vector<std::string>{"a", "", "b"}));
    EXPECT_EQ(split("a\r\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(split("\n"), (std::vector<std::string>{""}));
    EXPECT_TRUE(split("").empty());
}

class TextFile : public testing::Test {
protected:
    TempFolder folder;
};

TEST_F(TextFile, ShortLinesAreSkippedAndBytesKept) {
    const std::string nonUtf8 = "8/8/8/8/8/8/8/8 w - - c0 \"Caf\xE9\";";
    const std::string withNul = std::string("8/8/8/8/8/8/8/8 w - - c1 \"a\0b\";", 31);
    folder.write("a.epd", "\r\n  \t\r\nshort line\r\n12345678901234\r\n123456789012345\r" +
                              nonUtf8 + "\n" + withNul);
    const auto read = readEpdLines(folder.path("a.epd"), kOpenLineLimit);
    ASSERT_EQ(read.status, ReadStatus::Ok);
    EXPECT_EQ(linesOf(read), (std::vector<std::string>{"123456789012345", nonUtf8, withNul}));
    // Blank lines are not counted as skipped; the first skipped line is line 3.
    EXPECT_EQ(read.skippedLines, 2u);
    EXPECT_EQ(read.firstSkippedLine, 3u);
}

TEST_F(TextFile, LineEndsAreTakenFromTheFirstLineEndAndTheTailKept) {
    struct Case {
        const char* bytes;
        const char* end;
        const char* tail;
        std::size_t skipped;
    };
    for (const Case& c : {Case{"123456789012345\n123456789012345\r\n", "\n", "\r\n", 0},
                          Case{"123456789012345\r\n123456789012345", "\r\n", "", 0},
                          Case{"123456789012345\r123456789012345\r", "\r", "\r", 0},
                          Case{"123456789012345\n\n \n\x1A", "\n", "\n\n \n\x1A", 0},
                          Case{"123456789012345\r\n; comment\r\n\r\n", "\r\n", "\r\n", 1},
                          Case{"123456789012345", "\r\n", "", 0}}) {
        folder.write("e.epd", c.bytes);
        const auto read = readEpdLines(folder.path("e.epd"), 0);
        EXPECT_EQ(read.ending, (LineEnding{c.end, c.tail})) << c.bytes;
        EXPECT_EQ(read.skippedLines, c.skipped) << c.bytes;
    }
}

TEST_F(TextFile, BinaryDataIsNotTextButAStrayNulIs) {
    std::string binary =
        "\x7F"
        "ELF";
    for (int i = 0; i < 200; ++i)
        binary += std::string(
            "\0\0\x01\x02"
            "abcd",
            8);
    folder.write("program", binary);
    EXPECT_EQ(readEpdLines(folder.path("program"), 0).status, ReadStatus::NotText);
    // A published suite ends every line with a NUL.
    std::string suite;
    for (int i = 0; i < 25; ++i)
        suite += "8/8/8/8/8/8/8/8 w - - 0 1 ; bm Qb3" + std::string(1, '\0') + "\n";
    folder.write("suite.epd", suite);
    EXPECT_EQ(readEpdLines(folder.path("suite.epd"), 0).lines.size(), 25u);
}

TEST_F(TextFile, LineLimitIsExactly4096) {
    folder.write("ok.epd", std::string(4096, 'p') + "\r\n");
    folder.write("long.epd", "8/8/8/8/8/8/8/8 w - -\r\n" + std::string(4097, 'p') + "\r\n");
    EXPECT_EQ(readEpdLines(folder.path("ok.epd"), kOpenLineLimit).status, ReadStatus::Ok);
    const auto tooLong = readEpdLines(folder.path("long.epd"), kOpenLineLimit);
    EXPECT_EQ(tooLong.status, ReadStatus::TooLong);
    EXPECT_TRUE(tooLong.lines.empty());
    EXPECT_EQ(readEpdLines(folder.path("long.epd"), 0).lines.size(), 2u);
}

TEST_F(TextFile, UnreadablePathsFailWithTheSystemReason) {
    const auto missing = readEpdLines(folder.path("missing.epd"), 0);
    EXPECT_EQ(missing.status, ReadStatus::Failed);
    EXPECT_FALSE(missing.error.empty());
    const auto directory = readEpdLines(folder.root(), 0);
    EXPECT_EQ(directory.status, ReadStatus::Failed);
    EXPECT_EQ(directory.error, "Is a directory");
    EXPECT_EQ(readEpdLines("/dev/null", 0).status, ReadStatus::Failed);  // not a regular file
}

TEST_F(TextFile, SafeWriteReplacesTheFileAndKeepsItsMode) {
    folder.write("out.epd", "old\r\n");
    std::filesystem::permissions(folder.path("out.epd"), std::filesystem::perms(0640));
    // A group of its own, as a file shared in a team has (one of this user's other groups).
    gid_t groups[64];
    const int count = ::getgroups(64, groups);
    gid_t shared = ::getegid();
    for (int i = 0; i < count; ++i)
        if (groups[i] != ::getegid()) shared = groups[i];
    if (::geteuid() == 0) shared = ::getegid() == 4 ? 5 : 4;  // any group will do for root
    ASSERT_EQ(::chown(folder.path("out.epd").c_str(), static_cast<uid_t>(-1), shared), 0);
    const std::vector<std::string_view> lines = {"one", "two"};
    ASSERT_TRUE(writeLinesSafely(folder.path("out.epd"), lines).ok);
    EXPECT_EQ(folder.read("out.epd"), "one\r\ntwo\r\n");
    EXPECT_EQ(std::filesystem::status(folder.path("out.epd")).permissions(),
              std::filesystem::perms(0640));
    struct stat info {};
    ASSERT_EQ(::stat(folder.path("out.epd").c_str(), &info), 0);
    EXPECT_EQ(info.st_gid, shared);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"out.epd"});  // no temporary left
}

TEST_F(TextFile, SafeWriteFollowsASymbolicLink) {
    folder.write("real.epd", "old\r\n");
    std::filesystem::create_symlink(folder.path("real.epd"), folder.path("link.epd"));
    ASSERT_TRUE(writeLinesSafely(folder.path("link.epd"), {"new"}).ok);
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path("link.epd")));
    EXPECT_EQ(folder.read("real.epd"), "new\r\n");
    // A relative link to a file not yet there: the file is created where the link points.
    std::filesystem::create_symlink("later.epd", folder.path("ahead.epd"));
    ASSERT_TRUE(writeLinesSafely(folder.path("ahead.epd"), {"made"}).ok);
    EXPECT_TRUE(std::filesystem::is_symlink(folder.path("ahead.epd")));
    EXPECT_EQ(folder.read("later.epd"), "made\r\n");
    // A relative link in a folder that is a link itself counts from the real folder.
    std::filesystem::create_directories(folder.path("data/x"));
    std::filesystem::create_directories(folder.path("data/c"));
    folder.write("data/c/s.epd", "old\r\n");
    std::filesystem::create_directory_symlink(folder.path("data/x"), folder.path("work"));
    std::filesystem::create_symlink("../c/s.epd", folder.path("data/x/s.epd"));
    ASSERT_TRUE(writeLinesSafely(folder.path("work/s.epd"), {"deep"}).ok);
    EXPECT_EQ(folder.read("data/c/s.epd"), "deep\r\n");
    EXPECT_FALSE(std::filesystem::exists(folder.path("c")));
}

TEST_F(TextFile, LinesAreWrittenWithTheGivenLineEnds) {
    const std::vector<std::string_view> lines = {"a", "b"};
    ASSERT_TRUE(writeLinesSafely(folder.path("lf"), lines, {"\n", "\n\n"}).ok);
    ASSERT_TRUE(writeLinesSafely(folder.path("open"), lines, {"\r\n", ""}).ok);
    EXPECT_EQ(folder.read("lf"), "a\nb\n\n");
    EXPECT_EQ(folder.read("open"), "a\r\nb");
}

TEST_F(TextFile, FailedWriteLeavesTheOldFileUntouched) {
    folder.write("keep.epd", "precious\r\n");
    // A file size limit makes the write fail part way, as a full disk would.
    const std::string big(1000, 'x');
    const std::vector<std::string_view> lines(100, big);
    WriteResult result;
    {
        FileSizeLimit limit(4096);
        ASSERT_TRUE(limit.active());
        result = writeLinesSafely(folder.path("keep.epd"), lines);
    }
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.error, "File too large");
    EXPECT_EQ(folder.read("keep.epd"), "precious\r\n");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"keep.epd"});

    EXPECT_FALSE(writeLinesSafely(folder.path("no/such/folder.epd"), lines).ok);
}

TEST(PathParts, FolderAndName) {
    EXPECT_EQ(folderOf("/a/b/c.epd"), "/a/b");
    EXPECT_EQ(fileNameOf("/a/b/c.epd"), "c.epd");
    EXPECT_EQ(folderOf("/c.epd"), "/");
    EXPECT_EQ(folderOf("c.epd"), "");
    EXPECT_EQ(fileNameOf("c.epd"), "c.epd");
}

}  // namespace
