#include "playlist/PlaylistReader.h"

#include "platform/RegularFile.h"
#include "platform/TextUtil.h"
#include "playlist/AnsiCodePage.h"

#include <algorithm>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {

namespace {

constexpr std::string_view kTagPrefix = "#TAG=";
constexpr std::string_view kExtPrefix = "#EXT";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
// Far beyond any real playlist (100 000 entries take a few MiB); a bigger
// file is no playlist and is not read.
constexpr size_t kMaxTextFileBytes = size_t{64} << 20;

bool StartsWithIgnoreCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && EqualsIgnoreCase(s.substr(0, prefix.size()), prefix);
}

bool Exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string Slashed(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c == '\\')
            c = '/';
    }
    return out;
}

std::string AbsolutePlaylistPath(const std::string& playlistPath) {
    std::error_code ec;
    std::filesystem::path abs = std::filesystem::absolute(playlistPath, ec);
    return ec ? playlistPath : abs.string();
}

// The folder of a path with its trailing '/', empty when it has none.
std::string FolderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = AsciiLower(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string PercentDecoded(std::string_view s) {
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && HexValue(s[i + 1]) >= 0 && HexValue(s[i + 2]) >= 0) {
            char byte = static_cast<char>(HexValue(s[i + 1]) * 16 + HexValue(s[i + 2]));
            if (byte != '\0') {
                out += byte;
                i += 2;
                continue;
            }
        }
        out += s[i];
    }
    return out;
}

// The part of a Windows absolute path below its drive or share, with '/'
// separators and no leading ones: "C:\x\a.mp3", "\x\a.mp3" and
// "\\server\share\x\a.mp3" all give "x/a.mp3".
std::string BelowWindowsRoot(std::string_view line) {
    std::string rest = Slashed(line);
    if (rest.size() >= 2 && rest[1] == ':') {
        rest.erase(0, 2);
    } else if (rest.rfind("//", 0) == 0) {
        size_t server = rest.find('/', 2);
        size_t share = server == std::string::npos ? server : rest.find('/', server + 1);
        rest.erase(0, share == std::string::npos ? rest.size() : share);
    }
    size_t first = rest.find_first_not_of('/');
    return first == std::string::npos ? std::string() : rest.substr(first);
}

// Looks for rest in the folder and in each folder above it; the first that
// exists wins, else rest is taken from '/'.
std::string FindUpwards(const std::string& folder, const std::string& rest) {
    if (rest.empty())
        return "/";
    std::string dir = folder;
    while (!dir.empty() && dir.back() == '/')
        dir.pop_back();
    while (!dir.empty()) {
        std::string candidate = dir + "/" + rest;
        if (Exists(candidate))
            return candidate;
        size_t slash = dir.rfind('/');
        dir.erase(slash == std::string::npos ? 0 : slash);
    }
    return "/" + rest;
}

bool IsWindowsAbsolute(std::string_view line) {
    return (line.size() >= 2 && line[1] == ':' && IsAsciiLetter(line[0])) ||
           (!line.empty() && line[0] == '\\');
}

std::string ResolveRelative(std::string_view line, const std::string& folder) {
    std::string asWritten = folder + std::string(line);
    if (line.find('\\') == std::string_view::npos || Exists(asWritten))
        return asWritten;
    return folder + Slashed(line);
}

bool IsTagLine(std::string_view line) {
    return line.rfind(kTagPrefix, 0) == 0;
}

bool IsExtLine(std::string_view line) {
    return line.rfind(kExtPrefix, 0) == 0;
}

// The entry text of a PLS line, or nothing when the line is not an entry.
std::optional<std::string_view> PlsEntryText(std::string_view line) {
    if (!StartsWithIgnoreCase(line, "file"))
        return std::nullopt;
    size_t eq = line.find('=');
    return eq == std::string_view::npos ? line : Trim(line.substr(eq + 1));
}

// Resolves an entry line of a playlist whose folder (absolute, with its
// trailing '/') is given.
std::string ResolveInFolder(std::string_view line, const std::string& folder,
                            AddressSpaces spaces) {
    if (IsAddress(line))
        return spaces == AddressSpaces::Escape ? EscapeAddressSpaces(line) : std::string(line);
    if (auto local = LocalPathOfFileAddress(line))
        return *local;
    if (!line.empty() && line[0] == '/')
        return std::string(line);
    if (IsWindowsAbsolute(line)) {
        // A name like "a:b.mp3" in the playlist's folder is taken as written.
        if (line[0] != '\\' && Exists(folder + std::string(line)))
            return folder + std::string(line);
        return FindUpwards(folder, BelowWindowsRoot(line));
    }
    return ResolveRelative(line, folder);
}

std::string PlaylistFolder(const std::string& playlistPath) {
    return FolderOf(AbsolutePlaylistPath(playlistPath));
}

bool HasNonAscii(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// ResolveInFolder, and when that names no existing file, the line taken in
// the interface language's code page (a playlist written on Windows in its
// ANSI code page) if that names one.
std::string ResolveWithCodePage(std::string_view line, const std::string& folder,
                                AddressSpaces spaces) {
    std::string path = ResolveInFolder(line, folder, spaces);
    if (!HasNonAscii(line) || IsAddress(path) || Exists(path))
        return path;
    std::string converted = ResolveInFolder(AnsiToUtf8(line), folder, spaces);
    return Exists(converted) ? converted : path;
}

} // namespace

bool IsAddress(std::string_view path) {
    return StartsWithIgnoreCase(path, "http://") || StartsWithIgnoreCase(path, "ftp://");
}

std::string EscapeAddressSpaces(std::string_view address) {
    std::string out;
    out.reserve(address.size());
    for (char c : address) {
        if (c == ' ')
            out += "%20";
        else
            out += c;
    }
    return out;
}

bool IsPlsName(std::string_view path) {
    return path.size() >= 4 && EqualsIgnoreCase(path.substr(path.size() - 4), ".pls");
}

std::optional<std::string> ReadTextFile(const std::string& path) {
    struct stat st {};
    const int fd = OpenRegularFile(path, O_RDONLY, 0, &st);
    if (fd < 0)
        return std::nullopt;
    if (static_cast<uint64_t>(st.st_size) > kMaxTextFileBytes) {
        ::close(fd);
        return std::nullopt;
    }
    std::string text;
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || text.size() + static_cast<size_t>(n) > kMaxTextFileBytes)
            break;
        text.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return text;
}

std::vector<std::string> SplitTrimmedLines(std::string_view text) {
    if (text.rfind(kUtf8Bom, 0) == 0)
        text.remove_prefix(kUtf8Bom.size());
    std::vector<std::string> lines;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        size_t zero = line.find('\0');
        if (zero != std::string_view::npos)
            line = line.substr(0, zero);
        lines.emplace_back(Trim(line));
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

std::optional<std::string> LocalPathOfFileAddress(std::string_view line) {
    constexpr std::string_view kScheme = "file://";
    if (!StartsWithIgnoreCase(line, kScheme))
        return std::nullopt;
    std::string_view rest = line.substr(kScheme.size());
    if (StartsWithIgnoreCase(rest, "localhost/"))
        rest.remove_prefix(std::string_view("localhost").size());
    if (rest.empty() || rest.front() != '/')
        return std::nullopt;
    return PercentDecoded(rest);
}

std::string StoredLineToPath(std::string line) {
    if (auto local = LocalPathOfFileAddress(line))
        return *local;
    return IsAddress(line) ? EscapeAddressSpaces(line) : line;
}

std::string ResolveEntryLine(std::string_view line, const std::string& playlistPath,
                             AddressSpaces spaces) {
    return ResolveWithCodePage(line, PlaylistFolder(playlistPath), spaces);
}

void ParsePlaylistText(std::string_view text, const std::string& playlistPath,
                       std::vector<PlaylistEntry>& list, const InfoFoundFn& onInfo) {
    const bool pls = IsPlsName(playlistPath);
    const std::string folder = PlaylistFolder(playlistPath);
    auto append = [&](std::string_view line) {
        list.push_back({ResolveWithCodePage(line, folder, AddressSpaces::Escape), std::string()});
    };
    for (const std::string& line : SplitTrimmedLines(text)) {
        if (line.empty() || IsExtLine(line))
            continue;
        if (pls) {
            if (auto entry = PlsEntryText(line); entry && !entry->empty())
                append(*entry);
            continue;
        }
        if (IsTagLine(line) && !list.empty()) {
            list.back().info = line.substr(kTagPrefix.size());
            if (onInfo)
                onInfo(list.back().path, list.back().info);
            continue;
        }
        append(line);
    }
}

bool ReadPlaylistFile(const std::string& playlistPath, std::vector<PlaylistEntry>& list,
                      const InfoFoundFn& onInfo) {
    std::optional<std::string> text = ReadTextFile(playlistPath);
    if (!text)
        return false;
    ParsePlaylistText(*text, playlistPath, list, onInfo);
    return true;
}

std::optional<std::vector<KeptEntryLine>> ReadLinesForAppend(const std::string& playlistPath) {
    std::optional<std::string> text = ReadTextFile(playlistPath);
    if (!text)
        return std::nullopt;
    const bool pls = IsPlsName(playlistPath);
    const std::string folder = PlaylistFolder(playlistPath);
    std::vector<KeptEntryLine> lines;
    for (const std::string& line : SplitTrimmedLines(*text)) {
        if (line.empty() || IsExtLine(line) || IsTagLine(line))
            continue;
        std::optional<std::string_view> entry = pls ? PlsEntryText(line) : line;
        if (!entry || entry->empty())
            continue;
        std::string path = ResolveWithCodePage(*entry, folder, AddressSpaces::Keep);
        const bool found = IsAddress(path) || Exists(path);
        lines.push_back({std::move(path), std::string(*entry), found});
    }
    return lines;
}

} // namespace zeb
