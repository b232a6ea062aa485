#include "playlist/PlaylistModel.h"

#include "playlist/InfoLine.h"
#include "support/TempDir.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

namespace zeb {
namespace {

using test::TempDir;
using test::WriteFile;

std::string Fixture(const std::string& name) {
    return std::string(ZEB_FIXTURES_DIR) + "/" + name;
}

void AppendAll(CPlaylistModel& model, const std::vector<std::string>& paths) {
    for (const std::string& p : paths)
        model.Append(p);
}

// Waits (bounded) until the scanner has ended by itself.
bool WaitForScanner(const CPlaylistModel& model) {
    for (int i = 0; i < 6000 && model.InfoScannerRunning(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return !model.InfoScannerRunning();
}

TEST(RemoveDuplicates, ExactMatchesOnlyFirstKept) {
    CPlaylistModel model;
    AppendAll(model, {"/a.mp3", "/b.mp3", "/a.mp3", "/A.mp3", "/b.mp3"});
    std::vector<int> removedRows;
    PlaylistHooks hooks;
    hooks.entryRemoved = [&](int row) { removedRows.push_back(row); };
    model.SetHooks(hooks);
    const RemovalResult r = model.RemoveDuplicates();
    EXPECT_EQ(r.removed, 2);
    EXPECT_EQ(model.Paths(), (std::vector<std::string>{"/a.mp3", "/b.mp3", "/A.mp3"}));
    EXPECT_EQ(model.InfoLines().size(), 3u);
    EXPECT_EQ(removedRows, (std::vector<int>{2, 3})) << "rows as the window sees them";
}

TEST(RemoveDuplicates, CurrentIndexRules) {
    const std::vector<std::string> list = {"/a.mp3", "/b.mp3", "/a.mp3", "/c.mp3", "/b.mp3"};
    struct Case {
        int current, expected;
    };
    // A removed current entry is replaced by its first occurrence; a later
    // one moves down by the removals before it.
    for (const Case c : {Case{0, 0}, Case{2, 0}, Case{3, 2}, Case{4, 1}, Case{1, 1}}) {
        CPlaylistModel model;
        AppendAll(model, list);
        model.SetCurrentIndex(c.current);
        EXPECT_FALSE(model.RemoveDuplicates().currentRemoved);
        EXPECT_EQ(model.CurrentIndex(), c.expected) << "current was " << c.current;
    }
}

TEST(RemoveMissing, MissingEntriesGoAndCurrentFollows) {
    TempDir dir;
    WriteFile(dir.File("a.mp3"), "x");
    WriteFile(dir.File("c.mp3"), "x");
    WriteFile(dir.File("empty.mp3"), "");
    const std::vector<std::string> list = {dir.File("gone.mp3"), dir.File("a.mp3"),
                                           dir.File("empty.mp3"), "http://h/s.mp3",
                                           dir.File("c.mp3")};
    CPlaylistModel model;
    AppendAll(model, list);
    model.SetInfoAt(4, "C (00:01)");
    model.SetCurrentIndex(4);
    const RemovalResult r = model.RemoveMissing();
    EXPECT_EQ(r.removed, 2);
    EXPECT_FALSE(r.currentRemoved);
    EXPECT_EQ(model.Paths(),
              (std::vector<std::string>{dir.File("a.mp3"), "http://h/s.mp3", dir.File("c.mp3")}));
    EXPECT_EQ(model.CurrentIndex(), 2);
    EXPECT_EQ(model.InfoAt(2), "C (00:01)") << "info lines move with their paths";
}

TEST(RemoveMissing, RemovedCurrentEntryMakesEntryZeroCurrent) {
    TempDir dir;
    WriteFile(dir.File("a.mp3"), "x");
    CPlaylistModel model;
    AppendAll(model, {dir.File("a.mp3"), dir.File("gone.mp3")});
    model.SetCurrentIndex(1);
    RemovalResult r = model.RemoveMissing();
    EXPECT_TRUE(r.currentRemoved);
    EXPECT_EQ(model.CurrentIndex(), 0);
    EXPECT_EQ(model.Count(), 1);

    CPlaylistModel lone;
    lone.Append(dir.File("gone.mp3"));
    r = lone.RemoveMissing();
    EXPECT_TRUE(r.currentRemoved);
    EXPECT_EQ(lone.Count(), 0);
}

TEST(BuildInfoLine, CachesWhatItCouldRead) {
    TempDir dir;
    CPlaylistModel model;
    const std::string path = Fixture("id3v1.mp3");
    const std::string line = model.BuildInfoLine(path);
    EXPECT_EQ(line, "Fixture Artist - Fixture Title (00:03)");
    EXPECT_EQ(model.LookupInfo(path), line);
    EXPECT_EQ(model.BuildInfoLine("http://h/My%20Song.mp3"), "My Song (mm:ss)");
    EXPECT_EQ(model.LookupInfo("http://h/My%20Song.mp3"), "My Song (mm:ss)");
    EXPECT_EQ(model.BuildInfoLine(dir.File("gone_file.mp3")), "gone file (mm:ss)");
    EXPECT_EQ(model.LookupInfo(dir.File("gone_file.mp3")), "") << "unopenable files are not cached";
    model.ForgetInfo(path);
    EXPECT_EQ(model.LookupInfo(path), "");
}

TEST(InfoScanner, FillsEveryLineAndCachesThem) {
    TempDir dir;
    CPlaylistModel model;
    std::atomic<int> notices{0};
    PlaylistHooks hooks;
    hooks.infoChanged = [&] { ++notices; };
    model.SetHooks(hooks);
    const std::vector<std::string> list = {Fixture("id3v1.mp3"), Fixture("cbr128.mp3"),
                                           "http://h/a_b.mp3", dir.File("missing.mp3"),
                                           Fixture("vbr-xing.mp3")};
    AppendAll(model, list);
    model.SetInfoAt(1, "Already known (09:09)");
    model.StartInfoScanner();
    ASSERT_TRUE(WaitForScanner(model));
    EXPECT_EQ(model.InfoAt(0), "Fixture Artist - Fixture Title (00:03)");
    EXPECT_EQ(model.InfoAt(1), "Already known (09:09)") << "known lines are left alone";
    EXPECT_EQ(model.InfoAt(2), "a b (mm:ss)");
    EXPECT_EQ(model.InfoAt(3), "missing (mm:ss)");
    EXPECT_EQ(model.InfoAt(4), ComposeInfoLine(list[4]).line);
    EXPECT_EQ(notices, 5) << "one per built line and one at the end";
    EXPECT_EQ(model.LookupInfo(list[4]), model.InfoAt(4));
    EXPECT_FALSE(model.StopInfoScanner()) << "it had ended by itself";
}

TEST(InfoScanner, CachedLinesNeedNoBuilding) {
    CPlaylistModel model;
    std::atomic<int> notices{0};
    PlaylistHooks hooks;
    hooks.infoChanged = [&] { ++notices; };
    model.SetHooks(hooks);
    for (int i = 0; i < 2000; ++i) {
        const std::string path = "/nowhere/f" + std::to_string(i) + ".mp3";
        model.Append(path);
        model.StoreInfo(path, "Cached " + std::to_string(i) + " (00:10)");
    }
    model.StartInfoScanner();
    ASSERT_TRUE(WaitForScanner(model));
    for (int i = 0; i < model.Count(); ++i)
        ASSERT_EQ(model.InfoAt(i), "Cached " + std::to_string(i) + " (00:10)");
    EXPECT_EQ(notices, 1) << "only the closing notice: nothing was built";
}

TEST(InfoScanner, StopsWhenAskedAndCanRestart) {
    TempDir dir;
    CPlaylistModel model;
    // Every line is built (missing files are not cached) and paused after,
    // so a full walk would take many seconds.
    for (int i = 0; i < 300; ++i)
        model.Append(dir.File("m" + std::to_string(i) + ".mp3"));
    model.StartInfoScanner();
    EXPECT_TRUE(model.StopInfoScanner());
    EXPECT_FALSE(model.InfoScannerRunning());
    const std::vector<std::string> lines = model.InfoLines();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](auto& l) { return l.empty(); }));
    for (const std::string& l : lines)
        EXPECT_TRUE(l.empty() || l.ends_with(" (mm:ss)")) << "no half-stored line: " << l;

    // Removal stops it too and restarts it because it was running.
    model.StartInfoScanner();
    EXPECT_EQ(model.RemoveMissing().removed, 300);
    EXPECT_TRUE(WaitForScanner(model));
    EXPECT_FALSE(model.StopInfoScanner());
}

// A window that goes away takes its hooks back; a notice already being
// delivered must have ended by then, or it would reach a destroyed window.
TEST(InfoScanner, ReplacingTheHooksWaitsForANoticeBeingDelivered) {
    CPlaylistModel model;
    std::mutex m;
    std::condition_variable changed;
    bool entered = false, released = false, delivered = false;
    PlaylistHooks hooks;
    hooks.infoChanged = [&] {
        std::unique_lock lock(m);
        if (entered)
            return;
        entered = true;
        changed.notify_all();
        changed.wait_for(lock, std::chrono::seconds(60), [&] { return released; });
        delivered = true;
    };
    model.SetHooks(hooks);
    model.Append(Fixture("cbr128.mp3"));
    model.StartInfoScanner();
    {
        std::unique_lock lock(m);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(60), [&] { return entered; }));
    }
    std::atomic<bool> replaced{false};
    bool deliveredWhenReplaced = false;
    std::thread window([&] {
        model.SetHooks({});
        replaced = true;
        std::lock_guard lock(m);
        deliveredWhenReplaced = delivered;
    });
    // Give SetHooks the chance to return early, as it did when it did not
    // wait; a busy machine only makes the check weaker, never wrong.
    for (int i = 0; i < 200 && !replaced; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    {
        std::lock_guard lock(m);
        released = true;
    }
    changed.notify_all();
    window.join();
    EXPECT_TRUE(deliveredWhenReplaced);
    EXPECT_TRUE(WaitForScanner(model));
}

TEST(InfoScanner, MainThreadBuildsWhileTheScannerRuns) {
    TempDir dir;
    CPlaylistModel model;
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i) {
        files.push_back(dir.File("song_" + std::to_string(i) + ".mp3"));
        std::filesystem::copy_file(Fixture("cbr128.mp3"), files.back());
    }
    for (int i = 0; i < 60; ++i)
        model.Append(i % 2 ? files[i % 6] : dir.File("gone" + std::to_string(i) + ".mp3"));
    model.StartInfoScanner();
    for (int round = 0; round < 100; ++round) {
        const std::string& path = files[round % 6];
        EXPECT_EQ(model.BuildInfoLine(path), "song " + std::to_string(round % 6) + " (00:03)");
        EXPECT_FALSE(model.LookupInfo(path).empty());
        model.SetInfoAt(1, model.InfoAt(round % model.Count()));
        model.StoreInfo("/extra" + std::to_string(round), "x");
    }
    model.StopInfoScanner();
    model.StartInfoScanner();
    ASSERT_TRUE(WaitForScanner(model));
    for (int i = 0; i < model.Count(); ++i)
        EXPECT_FALSE(model.InfoAt(i).empty()) << i;
}

TEST(RereadInfo, ForgetsAllButTheCurrentLineAndRescans) {
    CPlaylistModel model;
    AppendAll(model, {Fixture("cbr128.mp3"), Fixture("id3v1.mp3")});
    model.SetInfoAt(0, "stale (99:99)");
    model.SetInfoAt(1, "current (01:01)");
    model.StoreInfo(Fixture("cbr128.mp3"), "stale (99:99)");
    model.SetCurrentIndex(1);
    model.RereadInfo();
    ASSERT_TRUE(WaitForScanner(model));
    EXPECT_EQ(model.InfoAt(0), "cbr128 (00:03)");
    EXPECT_EQ(model.InfoAt(1), "current (01:01)");
}

} // namespace
} // namespace zeb
