#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace zeb::test {

// What the mpg123 command-line decoder makes of a file: raw 16-bit samples,
// stereo unless mono is asked for, without gapless trimming; at `rate` with
// the library's own rate conversion when a rate is given.
inline std::vector<uint8_t> ReferenceDecode(const std::string& path, bool mono = false,
                                            int rate = 0) {
    std::string forced = rate > 0 ? " -r " + std::to_string(rate) + " --resample ntom" : "";
    std::string cmd = "mpg123 -q --no-gapless " + std::string(mono ? "--mono" : "--stereo") +
                      forced + " -s '" + path + "' 2>/dev/null";
    std::vector<uint8_t> out;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p)
        return out;
    uint8_t buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.insert(out.end(), buf, buf + n);
    ::pclose(p);
    return out;
}

struct WavFile {
    bool valid = false;
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bits = 0;
    uint32_t fmtSize = 0;
    uint32_t riffSize = 0;
    uint32_t dataSize = 0;
    std::vector<uint8_t> data;
};

inline uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 |
           uint32_t(b[at + 3]) << 24;
}
inline uint16_t Le16(const std::vector<uint8_t>& b, size_t at) {
    return uint16_t(b[at] | b[at + 1] << 8);
}

// Parses a RIFF WAVE file's "fmt " and "data" chunks.
inline WavFile ReadWav(const std::vector<uint8_t>& b) {
    WavFile w;
    if (b.size() < 12 || std::string(b.begin(), b.begin() + 4) != "RIFF" ||
        std::string(b.begin() + 8, b.begin() + 12) != "WAVE")
        return w;
    w.riffSize = Le32(b, 4);
    size_t at = 12;
    while (at + 8 <= b.size()) {
        std::string id(b.begin() + long(at), b.begin() + long(at) + 4);
        uint32_t size = Le32(b, at + 4);
        size_t body = at + 8;
        if (id == "fmt " && body + 16 <= b.size()) {
            w.fmtSize = size;
            w.formatTag = Le16(b, body);
            w.channels = Le16(b, body + 2);
            w.rate = Le32(b, body + 4);
            w.byteRate = Le32(b, body + 8);
            w.blockAlign = Le16(b, body + 12);
            w.bits = Le16(b, body + 14);
        } else if (id == "data") {
            w.dataSize = size;
            size_t end = std::min(b.size(), body + size);
            w.data.assign(b.begin() + long(body), b.begin() + long(end));
            w.valid = true;
        }
        at = body + size + (size & 1);
    }
    return w;
}

} // namespace zeb::test
