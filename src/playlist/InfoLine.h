#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zeb {

// The length suffix of an info line: " (%02d:%02d)" from whole minutes and
// seconds (minutes not limited to two digits), or " (mm:ss)" when unknown.
std::string LengthSuffix(std::optional<uint32_t> seconds);
inline constexpr std::string_view kUnknownLengthSuffix = " (mm:ss)";

// The text with every control character (line breaks, tabs, ...) replaced by
// a space: info lines are stored one per line and must never split.
std::string SingleLineText(std::string_view text);

// True for an entry that is an Internet address ("http://" or "ftp://",
// ignoring case) rather than a file path.
bool IsInternetAddress(std::string_view path);

// The estimated playing time of an MPEG audio file in whole seconds, from
// its first frame header (after a RIFF wrapper or an ID3v2 tag) and its
// Xing frame count. Nothing when no header is found or the file cannot be
// read. Free-format streams (no bitrate) have no estimate.
std::optional<uint32_t> EstimateLengthSeconds(const std::string& path);

// An info line and whether it came from the file itself (addresses count as
// such); a file that cannot be opened gives a name-only line not to cache.
struct ComposedInfoLine {
    std::string line;
    bool cacheable = false;
};

// Builds an entry's info line: display text (tag artist " - " title, tag
// title alone, or a name from the path) followed by the length suffix.
ComposedInfoLine ComposeInfoLine(const std::string& path);

} // namespace zeb
