#pragma once

#include "playlist/PlaylistWriter.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zeb {

class CMainWnd;

// What the playlist view tells the window that shows it.
struct PlaylistViewListener {
    virtual ~PlaylistViewListener() = default;
    // The count, the selection, the caret or the top row changed: resync the
    // scroll range and repaint.
    virtual void RowsChanged() = 0;
    // The title, the status line and the menu state changed.
    virtual void StatusChanged() = 0;
    // The info scanner built a line or finished. Called on the scanner
    // thread: post to the user-interface thread, never wait for it. Further
    // lines are not told of until Title() has been read again.
    virtual void InfoChangedFromScanner() = 0;
};

// The playlist window as logic, one per open window: the rows' selection
// marks, caret, anchors and top row (the list holds no entry data of its
// own; every text comes from the model), the mouse, keyboard and find rules,
// dragging, removing and sorting rows, the title sums, the status line, the
// menu state and the list commands that need no dialog. Plain C++; the
// window draws rows and shows the dialogs.
//
// The constructor takes the model's hooks so that marks and caret stay with
// their entries through sorts, shuffles and removals; the destructor gives
// them back. Main thread only, except the listener's scanner call.
class PlaylistView {
public:
    PlaylistView(CMainWnd& wnd, PlaylistViewListener& listener);
    ~PlaylistView();
    PlaylistView(const PlaylistView&) = delete;
    PlaylistView& operator=(const PlaylistView&) = delete;

    // ------------------------------------------------------------ rows
    int Count() const;
    bool IsSelected(int row) const;
    // The row with the focus rectangle (0 in an empty list).
    int Caret() const { return caret_; }
    int SelectedCount() const { return selectedCount_; }
    // The first selected row at or after `from`; -1 when none.
    int FirstSelected(int from = 0) const;
    std::vector<int> SelectedRows() const;
    // The first visible row; the window tells how many rows fit so that the
    // paging keys and "scroll to the top" stay inside the list.
    int TopRow() const { return top_; }
    void SetTopRow(int row);
    void SetPageRows(int rows);
    int PageRows() const { return pageRows_; }

    // What a row shows, UTF-8: its number ("%d" of row + 1), the info line
    // without its length suffix (or the file name while the info line is not
    // known) and the length ("mm:ss", empty while not known). `current` marks
    // the current entry's row.
    struct RowText {
        std::string number;
        std::string text;
        std::string length;
        bool current = false;
    };
    RowText Row(int row) const;
    // Digits of the number column: those of the entry count, 1 to 4.
    int NumberDigits() const;

    // The window title: the title prefix string followed by the selected and
    // the total playing time ("mm:ss / mm:ss", or "hh:mm:ss / hh:mm:ss" once
    // the total passes an hour). One pass over the info lines.
    std::string Title() const;
    // The status line: the path of the first selected row, empty when none.
    std::string StatusPath() const;
    // Menu bar and context menu state of a playlist-window command.
    bool CommandEnabled(int id) const;
    bool CommandChecked(int id) const;

    // ------------------------------------------------------------ mouse
    // A press on `row` (-1 outside the rows) with the keys held.
    void LeftPress(int row, bool shift, bool ctrl);
    void RightPress(int row, bool shift, bool ctrl);
    // Double click: plays the row's entry, or the next one that opens.
    void Activate(int row);
    // Enter: plays the first selected row's entry.
    void ActivateFirstSelected();
    // A drag starts at the row of the left press (-1: none); DragTo moves
    // the selected rows by the distance from the anchor to `row` (the
    // window picks the row under the pointer, one further near the edges)
    // and makes `row` the new anchor. True when rows moved.
    void BeginDrag(int row);
    bool DragTo(int row);
    int DragAnchor() const { return dragAnchor_; }

    // ------------------------------------------------------------ keyboard
    void ShiftDown();
    void ShiftUp();
    void CtrlDown();
    void CtrlUp();
    void FocusLost();
    // The flags the key presses and releases above keep.
    bool ShiftHeld() const { return shiftHeld_; }
    bool CtrlHeld() const { return ctrlHeld_; }
    enum class NavKey { PageUp, PageDown, Home, End, Up, Down };
    // Moves the caret; with Shift held the rows from the Shift anchor to
    // the caret become the selection, else only the caret's row.
    void Navigate(NavKey key);
    // Numeric-pad '*': every row's mark flips; caret and top row stay.
    void InvertSelection();
    // Select all: every row, caret on row 0.
    void SelectAll();
    // Selects only `row`, puts the caret on it and scrolls it to the top
    // (find box, the find-track submenu, the current entry on opening).
    void SelectOnly(int row);

    // The find box's text changed: a row number (a decimal prefix) selects
    // that row, any other text the first row whose info line contains it,
    // letter case ignored.
    void Find(const std::string& text);

    // ------------------------------------------------------------ commands
    // The list commands that need no dialog (remove selected or all rows,
    // select all, the extended-format toggle, reread tags, the sorts and
    // shuffle, remove missing and duplicate entries, the find-track items);
    // true when handled. Disabled commands do nothing.
    bool OnCommand(int id);
    // Delete key and the remove command: the selected rows; with all, every row.
    void RemoveRows(bool all);
    // The delete-files command after its confirmation: the selected rows go
    // as with RemoveRows and their files to the trash (or for good).
    void DeleteSelectedFiles(bool permanently);
    // Files behind rows were renamed or moved: paths, title and status anew.
    void FilesChanged();

    // The commands after their dialog (the window shows the dialog, then
    // calls these with the choice).
    // Appends the files in order; an empty list before gets the start rule.
    void AddFiles(const std::vector<std::string>& paths);
    // Scans the folder away from the user-interface thread, appends what it
    // found sorted by path; an empty list before gets the start rule. The
    // rows arrive when the scan ends, through the host's refill.
    void AddFolder(const std::string& folder);
    // Dropped items in order: folders are scanned, a .m3u or .pls file
    // replaces the list, other files are appended; the new rows are sorted
    // by path, and an empty list before gets the start rule.
    void AddDropped(const std::vector<std::string>& items);
    // Open playlist / add playlist: the file replaces the list.
    void OpenPlaylist(const std::string& path);
    // Writes the whole list (or the selected rows) to `path`; the file goes
    // to the recent list. False when it could not be written (the caller
    // shows the "cannot open" message).
    bool SavePlaylist(const std::string& path, bool selectedOnly);
    // Adds the selected entries to the end of the existing playlist `path`.
    // Done also when no row is selected (nothing to add).
    AppendResult AppendSelectionTo(const std::string& path);

    // The list changed from outside the window (MainWndHost's refill): N
    // unmarked rows, caret and top row kept inside the list. With
    // `appended` the rows there were are the same entries and keep their
    // marks; the new rows follow unmarked.
    void Refill(bool appended = false);
    // The list was sorted from outside the window (automation): the first
    // selected row, else the current entry's, comes to the top.
    void ShowSorted();

private:
    struct ScannerLink;
    void AttachHooks();
    void DetachHooks();
    void OnEntriesSwapped(int i, int j);
    void OnEntryRemoved(int index);
    void FlushRemovals();
    void GrowMarks();
    void SyncRows();
    int MaxTop() const;
    int BeginPress(int row, bool shift, bool ctrl);
    void Select(int row, bool on);
    void ClearSelection();
    void SelectRange(int from, int to);
    void KeepInside();
    void ScrollToTop(int row);
    void ScrollIntoView(int row);
    void MoveEntry(int from, int to);
    bool DragUp(int k);
    bool DragDown(int k);
    void Reorder(int id);
    void RemoveUnwanted(bool missing);
    void RemoveRowsWith(bool all, const std::function<void(const std::vector<bool>&)>& removal);
    void NotifyAll();

    CMainWnd& wnd_;
    PlaylistViewListener& listener_;
    std::shared_ptr<ScannerLink> link_;
    std::vector<uint8_t> marks_; // one byte per row: 1 selected
    int selectedCount_ = 0;
    std::vector<int> pendingRemovals_; // rows removed whose marks are still kept
    int caret_ = 0;
    int top_ = 0;
    int pageRows_ = 1;
    int dragAnchor_ = -1;
    int shiftAnchor_ = -1;
    bool shiftHeld_ = false;
    bool ctrlHeld_ = false;
    // Set while the view changes the list itself: a refill asked for meanwhile
    // keeps the marks, which the change then sets.
    bool ownChange_ = false;
};

} // namespace zeb
