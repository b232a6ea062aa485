// The tray program without a tray (offscreen): start-up from the saved
// list, the exit sequence's files, hotkey actions, the playlist window, the
// remote window following its setting, the hotkey dialog switching hotkeys
// off, the information window, the advanced settings changing the CD drive,
// the minibar and the resting now-playing file following changed lines.
#include "app/TrayApp.h"

#include "cd/CdImage.h"
#include "platform/EndpointClient.h"
#include "platform/IniFile.h"
#include "resources/ResourceIds.h"
#include "support/PlayerFixtures.h"
#include "ui/DialogControls.h"
#include "ui/HotkeyDialog.h"
#include "ui/Minibar.h"
#include "ui/ModalDriver.h"
#include "ui/Mp3InfoWindow.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

namespace zeb {
namespace {

namespace fs = std::filesystem;

class TrayAppTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { test::EnsureApplication(); }

    void SetUp() override {
        fs::create_directories(dir_.Path() / "run");
        ::chmod((dir_.Path() / "run").c_str(), 0700);
        options_.files.folder = dir_.Path().string() + "/";
        options_.files.iniPath = dir_.File("zeb.ini");
        options_.files.userListPath = dir_.File("zeb.m3u");
        options_.files.infoCachePath = dir_.File("zeb.tgs");
        options_.section = "Preferences - tester";
        options_.runtimeFolder = dir_.File("run") + "/";
        options_.endpointPath = options_.runtimeFolder + "ZEBAppClass";
        one_ = test::CopyFixture(dir_, "music/Artist_-_One.mp3");
        two_ = test::CopyFixture(dir_, "music/Artist_-_Two.mp3");
        test::WriteFile(options_.files.userListPath, "[tester]\n" + one_ + "\n" + two_ + "\n");
        // WAV output and no auto play: no sound device needed.
        test::WriteFile(
            options_.files.iniPath,
            "[Preferences - tester]\nOutputModule=0\nAutoPlay=0\nOutPath=" + dir_.File("out") +
                "/\nCurrentInPlaylist=1\nW2Fenabled=1\nW2Ffile=" + dir_.File("np.txt") + "\n");
        fs::create_directories(dir_.File("out"));
    }

    // Runs the event loop until a folder scan asked for has filled the list.
    static void WaitForFolderScan(CMainWnd& wnd) {
        auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (wnd.FolderScanRunning() && std::chrono::steady_clock::now() < limit) {
            QCoreApplication::processEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        QCoreApplication::processEvents();
    }

    std::string Ini(const std::string& key) {
        IniFile ini(options_.files.iniPath);
        return ini.GetString(options_.section, key, "");
    }

    test::TempDir dir_;
    TrayApp::Options options_;
    std::string one_, two_;
};

TEST_F(TrayAppTest, StartRestoresTheListAndTheExitSequenceSavesEverything) {
    TrayApp app(options_);
    app.Start();
    ASSERT_EQ(app.Wnd().Count(), 2);
    EXPECT_EQ(app.Wnd().CurrentIndex(), 1);
    EXPECT_TRUE(app.Wnd().Initialised());
    EXPECT_TRUE(fs::exists(options_.endpointPath)) << "the endpoint listens";

    app.DoCommand(ID_SHOW_TIME_LEFT);
    app.Shutdown();
    EXPECT_EQ(Ini("ShowRemainingTime"), "1");
    EXPECT_EQ(Ini("CurrentInPlaylist"), "1");
    EXPECT_EQ(Ini("CDMode"), "0");
    EXPECT_EQ(test::ReadFile(dir_.File("np.txt")), "ZEB is closed");
    EXPECT_FALSE(fs::exists(options_.endpointPath)) << "the endpoint is closed";
    std::string list = test::ReadFile(options_.files.userListPath);
    EXPECT_NE(list.find(one_), std::string::npos);
    EXPECT_NE(list.find(two_), std::string::npos);
}

// The saved list is the user's work: a start path that opens nothing must
// not leave an empty list for the exit to save over it.
TEST_F(TrayAppTest, StartPathThatOpensNothingRestoresTheSavedList) {
    std::string pipe = dir_.File("pipe.mp3");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    fs::create_directories(dir_.Path() / "empty");
    std::string album = test::CopyFixture(dir_, "album/Band_-_Song.mp3");
    for (const std::string& path :
         {dir_.File("typo.mp3"), pipe, dir_.File("empty"), dir_.File("album")}) {
        bool opensSomething = path == dir_.File("album");
        options_.commandLine.path = path;
        testing::internal::CaptureStderr();
        TrayApp app(options_);
        app.Start();
        WaitForFolderScan(app.Wnd());
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(app.Wnd().Count(), opensSomething ? 1 : 2) << path;
        EXPECT_EQ(said.find("nothing could be opened from " + path) != std::string::npos,
                  !opensSomething)
            << said;
        app.Shutdown();
        std::string list = test::ReadFile(options_.files.userListPath);
        EXPECT_NE(list.find(opensSomething ? album : two_), std::string::npos)
            << path << ": " << list;
    }
}

// A track that ended just before the exit sequence must not start the next
// one once everything is closed.
TEST_F(TrayAppTest, AnEndArrivingAfterTheExitSequenceIsDropped) {
    TrayApp app(options_);
    app.Start();
    CMainWnd& wnd = app.Wnd();
    wnd.SelectTrack(0);
    // The end is posted to the event loop, which does not run meanwhile.
    auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (wnd.Player().GetState() != CMpegPlayer::Stopped &&
           std::chrono::steady_clock::now() < limit)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(wnd.Player().GetState(), CMpegPlayer::Stopped);

    app.Shutdown();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(wnd.CurrentIndex(), 0);
    EXPECT_EQ(wnd.Player().GetState(), CMpegPlayer::Stopped) << "a track started after exit";
}

// The playlist window opens at start when it was open at the last exit, where
// it was; 32802 closes and opens it, the tray item follows, and the exit
// sequence saves whether it was open and where.
TEST_F(TrayAppTest, ThePlaylistWindowReopensWhereItWasAndItsStateIsSaved) {
    {
        std::ofstream ini(options_.files.iniPath, std::ios::app);
        ini << "PlaylistAtStartup=1\nPlaylistX=40\nPlaylistY=50\nPlaylistW=400\nPlaylistH=300\n";
    }
    TrayApp app(options_);
    app.Start();
    ASSERT_NE(app.PlaylistWindowShown(), nullptr);
    EXPECT_EQ(app.PlaylistWindowShown()->geometry(), QRect(40, 50, 400, 300));
    EXPECT_EQ(app.PlaylistWindowShown()->View().Count(), 2);
    EXPECT_TRUE(app.Wnd().ItemState(ID_PLAYLIST_WINDOW).checked);

    app.DoCommand(ID_PLAYLIST_WINDOW);
    EXPECT_EQ(app.PlaylistWindowShown(), nullptr);
    EXPECT_FALSE(app.Wnd().ItemState(ID_PLAYLIST_WINDOW).checked);

    app.OnHotkey(HK_PLAYLIST);
    ASSERT_NE(app.PlaylistWindowShown(), nullptr);
    app.PlaylistWindowShown()->setGeometry(60, 70, 420, 320);
    app.Shutdown();
    EXPECT_EQ(Ini("PlaylistAtStartup"), "1");
    EXPECT_EQ(Ini("PlaylistX") + "," + Ini("PlaylistY") + "," + Ini("PlaylistW") + "," +
                  Ini("PlaylistH"),
              "60,70,420,320");

    // Closed by the user with Esc, it stays closed at the next start and
    // its placement is kept.
    TrayApp again(options_);
    again.Start();
    PlaylistWindow* window = again.PlaylistWindowShown();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->geometry(), QRect(60, 70, 420, 320));
    window->setGeometry(80, 90, 440, 340);
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window, 30000));
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(again.PlaylistWindowShown(), nullptr);
    EXPECT_FALSE(again.Wnd().ItemState(ID_PLAYLIST_WINDOW).checked);
    again.Shutdown();
    EXPECT_EQ(Ini("PlaylistAtStartup"), "0");
    EXPECT_EQ(Ini("PlaylistX") + "," + Ini("PlaylistY"), "80,90");
}

// The equalizer's menu item carries its check mark while the window is open;
// the click action opens it as the menu command does.
TEST_F(TrayAppTest, TheEqualizerItemIsCheckedWhileItsWindowIsOpen) {
    TrayApp app(options_);
    app.Start();
    EXPECT_FALSE(app.Wnd().ItemState(ID_EQUALIZER).checked);
    app.DoClickAction(8);
    EXPECT_TRUE(app.Wnd().ItemState(ID_EQUALIZER).checked);
    app.DoCommand(ID_EQUALIZER);
    EXPECT_FALSE(app.Wnd().ItemState(ID_EQUALIZER).checked);
    app.DoCommand(ID_EQUALIZER);
    app.Shutdown();
    EXPECT_EQ(Ini("EQAtStartup"), "1");
}

TEST_F(TrayAppTest, HotkeyActionsReachThePlayer) {
    TrayApp app(options_);
    app.Start();
    CMainWnd& wnd = app.Wnd();

    app.OnHotkey(401);
    EXPECT_EQ(wnd.ShuffleMode, 1);
    app.OnHotkey(1601);
    EXPECT_EQ(wnd.AlbumStop, 1);
    app.OnHotkey(701); // none -> list -> track -> none
    EXPECT_EQ(wnd.Repeat, 1);
    app.OnHotkey(701);
    EXPECT_EQ(wnd.Repeat, 0);
    EXPECT_EQ(wnd.RepeatTrack, 1);
    app.OnHotkey(701);
    EXPECT_EQ(wnd.RepeatTrack, 0);

    app.UpdateStatus(true);
    app.OnHotkey(1201);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "np: Artist - Two");

    app.OnHotkey(103);
    EXPECT_EQ(wnd.CurrentIndex(), 0);
    app.OnHotkey(1001);
    EXPECT_FALSE(fs::exists(options_.endpointPath)) << "the exit key ran the exit sequence";
}

TEST_F(TrayAppTest, TheRemoteWindowFollowsItsSetting) {
    TrayApp app(options_);
    app.Start();
    const std::string remotePath = options_.runtimeFolder + "Winamp v1.x";
    EXPECT_FALSE(fs::exists(remotePath));

    app.Wnd().WAEmu = 1;
    app.FollowRemoteSetting();
    EXPECT_TRUE(fs::exists(remotePath));
    app.Wnd().WAEmu = 0;
    app.FollowRemoteSetting();
    EXPECT_FALSE(fs::exists(remotePath));
}

TEST_F(TrayAppTest, TheHotkeyDialogEditsTheSettingsOnOk) {
    TrayApp app(options_);
    app.Start();
    auto driver = test::ModalDriver::For<HotkeyDialog>([](HotkeyDialog* dialog) {
        dialog->Edit(HotkeyFunction::Next)->SetHotkey({0x4E, 3});
        dialog->accept();
    });
    EXPECT_TRUE(app.EditHotkeys());
    EXPECT_TRUE(driver->Ran());
    EXPECT_EQ(app.Wnd().Hotkey(HotkeyFunction::Next), (HotkeyPair{0x4E, 3}));
}

// The visible information window, or nullptr.
Mp3InfoWindow* ShownInfoWindow() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Mp3InfoWindow*>(w); window && window->isVisible())
            return window;
    }
    return nullptr;
}

TEST_F(TrayAppTest, TheInformationWindowTogglesFollowsTheListAndSavesItsPlace) {
    TrayApp app(options_);
    app.Start();
    CMainWnd& wnd = app.Wnd();

    app.DoCommand(ID_MP3_INFO);
    QPointer<Mp3InfoWindow> window = ShownInfoWindow();
    ASSERT_TRUE(window);
    EXPECT_TRUE(wnd.ItemState(ID_MP3_INFO).checked);
    auto title = [&] { return FindControl<QLineEdit>(window, IDC_INFO_TITLE)->text(); };
    EXPECT_EQ(title(), "Artist - Two");
    wnd.SetCurrentIndex(0);
    app.UpdateStatus(false);
    EXPECT_EQ(title(), "Artist - One");

    app.OnHotkey(HK_MP3_INFO);
    EXPECT_EQ(ShownInfoWindow(), nullptr);
    EXPECT_FALSE(wnd.ItemState(ID_MP3_INFO).checked);

    // The window goes with the last entry and does not open on an empty list.
    app.OnHotkey(HK_MP3_INFO);
    ASSERT_NE(ShownInfoWindow(), nullptr);
    fs::remove(one_);
    fs::remove(two_);
    wnd.RemoveMissingEntries();
    EXPECT_EQ(ShownInfoWindow(), nullptr);
    app.DoCommand(ID_MP3_INFO);
    EXPECT_EQ(ShownInfoWindow(), nullptr);

    wnd.OpenSingleFile(test::CopyFixture(dir_, "three.mp3"), false, false);
    app.DoCommand(ID_MP3_INFO);
    window = ShownInfoWindow();
    ASSERT_TRUE(window);
    window->move(window->pos() + QPoint(31, 17));
    const QPoint at = window->pos();
    app.Shutdown();
    EXPECT_EQ(ShownInfoWindow(), nullptr);
    EXPECT_EQ(Ini("InfoX"), std::to_string(at.x()));
    EXPECT_EQ(Ini("InfoY"), std::to_string(at.y()));
}

// The open advanced settings dialogs.
std::vector<AdvancedSettingsDialog*> AdvancedSettingsShown() {
    std::vector<AdvancedSettingsDialog*> shown;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* dialog = qobject_cast<AdvancedSettingsDialog*>(w); dialog && dialog->isVisible())
            shown.push_back(dialog);
    }
    return shown;
}

// The minibar opens at start, shows the status, gives way to the CD bar in
// CD mode and back, and the exit remembers it only for the current mode.
TEST_F(TrayAppTest, TheMinibarFollowsTheModeAndIsRememberedForIt) {
    ::setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
    const std::string disc = test::CdImage::Write(dir_.File("disc"), {{150}, {150}});
    std::ofstream(options_.files.iniPath, std::ios::app)
        << "BarAtStartup=1\nCDLetter=" << disc << "\nSeekBarW=420\n";
    TrayApp app(options_);
    app.Start();
    CMainWnd& wnd = app.Wnd();
    QPointer<Minibar> bar = app.MinibarShown();
    ASSERT_TRUE(bar);
    EXPECT_FALSE(bar->IsCd());
    EXPECT_EQ(bar->width(), 420);
    EXPECT_NE(bar->TitleText().find("Two"), std::string::npos);
    EXPECT_TRUE(wnd.ItemState(ID_MINIBAR).checked);

    app.DoCommand(ID_TO_CD_MODE);
    ASSERT_TRUE(wnd.InCdMode());
    EXPECT_FALSE(bar); // the MP3 bar is gone
    ASSERT_TRUE(app.MinibarShown());
    EXPECT_TRUE(app.MinibarShown()->IsCd());
    EXPECT_TRUE(wnd.ItemState(ID_CD_MINIBAR).checked);

    // The command and the hotkey close and open the CD bar.
    app.DoCommand(ID_CD_MINIBAR);
    QTRY_VERIFY(app.MinibarShown() == nullptr);
    EXPECT_FALSE(wnd.ItemState(ID_CD_MINIBAR).checked);
    app.OnHotkey(HK_MINIBAR);
    QTRY_VERIFY(app.MinibarShown() != nullptr);
    Minibar* cdBar = app.MinibarShown();
    ASSERT_TRUE(cdBar->IsCd());
    cdBar->move(cdBar->pos() + QPoint(0, 40));
    const QPoint at = cdBar->pos();

    app.Shutdown();
    EXPECT_EQ(Ini("BarAtStartup"), "1");
    EXPECT_EQ(Ini("SeekBarY"), std::to_string(at.y()));
    EXPECT_EQ(Ini("SeekBarW"), "420"); // the CD bar keeps the MP3 bar's width
    ::unsetenv("XDG_CONFIG_HOME");
}

// A click at the volume bar's right end sets 100, one left of it 0 and a
// double click acts as a press; the seek bar ignores clicks while nothing
// plays; the close zone closes the bar.
TEST_F(TrayAppTest, TheMinibarsBarsAndCloseZone) {
    TrayApp app(options_);
    app.Start();
    app.DoCommand(ID_MINIBAR);
    QTRY_VERIFY(app.MinibarShown() != nullptr);
    QPointer<Minibar> bar = app.MinibarShown();
    auto* volume = FindControl(bar, IDC_MINIBAR_VOLUME);
    auto* seek = FindControl(bar, IDC_MINIBAR_SEEK);
    auto* tools = FindControl(bar, IDC_MINIBAR_TOOLS);
    ASSERT_TRUE(volume && seek && tools);

    QTest::mouseClick(volume, Qt::LeftButton, {}, QPoint(volume->width() - 1, 5));
    EXPECT_EQ(app.Wnd().Volume(), 100);
    EXPECT_EQ(bar->VolumePosition(), 100);
    QTest::mousePress(volume, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent drag(QEvent::MouseMove, QPointF(-30, 5), volume->mapToGlobal(QPointF(-30, 5)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(volume, &drag);
    QTest::mouseRelease(volume, Qt::LeftButton, {}, QPoint(-30, 5));
    EXPECT_EQ(app.Wnd().Volume(), 0);
    // A quick second click counts as a press too.
    const QPointF end(volume->width() - 1, 5);
    QMouseEvent second(QEvent::MouseButtonDblClick, end, volume->mapToGlobal(end), Qt::LeftButton,
                       Qt::LeftButton, {});
    QApplication::sendEvent(volume, &second);
    QTest::mouseRelease(volume, Qt::LeftButton, {}, end.toPoint());
    EXPECT_EQ(app.Wnd().Volume(), 100);

    QTest::mousePress(seek, Qt::LeftButton, {}, QPoint(seek->width() / 2, 5));
    EXPECT_FALSE(bar->SeekDragging());
    QTest::mouseRelease(seek, Qt::LeftButton, {}, QPoint(seek->width() / 2, 5));

    QTest::mousePress(tools, Qt::LeftButton, {}, QPoint(tools->width() - 3, 1));
    QTRY_VERIFY(!bar);
    EXPECT_EQ(app.MinibarShown(), nullptr);
    app.Shutdown();
    EXPECT_EQ(Ini("BarAtStartup"), "0");
    EXPECT_NE(Ini("SeekBarX"), "-1000");
}

// Another drive chosen in the advanced settings while a disc is in use in
// CD mode: the disc stops and the device is opened on the new drive.
TEST_F(TrayAppTest, TheAdvancedSettingsMoveCdModeToAnotherDrive) {
    const std::string config = dir_.File("config");
    ::setenv("XDG_CONFIG_HOME", config.c_str(), 1); // the title database goes there
    const std::string first = test::CdImage::Write(dir_.File("first"), {{4500}, {75}});
    const std::string second = test::CdImage::Write(dir_.File("second"), {{75}, {75}, {75}});
    std::ofstream(options_.files.iniPath, std::ios::app) << "CDMode=1\nCDLetter=" << first << "\n";

    TrayApp app(options_);
    app.Start();
    CMainWnd& wnd = app.Wnd();
    ASSERT_TRUE(wnd.InCdMode());
    CdController& cd = wnd.Cd();
    ASSERT_EQ(cd.TrackLengths().size(), 2u);
    cd.Play();
    cd.Pause();
    ASSERT_EQ(cd.State(), CdController::Paused);

    // The command opens one dialog at most.
    app.DoCommand(ID_ADVANCED_SETTINGS);
    app.DoCommand(ID_ADVANCED_SETTINGS);
    ASSERT_EQ(AdvancedSettingsShown().size(), 1u);
    QPointer<AdvancedSettingsDialog> dialog = AdvancedSettingsShown().front();
    auto* drive = FindControl<QComboBox>(dialog, IDC_ADV_CD_DRIVE);
    EXPECT_EQ(drive->currentText().toStdString(), first);
    drive->setEditText(QString::fromStdString(second));
    FindControl<QAbstractButton>(dialog, IDOK)->click();

    EXPECT_EQ(cd.State(), CdController::Stopped);
    EXPECT_EQ(wnd.CDLetter, second);
    EXPECT_EQ(cd.TrackLengths().size(), 3u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isNull(); }, 20000));
    app.Shutdown();
    EXPECT_EQ(Ini("CDLetter"), second);
    ::unsetenv("XDG_CONFIG_HOME");
}

// Stopped, the now-playing file is written once and its timer rests; lines
// changed in the now-playing dialog (which writes the settings at once) reach
// the file even when the advanced settings are then cancelled.
TEST_F(TrayAppTest, TheRestingNowPlayingFileFollowsChangedLines) {
    TrayApp app(options_);
    app.Start();
    const std::string file = dir_.File("np.txt");
    auto fileStartsWith = [&](const std::string& text) {
        return QTest::qWaitFor([&] { return test::ReadFile(file).rfind(text, 0) == 0; }, 20000);
    };
    ASSERT_TRUE(fileStartsWith("Now stopped: "));

    app.DoCommand(ID_ADVANCED_SETTINGS);
    ASSERT_EQ(AdvancedSettingsShown().size(), 1u);
    QPointer<AdvancedSettingsDialog> dialog = AdvancedSettingsShown().front();
    app.Wnd().W2Fstop = "Resting: %T";
    FindControl<QAbstractButton>(dialog, IDCANCEL)->click();
    EXPECT_TRUE(fileStartsWith("Resting: "));
    app.Shutdown();
}

} // namespace
} // namespace zeb
