#include "playlist/PlaylistWriter.h"

#include "platform/TextUtil.h"
#include "playlist/InfoLine.h"
#include "playlist/PlaylistReader.h"

#include <algorithm>
#include <filesystem>

namespace zeb {

namespace {

constexpr std::string_view kTagPrefix = "#TAG=";

bool IsControl(char c) {
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
}

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), IsControl);
}

std::string PercentEscaped(std::string_view text, bool escapePercent) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        if (IsControl(c) || (escapePercent && c == '%')) {
            const auto byte = static_cast<unsigned char>(c);
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        } else {
            out += c;
        }
    }
    return out;
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
    if (IsAddress(entryPath) || HasControlCharacter(entryPath))
        return PathAsSingleLine(entryPath);
    if (entryPath.size() > folder.size() && entryPath.compare(0, folder.size(), folder) == 0) {
        std::string relative = entryPath.substr(folder.size());
        if (!ReadsBackWrongly(relative))
            return relative;
    }
    return PathAsSingleLine(entryPath);
}

std::string FormatPls(const std::vector<std::string>& lines) {
    std::string text = "[playlist]\n";
    for (size_t i = 0; i < lines.size(); ++i)
        text += "File" + std::to_string(i + 1) + "=" + lines[i] + "\n";
    text += "NumberOfEntries=" + std::to_string(lines.size()) + "\nVersion=2\n";
    return text;
}

// The playlist text of ready entry lines, each followed by its entry's info
// line when withTags (M3U only).
std::string FormatLines(const std::vector<std::string>& lines,
                        const std::vector<PlaylistEntry>& entries, const std::string& playlistPath,
                        bool withTags) {
    if (IsPlsName(playlistPath))
        return FormatPls(lines);
    std::string text;
    for (size_t i = 0; i < lines.size(); ++i) {
        text += lines[i];
        text += '\n';
        if (withTags) {
            text += kTagPrefix;
            text += SingleLineText(entries[i].info);
            text += '\n';
        }
    }
    return text;
}

} // namespace

std::string PathAsSingleLine(const std::string& path) {
    if (!HasControlCharacter(path))
        return path;
    if (IsAddress(path))
        return PercentEscaped(path, false);
    return "file://" + PercentEscaped(AbsolutePath(path), true);
}

std::string EntryLineFor(const std::string& entryPath, const std::string& playlistPath) {
    return LineBelow(entryPath, PlaylistFolder(playlistPath));
}

std::string FormatPlaylist(const std::vector<PlaylistEntry>& entries,
                           const std::string& playlistPath, bool withTags) {
    const std::string folder = PlaylistFolder(playlistPath);
    std::vector<std::string> lines;
    lines.reserve(entries.size());
    for (const PlaylistEntry& entry : entries)
        lines.push_back(LineBelow(entry.path, folder));
    return FormatLines(lines, entries, playlistPath, withTags);
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
    std::optional<std::vector<KeptEntryLine>> existing = ReadLinesForAppend(playlistPath);
    if (!existing)
        return AppendResult::CannotRead;
    const std::string folder = PlaylistFolder(playlistPath);
    std::vector<std::string> lines;
    std::vector<PlaylistEntry> entries;
    // Lines naming no file here (another machine's drive, a comment) are
    // written back as they were, not turned into a path of this machine.
    for (const KeptEntryLine& line : *existing) {
        lines.push_back(line.found ? LineBelow(line.path, folder) : line.text);
        entries.push_back({line.path, std::string()});
    }
    for (const std::string& path : paths) {
        lines.push_back(LineBelow(path, folder));
        entries.push_back({path, std::string()});
    }
    if (withTags && buildInfo) {
        for (PlaylistEntry& entry : entries)
            entry.info = buildInfo(entry.path);
    }
    if (!WriteFileAtomically(playlistPath, FormatLines(lines, entries, playlistPath, withTags)))
        return AppendResult::CannotWrite;
    return AppendResult::Done;
}

} // namespace zeb
