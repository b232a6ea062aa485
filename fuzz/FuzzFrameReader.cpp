// libFuzzer target: arbitrary bytes opened as a local file and played
// through the frame reader as the decoding thread does (header search with
// the RIFF and ID3v2 skips and re-synchronisation, body reads with the Xing
// look-up, the read-ahead ring, length, position and seeks).

#include "engine/EngineError.h"
#include "engine/FrameReader.h"
#include "engine/InputStream.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

namespace zeb {
// Only local files are fuzzed; network sources are not linked in.
std::unique_ptr<ByteSource> MakeUrlSource(const std::string&) {
    return nullptr;
}
} // namespace zeb

namespace {

constexpr int kFramesPerRun = 200;
constexpr int kRingSlots = 10;

// One in-memory file, rewritten for every input and opened by its /proc name.
const std::string& InputPath(const uint8_t* data, size_t size) {
    static const int fd = ::memfd_create("fuzz-input", 0);
    static const std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
        ::abort();
    return path;
}

// Reads every byte of a taken body so that the sanitizer sees its bounds.
unsigned Touch(const uint8_t* body, int size) {
    unsigned sum = 0;
    for (int i = 0; i < size; ++i)
        sum += body[i];
    return sum;
}

void Play(zeb::CFrameReader& reader, zeb::CFrameRing& ring, const uint8_t* data, size_t size) {
    if (reader.ReadHeader(reader.Current()) == 0)
        return;
    reader.PublishTiming();
    (void)reader.LengthMs();
    if (!reader.Rewind())
        return;
    volatile unsigned sink = 0;
    for (int frame = 0; frame < kFramesPerRun; ++frame) {
        if (frame % 37 == 36 && size > 0) {
            const int percent = data[(size_t(frame) * 7919) % size] % 102;
            if (!reader.SeekPercent(percent, ring))
                return;
        }
        ring.Fill(0, reader);
        const uint8_t* body = nullptr;
        if (!ring.Take(reader, body))
            return;
        sink = sink + Touch(body, reader.Current().bodySize);
        reader.AdvanceFrameCounter();
        reader.PublishTiming();
        (void)reader.LengthMs();
        (void)reader.PositionMs();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zeb::CInputStream stream;
    zeb::CFrameReader reader(stream);
    zeb::CFrameRing ring;
    try {
        stream.Open(InputPath(data, size));
        reader.ResetForOpen();
        ring.Allocate(kRingSlots);
        Play(reader, ring, data, size);
    } catch (const zeb::EngineError&) {
        // A read failure ends the pass, as in the decoding thread.
    }
    return 0;
}
