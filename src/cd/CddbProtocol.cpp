#include "cd/CddbProtocol.h"

#include "cd/DiscId.h"
#include "cd/DiscToc.h"
#include "platform/TextUtil.h"
#include "platform/Utf8.h"

#include <charconv>
#include <map>

namespace zeb {

namespace {

constexpr std::string_view kCgiPath = "/~cddb/cddb.cgi?cmd=";
constexpr std::string_view kClientName = "ZEB";
constexpr std::string_view kQueryVersion = "FINAL";
constexpr std::string_view kReadVersion = "2";
// A disc holds at most 99 tracks; higher indices are not track names.
constexpr int kMaxTrackIndex = 98;

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~';
}

std::string UrlEncode(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (IsUnreserved(c)) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string CommandUrl(const std::string& server, const std::string& command,
                       std::string_view hello) {
    return "http://" + server + std::string(kCgiPath) + command + "&hello=" + std::string(hello) +
           "&proto=1";
}

bool HasStatus(const std::vector<std::string>& lines, std::string_view status) {
    return !lines.empty() && lines.front().starts_with(status);
}

std::optional<CddbMatch> ParseMatch(std::string_view line) {
    size_t first = line.find(' ');
    if (first == std::string_view::npos)
        return std::nullopt;
    size_t second = line.find(' ', first + 1);
    CddbMatch match;
    match.category = std::string(line.substr(0, first));
    match.discId = std::string(
        line.substr(first + 1, second == std::string_view::npos ? second : second - first - 1));
    if (second != std::string_view::npos)
        match.title = CddbTextToUtf8(Trim(line.substr(second + 1)));
    if (match.category.empty() || match.discId.empty())
        return std::nullopt;
    return match;
}

// A keyword line "NAME=value" of a read reply; the value after the first "=".
std::optional<std::string_view> ValueOf(std::string_view line, std::string_view keyword) {
    if (!line.starts_with(keyword))
        return std::nullopt;
    size_t equals = line.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return line.substr(equals + 1);
}

std::optional<int> TrackIndex(std::string_view line) {
    size_t equals = line.find('=');
    std::string_view digits = line.substr(6, equals - 6);
    int index = -1;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
    if (error != std::errc() || end != digits.data() + digits.size() || index < 0 ||
        index > kMaxTrackIndex)
        return std::nullopt;
    return index;
}

// "artist / title": the artist before the first "/", the title after the
// last; without a "/" the whole text is the title.
void SplitDiscTitle(std::string_view text, CddbDisc& disc) {
    size_t first = text.find('/');
    if (first == std::string_view::npos) {
        disc.title = std::string(Trim(text));
        return;
    }
    disc.artist = std::string(Trim(text.substr(0, first)));
    disc.title = std::string(Trim(text.substr(text.rfind('/') + 1)));
}

} // namespace

std::string CddbHello(std::string_view email, std::string_view version) {
    std::string hello;
    size_t start = 0;
    for (size_t at = email.find('@'); at != std::string_view::npos; at = email.find('@', start)) {
        hello += UrlEncode(email.substr(start, at - start)) + "+";
        start = at + 1;
    }
    hello += UrlEncode(email.substr(start));
    return hello + "+" + std::string(kClientName) + "+" + std::string(version);
}

std::string CddbQueryUrl(const std::string& server, const std::string& email, const DiscToc& toc) {
    std::string command =
        "cddb+query+" + FormatDiscId(CddbDiscId(toc)) + "+" + std::to_string(toc.TrackCount());
    for (int offset : toc.offsets)
        command += "+" + std::to_string(offset);
    command += "+" + std::to_string(toc.totalSeconds);
    return CommandUrl(server, command, CddbHello(email, kQueryVersion));
}

std::string CddbReadUrl(const std::string& server, const std::string& email,
                        const CddbMatch& match) {
    std::string command = "cddb+read+" + UrlEncode(match.category) + "+" + UrlEncode(match.discId);
    return CommandUrl(server, command, CddbHello(email, kReadVersion));
}

std::vector<std::string> SplitReplyLines(std::string_view body) {
    std::vector<std::string> lines;
    while (!body.empty()) {
        size_t end = body.find('\n');
        std::string_view line = body.substr(0, end);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        lines.emplace_back(line);
        if (end == std::string_view::npos)
            break;
        body.remove_prefix(end + 1);
    }
    return lines;
}

std::vector<CddbMatch> ParseQueryReply(const std::vector<std::string>& lines) {
    std::vector<CddbMatch> matches;
    if (HasStatus(lines, "200")) {
        std::string_view line = lines.front();
        size_t space = line.find(' ');
        if (space != std::string_view::npos) {
            if (auto match = ParseMatch(line.substr(space + 1)))
                matches.push_back(*match);
        }
    } else if (HasStatus(lines, "211")) {
        for (size_t i = 1; i < lines.size() && lines[i] != "."; ++i) {
            if (auto match = ParseMatch(lines[i]))
                matches.push_back(*match);
        }
    }
    return matches;
}

std::optional<CddbDisc> ParseReadReply(const std::vector<std::string>& lines) {
    if (!HasStatus(lines, "210"))
        return std::nullopt;
    // Long values continue on further lines with the same keyword.
    std::string discTitle;
    bool hasDiscTitle = false;
    std::map<int, std::string> tracks;
    for (size_t i = 1; i < lines.size() && lines[i] != "."; ++i) {
        const std::string& line = lines[i];
        if (auto value = ValueOf(line, "DTITLE")) {
            discTitle += *value;
            hasDiscTitle = true;
        } else if (auto track = ValueOf(line, "TTITLE")) {
            if (auto index = TrackIndex(line))
                tracks[*index] += *track;
        }
    }
    if (!hasDiscTitle && tracks.empty())
        return std::nullopt;
    CddbDisc disc;
    SplitDiscTitle(CddbTextToUtf8(discTitle), disc);
    if (!tracks.empty())
        disc.trackNames.resize(static_cast<size_t>(tracks.rbegin()->first) + 1);
    for (const auto& [index, name] : tracks)
        disc.trackNames[static_cast<size_t>(index)] = std::string(Trim(CddbTextToUtf8(name)));
    return disc;
}

std::string CddbTextToUtf8(std::string_view text) {
    if (IsValidUtf8(text))
        return std::string(text);
    std::string out;
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace zeb
