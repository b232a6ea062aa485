// Recent-file labels, entry labels, the album list and the tracks tree.
#include "shell/MenuModel.h"

#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"
#include "support/QuietHost.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::QuietHost;

// ---------------------------------------------------------------- labels

TEST(RecentLabel, ShortEntriesStayWhole) {
    EXPECT_EQ(RecentLabel("/home/ann/music/song.mp3"), "/home/ann/music/song.mp3");
    const std::string forty = "/home/ann/music/" + std::string(24, 'x');
    EXPECT_EQ(RecentLabel(forty), forty);
}

TEST(RecentLabel, LongEntryWithLateSeparatorKeepsEighteenCharacters) {
    const std::string entry = "/home/ann/music/collection/rock/the_band/01 - first song.mp3";
    EXPECT_EQ(RecentLabel(entry), "/home/ann/music/co...../01 - first song.mp3");
}

TEST(RecentLabel, LongEntryWithEarlySeparatorKeepsThreeLess) {
    // 41 characters, last separator at position 10: 7 characters are kept.
    const std::string entry = "/home/anna/" + std::string(30, 'y');
    ASSERT_EQ(entry.size(), 41u);
    EXPECT_EQ(RecentLabel(entry), "/home/a...../" + std::string(30, 'y'));
    // A separator near the start keeps nothing before the dots.
    EXPECT_EQ(RecentLabel("/a/" + std::string(40, 'z')), "...../" + std::string(40, 'z'));
}

TEST(RecentLabel, CountsCharactersNotBytes) {
    // 37 characters in 43 bytes: still short.
    const std::string entry = "/home/ann/Sange/Blåbærgrød_på_ø_æ.mp3";
    ASSERT_GT(entry.size(), 40u);
    EXPECT_EQ(RecentLabel(entry), entry);
    const std::string russian = "/home/ann/Музыка/Очень длинная папка/песня.mp3";
    EXPECT_EQ(RecentLabel(russian), "/home/ann/Музыка/О...../песня.mp3");
}

TEST(RecentLabel, DoublesAmpersandsAndAcceptsBackslashes) {
    EXPECT_EQ(RecentLabel("/music/Tom & Jerry.mp3"), "/music/Tom && Jerry.mp3");
    EXPECT_EQ(RecentLabel("C:\\Music\\Collection\\Rock & Roll\\Band\\Song title.mp3"),
              "C:\\Music\\Collectio.....\\Song title.mp3");
}

TEST(EntryLabel, FilesShowTheirNameWithExtension) {
    EXPECT_EQ(EntryLabel("/m/a/My_Song_01.mp3"), "My Song 01.mp3");
    EXPECT_EQ(EntryLabel("C:\\m\\Old_One.MP3"), "Old One.MP3");
    EXPECT_EQ(EntryLabel("bare.mp3"), "bare.mp3");
}

TEST(EntryLabel, AddressesShowTheirNameOrTheWholeAddress) {
    EXPECT_EQ(EntryLabel("http://host.net/music/My%20Best_Song.MP3"), "My Best Song");
    EXPECT_EQ(EntryLabel("http://radio.example:8000/live_stream"),
              "http://radio.example:8000/live stream");
    EXPECT_EQ(EntryLabel("ftp://host/dir/list%20one.ogg"), "ftp://host/dir/list one.ogg");
}

// ---------------------------------------------------------------- menus

class MenuModelTest : public ::testing::Test {
protected:
    void Load(const std::vector<std::string>& paths, int current = 0) {
        for (const auto& p : paths)
            wnd_.Model().Append(p);
        wnd_.SetCurrentIndex(current);
    }

    // A readable outline: popups as "label{...}", items as "label#index",
    // '*' for default items and '|' before column breaks.
    static std::string Outline(const std::vector<MenuNode>& items) {
        std::string out;
        for (const MenuNode& n : items) {
            if (!out.empty())
                out += ' ';
            if (n.columnBreak)
                out += '|';
            out += n.label;
            if (n.isDefault)
                out += '*';
            if (n.kind == MenuItemKind::Popup)
                out += '{' + Outline(n.children) + '}';
            else
                out += '#' + std::to_string(n.id - TrackCommandId(0));
        }
        return out;
    }

    QuietHost host_;
    CMainWnd wnd_{host_, 7u};
};

TEST_F(MenuModelTest, AlbumListUsesInfoLinesAndMarksTheCurrentEntry) {
    Load({"/m/a/1.mp3", "/m/b/Tom_&_Jerry.mp3", "/m/b/3.mp3", "/m/c/4.mp3"}, 2);
    wnd_.Model().SetInfoAt(2, "Band & Co - Third (3:00)");
    wnd_.AlbumStop = 0; // the album is taken even when album mode is off
    wnd_.TPC = 0;
    EXPECT_EQ(Outline(BuildAlbumMenu(wnd_)), "Tom && Jerry.mp3#1 Band && Co - Third (3:00)*#2");
}

TEST_F(MenuModelTest, AlbumListBreaksColumnsEveryTpcItems) {
    std::vector<std::string> paths;
    for (int i = 0; i < 7; ++i)
        paths.push_back("/m/a/" + std::to_string(i) + ".mp3");
    Load(paths, 4);
    wnd_.TPC = 3;
    std::vector<MenuNode> menu = BuildAlbumMenu(wnd_);
    ASSERT_EQ(menu.size(), 7u);
    for (size_t c = 0; c < menu.size(); ++c) {
        EXPECT_EQ(menu[c].columnBreak, c == 3 || c == 6) << c;
        EXPECT_EQ(menu[c].isDefault, c == 4) << c;
        EXPECT_EQ(menu[c].id, TrackCommandId(static_cast<int>(c)));
    }
    wnd_.TPC = 0;
    for (const MenuNode& n : BuildAlbumMenu(wnd_))
        EXPECT_FALSE(n.columnBreak);
}

TEST_F(MenuModelTest, NoMenusForAnEmptyOrHugeList) {
    EXPECT_TRUE(BuildAlbumMenu(wnd_).empty());
    EXPECT_TRUE(BuildTracksTree(wnd_).empty());
    for (int i = 0; i < kMaxMenuEntries; ++i)
        wnd_.Model().Append("/m/a/" + std::to_string(i) + ".mp3");
    EXPECT_EQ(BuildAlbumMenu(wnd_).size(), static_cast<size_t>(kMaxMenuEntries));
    wnd_.Model().Append("/m/a/last.mp3");
    EXPECT_TRUE(BuildAlbumMenu(wnd_).empty());
    EXPECT_TRUE(BuildTracksTree(wnd_).empty());
}

TEST_F(MenuModelTest, TreeOfAListSpreadOverFolders) {
    Load({"/m/a/1.mp3", "/m/a/2.mp3", "/m/b/c/3.mp3", "/m/b/4.mp3", "/x/5.mp3"}, 2);
    wnd_.TPC = 0;
    EXPECT_EQ(Outline(BuildTracksTree(wnd_)),
              "m*{a{1.mp3#0 2.mp3#1} b*{c*{3.mp3*#2} 4.mp3#3}} x{5.mp3#4}");
}

TEST_F(MenuModelTest, EachRootStartsFromItsCommonFolder) {
    // Two roots: the folders, then an address run. A run wholly inside one
    // folder shows that folder as a popup.
    Load({"C:/m/a/1.mp3", "c:/M/b/2.mp3", "D:/x/3.mp3", "D:/x/4.mp3", "http://host/radio/s1.mp3",
          "http://host/radio/s2.mp3"},
         3);
    wnd_.TPC = 0;
    EXPECT_EQ(Outline(BuildTracksTree(wnd_)),
              "a{1.mp3#0} b{2.mp3#1} x*{3.mp3#2 4.mp3*#3} radio{s1#4 s2#5}");
}

TEST_F(MenuModelTest, ListInsideOneFolderShowsItsEntriesDirectly) {
    Load({"/home/ann/music/1.mp3", "/home/ann/music/2.mp3"}, 1);
    EXPECT_EQ(Outline(BuildTracksTree(wnd_)), "1.mp3#0 2.mp3*#1");
}

TEST_F(MenuModelTest, NetworkPathsUseTheServerAsRoot) {
    Load({"//server/share/a/1.mp3", "//server/share/b/2.mp3", "//other/share/3.mp3"}, 0);
    EXPECT_EQ(Outline(BuildTracksTree(wnd_)), "a*{1.mp3*#0} b{2.mp3#1} share{3.mp3#2}");
}

TEST_F(MenuModelTest, TreeColumnsCountPerPopupAndLabelsDoubleAmpersands) {
    Load({"/m/R&B/1.mp3", "/m/R&B/2.mp3", "/m/R&B/3.mp3", "/m/pop/4.mp3", "/m/5.mp3", "/m/6.mp3"},
         5);
    wnd_.TPC = 2;
    EXPECT_EQ(Outline(BuildTracksTree(wnd_)),
              "R&&B{1.mp3#0 2.mp3#1 |3.mp3#2} pop{4.mp3#3} |5.mp3#4 6.mp3*#5");
}

} // namespace
} // namespace zeb
