#include "engine/WavWriter.h"

#include "engine/EngineError.h"
#include "platform/RegularFile.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace zeb {

namespace {

constexpr long kRiffSizeOffset = 4;
constexpr long kDataSizeOffset = 42;
constexpr uint32_t kFmtBytes = 18;
constexpr uint16_t kFormatPcm = 1;

void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(uint8_t* p, uint32_t v) {
    PutLe16(p, static_cast<uint16_t>(v));
    PutLe16(p + 2, static_cast<uint16_t>(v >> 16));
}

// Chunk sizes are 32-bit; a file past 4 GiB keeps the largest size it can.
uint32_t Clamp32(uint64_t v) {
    return static_cast<uint32_t>(std::min<uint64_t>(v, std::numeric_limits<uint32_t>::max()));
}

bool WriteLe32At(std::FILE* file, long offset, uint32_t v) {
    uint8_t bytes[4];
    PutLe32(bytes, v);
    return std::fseek(file, offset, SEEK_SET) == 0 && std::fwrite(bytes, 1, 4, file) == 4;
}

std::string Reason(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

bool IsSameFile(const struct stat& a, const std::string& path) {
    struct stat b {};
    return !path.empty() && ::stat(path.c_str(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// Opens without truncating first, so that a file that must stay intact can
// be recognised by the open descriptor itself before anything changes. The
// open does not wait: a FIFO or device under the name is refused, never
// written to.
std::FILE* OpenForReplacing(const std::string& path, const std::string& keepIntact) {
    struct stat st {};
    const int fd = OpenRegularFile(path, O_WRONLY | O_CREAT, 0666, &st);
    if (fd < 0)
        throw EngineError(EngineError::OutputOpen, Reason("cannot create", path));
    if (IsSameFile(st, keepIntact)) {
        ::close(fd);
        throw EngineError(EngineError::OutputOpen, "will not overwrite the source " + path);
    }
    std::FILE* file = ::ftruncate(fd, 0) == 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file) {
        const std::string reason = Reason("cannot create", path);
        ::close(fd);
        throw EngineError(EngineError::OutputOpen, reason);
    }
    return file;
}

} // namespace

WavWriter::~WavWriter() {
    try {
        Close();
    } catch (const EngineError&) {
    }
}

void WavWriter::Create(const std::string& path, int rate, int channels, int bits,
                       const std::string& keepIntact) {
    Close();
    file_ = OpenForReplacing(path, keepIntact);
    dataBytes_ = 0;
    try {
        WriteHeader(rate, channels, bits);
    } catch (const EngineError&) {
        std::fclose(file_);
        file_ = nullptr;
        throw;
    }
}

void WavWriter::WriteHeader(int rate, int channels, int bits) {
    const uint32_t blockAlign = static_cast<uint32_t>(channels * bits / 8);
    std::array<uint8_t, kHeaderBytes> h{};
    std::memcpy(&h[0], "RIFF", 4);
    PutLe32(&h[4], 0); // fixed on close
    std::memcpy(&h[8], "WAVE", 4);
    std::memcpy(&h[12], "fmt ", 4);
    PutLe32(&h[16], kFmtBytes);
    PutLe16(&h[20], kFormatPcm);
    PutLe16(&h[22], static_cast<uint16_t>(channels));
    PutLe32(&h[24], static_cast<uint32_t>(rate));
    PutLe32(&h[28], static_cast<uint32_t>(rate) * blockAlign);
    PutLe16(&h[32], static_cast<uint16_t>(blockAlign));
    PutLe16(&h[34], static_cast<uint16_t>(bits));
    PutLe16(&h[36], 0); // no extra format bytes
    std::memcpy(&h[38], "data", 4);
    PutLe32(&h[42], 0); // fixed on close
    if (std::fwrite(h.data(), 1, h.size(), file_) != h.size())
        throw EngineError(EngineError::OutputOpen, "cannot write the WAV header");
}

void WavWriter::Write(const void* data, size_t length) {
    if (!file_)
        throw EngineError(EngineError::OutputWrite, "no WAV file is open");
    if (length == 0)
        return;
    if (std::fwrite(data, 1, length, file_) != length)
        throw EngineError(EngineError::OutputWrite, "cannot write to the WAV file");
    dataBytes_ += length;
}

bool WavWriter::FixSizes() {
    // RIFF chunks are word aligned: an odd data chunk is followed by a pad byte
    // that the RIFF size counts but the data size does not.
    const uint64_t pad = dataBytes_ % 2;
    if (pad && std::fputc(0, file_) == EOF)
        return false;
    const uint64_t riffBytes = kHeaderBytes - 8 + dataBytes_ + pad;
    return std::fflush(file_) == 0 && WriteLe32At(file_, kDataSizeOffset, Clamp32(dataBytes_)) &&
           WriteLe32At(file_, kRiffSizeOffset, Clamp32(riffBytes));
}

void WavWriter::Close() {
    if (!file_)
        return;
    const bool sized = FixSizes();
    const bool closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!sized || !closed)
        throw EngineError(EngineError::OutputWrite, "cannot finish the WAV file");
}

} // namespace zeb
