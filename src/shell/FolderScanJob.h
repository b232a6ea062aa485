#pragma once

#include <atomic>
#include <string>
#include <utility>
#include <vector>

namespace zeb {

// One folder of CMainWnd::AddFolder being scanned, shared between the
// window and the thread that walks the folder.
struct FolderScanJob {
    FolderScanJob(std::string folder, bool includeWavs, bool randomFirst, bool append, bool play)
        : folder(std::move(folder)), includeWavs(includeWavs), randomFirst(randomFirst),
          append(append), play(play) {}

    const std::string folder;
    const bool includeWavs;
    // How the files found are loaded.
    const bool randomFirst;
    const bool append;
    const bool play;
    std::atomic<bool> cancelled{false};
    std::vector<std::string> found; // written by the walk, read once it is done
};

} // namespace zeb
