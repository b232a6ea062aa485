// Folder scans away from the user-interface thread, and the loads that
// wait for them so that the list changes in the order it was asked to.
#include "shell/MainWndFolderScan.h"

namespace zeb {

CMainWnd::PendingScan::~PendingScan() {
    if (running)
        running->cancelled = true;
}

void CMainWnd::CancelFolderScan() {
    if (scan_.running)
        scan_.running->cancelled = true;
    scan_.running.reset();
    scan_.waitingLoads.clear();
}

bool CMainWnd::DeferWhileScanning(std::function<void()> load) {
    if (!scan_.running)
        return false;
    scan_.waitingLoads.push_back(std::move(load));
    return true;
}

// The loading step of AddFolder, now that the files are known: replace or
// extend the list, sort the new entries by path, and start it.
void CMainWnd::FinishFolderScan(FolderScan& scan) {
    scan_.running.reset();
    int oldCount = BeginLoad(scan.append);
    int from = scan.append ? oldCount : 0;
    for (std::string& path : scan.found)
        model_.Append(std::move(path));
    if (Count() > from)
        model_.SortByPath(from, Count() - 1, false);
    StartLoadedList(oldCount, scan.randomFirst, scan.append, scan.play);
    RunWaitingLoads();
}

// Until a load starts another scan, which runs the rest when it is done.
void CMainWnd::RunWaitingLoads() {
    while (!scan_.running && !scan_.waitingLoads.empty()) {
        std::function<void()> load = std::move(scan_.waitingLoads.front());
        scan_.waitingLoads.pop_front();
        load();
    }
}

} // namespace zeb
