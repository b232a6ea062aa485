#pragma once

#include "shell/FolderScanJob.h"

#include <deque>
#include <functional>
#include <memory>

namespace zeb {

// The folder scan running on another thread and the loads of the list asked
// for meanwhile, which wait for it so that the list changes in the order it
// was asked to. Going away cancels the scan.
class WaitingLoads {
public:
    WaitingLoads() = default;
    ~WaitingLoads();
    WaitingLoads(const WaitingLoads&) = delete;
    WaitingLoads& operator=(const WaitingLoads&) = delete;

    bool ScanRunning() const { return running_ != nullptr; }
    void StartScan(std::shared_ptr<FolderScanJob> job) { running_ = std::move(job); }
    void ScanDone() { running_.reset(); }
    // Keeps `load` for later and gives true while a scan runs.
    bool Defer(std::function<void()> load);
    // The next load that may run now: none while a scan runs.
    std::function<void()> TakeNext();
    // Cancels the scan and drops the loads waiting for it.
    void Cancel();

private:
    std::shared_ptr<FolderScanJob> running_;
    std::deque<std::function<void()>> waiting_;
};

} // namespace zeb
