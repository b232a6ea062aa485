#include "playlist/PlaylistWriter.h"

#include "platform/TextUtil.h"
#include "playlist/PlaylistReader.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {

namespace {

constexpr std::string_view kTagPrefix = "#TAG=";

// The file a write must replace: the target of a symbolic link, so the link
// itself survives.
std::string ResolvedTarget(const std::string& path) {
    char* real = ::realpath(path.c_str(), nullptr);
    if (!real)
        return path;
    std::string resolved(real);
    std::free(real);
    return resolved;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

bool IsReadOnly(const std::string& target, const struct stat& st) {
    return S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0;
}

// Creates a new, empty temporary file beside target; the descriptor and name.
std::optional<std::pair<int, std::string>> CreateTemporaryBeside(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = target + ".tmp-" + std::to_string(::getpid()) + "-" +
                           std::to_string(counter.fetch_add(1));
        int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0)
            return std::make_pair(fd, name);
        if (errno != EEXIST)
            return std::nullopt;
    }
    return std::nullopt;
}

std::string AbsolutePath(const std::string& path) {
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(path, ec);
    return ec ? path : abs.string();
}

bool IsDriveLetterForm(std::string_view s) {
    return s.size() >= 2 && s[1] == ':' &&
           ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z'));
}

// True when a relative entry line would not read back as the same path.
bool ReadsBackWrongly(std::string_view relative) {
    return relative.empty() || relative.front() == '#' || relative.front() == '\\' ||
           IsBlank(relative.front()) || IsBlank(relative.back()) || IsDriveLetterForm(relative) ||
           IsAddress(relative) || relative.rfind("file://", 0) == 0;
}

// The playlist's folder, absolute and with its trailing '/'.
std::string PlaylistFolder(const std::string& playlistPath) {
    const std::string playlist = AbsolutePath(playlistPath);
    return playlist.substr(0, playlist.rfind('/') + 1);
}

// The entry line for a playlist in folder (with its trailing '/').
std::string LineBelow(const std::string& entryPath, const std::string& folder) {
    if (IsAddress(entryPath))
        return entryPath;
    if (entryPath.size() > folder.size() && entryPath.compare(0, folder.size(), folder) == 0) {
        std::string relative = entryPath.substr(folder.size());
        if (!ReadsBackWrongly(relative))
            return relative;
    }
    return entryPath;
}

std::string FormatPls(const std::vector<std::string>& lines) {
    std::string text = "[playlist]\n";
    for (size_t i = 0; i < lines.size(); ++i)
        text += "File" + std::to_string(i + 1) + "=" + lines[i] + "\n";
    text += "NumberOfEntries=" + std::to_string(lines.size()) + "\nVersion=2\n";
    return text;
}

} // namespace

bool WriteFileAtomically(const std::string& path, std::string_view data) {
    const std::string target = ResolvedTarget(path);
    struct stat st {};
    const bool exists = ::stat(target.c_str(), &st) == 0;
    if (exists && IsReadOnly(target, st))
        return false;
    auto temporary = CreateTemporaryBeside(target);
    if (!temporary)
        return false;
    auto [fd, name] = *temporary;
    bool ok = (!exists || ::fchmod(fd, st.st_mode & 07777) == 0) && WriteAll(fd, data) &&
              ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok && ::rename(name.c_str(), target.c_str()) == 0)
        return true;
    ::unlink(name.c_str());
    return false;
}

std::string EntryLineFor(const std::string& entryPath, const std::string& playlistPath) {
    return LineBelow(entryPath, PlaylistFolder(playlistPath));
}

std::string FormatPlaylist(const std::vector<PlaylistEntry>& entries,
                           const std::string& playlistPath, bool withTags) {
    const std::string folder = PlaylistFolder(playlistPath);
    if (IsPlsName(playlistPath)) {
        std::vector<std::string> lines;
        lines.reserve(entries.size());
        for (const PlaylistEntry& entry : entries)
            lines.push_back(LineBelow(entry.path, folder));
        return FormatPls(lines);
    }
    std::string text;
    for (const PlaylistEntry& entry : entries) {
        text += LineBelow(entry.path, folder);
        text += '\n';
        if (withTags) {
            text += kTagPrefix;
            text += entry.info;
            text += '\n';
        }
    }
    return text;
}

bool WritePlaylistFile(const std::string& playlistPath, std::vector<PlaylistEntry>& entries,
                       bool withTags, const InfoBuildFn& buildInfo) {
    if (withTags && buildInfo) {
        for (PlaylistEntry& entry : entries) {
            if (entry.info.empty())
                entry.info = buildInfo(entry.path);
        }
    }
    return WriteFileAtomically(playlistPath, FormatPlaylist(entries, playlistPath, withTags));
}

AppendResult AppendToPlaylist(const std::string& playlistPath,
                              const std::vector<std::string>& paths, bool withTags,
                              const InfoBuildFn& buildInfo) {
    std::optional<std::vector<std::string>> existing = ReadPathsForAppend(playlistPath);
    if (!existing)
        return AppendResult::CannotRead;
    std::vector<PlaylistEntry> entries;
    entries.reserve(existing->size() + paths.size());
    for (const std::string& path : *existing)
        entries.push_back({path, std::string()});
    for (const std::string& path : paths)
        entries.push_back({path, std::string()});
    if (withTags && buildInfo) {
        for (PlaylistEntry& entry : entries)
            entry.info = buildInfo(entry.path);
    }
    if (!WriteFileAtomically(playlistPath, FormatPlaylist(entries, playlistPath, withTags)))
        return AppendResult::CannotWrite;
    return AppendResult::Done;
}

} // namespace zeb
