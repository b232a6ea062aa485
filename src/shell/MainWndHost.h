#pragma once

#include <functional>

namespace zeb {

// What the player's logic asks of the windows and the desktop around it.
// The tray program implements it with real windows; tests with a recorder.
class MainWndHost {
public:
    enum class MessageIcon { Error, Exclamation };

    virtual ~MainWndHost() = default;

    // Refreshes tooltip, minibar and window titles; refreshIcon also pushes
    // the tray icon.
    virtual void UpdateStatus(bool refreshIcon) = 0;
    // A message box with caption "ZEB" showing the string of this id in the
    // interface language.
    virtual void ShowMessage(int stringId, MessageIcon icon) = 0;
    // Runs `call` later on the user-interface thread; safe from any thread.
    virtual void PostToUiThread(std::function<void()> call) = 0;
    // Runs `call` on the user-interface thread once `ms` milliseconds have
    // passed (the gap between tracks), leaving the thread free meanwhile.
    virtual void RunAfter(int ms, std::function<void()> call) = 0;
    // Runs the exit sequence; the program then closes.
    virtual void ExitProgram() = 0;
    // Asks the system to switch the computer off.
    virtual void RequestPowerOff() = 0;
    // Runs `work` away from the user-interface thread, then `done` on it.
    // A host without threads of its own runs both at once, in order.
    virtual void RunInBackground(std::function<void()> work, std::function<void()> done) {
        work();
        done();
    }

    // Tool windows, when they exist.
    virtual void RedrawPlaylistWindow() {}
    // The entry count changed (a load, a removal): the playlist window
    // resets its rows. With `appended` the rows it had are unchanged and
    // keep their marks; the new ones follow them.
    virtual void RefillPlaylistWindow(bool /*appended*/) {}
    // The list was sorted without the playlist window's own command: the
    // window brings its first selected row (else the current entry's) to
    // the top and repaints.
    virtual void PlaylistSorted() {}
    virtual void MarkInfoWindowForReread() {}
    virtual void CloseInfoWindow() {}
    // True while the tool window that the window command `commandId` opens
    // exists (its menu item carries a check mark then).
    virtual bool ToolWindowOpen(int /*commandId*/) const { return false; }
    // The player entered or left CD mode: the mixer follows, the tool
    // windows of MP3 mode close on entering, the tray icon and tip reset on
    // leaving.
    virtual void CdModeChanged(bool /*cdMode*/) {}
    // The volume is about to be read or set: a host that opens its mixer
    // only when it is first needed opens it now (and hands it over with
    // CMainWnd::SetMixer).
    virtual void NeedMixer() {}
    // The hand-over window: started when a file arrived, it ends after 2
    // seconds with CMainWnd::EndHandoverWindow.
    virtual void StartHandoverTimer() {}
    virtual void StopHandoverTimer() {}
};

} // namespace zeb
