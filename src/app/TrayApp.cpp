#include "app/TrayApp.h"

#include "app/MprisAdapter.h"
#include "platform/QtSystemTrayIcon.h"
#include "platform/Volumes.h"
#include "platform/X11Window.h"
#include "platform/XEmbedTrayIcon.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "shell/ApplyEqualizer.h"
#include "shell/HotkeyTable.h"
#include "shell/NowPlayingFile.h"
#include "system/Mpris.h"
#include "system/PowerOff.h"
#include "ui/HotkeyDialog.h"
#include "ui/MenuAnchor.h"
#include "ui/OpenDialogs.h"
#include "ui/PopupMenu.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QMessageBox>
#include <QSocketNotifier>
#include <QWidget>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>

namespace zeb {

namespace {

constexpr int kHandoverWindowMs = 2000;
constexpr int kNowPlayingTimerMs = 1000;
// The process priority for HighPriority = 1: above normal desktop programs,
// so decoding keeps up while the machine is busy.
constexpr int kHighPriorityNice = -5;

QString Text(std::string_view s) {
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

std::string WhyNothingOpened(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::strerror(errno);
    if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
        return "neither a file nor a folder";
    return "no playable entries";
}

} // namespace

TrayApp::TrayApp(Options options)
    : options_(std::move(options)), ini_(options_.files.iniPath),
      endpoint_([this](const EndpointRequest& request) { return OnEndpointRequest(request); }) {
    statusTimer_.setTimerType(Qt::PreciseTimer); // lands just past a second
    connect(&statusTimer_, &QTimer::timeout, this, &TrayApp::OnStatusTimer);
    nowPlayingTimer_.setInterval(kNowPlayingTimerMs);
    connect(&nowPlayingTimer_, &QTimer::timeout, this, &TrayApp::OnNowPlayingTimer);
    handoverTimer_.setSingleShot(true);
    handoverTimer_.setInterval(kHandoverWindowMs);
    connect(&handoverTimer_, &QTimer::timeout, this, [this] { wnd_->EndHandoverWindow(); });
}

TrayApp::~TrayApp() {
    Shutdown();
    StopBackgroundWork();
    DestroyPlaylistWindows();
    DestroyEqualizerWindows();
}

// ------------------------------------------------------------------ start-up

void TrayApp::Start() {
    // The endpoint listens from the start; hand-overs are answered 0 until
    // the initialised flag is set, so second instances keep trying.
    StartEndpoint();

    MainWndSettings settings;
    settings.LoadSettings(ini_, options_.section);
    wnd_ = std::make_unique<CMainWnd>(*this, TickCountSeed());
    static_cast<MainWndSettings&>(*wnd_) = settings;
    openCommands_ = std::make_unique<OpenCommands>(*wnd_);
    clicks_ = std::make_unique<TrayClicks>(*wnd_, static_cast<TrayClickHost&>(*this));
    clicks_->SetDoubleClickMs(QApplication::doubleClickInterval());
    ApplyProcessPriority();
    wnd_->Player().SetPriority(wnd_->Priority);
    LoadImages();
    // The icon is asked for first: the host docks it while the rest of the
    // start-up (hotkey grabs, the info cache, the list) runs. The mixer waits
    // until something needs the volume (NeedMixer).
    mainWindow_ = std::make_unique<X11Window>();
    if (mainWindow_->Create(1, 1, 0)) // exists unmapped, so tools can read its title
        mainWindow_->SetName("ZEB");
    CreateTrayIcon();
    // CD mode needs a drive; "-c" asks for it, and so does the last exit
    // when no path is given.
    wnd_->Cd().ChooseDrive();
    const CommandLine& line = options_.commandLine;
    const bool startCd = wnd_->Cd().HasDrive() && (line.cd || (wnd_->CDMode == 1 && !line.path));
    wnd_->CDMode = 0;
    StartHotkeys();

    wnd_->BeginLoad(false);
    ApplyEqualizer(*wnd_, wnd_->Player().Equalizer());
    wnd_->Model().LoadInfoCache(options_.files.infoCachePath);

    if (startCd) {
        wnd_->LoadUserList(options_.files.userListPath, options_.section, true);
        wnd_->EnterCdMode(options_.commandLine.cd);
    } else {
        LoadStartList();
    }
    UpdateStatus(true);
    if (wnd_->PlaylistAtStartup == 1 && !wnd_->InCdMode())
        OpenPlaylistWindow();
    if (wnd_->EQAtStartup == 1 && !wnd_->InCdMode())
        OpenEqualizer();
    if (wnd_->BarAtStartup == 1)
        OpenMinibar(wnd_->InCdMode());

    if (wnd_->WAEmu == 1)
        CreateRemoteWindow();
    StartMpris();
    FollowPlayState();
    StartAutomation();
    wnd_->SetInitialised();
}

// The command-line path, or the saved list. A path that opens nothing (a
// typo, a vanished file, a pipe, an empty folder) would leave the list empty
// and the exit would save that over the user's list: the saved list is
// restored instead, as if no path had been given. A folder is scanned in the
// background, so the list is judged once the scan has filled it.
void TrayApp::LoadStartList() {
    const CommandLine& line = options_.commandLine;
    if (!line.path) {
        wnd_->LoadUserList(options_.files.userListPath, options_.section, false);
        return;
    }
    const std::string path = *line.path;
    wnd_->OpenCommandLinePath(path, line.add);
    wnd_->RunAfterLoads([this, path] {
        if (wnd_->Count() > 0)
            return;
        std::fprintf(stderr, "zeb: nothing could be opened from %s (%s); the saved list is used\n",
                     path.c_str(), WhyNothingOpened(path).c_str());
        wnd_->LoadUserList(options_.files.userListPath, options_.section, false);
    });
}

void TrayApp::ApplyProcessPriority() {
    // Raising the priority needs privileges; without them the normal one stays.
    int nice = wnd_->HighPriority == 1 ? kHighPriorityNice : 0;
    if (::getpriority(PRIO_PROCESS, 0) != nice)
        ::setpriority(PRIO_PROCESS, 0, nice);
}

void TrayApp::LoadImages() {
    images_ = LoadSkinIcons(wnd_->CurrentSkin);
}

// ------------------------------------------------------------------ tray icon

void TrayApp::CreateTrayIcon() {
    // Our own XEmbed icon sees raw presses; a desktop that only offers a
    // StatusNotifier host gets QSystemTrayIcon. Without any tray the XEmbed
    // icon waits on X11 and docks when a tray host appears.
    if (QGuiApplication::platformName() == "xcb") {
        auto xembed = std::make_unique<XEmbedTrayIcon>();
        tray_ = std::move(xembed);
    } else if (QtSystemTrayIcon::Available()) {
        tray_ = std::make_unique<QtSystemTrayIcon>();
    }
    ShowTrayIcon();
    if (tray_ && !tray_->IsDocked() && tray_->Capabilities().pressRelease &&
        QtSystemTrayIcon::Available()) {
        tray_->Hide();
        tray_ = std::make_unique<QtSystemTrayIcon>();
        ShowTrayIcon();
    }
}

void TrayApp::ShowTrayIcon() {
    trayShown_ = true;
    if (!tray_)
        return;
    ConnectTrayEvents();
    shownIcon_ = TrayIconKind::Stopped;
    tray_->SetIcon(images_.stopped);
    tray_->SetToolTip(tooltip_);
    tray_->Show();
}

void TrayApp::RemoveTrayIcon() {
    trayShown_ = false;
    if (tray_)
        tray_->Hide();
}

void TrayApp::SetTrayImage(TrayIconKind kind) {
    shownIcon_ = kind;
    if (!tray_)
        return;
    switch (kind) {
    case TrayIconKind::Playing:
        tray_->SetIcon(images_.playing);
        break;
    case TrayIconKind::Paused:
        tray_->SetIcon(images_.paused);
        break;
    case TrayIconKind::Stopped:
        tray_->SetIcon(images_.stopped);
        break;
    }
}

void TrayApp::ConnectTrayEvents() {
    TrayCallbacks callbacks;
    callbacks.buttonDown = [this](TrayButton button, int x, int y) {
        trayPoint_ = QPoint(x, y);
        if (button != TrayButton::Middle)
            clicks_->OnButtonDown(button == TrayButton::Right);
    };
    callbacks.buttonUp = [this](TrayButton button, int x, int y) {
        trayPoint_ = QPoint(x, y);
        if (button != TrayButton::Middle)
            clicks_->OnButtonUp(button == TrayButton::Right);
    };
    callbacks.move = [this](int x, int y) {
        trayPoint_ = QPoint(x, y);
        if (tray_)
            tray_->SetToolTip(tooltip_);
        clicks_->OnMove();
    };
    callbacks.activated = [this](TrayActivation activation) { OnTrayActivated(activation); };
    tray_->SetCallbacks(std::move(callbacks));
}

// A tray that only reports activations: each click and double click counts
// as one left click of a series, the context request as one right click.
// There are no holds, and the menu opens where the pointer is.
void TrayApp::OnTrayActivated(TrayActivation activation) {
    trayPoint_ = QCursor::pos();
    bool right = activation == TrayActivation::Context;
    if (activation == TrayActivation::Middle)
        return;
    if (activation == TrayActivation::DoubleClick) {
        // The host reported the first click of the pair as a click already.
        clicks_->OnButtonDown(false);
        clicks_->OnButtonUp(false);
        return;
    }
    clicks_->OnButtonDown(right);
    clicks_->OnButtonUp(right);
}

void TrayApp::StartTimer(int id, int ms) {
    QTimer*& timer = clickTimers_[id];
    if (!timer) {
        timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this, id] { clicks_->OnTimer(id); });
    }
    timer->start(ms);
}

void TrayApp::StopTimer(int id) {
    if (auto it = clickTimers_.find(id); it != clickTimers_.end())
        it->second->stop();
}

void TrayApp::HoldStep(bool forward, int pressAndHold) {
    constexpr int kHoldVolumeStep = 2;
    if (pressAndHold == 1)
        wnd_->StepVolume(forward ? kHoldVolumeStep : -kHoldVolumeStep);
    else if (pressAndHold == 0 && (wnd_->Count() > 0 || wnd_->InCdMode()))
        wnd_->SeekStep(forward ? 1 : -1);
}

void TrayApp::DoClickAction(int action) {
    enum : int {
        kNothing,
        kPlayPause,
        kStopPlay,
        kPrevious,
        kNext,
        kTracks,
        kMinibar,
        kPlaylist,
        kEqualizer,
        kMp3Info,
        kMainMenu,
        kAlbum
    };
    switch (action) {
    case kPlayPause:
        wnd_->PlayPause();
        break;
    case kStopPlay:
        wnd_->StopPlay();
        break;
    case kPrevious:
        wnd_->StepTrack(false);
        break;
    case kNext:
        wnd_->StepTrack(true);
        break;
    case kTracks:
        ShowTracksMenu(MenuPlace::TrayPoint, false);
        break;
    case kMainMenu:
        ShowMainMenu(MenuPlace::TrayPoint);
        break;
    case kAlbum:
        ShowTracksMenu(MenuPlace::TrayPoint, true);
        break;
    case kPlaylist:
        if (!wnd_->InCdMode())
            OpenOrClosePlaylistWindow();
        break;
    case kMp3Info:
        if (!wnd_->InCdMode())
            ToggleMp3Info();
        break;
    case kEqualizer:
        OpenOrCloseEqualizer();
        break;
    case kMinibar:
        ToggleMinibar(wnd_->InCdMode());
        break;
    default:
        break;
    }
}

// ------------------------------------------------------------------ status

void TrayApp::UpdateStatus(bool refreshIcon) {
    if (!wnd_)
        return;
    if (wnd_->InCdMode()) {
        if (std::optional<CdStatus> status = wnd_->Cd().Status())
            ApplyCdStatus(*status, refreshIcon);
        FollowPlayState();
        return;
    }
    if (wnd_->Count() > 0)
        EnsureCurrentInfoLine(*wnd_);
    CMpegPlayer& player = wnd_->Player();
    ApplyStatus(ComputeStatus(*wnd_, player.GetState(), player.PositionMs(), player.LengthMs(),
                              player.CurrentHeader()),
                refreshIcon);
    FollowPlayState();
}

void TrayApp::ApplyStatus(const StatusSnapshot& status, bool refreshIcon) {
    if (mpris_)
        mpris_->NotifyChanged();
    FeedMinibar(status.minibarTitle, status.minibarTime, status.minibarPerMille);
    if (mainWindow_)
        mainWindow_->SetName(Text(status.mainWindowText));
    if (status.emptyList) {
        if (trayShown_)
            SetTrayImage(TrayIconKind::Stopped);
        return;
    }
    const QString shownTip = tooltip_;
    if (status.hasTooltip)
        tooltip_ = Text(status.tooltip);
    streamInfo_ = status.streamInfo;
    if (infoWindow_)
        infoWindow_->RefreshMp3Info(streamInfo_);
    shownName_ = status.shownName;
    // The tip changes once a second at most; the other refreshes leave it.
    if (tray_ && trayShown_ && tooltip_ != shownTip)
        tray_->SetToolTip(tooltip_);
    if (refreshIcon && trayShown_)
        SetTrayImage(status.icon);
    if (remote_.Exists())
        remote_.SetTitle(Text(RemoteWindowTitle(shownName_)));
}

void TrayApp::ApplyCdStatus(const CdStatus& status, bool refreshIcon) {
    if (mpris_)
        mpris_->NotifyChanged();
    FeedMinibar(status.minibarTitle, status.minibarTime, status.minibarPerMille);
    const QString shownTip = tooltip_;
    tooltip_ = Text(status.tooltip);
    if (!status.stopped)
        shownName_ = status.nowPlaying;
    if (mainWindow_)
        mainWindow_->SetName(Text(status.mainWindowText));
    if (tray_ && trayShown_ && tooltip_ != shownTip)
        tray_->SetToolTip(tooltip_);
    if (trayShown_ && (refreshIcon || status.stopped))
        SetTrayImage(status.icon);
    if (!status.stopped && remote_.Exists())
        remote_.SetTitle(Text(RemoteWindowTitle(shownName_)));
}

bool TrayApp::WriteNowPlayingFile(bool exiting) {
    NowPlayingState state = NowPlayingState::Stopped;
    const bool cd = wnd_->InCdMode();
    const int playState = cd ? wnd_->Cd().State() : wnd_->Player().GetState();
    if (playState == (cd ? int(CdController::Playing) : int(CMpegPlayer::Playing)))
        state = NowPlayingState::Playing;
    else if (playState == (cd ? int(CdController::Paused) : int(CMpegPlayer::Paused)))
        state = NowPlayingState::Paused;
    return WriteNowPlaying(*wnd_, state, shownName_, exiting);
}

// ------------------------------------------------------------------ menus

void TrayApp::ShowMainMenu(MenuPlace where) {
    volumes_ = ListVolumes();
    images_.LoadMenuPictures();
    if (wnd_->InCdMode()) {
        const CdDiscMenu disc = wnd_->Cd().DiscMenu();
        PopupAt(BuildCdMenu(*wnd_, disc, where, volumes_, images_), where,
                where != MenuPlace::Minibar);
        return;
    }
    PopupAt(BuildMainMenu(*wnd_, where, volumes_, images_), where, where != MenuPlace::Minibar);
}

void TrayApp::ShowTracksMenu(MenuPlace where, bool album) {
    if (wnd_->InCdMode()) {
        PopupAt(BuildCdTracksMenu(*wnd_, wnd_->Cd().DiscMenu()), where, true);
        return;
    }
    if (std::unique_ptr<PopupMenu> menu = BuildTracksMenu(*wnd_, album))
        PopupAt(std::move(menu), where, true);
}

void TrayApp::PopupAt(std::unique_ptr<PopupMenu> menu, MenuPlace where, bool rightAlign) {
    if (!menu)
        return;
    if (openMenu_)
        openMenu_->close();
    PopupMenu* shown = menu.get();
    connect(shown, &PopupMenu::Triggered, this, [this](int id) {
        // Run the command once the menu has gone.
        QTimer::singleShot(0, this, [this, id] { DoCommand(id); });
    });
    connect(shown, &PopupMenu::Closed, this, [this, shown] {
        if (openMenu_.get() == shown)
            openMenu_.release()->deleteLater();
    });
    openMenu_ = std::move(menu);
    shown->Popup(MenuAnchor(where, trayPoint_), rightAlign);
}

// ------------------------------------------------------------------ commands

void TrayApp::DoCommand(int id) {
    if (shutDown_ || !wnd_)
        return;
    if (IsDriveCommand(id)) {
        size_t index = size_t(id - ID_DRIVE_FIRST);
        if (index < volumes_.size())
            wnd_->AddFolder(volumes_[index], wnd_->RandomFirst == 1, false, false);
        return;
    }
    switch (id) {
    case ID_EXIT:
        ExitProgram();
        return;
    case ID_ABOUT:
        about_.Show(wnd_->Language);
        return;
    case ID_OPEN_FILE:
        openCommands_->RunOpenFile();
        return;
    case ID_OPEN_FOLDER:
        openCommands_->RunOpenFolder();
        return;
    case ID_OPEN_URL:
        openCommands_->RunOpenAddress();
        return;
    case ID_PLAYLIST_WINDOW:
        OpenOrClosePlaylistWindow();
        return;
    case ID_MP3_INFO:
        ToggleMp3Info();
        return;
    case ID_CD_PLAYLIST:
        OpenCdPlaylistDialog();
        return;
    case ID_EQUALIZER:
        OpenOrCloseEqualizer();
        return;
    case ID_ADVANCED_SETTINGS:
        OpenAdvancedSettings();
        return;
    case ID_MINIBAR:
    case ID_CD_MINIBAR:
        ToggleMinibar(wnd_->InCdMode());
        return;
    case ID_FOLLOW_ACTIVE_WINDOW:
        wnd_->OnCommand(id);
        MinibarFollowChanged();
        return;
    case ID_AUTOMATION_SETUP:
        OpenAutomationDialog();
        return;
    case ID_AUTOMATION_RUN:
        RunAutomationAndSave();
        return;
    default:
        wnd_->OnCommand(id);
        return;
    }
}

// ------------------------------------------------------------------ hotkeys

void TrayApp::OnHotkey(int id) {
    if (shutDown_)
        return;
    // Volume and seek keys take their grab away while they act, so key
    // repeat does not pile up presses behind a slow step.
    bool repeating = IsRepeatingHotkey(id);
    if (repeating)
        hotkeys_.Unregister(id);
    constexpr int kVolumeStep = 5;
    switch (id) {
    case 101:
        if (wnd_->Count() > 0 || wnd_->InCdMode())
            wnd_->PlayPause();
        break;
    case 102:
        wnd_->StopCommand();
        break;
    case 103:
        wnd_->StepTrack(false);
        break;
    case 104:
        wnd_->StepTrack(true);
        break;
    case 201:
        wnd_->StepVolume(kVolumeStep);
        break;
    case 202:
        wnd_->StepVolume(-kVolumeStep);
        break;
    case 301:
        DoCommand(ID_OPEN_FILE);
        break;
    case 302:
        DoCommand(ID_OPEN_FOLDER);
        break;
    case 303:
        DoCommand(ID_OPEN_URL);
        break;
    case 401:
        wnd_->OnCommand(ID_SHUFFLE);
        break;
    case 701:
        CycleRepeat(*wnd_);
        break;
    case HK_PLAYLIST:
        if (!wnd_->InCdMode())
            OpenOrClosePlaylistWindow();
        break;
    case 1001:
        ExitProgram();
        return;
    case 1201:
        CopyNowPlayingLine();
        break;
    case 1301:
        wnd_->SeekStep(1);
        break;
    case 1302:
        wnd_->SeekStep(-1);
        break;
    case 1401:
        ToggleTrayIcon();
        break;
    case 1501:
        ShowMainMenu(MenuPlace::NextToPanel);
        break;
    case 1502:
        ShowTracksMenu(MenuPlace::NextToPanel, false);
        break;
    case 1503:
        ShowTracksMenu(MenuPlace::NextToPanel, true);
        break;
    case 1601:
        if (!wnd_->InCdMode())
            wnd_->OnCommand(ID_ALBUM_MODE);
        break;
    case HK_MP3_INFO:
        if (!wnd_->InCdMode())
            ToggleMp3Info();
        break;
    case HK_EQUALIZER:
        OpenOrCloseEqualizer();
        break;
    case HK_SWITCH_MODE:
        wnd_->OnCommand(wnd_->InCdMode() ? ID_TO_MP3_MODE : ID_TO_CD_MODE);
        break;
    case HK_MINIBAR:
        ToggleMinibar(wnd_->InCdMode());
        break;
    default:
        break;
    }
    if (repeating && !scrollLock_)
        RegisterHotkey(hotkeys_, *wnd_, id);
}

bool TrayApp::EditHotkeys(QWidget* parent) {
    auto offWhileOpen = [this] {
        if (!scrollLock_)
            UnregisterAllHotkeys(hotkeys_);
    };
    auto onAgain = [this] {
        if (!scrollLock_)
            RegisterAllHotkeys(hotkeys_, *wnd_);
    };
    return RunHotkeyDialog(parent, *wnd_, offWhileOpen, onAgain);
}

// "np: " and the shown name, for pasting into a chat.
void TrayApp::CopyNowPlayingLine() {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText("np: " + Text(shownName_));
}

void TrayApp::ToggleTrayIcon() {
    if (trayShown_) {
        RemoveTrayIcon();
    } else {
        ShowTrayIcon();
        UpdateStatus(true);
    }
}

// ------------------------------------------------------------------ information window

void TrayApp::ToggleMp3Info() {
    if (infoWindow_) {
        CloseInfoWindow();
        return;
    }
    if (wnd_->Count() == 0)
        return;
    infoWindow_ = new Mp3InfoWindow(*wnd_);
    infoWindow_->RefreshMp3Info(streamInfo_);
    infoWindow_->show();
}

void TrayApp::MarkInfoWindowForReread() {
    if (infoWindow_)
        infoWindow_->MarkForReread();
}

// Closing stores the window's position in InfoX and InfoY; the window
// deletes itself once the event loop gets to it.
void TrayApp::CloseInfoWindow() {
    if (Mp3InfoWindow* window = infoWindow_) {
        infoWindow_ = nullptr;
        window->close();
    }
}

// ------------------------------------------------------------------ CD mode

// The disc is read digitally and played through the sound output, so the
// output's line carries its volume in both modes; the mixer is opened anew.
void TrayApp::CdModeChanged(bool cdMode) {
    ReopenMixer();
    SwapMinibar(cdMode);
    if (cdMode) {
        CloseInfoWindow();
        CloseEqualizer();
        if (playlistWindow_) {
            RememberPlaylistWindow();
            ClosePlaylistWindow();
        }
        return;
    }
    tooltip_ = "ZEB";
    if (tray_ && trayShown_) {
        tray_->SetToolTip(tooltip_);
        SetTrayImage(TrayIconKind::Stopped);
    }
}

// One dialog at most: the command gives an open one the focus. It needs a
// disc with an audio track.
void TrayApp::OpenCdPlaylistDialog() {
    if (!wnd_->InCdMode())
        return;
    if (!cdDialog_) {
        CdController& cd = wnd_->Cd();
        if (!cd.HasAudioTrack())
            return;
        cdDialog_ =
            new CdPlaylistDialog(cd.Titles(), cd.DiscKey(), cd.TrackLengths(), wnd_->Language != 0);
    }
    cdDialog_->show();
    cdDialog_->raise();
    cdDialog_->activateWindow();
}

// ------------------------------------------------------------------ remote control

void TrayApp::CreateRemoteWindow() {
    if (options_.runtimeFolder.empty())
        return;
    std::string error;
    if (!remote_.Create(
            options_.runtimeFolder,
            [this](const EndpointRequest& request) {
                return shutDown_ ? 0 : AnswerRemoteRequest(*wnd_, *this, request);
            },
            &error))
        std::fprintf(stderr, "zeb: no remote-control endpoint: %s\n", error.c_str());
    else if (!shownName_.empty())
        remote_.SetTitle(Text(RemoteWindowTitle(shownName_)));
}

void TrayApp::FollowRemoteSetting() {
    if (wnd_->WAEmu == 1 && !remote_.Exists())
        CreateRemoteWindow();
    else if (wnd_->WAEmu != 1)
        remote_.Destroy();
}

// Desktop media keys and remotes reach the player over MPRIS; without a
// session bus there is none, and no connection is made.
void TrayApp::StartMpris() {
    if (!Mpris::SessionBusConfigured())
        return;
    mprisPlayer_ = std::make_unique<MainWndMprisPlayer>(*wnd_, [this] { Exit(); });
    mpris_ = std::make_unique<Mpris>(*mprisPlayer_);
    if (!mpris_->Register())
        mpris_.reset();
}

void TrayApp::Exit() {
    QTimer::singleShot(0, this, [this] { DoCommand(ID_EXIT); });
}

void TrayApp::OpenFileDialog() {
    QTimer::singleShot(0, this, [this] { DoCommand(ID_OPEN_FILE); });
}

void TrayApp::OpenAddressDialog() {
    QTimer::singleShot(0, this, [this] { DoCommand(ID_OPEN_URL); });
}

void TrayApp::TogglePlaylistWindow() {
    QTimer::singleShot(0, this, [this] { DoCommand(ID_PLAYLIST_WINDOW); });
}

// ------------------------------------------------------------------ playlist window

void TrayApp::OpenOrClosePlaylistWindow() {
    if (playlistWindow_)
        ClosePlaylistWindow();
    else
        OpenPlaylistWindow();
}

void TrayApp::OpenPlaylistWindow() {
    if (playlistWindow_)
        return;
    playlistWindow_ = new PlaylistWindow(*wnd_);
    // Closed by the user, the window deletes itself at the next turn of the
    // event loop; until then it is kept apart.
    connect(playlistWindow_, &PlaylistWindow::Closed, this, [this] {
        closedPlaylistWindow_ = playlistWindow_.data();
        playlistWindow_ = nullptr;
    });
    playlistWindow_->show();
    playlistWindow_->activateWindow();
}

// Closing stores the placement; the window goes at once, not at the next
// turn of the event loop, which may not come at exit.
void TrayApp::ClosePlaylistWindow() {
    PlaylistWindow* window = playlistWindow_;
    if (!window)
        return;
    window->close();
    delete window;
    playlistWindow_ = nullptr;
}

// The window works on the main window's list: it must not outlive it, even
// when it was closed just before.
void TrayApp::DestroyPlaylistWindows() {
    ClosePlaylistWindow();
    delete closedPlaylistWindow_.data();
}

void TrayApp::RememberPlaylistWindow() {
    wnd_->PlaylistAtStartup = playlistWindow_ ? 1 : 0;
    if (playlistWindow_)
        playlistWindow_->StorePlacement();
}

// The open windows' places and start-up flags, for a save while they stay open.
void TrayApp::RememberToolWindows() {
    RememberPlaylistWindow();
    RememberEqualizer();
    if (infoWindow_)
        infoWindow_->StorePosition();
    RememberMinibar();
}

void TrayApp::RedrawPlaylistWindow() {
    if (playlistWindow_)
        playlistWindow_->Redraw();
}

void TrayApp::RefillPlaylistWindow(bool appended) {
    if (playlistWindow_)
        playlistWindow_->Refill(appended);
}

bool TrayApp::ToolWindowOpen(int commandId) const {
    switch (commandId) {
    case ID_PLAYLIST_WINDOW:
        return playlistWindow_ != nullptr;
    case ID_MP3_INFO:
        return infoWindow_ != nullptr;
    case ID_EQUALIZER:
        return equalizerWindow_ != nullptr;
    case ID_MINIBAR:
    case ID_CD_MINIBAR:
        return minibar_ != nullptr;
    default:
        return false;
    }
}

// ------------------------------------------------------------------ endpoint

void TrayApp::StartEndpoint() {
    if (options_.endpointPath.empty())
        return;
    std::string error;
    if (!endpoint_.Listen(options_.endpointPath, &error)) {
        std::fprintf(stderr, "zeb: no endpoint for other instances: %s\n", error.c_str());
        return;
    }
    endpointNotifier_ = new QSocketNotifier(endpoint_.Fd(), QSocketNotifier::Read, this);
    connect(endpointNotifier_, &QSocketNotifier::activated, this,
            [this] { endpoint_.HandleEvents(); });
}

int32_t TrayApp::OnEndpointRequest(const EndpointRequest& request) {
    if (shutDown_ || !wnd_)
        return 0;
    switch (request.message) {
    case kWmCopyData:
        return wnd_->OnHandover(request.payload);
    case kWmCommand: {
        // Commands run from the event loop, outside the endpoint's handler.
        int id = int(request.wParam & 0xFFFF);
        QTimer::singleShot(0, this, [this, id] { DoCommand(id); });
        return 0;
    }
    default:
        return 0;
    }
}

// ------------------------------------------------------------------ host

void TrayApp::ShowMessage(int stringId, MessageIcon icon) {
    int language = wnd_ ? wnd_->Language : 0;
    QMessageBox box(icon == MessageIcon::Error ? QMessageBox::Critical : QMessageBox::Warning,
                    "ZEB", Text(UiString(language, stringId)), QMessageBox::Ok);
    box.exec();
}

// Calls that arrive after the exit sequence (a track's end, the step after
// the gap) find nothing left to act on and are dropped.
void TrayApp::PostToUiThread(std::function<void()> call) {
    QMetaObject::invokeMethod(
        this,
        [this, call = std::move(call)] {
            if (!shutDown_)
                call();
        },
        Qt::QueuedConnection);
}

void TrayApp::RunAfter(int ms, std::function<void()> call) {
    QTimer::singleShot(std::max(ms, 0), this, [this, call = std::move(call)] {
        if (!shutDown_)
            call();
    });
}

void TrayApp::ExitProgram() {
    Shutdown();
    emit Finished();
}

void TrayApp::RequestPowerOff() {
    std::string error;
    if (RequestSystemPowerOff(&error))
        return;
    std::fprintf(stderr, "zeb: the computer could not be switched off: %s\n", error.c_str());
    ShowMessage(IDS_POWER_OFF_REFUSED, MessageIcon::Error);
}

void TrayApp::StartHandoverTimer() {
    handoverTimer_.start();
}

void TrayApp::StopHandoverTimer() {
    handoverTimer_.stop();
}

void TrayApp::RunInBackground(std::function<void()> work, std::function<void()> done) {
    // The window starts a scan only when the one before has delivered.
    if (backgroundWork_.joinable())
        backgroundWork_.join();
    backgroundWork_ = std::thread([this, work = std::move(work), done = std::move(done)] {
        work();
        PostToUiThread(done);
    });
}

void TrayApp::StopBackgroundWork() {
    if (wnd_)
        wnd_->CancelFolderScan();
    if (backgroundWork_.joinable())
        backgroundWork_.join();
}

// ------------------------------------------------------------------ exit

// The settings, the list with its current entry, the info cache and the
// exit flags. The start-up flags of the windows that do not exist yet keep
// the values read.
void TrayApp::SaveFiles() {
    const ProgramFiles& files = options_.files;
    if (!wnd_->SaveSettingsAndList(ini_, options_.section, files.userListPath, files.infoCachePath))
        std::fprintf(stderr, "zeb: the settings or the list could not be saved in %s\n",
                     files.folder.c_str());
    wnd_->SaveExitFlags(ini_, options_.section);
}

void TrayApp::SaveBeforeAbruptEnd() {
    if (shutDown_ || !wnd_)
        return;
    shutDown_ = true;
    wnd_->Model().StopInfoScanner();
    wnd_->Player().Stop();
    if (wnd_->InCdMode())
        wnd_->Cd().CloseDevice();
    RememberToolWindows();
    SaveFiles();
}

void TrayApp::SaveForSession() {
    if (shutDown_ || !wnd_)
        return;
    RememberToolWindows();
    SaveFiles();
}

void TrayApp::Shutdown() {
    if (shutDown_ || !wnd_)
        return;
    shutDown_ = true;
    statusTimer_.stop();
    handoverTimer_.stop();
    nowPlayingTimer_.stop();
    for (auto& [id, timer] : clickTimers_)
        timer->stop();
    StopAutomation();
    wnd_->Model().StopInfoScanner();
    StopBackgroundWork();
    about_.Close();
    if (openMenu_)
        openMenu_->close();
    // The tool windows close before saving, so that their placement is
    // saved too; the event loop may not run again, so they go at once.
    if (Mp3InfoWindow* window = infoWindow_) {
        CloseInfoWindow();
        delete window;
    }
    RememberPlaylistWindow();
    DestroyPlaylistWindows();
    RememberEqualizer();
    DestroyEqualizerWindows();
    RememberMinibar();
    CloseMinibar();
    delete cdDialog_.data();
    CloseAdvancedSettings();
    if (wnd_->InCdMode())
        wnd_->Cd().CloseDevice();
    SaveFiles();
    UnregisterAllHotkeys(hotkeys_);
    remote_.Destroy();
    if (mpris_)
        mpris_->Unregister();
    if (wnd_->W2Fenabled == 1)
        WriteNowPlayingFile(true);
    RemoveTrayIcon();
    wnd_->Player().Stop();
    CloseMixer();
    delete endpointNotifier_;
    endpointNotifier_ = nullptr;
    endpoint_.Close();
}

} // namespace zeb
