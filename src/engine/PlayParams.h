#pragma once

#include <atomic>
#include <string>

namespace zeb {

// The engine's parameter record, shared by its parts. The frame counter
// lives in the frame reader.
struct PlayParams {
    int outputRate = 44100;
    int blockSize = 16384;
    int blockCount = 8;
    int ringSize = 100;
    int channels = 2;
    int bits = 16;
    int device = -1; // -1 the default output
    int outputScale = 32768;
    bool seekable = true;
    std::string sourceName;
    std::string wavPath;
    int forceMono = 0;
    int downsampling = 0; // 0 none, 1 half rate, 2 quarter rate
    std::atomic<int> equalizerOn{0};
    int threadPriority = 0; // -2 .. +2
    bool isUrl = false;
    int outputKind = 0; // 0 sound device, 1 WAV file
};

} // namespace zeb
