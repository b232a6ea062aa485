// Loading lists: single files, addresses, playlist files, folders, the
// recent list and the user's saved list, and the start rule they share.
#include "platform/MountPoint.h"
#include "platform/TextUtil.h"
#include "playlist/PlaylistReader.h"
#include "playlist/UserList.h"
#include "shell/MainWnd.h"

#include <algorithm>
#include <sys/stat.h>

namespace zeb {

namespace {

bool EndsWithIgnoreCase(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           EqualsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

bool IsPlaylistName(std::string_view path) {
    return EndsWithIgnoreCase(path, ".m3u") || EndsWithIgnoreCase(path, ".pls");
}

std::string WithTrailingSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string FolderOfFile(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool IsFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool IsFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace

int CMainWnd::BeginLoad(bool append) {
    int oldCount = Count();
    model_.StopInfoScanner();
    if (!append) {
        CancelOpenSearch();
        model_.Clear();
        SetCurrentIndex(0);
        StopEngine();
    }
    return oldCount;
}

// Looks for the first entry that opens, from the current one on; past the
// end it goes on at entry 0 only with Repeat on, and at most twice. `then`
// runs when the search has ended.
void CMainWnd::FindFirstPlayable(bool playIt, std::function<void()> then) {
    auto next = [this, n = Count(), index = CurrentIndex(), wraps = 0, tried = false]() mutable {
        if (tried) {
            if (index + 1 < n)
                ++index;
            else if (Repeat != 1 || wraps == 2)
                return -1;
            else {
                ++wraps;
                index = 0;
            }
        }
        tried = true;
        SetCurrentIndex(index);
        return index;
    };
    RunOpenSearch({next, [this, playIt, then = std::move(then)](bool opened) {
                       if (opened) {
                           // An entry left opened would ignore the Play command: stop it.
                           if (playIt)
                               StartEngine();
                           else
                               player_.Stop();
                       }
                       then();
                   }});
}

void CMainWnd::ShowLoadedCurrentEntry() {
    if (Count() > 0)
        SetCurrentTitles(model_.PathAt(CurrentIndex()));
    else
        host_.CloseInfoWindow();
    Update();
}

void CMainWnd::StartLoadedList(int oldCount, bool randomFirst, bool append, bool play,
                               int restoredIndex, bool noAutoPlay) {
    int n = Count();
    bool fresh = !append || oldCount == 0;
    if (n > 0 && fresh) {
        if (randomFirst || ShuffleMode == 1) {
            int v = NextShuffleIndex(true, true);
            SetCurrentIndex(v);
            shuffleStart_ = v;
        } else {
            SetCurrentIndex(restoredIndex >= 0 && restoredIndex < n ? restoredIndex : 0);
            shuffleStart_ = -1;
        }
    }
    host_.RefillPlaylistWindow(!fresh);
    host_.RedrawPlaylistWindow();
    model_.StartInfoScanner();
    if (n > 0 && fresh)
        FindFirstPlayable((AutoPlay == 1 || play) && !noAutoPlay,
                          [this] { ShowLoadedCurrentEntry(); });
    else
        ShowLoadedCurrentEntry();
}

void CMainWnd::OpenSingleFile(const std::string& path, bool append, bool play) {
    if (DeferWhileScanning([=, this] { OpenSingleFile(path, append, play); }))
        return;
    LeaveCdMode(false);
    int oldCount = BeginLoad(append);
    model_.Append(path);
    if (!append || oldCount == 0) {
        SetCurrentIndex(Count() - 1);
        shuffleStart_ = -1;
        bool playIt = AutoPlay == 1 || play;
        RunOpenSearch({OnlyEntry(CurrentIndex()), [this, playIt](bool opened) {
                           // An entry left opened would ignore the Play command: stop it.
                           if (opened && playIt)
                               StartEngine();
                           else if (opened)
                               player_.Stop();
                           Update();
                       }});
    }
    host_.RefillPlaylistWindow(append && oldCount > 0);
    host_.RedrawPlaylistWindow();
    model_.StartInfoScanner();
    SetCurrentTitles(model_.PathAt(CurrentIndex()));
    Update();
}

void CMainWnd::OpenAddress(const std::string& address) {
    if (DeferWhileScanning([=, this] { OpenAddress(address); }))
        return;
    std::string url = EscapeAddressSpaces(address);
    LeaveCdMode(false);
    BeginLoad(false);
    model_.Append(url);
    SetCurrentIndex(0);
    shuffleStart_ = -1;
    player_.SetSource(url);
    if (AutoPlay == 1) {
        RunOpenSearch({OnlyEntry(0), [this](bool opened) {
                           if (opened)
                               StartEngine();
                           Update();
                       }});
    }
    host_.RefillPlaylistWindow(false);
    host_.RedrawPlaylistWindow();
    model_.StartInfoScanner();
    SetCurrentTitles(url);
    Update();
    AddRecent(url);
}

bool CMainWnd::LoadPlaylistFile(const std::string& path, bool randomFirst, bool append, bool play) {
    if (DeferWhileScanning([=, this] { LoadPlaylistFile(path, randomFirst, append, play); }))
        return true;
    LeaveCdMode(false);
    // With append, a "#TAG=" line before the file's first entry belongs to
    // the list's last entry: it is read along as the first item.
    bool seeded = append && Count() > 0;
    std::vector<PlaylistEntry> entries;
    if (seeded)
        entries.push_back({model_.PathAt(Count() - 1), model_.InfoAt(Count() - 1)});
    std::vector<PlaylistEntry> found;
    auto onInfo = [&](const std::string& p, const std::string& info) {
        found.push_back({p, info});
    };
    if (!ReadPlaylistFile(path, entries, onInfo))
        return false;
    int oldCount = BeginLoad(append);
    size_t from = 0;
    if (seeded) {
        if (entries[0].info != model_.InfoAt(Count() - 1))
            model_.SetInfoAt(Count() - 1, entries[0].info);
        from = 1;
    }
    for (size_t i = from; i < entries.size(); ++i) {
        model_.Append(entries[i].path);
        if (!entries[i].info.empty())
            model_.SetInfoAt(Count() - 1, entries[i].info);
    }
    for (const PlaylistEntry& e : found)
        model_.StoreInfo(e.path, e.info);
    StartLoadedList(oldCount, randomFirst, append, play);
    return true;
}

void CMainWnd::AddFolder(const std::string& folder, bool randomFirst, bool append, bool play) {
    if (DeferWhileScanning([=, this] { AddFolder(folder, randomFirst, append, play); }))
        return;
    LeaveCdMode(false);
    auto scan = std::make_shared<FolderScanJob>(WithTrailingSlash(folder), IncludeWAVs == 1,
                                                randomFirst, append, play);
    loads_.StartScan(scan);
    host_.RunInBackground(
        [scan] {
            scan->found =
                CPlaylistModel::CollectFolder(scan->folder, scan->includeWavs, &scan->cancelled);
        },
        [this, scan] {
            if (!scan->cancelled)
                FinishFolderScan(*scan);
        });
}

// ------------------------------------------------------------- playlist window

void CMainWnd::AppendFiles(const std::vector<std::string>& paths) {
    if (paths.empty() || DeferWhileScanning([=, this] { AppendFiles(paths); }))
        return;
    int oldCount = BeginLoad(true);
    for (const std::string& path : paths) {
        model_.Append(path);
        InitDir = FolderOfFile(path);
    }
    StartAppended(oldCount);
}

void CMainWnd::AppendFolder(const std::string& folder) {
    InitDir = WithTrailingSlash(folder);
    AddFolder(folder, false, true, false);
}

// The items of one drop still to add, and where its new rows begin.
struct CMainWnd::DropJob {
    std::vector<std::string> items;
    size_t next = 0;
    int firstNewRow = 0;
    bool wasEmpty = false;
};

void CMainWnd::AppendDropped(const std::vector<std::string>& items) {
    if (items.empty() || DeferWhileScanning([=, this] { AppendDropped(items); }))
        return;
    auto drop = std::make_shared<DropJob>();
    drop->items = items;
    drop->firstNewRow = Count();
    drop->wasEmpty = Count() == 0;
    ContinueDrop(drop);
}

// Adds items until a folder needs a scan; its end goes on from there.
void CMainWnd::ContinueDrop(std::shared_ptr<DropJob> drop) {
    while (drop->next < drop->items.size()) {
        const std::string& item = drop->items[drop->next++];
        if (IsFolder(item)) {
            ScanDroppedFolder(drop, item);
            return;
        }
        if (IsPlaylistName(item)) {
            if (LoadPlaylistFile(item, false, false, false)) {
                drop->firstNewRow = Count();
                drop->wasEmpty = Count() == 0;
            }
            continue;
        }
        model_.StopInfoScanner();
        model_.Append(item);
    }
    FinishDrop(*drop);
}

void CMainWnd::ScanDroppedFolder(std::shared_ptr<DropJob> drop, const std::string& folder) {
    auto scan = std::make_shared<FolderScanJob>(WithTrailingSlash(folder), IncludeWAVs == 1, false,
                                                true, false);
    loads_.StartScan(scan);
    host_.RunInBackground(
        [scan] {
            scan->found =
                CPlaylistModel::CollectFolder(scan->folder, scan->includeWavs, &scan->cancelled);
        },
        [this, scan, drop] {
            if (scan->cancelled)
                return;
            loads_.ScanDone();
            model_.StopInfoScanner();
            for (std::string& path : scan->found)
                model_.Append(std::move(path));
            ContinueDrop(drop);
        });
}

void CMainWnd::FinishDrop(DropJob& drop) {
    model_.StopInfoScanner();
    int from = std::min(drop.firstNewRow, Count());
    if (Count() - from > 1)
        model_.SortByPath(from, Count() - 1, true);
    StartAppended(drop.wasEmpty ? 0 : Count());
    RunWaitingLoads();
}

// The end of an append: a list that was empty starts from a stopped engine.
void CMainWnd::StartAppended(int oldCount) {
    if (oldCount == 0 && Count() > 0)
        StopEngine();
    StartLoadedList(oldCount, false, true, false);
}

void CMainWnd::OpenChosenFiles(const std::vector<std::string>& paths) {
    for (size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        bool append = i > 0;
        InitDir = FolderOfFile(path);
        if (IsPlaylistName(path))
            LoadPlaylistFile(path, RandomFirst == 1, append, false);
        else
            OpenSingleFile(path, append, false);
        AddRecent(path);
    }
}

void CMainWnd::OpenChosenFolder(const std::string& folder) {
    AddRecent(folder);
    InitDir = WithTrailingSlash(folder);
    AddFolder(folder, RandomFirst == 1, false, false);
}

void CMainWnd::AddRecent(const std::string& path) {
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    if (p.empty() || p == "/")
        return; // the root of the file system is not recorded
    size_t at = Recent.size() - 1;
    for (size_t i = 0; i < Recent.size(); ++i) {
        if (EqualsIgnoreCase(Recent[i], p)) {
            at = i;
            break;
        }
    }
    for (size_t i = at; i > 0; --i)
        Recent[i] = Recent[i - 1];
    Recent[0] = p;
}

void CMainWnd::OpenRecent(int slot) {
    if (slot < 0 || slot >= int(Recent.size()) || Recent[size_t(slot)].empty())
        return;
    std::string path = Recent[size_t(slot)];
    bool randomFirst = RandomFirst == 1;
    if (IsUrlName(path)) {
        OpenAddress(path);
        return;
    }
    if (IsFolder(path)) {
        AddFolder(path, randomFirst, false, false);
    } else if (IsFile(path)) {
        if (IsPlaylistName(path))
            LoadPlaylistFile(path, randomFirst, false, false);
        else
            OpenSingleFile(path, false, false);
    } else {
        // Gone: the entries below move up.
        for (size_t i = size_t(slot); i + 1 < Recent.size(); ++i)
            Recent[i] = Recent[i + 1];
        Recent.back().clear();
        return;
    }
    AddRecent(path);
}

CMainWnd::StartPath CMainWnd::OpenStartPath(const std::string& path, bool append, bool play) {
    bool randomFirst = RandomFirst == 1;
    if (IsMountPoint(path)) {
        AddFolder(path, randomFirst, append, play);
        return StartPath::DriveRoot;
    }
    if (IsFolder(path))
        AddFolder(path, randomFirst, append, play);
    else if (!IsFile(path))
        return StartPath::Missing;
    else if (IsPlaylistName(path))
        LoadPlaylistFile(path, randomFirst, append, play);
    else
        OpenSingleFile(path, append, play);
    return StartPath::Opened;
}

void CMainWnd::LoadUserList(const std::string& userListPath, const std::string& section,
                            bool noAutoPlay) {
    std::vector<PlaylistEntry> found;
    auto entries = zeb::LoadUserList(userListPath, section,
                                     [&](const std::string& p, const std::string& info) {
                                         found.push_back({p, info});
                                     });
    if (entries.empty())
        return;
    int oldCount = BeginLoad(false);
    for (const PlaylistEntry& e : entries) {
        model_.Append(e.path);
        if (!e.info.empty())
            model_.SetInfoAt(Count() - 1, e.info);
    }
    for (const PlaylistEntry& e : found)
        model_.StoreInfo(e.path, e.info);
    StartLoadedList(oldCount, RandomFirst == 1, false, false, CurrentInPlaylist, noAutoPlay);
}

void CMainWnd::RemoveMissingEntries() {
    // Entries move: a search that waits for an address is given up.
    CancelOpenSearch();
    AfterEntriesRemoved(model_.RemoveMissing());
}

void CMainWnd::RemoveDuplicateEntries() {
    CancelOpenSearch();
    model_.RemoveDuplicates();
    host_.RefillPlaylistWindow(false);
    host_.RedrawPlaylistWindow();
    Update();
}

bool CMainWnd::SaveSettingsAndList(IniFile& ini, const std::string& section,
                                   const std::string& userListPath,
                                   const std::string& infoCachePath) {
    bool ok = SaveSettings(ini, section);
    if (SaveUserList(userListPath, section))
        ok = SaveCurrentInPlaylist(ini, section) && ok;
    else
        ok = false;
    model_.SaveInfoCache(infoCachePath);
    return ok;
}

bool CMainWnd::SaveUserList(const std::string& userListPath, const std::string& section) {
    std::vector<PlaylistEntry> entries;
    entries.reserve(size_t(Count()));
    for (int i = 0; i < Count(); ++i)
        entries.push_back({model_.PathAt(i), model_.InfoAt(i)});
    if (!zeb::SaveUserList(userListPath, section, entries))
        return false;
    CurrentInPlaylist = CurrentIndex();
    return true;
}

} // namespace zeb
