// CPlaylistModel::ScanFolder: the recursive search for playable files.
#include "platform/MountPoint.h"
#include "platform/TextUtil.h"
#include "playlist/PlaylistModel.h"

#include <cstdint>
#include <dirent.h>
#include <memory>
#include <set>
#include <sys/stat.h>
#include <unordered_set>
#include <utility>

namespace zeb {

struct CPlaylistModel::ScanState {
    bool includeWavs = false;
    bool skipDuplicates = false;
    std::unordered_set<std::string> knownExactly; // with skipDuplicates
    std::set<std::pair<dev_t, ino_t>> visited;    // folders entered, against link loops
    std::vector<std::string> found;
    const std::atomic<bool>* cancel = nullptr; // set: stop as soon as possible
    bool Cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
};

namespace {

// The three characters after the last '.' of the whole path, upper-cased, so
// "x.mp3x" counts as "MP3".
std::string UpperExtension(const std::string& path) {
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::string ext = path.substr(dot + 1, 3);
    for (char& c : ext) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return ext;
}

struct DirCloser {
    void operator()(DIR* d) const { ::closedir(d); }
};

} // namespace

int CPlaylistModel::ScanFolder(const std::string& folder, bool skipDuplicates, bool includeWavs) {
    ScanState state;
    state.includeWavs = includeWavs;
    state.skipDuplicates = skipDuplicates;
    if (skipDuplicates) {
        state.knownExactly.insert(paths_.begin(), paths_.end());
    }
    ScanRoot(folder, state);
    for (const std::string& path : state.found)
        Append(path);
    return static_cast<int>(state.found.size());
}

std::vector<std::string> CPlaylistModel::CollectFolder(const std::string& folder, bool includeWavs,
                                                       const std::atomic<bool>* cancel) {
    ScanState state;
    state.includeWavs = includeWavs;
    state.cancel = cancel;
    ScanRoot(folder, state);
    return std::move(state.found);
}

// The chosen folder is walked unless it is one of the kernel's own file
// systems; below it the walk stays on the folder's file system, so that
// choosing "/" leaves out /proc, /sys, /dev, network mounts and other
// volumes (each of which can be chosen by itself).
void CPlaylistModel::ScanRoot(const std::string& folder, ScanState& state) {
    std::string base = folder;
    if (base.empty() || base.back() != '/')
        base += '/';
    struct stat st {};
    if (::stat(base.c_str(), &st) != 0 || FileSystemKindAt(base) == FileSystemKind::Pseudo)
        return;
    ScanFolderInto(base, st.st_dev, state);
}

void CPlaylistModel::ScanFolderInto(const std::string& folder, dev_t device, ScanState& state) {
    struct stat folderStat {};
    if (state.Cancelled() || ::stat(folder.c_str(), &folderStat) != 0 ||
        !state.visited.insert({folderStat.st_dev, folderStat.st_ino}).second)
        return;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return;
    while (const dirent* item = ::readdir(dir.get())) {
        if (state.Cancelled())
            return;
        const std::string_view name = item->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + std::string(name);
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        const bool isLink = S_ISLNK(st.st_mode);
        if (isLink && ::stat(path.c_str(), &st) != 0)
            continue;
        const std::string ext = UpperExtension(path);
        const bool wanted = ext == "MP3" || (ext == "WAV" && state.includeWavs);
        if (wanted && S_ISREG(st.st_mode) && st.st_size > 0) {
            // Exact match: names differing in letter case are different files.
            if (state.skipDuplicates && !state.knownExactly.insert(path).second)
                continue;
            state.found.push_back(path);
        } else if (S_ISDIR(st.st_mode)) {
            // A folder of its own file system is a mount point: left out. A
            // linked folder is followed onto a local file system only.
            if (!isLink && st.st_dev != device)
                continue;
            if (isLink && FileSystemKindAt(path) != FileSystemKind::Local)
                continue;
            ScanFolderInto(path + '/', st.st_dev, state);
        }
    }
}

} // namespace zeb
