#include "playlist/PlaylistModel.h"
#include "support/TempDir.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/mount.h>

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

TEST(FolderScan, StaysOnTheFileSystemOfTheChosenFolder) {
    ScanTree t;
    const std::string volume = t.root + "sub/volume";
    fs::create_directories(volume);
    if (::mount("zeb-test", volume.c_str(), "tmpfs", 0, "size=1m") != 0)
        GTEST_SKIP() << "mounting a file system needs privileges: " << std::strerror(errno);
    struct Unmount {
        std::string path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{volume};
    fs::create_directory(volume + "/inner");
    WriteFile(volume + "/v.mp3", "data");
    WriteFile(volume + "/inner/w.mp3", "data");

    // The volume mounted below the chosen folder is left out.
    CPlaylistModel model;
    EXPECT_EQ(model.ScanFolder(t.root, false, false), 5);
    EXPECT_EQ(IndexOf(model, volume + "/v.mp3"), -1);
    // Chosen itself, it is walked; collecting finds what a scan would add.
    EXPECT_EQ(Sorted(CPlaylistModel::CollectFolder(volume, false)),
              Sorted({volume + "/inner/w.mp3", volume + "/v.mp3"}));
    EXPECT_EQ(CPlaylistModel::CollectFolder(t.root, false), model.Paths());
    // A walk cancelled before it starts finds nothing.
    std::atomic<bool> cancel{true};
    EXPECT_TRUE(CPlaylistModel::CollectFolder(t.root, false, &cancel).empty());
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
