// The remote-control window's endpoint driven by the zeb-remote client, and
// the media-player bus adapter over a real main window.
#include "app/RemoteWindow.h"

#include "app/MprisAdapter.h"
#include "platform/MessageEndpoint.h"
#include "resources/ResourceIds.h"
#include "shell/MainWnd.h"
#include "shell/RemoteControl.h"
#include "support/PlayerFixtures.h"
#include "support/QuietHost.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QSocketNotifier>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <vector>

namespace zeb {
namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "zeb_remote_test";
    static char* argv[] = {name, nullptr};
    if (!QApplication::instance())
        new QApplication(argc, argv);
}

struct ClientRun {
    int status = -1;
    QString out;
    QString err;
};

class RemoteWindowTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureApplication(); }

    std::string Folder() const { return dir_.File("zeb") + "/"; }

    // Runs zeb-remote while the event loop serves the endpoints.
    ClientRun Client(const QStringList& args) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_RUNTIME_DIR", QString::fromStdString(dir_.Path().string()));
        process.setProcessEnvironment(env);
        QEventLoop loop;
        QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
        process.start(ZEB_REMOTE_PATH, args);
        loop.exec();
        ClientRun run;
        if (process.exitStatus() == QProcess::NormalExit &&
            process.error() != QProcess::FailedToStart)
            run.status = process.exitCode();
        run.out = QString::fromUtf8(process.readAllStandardOutput());
        run.err = QString::fromUtf8(process.readAllStandardError());
        return run;
    }

    // A handler that records requests and answers queries with twice the code.
    RemoteWindow::Handler Recorder() {
        return [this](const EndpointRequest& r) {
            requests_.push_back({r.message, r.wParam, r.lParam});
            return r.message == kWmUser ? int32_t(r.lParam * 2) : 0;
        };
    }

    using Request = std::vector<uint32_t>;
    test::TempDir dir_;
    std::vector<Request> requests_;
};

TEST_F(RemoteWindowTest, ClientCommandsAndQueriesReachTheHandlerInOrder) {
    RemoteWindow window;
    ASSERT_TRUE(window.Create(Folder(), Recorder()));
    EXPECT_TRUE(window.Exists());
    EXPECT_EQ(window.EndpointPath(), Folder() + "Winamp v1.x");
    EXPECT_EQ(std::filesystem::status(window.EndpointPath()).type(),
              std::filesystem::file_type::socket);

    EXPECT_EQ(Client({"play"}).status, 0);
    EXPECT_EQ(Client({"next", "40044", "volup", "exit"}).status, 0);
    const std::vector<Request> commands = {{kWmCommand, 40045, 0},
                                           {kWmCommand, 40048, 0},
                                           {kWmCommand, 40044, 0},
                                           {kWmCommand, 40058, 0},
                                           {kWmCommand, 40001, 0}};
    EXPECT_EQ(requests_, commands);

    requests_.clear();
    ClientRun count = Client({"--query", "count"});
    EXPECT_EQ(count.status, 0);
    EXPECT_EQ(count.out, "248\n");
    EXPECT_EQ(Client({"--query", "104"}).out, "208\n");
    EXPECT_EQ(Client({"--query", "index"}).out, "250\n");
    EXPECT_EQ(requests_,
              (std::vector<Request>{{kWmUser, 0, 124}, {kWmUser, 0, 104}, {kWmUser, 0, 125}}));
}

TEST_F(RemoteWindowTest, TheMainEndpointIsReachedByName) {
    RemoteWindow window;
    ASSERT_TRUE(window.Create(Folder(), Recorder()));
    std::vector<Request> main;
    MessageEndpoint endpoint([&](const EndpointRequest& r) {
        main.push_back({r.message, r.wParam, r.lParam});
        return 1;
    });
    ASSERT_TRUE(endpoint.Listen(Folder() + "ZEBAppClass"));
    QSocketNotifier notifier(endpoint.Fd(), QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [&] { endpoint.HandleEvents(); });

    EXPECT_EQ(Client({"--endpoint", "ZEBAppClass", "32780"}).status, 0);
    EXPECT_EQ(Client({"--endpoint", "ZEBAppClass", "--query", "status"}).out, "1\n");
    EXPECT_EQ(main, (std::vector<Request>{{kWmCommand, 32780, 0}, {kWmUser, 0, 104}}));
    EXPECT_TRUE(requests_.empty());
    EXPECT_EQ(Client({"--endpoint", "Nobody", "play"}).status, 1);
}

TEST_F(RemoteWindowTest, WithoutAPlayerTheClientFailsAndStartsNothing) {
    ClientRun run = Client({"play"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("no player")) << run.err.toStdString();
    EXPECT_EQ(Client({"--query", "count"}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(Folder() + "Winamp v1.x"));

    EXPECT_EQ(Client({"bogus"}).status, 2);
    EXPECT_EQ(Client({}).status, 2);
    EXPECT_EQ(Client({"--query", "count", "play"}).status, 2);
    EXPECT_EQ(Client({"--query"}).status, 2);
    ClientRun help = Client({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("40045")) << help.out.toStdString();
}

TEST_F(RemoteWindowTest, DestroyRemovesTheEndpointAndCreateBringsItBack) {
    RemoteWindow window;
    ASSERT_TRUE(window.Create(Folder(), Recorder()));
    const std::string path = window.EndpointPath();
    window.Destroy();
    EXPECT_FALSE(window.Exists());
    EXPECT_TRUE(window.EndpointPath().empty());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(Client({"play"}).status, 1);
    EXPECT_TRUE(requests_.empty());

    ASSERT_TRUE(window.Create(Folder(), Recorder()));
    EXPECT_EQ(Client({"stop"}).status, 0);
    EXPECT_EQ(requests_, (std::vector<Request>{{kWmCommand, 40047, 0}}));
}

TEST_F(RemoteWindowTest, ALiveEndpointIsNotTakenOver) {
    RemoteWindow first;
    ASSERT_TRUE(first.Create(Folder(), Recorder()));
    RemoteWindow second;
    std::string error;
    EXPECT_FALSE(second.Create(
        Folder(), [](const EndpointRequest&) { return 0; }, &error));
    EXPECT_FALSE(second.Exists());
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(Client({"pause"}).status, 0);
    EXPECT_EQ(requests_, (std::vector<Request>{{kWmCommand, 40046, 0}}));
}

TEST_F(RemoteWindowTest, TheHandlerMayDestroyTheWindow) {
    RemoteWindow window;
    ASSERT_TRUE(window.Create(Folder(), [&](const EndpointRequest&) {
        window.Destroy();
        return 0;
    }));
    const std::string path = window.EndpointPath();
    Client({"exit"});
    EXPECT_FALSE(window.Exists());
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(Client({"play"}).status, 1);
}

TEST_F(RemoteWindowTest, WithoutX11OnlyTheEndpointExists) {
    RemoteWindow window;
    ASSERT_TRUE(window.Create(Folder(), Recorder()));
    EXPECT_EQ(window.NativeWindow(), 0u);
    EXPECT_EQ(window.Title(), "Winamp");
    window.SetTitle("A - B - Winamp");
    EXPECT_EQ(window.Title(), "A - B - Winamp");
    window.Destroy();
    ASSERT_TRUE(window.Create(Folder(), Recorder()));
    EXPECT_EQ(window.Title(), "Winamp"); // a new window starts with the first title
}

// ------------------------------------------------------------- media-player adapter

class MprisAdapterTest : public ::testing::Test {
protected:
    void SetUp() override { test::UseWavOutput(wnd_, dir_); }
    void TearDown() override { wnd_.Player().Stop(); }

    test::TempDir dir_;
    test::QuietHost host_;
    CMainWnd wnd_{host_, 5u};
    int quits_ = 0;
    MainWndMprisPlayer player_{wnd_, [this] { ++quits_; }};
};

TEST_F(MprisAdapterTest, TrackComesFromTheCurrentEntryAndItsTag) {
    EXPECT_EQ(player_.Track().index, -1);
    EXPECT_EQ(player_.PlaybackStatus(), MprisPlayer::Status::Stopped);

    const std::string tagged = test::CopyFixture(dir_, "a b/tagged.mp3", "id3v1.mp3");
    const std::string plain = test::CopyFixture(dir_, "plain.mp3", "cbr128.mp3");
    wnd_.OpenSingleFile(plain, false, false);
    wnd_.OpenSingleFile(tagged, true, false);
    wnd_.SelectTrack(1);
    EXPECT_EQ(player_.PlaybackStatus(), MprisPlayer::Status::Playing);
    MprisTrack track = player_.Track();
    EXPECT_EQ(track.index, 1);
    EXPECT_EQ(track.title, "Fixture Title");
    EXPECT_EQ(track.artist, "Fixture Artist");
    EXPECT_EQ(track.url, "file://" + dir_.File("a%20b/tagged.mp3"));
    EXPECT_EQ(track.lengthUs, int64_t(wnd_.Player().LengthMs()) * 1000);
    EXPECT_GT(track.lengthUs, 2'000'000);

    player_.Pause();
    EXPECT_EQ(player_.PlaybackStatus(), MprisPlayer::Status::Paused);
    player_.Pause(); // pausing a pause keeps it paused
    EXPECT_EQ(player_.PlaybackStatus(), MprisPlayer::Status::Paused);
    player_.Previous();
    EXPECT_EQ(player_.Track().index, 0);
    EXPECT_EQ(player_.Track().artist, "");
    player_.Stop();
    EXPECT_EQ(player_.PlaybackStatus(), MprisPlayer::Status::Stopped);
    EXPECT_EQ(player_.PositionUs(), 0);
    player_.Quit();
    EXPECT_EQ(quits_, 1);
}

TEST_F(MprisAdapterTest, VolumeAndSeekGoToTheMainWindow) {
    player_.SetVolumePercent(120);
    EXPECT_EQ(wnd_.Volume(), 100);
    EXPECT_EQ(player_.VolumePercent(), 100);
    player_.SetVolumePercent(30);
    EXPECT_EQ(wnd_.Volume(), 30);

    // Ten copies of a constant-rate track: one long track that seeks exactly.
    const std::string part = test::CopyFixture(dir_, "part.mp3", "cbr128.mp3");
    const std::string longTrack = dir_.File("long.mp3");
    {
        std::ifstream in(part, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::ofstream out(longTrack, std::ios::binary);
        for (int i = 0; i < 10; ++i)
            out << bytes;
    }
    wnd_.OpenSingleFile(longTrack, false, true);
    ASSERT_EQ(player_.PlaybackStatus(), MprisPlayer::Status::Playing);
    const int64_t length = player_.Track().lengthUs;
    player_.SeekTo(length / 2);
    player_.Pause();
    EXPECT_GE(player_.PositionUs(), length * 49 / 100);
    player_.SeekTo(0); // paused: the engine does not seek
    EXPECT_GE(player_.PositionUs(), length * 49 / 100);
}

} // namespace
} // namespace zeb
