// The play order: album ranges and the walk through the shuffle table.
#include "platform/TextUtil.h"
#include "shell/MainWnd.h"

namespace zeb {

namespace {

// The folder part of an entry: up to its last '\' or '/'.
std::string_view FolderOf(std::string_view path) {
    size_t sep = path.find_last_of("\\/");
    return sep == std::string_view::npos ? std::string_view() : path.substr(0, sep);
}

} // namespace

void CMainWnd::GetAlbumRange(int& first, int& last, bool force, int index) const {
    int n = Count();
    if (index < 0)
        index = CurrentIndex();
    if ((AlbumStop == 0 && !force) || n == 0 || index >= n) {
        first = 0;
        last = n > 0 ? n - 1 : 0;
        return;
    }
    std::string_view folder = FolderOf(model_.PathAt(index));
    first = index;
    while (first > 0 && EqualsIgnoreCase(FolderOf(model_.PathAt(first - 1)), folder))
        --first;
    last = index;
    while (last < n - 1 && EqualsIgnoreCase(FolderOf(model_.PathAt(last + 1)), folder))
        ++last;
}

int CMainWnd::NextShuffleIndex(bool forward, bool randomStart) {
    constexpr int kSlots = ShuffleTable::kSize;
    int n = Count();
    if (n == 0)
        return 0;
    int current = CurrentIndex();
    if (randomStart) {
        current = random_.Index(n);
        SetCurrentIndex(current);
    } else if (shuffleStart_ == -1) {
        shuffleStart_ = current;
    }
    // Find the current entry in the table; an entry beyond the table's reach
    // is not there, and the walk then starts from the cursor's slot.
    for (int tries = 0; tries < kSlots && shuffle_[shuffleCursor_] != current; ++tries)
        shuffleCursor_ = (shuffleCursor_ + 1) % kSlots;
    int first = 0, last = 0;
    GetAlbumRange(first, last, false, current);
    for (int tries = 0; tries < kSlots; ++tries) {
        shuffleCursor_ =
            forward ? (shuffleCursor_ + 1) % kSlots : (shuffleCursor_ + kSlots - 1) % kSlots;
        int v = shuffle_[shuffleCursor_];
        if (v >= first && v <= last)
            return v;
    }
    // A range lying wholly beyond the table has no entry shuffle can reach.
    return first;
}

} // namespace zeb
