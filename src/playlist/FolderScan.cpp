// CPlaylistModel::ScanFolder: the recursive search for playable files.
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
    int added = 0;
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
    std::string base = folder;
    if (base.empty() || base.back() != '/')
        base += '/';
    ScanFolderInto(base, state);
    return state.added;
}

void CPlaylistModel::ScanFolderInto(const std::string& folder, ScanState& state) {
    struct stat folderStat {};
    if (::stat(folder.c_str(), &folderStat) != 0 ||
        !state.visited.insert({folderStat.st_dev, folderStat.st_ino}).second)
        return;
    std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return;
    while (const dirent* item = ::readdir(dir.get())) {
        const std::string_view name = item->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = folder + std::string(name);
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0)
            continue;
        const std::string ext = UpperExtension(path);
        const bool wanted = ext == "MP3" || (ext == "WAV" && state.includeWavs);
        if (wanted && S_ISREG(st.st_mode) && st.st_size > 0) {
            // Exact match: names differing in letter case are different files.
            if (state.skipDuplicates && !state.knownExactly.insert(path).second)
                continue;
            Append(path);
            ++state.added;
        } else if (S_ISDIR(st.st_mode)) {
            ScanFolderInto(path + '/', state);
        }
    }
}

} // namespace zeb
