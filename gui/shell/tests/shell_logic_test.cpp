#include <stdexcept>

#include <gtest/gtest.h>

#include "app_folders.h"
#include "command_line.h"
#include "file_selection.h"
#include "instance_messages.h"
#include "ini_settings.h"
#include "temp_folder.h"

namespace {

TEST(IniSettings, ReadsKeysWithoutRegardToCaseAndKeepsTheRestOfTheFile) {
    TempFolder folder;
    folder.write("Brisvane.ini",
                 "; kept comment\n[Settings]\nLanguage=1\nDarkSquares=8421376\n\n[history]\n"
                 "lastepddirectory=/old/\n");
    IniSettings settings(folder.path("Brisvane.ini"));
    EXPECT_EQ(settings.readString("settings", "language", "0"), "1");
    EXPECT_EQ(settings.readString("History", "LastEPDdirectory", ""), "/old/");
    EXPECT_EQ(settings.readString("History", "Missing", "fallback"), "fallback");

    settings.writeString("History", "LastEPDdirectory", "/new/folder/");
    settings.writeString("History", "LastGIFdirectory", "/gif/");
    const std::string written = folder.read("Brisvane.ini");
    EXPECT_NE(written.find("; kept comment"), std::string::npos);
    EXPECT_NE(written.find("Language=1"), std::string::npos);
    EXPECT_NE(written.find("DarkSquares=8421376"), std::string::npos);
    EXPECT_NE(written.find("lastepddirectory=/new/folder/"), std::string::npos);
    EXPECT_NE(written.find("LastGIFdirectory=/gif/"), std::string::npos);
    EXPECT_LT(written.find("[Settings]"), written.find("[history]"));

    IniSettings again(folder.path("Brisvane.ini"));
    EXPECT_EQ(again.readString("HISTORY", "LASTEPDDIRECTORY", ""), "/new/folder/");
}

TEST(IniSettings, MissingFileIsEmptyAndIsCreatedOnWrite) {
    TempFolder folder;
    IniSettings settings(folder.path("new.ini"));
    EXPECT_TRUE(settings.lastError().empty());
    EXPECT_EQ(settings.readString("Settings", "Language", "0"), "0");
    settings.writeString("Settings", "Language", "0");
    EXPECT_EQ(folder.read("new.ini").find("[Settings]"), 0u);
}

TEST(IniSettings, AWriteThatFailsThrowsNamingTheFile) {
    TempFolder folder;
    IniSettings settings(folder.path("missing/dir/x.ini"));
    try {
        settings.writeString("History", "LastEPDdirectory", "/x/");
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(folder.path("missing/dir/x.ini")),
                  std::string::npos);
    }
}

TEST(AppFolders, LiveBesideTheProgramWhenItsFolderIsWritable) {
    TempFolder folder;
    const auto folders = AppFolders::forProgramFolder(folder.root() + "/");
    EXPECT_EQ(folders.programFolder, folder.root());
    EXPECT_EQ(folders.addOnFolder, folder.root() + "/AddOn");
    EXPECT_EQ(folders.tempFolder, folder.root() + "/tmp");
    EXPECT_EQ(folders.settingsFile, folder.root() + "/Brisvane.ini");
}

TEST(AppFolders, MoveToTheUsersFoldersWhenTheProgramFolderCannotBeWritten) {
    TempFolder home;
    setenv("XDG_CONFIG_HOME", home.path("config").c_str(), 1);
    setenv("XDG_CACHE_HOME", home.path("cache").c_str(), 1);
    const auto folders = AppFolders::forProgramFolder("/nonexistent/program");
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("XDG_CACHE_HOME");
    EXPECT_EQ(folders.addOnFolder, "/nonexistent/program/AddOn");
    EXPECT_EQ(folders.settingsFile, home.path("config") + "/Brisvane/Brisvane.ini");
    EXPECT_EQ(folders.tempFolder, home.path("cache") + "/Brisvane/tmp");
    EXPECT_TRUE(ensureFolder(folders.tempFolder));
}

TEST(CommandLine, SwitchesAndTheFirstExistingEpdFile) {
    TempFolder folder;
    folder.write("test.EPD", "x");
    folder.write("second.epd", "x");
    folder.write("test.txt", "x");
    const auto line =
        CommandLine::parse({"-BSNOCHECK", folder.path("test.txt"), folder.path("missing.epd"),
                            folder.path("test.EPD"), folder.path("second.epd"), "-anadebug"});
    EXPECT_TRUE(line.boardSetupNoCheck);
    EXPECT_FALSE(line.analysisDebug);  // compared exactly
    EXPECT_FALSE(line.showEngineInfo);
    EXPECT_EQ(line.fileToOpen, folder.path("test.EPD"));
    EXPECT_TRUE(CommandLine::parse({folder.path("test.txt")}).fileToOpen.empty());
    EXPECT_TRUE(CommandLine::parse({"-ANADEBUG", "-VEINFO"}).analysisDebug);
    EXPECT_TRUE(CommandLine::parse({"-ANADEBUG", "-VEINFO"}).showEngineInfo);
}

TEST(CommandLine, ArgumentsThatCannotBeUsedAreReported) {
    TempFolder folder;
    folder.write("a.epd", "x");
    folder.write("b.EPD", "x");
    folder.write("notes.txt", "x");
    const auto line =
        CommandLine::parse({folder.root(), folder.path("gone.epd"), folder.path("notes.txt"), "-x",
                            folder.path("a.epd"), folder.path("b.EPD"), "--help", "--version"});
    EXPECT_EQ(line.fileToOpen, folder.path("a.epd"));
    EXPECT_TRUE(line.showHelp);
    EXPECT_TRUE(line.showVersion);
    EXPECT_EQ(line.problems, (std::vector<std::string>{
                                 folder.root() + " is a folder, not an EPD file",
                                 "File " + folder.path("gone.epd") + " not found",
                                 "File " + folder.path("notes.txt") + " is not an EPD file (*.EPD)",
                                 "Unknown option -x (Brisvane --help lists them)"}));
    EXPECT_NE(CommandLine::usage().find("-BSNOCHECK"), std::string::npos);
}

using InstanceMessage::encode;
using InstanceMessage::Frame;

TEST(InstanceMessages, FramesArriveInPiecesAndAreCut) {
    InstanceMessage::FrameReader reader;
    const std::string both = encode(42, "Brisvane:ADD:x") + encode(0, std::string("ab\0cd", 5));
    std::vector<Frame> frames;
    for (char c : both)  // one byte at a time, as a slow client sends
        for (auto& frame : reader.feed(std::string_view(&c, 1)))
            frames.push_back(frame);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].id, 42u);
    EXPECT_EQ(frames[0].bytes, "Brisvane:ADD:x");
    EXPECT_EQ(frames[1].bytes, "ab");  // up to the first NUL
    EXPECT_EQ(reader.feed(encode(42, std::string(5000, 'y')))[0].bytes.size(), 1024u);
    EXPECT_EQ(reader.feed(encode(1, std::string(5000, 'p')))[0].bytes.size(), 5000u);  // a path
    // A count that cannot be ours breaks the connection; a count larger than what follows waits.
    EXPECT_TRUE(
        reader.feed(encode(42, "").substr(0, 4) + std::string("\xFF\xFF\xFF\x7F", 4)).empty());
    EXPECT_TRUE(reader.broken());
    InstanceMessage::FrameReader waiting;
    EXPECT_TRUE(waiting.feed(encode(42, "Brisvane:ADD:1234567890123456").substr(0, 20)).empty());
    EXPECT_FALSE(waiting.broken());
}

TEST(InstanceMessages, OnlyAGoodAddRequestGivesALine) {
    const std::string line = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";
    EXPECT_EQ(InstanceMessage::lineToAdd({42, "Brisvane:ADD:" + line}), line);
    for (const Frame& frame :
         {Frame{41, "Brisvane:ADD:" + line}, Frame{42, "Brisvane:add:" + line},
          Frame{42, "brisvane:ADD:" + line}, Frame{42, "Brisvane:ADD:" + line.substr(0, 14)},
          Frame{42, "Brisvane:DEL:" + line}, Frame{42, "Brisvane"}})
        EXPECT_FALSE(InstanceMessage::lineToAdd(frame)) << frame.id << " " << frame.bytes;
    EXPECT_EQ(InstanceMessage::lineToAdd({42, "Brisvane:ADD:" + line.substr(0, 15)}),
              line.substr(0, 15));
    // One line: a line end at its end is dropped, one inside makes no request; the text ends
    // at its first NUL.
    EXPECT_EQ(InstanceMessage::lineToAdd({42, "Brisvane:ADD:" + line + "\r\n"}), line);
    for (const std::string inside : {"\r\n", "\r", "\n"})
        EXPECT_FALSE(InstanceMessage::lineToAdd({42, "Brisvane:ADD:" + line + inside + line}));
    InstanceMessage::FrameReader reader;
    const auto frames = reader.feed(encode(42, "Brisvane:ADD:" + line + std::string("\0\nx", 3)));
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(InstanceMessage::lineToAdd(frames[0]), line);
}

TEST(InstanceMessages, EachSessionOfAUserHasItsOwnSocket) {
    using InstanceMessage::sessionName;
    using InstanceMessage::socketName;
    EXPECT_EQ(sessionName("wayland-0", ":0", "3"), "wayland-0");
    EXPECT_EQ(sessionName(nullptr, "localhost:10.0", "3"), "localhost_10.0");
    EXPECT_EQ(sessionName("", "", "7"), "session7");
    EXPECT_EQ(sessionName(nullptr, nullptr, nullptr), "");
    EXPECT_EQ(socketName("ann", sessionName(nullptr, ":0", nullptr), "/run/user/1000"),
              "/run/user/1000/Brisvane-ann-_0");
    EXPECT_NE(socketName("ann", "_0"), socketName("ann", "_1"));
    EXPECT_EQ(socketName("ann"), "Brisvane-ann");
}

TEST(FileSelection, FiltersDrivesAndFolders) {
    const auto filters = FileSelection::parseFilter(
        "Crafty (*.EXE)|*.EXE|Crafty PIF file (*.PIF)|*.PIF;*.pif|broken");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[1].masks, (std::vector<std::string>{"*.PIF", "*.pif"}));
    const std::string mounts =
        "proc /proc proc rw 0 0\n/dev/sda1 / ext4 rw 0 0\n"
        "/dev/sdb1 /media/me/USB\\040Stick vfat rw 0 0\ntmpfs /tmp tmpfs rw 0 0\n"
        "server:/suites /mnt/suites nfs4 rw 0 0\n";
    const auto drives = FileSelection::drives("/home/me", mounts);
    EXPECT_EQ(drives,
              (std::vector<std::string>{"/", "/home/me", "/media/me/USB Stick", "/mnt/suites"}));
    EXPECT_EQ(FileSelection::driveOf("/home/me/suites", drives), "/home/me");
    EXPECT_EQ(FileSelection::driveOf("/home/meg", drives), "/");
    EXPECT_EQ(FileSelection::ancestors("/home/me", "/home/me/a/b"),
              (std::vector<std::string>{"/home/me", "/home/me/a", "/home/me/a/b"}));
    EXPECT_EQ(FileSelection::ancestors("/", "/usr"), (std::vector<std::string>{"/", "/usr"}));
}

TEST(Converters, TheThirtyTwoNameComesFirst) {
    TempFolder folder;
    EXPECT_EQ(Converters::find(folder.root()).pgn, "");
    folder.write("Orvanel", "x");
    folder.write("Quenbry32", "x");
    folder.write("Quenbry", "x");
    const auto found = Converters::find(folder.root());
    EXPECT_EQ(found.pgn, "Orvanel");
    EXPECT_EQ(found.qbx, "Quenbry32");
}

}  // namespace
