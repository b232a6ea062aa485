#include "playlist/PlaylistWriter.h"

#include "playlist/PlaylistReader.h"
#include "support/TempDir.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace zeb {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Lets no write make a file larger than limit bytes while it lives, so that
// writing a bigger file fails part way as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &old_);
        rlimit now = old_;
        now.rlim_cur = limit;
        ::setrlimit(RLIMIT_FSIZE, &now);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};

size_t FilesIn(const std::filesystem::path& folder) {
    size_t n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(folder))
        ++n;
    return n;
}

class PlaylistWriterTest : public ::testing::Test {
protected:
    std::string In(const std::string& relative) { return dir_.File(relative); }
    std::vector<PlaylistEntry> Entries(const std::vector<std::string>& paths) {
        std::vector<PlaylistEntry> entries;
        for (const std::string& p : paths)
            entries.push_back({p, ""});
        return entries;
    }
    std::vector<PlaylistEntry> ReadBack(const std::string& path) {
        std::vector<PlaylistEntry> list;
        EXPECT_TRUE(ReadPlaylistFile(path, list));
        return list;
    }
    TempDir dir_;
};

// ------------------------------------------------------------ entry lines

TEST_F(PlaylistWriterTest, EntriesInOrBelowTheFolderBecomeRelative) {
    const std::string list = In("L/list.m3u");
    EXPECT_EQ(EntryLineFor(In("L/a.mp3"), list), "a.mp3");
    EXPECT_EQ(EntryLineFor(In("L/sub/b.mp3"), list), "sub/b.mp3");
    // A folder whose name merely starts with the playlist folder's name.
    EXPECT_EQ(EntryLineFor(In("L2/e.mp3"), list), In("L2/e.mp3"));
    EXPECT_EQ(EntryLineFor(In("other/c.mp3"), list), In("other/c.mp3"));
    EXPECT_EQ(EntryLineFor("/elsewhere/d.mp3", list), "/elsewhere/d.mp3");
    // Letter case matters on Linux.
    EXPECT_EQ(EntryLineFor(In("l/a.mp3"), list), In("l/a.mp3"));
    EXPECT_EQ(EntryLineFor("http://host/a%20b", list), "http://host/a%20b");
    EXPECT_EQ(EntryLineFor("/x/y.mp3", "/list.m3u"), "x/y.mp3");
}

TEST_F(PlaylistWriterTest, NamesThatWouldReadBackWronglyStayAbsolute) {
    const std::string list = In("L/list.m3u");
    for (const char* name : {"#EXTINF.mp3", "#TAG=x.mp3", "#note.mp3", " lead.mp3", "trail.mp3 ",
                             "c:x.mp3", "\\x.mp3"})
        EXPECT_EQ(EntryLineFor(In(std::string("L/") + name), list), In(std::string("L/") + name));
}

// ------------------------------------------------------------ round trips

TEST_F(PlaylistWriterTest, RoundTripRelativeOtherFolderAbsoluteAndAddresses) {
    const std::string list = In("L/list.m3u");
    std::filesystem::create_directories(In("L"));
    const std::vector<std::string> paths{
        In("L/a.mp3"), In("L/sub/b.mp3"),       In("other/c.mp3"),         In("L2/e.mp3"),
        "/d.mp3",      "http://host/a%20b.mp3", "FTP://Host/Some%20Thing", In("L/#odd.mp3")};
    auto entries = Entries(paths);
    ASSERT_TRUE(WritePlaylistFile(list, entries, false, nullptr));
    EXPECT_EQ(ReadFile(list), "a.mp3\nsub/b.mp3\n" + In("other/c.mp3") + "\n" + In("L2/e.mp3") +
                                  "\n/d.mp3\nhttp://host/a%20b.mp3\nFTP://Host/Some%20Thing\n" +
                                  In("L/#odd.mp3") + "\n");
    EXPECT_EQ(ReadBack(list), entries);
}

TEST_F(PlaylistWriterTest, PlaylistAtTheRoot) {
    // Only the text is checked: "/" cannot be written by a test.
    std::vector<PlaylistEntry> entries = Entries({"/x/y.mp3", "/z.mp3"});
    EXPECT_EQ(FormatPlaylist(entries, "/list.m3u", false), "x/y.mp3\nz.mp3\n");
}

TEST_F(PlaylistWriterTest, TagLinesAreBuiltWhenMissingAndReadBack) {
    const std::string list = In("T/tags.m3u");
    std::filesystem::create_directories(In("T"));
    std::vector<PlaylistEntry> entries{
        {In("T/a.mp3"), "Known - A (01:02)"}, {In("T/b.mp3"), ""}, {"http://host/s", ""}};
    std::vector<std::string> built;
    auto build = [&](const std::string& p) {
        built.push_back(p);
        return "Built " + std::to_string(built.size()) + " (mm:ss)";
    };
    ASSERT_TRUE(WritePlaylistFile(list, entries, true, build));
    EXPECT_EQ(built, (std::vector<std::string>{In("T/b.mp3"), "http://host/s"}));
    EXPECT_EQ(entries[1].info, "Built 1 (mm:ss)");
    EXPECT_EQ(ReadFile(list), "a.mp3\n#TAG=Known - A (01:02)\nb.mp3\n#TAG=Built 1 (mm:ss)\n"
                              "http://host/s\n#TAG=Built 2 (mm:ss)\n");
    std::vector<std::pair<std::string, std::string>> stored;
    std::vector<PlaylistEntry> back;
    ASSERT_TRUE(ReadPlaylistFile(list, back, [&](const std::string& p, const std::string& i) {
        stored.emplace_back(p, i);
    }));
    EXPECT_EQ(back, entries);
    EXPECT_EQ(stored.size(), 3u);
}

TEST_F(PlaylistWriterTest, LineBreaksInPathsAndInfoReadBackAsOneEntryEach) {
    const std::string list = In("breaks.m3u");
    std::vector<PlaylistEntry> entries{{In("evil\n/etc/passwd.mp3"), "Good\n/etc/shadow (00:01)"},
                                       {In("plain.mp3"), "Plain (00:02)"}};
    ASSERT_TRUE(WritePlaylistFile(list, entries, true, {}));
    std::vector<PlaylistEntry> back = ReadBack(list);
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0], (PlaylistEntry{In("evil\n/etc/passwd.mp3"), "Good /etc/shadow (00:01)"}));
    EXPECT_EQ(back[1], entries[1]);

    ASSERT_TRUE(WritePlaylistFile(In("breaks.pls"), entries, false, {}));
    back = ReadBack(In("breaks.pls"));
    ASSERT_EQ(back.size(), 2u);
    EXPECT_EQ(back[0].path, entries[0].path);
}

TEST_F(PlaylistWriterTest, WithoutTagsNoInfoIsWrittenOrBuilt) {
    const std::string list = In("n.m3u");
    std::vector<PlaylistEntry> entries{{In("a.mp3"), "Has - Info (00:01)"}, {In("b.mp3"), ""}};
    bool called = false;
    ASSERT_TRUE(WritePlaylistFile(list, entries, false, [&](const std::string&) {
        called = true;
        return std::string("x");
    }));
    EXPECT_FALSE(called);
    EXPECT_EQ(ReadFile(list), "a.mp3\nb.mp3\n");
}

TEST_F(PlaylistWriterTest, PlsNamedPlaylistReadsBackAsPls) {
    const std::string list = In("P/radio.pls");
    std::filesystem::create_directories(In("P"));
    auto entries = Entries({In("P/a.mp3"), "/m/b.mp3", "http://h/c%20d"});
    ASSERT_TRUE(WritePlaylistFile(list, entries, true, nullptr));
    EXPECT_EQ(ReadFile(list), "[playlist]\nFile1=a.mp3\nFile2=/m/b.mp3\nFile3=http://h/c%20d\n"
                              "NumberOfEntries=3\nVersion=2\n");
    EXPECT_EQ(ReadBack(list), entries);
}

// ------------------------------------------------------------ failures

TEST_F(PlaylistWriterTest, FailedWriteLeavesTheOldPlaylistWhole) {
    const std::string list = In("keep.m3u");
    const std::string old = "/m/old1.mp3\n/m/old2.mp3\n";
    WriteFile(list, old);
    std::vector<PlaylistEntry> entries;
    for (int i = 0; i < 2000; ++i)
        entries.push_back({"/music/some/long/folder/name/track" + std::to_string(i) + ".mp3", ""});
    bool written = true;
    {
        FileSizeLimit limit(4096);
        written = WritePlaylistFile(list, entries, false, nullptr);
    }
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(list), old);
    EXPECT_EQ(FilesIn(dir_.Path()), 1u) << "no temporary file is left behind";
}

TEST_F(PlaylistWriterTest, UnwritableTargetsAreReported) {
    auto entries = Entries({"/m/a.mp3"});
    EXPECT_FALSE(WritePlaylistFile(In("no/such/folder/x.m3u"), entries, false, nullptr));
    std::filesystem::create_directory(In("dir.m3u"));
    EXPECT_FALSE(WritePlaylistFile(In("dir.m3u"), entries, false, nullptr));
    const std::string readOnly = In("ro.m3u");
    WriteFile(readOnly, "/m/old.mp3\n");
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_FALSE(WritePlaylistFile(readOnly, entries, false, nullptr));
    EXPECT_EQ(ReadFile(readOnly), "/m/old.mp3\n");
}

TEST_F(PlaylistWriterTest, ReplacingKeepsPermissionsAndSymbolicLinks) {
    std::filesystem::create_directories(In("real"));
    const std::string target = In("real/t.m3u");
    WriteFile(target, "old\n");
    ::chmod(target.c_str(), 0640);
    std::filesystem::create_symlink(target, In("link.m3u"));
    auto entries = Entries({"/m/a.mp3"});
    ASSERT_TRUE(WritePlaylistFile(In("link.m3u"), entries, false, nullptr));
    EXPECT_TRUE(std::filesystem::is_symlink(In("link.m3u")));
    EXPECT_EQ(ReadFile(target), "/m/a.mp3\n");
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
}

// ------------------------------------------------------------ appending

TEST_F(PlaylistWriterTest, AppendKeepsTheFileEntriesAndAddsTheSelection) {
    std::filesystem::create_directories(In("A"));
    const std::string list = In("A/list.m3u");
    std::filesystem::create_directories(In("A/sub"));
    WriteFile(In("A/sub/win.mp3"), "x");
    WriteFile(In("A/here.mp3"), "x");
    WriteFile(list, "#EXTM3U\r\n#EXTINF:1,x\r\nold.mp3\r\n#TAG=Old (00:01)\r\n"
                    "sub\\win.mp3\r\nhttp://host/a b\r\n/abs/z.mp3\r\n" +
                        In("A/here.mp3"));
    auto result = AppendToPlaylist(list, {In("A/new.mp3"), "/m/other.mp3"}, false, nullptr);
    ASSERT_EQ(result, AppendResult::Done);
    EXPECT_EQ(ReadFile(list), "old.mp3\nsub/win.mp3\nhttp://host/a b\n/abs/z.mp3\nhere.mp3\n"
                              "new.mp3\n/m/other.mp3\n");
}

// A playlist made on another machine: lines that name no file here are not
// rewritten into paths of this machine.
TEST_F(PlaylistWriterTest, AppendKeepsLinesThatNameNoFileHereAsTheyWere) {
    const std::string list = In("win.m3u");
    WriteFile(list, "D:\\Music\\a.mp3\r\n\\\\server\\share\\b.mp3\r\n# my comment\r\n"
                    "\\Music\\c.mp3\r\nsub\\d.mp3\r\n");
    ASSERT_EQ(AppendToPlaylist(list, {In("new.mp3")}, false, nullptr), AppendResult::Done);
    EXPECT_EQ(ReadFile(list), "D:\\Music\\a.mp3\n\\\\server\\share\\b.mp3\n# my comment\n"
                              "\\Music\\c.mp3\nsub\\d.mp3\nnew.mp3\n");

    const std::string pls = In("win.pls");
    WriteFile(pls, "[playlist]\nFile1=D:\\Music\\a.mp3\nNumberOfEntries=1\n");
    ASSERT_EQ(AppendToPlaylist(pls, {In("new.mp3")}, false, nullptr), AppendResult::Done);
    EXPECT_EQ(ReadFile(pls), "[playlist]\nFile1=D:\\Music\\a.mp3\nFile2=new.mp3\n"
                             "NumberOfEntries=2\nVersion=2\n");
}

TEST_F(PlaylistWriterTest, AppendWithTagsBuildsFreshInfoForEveryLine) {
    const std::string list = In("tags.m3u");
    WriteFile(list, "a.mp3\n#TAG=Stale\n");
    auto build = [](const std::string& p) { return "Info of " + p.substr(p.rfind('/') + 1); };
    ASSERT_EQ(AppendToPlaylist(list, {In("b.mp3")}, true, build), AppendResult::Done);
    EXPECT_EQ(ReadFile(list), "a.mp3\n#TAG=Info of a.mp3\nb.mp3\n#TAG=Info of b.mp3\n");
}

TEST_F(PlaylistWriterTest, AppendToPlsKeepsItReadable) {
    const std::string list = In("r.pls");
    WriteFile(list, "[playlist]\nFile1=/m/a.mp3\nTitle1=A\nNumberOfEntries=1\n");
    ASSERT_EQ(AppendToPlaylist(list, {"/m/b.mp3"}, false, nullptr), AppendResult::Done);
    EXPECT_EQ(ReadBack(list), Entries({"/m/a.mp3", "/m/b.mp3"}));
}

TEST_F(PlaylistWriterTest, AppendFailuresLeaveTheFileAlone) {
    EXPECT_EQ(AppendToPlaylist(In("missing.m3u"), {"/m/a.mp3"}, false, nullptr),
              AppendResult::CannotRead);
    EXPECT_FALSE(std::filesystem::exists(In("missing.m3u")));
    const std::string readOnly = In("ro.m3u");
    WriteFile(readOnly, "/m/old.mp3\n");
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_EQ(AppendToPlaylist(readOnly, {"/m/a.mp3"}, false, nullptr), AppendResult::CannotWrite);
    EXPECT_EQ(ReadFile(readOnly), "/m/old.mp3\n");
}

} // namespace
} // namespace zeb
