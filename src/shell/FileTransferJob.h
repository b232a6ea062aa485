#pragma once

#include "shell/MainWnd.h"

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zeb {

// What a copy or move shows while it runs; user-interface thread only.
struct FileTransferListener {
    virtual ~FileTransferListener() = default;
    // The file now handled (its name) and the rows done so far of all.
    virtual void ShowFile(const std::string& name) = 0;
    virtual void ShowProgress(int done, int total) = 0;
    // `dest` exists: true to replace it.
    virtual bool AskOverwrite(const std::string& dest) = 0;
    // The last row is done or the job was cancelled.
    virtual void Finished() = 0;
};

// Copies or moves the files of rows into a folder, one row after the other
// in list order. The data is copied on a thread of the job's own; the list
// and the engine change on the user-interface thread, reached through the
// host's PostToUiThread. The info scanner stays stopped until the end; a
// moved entry follows its file, and the current one plays on at the same
// point.
class FileTransferJob : public std::enable_shared_from_this<FileTransferJob> {
public:
    static std::shared_ptr<FileTransferJob> Start(CMainWnd& wnd, std::vector<int> rows,
                                                  std::string targetFolder, bool move,
                                                  FileTransferListener* listener);
    ~FileTransferJob();
    FileTransferJob(const FileTransferJob&) = delete;
    FileTransferJob& operator=(const FileTransferJob&) = delete;

    // Ends the job after the file in hand, whose partial copy is dropped.
    void Cancel() { cancel_ = true; }
    // The listener goes away: nothing more is told to it.
    void Detach() { listener_ = nullptr; }
    bool Done() const { return done_; }

private:
    struct Item {
        int row;
        std::string path;
    };
    FileTransferJob(CMainWnd& wnd, std::vector<Item> items, std::string target, bool move,
                    FileTransferListener* listener);
    void Next();
    void StartTransfer(const Item& item, std::string dest);
    void ApplyResult();
    void Finish();

    CMainWnd& wnd_;
    std::vector<Item> items_;
    std::string target_;
    bool move_;
    FileTransferListener* listener_;
    size_t next_ = 0;
    bool scannerRan_ = false;
    bool currentSuspended_ = false;
    CMainWnd::SuspendedPlay suspended_;
    bool done_ = false;
    std::atomic<bool> cancel_{false};
    // The file in hand: set before the worker starts, its result read after
    // the worker ended.
    bool pending_ = false;
    Item item_{};
    std::string dest_;
    bool ok_ = false;
    std::thread worker_;
};

} // namespace zeb
