#pragma once

#include "system/Mpris.h"

#include <functional>

namespace zeb {

class CMainWnd;

// The main window as the media-player bus interface drives it. `quit` runs
// the program's exit sequence (the tray program queues it).
class MainWndMprisPlayer : public MprisPlayer {
public:
    MainWndMprisPlayer(CMainWnd& wnd, std::function<void()> quit);

    void PlayPause() override;
    void Play() override;
    // Pauses a playing track; unlike the menu's Pause it never resumes.
    void Pause() override;
    void Stop() override;
    void Next() override;
    void Previous() override;
    // A file:// URL opens the file, http:// and ftp:// addresses the address;
    // either replaces the list and plays.
    void OpenUri(const std::string& uri) override;
    void Quit() override;

    Status PlaybackStatus() const override;
    MprisTrack Track() const override;
    int VolumePercent() const override;
    int ReadVolumePercent() override;
    void SetVolumePercent(int percent) override;
    int64_t PositionUs() const override;
    // The engine seeks by whole percents of the track.
    void SeekTo(int64_t positionUs) override;

private:
    CMainWnd& wnd_;
    std::function<void()> quit_;
};

} // namespace zeb
