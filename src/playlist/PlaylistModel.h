#pragma once

#include "playlist/InfoCache.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>
#include <vector>

namespace zeb {

class RandomGenerator;

// What the playlist window wants to hear about. Every hook is optional.
struct PlaylistHooks {
    // The info scanner built a line or finished: recompute the title and
    // repaint. Called on the scanner thread, so it must not wait for the
    // user-interface thread (post a queued call instead).
    std::function<void()> infoChanged;
    // Rows i and j were exchanged by a sort or shuffle: exchange their
    // selection marks and move the caret with its entry. Main thread.
    std::function<void(int i, int j)> entriesSwapped;
    // The row at index was removed (RemoveMissing, RemoveDuplicates). Main thread.
    std::function<void(int index)> entryRemoved;
};

// The outcome of a removal, for the caller's effects on the engine: when the
// current entry was removed the model makes entry 0 current, and the caller
// stops the engine and shows entry 0 (or closes what shows the entry when
// none is left). The playlist window clears its selection afterwards.
struct RemovalResult {
    int removed = 0;
    bool currentRemoved = false;
};

// The playlist: entry paths and their info lines in two parallel arrays of
// equal size and order, the current index, the info cache and the background
// info scanner that fills empty info lines.
//
// Threads: every operation runs on the main thread except the scanner. The
// scanner only stores info lines of existing entries and touches the cache;
// every operation that inserts, removes, moves or swaps entries stops it
// first. Info-line stores and reads and every cache access take one lock.
class CPlaylistModel {
public:
    CPlaylistModel();
    ~CPlaylistModel();
    CPlaylistModel(const CPlaylistModel&) = delete;
    CPlaylistModel& operator=(const CPlaylistModel&) = delete;

    void SetHooks(PlaylistHooks hooks);

    // Entries. Paths are stored exactly as given; new entries get empty info.
    int Count() const { return static_cast<int>(paths_.size()); }
    const std::string& PathAt(int index) const { return paths_[index]; }
    const std::vector<std::string>& Paths() const { return paths_; }
    std::string InfoAt(int index) const;
    void SetInfoAt(int index, std::string line);
    std::vector<std::string> InfoLines() const;
    // Calls visit(index, info line) for the entries in order under one lock,
    // without copying the lines, until it returns false. The visitor must not
    // call back into the model.
    void VisitInfoLines(const std::function<bool(int, std::string_view)>& visit) const;
    void Append(std::string path);
    void Insert(int index, std::string path);
    // The entry's file got a new name or place; its info line stays.
    void SetPathAt(int index, std::string path) { paths_[index] = std::move(path); }
    void RemoveAt(int index);
    // Exchanges two entries with their info lines; the current index follows.
    void SwapEntries(int i, int j);
    void Clear();

    int CurrentIndex() const { return current_; }
    void SetCurrentIndex(int index) { current_ = index; }

    // Info lines and the cache.
    // Builds the line for path from the file and caches it (not when the file
    // could not be opened).
    std::string BuildInfoLine(const std::string& path);
    std::string LookupInfo(const std::string& path);
    void StoreInfo(const std::string& path, std::string line);
    void ForgetInfo(const std::string& path);
    void LoadInfoCache(const std::string& file);
    void SaveInfoCache(const std::string& file) const;
    // The cache itself, for tests and tools; callers must not use it while
    // the scanner runs.
    CInfoCache& InfoCache() { return cache_; }

    // Stops a running scanner and starts one over the whole list.
    void StartInfoScanner();
    // Asks the scanner to stop between entries and waits for it; true when
    // one was running.
    bool StopInfoScanner();
    bool InfoScannerRunning() const { return scannerRunning_; }

    // Appends every MP3 (and with includeWavs every WAV) file below folder
    // that is not empty, depth-first in directory order. With skipDuplicates
    // a path already listed (exactly, letter case included) is not added again. Returns the
    // number of entries added.
    int ScanFolder(const std::string& folder, bool skipDuplicates, bool includeWavs);
    // The files ScanFolder would add (without the duplicate check), in the
    // same order, leaving the list alone: for a scan on another thread. Below
    // the folder the walk stays on its file system, and follows linked
    // folders only onto local ones. Stops early once *cancel is set.
    static std::vector<std::string> CollectFolder(const std::string& folder, bool includeWavs,
                                                  const std::atomic<bool>* cancel = nullptr);

    // Sorts [first, last] by the path order. With carryInfo the info lines,
    // the current index and the window's marks move with their paths.
    void SortByPath(int first, int last, bool carryInfo);
    // Sorts [first, last] by info line (bytes, empty lines first), carrying
    // everything with the entries.
    void SortByInfo(int first, int last);
    // Random order: ceil(1.5 N) + 1 swaps of two drawn entries.
    void ShuffleEntries(RandomGenerator& random);

    // Addresses always exist; a file exists when it is a regular file and
    // not empty (sizes in 64 bits: a 4 GiB file is not empty).
    static bool EntryExists(const std::string& path);
    // Removes the entries flagged in `remove` (one flag per entry). The
    // current index follows its entry; when it was removed entry 0 becomes
    // current.
    RemovalResult RemoveFlaggedEntries(const std::vector<bool>& remove);
    RemovalResult RemoveMissing();
    RemovalResult RemoveDuplicates();
    // Forgets every info line but the current entry's and rescans.
    void RereadInfo();

private:
    enum class SortKey { Path, Info };
    void SortRange(int first, int last, SortKey key, bool carryInfo);
    bool SortsBefore(const std::string& a, const std::string& b, SortKey key) const;
    void SwapForSort(int i, int j, bool carryInfo);
    struct ScanState;
    static void ScanRoot(const std::string& folder, ScanState& state);
    static void ScanFolderInto(const std::string& folder, dev_t device, ScanState& state);
    // Removes the flagged entries (current index untouched); returns the count.
    int RemoveFlagged(const std::vector<bool>& remove);
    void ScannerWalk();
    bool PauseAfterBuiltLine();
    void NotifyInfoChanged();

    std::vector<std::string> paths_;
    std::vector<std::string> infos_; // guarded by mutex_ while the scanner runs
    int current_ = 0;

    mutable std::mutex mutex_; // info-line stores, cache, hooks
    // Held while the scanner calls the info hook, so that once SetHooks
    // returns no call of the hooks it replaced is still running.
    std::mutex hookCallMutex_;
    CInfoCache cache_;
    PlaylistHooks hooks_;

    std::thread scanner_;
    std::atomic<bool> scannerRunning_{false};
    bool stopRequested_ = false; // guarded by mutex_
    std::condition_variable stopSignal_;
};

} // namespace zeb
