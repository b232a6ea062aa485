// The now-playing line, its DOS code page form and the file on disk.
#include "shell/NowPlayingFile.h"

#include "support/TempDir.h"

#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {
namespace {

namespace fs = std::filesystem;
using State = NowPlayingState;

std::vector<std::string> Names(const fs::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// ------------------------------------------------------------- the line

TEST(NowPlayingLine, DefaultLinesNameTheEntryAndTheExitLineIsFixed) {
    MainWndSettings s;
    EXPECT_EQ(NowPlayingLine(s, State::Playing, "Artist - Song", false),
              "Now playing: Artist - Song");
    EXPECT_EQ(NowPlayingLine(s, State::Paused, "Artist - Song", false),
              "Now paused: Artist - Song");
    EXPECT_EQ(NowPlayingLine(s, State::Stopped, "Artist - Song", false),
              "Now stopped: Artist - Song");
    EXPECT_EQ(NowPlayingLine(s, State::Playing, "Artist - Song", true), "ZEB is closed");
}

TEST(NowPlayingLine, ReplacesBothCasesOnlyInStateLinesAndTrimsTheEnds) {
    MainWndSettings s;
    s.W2Fplay = "%t by %T (%x) 100%";
    s.W2Fpause = "Paused";
    s.W2Fstop = " \t\r\n Stopped:\t%T \r\n\t";
    s.W2Fexit = "\n Gone %T %t \t";
    EXPECT_EQ(NowPlayingLine(s, State::Playing, "A", false), "A by A (%x) 100%");
    EXPECT_EQ(NowPlayingLine(s, State::Paused, "A", false), "Paused");
    // Inner white space stays; only the ends are trimmed.
    EXPECT_EQ(NowPlayingLine(s, State::Stopped, "A  B", false), "Stopped:\tA  B");
    EXPECT_EQ(NowPlayingLine(s, State::Stopped, "A", true), "Gone %T %t");
    // A name holding "%T" is inserted as it is, and its blanks at the ends
    // are trimmed with the line's.
    s.W2Fplay = "%T";
    EXPECT_EQ(NowPlayingLine(s, State::Playing, " 50%Title ", false), "50%Title");
    EXPECT_EQ(NowPlayingLine(s, State::Playing, "%T%t", false), "%T%t");
    EXPECT_EQ(NowPlayingLine(s, State::Playing, "", false), "");
}

// ------------------------------------------------------------- code pages

TEST(NowPlayingOem, DanishGivesCp850AndRussianCp866WithQuestionMarksForTheRest) {
    EXPECT_EQ(ToOemCodePage("Æøå", 0), "\x92\x9B\x86");
    EXPECT_EQ(ToOemCodePage("Now playing: Ærø", 0), "Now playing: \x92r\x9B");
    EXPECT_EQ(ToOemCodePage("Привет, мир", 1), "\x8F\xE0\xA8\xA2\xA5\xE2, \xAC\xA8\xE0");
    EXPECT_EQ(ToOemCodePage("Ёё", 2), "\xF0\xF1"); // every language but 0 is Russian
    // Characters the code page lacks: one '?' each, however long in UTF-8.
    EXPECT_EQ(ToOemCodePage("a Я b", 0), "a ? b");
    EXPECT_EQ(ToOemCodePage("Æ€😀x", 1), "???x");
    // Bytes that are not UTF-8, and a sequence cut off at the end.
    EXPECT_EQ(ToOemCodePage("a\xFF"
                            "b\xC3",
                            0),
              "a?b?");
    EXPECT_EQ(ToOemCodePage("", 0), "");
}

// ------------------------------------------------------------- the file

class NowPlayingFileTest : public ::testing::Test {
protected:
    void SetUp() override { s_.W2Ffile = dir_.File("np.txt"); }
    std::string Content() const { return test::ReadFile(s_.W2Ffile); }

    test::TempDir dir_;
    MainWndSettings s_;
};

TEST_F(NowPlayingFileTest, RewritesTheFileOnEveryCallWithoutLineEnd) {
    s_.W2Fplay = "\tPlaying %T\r\n";
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "Artist - Song", false));
    EXPECT_EQ(Content(), "Playing Artist - Song");
    ASSERT_TRUE(WriteNowPlaying(s_, State::Paused, "Artist - Song", false));
    EXPECT_EQ(Content(), "Now paused: Artist - Song");
    // Unchanged lines are written again: a file removed meanwhile comes back.
    fs::remove(s_.W2Ffile);
    ASSERT_TRUE(WriteNowPlaying(s_, State::Paused, "Artist - Song", false));
    EXPECT_EQ(Content(), "Now paused: Artist - Song");
    ASSERT_TRUE(WriteNowPlaying(s_, State::Stopped, "X", false));
    EXPECT_EQ(Content(), "Now stopped: X");
    // Nothing beside the file is left behind.
    EXPECT_EQ(Names(dir_.Path()), std::vector<std::string>{"np.txt"});
}

TEST_F(NowPlayingFileTest, ConvertsToTheCodePageOnlyWhenAsked) {
    s_.W2Foem = 1;
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "Æøå", false));
    EXPECT_EQ(Content(), "Now playing: \x92\x9B\x86");
    s_.Language = 1;
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "Мир Æ", false));
    EXPECT_EQ(Content(), "Now playing: \x8C\xA8\xE0 ?");
    s_.W2Foem = 2; // only 1 converts
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "Мир", false));
    EXPECT_EQ(Content(), "Now playing: Мир");
}

TEST_F(NowPlayingFileTest, EmptyNameOrUnwritablePlaceWritesNothing) {
    s_.W2Ffile.clear();
    EXPECT_FALSE(WriteNowPlaying(s_, State::Playing, "A", false));
    EXPECT_FALSE(WriteNowPlaying(s_, State::Playing, "A", true));
    EXPECT_TRUE(Names(dir_.Path()).empty());

    s_.W2Ffile = dir_.File("missing/np.txt");
    EXPECT_FALSE(WriteNowPlaying(s_, State::Playing, "A", false));
    s_.W2Ffile = dir_.File("folder");
    fs::create_directory(s_.W2Ffile);
    EXPECT_FALSE(WriteNowPlaying(s_, State::Playing, "A", false));
    EXPECT_EQ(Names(dir_.Path()), std::vector<std::string>{"folder"});
    EXPECT_TRUE(fs::is_empty(s_.W2Ffile));

    // A read-only file keeps its content; writing works again once it is
    // writable (the next tick).
    s_.W2Ffile = dir_.File("ro.txt");
    test::WriteFile(s_.W2Ffile, "old");
    fs::permissions(s_.W2Ffile, fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(WriteNowPlaying(s_, State::Playing, "A", false));
    EXPECT_EQ(Content(), "old");
    fs::permissions(s_.W2Ffile, fs::perms::owner_write, fs::perm_options::add);
    EXPECT_TRUE(WriteNowPlaying(s_, State::Playing, "A", false));
    EXPECT_EQ(Content(), "Now playing: A");
}

TEST_F(NowPlayingFileTest, ExitWritesTheExitLineOrRemovesTheFile) {
    s_.W2Fexit = " Closed %T ";
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "A", false));
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "A", true));
    EXPECT_EQ(Content(), "Closed %T");

    s_.W2Fdel = 1;
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "A", false));
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "A", true));
    EXPECT_TRUE(Names(dir_.Path()).empty());
    // Only exiting removes it.
    ASSERT_TRUE(WriteNowPlaying(s_, State::Stopped, "A", false));
    EXPECT_EQ(Content(), "Now stopped: A");
}

TEST_F(NowPlayingFileTest, AReaderNeverFindsTheFileEmptyOrHalfWritten) {
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "First", false));
    fs::permissions(s_.W2Ffile, fs::perms(0640));
    // A reader that opened the file before the next write still reads the
    // whole earlier line, not a truncated file.
    int reader = ::open(s_.W2Ffile.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "Second", false));
    char buf[64] = {};
    ssize_t n = ::read(reader, buf, sizeof buf);
    ::close(reader);
    EXPECT_EQ(std::string(buf, n > 0 ? size_t(n) : 0), "Now playing: First");
    EXPECT_EQ(Content(), "Now playing: Second");
    // The replacement keeps the file's permissions.
    EXPECT_EQ(fs::status(s_.W2Ffile).permissions(), fs::perms(0640));
}

TEST_F(NowPlayingFileTest, LinksStayLinks) {
    // A symbolic link keeps pointing at the file, which gets the line.
    std::string target = dir_.File("real.txt");
    test::WriteFile(target, "old");
    fs::create_symlink(target, s_.W2Ffile);
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "A", false));
    EXPECT_TRUE(fs::is_symlink(s_.W2Ffile));
    EXPECT_EQ(test::ReadFile(target), "Now playing: A");

    // A dangling link: its target is made.
    fs::remove(target);
    ASSERT_TRUE(WriteNowPlaying(s_, State::Paused, "A", false));
    EXPECT_TRUE(fs::is_symlink(s_.W2Ffile));
    EXPECT_EQ(test::ReadFile(target), "Now paused: A");

    // Every name of a hard-linked file sees the line.
    std::string other = dir_.File("other.txt");
    s_.W2Ffile = dir_.File("hard.txt");
    test::WriteFile(s_.W2Ffile, "old");
    fs::create_hard_link(s_.W2Ffile, other);
    ASSERT_TRUE(WriteNowPlaying(s_, State::Stopped, "B", false));
    EXPECT_EQ(test::ReadFile(other), "Now stopped: B");
    EXPECT_EQ(fs::hard_link_count(other), 2u);
}

TEST_F(NowPlayingFileTest, RelativeLinksAndChainsAreFollowedFromTheLinksFolder) {
    fs::create_directory(dir_.Path() / "sub");
    test::WriteFile(dir_.File("sub/real.txt"), "old");
    fs::create_symlink("sub/hop", s_.W2Ffile);
    fs::create_symlink("real.txt", dir_.Path() / "sub/hop");
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "A", false));
    EXPECT_EQ(test::ReadFile(dir_.File("sub/real.txt")), "Now playing: A");
    EXPECT_TRUE(fs::is_symlink(dir_.Path() / "sub/hop"));

    // A loop of links writes nothing and creates nothing.
    fs::remove(dir_.Path() / "sub/hop");
    fs::create_symlink("../np.txt", dir_.Path() / "sub/hop");
    EXPECT_FALSE(WriteNowPlaying(s_, State::Playing, "B", false));
    EXPECT_EQ(Names(dir_.Path() / "sub"), (std::vector<std::string>{"hop", "real.txt"}));
}

TEST_F(NowPlayingFileTest, AnotherUsersLinkInAStickyFolderIsNeverFollowed) {
    // A shared folder like /tmp: writable by everyone, sticky.
    const fs::path shared = dir_.Path() / "shared";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms(01777));
    const std::string precious = dir_.File("precious.txt");
    test::WriteFile(precious, "keep");
    const std::string planted = (shared / "np.txt").string();
    fs::create_symlink(precious, planted);

    // Our own link there is followed as anywhere else.
    s_.W2Ffile = planted;
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "A", false));
    EXPECT_EQ(test::ReadFile(precious), "Now playing: A");
    test::WriteFile(precious, "keep");

    if (::geteuid() != 0)
        GTEST_SKIP() << "giving a link to another user needs root";
    ASSERT_EQ(::lchown(planted.c_str(), 65534, 65534), 0);
    EXPECT_FALSE(WriteNowPlaying(s_, State::Playing, "A", false));
    EXPECT_FALSE(WriteNowPlaying(s_, State::Playing, "A", true));
    // Reached through a link of our own elsewhere, it is refused all the same.
    s_.W2Ffile = dir_.File("mine");
    fs::create_symlink(planted, s_.W2Ffile);
    EXPECT_FALSE(WriteNowPlaying(s_, State::Playing, "A", false));
    EXPECT_EQ(test::ReadFile(precious), "keep");
    EXPECT_TRUE(fs::is_symlink(planted));
    EXPECT_EQ(Names(shared), std::vector<std::string>{"np.txt"});
}

TEST_F(NowPlayingFileTest, AFifoIsWrittenInPlaceAndWithoutReaderSkipped) {
    ASSERT_EQ(::mkfifo(s_.W2Ffile.c_str(), 0600), 0);
    // Nobody reads: the call fails instead of waiting for a reader.
    EXPECT_FALSE(WriteNowPlaying(s_, State::Playing, "A", false));
    int reader = ::open(s_.W2Ffile.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_TRUE(WriteNowPlaying(s_, State::Playing, "A", false));
    char buf[64] = {};
    ssize_t n = ::read(reader, buf, sizeof buf);
    ::close(reader);
    EXPECT_EQ(std::string(buf, n > 0 ? size_t(n) : 0), "Now playing: A");
    EXPECT_TRUE(fs::is_fifo(s_.W2Ffile));
}

} // namespace
} // namespace zeb
