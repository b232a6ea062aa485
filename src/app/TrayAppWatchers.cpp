// What the tray program follows without asking every so often: the mixer
// through its change notifications, Scroll Lock through the keyboard's
// indicator events, and the status and now-playing timers, which run only
// while there is something to show. An idle player does not wake up.
#include "app/TrayApp.h"
#include "shell/HotkeyTable.h"
#include "system/Mpris.h"

#include <QSocketNotifier>
#include <algorithm>

namespace zeb {

namespace {

constexpr int kStatusTimerMs = 250;
// The playing position moves in steps, as the decoder reads a block's worth
// of frames at a time (under a tenth of a second at 44.1 kHz). The
// once-a-second refresh comes this long after the position's second would
// turn, so it finds the new second there rather than polling for it.
constexpr int kPositionStepMs = 100;

} // namespace

// ------------------------------------------------------------------ timers

// The status refresh runs while playing (in CD mode while the disc plays
// or is paused); it stops itself at its first tick after that.
bool TrayApp::StatusNeedsRefresh() const {
    if (wnd_->InCdMode())
        return wnd_->Cd().State() != CdController::Stopped;
    return wnd_->Player().GetState() == CMpegPlayer::Playing;
}

bool TrayApp::PlayingForNowPlaying() const {
    if (wnd_->InCdMode())
        return wnd_->Cd().State() == CdController::Playing;
    return wnd_->Player().GetState() == CMpegPlayer::Playing;
}

// While an MP3 plays, the tip and the window names change once a second, as
// the time in them does. Unless a window shows more than that (the
// minibar's seek bar, the information window's bit rate, the CD displays),
// the refresh comes once a second, after the position's second turns,
// instead of every 250 ms.
int TrayApp::NextStatusRefreshMs() const {
    if (wnd_->InCdMode() || minibar_ || infoWindow_)
        return kStatusTimerMs;
    const int intoSecond = std::max(0, wnd_->Player().PositionMs()) % 1000;
    return 1000 - intoSecond + kPositionStepMs;
}

// Every change of what the displays or the now-playing file show passes
// through UpdateStatus, which comes here: the timers start as needed. The
// once-a-second refresh is put on the position's next second each time.
void TrayApp::FollowPlayState() {
    if (shutDown_ || !wnd_)
        return;
    if (StatusNeedsRefresh()) {
        const int next = NextStatusRefreshMs();
        if (next != kStatusTimerMs || !statusTimer_.isActive())
            statusTimer_.start(next);
    }
    if (wnd_->W2Fenabled == 1 && !nowPlayingTimer_.isActive())
        nowPlayingTimer_.start();
}

void TrayApp::OnStatusTimer() {
    if (!wnd_)
        return;
    if (mixerNotifiers_.empty())
        FollowMixerLevel(); // a mixer that cannot announce changes is asked
    if (!StatusNeedsRefresh()) {
        statusTimer_.stop();
        return;
    }
    UpdateStatus(false);
}

// While playing the file is rewritten every second. Paused or stopped its
// line stays as it is until a command changes something, so once written
// the timer rests until UpdateStatus starts it again. A file that cannot be
// written is tried again on the next tick.
void TrayApp::OnNowPlayingTimer() {
    if (wnd_->W2Fenabled != 1 || wnd_->W2Ffile.empty()) {
        nowPlayingTimer_.stop();
        return;
    }
    if (WriteNowPlayingFile(false) && !PlayingForNowPlaying())
        nowPlayingTimer_.stop();
}

// ------------------------------------------------------------------ mixer

// The mixer is opened when something first needs the volume: a volume
// command, the minibar, or a media-player client asking for it. Opening it
// reads ALSA's configuration and connects to the sound server a second time,
// with a thread of its own; a player that only plays, with nothing showing
// the volume, does without them. Once open it stays open, so changes keep
// arriving.
void TrayApp::NeedMixer() {
    if (mixerOpened_ || shutDown_ || !wnd_)
        return;
    OpenMixer();
    // The level just read reaches media-player listeners; posted, as the
    // request may come from inside a media-player property read.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (mpris_)
                mpris_->NotifyChanged();
        },
        Qt::QueuedConnection);
}

void TrayApp::ReopenMixer() {
    if (mixerOpened_)
        OpenMixer();
}

// The mixer is opened on the output's line with its change notifications
// watched: a volume moved by the desktop reaches the player when it moves.
void TrayApp::OpenMixer() {
    CloseMixer();
    mixerOpened_ = true;
    mixer_.Open(false, wnd_->MDevice);
    wnd_->SetMixer(&mixer_);
    for (int fd : mixer_.EventDescriptors()) {
        auto* notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &TrayApp::OnMixerEvent);
        mixerNotifiers_.push_back(notifier);
    }
}

void TrayApp::CloseMixer() {
    StopWatchingMixer();
    if (wnd_)
        wnd_->SetMixer(nullptr);
    mixer_.Close();
}

void TrayApp::StopWatchingMixer() {
    for (QSocketNotifier* notifier : mixerNotifiers_)
        delete notifier;
    mixerNotifiers_.clear();
}

// A mixer whose card or sound server went away keeps its descriptors
// readable: they are let go rather than taken up over and over.
void TrayApp::OnMixerEvent() {
    if (!mixer_.HandleEvents()) {
        StopWatchingMixer();
        return;
    }
    FollowMixerLevel();
}

// The desktop's volume changes reach the media-player interface.
void TrayApp::FollowMixerLevel() {
    if (wnd_ && wnd_->FollowMixer() && mpris_)
        mpris_->NotifyChanged();
}

// ------------------------------------------------------------------ Scroll Lock

// Hotkeys are registered only while Scroll Lock is off. The indicator's
// changes are watched before its state is read, so none is missed.
void TrayApp::StartHotkeys() {
    connect(&hotkeys_, &GlobalHotkeys::Activated, this, &TrayApp::OnHotkey);
    connect(&hotkeys_, &GlobalHotkeys::IndicatorsChanged, this, &TrayApp::FollowScrollLock,
            Qt::QueuedConnection);
    hotkeys_.WatchIndicators();
    scrollLock_ = GlobalHotkeys::ScrollLockOn();
    if (!scrollLock_)
        RegisterAllHotkeys(hotkeys_, *wnd_);
}

void TrayApp::FollowScrollLock() {
    if (shutDown_ || !wnd_)
        return;
    bool on = GlobalHotkeys::ScrollLockOn();
    if (on == scrollLock_)
        return;
    scrollLock_ = on;
    if (on)
        UnregisterAllHotkeys(hotkeys_);
    else
        RegisterAllHotkeys(hotkeys_, *wnd_);
}

} // namespace zeb
