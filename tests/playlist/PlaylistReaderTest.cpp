#include "playlist/PlaylistReader.h"

#include "playlist/AnsiCodePage.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

namespace zeb {
namespace {

using test::TempDir;
using test::WriteFile;

class PlaylistReaderTest : public ::testing::Test {
protected:
    // Creates a file (and its folders) below the temporary folder; its path.
    std::string Touch(const std::string& relative) {
        std::filesystem::path p = dir_.Path() / relative;
        std::filesystem::create_directories(p.parent_path());
        WriteFile(p.string(), "x");
        return p.string();
    }
    std::vector<PlaylistEntry> Read(const std::string& name, const std::string& content) {
        std::string path = dir_.File(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        WriteFile(path, content);
        std::vector<PlaylistEntry> list;
        EXPECT_TRUE(ReadPlaylistFile(path, list));
        return list;
    }
    std::vector<std::string> Paths(const std::vector<PlaylistEntry>& list) {
        std::vector<std::string> paths;
        for (const PlaylistEntry& e : list)
            paths.push_back(e.path);
        return paths;
    }
    std::string In(const std::string& relative) { return dir_.File(relative); }

    TempDir dir_;
};

// ------------------------------------------------------------ entry lines

TEST_F(PlaylistReaderTest, AddressesKeepTheirTextWithSpacesEscaped) {
    const std::string list = In("l.m3u");
    EXPECT_EQ(ResolveEntryLine("http://host/a b.mp3", list), "http://host/a%20b.mp3");
    EXPECT_EQ(ResolveEntryLine("HTTP://Host/A B", list), "HTTP://Host/A%20B");
    EXPECT_EQ(ResolveEntryLine("Ftp://host/x y z", list), "Ftp://host/x%20y%20z");
    EXPECT_EQ(ResolveEntryLine("ftp://host/x y", list, AddressSpaces::Keep), "ftp://host/x y");
    // Not an address: "http:/" lacks the second slash.
    EXPECT_EQ(ResolveEntryLine("http:/a b", list), In("http:/a b"));
}

TEST_F(PlaylistReaderTest, AbsoluteRelativeAndFileAddressLines) {
    const std::string list = In("lists/l.m3u");
    EXPECT_EQ(ResolveEntryLine("/music/a.mp3", list), "/music/a.mp3");
    EXPECT_EQ(ResolveEntryLine("a.mp3", list), In("lists/a.mp3"));
    EXPECT_EQ(ResolveEntryLine("sub/b.mp3", list), In("lists/sub/b.mp3"));
    EXPECT_EQ(ResolveEntryLine("../c.mp3", list), In("lists/../c.mp3"));
    EXPECT_EQ(ResolveEntryLine("file:///music/My%20Song.mp3", list), "/music/My Song.mp3");
    EXPECT_EQ(ResolveEntryLine("file://localhost/m/%41.mp3", list), "/m/A.mp3");
}

// ------------------------------------------------------ Windows-made lists

TEST_F(PlaylistReaderTest, BackslashesInRelativeEntriesBecomeSlashes) {
    const std::string list = In("lists/l.m3u");
    EXPECT_EQ(ResolveEntryLine("sub\\deeper\\b.mp3", list), In("lists/sub/deeper/b.mp3"));
    // A Linux file whose name holds a backslash is kept as written.
    const std::string odd = Touch("lists/odd\\name.mp3");
    EXPECT_EQ(ResolveEntryLine("odd\\name.mp3", list), odd);
}

TEST_F(PlaylistReaderTest, DriveLetterAndRootRelativePathsAreFoundAboveThePlaylist) {
    const std::string list = In("stick/lists/l.m3u");
    const std::string music = Touch("stick/Music/a.mp3");
    const std::string beside = Touch("stick/lists/Near/b.mp3");
    EXPECT_EQ(ResolveEntryLine("C:\\Music\\a.mp3", list), music);
    EXPECT_EQ(ResolveEntryLine("e:/Music/a.mp3", list), music);
    EXPECT_EQ(ResolveEntryLine("\\Music\\a.mp3", list), music);
    EXPECT_EQ(ResolveEntryLine("\\\\server\\share\\Music\\a.mp3", list), music);
    // The playlist's own folder is tried first.
    EXPECT_EQ(ResolveEntryLine("D:\\Near\\b.mp3", list), beside);
    // Nothing found: taken from the root.
    EXPECT_EQ(ResolveEntryLine("C:\\Nowhere\\c.mp3", list), "/Nowhere/c.mp3");
    EXPECT_EQ(ResolveEntryLine("\\Nowhere\\c.mp3", list), "/Nowhere/c.mp3");
    // A Linux name that merely looks like a drive letter is kept when it exists.
    const std::string colon = Touch("stick/lists/a:b.mp3");
    EXPECT_EQ(ResolveEntryLine("a:b.mp3", list), colon);
}

TEST_F(PlaylistReaderTest, WindowsMadeM3uLoads) {
    const std::string a = Touch("w/Music/Album/01 one.mp3");
    const std::string b = Touch("w/lists/rel/two.mp3");
    auto list = Read("w/lists/win.m3u", "#EXTM3U\r\n"
                                        "#EXTINF:123,Artist - One\r\n"
                                        "C:\\Music\\Album\\01 one.mp3\r\n"
                                        "rel\\two.mp3\r\n"
                                        "\\Music\\Album\\01 one.mp3\r\n"
                                        "http://radio.example/live stream\r\n");
    EXPECT_EQ(Paths(list),
              (std::vector<std::string>{a, b, a, "http://radio.example/live%20stream"}));
}

// ---------------------------------------------------------------- M3U

TEST_F(PlaylistReaderTest, M3uLineKinds) {
    std::vector<std::pair<std::string, std::string>> found;
    const std::string path = In("k.m3u");
    WriteFile(path, "#TAG=first line is an entry\n"
                    "   \n"
                    "#EXTM3U\n"
                    "#EXTINF:10,x\n"
                    "  /m/a.mp3  \n"
                    "#TAG=Artist - A (03:20)\n"
                    "# a comment\n"
                    "File.mp3\n"
                    "#tag=lower case is an entry\n"
                    "#TAG=\n");
    std::vector<PlaylistEntry> list;
    ASSERT_TRUE(ReadPlaylistFile(
        path, list, [&](const std::string& p, const std::string& i) { found.emplace_back(p, i); }));
    ASSERT_EQ(list.size(), 5u);
    EXPECT_EQ(list[0].path, In("#TAG=first line is an entry"));
    EXPECT_EQ(list[1], (PlaylistEntry{"/m/a.mp3", "Artist - A (03:20)"}));
    EXPECT_EQ(list[2], (PlaylistEntry{In("# a comment"), ""}));
    EXPECT_EQ(list[3].path, In("File.mp3"));
    EXPECT_EQ(list[4], (PlaylistEntry{In("#tag=lower case is an entry"), ""}));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0], std::make_pair(std::string("/m/a.mp3"), std::string("Artist - A (03:20)")));
    EXPECT_EQ(found[1], std::make_pair(In("#tag=lower case is an entry"), std::string()));
}

TEST_F(PlaylistReaderTest, AppendingLetsALeadingTagNameTheLastEntryAlreadyThere) {
    const std::string path = In("more.m3u");
    WriteFile(path, "#TAG=Old - Entry (01:00)\n/m/new.mp3\n");
    std::vector<PlaylistEntry> list{{"/m/old.mp3", ""}};
    ASSERT_TRUE(ReadPlaylistFile(path, list));
    EXPECT_EQ(list, (std::vector<PlaylistEntry>{{"/m/old.mp3", "Old - Entry (01:00)"},
                                                {"/m/new.mp3", ""}}));
}

TEST_F(PlaylistReaderTest, ByteOrderMarkLineEndsAndMissingFinalBreak) {
    auto list = Read("bom.m3u", "\xEF\xBB\xBF/m/a.mp3\r\n\r\n/m/b.mp3\r\n#TAG=B\r\n/m/c.mp3");
    EXPECT_EQ(list,
              (std::vector<PlaylistEntry>{{"/m/a.mp3", ""}, {"/m/b.mp3", "B"}, {"/m/c.mp3", ""}}));
}

// ---------------------------------------------------------------- PLS

TEST_F(PlaylistReaderTest, PlsTakesFileLinesInFileOrder) {
    auto list = Read("radio.PLS", "[playlist]\n"
                                  "File3=/m/c.mp3\n"
                                  "Title3=C\n"
                                  "Length3=200\n"
                                  "File1 = /m/a b.mp3\n"
                                  "Title1=A\n"
                                  "FILE7=rel\\x.mp3\n"
                                  "file9=http://host/a b\n"
                                  "File10=\n"
                                  "#TAG=ignored\n"
                                  "/m/not-an-entry.mp3\n"
                                  "NumberOfEntries=3\n"
                                  "Version=2\n");
    EXPECT_EQ(Paths(list), (std::vector<std::string>{"/m/c.mp3", "/m/a b.mp3", In("rel/x.mp3"),
                                                     "http://host/a%20b"}));
    for (const PlaylistEntry& e : list)
        EXPECT_EQ(e.info, "") << "titles are not info lines: " << e.path;
}

TEST_F(PlaylistReaderTest, PlsWithWindowsDrivePath) {
    const std::string a = Touch("p/a.mp3");
    auto list =
        Read("p/w.pls", "[playlist]\r\nFile1=C:\\a.mp3\r\nTitle1=A\r\nNumberOfEntries=1\r\n");
    EXPECT_EQ(Paths(list), std::vector<std::string>{a});
}

// ------------------------------------------------------------ broken input

TEST_F(PlaylistReaderTest, UnreadableFilesLeaveTheListAlone) {
    std::vector<PlaylistEntry> list{{"/m/keep.mp3", "K"}};
    EXPECT_FALSE(ReadPlaylistFile(In("missing.m3u"), list));
    std::filesystem::create_directory(In("folder.m3u"));
    EXPECT_FALSE(ReadPlaylistFile(In("folder.m3u"), list));
    ASSERT_EQ(::mkfifo(In("pipe.m3u").c_str(), 0600), 0);
    EXPECT_FALSE(ReadPlaylistFile(In("pipe.m3u"), list)) << "a pipe is not waited on";
    WriteFile(In("huge.m3u"), "/m/a.mp3\n");
    std::filesystem::resize_file(In("huge.m3u"), 65u << 20);
    EXPECT_FALSE(ReadPlaylistFile(In("huge.m3u"), list));
    EXPECT_EQ(list, (std::vector<PlaylistEntry>{{"/m/keep.mp3", "K"}}));
    EXPECT_FALSE(ReadLinesForAppend(In("missing.m3u")).has_value());
}

// Playlists written on Windows hold names in its ANSI code page; the
// interface language's code page is tried when the bytes name no file.
TEST_F(PlaylistReaderTest, NamesInTheInterfaceLanguagesCodePageAreFound) {
    const std::string privet = Touch("ru/\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.mp3");
    SetAnsiCodePageForLanguage(1);
    const auto russian = Read("ru/list.m3u", "\xCF\xF0\xE8\xE2\xE5\xF2.mp3\r\nnone\xCF.mp3\r\n");
    SetAnsiCodePageForLanguage(0);
    EXPECT_EQ(Paths(russian), (std::vector<std::string>{privet, In("ru/none\xCF.mp3")}));

    const std::string so = Touch("da/S\xC3\xB8.mp3");
    EXPECT_EQ(Paths(Read("da/list.m3u", "S\xF8.mp3\n\\da\\S\xF8.mp3\n")),
              (std::vector<std::string>{so, so}));
}

TEST_F(PlaylistReaderTest, JunkDoesNotCrash) {
    std::mt19937 random(12345);
    std::string junk(1 << 20, '\0');
    for (char& c : junk)
        c = static_cast<char>(random());
    for (const char* name : {"junk.m3u", "junk.pls"}) {
        auto list = Read(name, junk);
        for (const PlaylistEntry& e : list) {
            EXPECT_FALSE(e.path.empty());
            EXPECT_EQ(e.path.find('\0'), std::string::npos);
        }
    }
    const std::string longLine(3'000'000, 'a');
    auto list = Read("long.m3u", longLine + "\n#TAG=" + std::string(100000, 'b'));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].path, In(longLine));
    EXPECT_EQ(list[0].info.size(), 100000u);
    auto zero = Read("zero.m3u", std::string("/m/a.mp3\0garbage\n/m/b.mp3", 25));
    EXPECT_EQ(Paths(zero), (std::vector<std::string>{"/m/a.mp3", "/m/b.mp3"}));
    EXPECT_TRUE(Read("empty.m3u", "").empty());
    EXPECT_TRUE(Read("breaks.m3u", "\n\r\n \t \n").empty());
}

} // namespace
} // namespace zeb
