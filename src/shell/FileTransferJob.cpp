#include "shell/FileTransferJob.h"

#include "platform/FileTransfer.h"

namespace zeb {

namespace {

std::string NameOf(const std::string& path) {
    return path.substr(path.rfind('/') + 1);
}

} // namespace

std::shared_ptr<FileTransferJob> FileTransferJob::Start(CMainWnd& wnd, std::vector<int> rows,
                                                        std::string targetFolder, bool move,
                                                        FileTransferListener* listener) {
    std::vector<Item> items;
    for (int row : rows) {
        if (row >= 0 && row < wnd.Count())
            items.push_back({row, wnd.Model().PathAt(row)});
    }
    if (!targetFolder.empty() && targetFolder.back() != '/')
        targetFolder += '/';
    std::shared_ptr<FileTransferJob> job(
        new FileTransferJob(wnd, std::move(items), std::move(targetFolder), move, listener));
    job->scannerRan_ = wnd.BeginEntriesMove();
    job->Next();
    return job;
}

FileTransferJob::FileTransferJob(CMainWnd& wnd, std::vector<Item> items, std::string target,
                                 bool move, FileTransferListener* listener)
    : wnd_(wnd), items_(std::move(items)), target_(std::move(target)), move_(move),
      listener_(listener) {}

// Dropped before its end (its window closed): the file in hand is finished
// or rolled back, and the list, the engine and the scanner are put right.
FileTransferJob::~FileTransferJob() {
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
    listener_ = nullptr;
    ApplyResult();
    Finish();
}

void FileTransferJob::Next() {
    while (!done_) {
        if (cancel_ || next_ >= items_.size()) {
            Finish();
            return;
        }
        const Item item = items_[next_++];
        const std::string dest = target_ + NameOf(item.path);
        if (listener_) {
            listener_->ShowFile(NameOf(item.path));
        }
        if (dest == item.path) {
            if (listener_)
                listener_->ShowProgress(int(next_), int(items_.size()));
            continue;
        }
        if (CPlaylistModel::EntryExists(dest)) {
            if (!listener_ || !listener_->AskOverwrite(dest)) {
                if (listener_)
                    listener_->ShowProgress(int(next_), int(items_.size()));
                continue;
            }
            DeleteFileForce(dest);
        }
        StartTransfer(item, dest);
        return;
    }
}

void FileTransferJob::StartTransfer(const Item& item, std::string dest) {
    const int current = wnd_.CurrentIndex();
    currentSuspended_ = move_ && current >= 0 && current < wnd_.Count() &&
                        wnd_.Model().PathAt(current) == item.path;
    if (currentSuspended_)
        suspended_ = wnd_.SuspendCurrent();
    if (worker_.joinable())
        worker_.join();
    item_ = item;
    dest_ = std::move(dest);
    ok_ = false;
    pending_ = true;
    std::weak_ptr<FileTransferJob> weak = weak_from_this();
    worker_ = std::thread([this, weak] {
        ok_ = move_ ? MoveFileSafely(item_.path, dest_, &cancel_)
                    : CopyFileSafely(item_.path, dest_, &cancel_);
        wnd_.Host().PostToUiThread([weak] {
            if (auto self = weak.lock()) {
                self->ApplyResult();
                self->Next();
            }
        });
    });
}

// On the user-interface thread once the worker has ended.
void FileTransferJob::ApplyResult() {
    if (!pending_)
        return;
    if (worker_.joinable())
        worker_.join();
    pending_ = false;
    if (move_ && ok_)
        wnd_.EntryMoved(item_.row, item_.path, dest_);
    if (currentSuspended_) {
        currentSuspended_ = false;
        wnd_.ResumeCurrent(suspended_);
    }
    if (listener_)
        listener_->ShowProgress(int(next_), int(items_.size()));
}

void FileTransferJob::Finish() {
    if (done_)
        return;
    done_ = true;
    if (scannerRan_)
        wnd_.Model().StartInfoScanner();
    if (move_) {
        wnd_.Host().RedrawPlaylistWindow();
        wnd_.Host().UpdateStatus(false);
    }
    if (listener_)
        listener_->Finished();
}

} // namespace zeb
