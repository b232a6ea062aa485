#include "playlist/InfoLine.h"

#include "engine/FrameHeader.h"
#include "platform/RegularFile.h"
#include "platform/TextUtil.h"
#include "playlist/Id3v1Tag.h"

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {

namespace {

constexpr uint32_t kRiffMarker = 0x52494646; // "RIFF"
constexpr uint32_t kId3v2Marker = 0x494433;  // "ID3" in the top three bytes
constexpr uint32_t kRiffAudioOffset = 70;    // where MP3 data starts in a RIFF wrapper
constexpr long kRiffSkip = 66;               // RIFF bytes after the first word
constexpr int kHeaderSearchLimit = 65536;    // bytes shifted in while searching
constexpr size_t kXingBodySize = 116;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens a regular file for reading; nothing for anything else. The open does
// not block, so a named pipe or a device in a list cannot hang the caller.
FilePtr OpenForReading(const std::string& path) {
    const int fd = OpenRegularFile(path, O_RDONLY);
    if (fd < 0)
        return nullptr;
    std::FILE* file = ::fdopen(fd, "rb");
    if (!file)
        ::close(fd);
    return FilePtr(file);
}

bool ReadBytes(std::FILE* f, unsigned char* out, size_t n) {
    return std::fread(out, 1, n, f) == n;
}

uint32_t BigEndian(const unsigned char* b) {
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

bool ReadWord(std::FILE* f, uint32_t& word) {
    unsigned char b[4];
    if (!ReadBytes(f, b, 4))
        return false;
    word = BigEndian(b);
    return true;
}

bool Skip(std::FILE* f, long bytes) {
    return std::fseek(f, bytes, SEEK_CUR) == 0;
}

// Shifts bytes into the word until it is a frame header, as the frame search
// does; false after kHeaderSearchLimit bytes or at the end of the file.
bool SearchHeader(std::FILE* f, uint32_t word, FrameHeader& header) {
    for (int i = 0; i < kHeaderSearchLimit; ++i) {
        const int c = std::fgetc(f);
        if (c == EOF)
            return false;
        word = (word << 8) | static_cast<uint32_t>(c);
        if (DecodeHeader(word, header))
            return true;
    }
    return false;
}

// Finds the first frame header, stepping over a RIFF wrapper and ID3v2 tags.
// On success the file is positioned right after the header's four bytes.
bool FindFirstHeader(std::FILE* f, FrameHeader& header, uint32_t& riffOffset, uint32_t& tagSize) {
    uint32_t word = 0;
    if (!ReadWord(f, word))
        return false;
    for (;;) {
        if (DecodeHeader(word, header))
            return true;
        if (word == kRiffMarker) {
            riffOffset = kRiffAudioOffset;
            if (!Skip(f, kRiffSkip) || !ReadWord(f, word))
                return false;
        } else if ((word >> 8) == kId3v2Marker) {
            unsigned char size[4];
            if (!Skip(f, 2) || !ReadBytes(f, size, 4))
                return false;
            tagSize = (uint32_t(size[0] & 0x7F) << 21) | (uint32_t(size[1] & 0x7F) << 14) |
                      (uint32_t(size[2] & 0x7F) << 7) | uint32_t(size[3] & 0x7F);
            if (!Skip(f, static_cast<long>(tagSize)) || !ReadWord(f, word))
                return false;
        } else {
            return SearchHeader(f, word, header);
        }
    }
}

int SideInformationSize(const FrameHeader& h) {
    const bool single = h.mode == 3;
    const int size = h.lsf ? (single ? 9 : 17) : (single ? 17 : 32);
    return size + (h.errorProtection ? 2 : 0);
}

// The frame count of a Xing header in the first frame; nothing without one.
// A Xing header without the frame-count flag counts 0 frames. "Info" is the
// same header in constant-bitrate files, whose first frame often has a higher
// bitrate than the rest, so its count is the only right length there.
std::optional<uint32_t> XingFrameCount(std::FILE* f, const FrameHeader& h) {
    unsigned char marker[4];
    if (!Skip(f, SideInformationSize(h)) || !ReadBytes(f, marker, 4))
        return std::nullopt;
    const std::string_view word(reinterpret_cast<const char*>(marker), 4);
    if (word != "Xing" && word != "Info")
        return std::nullopt;
    unsigned char body[kXingBodySize] = {};
    const size_t got = std::fread(body, 1, kXingBodySize, f);
    if (got < 8 || !(BigEndian(body) & 1))
        return 0;
    return BigEndian(body + 4);
}

uint32_t SecondsOf(uint64_t seconds) {
    return static_cast<uint32_t>(std::min<uint64_t>(seconds, UINT32_MAX));
}

std::optional<uint32_t> EstimateLength(std::FILE* f) {
    struct stat st {};
    if (::fstat(::fileno(f), &st) != 0)
        return std::nullopt;
    FrameHeader header;
    uint32_t riffOffset = 0, tagSize = 0;
    if (!FindFirstHeader(f, header, riffOffset, tagSize))
        return std::nullopt;
    const uint32_t kbps = static_cast<uint32_t>(BitrateKbps(header));
    const uint32_t rate = static_cast<uint32_t>(SamplingRateOf(header));
    if (kbps == 0 || rate == 0)
        return std::nullopt; // free format: no bitrate to divide by
    // 64-bit sizes: files above 512 MiB would wrap in 32 bits.
    const uint64_t fileBytes = static_cast<uint64_t>(st.st_size);
    const uint64_t skipped = uint64_t{riffOffset} + tagSize;
    const uint64_t audioBytes = fileBytes > skipped ? fileBytes - skipped : 0;
    uint32_t seconds = SecondsOf(audioBytes * 8u / kbps / 1000u);
    if (const auto frames = XingFrameCount(f, header)) {
        const double samplesPerFrame = header.lsf ? 576.0 : 1152.0;
        seconds = SecondsOf(static_cast<uint64_t>(samplesPerFrame / rate * *frames));
    }
    return seconds;
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The three characters after position dot, upper-cased (fewer at the end).
std::string ExtensionAfter(std::string_view text, size_t dot) {
    std::string ext(text.substr(dot + 1, 3));
    for (char& c : ext) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return ext;
}

std::string AddressName(std::string address) {
    address = ReplaceAll(std::move(address), "%20", " ");
    const size_t dot = address.rfind('.');
    if (dot == std::string::npos)
        return address;
    const std::string ext = ExtensionAfter(address, dot);
    if (ext != "MP3" && ext != "WAV")
        return address;
    const size_t slash = address.rfind('/', dot);
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    return address.substr(start, dot - start);
}

// The file name without folder ('/' or '\') and without extension.
std::string FileName(std::string_view path) {
    const size_t separator = path.find_last_of("/\\");
    if (separator != std::string_view::npos)
        path.remove_prefix(separator + 1);
    const size_t dot = path.rfind('.');
    if (dot != std::string_view::npos)
        path = path.substr(0, dot);
    return std::string(path);
}

std::string TagDisplayText(const Id3v1Tag& tag) {
    const std::string title = Id3v1DisplayText(tag.title);
    const std::string artist = Id3v1DisplayText(tag.artist);
    return artist.empty() ? title : artist + " - " + title;
}

} // namespace

std::string LengthSuffix(std::optional<uint32_t> seconds) {
    if (!seconds)
        return std::string(kUnknownLengthSuffix);
    char text[32];
    std::snprintf(text, sizeof text, " (%02u:%02u)", *seconds / 60, *seconds % 60);
    return text;
}

std::string SingleLineText(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = ' ';
    }
    return out;
}

bool IsInternetAddress(std::string_view path) {
    const auto startsWith = [&](std::string_view prefix) {
        return path.size() >= prefix.size() &&
               EqualsIgnoreCase(path.substr(0, prefix.size()), prefix);
    };
    return startsWith("http://") || startsWith("ftp://");
}

std::optional<uint32_t> EstimateLengthSeconds(const std::string& path) {
    FilePtr file = OpenForReading(path);
    if (!file)
        return std::nullopt;
    return EstimateLength(file.get());
}

ComposedInfoLine ComposeInfoLine(const std::string& path) {
    const std::string copy = ReplaceAll(path, "_", " ");
    if (IsInternetAddress(copy))
        return {SingleLineText(AddressName(copy)) + std::string(kUnknownLengthSuffix), true};

    const std::string name = SingleLineText(FileName(copy));
    FilePtr file = OpenForReading(path);
    if (!file)
        return {name + std::string(kUnknownLengthSuffix), false};
    const std::optional<uint32_t> length = EstimateLength(file.get());
    file.reset();

    const std::optional<Id3v1Tag> tag = ReadId3v1(path);
    const std::string display = tag ? SingleLineText(TagDisplayText(*tag)) : name;
    return {display + LengthSuffix(length), true};
}

} // namespace zeb
