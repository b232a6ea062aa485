// What follows a tag edit: the entry's info line, the current titles and
// the windows that show them.
#include "shell/MainWnd.h"

namespace zeb {

void CMainWnd::AfterTagEdit(int index) {
    if (index < 0 || index >= Count())
        return;
    const std::string path = model_.PathAt(index);
    model_.SetInfoAt(index, model_.BuildInfoLine(path));
    if (index == CurrentIndex()) {
        SetCurrentTitles(path);
        host_.MarkInfoWindowForReread();
        host_.UpdateStatus(false);
    }
    host_.RedrawPlaylistWindow();
}

void CMainWnd::AfterInfoWindowTagEdit(const std::string& path) {
    const int current = CurrentIndex();
    const bool hasCurrent = current >= 0 && current < Count();
    if (hasCurrent && model_.PathAt(current) == path)
        SetCurrentTitles(path);
    host_.MarkInfoWindowForReread();
    if (hasCurrent) {
        const std::string currentPath = model_.PathAt(current);
        model_.SetInfoAt(current, model_.BuildInfoLine(currentPath));
    }
    host_.UpdateStatus(false);
    host_.RedrawPlaylistWindow();
}

} // namespace zeb
