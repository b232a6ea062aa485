#include "shell/PlaylistView.h"

#include "platform/TextUtil.h"
#include "resources/ResourceIds.h"
#include "resources/StringTable.h"
#include "shell/MainWnd.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdio>

namespace zeb {

namespace {

constexpr int kStringTitlePrefix = 6;
// An info line ends in " (mm:ss)".
constexpr size_t kLengthSuffix = 8;

// The playing time an info line gives: minutes between the last '(' and the
// last ':', seconds in the two characters after that ':'.
long LineSeconds(std::string_view info) {
    size_t colon = info.rfind(':');
    if (colon == std::string_view::npos)
        return 0;
    size_t paren = info.rfind('(');
    long minutes = paren != std::string_view::npos && paren < colon
                       ? LeadingInteger(info.substr(paren + 1, colon - paren - 1))
                       : 0;
    long seconds = LeadingInteger(info.substr(colon + 1, 2));
    return minutes * 60 + seconds;
}

struct AsciiFoldTable {
    unsigned char lower[256];
    constexpr AsciiFoldTable() : lower() {
        for (int c = 0; c < 256; ++c)
            lower[c] = static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
    }
};
constexpr AsciiFoldTable kAsciiFold;

unsigned char FoldByte(char c) {
    return kAsciiFold.lower[static_cast<unsigned char>(c)];
}

// Lower-cases the two-byte UTF-8 capital at text[i] when it is one of
// Latin-1 or Cyrillic; both cases of those have the same length.
void FoldTwoByteLetter(std::string& text, size_t i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    unsigned char d = static_cast<unsigned char>(text[i + 1]);
    if ((c & 0xE0) != 0xC0 || (d & 0xC0) != 0x80)
        return;
    unsigned cp = ((c & 0x1Fu) << 6) | (d & 0x3Fu);
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)
        cp += 0x20;
    else if (cp >= 0x410 && cp <= 0x42F)
        cp += 0x20;
    else if (cp >= 0x400 && cp <= 0x40F)
        cp += 0x50;
    text[i] = static_cast<char>(0xC0 | (cp >> 6));
    text[i + 1] = static_cast<char>(0x80 | (cp & 0x3F));
}

// Lower-cases ASCII letters and the Latin-1 and Cyrillic capitals in place.
// Returns whether the text holds bytes beyond ASCII.
bool FoldCase(std::string& text) {
    bool wide = false;
    for (char& c : text) {
        wide |= static_cast<unsigned char>(c) >= 0x80;
        c = static_cast<char>(FoldByte(c));
    }
    if (!wide)
        return false;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0xC0)
            FoldTwoByteLetter(text, i++);
    }
    return true;
}

// Whether text holds an ASCII needle (already lower-cased), ASCII letter
// case ignored. Bytes beyond ASCII never equal a needle byte, so no copy of
// the text needs folding.
bool ContainsAsciiFolded(std::string_view text, std::string_view needle) {
    const size_t n = needle.size();
    const unsigned char first = static_cast<unsigned char>(needle[0]);
    for (size_t i = 0; i + n <= text.size(); ++i) {
        if (FoldByte(text[i]) != first)
            continue;
        size_t k = 1;
        while (k < n && FoldByte(text[i + k]) == static_cast<unsigned char>(needle[k]))
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

bool IsPlaylistName(const std::string& path) {
    auto endsWith = [&](std::string_view suffix) {
        return path.size() >= suffix.size() &&
               EqualsIgnoreCase(std::string_view(path).substr(path.size() - suffix.size()), suffix);
    };
    return endsWith(".m3u") || endsWith(".pls");
}

std::string FolderOfFile(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string TwoDigitTime(long seconds, bool withHours) {
    char text[48];
    if (withHours)
        std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", seconds / 3600, seconds / 60 % 60,
                      seconds % 60);
    else
        std::snprintf(text, sizeof text, "%02ld:%02ld", seconds / 60, seconds % 60);
    return text;
}

} // namespace

// The scanner thread reaches the listener through this link, which the view
// cuts under its lock before it goes.
struct PlaylistView::ScannerLink {
    std::mutex mutex;
    PlaylistViewListener* listener = nullptr;
    // Set by a notice the title has not yet been recomputed for: the scanner
    // builds lines faster than a long list's title can be summed, so it
    // tells the window once until the title is read again.
    std::atomic<bool> noticePending{false};
};

PlaylistView::PlaylistView(CMainWnd& wnd, PlaylistViewListener& listener)
    : wnd_(wnd), listener_(listener), link_(std::make_shared<ScannerLink>()) {
    link_->listener = &listener;
    marks_.assign(static_cast<size_t>(Count()), 0);
    AttachHooks();
}

PlaylistView::~PlaylistView() {
    DetachHooks();
}

void PlaylistView::AttachHooks() {
    PlaylistHooks hooks;
    hooks.infoChanged = [link = link_] {
        if (link->noticePending.exchange(true))
            return;
        std::lock_guard lock(link->mutex);
        if (link->listener)
            link->listener->InfoChangedFromScanner();
    };
    hooks.entriesSwapped = [this](int i, int j) { OnEntriesSwapped(i, j); };
    hooks.entryRemoved = [this](int index) { OnEntryRemoved(index); };
    wnd_.Model().SetHooks(std::move(hooks));
}

void PlaylistView::DetachHooks() {
    wnd_.Model().SetHooks({});
    std::lock_guard lock(link_->mutex);
    link_->listener = nullptr;
}

// ------------------------------------------------------------ model hooks

void PlaylistView::OnEntriesSwapped(int i, int j) {
    FlushRemovals();
    GrowMarks();
    std::swap(marks_[size_t(i)], marks_[size_t(j)]);
    if (caret_ == i)
        caret_ = j;
    else if (caret_ == j)
        caret_ = i;
}

// Removals come one row at a time, each index counting the rows removed
// before it; their marks are dropped together in one pass later.
void PlaylistView::OnEntryRemoved(int index) {
    pendingRemovals_.push_back(index);
    if (caret_ > index)
        --caret_;
    dragAnchor_ = -1;
    shiftAnchor_ = -1;
}

void PlaylistView::FlushRemovals() {
    if (pendingRemovals_.empty())
        return;
    size_t kept = 0, next = 0, removed = 0;
    for (size_t row = 0; row < marks_.size(); ++row) {
        if (next < pendingRemovals_.size() && size_t(pendingRemovals_[next]) + removed == row) {
            ++next;
            ++removed;
            if (marks_[row])
                --selectedCount_;
            continue;
        }
        marks_[kept++] = marks_[row];
    }
    marks_.resize(kept);
    pendingRemovals_.clear();
}

void PlaylistView::GrowMarks() {
    if (marks_.size() < size_t(Count()))
        marks_.resize(size_t(Count()), 0);
}

// Rows appended to the list come unmarked; rows gone without a word (the
// list emptied for a load) take their marks with them.
void PlaylistView::SyncRows() {
    FlushRemovals();
    size_t n = size_t(Count());
    if (marks_.size() > n) {
        marks_.resize(n);
        selectedCount_ = int(std::count(marks_.begin(), marks_.end(), 1));
    }
    GrowMarks();
    KeepInside();
}

// ------------------------------------------------------------ rows

int PlaylistView::Count() const {
    return wnd_.Count();
}

bool PlaylistView::IsSelected(int row) const {
    return row >= 0 && size_t(row) < marks_.size() && marks_[size_t(row)] != 0;
}

int PlaylistView::FirstSelected(int from) const {
    if (selectedCount_ == 0)
        return -1;
    for (size_t row = size_t(std::max(from, 0)); row < marks_.size(); ++row) {
        if (marks_[row])
            return int(row);
    }
    return -1;
}

std::vector<int> PlaylistView::SelectedRows() const {
    std::vector<int> rows;
    rows.reserve(size_t(selectedCount_));
    for (size_t row = 0; row < marks_.size() && rows.size() < size_t(selectedCount_); ++row) {
        if (marks_[row])
            rows.push_back(int(row));
    }
    return rows;
}

int PlaylistView::MaxTop() const {
    return std::max(0, Count() - pageRows_);
}

void PlaylistView::SetTopRow(int row) {
    top_ = std::clamp(row, 0, MaxTop());
}

void PlaylistView::SetPageRows(int rows) {
    pageRows_ = std::max(1, rows);
    top_ = std::clamp(top_, 0, MaxTop());
}

PlaylistView::RowText PlaylistView::Row(int row) const {
    RowText text;
    if (row < 0 || row >= Count())
        return text;
    const CPlaylistModel& model = wnd_.Model();
    text.number = std::to_string(row + 1);
    text.current = row == wnd_.CurrentIndex();
    std::string info = model.InfoAt(row);
    if (info.empty()) {
        text.text = CMainWnd::EntryFileName(model.PathAt(row));
        return text;
    }
    if (info.size() > kLengthSuffix)
        text.text = info.substr(0, info.size() - kLengthSuffix);
    if (info.size() > 5)
        text.length = std::string(Trim(std::string_view(info).substr(info.size() - 6, 5)));
    return text;
}

int PlaylistView::NumberDigits() const {
    int digits = 1;
    for (int n = Count(); n >= 10 && digits < 4; n /= 10)
        ++digits;
    return digits;
}

std::string PlaylistView::Title() const {
    link_->noticePending = false;
    long total = 0, selected = 0;
    wnd_.Model().VisitInfoLines([&](int row, std::string_view info) {
        long seconds = LineSeconds(info);
        total += seconds;
        if (IsSelected(row))
            selected += seconds;
        return true;
    });
    bool hours = total > 3599;
    return std::string(UiString(wnd_.Language, kStringTitlePrefix)) +
           TwoDigitTime(selected, hours) + " / " + TwoDigitTime(total, hours);
}

std::string PlaylistView::StatusPath() const {
    int row = FirstSelected();
    return row >= 0 && row < Count() ? wnd_.Model().PathAt(row) : std::string();
}

bool PlaylistView::CommandEnabled(int id) const {
    switch (id) {
    case ID_PL_SAVE:
    case ID_PL_REMOVE_ALL:
    case ID_PL_REREAD_TAGS:
    case ID_PL_SORT_BY_NAME:
    case ID_PL_SORT_BY_PATH:
    case ID_PL_RANDOM_ORDER:
        return Count() > 0;
    case ID_PL_REMOVE:
    case ID_PL_EDIT_TAG:
    case ID_PL_NEW_FROM_SELECTION:
    case ID_PL_APPEND_TO_EXISTING:
        return selectedCount_ > 0;
    case ID_PL_RENAME:
    case ID_PL_DELETE_FILES:
    case ID_PL_COPY_TO:
    case ID_PL_MOVE_TO:
        return selectedCount_ > 0;
    default:
        return true;
    }
}

bool PlaylistView::CommandChecked(int id) const {
    return id == ID_PL_EXTENDED_FORMAT && wnd_.ExtPlaylistFormat == 1;
}

// ------------------------------------------------------------ selection

void PlaylistView::ClearSelection() {
    if (selectedCount_ > 0)
        std::fill(marks_.begin(), marks_.end(), 0);
    selectedCount_ = 0;
}

void PlaylistView::Select(int row, bool on) {
    uint8_t& mark = marks_[size_t(row)];
    if (mark == uint8_t(on))
        return;
    mark = on;
    selectedCount_ += on ? 1 : -1;
}

void PlaylistView::SelectRange(int from, int to) {
    for (int row = std::min(from, to); row <= std::max(from, to); ++row)
        Select(row, true);
}

void PlaylistView::KeepInside() {
    int n = Count();
    caret_ = n == 0 ? 0 : std::clamp(caret_, 0, n - 1);
    top_ = std::clamp(top_, 0, MaxTop());
    if (dragAnchor_ >= n)
        dragAnchor_ = -1;
    if (shiftAnchor_ >= n)
        shiftAnchor_ = -1;
}

void PlaylistView::ScrollToTop(int row) {
    top_ = std::clamp(row, 0, MaxTop());
}

void PlaylistView::ScrollIntoView(int row) {
    if (row < top_)
        top_ = row;
    else if (row >= top_ + pageRows_)
        top_ = row - pageRows_ + 1;
    top_ = std::clamp(top_, 0, MaxTop());
}

void PlaylistView::NotifyAll() {
    listener_.RowsChanged();
    listener_.StatusChanged();
}

void PlaylistView::SelectOnly(int row) {
    SyncRows();
    if (row < 0 || row >= Count())
        return;
    ClearSelection();
    Select(row, true);
    caret_ = row;
    ScrollToTop(row);
    NotifyAll();
}

void PlaylistView::SelectAll() {
    SyncRows();
    std::fill(marks_.begin(), marks_.end(), 1);
    selectedCount_ = int(marks_.size());
    caret_ = 0;
    ScrollIntoView(0);
    NotifyAll();
}

void PlaylistView::InvertSelection() {
    SyncRows();
    for (uint8_t& mark : marks_)
        mark = !mark;
    selectedCount_ = int(marks_.size()) - selectedCount_;
    NotifyAll();
}

// ------------------------------------------------------------ mouse

// What both buttons do first: the pressed row (-1 outside the rows)
// becomes the drag anchor, and a press without Shift or Ctrl clears the
// selection.
int PlaylistView::BeginPress(int row, bool shift, bool ctrl) {
    SyncRows();
    if (row >= Count())
        row = -1;
    dragAnchor_ = row;
    if (!shift && !ctrl)
        ClearSelection();
    return row;
}

void PlaylistView::LeftPress(int row, bool shift, bool ctrl) {
    row = BeginPress(row, shift, ctrl);
    if (shift && row >= 0 && row != caret_) {
        ClearSelection();
        SelectRange(row, caret_);
    } else if (ctrl && row >= 0) {
        caret_ = row;
        Select(row, !IsSelected(row));
    } else if (row >= 0) {
        caret_ = row;
        Select(row, true);
    }
    NotifyAll();
}

void PlaylistView::RightPress(int row, bool shift, bool ctrl) {
    row = BeginPress(row, shift, ctrl);
    if (shift) {
        if (row >= 0 && row != caret_) {
            ClearSelection();
            SelectRange(row, caret_);
        }
    } else if (row >= 0) {
        caret_ = row;
        Select(row, true);
    }
    NotifyAll();
}

void PlaylistView::Activate(int row) {
    if (row < 0 || row >= Count())
        return;
    wnd_.PlayEntry(row);
    NotifyAll();
}

void PlaylistView::ActivateFirstSelected() {
    SyncRows();
    Activate(FirstSelected());
}

// ------------------------------------------------------------ dragging

void PlaylistView::BeginDrag(int row) {
    dragAnchor_ = row >= 0 && row < Count() ? row : -1;
}

bool PlaylistView::DragTo(int row) {
    SyncRows();
    int n = Count();
    if (dragAnchor_ < 0 || row < 0 || n == 0)
        return false;
    row = std::min(row, n - 1);
    bool moved = false;
    if (row != dragAnchor_) {
        bool scannerRan = wnd_.BeginEntriesMove();
        moved = row < dragAnchor_ ? DragUp(dragAnchor_ - row) : DragDown(row - dragAnchor_);
        if (scannerRan)
            wnd_.Model().StartInfoScanner();
    }
    dragAnchor_ = row;
    if (moved)
        NotifyAll();
    return moved;
}

// Moves the entry at `from` to `to` by swapping neighbours: its mark, the
// caret and the current index travel with it, the rows between shift by one.
void PlaylistView::MoveEntry(int from, int to) {
    CPlaylistModel& model = wnd_.Model();
    for (int row = from; row > to; --row)
        model.SwapEntries(row, row - 1);
    for (int row = from; row < to; ++row)
        model.SwapEntries(row, row + 1);
}

bool PlaylistView::DragUp(int k) {
    int n = Count();
    if (n < 2 || marks_[0])
        return false;
    bool moved = false;
    for (int row = 1; row < n; ++row) {
        if (!marks_[size_t(row)])
            continue;
        if (row - k < 0)
            k = row;
        MoveEntry(row, row - k);
        moved = true;
    }
    return moved;
}

bool PlaylistView::DragDown(int k) {
    int last = Count() - 1;
    if (last < 0 || marks_[size_t(last)])
        return false;
    bool moved = false;
    for (int row = last - 1; row >= 0; --row) {
        if (!marks_[size_t(row)])
            continue;
        if (row + k > last)
            k = last - row;
        MoveEntry(row, row + k);
        moved = true;
    }
    return moved;
}

// ------------------------------------------------------------ keyboard

void PlaylistView::ShiftDown() {
    if (!shiftHeld_)
        shiftAnchor_ = Count() > 0 ? caret_ : -1;
    shiftHeld_ = true;
}

void PlaylistView::ShiftUp() {
    shiftHeld_ = false;
    shiftAnchor_ = -1;
}

void PlaylistView::CtrlDown() {
    ctrlHeld_ = true;
}

void PlaylistView::CtrlUp() {
    ctrlHeld_ = false;
}

void PlaylistView::FocusLost() {
    shiftHeld_ = false;
    ctrlHeld_ = false;
    shiftAnchor_ = -1;
}

void PlaylistView::Navigate(NavKey key) {
    SyncRows();
    int n = Count();
    if (n == 0)
        return;
    int page = std::max(1, pageRows_ - 1);
    int row = caret_;
    switch (key) {
    case NavKey::Up:
        --row;
        break;
    case NavKey::Down:
        ++row;
        break;
    case NavKey::PageUp:
        row -= page;
        break;
    case NavKey::PageDown:
        row += page;
        break;
    case NavKey::Home:
        row = 0;
        break;
    case NavKey::End:
        row = n - 1;
        break;
    }
    caret_ = std::clamp(row, 0, n - 1);
    ScrollIntoView(caret_);
    ClearSelection();
    if (shiftHeld_) {
        if (shiftAnchor_ < 0)
            shiftAnchor_ = caret_;
        SelectRange(shiftAnchor_, caret_);
    } else {
        Select(caret_, true);
    }
    NotifyAll();
}

// ------------------------------------------------------------ find

void PlaylistView::Find(const std::string& text) {
    if (text.empty())
        return;
    long number = LeadingInteger(text);
    if (number > 0 && number <= Count()) {
        SelectOnly(int(number - 1));
        return;
    }
    std::string needle = text;
    const bool wide = FoldCase(needle);
    std::string folded;
    auto contains = [&](std::string_view info) {
        if (!wide)
            return ContainsAsciiFolded(info, needle);
        folded.assign(info);
        FoldCase(folded);
        return folded.find(needle) != std::string::npos;
    };
    int found = -1;
    wnd_.Model().VisitInfoLines([&](int row, std::string_view info) {
        if (info.empty() || !contains(info))
            return true;
        found = row;
        return false;
    });
    if (found >= 0)
        SelectOnly(found);
}

// ------------------------------------------------------------ commands

bool PlaylistView::OnCommand(int id) {
    if (IsTrackCommand(id)) {
        SelectOnly(id - ID_TRACK_FIRST);
        return true;
    }
    switch (id) {
    case ID_PL_SELECT_ALL:
        SelectAll();
        return true;
    case ID_PL_EXTENDED_FORMAT:
        wnd_.ExtPlaylistFormat = 1 - wnd_.ExtPlaylistFormat;
        listener_.StatusChanged();
        return true;
    case ID_PL_REMOVE:
        RemoveRows(false);
        return true;
    case ID_PL_REMOVE_ALL:
        RemoveRows(true);
        return true;
    case ID_PL_REREAD_TAGS:
        if (Count() > 0) {
            wnd_.Model().RereadInfo();
            NotifyAll();
        }
        return true;
    case ID_PL_SORT_BY_NAME:
    case ID_PL_SORT_BY_PATH:
    case ID_PL_RANDOM_ORDER:
        Reorder(id);
        return true;
    case ID_PL_REMOVE_MISSING:
    case ID_PL_REMOVE_DUPLICATES:
        RemoveUnwanted(id == ID_PL_REMOVE_MISSING);
        return true;
    default:
        return false;
    }
}

void PlaylistView::Reorder(int id) {
    SyncRows();
    int n = Count();
    if (n == 0)
        return;
    CPlaylistModel& model = wnd_.Model();
    bool scannerRan = wnd_.BeginEntriesMove();
    if (id == ID_PL_SORT_BY_NAME)
        model.SortByInfo(0, n - 1);
    else if (id == ID_PL_SORT_BY_PATH)
        model.SortByPath(0, n - 1, true);
    else
        model.ShuffleEntries(wnd_.Random());
    if (scannerRan)
        model.StartInfoScanner();
    int first = FirstSelected();
    ScrollToTop(first >= 0 ? first : wnd_.CurrentIndex());
    NotifyAll();
}

void PlaylistView::RemoveUnwanted(bool missing) {
    SyncRows();
    ownChange_ = true;
    if (missing)
        wnd_.RemoveMissingEntries();
    else
        wnd_.RemoveDuplicateEntries();
    ownChange_ = false;
    SyncRows();
    ClearSelection();
    NotifyAll();
}

void PlaylistView::RemoveRows(bool all) {
    RemoveRowsWith(all, [this](const std::vector<bool>& remove) { wnd_.RemoveEntries(remove); });
}

void PlaylistView::DeleteSelectedFiles(bool permanently) {
    RemoveRowsWith(false, [this, permanently](const std::vector<bool>& remove) {
        wnd_.DeleteEntryFiles(remove, permanently);
    });
}

void PlaylistView::FilesChanged() {
    NotifyAll();
}

void PlaylistView::RemoveRowsWith(bool all,
                                  const std::function<void(const std::vector<bool>&)>& removal) {
    SyncRows();
    if (!all && selectedCount_ == 0)
        return;
    int firstSelected = FirstSelected();
    std::vector<bool> remove(marks_.size(), all);
    if (!all) {
        for (size_t row = 0; row < marks_.size(); ++row)
            remove[row] = marks_[row] != 0;
    }
    ownChange_ = true;
    removal(remove);
    ownChange_ = false;
    SyncRows();
    ClearSelection();
    int n = Count();
    if (n > 0 && firstSelected >= 0) {
        int row = std::min(firstSelected, n - 1);
        Select(row, true);
        caret_ = row;
    }
    KeepInside();
    NotifyAll();
}

void PlaylistView::AddFiles(const std::vector<std::string>& paths) {
    ownChange_ = true;
    wnd_.AppendFiles(paths);
    ownChange_ = false;
    SyncRows();
    NotifyAll();
}

void PlaylistView::AddFolder(const std::string& folder) {
    ownChange_ = true;
    wnd_.AppendFolder(folder);
    ownChange_ = false;
    SyncRows();
    NotifyAll();
}

void PlaylistView::AddDropped(const std::vector<std::string>& items) {
    ownChange_ = true;
    wnd_.AppendDropped(items);
    ownChange_ = false;
    SyncRows();
    // A playlist among the items replaced the rows the marks were on.
    if (std::any_of(items.begin(), items.end(), IsPlaylistName))
        ClearSelection();
    NotifyAll();
}

void PlaylistView::OpenPlaylist(const std::string& path) {
    wnd_.InitDir = FolderOfFile(path);
    wnd_.LoadPlaylistFile(path, false, false, false);
    Refill();
}

bool PlaylistView::SavePlaylist(const std::string& path, bool selectedOnly) {
    SyncRows();
    if (Count() == 0 || (selectedOnly && selectedCount_ == 0))
        return true;
    wnd_.InitDir = FolderOfFile(path);
    CPlaylistModel& model = wnd_.Model();
    bool scannerRan = model.StopInfoScanner();
    std::vector<int> rows;
    if (selectedOnly) {
        rows = SelectedRows();
    } else {
        rows.resize(size_t(Count()));
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = int(i);
    }
    std::vector<PlaylistEntry> entries;
    entries.reserve(rows.size());
    for (int row : rows)
        entries.push_back({model.PathAt(row), model.InfoAt(row)});
    std::vector<bool> hadInfo(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        hadInfo[i] = !entries[i].info.empty();
    bool written =
        WritePlaylistFile(path, entries, wnd_.ExtPlaylistFormat == 1,
                          [&model](const std::string& p) { return model.BuildInfoLine(p); });
    if (written) {
        // Info lines built for the file are kept in the list too.
        for (size_t i = 0; i < entries.size(); ++i) {
            if (!hadInfo[i] && !entries[i].info.empty())
                model.SetInfoAt(rows[i], entries[i].info);
        }
        wnd_.AddRecent(path);
    }
    if (scannerRan)
        model.StartInfoScanner();
    NotifyAll();
    return written;
}

AppendResult PlaylistView::AppendSelectionTo(const std::string& path) {
    SyncRows();
    if (selectedCount_ == 0)
        return AppendResult::Done;
    wnd_.InitDir = FolderOfFile(path);
    CPlaylistModel& model = wnd_.Model();
    std::vector<std::string> paths;
    for (int row : SelectedRows())
        paths.push_back(model.PathAt(row));
    return AppendToPlaylist(path, paths, wnd_.ExtPlaylistFormat == 1,
                            [&model](const std::string& p) { return model.BuildInfoLine(p); });
}

void PlaylistView::ShowSorted() {
    SyncRows();
    int first = FirstSelected();
    ScrollToTop(first >= 0 ? first : wnd_.CurrentIndex());
    NotifyAll();
}

void PlaylistView::Refill(bool appended) {
    if (ownChange_ || appended) {
        SyncRows();
        return;
    }
    pendingRemovals_.clear();
    marks_.assign(size_t(Count()), 0);
    selectedCount_ = 0;
    dragAnchor_ = -1;
    shiftAnchor_ = -1;
    KeepInside();
    NotifyAll();
}

} // namespace zeb
