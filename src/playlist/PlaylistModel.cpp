#include "playlist/PlaylistModel.h"

#include "platform/RandomGenerator.h"
#include "platform/TextUtil.h"
#include "playlist/InfoLine.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <string_view>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <unordered_map>

namespace zeb {

namespace {

constexpr std::chrono::milliseconds kScannerPause{77};

// The text before the last '\' or '/', whichever comes later.
std::string_view FolderKey(std::string_view path) {
    const size_t separator = path.find_last_of("/\\");
    return separator == std::string_view::npos ? std::string_view() : path.substr(0, separator);
}

// Key a lies under key b: a begins with b (exact text) and is longer.
bool LiesUnder(std::string_view a, std::string_view b) {
    return a.size() > b.size() && a.substr(0, b.size()) == b;
}

int CompareIgnoreCase(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(AsciiLower(a[i]));
        const auto cb = static_cast<unsigned char>(AsciiLower(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Subfolder files first, then paths ignoring case.
bool PathSortsBefore(std::string_view x, std::string_view y) {
    const std::string_view kx = FolderKey(x), ky = FolderKey(y);
    if (LiesUnder(kx, ky))
        return true;
    if (LiesUnder(ky, kx))
        return false;
    return CompareIgnoreCase(x, y) < 0;
}

// Byte order, unsigned; empty lines come first.
bool InfoSortsBefore(std::string_view x, std::string_view y) {
    return x.compare(y) < 0;
}

void LowerThreadPriority() {
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)), 19);
}

} // namespace

CPlaylistModel::CPlaylistModel() = default;

CPlaylistModel::~CPlaylistModel() {
    StopInfoScanner();
}

void CPlaylistModel::SetHooks(PlaylistHooks hooks) {
    std::lock_guard calls(hookCallMutex_);
    std::lock_guard lock(mutex_);
    hooks_ = std::move(hooks);
}

// ---------------------------------------------------------------- entries

std::string CPlaylistModel::InfoAt(int index) const {
    std::lock_guard lock(mutex_);
    return infos_[index];
}

void CPlaylistModel::SetInfoAt(int index, std::string line) {
    std::lock_guard lock(mutex_);
    infos_[index] = std::move(line);
}

std::vector<std::string> CPlaylistModel::InfoLines() const {
    std::lock_guard lock(mutex_);
    return infos_;
}

void CPlaylistModel::VisitInfoLines(const std::function<bool(int, std::string_view)>& visit) const {
    std::lock_guard lock(mutex_);
    for (int i = 0; i < static_cast<int>(infos_.size()); ++i) {
        if (!visit(i, infos_[i]))
            return;
    }
}

void CPlaylistModel::Append(std::string path) {
    Insert(Count(), std::move(path));
}

void CPlaylistModel::Insert(int index, std::string path) {
    std::lock_guard lock(mutex_);
    paths_.insert(paths_.begin() + index, std::move(path));
    infos_.insert(infos_.begin() + index, std::string());
}

void CPlaylistModel::RemoveAt(int index) {
    std::lock_guard lock(mutex_);
    paths_.erase(paths_.begin() + index);
    infos_.erase(infos_.begin() + index);
}

void CPlaylistModel::SwapEntries(int i, int j) {
    SwapForSort(i, j, true);
}

void CPlaylistModel::Clear() {
    std::lock_guard lock(mutex_);
    paths_.clear();
    infos_.clear();
    current_ = 0;
}

// ---------------------------------------------------------------- info lines and cache

std::string CPlaylistModel::BuildInfoLine(const std::string& path) {
    ComposedInfoLine composed = ComposeInfoLine(path);
    if (composed.cacheable)
        StoreInfo(path, composed.line);
    return std::move(composed.line);
}

std::string CPlaylistModel::LookupInfo(const std::string& path) {
    std::lock_guard lock(mutex_);
    return cache_.Lookup(path);
}

void CPlaylistModel::StoreInfo(const std::string& path, std::string line) {
    std::lock_guard lock(mutex_);
    cache_.Store(path, std::move(line));
}

void CPlaylistModel::ForgetInfo(const std::string& path) {
    std::lock_guard lock(mutex_);
    cache_.Forget(path);
}

void CPlaylistModel::LoadInfoCache(const std::string& file) {
    std::lock_guard lock(mutex_);
    cache_.Load(file);
}

void CPlaylistModel::SaveInfoCache(const std::string& file) const {
    std::lock_guard lock(mutex_);
    cache_.Save(file);
}

// ---------------------------------------------------------------- info scanner

void CPlaylistModel::StartInfoScanner() {
    StopInfoScanner();
    scannerRunning_ = true;
    scanner_ = std::thread([this] { ScannerWalk(); });
}

bool CPlaylistModel::StopInfoScanner() {
    if (!scanner_.joinable())
        return false;
    const bool wasRunning = scannerRunning_;
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
    }
    stopSignal_.notify_all();
    scanner_.join();
    std::lock_guard lock(mutex_);
    stopRequested_ = false;
    return wasRunning;
}

void CPlaylistModel::ScannerWalk() {
    LowerThreadPriority();
    try {
        // The arrays do not change while the scanner runs; only lines are stored.
        for (int i = 0;; ++i) {
            std::string path;
            {
                std::lock_guard lock(mutex_);
                if (stopRequested_ || i >= Count())
                    break;
                if (!infos_[i].empty())
                    continue;
                path = paths_[i];
            }
            std::string line = LookupInfo(path);
            if (!line.empty()) {
                SetInfoAt(i, std::move(line));
                continue;
            }
            SetInfoAt(i, BuildInfoLine(path));
            NotifyInfoChanged();
            if (!PauseAfterBuiltLine())
                break;
        }
    } catch (...) {
        // A failure ends the walk; the lines built so far stay.
    }
    NotifyInfoChanged();
    scannerRunning_ = false;
}

bool CPlaylistModel::PauseAfterBuiltLine() {
    std::unique_lock lock(mutex_);
    return !stopSignal_.wait_for(lock, kScannerPause, [this] { return stopRequested_; });
}

void CPlaylistModel::NotifyInfoChanged() {
    std::lock_guard calls(hookCallMutex_);
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        hook = hooks_.infoChanged;
    }
    if (hook)
        hook();
}

// ---------------------------------------------------------------- sorting and shuffle

void CPlaylistModel::SortByPath(int first, int last, bool carryInfo) {
    const bool wasRunning = StopInfoScanner();
    SortRange(std::max(first, 0), std::min(last, Count() - 1), SortKey::Path, carryInfo);
    if (wasRunning)
        StartInfoScanner();
}

void CPlaylistModel::SortByInfo(int first, int last) {
    const bool wasRunning = StopInfoScanner();
    SortRange(std::max(first, 0), std::min(last, Count() - 1), SortKey::Info, true);
    if (wasRunning)
        StartInfoScanner();
}

bool CPlaylistModel::SortsBefore(const std::string& a, const std::string& b, SortKey key) const {
    return key == SortKey::Path ? PathSortsBefore(a, b) : InfoSortsBefore(a, b);
}

// A partition-exchange sort with the middle entry as pivot. The recursion
// goes into the smaller part and the larger part is sorted in the loop, which
// gives the same result as sorting the left part first.
void CPlaylistModel::SortRange(int first, int last, SortKey key, bool carryInfo) {
    const std::vector<std::string>& values = key == SortKey::Path ? paths_ : infos_;
    while (first < last) {
        const std::string pivot = values[(first + last) / 2];
        int i = first, j = last;
        do {
            while (i < last && SortsBefore(values[i], pivot, key))
                ++i;
            while (j > first && SortsBefore(pivot, values[j], key))
                --j;
            if (j < i)
                break;
            if (i != j)
                SwapForSort(i, j, carryInfo);
            ++i;
            --j;
        } while (j >= i);
        if (j - first < last - i) {
            SortRange(first, j, key, carryInfo);
            first = i;
        } else {
            SortRange(i, last, key, carryInfo);
            last = j;
        }
    }
}

void CPlaylistModel::SwapForSort(int i, int j, bool carryInfo) {
    std::swap(paths_[i], paths_[j]);
    if (!carryInfo)
        return;
    {
        std::lock_guard lock(mutex_);
        std::swap(infos_[i], infos_[j]);
    }
    if (current_ == j)
        current_ = i;
    else if (current_ == i)
        current_ = j;
    if (hooks_.entriesSwapped)
        hooks_.entriesSwapped(i, j);
}

void CPlaylistModel::ShuffleEntries(RandomGenerator& random) {
    const int n = Count();
    if (n < 2)
        return;
    const bool wasRunning = StopInfoScanner();
    const int swaps = (3 * n + 1) / 2 + 1; // ceil(1.5 n) + 1
    for (int k = 0; k < swaps; ++k) {
        const int a = random.Index(n);
        const int b = random.Index(n);
        if (a != b)
            SwapForSort(a, b, true);
    }
    if (wasRunning)
        StartInfoScanner();
}

// ---------------------------------------------------------------- removal

bool CPlaylistModel::EntryExists(const std::string& path) {
    if (IsInternetAddress(path))
        return true;
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0;
}

int CPlaylistModel::RemoveFlagged(const std::vector<bool>& remove) {
    int kept = 0, removed = 0;
    {
        std::lock_guard lock(mutex_);
        for (int i = 0; i < Count(); ++i) {
            if (remove[i]) {
                ++removed;
                continue;
            }
            if (kept != i) {
                paths_[kept] = std::move(paths_[i]);
                infos_[kept] = std::move(infos_[i]);
            }
            ++kept;
        }
        paths_.resize(kept);
        infos_.resize(kept);
    }
    if (hooks_.entryRemoved) {
        // Rows go in list order; each index counts the rows removed before it.
        int gone = 0;
        for (int i = 0; i < static_cast<int>(remove.size()); ++i) {
            if (remove[i])
                hooks_.entryRemoved(i - gone++);
        }
    }
    return removed;
}

RemovalResult CPlaylistModel::RemoveFlaggedEntries(const std::vector<bool>& remove) {
    const bool wasRunning = StopInfoScanner();
    RemovalResult result;
    int removedBeforeCurrent = 0;
    for (int i = 0; i < Count(); ++i) {
        if (!remove[i])
            continue;
        if (i < current_)
            ++removedBeforeCurrent;
        else if (i == current_)
            result.currentRemoved = true;
    }
    result.removed = RemoveFlagged(remove);
    current_ = result.currentRemoved ? 0 : current_ - removedBeforeCurrent;
    if (wasRunning)
        StartInfoScanner();
    return result;
}

RemovalResult CPlaylistModel::RemoveMissing() {
    std::vector<bool> remove(Count());
    for (int i = 0; i < Count(); ++i)
        remove[i] = !EntryExists(paths_[i]);
    return RemoveFlaggedEntries(remove);
}

RemovalResult CPlaylistModel::RemoveDuplicates() {
    const bool wasRunning = StopInfoScanner();
    const int n = Count();
    std::vector<bool> remove(n);
    std::vector<int> newIndex(n);
    std::unordered_map<std::string_view, int> firstOf;
    int removed = 0;
    for (int i = 0; i < n; ++i) {
        const auto [it, inserted] = firstOf.emplace(paths_[i], i);
        remove[i] = !inserted;
        // A removed duplicate's place is taken by its first occurrence.
        newIndex[i] = inserted ? i - removed : newIndex[it->second];
        if (!inserted)
            ++removed;
    }
    if (current_ >= 0 && current_ < n)
        current_ = newIndex[current_];
    else if (current_ >= n)
        current_ -= removed;
    RemovalResult result;
    result.removed = RemoveFlagged(remove);
    if (wasRunning)
        StartInfoScanner();
    return result;
}

void CPlaylistModel::RereadInfo() {
    StopInfoScanner();
    for (int i = 0; i < Count(); ++i) {
        if (i == current_)
            continue;
        SetInfoAt(i, std::string());
        ForgetInfo(paths_[i]);
    }
    StartInfoScanner();
}

} // namespace zeb
