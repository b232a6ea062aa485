// The search for an entry that opens, shared by every command that starts
// playback. A local file opens at once; an address is connected to and
// searched for its first frame off the interface thread, and the search
// goes on when the answer arrives, so a slow or dead server holds neither
// the tray nor the endpoints. Stop, any command that changes what plays,
// and the exit abort a search that waits.
#include "engine/InputStream.h"
#include "shell/MainWnd.h"

namespace zeb {

std::function<int()> CMainWnd::OnlyEntry(int index) {
    return [index, tried = false]() mutable {
        if (tried)
            return -1;
        tried = true;
        return index;
    };
}

void CMainWnd::RunOpenSearch(OpenSearch search) {
    CancelOpenSearch();
    search_ = std::move(search);
    searching_ = true;
    ContinueOpenSearch();
}

void CMainWnd::ContinueOpenSearch() {
    for (;;) {
        int index = search_.next();
        if (index < 0 || index >= Count()) {
            EndOpenSearch(false);
            return;
        }
        const std::string& path = model_.PathAt(index);
        player_.SetSource(path);
        if (IsUrlName(path)) {
            BeginAddressOpen();
            return;
        }
        if (player_.Open()) {
            EndOpenSearch(true);
            return;
        }
    }
}

void CMainWnd::BeginAddressOpen() {
    uint64_t token = searchToken_;
    openTicket_ = player_.BeginOpen(
        [this, token] { host_.PostToUiThread([this, token] { OnAddressOpened(token); }); });
}

void CMainWnd::OnAddressOpened(uint64_t token) {
    if (!searching_ || token != searchToken_)
        return; // the search was given up meanwhile
    switch (player_.FinishOpen(openTicket_)) {
    case CMpegPlayer::OpenResult::Opened:
        EndOpenSearch(true);
        break;
    case CMpegPlayer::OpenResult::Failed:
        ContinueOpenSearch();
        break;
    case CMpegPlayer::OpenResult::Cancelled:
        // The engine was stopped directly (the exit): nothing goes on.
        DropOpenSearch();
        break;
    }
}

void CMainWnd::EndOpenSearch(bool opened) {
    std::function<void(bool)> done = std::move(search_.done);
    DropOpenSearch();
    if (done)
        done(opened);
}

void CMainWnd::DropOpenSearch() {
    searching_ = false;
    ++searchToken_;
    search_ = {};
}

void CMainWnd::CancelOpenSearch() {
    if (!searching_)
        return;
    DropOpenSearch();
    if (player_.IsOpening())
        player_.Stop();
}

} // namespace zeb
