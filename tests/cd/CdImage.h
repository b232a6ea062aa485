#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace zeb::test {

// A bin/cue CD image written for a test: audio tracks of distinct samples (16-bit
// little-endian stereo, as a disc holds them) and optionally data tracks.
class CdImage {
public:
    static constexpr size_t kSectorBytes = 2352;

    struct Track {
        long sectors;
        bool audio = true;
        std::vector<char> pcm = {}; // the track's samples when given, else distinct ones
    };

    // Writes <base>.bin and <base>.cue; returns the .cue path.
    static std::string Write(const std::string& base, const std::vector<Track>& tracks) {
        std::ofstream bin(base + ".bin", std::ios::binary | std::ios::trunc);
        std::string cue = "FILE \"" + base.substr(base.find_last_of('/') + 1) + ".bin\" BINARY\n";
        long sector = 0;
        int number = 1;
        for (const Track& track : tracks) {
            char line[96];
            std::snprintf(line, sizeof line, "  TRACK %02d %s\n    INDEX 01 %02ld:%02ld:%02ld\n",
                          number++, track.audio ? "AUDIO" : "MODE1/2352", sector / 75 / 60,
                          sector / 75 % 60, sector % 75);
            cue += line;
            for (long i = 0; i < track.sectors; ++i, ++sector) {
                std::vector<char> bytes = SectorBytes(sector);
                if (!track.pcm.empty()) {
                    std::fill(bytes.begin(), bytes.end(), 0);
                    const size_t at = static_cast<size_t>(i) * kSectorBytes;
                    if (at < track.pcm.size())
                        std::copy_n(track.pcm.begin() + static_cast<long>(at),
                                    std::min(kSectorBytes, track.pcm.size() - at), bytes.begin());
                }
                bin.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
            }
        }
        std::ofstream(base + ".cue", std::ios::trunc) << cue;
        return base + ".cue";
    }

    // The bytes of sectors [from, to) of the image, as written.
    static std::string Bytes(long from, long to) {
        std::string bytes;
        for (long sector = from; sector < to; ++sector) {
            const std::vector<char> one = SectorBytes(sector);
            bytes.append(one.data(), one.size());
        }
        return bytes;
    }

private:
    // Samples that differ from sector to sector and across each sector, so any shifted, swapped
    // or repeated sector shows.
    static std::vector<char> SectorBytes(long sector) {
        std::vector<char> bytes(kSectorBytes);
        uint32_t state = static_cast<uint32_t>(sector) * 2654435761u + 12345u;
        for (size_t i = 0; i < kSectorBytes; ++i) {
            state = state * 1664525u + 1013904223u;
            bytes[i] = static_cast<char>(state >> 24);
        }
        return bytes;
    }
};

} // namespace zeb::test
