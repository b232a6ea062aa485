#pragma once

#include "shell/PlaylistView.h"

#include <QWidget>
#include <memory>

class QLineEdit;
class QMenu;
class QMenuBar;

namespace zeb {

class CMainWnd;
class PlaylistList;

// The playlist window: a menu bar, the find box, the rows and the status
// line over a PlaylistView, which holds the rules; the window shows the
// dialogs and passes mouse, keys, menus, shortcuts and drops on. It opens
// where it was last closed and stores its placement when it closes.
// Closing destroys it (Closed is emitted first).
class PlaylistWindow : public QWidget, private PlaylistViewListener {
    Q_OBJECT
public:
    explicit PlaylistWindow(CMainWnd& wnd, QWidget* parent = nullptr);
    ~PlaylistWindow() override;

    PlaylistView& View() { return *view_; }
    PlaylistList* List() const { return list_; }
    QLineEdit* FindBox() const { return find_; }
    QMenuBar* MenuBar() const { return menuBar_; }

    // The list changed from outside the window: every row anew (the rows
    // there were keep their marks when entries were only appended).
    void Refill(bool appended = false);
    // The list was sorted from outside the window.
    void ShowSorted();
    void Redraw();
    // A menu, shortcut or context-menu command.
    void RunCommand(int id);
    // PlaylistX, PlaylistY, PlaylistW and PlaylistH from the window's
    // normal (not minimised or maximised) geometry.
    void StorePlacement();

signals:
    void Closed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // PlaylistViewListener
    void RowsChanged() override;
    void StatusChanged() override;
    void InfoChangedFromScanner() override;

    void BuildControls();
    void BuildMenuBar();
    void AddShortcuts();
    void Place();
    void ApplyOnTop();
    void ToggleOnTop();
    void UpdateMenu(QMenu* menu);
    void FillFindMenu(QMenu* menu);
    void ShowContextMenu(const QPoint& globalPos);
    void OpenPlaylistFile();
    void SavePlaylistFile(bool selectedOnly);
    void AppendToPlaylistFile();
    void AddFiles();
    void AddFolder();
    void ShowCannotOpen();
    void PassToList(QKeyEvent* event);

    CMainWnd& wnd_;
    std::unique_ptr<PlaylistView> view_;
    QMenuBar* menuBar_ = nullptr;
    QLineEdit* find_ = nullptr;
    PlaylistList* list_ = nullptr;
    QLineEdit* status_ = nullptr;
};

} // namespace zeb
