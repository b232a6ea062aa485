#include "cd/CdPlayback.h"

#include "cd/CdTime.h"
#include "engine/EngineError.h"
#include "engine/ThreadPriority.h"

#include <algorithm>
#include <cdio/cdio.h>
#include <vector>

namespace zeb {

namespace {

constexpr int kRate = 44100;
constexpr int kChannels = 2;
constexpr int kBits = 16;
constexpr int kSectorBytes = CDIO_CD_FRAMESIZE_RAW;
// Blocks in a row that cannot be read before playback gives up: single bad sectors are played
// as silence, a disc that has gone away ends playback with a failure.
constexpr int kMaxFailedBlocks = 8;

} // namespace

CdPlayback::~CdPlayback() {
    Stop();
}

bool CdPlayback::Start(const std::string& path, CdDrive::Kind kind, long fromLsn, long toLsn,
                       const WaveOutConfig& output, EndCallback onEnd) {
    Stop();
    stop_ = false;
    CdIo_t* disc = CdDrive::OpenHandle(path, kind);
    if (!disc)
        return false;
    auto out = std::make_unique<CWaveOut>();
    out->Configure(output);
    out->SetInterrupt(&stop_);
    try {
        out->Open(kRate, kChannels, kBits);
        // Every sample of the disc is heard: no start-up trim as for a decoder.
        out->ClearFirstBlockTrim();
    } catch (const EngineError&) {
        cdio_destroy(disc);
        return false;
    }
    fromLsn_ = fromLsn;
    toLsn_ = toLsn;
    onEnd_ = std::move(onEnd);
    heardLsn_ = fromLsn;
    draining_ = false;
    finished_ = false;
    output_ = std::move(out);
    thread_ = std::thread(&CdPlayback::Run, this, disc, output_.get());
    return true;
}

void CdPlayback::Stop() {
    stop_ = true;
    if (output_)
        output_->Interrupt();
    if (thread_.joinable())
        thread_.join();
    output_.reset();
    if (draining_)
        heardLsn_ = PositionLsn();
    draining_ = false;
}

long CdPlayback::PositionLsn() const {
    if (!draining_)
        return heardLsn_;
    using namespace std::chrono;
    const auto elapsed = duration_cast<milliseconds>(steady_clock::now().time_since_epoch() -
                                                     steady_clock::duration(drainStart_.load()));
    return std::min(toLsn_,
                    drainBaseLsn_ + static_cast<long>(elapsed.count()) * kCdFramesPerSecond / 1000);
}

void CdPlayback::Run(CdIo_t* disc, CWaveOut* output) {
    NameCurrentThread("zeb-cd");
    bool completed = false;
    try {
        completed = PlayRange(disc, *output);
        if (completed && !stop_)
            WaitUntilPlayed(*output);
        output->Close();
    } catch (const EngineError&) {
        completed = false;
    }
    cdio_destroy(disc);
    if (completed && !stop_) {
        draining_ = false;
        heardLsn_ = toLsn_;
    }
    finished_ = true;
    if (!stop_ && onEnd_)
        onEnd_(completed);
}

bool CdPlayback::PlayRange(CdIo_t* disc, CWaveOut& output) {
    std::vector<char> block(kSectorsPerBlock * kSectorBytes);
    int failedBlocks = 0;
    for (long lsn = fromLsn_; lsn < toLsn_ && !stop_;) {
        const int count = static_cast<int>(std::min<long>(kSectorsPerBlock, toLsn_ - lsn));
        if (cdio_read_audio_sectors(disc, block.data(), static_cast<lsn_t>(lsn),
                                    static_cast<unsigned>(count)) == DRIVER_OP_SUCCESS) {
            failedBlocks = 0;
        } else {
            if (++failedBlocks >= kMaxFailedBlocks)
                return false;
            std::fill(block.begin(), block.end(), 0);
        }
        if (output.Write(block.data(), count * kSectorBytes) < 0)
            return false; // stopped
        lsn += count;
        heardLsn_ =
            std::max(fromLsn_, lsn - static_cast<long>(output.QueuedCount()) * kSectorsPerBlock);
    }
    return true;
}

void CdPlayback::WaitUntilPlayed(CWaveOut& output) {
    drainBaseLsn_ = heardLsn_.load();
    drainStart_ = std::chrono::steady_clock::now().time_since_epoch().count();
    draining_ = true;
    output.Drain();
}

} // namespace zeb
