// Renaming, deleting, copying and moving the files behind entries, on real
// files and real file systems: a second tmpfs for moves across file systems
// and a full one for a move that fails part way.
#include "platform/FileTransfer.h"
#include "playlist/Id3v1Tag.h"
#include "shell/FileTransferJob.h"
#include "shell/MainWnd.h"
#include "shell/RenameName.h"
#include "support/PlayerFixtures.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <sys/mount.h>
#include <sys/stat.h>
#include <thread>

namespace zeb {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// Calls posted from other threads wait in a queue the test runs.
class PumpHost : public MainWndHost {
public:
    void UpdateStatus(bool) override {}
    void ShowMessage(int, MessageIcon) override {}
    void PostToUiThread(std::function<void()> call) override {
        std::lock_guard lock(mutex_);
        posted_.push_back(std::move(call));
        cv_.notify_all();
    }
    void RunAfter(int, std::function<void()>) override {}
    void ExitProgram() override {}
    void RequestPowerOff() override {}

    // Runs posted calls until `done` holds; false when it did not in time.
    bool RunUntil(const std::function<bool()>& done, std::chrono::seconds limit = 60s) {
        auto until = std::chrono::steady_clock::now() + limit;
        while (!done()) {
            std::function<void()> call;
            {
                std::unique_lock lock(mutex_);
                if (!cv_.wait_until(lock, until, [&] { return !posted_.empty(); }))
                    return false;
                call = std::move(posted_.front());
                posted_.pop_front();
            }
            call();
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> posted_;
};

// A tmpfs of its own, `size` big; Mounted() is false where mounting is not
// allowed.
class TmpfsMount {
public:
    explicit TmpfsMount(const std::string& size) {
        path_ = dir_.Path().string();
        std::string options = "size=" + size;
        mounted_ = ::mount("tmpfs", path_.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~TmpfsMount() {
        if (mounted_)
            ::umount2(path_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }
    const std::string& Path() const { return path_; }

private:
    test::TempDir dir_;
    std::string path_;
    bool mounted_ = false;
};

// Records what a copy or move showed and answers overwrite questions.
struct Recorder : FileTransferListener {
    void ShowFile(const std::string& name) override { files.push_back(name); }
    void ShowProgress(int d, int t) override {
        done = d;
        total = t;
    }
    bool AskOverwrite(const std::string& dest) override {
        asked.push_back(dest);
        return replace;
    }
    void Finished() override { finished = true; }
    std::vector<std::string> files;
    std::vector<std::string> asked;
    int done = 0;
    int total = 0;
    bool replace = false;
    bool finished = false;
};

class FileOperationsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::UseWavOutput(wnd_, dir_);
        ::setenv("XDG_DATA_HOME", dir_.File("data").c_str(), 1);
    }
    void TearDown() override { wnd_.Player().Stop(); }

    std::string Track(const std::string& relative, const std::string& fixture = "cbr128.mp3") {
        return test::CopyFixture(dir_, relative, fixture);
    }
    void Load(const std::vector<std::string>& paths) {
        int old = wnd_.BeginLoad(false);
        for (const auto& p : paths)
            wnd_.Model().Append(p);
        wnd_.AutoPlay = 0;
        wnd_.StartLoadedList(old, false, false, false);
    }
    static void Tag(const std::string& path, const std::string& artist, const std::string& title,
                    const std::string& album) {
        Id3v1Tag tag;
        tag.artist = artist;
        tag.title = title;
        tag.album = album;
        ASSERT_TRUE(WriteId3v1(path, tag));
    }
    std::shared_ptr<FileTransferJob> Transfer(std::vector<int> rows, const std::string& target,
                                              bool move, Recorder& recorder) {
        auto job = FileTransferJob::Start(wnd_, std::move(rows), target, move, &recorder);
        EXPECT_TRUE(host_.RunUntil([&] { return job->Done(); }));
        return job;
    }
    // Plays the current entry and pauses it about half way.
    void PauseHalfWay() {
        wnd_.Play();
        wnd_.Player().Seek(50);
        wnd_.PlayPause();
        ASSERT_EQ(wnd_.Player().GetState(), CMpegPlayer::Paused);
    }
    // The position of a paused play once the decoding thread has taken the
    // pause: frames already on their way still count.
    int SettledPosition() {
        int last = -1;
        for (auto until = std::chrono::steady_clock::now() + 30s;
             std::chrono::steady_clock::now() < until;) {
            int now = wnd_.Player().PositionMs();
            if (now == last)
                return now;
            last = now;
            std::this_thread::sleep_for(100ms);
        }
        return last;
    }

    test::TempDir dir_;
    PumpHost host_;
    CMainWnd wnd_{host_, 1u};
};

TEST(RenameNameTest, TemplateCodesTagFallbacksAndRefusedCharacters) {
    RenameFields intro{3, 3, true, "Band", "Intro", "Record"};
    EXPECT_EQ(RenamedFileName("%1 - %3", intro, "/m/a.b/x.mp3"), "04 - Intro.mp3");
    RenameFields untagged{7, 1, false, "", "", ""};
    EXPECT_EQ(RenamedFileName("%5 %3", untagged, "/m/x.mp3"), "02 Track02.mp3");
    EXPECT_EQ(RenamedFileName("%2 %4", untagged, "/m/noext"), "Unknown artist Unknown album");
    RenameFields slashes{0, 0, true, "AC/DC", " Back:In?Black", "a\x01z"};
    EXPECT_EQ(RenamedFileName("%2 -%3 %4|", slashes, "/m/x.mp3"), "AC_DC - Back_In_Black a_z_.mp3");
    // A value holding a later code is replaced again by that code's step.
    RenameFields nested{0, 4, true, "%5", "t", "a"};
    EXPECT_EQ(RenamedFileName("%2", nested, "/m/x.mp3"), "05.mp3");

    EXPECT_FALSE(RenameTemplateAcceptable("%1!"));
    EXPECT_FALSE(RenameTemplateAcceptable("%1?"));
    EXPECT_FALSE(RenameTemplateAcceptable(""));
    EXPECT_TRUE(RenameTemplateAcceptable("%1 | %3"));
}

TEST(RenameNameTest, LongNamesStayWithin255BytesWithoutSplittingACharacter) {
    std::string title;
    for (int i = 0; i < 200; ++i)
        title += "\xc3\xa6"; // æ, two bytes
    RenameFields fields{0, 0, true, "", title, ""};
    std::string name = RenamedFileName("x%3", fields, "/m/song.mp3");
    EXPECT_LE(name.size(), 255u);
    EXPECT_EQ(name.substr(name.size() - 4), ".mp3");
    std::string stem = name.substr(0, name.size() - 4);
    EXPECT_EQ(stem.size() % 2, 1u); // "x" and whole two-byte characters
    EXPECT_EQ(CutUtf8(stem, stem.size()), stem);
    EXPECT_GT(stem.size(), 240u);
}

TEST_F(FileOperationsTest, RenameFollowsTagsAlbumPlacesAndLeavesUnreadableFiles) {
    std::vector<std::string> paths;
    for (int i = 0; i < 4; ++i)
        paths.push_back(Track("other/o" + std::to_string(i) + ".mp3"));
    for (int i = 0; i < 3; ++i)
        paths.push_back(Track("album/a" + std::to_string(i) + ".mp3"));
    Tag(paths[3], "AC/DC", "Intro", "");
    Tag(paths[4], "", "", "");
    Load(paths);
    fs::permissions(paths[6], fs::perms::none);
    const bool root = ::geteuid() == 0; // root reads any file

    EXPECT_EQ(wnd_.RenameByTags({3, 5, 4, 6}, "%5 %3"), root ? 4 : 3);
    EXPECT_EQ(wnd_.RNTemplate, "%5 %3");
    EXPECT_EQ(wnd_.Model().PathAt(3), dir_.File("other/04 Intro.mp3"));
    EXPECT_EQ(wnd_.Model().PathAt(4), dir_.File("album/01 Track01.mp3"));
    EXPECT_EQ(wnd_.Model().PathAt(5), dir_.File("album/02 Track02.mp3"));
    EXPECT_TRUE(fs::exists(dir_.File("album/02 Track02.mp3")));
    EXPECT_FALSE(fs::exists(paths[5]));

    // A name that exists already is not replaced; the entry keeps its path.
    Tag(wnd_.Model().PathAt(0), "AC/DC", "Same", "");
    Tag(wnd_.Model().PathAt(1), "AC/DC", "Same", "");
    EXPECT_EQ(wnd_.RenameByTags({0, 1}, "%2 %3"), 1);
    EXPECT_EQ(wnd_.Model().PathAt(0), dir_.File("other/AC_DC Same.mp3"));
    EXPECT_EQ(wnd_.Model().PathAt(1), paths[1]);
    EXPECT_TRUE(fs::exists(paths[1]));
}

TEST_F(FileOperationsTest, RenamingThePlayingOrPausedFileResumesWhereItWas) {
    // Constant bit rate: a VBR file's position after a seek is an estimate.
    const std::string path = Track("a/x.mp3", "cbr128.mp3");
    Tag(path, "A", "Paused", "");
    Load({path, Track("a/y.mp3")});
    PauseHalfWay();
    const int before = SettledPosition();

    ASSERT_EQ(wnd_.RenameByTags({0}, "%3"), 1);
    EXPECT_EQ(wnd_.Player().GetState(), CMpegPlayer::Paused);
    EXPECT_NEAR(wnd_.Player().PositionMs(), before, 500);
    EXPECT_EQ(wnd_.Title(), "Paused");

    wnd_.PlayPause(); // playing again
    ASSERT_EQ(wnd_.Player().GetState(), CMpegPlayer::Playing);
    Tag(wnd_.Model().PathAt(0), "A", "Playing", "");
    const int playingFrom = wnd_.Player().PositionMs();
    ASSERT_EQ(wnd_.RenameByTags({0}, "%3"), 1);
    const int resumedAt = wnd_.Player().PositionMs();
    wnd_.PlayPause();
    EXPECT_EQ(wnd_.Player().GetState(), CMpegPlayer::Paused); // it was playing
    EXPECT_GE(resumedAt, playingFrom - 500);
    EXPECT_EQ(wnd_.Model().PathAt(0), dir_.File("a/Playing.mp3"));
}

// On a four-minute track one percent is 2.4 s: the play must go on at its
// own point, not at the nearest percent.
TEST_F(FileOperationsTest, ALongTrackResumesWithinHalfASecondBetweenPercents) {
    const std::string path = dir_.File("long/long.mp3");
    fs::create_directories(dir_.File("long"));
    const std::string encode = "sox -q -n -r 44100 -c 1 -b 16 -t wav - synth 240 sine 440 | "
                               "lame --quiet -b 32 --cbr - '" +
                               path + "'";
    ASSERT_EQ(std::system(encode.c_str()), 0);
    Tag(path, "A", "Long", "");
    Load({path});
    wnd_.Play();
    wnd_.Player().Seek(40);
    wnd_.PlayPause();
    // Paused between 0.8 and 1.6 s past a percent, far from either end.
    const auto between = [](int ms, int from, int to) {
        return ms % 2400 >= from && ms % 2400 <= to;
    };
    int before = SettledPosition();
    for (int tries = 0; tries < 100 && !between(before, 800, 1600); ++tries) {
        wnd_.PlayPause();
        for (auto until = std::chrono::steady_clock::now() + 30s;
             std::chrono::steady_clock::now() < until &&
             wnd_.Player().GetState() == CMpegPlayer::Playing &&
             !between(wnd_.Player().PositionMs(), 900, 1300);)
            std::this_thread::sleep_for(1ms);
        wnd_.PlayPause();
        before = SettledPosition();
    }
    ASSERT_TRUE(between(before, 800, 1600)) << before;

    ASSERT_EQ(wnd_.RenameByTags({0}, "%3"), 1);
    EXPECT_EQ(wnd_.Player().GetState(), CMpegPlayer::Paused);
    EXPECT_NEAR(wnd_.Player().PositionMs(), before, 500);
}

TEST_F(FileOperationsTest, MoveToAnotherFileSystemFollowsThePausedFile) {
    TmpfsMount other("16m");
    std::string target = other.Path();
    if (!other.Mounted()) {
        struct stat a {
        }, b{};
        if (::stat("/dev/shm", &b) != 0 || ::stat(dir_.Path().c_str(), &a) != 0 ||
            a.st_dev == b.st_dev)
            GTEST_SKIP() << "no second file system: tmpfs cannot be mounted and /dev/shm is "
                            "missing or on the test folder's file system";
        target = "/dev/shm/zeb-move-" + std::to_string(::getpid());
        fs::create_directories(target);
    }
    // Constant bit rate: a VBR file's position after a seek is an estimate.
    const std::string path = Track("a/x.mp3", "cbr128.mp3");
    const std::string content = test::ReadFile(path);
    Load({Track("a/w.mp3"), path});
    wnd_.SelectTrack(1);
    PauseHalfWay();
    const int before = SettledPosition();

    Recorder recorder;
    Transfer({1}, target, true, recorder);
    EXPECT_TRUE(recorder.finished);
    EXPECT_EQ(recorder.done, 1);
    EXPECT_EQ(recorder.files, std::vector<std::string>{"x.mp3"});
    EXPECT_EQ(wnd_.Model().PathAt(1), target + "/x.mp3");
    EXPECT_FALSE(fs::exists(path));
    EXPECT_EQ(test::ReadFile(target + "/x.mp3"), content);
    EXPECT_EQ(wnd_.Player().GetState(), CMpegPlayer::Paused);
    EXPECT_NEAR(wnd_.Player().PositionMs(), before, 500);
    // Nothing but the file is left in the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(target), fs::directory_iterator()), 1);
    if (!other.Mounted())
        fs::remove_all(target);
}

TEST_F(FileOperationsTest, MoveOntoAFullFileSystemLosesNothing) {
    TmpfsMount full("64k");
    if (!full.Mounted())
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root)";
    const std::string small = Track("a/small.mp3", "mpeg25-8000.mp3");
    const std::string big = Track("a/big.mp3", "rate-change.mp3");
    const std::string bigContent = test::ReadFile(big);
    Load({small, big});
    wnd_.SelectTrack(1);
    PauseHalfWay();

    Recorder recorder;
    Transfer({0, 1}, full.Path(), true, recorder);
    EXPECT_EQ(wnd_.Model().PathAt(0), full.Path() + "/small.mp3");
    EXPECT_EQ(wnd_.Model().PathAt(1), big);
    EXPECT_EQ(test::ReadFile(big), bigContent);
    EXPECT_FALSE(fs::exists(full.Path() + "/big.mp3"));
    // No partial copy stays behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(full.Path()), fs::directory_iterator()), 1);
    EXPECT_EQ(wnd_.Player().GetState(), CMpegPlayer::Paused);
    EXPECT_EQ(wnd_.FileName(), "big"); // the titles of the file at its old place
}

TEST_F(FileOperationsTest, MoveOutOfAReadOnlyFileSystemKeepsTheFileInOnePlace) {
    TmpfsMount source("4m");
    if (!source.Mounted())
        GTEST_SKIP() << "tmpfs cannot be mounted here (needs root)";
    const std::string path = source.Path() + "/x.mp3";
    fs::copy_file(std::string(ZEB_FIXTURES_DIR) + "/cbr128.mp3", path);
    const std::string content = test::ReadFile(path);
    ASSERT_EQ(::mount(nullptr, source.Path().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    fs::create_directories(dir_.File("dst"));
    Load({path});

    PauseHalfWay();
    const int before = SettledPosition();

    Recorder recorder;
    Transfer({0}, dir_.File("dst"), true, recorder);
    // The copy was whole, but the source could not go: the copy went instead.
    EXPECT_EQ(wnd_.Model().PathAt(0), path);
    EXPECT_EQ(test::ReadFile(path), content);
    EXPECT_TRUE(fs::is_empty(dir_.File("dst")));
    // A rename there fails too; the paused entry is back where it was.
    EXPECT_EQ(wnd_.RenameByTags({0}, "renamed"), 0);
    EXPECT_EQ(wnd_.Model().PathAt(0), path);
    EXPECT_EQ(wnd_.Player().GetState(), CMpegPlayer::Paused);
    EXPECT_NEAR(wnd_.Player().PositionMs(), before, 500);
}

TEST_F(FileOperationsTest, CancelledCopyStopsAfterTheFileInHandAndLeavesNoPart) {
    std::vector<std::string> paths;
    for (int i = 0; i < 3; ++i) {
        paths.push_back(dir_.File("src/big" + std::to_string(i) + ".mp3"));
        fs::create_directories(dir_.File("src"));
        test::WriteFile(paths.back(), std::string(32 << 20, char('a' + i)));
    }
    fs::create_directories(dir_.File("dst"));
    Load(paths);

    Recorder recorder;
    auto job = FileTransferJob::Start(wnd_, {0, 1, 2}, dir_.File("dst"), false, &recorder);
    job->Cancel();
    ASSERT_TRUE(host_.RunUntil([&] { return job->Done(); }));
    EXPECT_TRUE(recorder.finished);
    EXPECT_EQ(recorder.files.size(), 1u); // no further file was begun
    // The file in hand is either whole or absent, never a part.
    for (const auto& entry : fs::directory_iterator(dir_.File("dst"))) {
        EXPECT_EQ(entry.path().filename(), "big0.mp3");
        EXPECT_EQ(fs::file_size(entry.path()), fs::file_size(paths[0]));
    }
}

TEST_F(FileOperationsTest, CopyOntoAReadOnlyFileAsksAndReplacesOnlyOnYes) {
    const std::string a = Track("src/a.mp3", "vbr-xing.mp3");
    const std::string b = Track("src/b.mp3", "vbr-xing.mp3");
    const std::string target = dir_.File("dst");
    test::CopyFixture(dir_, "dst/a.mp3", "mpeg25-8000.mp3");
    test::CopyFixture(dir_, "dst/b.mp3", "mpeg25-8000.mp3");
    fs::permissions(target + "/a.mp3", fs::perms::owner_read);
    fs::permissions(target + "/b.mp3", fs::perms::owner_read);
    Load({a, b});

    Recorder yes;
    yes.replace = true;
    Transfer({0}, target, false, yes);
    EXPECT_EQ(yes.asked, std::vector<std::string>{target + "/a.mp3"});
    EXPECT_EQ(test::ReadFile(target + "/a.mp3"), test::ReadFile(a));

    Recorder no;
    Transfer({1}, target, false, no);
    EXPECT_EQ(no.asked.size(), 1u);
    EXPECT_EQ(test::ReadFile(target + "/b.mp3"), test::ReadFile(dir_.File("dst/b.mp3")));
    EXPECT_NE(test::ReadFile(target + "/b.mp3"), test::ReadFile(b));
    EXPECT_EQ(wnd_.Model().PathAt(0), a); // a copy leaves the list alone
    EXPECT_TRUE(fs::exists(a));
}

TEST_F(FileOperationsTest, DeletingTheCurrentFileStopsAndSendsItToTheTrash) {
    const std::string first = Track("a/first.mp3");
    const std::string doomed = Track("a/doomed file.mp3");
    Track("b/doomed file.mp3");
    Load({first, doomed, dir_.File("b/doomed file.mp3")});
    wnd_.SelectTrack(1);
    wnd_.Play();
    ASSERT_EQ(wnd_.Player().GetState(), CMpegPlayer::Playing);

    wnd_.DeleteEntryFiles({false, true, true}, false);
    EXPECT_EQ(wnd_.Player().GetState(), CMpegPlayer::Stopped);
    EXPECT_EQ(wnd_.CurrentIndex(), 0);
    EXPECT_EQ(wnd_.Count(), 1);
    EXPECT_FALSE(fs::exists(doomed));
    const std::string trash = dir_.File("data/Trash");
    EXPECT_TRUE(fs::exists(trash + "/files/doomed file.mp3"));
    EXPECT_TRUE(fs::exists(trash + "/files/doomed file.2.mp3")); // the clash got a number
    const std::string info = test::ReadFile(trash + "/info/doomed file.mp3.trashinfo");
    EXPECT_EQ(info.rfind("[Trash Info]\n", 0), 0u);
    EXPECT_NE(info.find("\nPath=" + dir_.Path().string() + "/a/doomed%20file.mp3\n"),
              std::string::npos);
    EXPECT_NE(info.find("\nDeletionDate=20"), std::string::npos);
}

TEST_F(FileOperationsTest, TrashOnAnotherFileSystemUsesItsTopFolder) {
    TmpfsMount other("1m");
    if (!other.Mounted())
        GTEST_SKIP() << "tmpfs cannot be mounted here (needs root)";
    fs::create_directories(other.Path() + "/sub");
    const std::string path = other.Path() + "/sub/gone.mp3";
    test::WriteFile(path, "x");
    Load({dir_.File("none.mp3"), path});
    wnd_.DeleteEntryFiles({false, true}, false);
    const std::string trash = other.Path() + "/.Trash-" + std::to_string(::getuid());
    EXPECT_EQ(test::ReadFile(trash + "/files/gone.mp3"), "x");
    EXPECT_NE(test::ReadFile(trash + "/info/gone.mp3.trashinfo").find("\nPath=sub/gone.mp3\n"),
              std::string::npos);

    test::WriteFile(path, "y");
    Load({path});
    wnd_.DeleteEntryFiles({true}, true); // for good: no trash entry
    EXPECT_FALSE(fs::exists(path));
    EXPECT_FALSE(fs::exists(trash + "/files/gone.2.mp3"));
}

} // namespace
} // namespace zeb
