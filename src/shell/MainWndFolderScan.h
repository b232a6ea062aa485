// A folder scan of CMainWnd::AddFolder, shared between the window and the
// thread that walks the folder.
#pragma once

#include "shell/MainWnd.h"

#include <atomic>
#include <string>
#include <utility>
#include <vector>

namespace zeb {

struct CMainWnd::FolderScan {
    FolderScan(std::string folder, bool includeWavs, bool randomFirst, bool append, bool play)
        : folder(std::move(folder)), includeWavs(includeWavs), randomFirst(randomFirst),
          append(append), play(play) {}

    const std::string folder;
    const bool includeWavs;
    const bool randomFirst;
    const bool append;
    const bool play;
    std::atomic<bool> cancelled{false};
    std::vector<std::string> found; // written by the walk, read once it is done
};

} // namespace zeb
