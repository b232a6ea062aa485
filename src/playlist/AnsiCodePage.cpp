#include "playlist/AnsiCodePage.h"

#include <array>
#include <atomic>
#include <iconv.h>
#include <unordered_map>

namespace zeb {

namespace {

// The Unicode code point of every byte, and the way back.
class CodePageTable {
public:
    explicit CodePageTable(const char* name) {
        for (unsigned byte = 0; byte < 256; ++byte)
            points_[byte] = byte < 0x80 ? byte : Decode(name, static_cast<char>(byte));
        for (unsigned byte = 0x80; byte < 256; ++byte)
            bytes_.emplace(points_[byte], static_cast<char>(byte));
    }

    char32_t PointOf(unsigned char byte) const { return points_[byte]; }

    std::optional<char> ByteOf(char32_t point) const {
        if (point < 0x80)
            return static_cast<char>(point);
        const auto it = bytes_.find(point);
        return it == bytes_.end() ? std::nullopt : std::optional<char>(it->second);
    }

private:
    // The code point of one byte through iconv; Latin-1 when the byte is
    // undefined or no converter is installed.
    static char32_t Decode(const char* name, char byte) {
        const auto latin1 = static_cast<char32_t>(static_cast<unsigned char>(byte));
        iconv_t cd = ::iconv_open("UTF-32LE", name);
        if (cd == reinterpret_cast<iconv_t>(-1))
            return latin1;
        char in[1] = {byte};
        unsigned char out[4] = {};
        char* inPtr = in;
        char* outPtr = reinterpret_cast<char*>(out);
        size_t inLeft = 1, outLeft = sizeof out;
        const bool ok =
            ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1) &&
            outLeft == 0;
        ::iconv_close(cd);
        if (!ok)
            return latin1;
        return char32_t(out[0]) | char32_t(out[1]) << 8 | char32_t(out[2]) << 16 |
               char32_t(out[3]) << 24;
    }

    std::array<char32_t, 256> points_{};
    std::unordered_map<char32_t, char> bytes_;
};

std::atomic<bool> g_cyrillic{false};

const CodePageTable& CurrentTable() {
    static const CodePageTable western("CP1252");
    static const CodePageTable cyrillic("CP1251");
    return g_cyrillic.load() ? cyrillic : western;
}

void AppendUtf8(std::string& out, char32_t point) {
    if (point < 0x80) {
        out += static_cast<char>(point);
    } else if (point < 0x800) {
        out += static_cast<char>(0xC0 | (point >> 6));
        out += static_cast<char>(0x80 | (point & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (point >> 12));
        out += static_cast<char>(0x80 | ((point >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (point & 0x3F));
    }
}

// The next code point of UTF-8 text at pos (advanced past it); nothing for a
// malformed sequence.
std::optional<char32_t> NextPoint(std::string_view text, size_t& pos) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || pos + length > text.size())
        return std::nullopt;
    char32_t point = length == 1 ? lead : lead & (0xFF >> (length + 1));
    for (size_t k = 1; k < length; ++k) {
        if ((byte(pos + k) & 0xC0) != 0x80)
            return std::nullopt;
        point = (point << 6) | (byte(pos + k) & 0x3F);
    }
    pos += length;
    return point;
}

} // namespace

void SetAnsiCodePageForLanguage(int language) {
    g_cyrillic = language != 0;
}

std::string AnsiToUtf8(std::string_view bytes) {
    const CodePageTable& table = CurrentTable();
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes)
        AppendUtf8(out, table.PointOf(static_cast<unsigned char>(c)));
    return out;
}

std::optional<std::string> Utf8ToAnsi(std::string_view utf8) {
    const CodePageTable& table = CurrentTable();
    std::string out;
    for (size_t pos = 0; pos < utf8.size();) {
        const std::optional<char32_t> point = NextPoint(utf8, pos);
        if (!point)
            return std::nullopt;
        const std::optional<char> byte = table.ByteOf(*point);
        if (!byte)
            return std::nullopt;
        out += *byte;
    }
    return out;
}

} // namespace zeb
