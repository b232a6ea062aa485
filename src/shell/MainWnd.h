#pragma once

#include "cd/CdTitleDatabase.h"
#include "engine/MpegPlayer.h"
#include "platform/RandomGenerator.h"
#include "playlist/PlaylistModel.h"
#include "shell/MainWndHost.h"
#include "shell/MainWndSettings.h"
#include "shell/ShuffleTable.h"
#include "shell/WaitingLoads.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace zeb {
class IniFile;
}

namespace zeb {

class CMixerVolume;
class CdController;

// The player's main window as logic: the settings, the playlist, the engine,
// the play order and every player command. The tray program wraps it in
// windows; it runs without a display as well.
class CMainWnd : public MainWndSettings {
public:
    // `randomSeed` seeds the program's random generator (the tick count at
    // start); the CD names are kept in the title database at `cdTitlesPath`.
    CMainWnd(MainWndHost& host, uint32_t randomSeed,
             std::string cdTitlesPath = CdTitleDatabase::DefaultPath());
    ~CMainWnd();
    CMainWnd(const CMainWnd&) = delete;
    CMainWnd& operator=(const CMainWnd&) = delete;

    // -------------------------------------------------------------- commands
    // A command id of the menus, hotkeys and tool windows; true when handled.
    bool OnCommand(int id);
    void Play();
    void Pause();
    void StopCommand();
    void PlayPause();
    void StopPlay();
    void StepTrack(bool forward);
    void SelectTrack(int index);
    // The engine reached the end of the current track (or a seek failed):
    // the next step after the gap.
    void OnTrackEnd();
    void ToggleRepeatList();
    void ToggleRepeatTrack();
    void ToggleExitAfterPlayback();
    void ToggleSwitchOffAfterPlayback();
    // True when the program is closing because the list has been played.
    bool CheckAfterPlayback();
    void SetVolume(int volume);
    // Volume keys, remote commands and holds: a step from the mixer's level
    // as it is now, which the desktop may have moved since.
    void StepVolume(int delta);
    // Takes in a mixer level that another program set; true when the volume
    // changed.
    bool FollowMixer();
    void SeekStep(int direction);

    // -------------------------------------------------------------- play order
    int NextShuffleIndex(bool forward, bool randomStart);
    // [first, last] of the album around `index` (-1 the current entry); the
    // whole list unless album mode is on or `force` is set.
    void GetAlbumRange(int& first, int& last, bool force, int index = -1) const;

    // -------------------------------------------------------------- loading
    // Empties the list unless appending; gives the entry count before.
    int BeginLoad(bool append);
    // The start rule after entries were added: current entry, scanner,
    // first playable entry, titles. `restoredIndex` (or -1) is the saved
    // index of a restored list.
    void StartLoadedList(int oldCount, bool randomFirst, bool append, bool play,
                         int restoredIndex = -1, bool noAutoPlay = false);
    void OpenSingleFile(const std::string& path, bool append, bool play);
    void OpenAddress(const std::string& address);
    // False when the file could not be read (the list is then unchanged).
    bool LoadPlaylistFile(const std::string& path, bool randomFirst, bool append, bool play);
    // The folder is scanned away from the user-interface thread; the list
    // changes when the scan is done. Loads asked for meanwhile (folders,
    // files, playlists, addresses) wait for it and follow in order.
    void AddFolder(const std::string& folder, bool randomFirst, bool append, bool play);
    bool FolderScanRunning() const { return loads_.ScanRunning(); }
    // Drops a running scan and the loads waiting for it (at exit).
    void CancelFolderScan();
    // Runs `then` once the loads asked for so far have changed the list: at
    // once when no folder scan runs, else after it and the loads waiting.
    void RunAfterLoads(std::function<void()> then);
    // The open-file command's choice of files, in the dialog's order.
    void OpenChosenFiles(const std::vector<std::string>& paths);
    // The open-folder command's chosen folder.
    void OpenChosenFolder(const std::string& folder);
    void OpenRecent(int slot);
    void AddRecent(const std::string& path);

    // A path from the command line or a second instance: a mount point
    // (the drive root) is opened as a folder, an existing folder as a
    // folder, a .m3u or .pls file as a playlist, any other file as a file.
    enum class StartPath { Missing, DriveRoot, Opened };
    StartPath OpenStartPath(const std::string& path, bool append, bool play);
    // The command-line path at start: opened as above; an opened path (not a
    // drive root) goes to the recent list and opens the hand-over window.
    void OpenCommandLinePath(const std::string& path, bool add);
    // A second instance's WM_COPYDATA payload; the answer is 0 (try again)
    // before start-up has finished or for a payload that is no record.
    int32_t OnHandover(std::span<const uint8_t> payload);
    // The 2 seconds after a file arrived, in which further files are added.
    bool InHandoverWindow() const { return recentHandover_; }
    void EndHandoverWindow() { recentHandover_ = false; }
    // Set when start-up has finished; hand-overs are refused before.
    void SetInitialised() { initialised_ = true; }
    bool Initialised() const { return initialised_; }

    // The user's saved list: restored at start, written with the settings.
    void LoadUserList(const std::string& userListPath, const std::string& section, bool noAutoPlay);
    bool SaveUserList(const std::string& userListPath, const std::string& section);

    // Removes entries whose files are gone or that are listed twice; when the
    // current entry went, entry 0 becomes current without playing.
    void RemoveMissingEntries();
    void RemoveDuplicateEntries();

    // -------------------------------------------------------------- playlist window
    // Plays the entry at `index`, or the first after it that opens; past the
    // end the search goes on at entry 0 only with Repeat on.
    void PlayEntry(int index);
    // Appends the files in order with empty info lines; InitDir follows them.
    // A list that was empty gets the start rule.
    void AppendFiles(const std::vector<std::string>& paths);
    // Scans the folder away from the user-interface thread and appends what
    // it holds sorted by path; a list that was empty gets the start rule.
    void AppendFolder(const std::string& folder);
    // Dropped items in order: a folder is scanned (away from the
    // user-interface thread), a .m3u or .pls file replaces the list, any
    // other file is appended. The rows added after the last replacement are
    // sorted by path, and a list that was empty gets the start rule.
    void AppendDropped(const std::vector<std::string>& items);
    // Removes the flagged entries (one flag per entry). When the current
    // entry goes the engine stops and entry 0 becomes current without
    // playing; with nothing left the information window closes.
    RemovalResult RemoveEntries(const std::vector<bool>& remove);
    // Entries are about to move (a drag, a sort): a search waiting for an
    // address is given up and the info scanner stopped; true when it ran.
    bool BeginEntriesMove();
    // The name shown for an entry whose info line is not known: the file
    // name without folder and extension, or an address's name.
    static std::string EntryFileName(const std::string& path);

    // Everything written at exit and by automation: the settings, the
    // user's list with the current index (only when the list was written)
    // and the info cache.
    bool SaveSettingsAndList(IniFile& ini, const std::string& section,
                             const std::string& userListPath, const std::string& infoCachePath);

    // -------------------------------------------------------------- automation
    // The automation steps chosen in the settings: remove missing and
    // duplicate entries, add new files of the watched folders, sort. The
    // file system is read away from the user-interface thread and the list
    // changed on it in one go; `then` runs once the list has changed. A run
    // asked for while one runs (or a folder scan) waits for it; requests
    // made meanwhile are merged into one further run. A run never starts
    // playback.
    void RunAutomation(std::function<void()> then = {});
    bool AutomationRunning() const { return automationRunning_; }
    // -------------------------------------------------------------- end of automation

    // -------------------------------------------------------------- current entry
    void SetCurrentTitles(const std::string& path);
    void PrepareOutput();
    const std::string& Title() const { return title_; }
    const std::string& DisplayName() const { return displayName_; }
    const std::string& FileName() const { return fileName_; }

    // -------------------------------------------------------------- tag edits
    // The tag editor wrote or removed the tag of entry `index`: its info line
    // is built again; for the current entry the titles follow and the
    // information window reads the file again; the playlist window repaints.
    void AfterTagEdit(int index);
    // The information window's editor wrote or removed the tag of `path`
    // (the current entry's when the editor opened): the titles follow when
    // it is still the current entry's path, the information window reads the
    // file again, the current entry's info line is built again and the
    // playlist window repaints.
    void AfterInfoWindowTagEdit(const std::string& path);

    // -------------------------------------------------------------- CD mode
    CdController& Cd() { return *cd_; }
    const CdController& Cd() const { return *cd_; }
    bool InCdMode() const { return CDMode == 1; }
    // Commands 32922 and "-c", a second instance's CD request, CDMode at
    // start: MP3 playback stops and the disc plays (with AutoPlay or
    // playNow). False, after the no-drive message, without a CD drive.
    bool EnterCdMode(bool playNow);
    // Command 32923 (restartList: the list's current entry is loaded, and
    // played with AutoPlay) and every MP3 load before it changes the list.
    void LeaveCdMode(bool restartList);
    // A second instance's "-c": enters CD mode and plays; in CD mode looks
    // the disc up when it has no title (with AutoCDDB) and plays.
    void PlayAudioCd();

    // ---- files behind the entries: renaming, deleting, copying, moving
    // The current entry while its file is renamed or moved: stopped, then
    // reopened at the same point and in the same state.
    struct SuspendedPlay {
        int lengthSeconds = 0;
        int positionMs = 0;
        int state = 0;
    };
    SuspendedPlay SuspendCurrent();
    void ResumeCurrent(const SuspendedPlay& play);
    // Renames the files of the rows (in this order) after their tags and
    // `pattern`; the entries follow. The number of files renamed.
    int RenameByTags(const std::vector<int>& rows, const std::string& pattern);
    // Removes the flagged entries as the remove command does, then sends
    // their files to the trash, or deletes them for good with `permanently`.
    // Failures are ignored.
    RemovalResult DeleteEntryFiles(const std::vector<bool>& remove, bool permanently);
    // The entry `path` at `row` (or wherever it went meanwhile) now lives at
    // `dest`; -1 when it is no longer in the list.
    int EntryMoved(int row, const std::string& path, const std::string& dest);
    MainWndHost& Host() { return host_; }
    // ---- end of files behind the entries

    // -------------------------------------------------------------- menu state
    struct MenuItemState {
        bool checked = false;
        bool grayed = false;
    };
    MenuItemState ItemState(int commandId) const;

    // -------------------------------------------------------------- parts
    CMpegPlayer& Player() { return player_; }
    CPlaylistModel& Model() { return model_; }
    const CPlaylistModel& Model() const { return model_; }
    RandomGenerator& Random() { return random_; }
    int Count() const { return model_.Count(); }
    int CurrentIndex() const { return model_.CurrentIndex(); }
    void SetCurrentIndex(int index) { model_.SetCurrentIndex(index); }
    int ShuffleStart() const { return shuffleStart_; }
    // The volume as last read or set.
    int Volume() const { return volume_; }
    // The volume for someone who asks for it: the mixer is opened first if
    // it has not been yet.
    int ReadVolume();
    bool ExitAfterPlayback() const { return exitAfterPlayback_; }
    bool SwitchOffAfterPlayback() const { return switchOffAfterPlayback_; }
    // The mixer line the volume commands act on; its current level becomes
    // the volume.
    void SetMixer(CMixerVolume* mixer);
    // True while a command waits for an address to open.
    bool IsOpening() const { return searching_; }

private:
    // A search for an entry that opens: `next` gives the entries to try in
    // turn (-1 ends the search) and may move the current entry; `done` runs
    // once at the end, with whether the entry tried last opened. Not run
    // when the search is cancelled.
    struct OpenSearch {
        std::function<int()> next;
        std::function<void(bool opened)> done;
    };
    static std::function<int()> OnlyEntry(int index);
    void RunOpenSearch(OpenSearch search);
    void ContinueOpenSearch();
    void BeginAddressOpen();
    void OnAddressOpened(uint64_t token);
    void EndOpenSearch(bool opened);
    void DropOpenSearch();
    void CancelOpenSearch();
    void ShowNewCurrentEntry();
    int NextAfterTrackEnd(int& attemptsLeft, bool& closing);
    void OnPlayEnded(uint64_t play);
    bool StopEngine();
    void AfterEntriesRemoved(const RemovalResult& result);

    void StartEngine();
    void StartCurrentEntry();
    int AdvanceInRange(int index, bool forward) const;
    int NextForStep(bool forward);
    void FindFirstPlayable(bool playIt, std::function<void()> then);
    void ShowLoadedCurrentEntry();
    void AfterListChange();
    void Update() { host_.UpdateStatus(true); }
    bool IsPlayingOrPaused() const;
    void NoteArrivedPath(const std::string& path);
    bool OnDisplayCommand(int id);
    bool OnCdCommand(int id);
    void FinishFolderScan(FolderScanJob& scan);
    // True when `load` was kept to run after the running folder scan.
    bool DeferWhileScanning(std::function<void()> load);
    void RunWaitingLoads();
    struct DropJob;
    void ContinueDrop(std::shared_ptr<DropJob> drop);
    void ScanDroppedFolder(std::shared_ptr<DropJob> drop, const std::string& folder);
    void FinishDrop(DropJob& drop);
    void StartAppended(int oldCount);
    struct AutomationJob;
    void StartAutomation();
    void FinishAutomation(AutomationJob& job);
    void RemoveMissingFound(const AutomationJob& job);
    void RemoveDuplicatesForAutomation();
    void AddWatchedFiles(AutomationJob& job);
    void SortForAutomation();

    MainWndHost& host_;
    CMpegPlayer player_;
    // Counts the plays; an end reported by the engine carries the count
    // of its play.
    std::atomic<uint64_t> playSerial_{0};
    std::atomic<uint64_t> endedPlay_{UINT64_MAX}; // the last play that ended by itself
    CPlaylistModel model_;
    RandomGenerator random_;
    ShuffleTable shuffle_;
    int shuffleCursor_ = 0;
    int shuffleStart_ = -1;
    bool exitAfterPlayback_ = false;
    bool switchOffAfterPlayback_ = false;
    int volume_ = 0;
    CMixerVolume* mixer_ = nullptr;
    int mixerLevel_ = -1; // the mixer's level as last read
    bool initialised_ = false;
    bool recentHandover_ = false;
    WaitingLoads loads_; // a folder scan and the loads waiting for it
    std::string title_;
    std::string displayName_;
    std::string fileName_;
    OpenSearch search_;
    bool searching_ = false;
    uint64_t searchToken_ = 0;
    uint64_t openTicket_ = 0;
    std::unique_ptr<CdController> cd_;
    bool automationRunning_ = false;
    bool automationAgain_ = false; // asked for while a run was under way
    std::vector<std::function<void()>> automationThen_;
};

} // namespace zeb
