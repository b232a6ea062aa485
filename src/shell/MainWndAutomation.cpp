// Automation: keeping the list up to date from the watched folders. The
// existence checks and folder walks run away from the user-interface thread;
// the list is changed on it in one go when they are done.
#include "platform/TextUtil.h"
#include "shell/MainWnd.h"

#include <sys/stat.h>
#include <unordered_map>
#include <unordered_set>

namespace zeb {

// What one run reads from the file system, filled on the worker thread and
// applied on the user-interface thread.
struct CMainWnd::AutomationJob {
    bool remove = false;
    bool removeDuplicates = false;
    bool rescan = false;
    bool sort = false;
    bool includeWavs = false;
    std::vector<std::string> listed; // the list's paths when the run began
    std::vector<std::string> folders;
    std::vector<std::function<void()>> then;
    // Registered as the running scan, so that loads asked for meanwhile wait
    // and the exit cancels the walk.
    std::shared_ptr<FolderScanJob> token;

    std::unordered_set<std::string> missing;
    std::vector<std::string> found; // new files in scan order, each once

    bool ChangesList() const { return remove || removeDuplicates || rescan || sort; }
    bool Cancelled() const { return token->cancelled.load(std::memory_order_relaxed); }
    void ReadFileSystem();
    void FindMissing();
    void CollectNewFiles();
};

namespace {

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

} // namespace

void CMainWnd::AutomationJob::ReadFileSystem() {
    if (remove)
        FindMissing();
    if (rescan)
        CollectNewFiles();
}

void CMainWnd::AutomationJob::FindMissing() {
    for (const std::string& path : listed) {
        if (Cancelled())
            return;
        if (!CPlaylistModel::EntryExists(path))
            missing.insert(path);
    }
}

// A file is new unless the list holds its path, or a path differing only in
// letter case that names the same file (a case-insensitive file system, a
// linked folder spelled differently). Paths listed exactly are left to the
// check on the user-interface thread, against the list as it is then.
void CMainWnd::AutomationJob::CollectNewFiles() {
    std::unordered_multimap<std::string, const std::string*> listedByFold;
    for (const std::string& path : listed)
        listedByFold.emplace(AsciiLowered(path), &path);
    std::unordered_set<std::string> seen;
    for (const std::string& folder : folders) {
        for (std::string& path :
             CPlaylistModel::CollectFolder(folder, includeWavs, &token->cancelled)) {
            if (Cancelled())
                return;
            if (!seen.insert(path).second)
                continue;
            bool listedOtherwise = false;
            auto [first, last] = listedByFold.equal_range(AsciiLowered(path));
            for (auto it = first; it != last && !listedOtherwise; ++it)
                listedOtherwise = *it->second != path && SameFile(*it->second, path);
            if (!listedOtherwise)
                found.push_back(std::move(path));
        }
    }
}

void CMainWnd::RunAutomation(std::function<void()> then) {
    if (then)
        automationThen_.push_back(std::move(then));
    if (automationRunning_) {
        automationAgain_ = true;
        return;
    }
    automationRunning_ = true;
    StartAutomation();
}

void CMainWnd::StartAutomation() {
    if (DeferWhileScanning([this] { StartAutomation(); }))
        return;
    auto job = std::make_shared<AutomationJob>();
    job->remove = AutRemove == 1;
    job->removeDuplicates = AutRemovedup == 1;
    job->rescan = AutRescan == 1;
    job->sort = AutSort == 1;
    job->includeWavs = IncludeWAVs == 1;
    job->then = std::move(automationThen_);
    automationThen_.clear();
    if (!job->remove && !job->rescan) {
        FinishAutomation(*job);
        return;
    }
    job->listed = model_.Paths();
    if (job->rescan)
        job->folders = AutDirs;
    job->token = std::make_shared<FolderScanJob>("", false, false, false, false);
    loads_.StartScan(job->token);
    host_.RunInBackground([job] { job->ReadFileSystem(); },
                          [this, job] {
                              if (job->Cancelled())
                                  return;
                              loads_.ScanDone();
                              FinishAutomation(*job);
                              RunWaitingLoads();
                          });
}

// The steps in order, each as one change of the list; the info scanner is
// held meanwhile and runs again afterwards.
void CMainWnd::FinishAutomation(AutomationJob& job) {
    if (job.ChangesList()) {
        const bool scannerRan = BeginEntriesMove();
        if (job.remove)
            RemoveMissingFound(job);
        if (job.removeDuplicates)
            RemoveDuplicatesForAutomation();
        if (job.rescan)
            AddWatchedFiles(job);
        if (job.sort)
            SortForAutomation();
        if (scannerRan || job.rescan)
            model_.StartInfoScanner();
    }
    for (std::function<void()>& then : job.then)
        then();
    automationRunning_ = false;
    if (automationAgain_) {
        automationAgain_ = false;
        RunAutomation();
    }
}

void CMainWnd::RemoveMissingFound(const AutomationJob& job) {
    if (job.missing.empty())
        return;
    std::vector<bool> remove(static_cast<size_t>(Count()));
    for (int i = 0; i < Count(); ++i)
        remove[size_t(i)] = job.missing.count(model_.PathAt(i)) > 0;
    RemovalResult result = model_.RemoveFlaggedEntries(remove);
    if (result.removed > 0)
        AfterEntriesRemoved(result);
}

void CMainWnd::RemoveDuplicatesForAutomation() {
    if (model_.RemoveDuplicates().removed == 0)
        return;
    host_.RefillPlaylistWindow(false);
    host_.RedrawPlaylistWindow();
    Update();
}

// The new files go to the end sorted by path. A list that was empty gets
// the start rule without playing: the current entry (the first, or a random
// one) is the first that opens, left stopped.
void CMainWnd::AddWatchedFiles(AutomationJob& job) {
    const int oldCount = Count();
    std::unordered_set<std::string_view> listed(model_.Paths().begin(), model_.Paths().end());
    std::vector<std::string> added;
    for (std::string& path : job.found) {
        if (!listed.count(path))
            added.push_back(std::move(path));
    }
    if (added.empty())
        return;
    for (std::string& path : added)
        model_.Append(std::move(path));
    model_.SortByPath(oldCount, Count() - 1, false);
    if (oldCount > 0) {
        host_.RefillPlaylistWindow(true);
        host_.RedrawPlaylistWindow();
        Update();
    } else if (InCdMode()) {
        // The disc keeps playing; the list starts at its first entry later.
        SetCurrentIndex(0);
        host_.RefillPlaylistWindow(false);
        host_.RedrawPlaylistWindow();
    } else {
        StopEngine();
        StartLoadedList(0, RandomFirst == 1, true, false, -1, true);
    }
}

void CMainWnd::SortForAutomation() {
    if (Count() < 2)
        return;
    model_.SortByPath(0, Count() - 1, true);
    host_.PlaylistSorted();
    host_.RedrawPlaylistWindow();
    Update();
}

} // namespace zeb
