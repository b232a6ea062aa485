// The files behind the entries: renaming them after their tags, deleting
// them, and the entry side of copies and moves. The current entry's file is
// released for the change and played on at the same point afterwards.
#include "platform/FileTransfer.h"
#include "platform/Trash.h"
#include "shell/MainWnd.h"
#include "shell/RenameName.h"

#include <cstdio>

namespace zeb {

namespace {

// Seconds of the length suffix "(mm:ss)" at the end of an info line; 0
// when unknown.
int InfoLineSeconds(const std::string& line) {
    size_t open = line.rfind('(');
    if (open == std::string::npos)
        return 0;
    int minutes = 0;
    int seconds = 0;
    if (std::sscanf(line.c_str() + open + 1, "%d:%d", &minutes, &seconds) != 2)
        return 0;
    return minutes * 60 + seconds;
}

std::string FolderWithSlash(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

} // namespace

CMainWnd::SuspendedPlay CMainWnd::SuspendCurrent() {
    SuspendedPlay play;
    const int current = CurrentIndex();
    if (current >= 0 && current < Count())
        play.lengthSeconds = InfoLineSeconds(model_.InfoAt(current));
    play.state = player_.GetState();
    // Milliseconds, not whole seconds: the play resumes within a fraction of
    // a second of where it was.
    play.positionMs = player_.PositionMs();
    StopEngine();
    return play;
}

void CMainWnd::ResumeCurrent(const SuspendedPlay& play) {
    const int current = CurrentIndex();
    if (current < 0 || current >= Count())
        return;
    const std::string& path = model_.PathAt(current);
    SetCurrentTitles(path);
    player_.SetSource(path);
    if (play.state == CMpegPlayer::Playing || play.state == CMpegPlayer::Paused) {
        if (player_.Open()) {
            StartEngine();
            // A paused play pauses before its seek, so that nothing plays on
            // from the new point meanwhile.
            if (play.state == CMpegPlayer::Paused)
                player_.Pause();
            if (play.lengthSeconds != 0)
                player_.SeekMs(play.positionMs);
        }
    }
    Update();
}

int CMainWnd::RenameByTags(const std::vector<int>& rows, const std::string& pattern) {
    RNTemplate = pattern;
    CancelOpenSearch();
    const bool scannerRan = model_.StopInfoScanner();
    int renamed = 0;
    for (int row : rows) {
        if (row < 0 || row >= Count())
            continue;
        const std::string oldPath = model_.PathAt(row);
        int first = 0;
        int last = 0;
        GetAlbumRange(first, last, true, row);
        RenameFields fields;
        if (!ReadRenameFields(oldPath, row, row - first, fields))
            continue;
        const std::string newPath =
            FolderWithSlash(oldPath) + RenamedFileName(pattern, fields, oldPath);
        if (newPath == oldPath)
            continue;
        const bool current = row == CurrentIndex();
        SuspendedPlay play;
        if (current)
            play = SuspendCurrent();
        // A plain move inside the folder; an existing name is never replaced.
        if (MoveFileSafely(oldPath, newPath)) {
            EntryMoved(row, oldPath, newPath);
            ++renamed;
        }
        if (current)
            ResumeCurrent(play);
    }
    if (scannerRan)
        model_.StartInfoScanner();
    host_.RedrawPlaylistWindow();
    Update();
    return renamed;
}

int CMainWnd::EntryMoved(int row, const std::string& path, const std::string& dest) {
    if (row < 0 || row >= Count() || model_.PathAt(row) != path) {
        row = -1;
        for (int i = 0; i < Count(); ++i) {
            if (model_.PathAt(i) == path) {
                row = i;
                break;
            }
        }
        if (row < 0)
            return -1;
    }
    model_.SetPathAt(row, dest);
    model_.StoreInfo(dest, model_.InfoAt(row));
    return row;
}

RemovalResult CMainWnd::DeleteEntryFiles(const std::vector<bool>& remove, bool permanently) {
    std::vector<std::string> paths;
    for (size_t row = 0; row < remove.size() && int(row) < Count(); ++row) {
        if (remove[row])
            paths.push_back(model_.PathAt(int(row)));
    }
    // The entries go first: the engine lets go of the current file.
    RemovalResult result = RemoveEntries(remove);
    for (const std::string& path : paths) {
        if (permanently)
            DeleteFileForce(path);
        else
            MoveToTrash(path);
    }
    return result;
}

} // namespace zeb
