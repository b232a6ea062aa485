// The MP3 information window: the current entry's stream values and tag,
// with a button that edits the tag.
#pragma once

#include "shell/Mp3InfoView.h"

#include <QDialog>
#include <QRect>
#include <map>
#include <string>

class QLineEdit;

namespace zeb {

class CMainWnd;

// Dialog 103 (153 in Russian), modeless; deletes itself when closed, after
// storing its position in InfoX and InfoY. It opens at InfoX, InfoY (-1000
// centres it on that axis) inside the work area. With InfoOnTop it stays
// above other windows and has no task-bar button; its context menu (right
// click on the background) toggles that. Esc closes it.
class Mp3InfoWindow : public QDialog {
    Q_OBJECT
public:
    explicit Mp3InfoWindow(CMainWnd& wnd, QWidget* parent = nullptr);

    // Takes the stream info string ("bitrate@frequency@mode") and the current
    // entry: the stream values always, the tag only when the entry's path
    // differs from the shown one (or the window was marked).
    void RefreshMp3Info(const std::string& streamInfo);
    // The next refresh reads the file again.
    void MarkForReread() { view_.MarkForReread(); }
    const Mp3InfoView& View() const { return view_; }

    // "Altid øverst": toggles InfoOnTop and the window's stacking.
    void ToggleOnTop();
    // "Rediger Tag": the tag editor over the current entry, then the fields
    // are read again.
    void EditTag();
    // Its position into InfoX and InfoY (closing does this).
    void StorePosition();

    // The top-left corner for a window of `size` placed at (x, y) in `area`:
    // -1000 centres on that axis; the window is then kept inside the area.
    static QPoint PlaceInArea(int x, int y, QSize size, const QRect& area);

    void reject() override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QLineEdit* Field(int id);
    void ShowFields();
    void ApplyOnTop();
    void PlaceAtStoredPosition();

    CMainWnd& wnd_;
    Mp3InfoView view_;
    std::string streamInfo_;
    std::map<int, QLineEdit*> fields_;
};

} // namespace zeb
