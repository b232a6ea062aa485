// Folder scans away from the user-interface thread: the list changes on it
// when a scan is done, and the loads that waited for the scan follow.
#include "shell/MainWnd.h"

namespace zeb {

void CMainWnd::CancelFolderScan() {
    loads_.Cancel();
}

void CMainWnd::RunAfterLoads(std::function<void()> then) {
    if (!DeferWhileScanning(then))
        then();
}

bool CMainWnd::DeferWhileScanning(std::function<void()> load) {
    return loads_.Defer(std::move(load));
}

// The loading step of AddFolder, now that the files are known: replace or
// extend the list, sort the new entries by path, and start it.
void CMainWnd::FinishFolderScan(FolderScanJob& scan) {
    loads_.ScanDone();
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
    while (std::function<void()> load = loads_.TakeNext())
        load();
}

} // namespace zeb
