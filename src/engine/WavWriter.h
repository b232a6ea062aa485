#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace zeb {

// Writes a RIFF WAVE file of PCM samples:
//   "RIFF" <size> "WAVE"
//   "fmt " 18: tag 1, channels, rate, bytes per second, block align, bits, extra size 0
//   "data" <size> <samples> [pad byte when the size is odd]
// Both sizes are fixed when the file is closed. Failures raise EngineError.
class WavWriter {
public:
    static constexpr size_t kHeaderBytes = 46;

    WavWriter() = default;
    // Closes an open file; errors are ignored there.
    ~WavWriter();
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // Creates the file (an existing one is replaced) and writes the header.
    // When `keepIntact` names a file, a path that leads to that same file
    // (by device and inode: also through a link) is refused untouched.
    void Create(const std::string& path, int rate, int channels, int bits,
                const std::string& keepIntact = {});
    void Write(const void* data, size_t length);
    // Flushes, fixes the sizes and closes the file; harmless when not open.
    void Close();

    bool IsOpen() const { return file_ != nullptr; }
    uint64_t DataBytes() const { return dataBytes_; }

private:
    void WriteHeader(int rate, int channels, int bits);
    bool FixSizes();

    std::FILE* file_ = nullptr;
    uint64_t dataBytes_ = 0;
};

} // namespace zeb
