#pragma once

#include "engine/FrameReader.h"
#include "engine/InputStream.h"
#include "support/TempDir.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace zeb::test {

inline std::string FixturePath(const std::string& name) {
    return std::string(ZEB_FIXTURES_DIR) + "/" + name;
}

inline std::string ReadFixture(const std::string& name) {
    return ReadFile(FixturePath(name));
}

inline uint32_t Be32(const std::string& bytes, size_t at) {
    auto b = [&](size_t i) { return uint32_t(static_cast<uint8_t>(bytes.at(at + i))); };
    return b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3);
}

// Bytes that hold no 0xFF (so no frame sync) and begin neither "RIFF" nor "ID3".
inline std::string Junk(size_t n) {
    std::string junk(n, '\0');
    for (size_t i = 0; i < n; ++i)
        junk[i] = static_cast<char>((i * 37 + 11) % 251);
    return junk;
}

// What the mpg123 command-line decoder reports with -t -vv: the number of
// audio frames it decoded (a leading Xing/Info frame is not an audio frame)
// and the length in bytes of audio frame 0, 1, 2, ...
struct Mpg123Report {
    int frames = -1;
    std::vector<int> lengths;
};

inline Mpg123Report RunMpg123(const std::string& path) {
    Mpg123Report report;
    std::string command = "mpg123 -t -vv '" + path + "' 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return report;
    std::string out;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, got);
    ::pclose(pipe);
    size_t at = 0;
    while ((at = out.find("> ", at)) != std::string::npos) {
        const size_t end = out.find_first_of("\r\n", at);
        const std::string line = out.substr(at, end == std::string::npos ? end : end - at);
        at += 2;
        int done = 0, left = 0;
        const size_t unit = line.find(" B acc");
        if (std::sscanf(line.c_str(), "> %d+%d", &done, &left) != 2 || unit == std::string::npos)
            continue;
        if (left == 0)
            report.frames = done;
        const size_t number = line.find_last_of(' ', unit - 1) + 1;
        report.lengths.push_back(std::stoi(line.substr(number, unit - number)));
    }
    if (report.frames >= 0 && report.lengths.size() > size_t(report.frames))
        report.lengths.resize(size_t(report.frames));
    return report;
}

// Offsets of the first `count` frames, laid end to end from `base`.
inline std::vector<uint64_t> FrameStarts(const std::vector<int>& lengths, uint64_t base,
                                         size_t count) {
    std::vector<uint64_t> starts;
    for (size_t i = 0; i < count && i < lengths.size(); ++i) {
        starts.push_back(base);
        base += static_cast<uint64_t>(lengths[i]);
    }
    return starts;
}

// An MP3 that lame makes from three seconds of tones with `lameOptions`,
// behind an ID3v2 tag holding a cover picture of about 430 KB: a PNG of
// noise, whose bytes are full of words that look like frame headers.
// Empty when a tool failed.
inline std::string EncodeWithCoverArt(const TempDir& dir, const std::string& name,
                                      const std::string& lameOptions) {
    const std::string wav = dir.File(name + ".wav"), cover = dir.File(name + ".png");
    const std::string mp3 = dir.File(name + ".mp3");
    const std::string cmd =
        "sox -R -n -r 44100 -c 2 -b 16 '" + wav +
        "' synth 3 sine 440 sine 554.37 vol 0.5 tremolo 0.8 60 && convert -size 380x380 xc: "
        "-seed 7 +noise Random -depth 8 '" +
        cover + "' && lame --quiet --nohist --noreplaygain --id3v2-only " + lameOptions +
        " --ti '" + cover + "' '" + wav + "' '" + mp3 + "'";
    return std::system(cmd.c_str()) == 0 ? mp3 : std::string();
}

// Bytes of the ID3v2 tag in front of `bytes`, its 10-byte header included.
inline uint64_t Id3v2TagBytes(const std::string& bytes) {
    const uint32_t size = Be32(bytes, 6);
    return 10 + ((size >> 24 & 0x7F) << 21 | (size >> 16 & 0x7F) << 14 | (size >> 8 & 0x7F) << 7 |
                 (size & 0x7F));
}

struct ReaderOn {
    explicit ReaderOn(const std::string& path) {
        stream.Open(path);
        reader.ResetForOpen();
    }
    CInputStream stream;
    CFrameReader reader{stream};
};

struct WalkedFrame {
    uint64_t start = 0; // offset of the header
    int result = 0;     // what ReadHeader returned
    FrameHeader header;
};

// Reads every frame, header and body, as playback does.
inline std::vector<WalkedFrame> WalkFrames(ReaderOn& on) {
    std::vector<WalkedFrame> frames;
    std::vector<uint8_t> body(kMaxFrameBody);
    for (;;) {
        WalkedFrame f;
        f.result = on.reader.ReadHeader(on.reader.Current());
        if (f.result == 0)
            return frames;
        f.start = on.stream.Offset() - 4;
        f.header = on.reader.Current();
        frames.push_back(f);
        if (!on.reader.ReadBody(f.header, body.data()))
            return frames;
    }
}

} // namespace zeb::test
