#pragma once

#include "cd/CdTitleDatabase.h"
#include "cd/CddbClient.h"
#include "cd/MciInterpreter.h"
#include "shell/MenuModel.h"
#include "shell/StatusText.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zeb {

class MainWndHost;
struct MainWndSettings;
class RandomGenerator;

// What the status displays show in CD mode.
struct CdStatus {
    bool stopped = true;
    TrayIconKind icon = TrayIconKind::Stopped;
    std::string tooltip;        // "ZEB CD" when stopped
    std::string mainWindowText; // "ZEB CD Player" or "ZEB: " + now-playing name
    std::string nowPlaying;     // artist - track name; empty when stopped
    std::string minibarTitle;   // "n. name"; empty when stopped
    std::string minibarTime;
    int minibarPerMille = 0;
};

// The disc's part of the CD menus: the disc line and one item per audio
// track, in the play order when the disc has one.
struct CdDiscMenu {
    bool listed = false;   // the disc has tracks (or order entries) to list
    bool hasAudio = false; // CDDB and the playlist dialog need an audio track
    // Items after the template's separator: the disc line and a separator
    // followed by the tracks, or "Data CD" alone.
    std::vector<MenuNode> items;
};

// The player's CD mode: the disc in the drive played track by track through
// MCI command strings ("play zeb from 3 to 4 notify", ...), the play order
// and shuffle over the disc, the names from the title database, the CDDB
// lookup and the CD status displays. Runs on the user-interface thread; the
// device's completion notices are posted to it.
class CdController {
public:
    enum PlayState { Stopped = 0, Playing = 1, Paused = 2 };
    static constexpr int kShuffleSlots = 100;
    static constexpr const char* kAlias = "zeb";

    // `afterPlayback` runs when a disc has been played to its end without
    // repeat (exit or switch-off, when the user asked for it).
    CdController(MainWndSettings& settings, MainWndHost& host, RandomGenerator& random,
                 std::function<void()> afterPlayback,
                 std::string titlesPath = CdTitleDatabase::DefaultPath());
    ~CdController();
    CdController(const CdController&) = delete;
    CdController& operator=(const CdController&) = delete;

    // ---------------------------------------------------------- drive
    // Keeps CDLetter when it names a CD drive or a disc image, else takes
    // the machine's first CD drive, else clears it.
    void ChooseDrive();
    bool HasDrive() const;
    // Another drive chosen in the settings: a playing disc stops and the
    // device is opened on the new drive.
    void ChangeDrive(const std::string& drive);

    // ---------------------------------------------------------- mode
    bool Active() const;
    // Enters CD mode: false (after the no-drive message) without a drive.
    // The caller has stopped MP3 playback and switched the windows.
    bool Enter(bool playNow);
    // Stops and closes the device and clears the mode flag.
    void Leave();
    // Stops and closes the device at exit; the mode flag stays for saving.
    void CloseDevice();
    // The lookup for a disc without a title, when AutoCDDB asks for it.
    void LookUpUnnamedDisc();

    // ---------------------------------------------------------- commands
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    // Stop when playing or paused, else play.
    void StopPlay();
    void Step(bool forward);
    void PlayTrack(int track);
    // Seeks `seconds` inside the current track (5 or -5); a paused or
    // stopped disc starts playing there.
    void Seek(int seconds);
    // Plays `track` from `seconds` into it to its end (the minibar's seek).
    void PlayFrom(int track, int seconds);
    // The track of the heard position, and a track's length in seconds.
    int PositionTrack();
    int TrackLengthSeconds(int track);
    void Eject();
    void CloseDoor();
    // Command 32919; false when the disc has no tracks.
    bool LookUpTitles();
    bool LookupRunning() const { return cddb_.Running(); }
    // Handles the device's completion notice (on the interface thread).
    void OnNotify(int code);

    // ---------------------------------------------------------- displays
    // The status displays; nothing while a just-started track is in its
    // first seconds and no command asked for a refresh.
    std::optional<CdStatus> Status();
    CdDiscMenu DiscMenu();
    bool HasAudioTrack();
    std::string DiscKey();
    // The reply to the length query of each track, for the playlist dialog.
    std::vector<std::string> TrackLengths();
    CdTitleDatabase& Titles() { return titles_; }
    int State() const { return state_; }
    int CurrentTrack() const { return track_; }

    // Lets a test pick the CDDB match of an inexact query.
    CddbClient& Cddb() { return cddb_; }

private:
    std::string OpenCommand() const;
    void OpenDevice();
    void Reopen();
    void BuildShuffleTable();
    int TrackCount();
    // The first track to play: the shuffle's or the order's first one.
    int FirstTrack(int count);
    int SequentialPick(int current, bool forward);
    int ShufflePick(int current, int count, bool forward);
    int PickAudio(int current, int count, bool forward, bool shuffle);
    std::string OrderText();
    // Starts track `track` on its own ("to" the next track, or to the end of
    // the disc for the last one); the MCI result.
    uint32_t StartTrack(int track, int count);
    uint32_t SendPlay(const std::string& command);
    bool StartAndMark(int track, int count);
    void Resume();
    void SetOutputFor(int track, bool continuing = false);
    void AfterTrack();
    void EndOfDisc();
    void RestartDisc();
    void AfterGap(std::function<void()> step);
    void Refresh() const;
    bool IsAudio(int track);

    MainWndSettings& settings_;
    MainWndHost& host_;
    RandomGenerator& random_;
    std::function<void()> afterPlayback_;
    MciInterpreter mci_;
    CdTitleDatabase titles_;
    CddbClient cddb_;
    int state_ = Stopped;
    int track_ = 1;
    bool trackStarted_ = false;
    std::array<int, kShuffleSlots> shuffle_{};
    std::string openCommand_;
    // Counts commands; a step waiting for the gap is dropped when a command
    // came meanwhile.
    uint64_t commandSerial_ = 0;
    uint64_t playsSent_ = 0;
    uint64_t noticesSeen_ = 0;
};

} // namespace zeb
