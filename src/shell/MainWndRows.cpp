// What the playlist window does to the list through the main window: playing
// a row, removing rows and moving entries, with their effects on the engine.
#include "shell/MainWnd.h"

namespace zeb {

void CMainWnd::PlayEntry(int index) {
    if (index < 0 || index >= Count())
        return;
    CancelOpenSearch();
    SetCurrentIndex(index);
    StopEngine();
    FindFirstPlayable(true, [this] { ShowNewCurrentEntry(); });
}

RemovalResult CMainWnd::RemoveEntries(const std::vector<bool>& remove) {
    // Entries move: a search that waits for an address is given up.
    CancelOpenSearch();
    RemovalResult result = model_.RemoveFlaggedEntries(remove);
    AfterEntriesRemoved(result);
    return result;
}

// The current entry's removal stops it and shows entry 0 (not played), or
// closes what shows the entry when none is left.
void CMainWnd::AfterEntriesRemoved(const RemovalResult& result) {
    if (result.currentRemoved) {
        StopEngine();
        if (Count() > 0) {
            SetCurrentTitles(model_.PathAt(0));
            player_.SetSource(model_.PathAt(0));
        } else {
            host_.CloseInfoWindow();
        }
    }
    host_.RefillPlaylistWindow(false);
    host_.RedrawPlaylistWindow();
    Update();
}

bool CMainWnd::BeginEntriesMove() {
    CancelOpenSearch();
    return model_.StopInfoScanner();
}

} // namespace zeb
