#pragma once

#include "app/RemoteWindow.h"
#include "engine/MixerVolume.h"
#include "platform/GlobalHotkeys.h"
#include "platform/IniFile.h"
#include "platform/MessageEndpoint.h"
#include "platform/ProgramFiles.h"
#include "platform/TrayIcon.h"
#include "shell/CdController.h"
#include "shell/CommandLine.h"
#include "shell/MainWnd.h"
#include "shell/MainWndHost.h"
#include "shell/RemoteControl.h"
#include "shell/StatusText.h"
#include "shell/TrayClicks.h"
#include "ui/AboutBox.h"
#include "ui/AdvancedSettingsDialog.h"
#include "ui/AutomationDialog.h"
#include "ui/CdPlaylistDialog.h"
#include "ui/EqualizerWindow.h"
#include "ui/Minibar.h"
#include "ui/Mp3InfoWindow.h"
#include "ui/OpenDialogs.h"
#include "ui/PlaylistWindow.h"
#include "ui/QtMainMenu.h"
#include "ui/SkinImages.h"

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QTimer>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

class QSocketNotifier;
class QWidget;

namespace zeb {

class Mpris;
class MainWndMprisPlayer;
class PopupMenu;
class X11Window;

// The tray program around the player's logic: the tray icon and its menus,
// the status displays, the timers, the "ZEBAppClass" endpoint that second
// instances talk to, start-up and the exit sequence.
class TrayApp : public QObject, public MainWndHost, private TrayClickHost, private RemoteActions {
    Q_OBJECT
public:
    struct Options {
        CommandLine commandLine;
        ProgramFiles files;
        std::string section;       // the settings section
        std::string endpointPath;  // empty: no endpoint (no runtime folder)
        std::string runtimeFolder; // with '/'; empty: no endpoints at all
    };

    explicit TrayApp(Options options);
    ~TrayApp() override;

    // Everything from reading the settings to the initialised flag.
    void Start();
    // The exit sequence; runs once. Saves the settings and the list.
    void Shutdown();
    // Only the saving part of the exit sequence, without touching the
    // display: for a process that is being ended because its display went.
    void SaveBeforeAbruptEnd();
    // Writes the settings, the list and the cache and goes on running: a
    // logout asks for this before it ends the session, and may be cancelled.
    void SaveForSession();

    // A command of the menus, the endpoint or (later) hotkeys.
    void DoCommand(int id);
    void ShowMainMenu(MenuPlace where);
    void ShowTracksMenu(MenuPlace where, bool album);
    // A tray click action by its number (0 nothing ... 11 album popup).
    void DoClickAction(int action) override;
    // A global hotkey by its id (101 Play/Pause ... 1601 album mode).
    void OnHotkey(int id);
    // The hotkey dialog; hotkeys are off while it is open. True on OK.
    bool EditHotkeys(QWidget* parent = nullptr);
    // Creates or removes the remote-control window to follow WAEmu (after
    // the settings changed).
    void FollowRemoteSetting();

    CMainWnd& Wnd() { return *wnd_; }

    // MainWndHost
    void UpdateStatus(bool refreshIcon) override;
    void ShowMessage(int stringId, MessageIcon icon) override;
    void PostToUiThread(std::function<void()> call) override;
    void RunAfter(int ms, std::function<void()> call) override;
    void ExitProgram() override;
    void RequestPowerOff() override;
    void StartHandoverTimer() override;
    void StopHandoverTimer() override;
    void RunInBackground(std::function<void()> work, std::function<void()> done) override;
    void RedrawPlaylistWindow() override;
    void RefillPlaylistWindow(bool appended) override;
    void MarkInfoWindowForReread() override;
    void CloseInfoWindow() override;
    bool ToolWindowOpen(int commandId) const override;
    void CdModeChanged(bool cdMode) override;
    void NeedMixer() override;

    // The playlist window while it is open, else nullptr.
    PlaylistWindow* PlaylistWindowShown() const { return playlistWindow_; }

signals:
    // The exit sequence has run; the event loop may end.
    void Finished();

private:
    void LoadStartList();
    void ApplyProcessPriority();
    void SaveFiles();
    void LoadImages();
    void CreateTrayIcon();
    void ShowTrayIcon();
    void RemoveTrayIcon();
    void SetTrayImage(TrayIconKind kind);
    void ConnectTrayEvents();
    void OnTrayActivated(TrayActivation activation);
    // TrayClickHost
    void StartTimer(int id, int ms) override;
    void StopTimer(int id) override;
    void ShowMainMenu() override { ShowMainMenu(MenuPlace::TrayPoint); }
    void HoldStep(bool forward, int pressAndHold) override;
    // RemoteActions: run from the event loop, outside the endpoint's handler
    void Exit() override;
    void OpenFileDialog() override;
    void OpenAddressDialog() override;
    void ToggleEqualizer() override;
    void TogglePlaylistWindow() override;
    void CreateRemoteWindow();
    // The playlist window: command 32802 opens it or closes it.
    void OpenOrClosePlaylistWindow();
    void OpenPlaylistWindow();
    void ClosePlaylistWindow();
    void DestroyPlaylistWindows();
    // PlaylistAtStartup and the window's placement, for saving.
    void RememberPlaylistWindow();
    void RememberToolWindows();
    // Command 32809: closes the information window when it is open, opens it
    // otherwise (only with entries in the list).
    void ToggleMp3Info();
    // Command 32921: the CD playlist dialog.
    void OpenCdPlaylistDialog();
    void CopyNowPlayingLine();
    void ToggleTrayIcon();
    void StartMpris();
    void StartEndpoint();
    int32_t OnEndpointRequest(const EndpointRequest& request);
    // True when the file holds the line.
    bool WriteNowPlayingFile(bool exiting);
    void PopupAt(std::unique_ptr<PopupMenu> menu, MenuPlace where, bool rightAlign);
    void ApplyStatus(const StatusSnapshot& status, bool refreshIcon);
    void ApplyCdStatus(const CdStatus& status, bool refreshIcon);
    // Cancels a folder scan and waits for its thread.
    void StopBackgroundWork();

    // ------------------------------------------------ equalizer window
    // Command 32791, hotkey 601 and click action 8: opens the window when it
    // is closed (not in CD mode), closes it when it is open.
    void OpenOrCloseEqualizer();
    void OpenEqualizer();
    // Closing stores the window's position; the window goes at once.
    void CloseEqualizer();
    // EQAtStartup and the window's position, for saving.
    void RememberEqualizer();
    void DestroyEqualizerWindows();
    QPointer<EqualizerWindow> equalizerWindow_;
    QPointer<EqualizerWindow> closedEqualizerWindow_; // closed, its deletion pending
    // ------------------------------------------------ end of equalizer window

    Options options_;
    IniFile ini_;
    std::unique_ptr<CMainWnd> wnd_;
    CMixerVolume mixer_;
    SkinImages images_;
    std::unique_ptr<TrayIcon> tray_;
    bool trayShown_ = false;
    QPoint trayPoint_;
    QString tooltip_ = "ZEB";
    TrayIconKind shownIcon_ = TrayIconKind::Stopped;
    // The hidden main window: never shown, it carries the window text.
    std::unique_ptr<X11Window> mainWindow_;
    std::string streamInfo_;
    std::string shownName_;
    MessageEndpoint endpoint_;
    QSocketNotifier* endpointNotifier_ = nullptr;
    QTimer statusTimer_;                 // timer 10
    QTimer handoverTimer_;               // timer 3
    QTimer nowPlayingTimer_;             // timer 11
    std::map<int, QTimer*> clickTimers_; // timers 1, 2, 6 and 7
    std::unique_ptr<TrayClicks> clicks_;
    RemoteWindow remote_;
    GlobalHotkeys hotkeys_;
    bool scrollLock_ = false;
    std::unique_ptr<MainWndMprisPlayer> mprisPlayer_;
    std::unique_ptr<Mpris> mpris_;
    std::unique_ptr<PopupMenu> openMenu_;
    std::vector<std::string> volumes_; // the scan-drive items of the last menu
    AboutBoxHolder about_;
    QPointer<Mp3InfoWindow> infoWindow_;
    std::unique_ptr<OpenCommands> openCommands_;
    QPointer<PlaylistWindow> playlistWindow_;
    QPointer<CdPlaylistDialog> cdDialog_;
    QPointer<PlaylistWindow> closedPlaylistWindow_; // closed, its deletion pending
    bool shutDown_ = false;
    std::thread backgroundWork_; // the folder scan of RunInBackground

    // ---------------------------------------------- advanced settings dialog
public:
    // Command 32875: opens the dialog, or gives the open one the focus.
    void OpenAdvancedSettings();

private:
    void CloseAdvancedSettings();
    // Shows the images of CurrentSkin at once.
    void ShowSkin();
    void ChangeCdDrive(const std::string& drive);
    // What the dialog's OK changed: mixer device, priorities, remote window.
    void ApplyAdvancedSettings(const MainWndSettings& before);
    QPointer<AdvancedSettingsDialog> advancedSettings_;

    // ---------------------------------------------------------- minibar
public:
    // Commands 32803 and 32917, the hotkey, the click action and the remote
    // control: closes the open minibar, else opens the one of the current mode.
    void ToggleMinibar(bool cdMinibar) override;
    // Puts the minibar back above other windows kept on top.
    void PutMinibarOnTop();
    // The minibar while it is open, else nullptr.
    Minibar* MinibarShown() const { return minibar_; }

private:
    void OpenMinibar(bool cd);
    void CloseMinibar();
    // Entering or leaving CD mode: the open minibar gives way to the other one.
    void SwapMinibar(bool cdMode);
    // BarAtStartup and the open bar's placement, for saving.
    void RememberMinibar();
    void FeedMinibar(const std::string& title, const std::string& time, int perMille);
    // DockMinibar was switched.
    void MinibarFollowChanged();
    void RunMinibarTool(MinibarTool tool);
    QPointer<Minibar> minibar_;
    // ---------------------------------------------------------- end of minibar
    // ---------------------------------------------------------- automation
public:
    // Command 32949: opens the dialog, or brings the open one to the front.
    void OpenAutomationDialog();
    // Command 32950 and timer 12: a run, then the settings and the list are
    // saved when AutSaveset is on.
    void RunAutomationAndSave();
    void PlaylistSorted() override;

private:
    // At start: timer 12 with the period then in force, and a run when
    // AutOnStart is on.
    void StartAutomation();
    void StopAutomation();
    void OnAutomationTimer();
    void RestartAutomationTimer();
    QTimer automationTimer_; // timer 12
    QPointer<AutomationDialog> automationDialog_;
    // ---------------------------------------------------------- end of automation
    // ---------------------------------------------------------- watchers
    // Nothing wakes the idle program: the timers run only while there is
    // something to show, Scroll Lock and the mixer are followed by events.
    bool StatusNeedsRefresh() const;
    int NextStatusRefreshMs() const;
    bool PlayingForNowPlaying() const;
    // Starts the status and now-playing timers as the state asks for them;
    // each stops itself once its work is done.
    void FollowPlayState();
    void OnStatusTimer();
    void OnNowPlayingTimer();
    // Opens the output's mixer line and watches its change notifications.
    void OpenMixer();
    // Opens it anew on another line or device, if it is open.
    void ReopenMixer();
    void CloseMixer();
    void StopWatchingMixer();
    void OnMixerEvent();
    void FollowMixerLevel();
    void StartHotkeys();
    void FollowScrollLock();
    std::vector<QSocketNotifier*> mixerNotifiers_;
    bool mixerOpened_ = false;
    // ---------------------------------------------------------- end of watchers
};

} // namespace zeb
