#include "game_import.h"

#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#include "child_process.h"
#include "qbx_listing.h"
#include "scripted_prompts.h"
#include "temp_folder.h"
#include "text_file.h"
#include "zorb_pgn.h"

namespace fs = std::filesystem;

namespace {

using Lines = std::vector<std::string>;

std::vector<std::string> entries(const PgnGameList& games) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < games.size(); ++i)
        out.push_back(std::string(games.entry(i)) + "#" + std::to_string(games.converterNumber(i)));
    return out;
}

Lines epdLines(const std::string& path) {
    Lines lines;
    for (auto line : readEpdLines(path, 0).lines)
        lines.emplace_back(line);
    return lines;
}

TEST(PgnGameList, HeadersAreReadByTheirTagsAndNumberedAsTheConverterCountsGames) {
    TempFolder folder;
    using namespace std::string_literals;
    const std::string longValue(100000, 'x');
    folder.write(
        "games.pgn",
        // A game with ignored and look-alike tags, a date of "?" and CR LF line ends.
        "[Event \"Open\"]\r\n[Site \"Linz\"]\r\n[Date \"?\"]\r\n[Round \"?\"]\r\n"
        "[White \"Anna\"]\r\n[WhiteElo \"2700\"]\r\n[WhiteRatingDiff \"+5\"]\r\n"
        "[Black \"Bert\"]\r\n[BlackFideId \"1\"]\r\n[Result \"1-0\"]\r\n\r\n1. e4 1-0\r\n\r\n"
        // No Result tag: listed, but the converter never counts it.
        "[Event \"No result\"]\n[White \"\"]\n\n1. d4 *\n\n"
        // NUL bytes, a very long line and a Latin-1 value.
        "[Event \"Nul\0here\"]\n[Site \""s +
            longValue +
            "\"]\n[White \"M\xFCller\"]\n[Result \"0-1\"]\n\n1. c4 0-1\n\n"
            // A tag named in a comment is no tag, for the list as for the converter.
            "[Event \"Last\"]\n[Result \"*\"]\n\n{[Result \"1-0\"]} 1. Nf3 *\n");
    const auto reading = readPgnGameList(folder.path("games.pgn"));
    ASSERT_TRUE(reading.ok);
    // (Compared as one truth value: the long line would flood the report.)
    EXPECT_TRUE(entries(reading.games) ==
                (Lines{"Open|Linz|????.??.??|?|Anna|Bert|1-0#1", "No result|?|????.??.??|?|?|?|*#0",
                       std::string("Nul\0here", 8) + "|" + longValue + "|????.??.??|?|M\xFC" +
                           "ller|?|0-1#2",
                       "Last|?|????.??.??|?|?|?|*#3"}));

    // A one-line header and Mac line ends: the converter counts both games.
    folder.write("oneline.pgn",
                 "[Event \"a\"] [Result \"1-0\"]\n\n1. e4 1-0\n\n"
                 "[Event \"b\"]\r[Result \"0-1\"]\r\r1. d4 0-1\r");
    EXPECT_EQ(entries(readPgnGameList(folder.path("oneline.pgn")).games),
              (Lines{"a|?|????.??.??|?|?|?|*#1", "b|?|????.??.??|?|?|?|0-1#2"}));

    folder.write("none.pgn", "[Site \"x\"]\n\n1. e4 *\n");
    EXPECT_TRUE(readPgnGameList(folder.path("none.pgn")).games.empty());
    const auto missing = readPgnGameList(folder.path("missing.pgn"));
    EXPECT_FALSE(missing.ok);
    EXPECT_FALSE(missing.error.empty());
}

// The games as the converter's own reader finds them, up to its first error: for each game it
// counts (one with a Result tag), its Event, White and Black tags.
std::vector<std::string> converterGames(const std::string& path) {
    struct Tags : zorb::GameActions {
        std::map<std::string, std::string> values;
        bool tag(const std::string& name, const std::string& value, std::string&) override {
            values.emplace(name, value);
            return true;
        }
        bool endOfHeader(std::string&) override { return true; }
        bool move(const std::string&, std::string&) override { return true; }
        bool variationStart(std::string&) override { return true; }
        bool variationEnd(std::string&) override { return true; }
    };
    std::vector<std::string> games;
    zorb::PgnReader reader;
    if (!reader.open(path.c_str())) return games;
    for (;;) {
        Tags tags;
        reader.resetGame();
        const int result = reader.readGame(tags);
        if (result != 0) break;
        if (tags.values.count("Result"))
            games.push_back(tags.values.count("Event")
                                ? tags.values["Event"] + "|" + tags.values["White"] + "|" +
                                      tags.values["Black"]
                                : std::string("<no Event>"));
    }
    return games;
}

// Every list entry the converter can reach carries the number under which the converter finds
// that very game; comments holding tag lines and a byte-order mark change nothing.
TEST(PgnGameList, ListNumbersAreTheConvertersOnEveryCollection) {
    TempFolder folder;
    folder.write(
        "traps.pgn",
        "\xEF\xBB\xBF[Event \"A\"]\n[White \"a\"]\n[Black \"b\"]\n[Result \"1-0\"]\n\n"
        "1. e4 {a note that quotes a header\n[Event \"fake\"]\n[Result \"0-1\"]\nover lines} e5 "
        "; [Result \"*\"] in a line comment\n"
        "%[Event \"escaped\"]\n1-0\n\n"
        "[Event \"B {not a comment}\"]\n[White \"c\"]\n[Black \"d\"]\n[Result \"*\"]\n\n1. d4 *\n\n"
        "[Event \"C\"]\n[White \"e\"]\n[Black \"f\"]\n[Result \"*\"]\n\n1. c4 *\n");
    const auto traps = readPgnGameList(folder.path("traps.pgn"));
    EXPECT_EQ(entries(traps.games),
              (Lines{"A|?|????.??.??|?|a|b|1-0#1", "B {not a comment}|?|????.??.??|?|c|d|*#2",
                     "C|?|????.??.??|?|e|f|*#3"}));

    std::vector<std::string> files = {folder.path("traps.pgn")};
    for (const auto& entry : fs::directory_iterator(std::string(BRISVANE_TESTDATA_DIR) + "/pgn"))
        files.push_back(entry.path().string());
    std::size_t compared = 0;
    for (const std::string& path : files) {
        const auto games = converterGames(path);
        const auto reading = readPgnGameList(path);
        ASSERT_TRUE(reading.ok) << path;
        std::set<std::int32_t> listed;
        for (std::size_t i = 0; i < reading.games.size(); ++i) {
            const std::int32_t number = reading.games.converterNumber(i);
            if (number <= 0 || static_cast<std::size_t>(number) > games.size()) continue;
            std::vector<std::string> fields;
            std::istringstream split{std::string(reading.games.entry(i))};
            for (std::string field; std::getline(split, field, '|');)
                fields.push_back(field);
            EXPECT_EQ(fields[0] + "|" + fields[4] + "|" + fields[5],
                      games[static_cast<std::size_t>(number) - 1])
                << path << " entry " << i + 1;
            listed.insert(number);
            ++compared;
        }
        // Every game the converter counts that has an Event tag is listed under its number.
        for (std::size_t n = 1; n <= games.size(); ++n) {
            if (games[n - 1] != "<no Event>") {
                EXPECT_TRUE(listed.count(static_cast<std::int32_t>(n))) << path << " game " << n;
            }
        }
    }
    EXPECT_GT(compared, 1800u);
}

TEST(QbxListing, FilesAreListedInFolderOrderUntilTheFirstUnusableOne) {
    TempFolder folder;
    auto header = [](const std::string& event, const std::string& round, const char* magic) {
        std::string bytes(226, '\0');
        auto put = [&bytes](std::size_t at, const std::string& text) {
            bytes[at] = static_cast<char>(text.size());
            bytes.replace(at + 1, text.size(), text);
        };
        put(0, magic);
        put(7, event);
        put(130, round);
        put(133, "Anna");
        return bytes;
    };
    folder.write("a.QBX", header("", "3", "QBX300"));
    folder.write("b.txt", header("Text", "1", "QBX300"));
    folder.write("c.qbx", header("Cup", "", "QBX300"));
    auto listing = listQbxFolder(folder.root());
    std::sort(listing.entries.begin(), listing.entries.end());
    EXPECT_EQ(listing.entries,
              (Lines{"Cup|?|????.??.??|?|Anna|?|*|c.qbx", "|?|????.??.??|3|Anna|?|*|a.QBX"}));
    EXPECT_TRUE(listing.messages.empty());

    // Unusable files: a wrong magic gets its box; a 0-byte and a 3-byte file end the list too.
    for (const auto& [bytes, box] : std::vector<std::pair<std::string, bool>>{
             {header("Cup", "1", "QBX299"), true}, {"", true}, {"\x06QB", true}}) {
        TempFolder one;
        one.write("bad.QBX", bytes);
        const auto bad = listQbxFolder(one.root());
        EXPECT_TRUE(bad.entries.empty());
        EXPECT_EQ(bad.messages, box ? Lines{"File " + one.path("bad.QBX") +
                                            "\nis not an QBXTOOL V3.x or higher file"}
                                    : Lines{});
    }
    EXPECT_FALSE(listQbxFolder(folder.path("gone")).folderExists);
}

// An import with a document of lines, a scripted user and the converters of the program
// folder (or the stand-in).
class Import : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directory(folder.path("tmp"));
        env.prompts = &prompts;
        env.settings = &settings;
        env.addOnFolder = std::string(BRISVANE_PROGRAM_DIR) + "/AddOn";
        env.tempFolder = folder.path("tmp");
        env.german = [] { return false; };
        env.newDocument = [this] {
            document.clear();
            return true;
        };
        env.appendFile = [this](const std::string& path) {
            for (auto& line : epdLines(path))
                document.push_back(line);
        };
        env.showInLineField = [this](const std::string& text) { lineField.push_back(text); };
        env.showLog = [this](const std::string& caption, const Lines& lines) {
            logCaption = caption;
            log = lines;
        };
        ::setenv("FAKE_CONVERTER_RECORD", folder.path("record.txt").c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("FAKE_CONVERTER_MODE");
        EXPECT_TRUE(prompts.unexpected().empty());
    }
    void useStandIn(const char* mode) {
        env.addOnFolder = fs::path(FAKE_CONVERTER).parent_path().string();
        converter = fs::path(FAKE_CONVERTER).filename().string();
        ::setenv("FAKE_CONVERTER_MODE", mode, 1);
    }
    // Imports game `game` (1-based in the list) of a PGN file through the selection.
    // `answers` answer the questions after the file dialog, Yes for true.
    void importPgn(const std::string& path, int game, const std::vector<bool>& answers = {}) {
        PgnSelection selection(prompts, [] { return false; });
        prompts.file(path);
        for (const bool answer : answers)
            answer ? prompts.yes() : prompts.no();
        importPgnGame(env, converter, selection,
                      [&] { return selection.show() && selection.accept(game - 1); });
    }
    Lines byHand(const Lines& arguments, const std::string& program) {
        TempFolder work;
        ChildProcess child;
        std::string error;
        EXPECT_TRUE(child.start(std::string(BRISVANE_PROGRAM_DIR) + "/AddOn/" + program, arguments,
                                work.root(), error));
        EXPECT_TRUE(child.waitFor(20000, nullptr));
        return epdLines(work.path(arguments.back()));
    }

    TempFolder folder;
    ScriptedPrompts prompts;
    MemorySettings settings;
    ImportEnvironment env;
    std::string converter = "Orvanel";
    Lines document;
    Lines lineField;
    std::string logCaption;
    Lines log;
};

TEST_F(Import, APgnGameBecomesTheDocumentAsTheConverterWritesIt) {
    const std::string carlsen = std::string(BRISVANE_TESTDATA_DIR) + "/pgn/Carlsen.pgn";
    importPgn(carlsen, 700);
    EXPECT_EQ(document, byHand({"-g", "700", carlsen, "out.EPD"}, "Orvanel"));
    EXPECT_GT(document.size(), 20u);
    EXPECT_EQ(lineField, (Lines{"***** EXTRACT PGN HEADER FOR GAME SELECTION - PLEASE WAIT...", "",
                                "***** EXTRACTING GAME DATA FROM PGN FILE - PLEASE WAIT...", ""}));
    EXPECT_EQ(settings.readString("History", "LastPGNdirectory", ""),
              std::string(BRISVANE_TESTDATA_DIR) + "/pgn/");
    EXPECT_FALSE(fs::exists(folder.path("tmp/Carlsen.EPD")));

    // A path with a blank goes through the list file.
    fs::copy_file(std::string(BRISVANE_TESTDATA_DIR) + "/pgn/fischer.pgn",
                  folder.path("wc 1998.pgn"));
    importPgn(folder.path("wc 1998.pgn"), 3);
    EXPECT_EQ(document, byHand({"-g", "3", folder.path("wc 1998.pgn"), "out.EPD"}, "Orvanel"));
    EXPECT_EQ(folder.read("tmp/LPGN.TXT"), folder.path("wc 1998.pgn") + "\r\n \r\n");
}

// A file as game servers write it: a byte-order mark, each game's moves on one line of
// thousands of characters with a clock comment after every move. The converter gets a copy it
// can read; every game converts as it does from its ordinary form.
TEST_F(Import, ServerFilesWithLongLinesAndAByteOrderMarkImportTheChosenGame) {
    std::ifstream in(std::string(BRISVANE_TESTDATA_DIR) + "/pgn/Carlsen.pgn", std::ios::binary);
    std::string plain, server = "\xEF\xBB\xBF";
    int games = 0;
    std::string moves;
    for (std::string line; games < 4 && std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        plain += line + "\n";
        if (line.rfind("[", 0) == 0) {
            server += line + "\n";
        } else if (line.empty() && !moves.empty()) {
            server += moves + "\n\n";
            moves.clear();
            ++games;
        } else if (line.empty()) {
            server += "\n";
        } else {
            std::istringstream words(line);
            for (std::string word; words >> word;)
                moves +=
                    word + (word.back() == '.' ? " " : " {[%clk 0:02:58.4] [%emt 0:00:01.6]} ");
        }
    }
    folder.write("server.pgn", server);
    folder.write("plain.pgn", plain);
    std::size_t longest = 0;
    for (std::istringstream lines(server); std::getline(lines, moves);)
        longest = std::max(longest, moves.size());
    ASSERT_GT(longest, 2000u);
    ASSERT_EQ(readPgnGameList(folder.path("server.pgn")).games.size(), 4u);
    for (int game = 1; game <= 4; ++game) {
        importPgn(folder.path("server.pgn"), game);
        EXPECT_EQ(
            document,
            byHand({"-g", std::to_string(game), folder.path("plain.pgn"), "out.EPD"}, "Orvanel"))
            << game;
        EXPECT_GT(document.size(), 10u);
        EXPECT_FALSE(fs::exists(folder.path("tmp/IMPORT.PGN")));
    }
    // Every line of the copy fits the converter; a file that needs none gets none.
    const PgnCopy copy = copyForConverter(folder.path("server.pgn"), folder.path("copy.pgn"));
    ASSERT_TRUE(copy.written);
    for (std::istringstream lines(folder.read("copy.pgn")); std::getline(lines, moves);) {
        EXPECT_LE(moves.size(), 1000u);
        if (!moves.empty()) {
            EXPECT_NE(moves.front(), '%');
        }
    }
    // Leading blanks and runs of blanks: every cut leaves a move on either side.
    const std::string spaced = "   " + std::string(1200, 'x') + "  " + std::string(10, 'y') + " *";
    folder.write("blanks.pgn", "[Event \"a\"]\n[Result \"*\"]\n\n" + spaced + "\n");
    ASSERT_TRUE(
        copyForConverter(folder.path("blanks.pgn"), folder.path("blanks-copy.pgn")).written);
    EXPECT_EQ(folder.read("blanks-copy.pgn"), "[Event \"a\"]\n[Result \"*\"]\n\n   " +
                                                  std::string(1200, 'x') + "\n" +
                                                  std::string(10, 'y') + " *\n");
    EXPECT_FALSE(copyForConverter(folder.path("plain.pgn"), folder.path("none.pgn")).written);
    EXPECT_FALSE(fs::exists(folder.path("none.pgn")));
}

TEST_F(Import, AnEarlierBrokenGameOrAVanishedFileOffersTheConvertersLog) {
    // Game 2 breaks the grammar: the converter stops there, also when game 3 is wanted.
    folder.write("broken.pgn",
                 "[Event \"1\"]\n[Result \"*\"]\n\n1. e4 *\n\n[Event \"2\"]\n[Result \"*\"]\n\n"
                 "1. e4 ] *\n\n[Event \"3\"]\n[Result \"*\"]\n\n1. d4 *\n");
    importPgn(folder.path("broken.pgn"), 3, {true});
    EXPECT_TRUE(document.empty());
    EXPECT_EQ(prompts.shown().back().text,
              "Error in importing file " + folder.path("broken.pgn") + "\nShow logfile ?");
    EXPECT_EQ(logCaption, "Brisvane: Show log PGN->EPD");
    std::string logText;
    for (const auto& line : log)
        logText += line + "\n";
    EXPECT_NE(logText.find("unexpected symbol"), std::string::npos) << logText;

    // The file is gone once the list was read.
    folder.write("gone.pgn", "[Event \"1\"]\n[Result \"*\"]\n\n1. e4 *\n");
    PgnSelection selection(prompts, [] { return false; });
    prompts.file(folder.path("gone.pgn")).no();
    importPgnGame(env, converter, selection, [&] {
        const bool chosen = selection.show() && selection.accept(0);
        fs::remove(folder.path("gone.pgn"));
        return chosen;
    });
    EXPECT_TRUE(document.empty());
    EXPECT_EQ(prompts.shown().back().text,
              "Error in importing file " + folder.path("gone.pgn") + "\nShow logfile ?");
}

TEST_F(Import, CommandLinesWorkingFolderAndListFiles) {
    useStandIn("write");
    env.analysisDebug = true;
    folder.write("test.old.pgn",
                 "[Event \"1\"]\n[Result \"*\"]\n\n1. e4 *\n\n[Event \"2\"]\n\n"
                 "[Event \"3\"]\n[Result \"*\"]\n\n1. d4 *\n");
    importPgn(folder.path("test.old.pgn"), 3);
    // The converter counts two games with a Result tag up to the third listed.
    EXPECT_EQ(folder.read("record.txt"), "cwd=" + folder.path("tmp") + "\n-e\n-g\n2\n" +
                                             folder.path("test.old.pgn") + "\ntest.EPD\n");
    EXPECT_EQ(prompts.messages(),
              (Lines{"Current directory : " + folder.path("tmp"),
                     "command line : " + env.addOnFolder + "/" + converter + " -e -g 2 " +
                         folder.path("test.old.pgn") + " test.EPD"}));
    EXPECT_EQ(document.size(), 1u);

    // A game the converter cannot count is refused in the dialog.
    prompts.forget();
    PgnSelection selection(prompts, [] { return false; });
    prompts.file(folder.path("test.old.pgn"));
    ASSERT_TRUE(selection.show());
    EXPECT_FALSE(selection.accept(1));
    EXPECT_EQ(prompts.messages().back(),
              "Game 2 has no Result tag: the converter cannot find it in the file. Please "
              "choose another game.");
    EXPECT_EQ(selection.selectedGame(), -1);

    // The Part's command lines, relative to the program's own temporary folder.
    env.programFolder = folder.root();
    env.addOnFolder = folder.path("AddOn");
    fs::create_directory(env.addOnFolder);
    EXPECT_EQ(pgnConverterCall(env, "Orvanel32", 3, "/games/wc 1998.pgn").commandLine,
              "../AddOn/Orvanel32 -e -g 3  -F LPGN.TXT  EPDTMP.EPD");
    EXPECT_EQ(pgnConverterCall(env, "Orvanel32", 12, "/pgn/test.old.pgn").commandLine,
              "../AddOn/Orvanel32 -e -g 12 /pgn/test.old.pgn test.EPD");
    EXPECT_EQ(qbxConverterCall(env, "Quenbry32", "/My Games/game1.QBX").commandLine,
              "../AddOn/Quenbry32 -F LQBX.TXT EPDTMP.EPD");
    EXPECT_EQ(qbxConverterCall(env, "Quenbry32", "/qbx/game1.QBX").commandLine,
              "../AddOn/Quenbry32 /qbx/game1.QBX game1.EPD");
}

TEST_F(Import, ATimeoutAnsweredNoOrACrashLeavesNoProcessAndNoHalfDocument) {
    useStandIn("sleep");
    env.pgnWaitPeriodMs = 300;
    folder.write("one.pgn", "[Event \"1\"]\n[Result \"*\"]\n\n1. e4 *\n");
    importPgn(folder.path("one.pgn"), 1, {true, false, false});
    const auto& shown = prompts.shown();
    ASSERT_GE(shown.size(), 3u);
    EXPECT_EQ(shown[shown.size() - 3].text, "Timeout (5 min.) in PGN import - continue ?");
    EXPECT_EQ(shown[shown.size() - 2].text, "Timeout (5 min.) in PGN import - continue ?");
    EXPECT_TRUE(document.empty());
    // The stand-in was killed and reaped: no child of ours is left, not even a zombie.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    useStandIn("crash");
    importPgn(folder.path("one.pgn"), 1, {false});
    EXPECT_TRUE(document.empty());
    EXPECT_FALSE(fs::exists(folder.path("tmp/one.EPD")));

    // A converter that does not end within its six seconds is cut off (waits shortened here).
    converter = fs::path(FAKE_CONVERTER).filename().string();
    useStandIn("sleep");
    env.qbxWaitsMs = {100, 100, 100};
    folder.write("game1.QBX", std::string("\x06QBX300") + std::string(219, '\0'));
    prompts.file(folder.root());
    importQbxGame(env, converter, [&](const std::string&) { return folder.path("game1.QBX"); });
    EXPECT_EQ(prompts.messages().back(), "Error in importing file " + folder.path("game1.QBX"));
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
}

TEST_F(Import, AQbxGameBecomesTheDocumentAsTheConverterWritesIt) {
    converter = "Quenbry";
    std::string bytes(676, '\0');
    bytes.replace(0, 7, "\x06QBX300");
    fs::create_directory(folder.path("My Games"));
    const std::string path = folder.path("My Games/game1.QBX");
    { std::ofstream(path, std::ios::binary) << bytes; }
    prompts.file(folder.path("My Games"));
    importQbxGame(env, converter, [&](const std::string& chosen) {
        EXPECT_EQ(chosen, folder.path("My Games"));
        return path;
    });
    EXPECT_EQ(prompts.shown().front().caption, "Brisvane: Select QBX file directory");
    EXPECT_EQ(document, byHand({path, "out.EPD"}, "Quenbry"));
    EXPECT_EQ(document.size(), 1u);
    EXPECT_FALSE(fs::exists(folder.path("tmp/LQBX.TXT")));
    EXPECT_EQ(settings.readString("History", "LastQBXdirectory", ""),
              folder.path("My Games") + "/");
}

}  // namespace
