#include "playlist/PlaylistModel.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace zeb {
namespace {

using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

// root/ b.mp3, empty.mp3 (0 bytes), x.wav, c.MP3x, notes.txt,
//       sub/ a.mp3, deep/ d.mp3
//       album.mp3/ e.mp3   (a folder whose name looks like a file)
struct ScanTree {
    TempDir dir;
    std::string root;
    ScanTree() : root(dir.Path().string() + "/") {
        fs::create_directories(root + "sub/deep");
        fs::create_directories(root + "album.mp3");
        for (const char* name : {"b.mp3", "x.wav", "c.MP3x", "notes.txt", "sub/a.mp3",
                                 "sub/deep/d.mp3", "album.mp3/e.mp3"})
            WriteFile(root + name, "data");
        WriteFile(root + "empty.mp3", "");
    }
};

std::vector<std::string> Sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

int IndexOf(const CPlaylistModel& model, const std::string& path) {
    const auto& paths = model.Paths();
    const auto it = std::find(paths.begin(), paths.end(), path);
    return it == paths.end() ? -1 : static_cast<int>(it - paths.begin());
}

TEST(FolderScan, FindsMp3FilesAtEveryDepthButNoEmptyOnes) {
    ScanTree t;
    CPlaylistModel model;
    EXPECT_EQ(model.ScanFolder(t.root, false, false), 5);
    EXPECT_EQ(Sorted(model.Paths()),
              Sorted({t.root + "album.mp3/e.mp3", t.root + "b.mp3", t.root + "c.MP3x",
                      t.root + "sub/a.mp3", t.root + "sub/deep/d.mp3"}));
    for (int i = 0; i < model.Count(); ++i)
        EXPECT_EQ(model.InfoAt(i), "") << "new entries have empty info lines";
}

TEST(FolderScan, SubfoldersAreScannedWhereTheyAreMet) {
    ScanTree t;
    CPlaylistModel model;
    model.ScanFolder(t.dir.Path().string(), false, false); // no trailing '/'
    const int a = IndexOf(model, t.root + "sub/a.mp3");
    const int d = IndexOf(model, t.root + "sub/deep/d.mp3");
    ASSERT_GE(a, 0);
    ASSERT_GE(d, 0);
    EXPECT_EQ(std::abs(a - d), 1) << "a folder's files, with its subfolders', form one block";
}

TEST(FolderScan, WavFilesOnlyWhenAsked) {
    ScanTree t;
    CPlaylistModel model;
    EXPECT_EQ(model.ScanFolder(t.root, false, true), 6);
    EXPECT_GE(IndexOf(model, t.root + "x.wav"), 0);
}

TEST(FolderScan, DuplicatesSkippedExactlyOnlyWhenAsked) {
    ScanTree t;
    WriteFile(t.root + "B.mp3", "other file");
    CPlaylistModel model;
    model.Append(t.root + "b.mp3");
    EXPECT_EQ(model.ScanFolder(t.root, true, false), 5) << "B.mp3 is another file than b.mp3";
    EXPECT_EQ(IndexOf(model, t.root + "b.mp3"), 0);
    EXPECT_GE(IndexOf(model, t.root + "B.mp3"), 1);
    EXPECT_EQ(model.ScanFolder(t.root, false, false), 6);
    EXPECT_EQ(model.Count(), 12);
}

TEST(FolderScan, LinkLoopsEndAndMissingFolderAddsNothing) {
    ScanTree t;
    fs::create_directory_symlink(t.root, t.root + "sub/loop");
    CPlaylistModel model;
    EXPECT_EQ(model.ScanFolder(t.root, false, false), 5);
    EXPECT_EQ(model.ScanFolder(t.root + "nothing/", false, false), 0);
}

TEST(EntryExists, FilesMustBeNonEmptyAddressesAlwaysExist) {
    ScanTree t;
    EXPECT_TRUE(CPlaylistModel::EntryExists(t.root + "b.mp3"));
    EXPECT_FALSE(CPlaylistModel::EntryExists(t.root + "empty.mp3"));
    EXPECT_FALSE(CPlaylistModel::EntryExists(t.root + "gone.mp3"));
    EXPECT_FALSE(CPlaylistModel::EntryExists(t.root + "sub"));
    EXPECT_TRUE(CPlaylistModel::EntryExists("http://nowhere.invalid/x.mp3"));
    EXPECT_TRUE(CPlaylistModel::EntryExists("Ftp://nowhere.invalid/x.mp3"));
}

// Sizes are 64-bit: a file of exactly 4 GiB is not empty.
TEST(EntryExists, FileOf4GiBCountsAndIsScanned) {
    TempDir dir;
    const std::string root = dir.Path().string() + "/";
    WriteFile(root + "big.mp3", "x");
    fs::resize_file(root + "big.mp3", uint64_t{1} << 32); // sparse
    EXPECT_TRUE(CPlaylistModel::EntryExists(root + "big.mp3"));
    CPlaylistModel model;
    EXPECT_EQ(model.ScanFolder(root, false, false), 1);
}

} // namespace
} // namespace zeb
