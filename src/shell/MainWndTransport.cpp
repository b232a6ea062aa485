// The player commands of the main window: transport, stepping, choosing an
// entry, the end of a track and the after-playback actions.
#include "engine/MixerVolume.h"
#include "playlist/AnsiCodePage.h"
#include "resources/ResourceIds.h"
#include "shell/CdController.h"
#include "shell/MainWnd.h"

#include <algorithm>
#include <memory>

namespace zeb {

namespace {

constexpr int kStringRepeatSwitchedOff = 17;
// The longest pause between tracks the settings offer.
constexpr int kMaxGapMs = 10000;
// A seek step on a disc moves this far inside the track.
constexpr int kCdSeekSeconds = 5;

} // namespace

CMainWnd::CMainWnd(MainWndHost& host, uint32_t randomSeed, std::string cdTitlesPath)
    : host_(host), random_(randomSeed), shuffle_(random_),
      cd_(std::make_unique<CdController>(
          *this, host, random_, [this] { CheckAfterPlayback(); }, std::move(cdTitlesPath))) {
    // Read on the decoding thread as it ends: the play the end belongs to.
    player_.SetNotify([this] {
        uint64_t play = playSerial_.load();
        endedPlay_ = play;
        host_.PostToUiThread([this, play] { OnPlayEnded(play); });
    });
}

CMainWnd::~CMainWnd() {
    CancelOpenSearch();
    model_.StopInfoScanner();
    player_.SetNotify({});
    player_.Stop();
}

// Every stop ends the current play: an end the engine reported for it but
// not yet handled is stale from now on. Stop joins the decoding thread, so
// that thread has read the serial before it changes. True when the play had
// ended by itself and its next step was still to come: for the user the
// list was still playing.
bool CMainWnd::StopEngine() {
    player_.Stop();
    bool endedBeforeItsStep = endedPlay_ == playSerial_;
    ++playSerial_;
    return endedBeforeItsStep;
}

bool CMainWnd::IsPlayingOrPaused() const {
    int s = player_.GetState();
    return s == CMpegPlayer::Playing || s == CMpegPlayer::Paused;
}

// Hands the settings the engine takes at play to it, prepares the output and plays.
void CMainWnd::StartEngine() {
    player_.SetBufferLevels(Buffers, InputBuffers);
    player_.SetForceMono(ForceMono);
    player_.SetDownsampling(Downsampling);
    player_.SetPriority(Priority);
    PrepareOutput();
    player_.Play();
}

// ------------------------------------------------------------- transport

// Play, Play/Pause and Stop/Play start the current entry without testing
// whether it opened: a failed open ends the track at once and the end of
// track moves on.
void CMainWnd::StartCurrentEntry() {
    StopEngine(); // a track that has just ended begins no further step
    RunOpenSearch({OnlyEntry(CurrentIndex()), [this](bool) {
                       StartEngine();
                       Update();
                   }});
}

void CMainWnd::ShowNewCurrentEntry() {
    SetCurrentTitles(model_.PathAt(CurrentIndex()));
    Update();
    host_.RedrawPlaylistWindow();
}

void CMainWnd::Play() {
    if (InCdMode()) {
        cd_->Play();
        return;
    }
    if (Count() == 0)
        return;
    switch (player_.GetState()) {
    case CMpegPlayer::Stopped:
        StartCurrentEntry();
        break;
    case CMpegPlayer::Playing:
        StartCurrentEntry();
        break;
    case CMpegPlayer::Paused:
        player_.Resume();
        break;
    default:
        break;
    }
    Update();
}

void CMainWnd::Pause() {
    if (InCdMode()) {
        cd_->Pause();
        return;
    }
    if (Count() == 0)
        return;
    int s = player_.GetState();
    if (s == CMpegPlayer::Playing)
        player_.Pause();
    else if (s == CMpegPlayer::Paused)
        player_.Resume();
    Update();
}

void CMainWnd::StopCommand() {
    if (InCdMode()) {
        cd_->Stop();
        return;
    }
    if (Count() == 0)
        return;
    CancelOpenSearch();
    // Stopped: a track that has just ended does not go on to the next one.
    if (player_.GetState() != CMpegPlayer::Opened)
        StopEngine();
    Update();
}

void CMainWnd::PlayPause() {
    if (InCdMode()) {
        cd_->PlayPause();
        return;
    }
    if (Count() == 0)
        return;
    if (searching_) {
        // Waiting for an address counts as playing: the command holds it.
        CancelOpenSearch();
        Update();
        return;
    }
    switch (player_.GetState()) {
    case CMpegPlayer::Stopped:
        StartCurrentEntry();
        break;
    case CMpegPlayer::Playing:
        player_.Pause();
        break;
    case CMpegPlayer::Paused:
        player_.Resume();
        break;
    default:
        break;
    }
    Update();
}

void CMainWnd::StopPlay() {
    if (InCdMode()) {
        cd_->StopPlay();
        return;
    }
    if (Count() == 0)
        return;
    int s = player_.GetState();
    if (searching_) {
        CancelOpenSearch();
    } else if (s == CMpegPlayer::Stopped) {
        StartCurrentEntry();
    } else if (s != CMpegPlayer::Opened) {
        StopEngine();
    }
    Update();
}

// ------------------------------------------------------------- stepping

int CMainWnd::AdvanceInRange(int index, bool forward) const {
    int first = 0, last = 0;
    GetAlbumRange(first, last, false, index);
    if (forward)
        return index >= last ? first : index + 1;
    return index <= first ? last : index - 1;
}

int CMainWnd::NextForStep(bool forward) {
    if (ShuffleMode == 1)
        return NextShuffleIndex(forward, false);
    return AdvanceInRange(CurrentIndex(), forward);
}

void CMainWnd::StepTrack(bool forward) {
    if (InCdMode()) {
        cd_->Step(forward);
        return;
    }
    int n = Count();
    if (n < 2)
        return;
    // A step while an address opens goes on playing, like one while playing.
    bool wasRunning = IsPlayingOrPaused() || searching_;
    CancelOpenSearch();
    if (StopEngine())
        wasRunning = true;
    if (!wasRunning) {
        SetCurrentIndex(NextForStep(forward));
        player_.SetSource(model_.PathAt(CurrentIndex()));
        ShowNewCurrentEntry();
        return;
    }
    RunOpenSearch({[this, forward, attemptsLeft = 2 * n]() mutable {
                       if (attemptsLeft-- == 0)
                           return -1;
                       SetCurrentIndex(NextForStep(forward));
                       return CurrentIndex();
                   },
                   [this](bool opened) {
                       if (opened)
                           StartEngine();
                       ShowNewCurrentEntry();
                   }});
}

void CMainWnd::SelectTrack(int index) {
    int n = Count();
    if (index < 0 || index >= n)
        return;
    CancelOpenSearch();
    SetCurrentIndex(index);
    StopEngine();
    RunOpenSearch({[this, n, attempt = 0]() mutable {
                       if (attempt == 2 * n)
                           return -1;
                       if (attempt++ > 0)
                           SetCurrentIndex(NextForStep(true));
                       return CurrentIndex();
                   },
                   [this](bool opened) {
                       if (opened)
                           StartEngine();
                       ShowNewCurrentEntry();
                   }});
}

// The next entry after a track ended, or -1 when the list is finished (the
// first entry of the range is then the engine's source), the attempts are
// used up, or the program closes.
int CMainWnd::NextAfterTrackEnd(int& attemptsLeft, bool& closing) {
    if (attemptsLeft-- == 0)
        return -1;
    bool finished = false;
    if (ShuffleMode == 1) {
        SetCurrentIndex(NextShuffleIndex(true, false));
        finished = CurrentIndex() == shuffleStart_ && Repeat != 1;
    } else {
        int first = 0, last = 0;
        GetAlbumRange(first, last, false);
        if (CurrentIndex() >= last) {
            SetCurrentIndex(first);
            finished = Repeat != 1;
        } else {
            SetCurrentIndex(CurrentIndex() + 1);
        }
    }
    if (!finished)
        return CurrentIndex();
    closing = CheckAfterPlayback();
    if (!closing)
        player_.SetSource(model_.PathAt(CurrentIndex()));
    return -1;
}

// An end that belongs to an earlier play (a command stopped or replaced it
// since) is dropped. The gap runs on a timer, so the interface stays live;
// a command given during it ends the play, and the step is dropped too.
void CMainWnd::OnPlayEnded(uint64_t play) {
    if (play != playSerial_)
        return;
    int gap = std::clamp(Gap, 0, kMaxGapMs);
    if (gap == 0) {
        OnTrackEnd();
        return;
    }
    host_.RunAfter(gap, [this, play] {
        if (play == playSerial_)
            OnTrackEnd();
    });
}

void CMainWnd::OnTrackEnd() {
    CancelOpenSearch();
    int n = Count();
    if (n == 0) {
        Update();
        host_.RedrawPlaylistWindow();
        return;
    }
    StopEngine();
    if (RepeatTrack == 1) {
        RunOpenSearch({OnlyEntry(CurrentIndex()), [this](bool opened) {
                           if (opened)
                               StartEngine();
                           Update();
                           host_.RedrawPlaylistWindow();
                       }});
        return;
    }
    auto closing = std::make_shared<bool>(false);
    RunOpenSearch({[this, closing, attemptsLeft = 2 * n]() mutable {
                       return NextAfterTrackEnd(attemptsLeft, *closing);
                   },
                   [this, closing](bool opened) {
                       if (*closing)
                           return;
                       if (opened)
                           StartEngine();
                       ShowNewCurrentEntry();
                   }});
}

// ------------------------------------------------------------- play modes

void CMainWnd::ToggleRepeatList() {
    if (Repeat == 1) {
        Repeat = 0;
    } else {
        Repeat = 1;
        RepeatTrack = 0;
    }
}

void CMainWnd::ToggleRepeatTrack() {
    if (RepeatTrack == 1) {
        RepeatTrack = 0;
    } else {
        RepeatTrack = 1;
        Repeat = 0;
    }
}

// Switching an after-playback action on while a repeat mode is on would
// never let the list end: the repeat modes go off, and the user is told.
static bool SwitchOffRepeat(int& repeat, int& repeatTrack) {
    if (repeat != 1 && repeatTrack != 1)
        return false;
    repeat = 0;
    repeatTrack = 0;
    return true;
}

void CMainWnd::ToggleExitAfterPlayback() {
    exitAfterPlayback_ = !exitAfterPlayback_;
    switchOffAfterPlayback_ = false;
    if (exitAfterPlayback_ && SwitchOffRepeat(Repeat, RepeatTrack))
        host_.ShowMessage(kStringRepeatSwitchedOff, MainWndHost::MessageIcon::Exclamation);
}

void CMainWnd::ToggleSwitchOffAfterPlayback() {
    switchOffAfterPlayback_ = !switchOffAfterPlayback_;
    exitAfterPlayback_ = false;
    if (switchOffAfterPlayback_ && SwitchOffRepeat(Repeat, RepeatTrack))
        host_.ShowMessage(kStringRepeatSwitchedOff, MainWndHost::MessageIcon::Exclamation);
}

// Switching off is asked for before the exit sequence, while the program can
// still tell the user that the request was refused; the program ends either way.
bool CMainWnd::CheckAfterPlayback() {
    if (switchOffAfterPlayback_) {
        host_.RequestPowerOff();
        host_.ExitProgram();
        return true;
    }
    if (exitAfterPlayback_) {
        host_.ExitProgram();
        return true;
    }
    return false;
}

// ------------------------------------------------------------- volume and seek

void CMainWnd::SetMixer(CMixerVolume* mixer) {
    mixer_ = mixer;
    mixerLevel_ = -1;
    FollowMixer();
}

// The level is read back after each write: a percentage stored in the
// mixer's own units can read back a little lower, and that difference must
// not count as a change by someone else.
bool CMainWnd::FollowMixer() {
    if (!mixer_ || !mixer_->IsAvailable())
        return false;
    int level = std::clamp(mixer_->GetPercent(), 0, 100);
    if (level == mixerLevel_)
        return false;
    mixerLevel_ = level;
    bool changed = level != volume_;
    volume_ = level;
    return changed;
}

int CMainWnd::ReadVolume() {
    host_.NeedMixer();
    return volume_;
}

void CMainWnd::SetVolume(int volume) {
    host_.NeedMixer();
    volume_ = std::clamp(volume, 0, 100);
    if (mixer_ && mixer_->IsAvailable()) {
        mixer_->SetPercent(volume_);
        mixerLevel_ = std::clamp(mixer_->GetPercent(), 0, 100);
    }
    host_.UpdateStatus(false);
}

void CMainWnd::StepVolume(int delta) {
    host_.NeedMixer();
    FollowMixer();
    SetVolume(volume_ + delta);
}

void CMainWnd::SeekStep(int direction) {
    if (InCdMode()) {
        cd_->Seek(kCdSeekSeconds * direction);
        return;
    }
    if (Count() == 0)
        return;
    // Only a playing engine answers a seek; stepping is ignored otherwise.
    if (player_.GetState() == CMpegPlayer::Playing) {
        int lengthSeconds = std::max(1, player_.LengthMs() / 1000);
        int percent = (player_.PositionMs() / 10) / lengthSeconds + direction;
        player_.Seek(std::max(0, percent));
    }
    Update();
}

// ------------------------------------------------------------- commands

// What the displays show: time played or left, total time, which name.
bool CMainWnd::OnDisplayCommand(int id) {
    switch (id) {
    case ID_SHOW_TIME_PLAYED:
    case ID_SHOW_TIME_LEFT:
        ShowRemainingTime = id == ID_SHOW_TIME_LEFT ? 1 : 0;
        break;
    case ID_SHOW_TOTAL_TIME:
        ShowTTT = 1 - ShowTTT;
        break;
    case ID_SHOW_TITLE:
    case ID_SHOW_ARTIST_TITLE:
    case ID_SHOW_FILE_NAME:
        ShowingMode = id - ID_SHOW_TITLE;
        break;
    case ID_FOLLOW_ACTIVE_WINDOW:
        DockMinibar = 1 - DockMinibar;
        return true;
    case ID_TOGGLE_LANGUAGE:
        Language = Language == 0 ? 1 : 0;
        SetAnsiCodePageForLanguage(Language);
        return true;
    default:
        return false;
    }
    Update();
    return true;
}

bool CMainWnd::OnCommand(int id) {
    if (OnCdCommand(id))
        return true;
    if (OnDisplayCommand(id))
        return true;
    if (IsTrackCommand(id)) {
        SelectTrack(id - ID_TRACK_FIRST);
        return true;
    }
    if (IsRecentCommand(id)) {
        OpenRecent(id - ID_RECENT_FIRST);
        return true;
    }
    switch (id) {
    case ID_PLAY:
        Play();
        return true;
    case ID_PAUSE:
        Pause();
        return true;
    case ID_STOP:
        StopCommand();
        return true;
    case ID_PREVIOUS:
        StepTrack(false);
        return true;
    case ID_NEXT:
        StepTrack(true);
        return true;
    case ID_REPEAT_LIST:
        ToggleRepeatList();
        return true;
    case ID_REPEAT_TRACK:
        ToggleRepeatTrack();
        return true;
    case ID_SHUFFLE:
        ShuffleMode = 1 - ShuffleMode;
        return true;
    case ID_RANDOM_FIRST:
        RandomFirst = 1 - RandomFirst;
        return true;
    case ID_ALBUM_MODE:
        AlbumStop = 1 - AlbumStop;
        return true;
    case ID_EXIT_AFTER_PLAYBACK:
        ToggleExitAfterPlayback();
        return true;
    case ID_SHUTDOWN_AFTER_PLAYBACK:
        ToggleSwitchOffAfterPlayback();
        return true;
    default:
        return false;
    }
}

CMainWnd::MenuItemState CMainWnd::ItemState(int commandId) const {
    MenuItemState s;
    bool afterPlayback = exitAfterPlayback_ || switchOffAfterPlayback_;
    switch (commandId) {
    case ID_REPEAT_LIST:
        s.checked = Repeat == 1;
        s.grayed = afterPlayback;
        break;
    case ID_REPEAT_TRACK:
        s.checked = RepeatTrack == 1;
        s.grayed = afterPlayback;
        break;
    case ID_SHUFFLE:
        s.checked = ShuffleMode == 1;
        break;
    case ID_RANDOM_FIRST:
        s.checked = RandomFirst == 1;
        break;
    case ID_ALBUM_MODE:
        s.checked = AlbumStop == 1;
        break;
    case ID_EXIT_AFTER_PLAYBACK:
        s.checked = exitAfterPlayback_;
        break;
    case ID_SHUTDOWN_AFTER_PLAYBACK:
        s.checked = switchOffAfterPlayback_;
        break;
    case ID_EQUALIZER:
    case ID_PLAYLIST_WINDOW:
    case ID_MINIBAR:
    case ID_CD_MINIBAR:
        s.checked = host_.ToolWindowOpen(commandId);
        break;
    case ID_MP3_INFO:
        s.checked = host_.ToolWindowOpen(commandId);
        s.grayed = Count() == 0;
        break;
    default:
        break;
    }
    return s;
}

} // namespace zeb
