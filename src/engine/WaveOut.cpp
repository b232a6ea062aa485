#include "engine/WaveOut.h"

#include "engine/EngineError.h"
#include "engine/ThreadPriority.h"
#include "engine/WavWriter.h"

#include <algorithm>
#include <alsa/asoundlib.h>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <optional>
#include <out123.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>

namespace zeb {

namespace {

using Block = std::vector<char>;
using Clock = std::chrono::steady_clock;

// Output drivers tried in turn. The library's own default list also holds
// drivers (network audio, OpenAL) that stall for seconds or stand in for a
// missing device, which would hide "no device".
constexpr const char* kDrivers = "pulse,alsa";
// The device's own buffer stays small so the block queue decides the latency.
constexpr double kDeviceBufferSeconds = 0.15;
// The writer hands a block to the device in pieces of this many milliseconds,
// so a pause or a reset takes effect within one piece.
constexpr int kPieceMs = 50;
// Longest wait for the writer to answer a reset or a drain.
constexpr auto kAnswerLimit = std::chrono::seconds(2);
// A device that takes no audio for this long is taken as failed.
constexpr auto kStallLimit = std::chrono::seconds(5);
constexpr auto kWaitStep = std::chrono::milliseconds(CWaveOut::kWaitStepMs);

struct Level {
    int blockSize;
    int blockCount;
};
constexpr Level kLevels[] = {{16384, 1}, {16384, 4}, {16384, 8}, {32768, 8}, {32768, 10}};

int EncodingFor(int bits) {
    switch (bits) {
    case 8:
        return MPG123_ENC_UNSIGNED_8;
    case 16:
        return MPG123_ENC_SIGNED_16;
    default:
        return 0;
    }
}

// libout123's ALSA module installs an ALSA error handler of its own and
// leaves it behind when the module is unloaded; ALSA's next error (in the
// mixer, say) would call into the unloaded code. The default handler is put
// back whenever a module may have gone.
void ForgetModuleErrorHandler() {
    snd_lib_error_set_handler(nullptr);
}

void DeleteOutput(out123_handle* ao) {
    out123_del(ao);
    ForgetModuleErrorHandler();
}

// The listed devices of the first driver that can list any.
struct DeviceList {
    std::vector<std::string> names;
    std::vector<std::string> descriptions;
    std::string driver;
};

DeviceList ListDevices(out123_handle* ao) {
    DeviceList list;
    char** names = nullptr;
    char** descriptions = nullptr;
    char* active = nullptr;
    const int count = out123_devices(ao, kDrivers, &names, &descriptions, &active);
    for (int i = 0; i < count; ++i) {
        list.names.emplace_back(names[i] ? names[i] : "");
        const char* description = descriptions && descriptions[i] ? descriptions[i] : "";
        list.descriptions.emplace_back(*description ? description : list.names.back());
    }
    if (count > 0)
        out123_stringlists_free(names, descriptions, count);
    if (active) {
        list.driver = active;
        out123_free(active);
    }
    return list;
}

bool IsSameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    return !a.empty() && !b.empty() && ::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0 &&
           sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// Limits the search for a numbered name that is not the source.
constexpr int kLastNumberedPath = 1000;

// A WAV file named like its source ("x.wav" played with its own folder as the
// output folder) would replace the source: the output goes to the first
// numbered name that is another file.
std::string PathBesideSource(const std::string& path, const std::string& source) {
    if (!IsSameFile(path, source))
        return path;
    for (int n = 2; n <= kLastNumberedPath; ++n) {
        std::string numbered = NumberedWavPath(path, n);
        if (!IsSameFile(numbered, source))
            return numbered;
    }
    return path; // the writer refuses it
}

// The rates a device is asked for: `rate` itself, then the standard rates by
// their distance from it, the higher first of two as near.
std::vector<int> RatesByNearness(int rate) {
    static constexpr int kStandardRates[] = {8000,  11025, 12000, 16000, 22050,
                                             24000, 32000, 44100, 48000};
    std::vector<int> others;
    for (const int r : kStandardRates)
        if (r != rate)
            others.push_back(r);
    const auto distance = [rate](int r) { return std::abs(r - rate); };
    std::sort(others.begin(), others.end(), [&](int a, int b) {
        return distance(a) != distance(b) ? distance(a) < distance(b) : a > b;
    });
    std::vector<int> rates{rate};
    rates.insert(rates.end(), others.begin(), others.end());
    return rates;
}

} // namespace

std::string NumberedWavPath(const std::string& path, int number) {
    const size_t slash = path.find_last_of('/');
    size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        dot = path.size();
    return path.substr(0, dot) + " (" + std::to_string(number) + ")" + path.substr(dot);
}

// The sound device with a queue of blocks in front of it. A writer thread,
// the only user of the libout123 handle once the device is started, plays
// the queued blocks in order and puts each finished one on a list that the
// decoding thread takes back.
class DeviceQueue {
public:
    // Opens the device (-1 or an index outside the list: the default output)
    // at `rate`, or at the nearest standard rate it takes, and starts the
    // writer.
    DeviceQueue(int device, int rate, int channels, int bits);
    // Stops the writer, dropping what it still holds, and closes the device.
    ~DeviceQueue();
    // Asks the writer to end at its next chance, without waiting for it.
    void Quit();
    // Gives the writer thread this nice value, now or as soon as it runs.
    void SetNice(int nice);
    DeviceQueue(const DeviceQueue&) = delete;
    DeviceQueue& operator=(const DeviceQueue&) = delete;

    void Push(Block block);
    // Appends the finished blocks to `out`; returns how many there were.
    int TakeFinished(std::vector<Block>& out);
    // Waits at most `timeout` for a finished block or a Wake.
    void WaitForFinished(std::chrono::milliseconds timeout);
    // Ends the current or the next WaitForFinished at once; any thread.
    void Wake();
    // Pieces handed to the device so far: grows while the device takes audio.
    uint64_t PiecesPlayed();
    void Pause();
    void Continue();
    // Drops every queued block and the device's buffered audio; returns
    // when the writer has done so.
    void Drop();
    // Lets the device play its buffered audio to the end.
    void DrainDevice();
    bool Failed();
    // The rate the device was started with.
    int Rate() const { return rate_; }
    // The writer did not answer in time: it is blocked inside the sound
    // system, maybe for good. Later drops do not wait for it any more.
    bool Stuck();

private:
    void Open(int device, int rate, int channels, int bits);
    bool StartAtNearestRate(int rate, int channels, int encoding, const std::string& driver,
                            const std::string& name);
    void Run();
    bool HasWork() const;
    void DropAll();
    void PlayPiece(std::unique_lock<std::mutex>& lock);
    void FinishCurrent();

    out123_handle* ao_ = nullptr;
    int rate_ = 0;
    size_t pieceBytes_ = 0;

    std::mutex mutex_;
    std::condition_variable wake_;   // to the writer
    std::condition_variable answer_; // from the writer
    std::deque<Block> pending_;
    std::vector<Block> finished_;
    Block current_; // the block being played; the writer's own
    bool hasCurrent_ = false;
    size_t offset_ = 0;
    bool paused_ = false;
    bool devicePaused_ = false;
    bool dropRequested_ = false;
    bool drainRequested_ = false;
    bool quit_ = false;
    bool failed_ = false;
    bool stuck_ = false;
    bool woken_ = false;
    int writerTid_ = 0;
    std::optional<int> wantedNice_;
    uint64_t piecesPlayed_ = 0;
    std::thread writer_;
};

DeviceQueue::DeviceQueue(int device, int rate, int channels, int bits) {
    Open(device, rate, channels, bits);
    const size_t frameBytes = static_cast<size_t>(channels * bits / 8);
    pieceBytes_ = std::max<size_t>(1, static_cast<size_t>(rate_) * kPieceMs / 1000) * frameBytes;
    try {
        writer_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        DeleteOutput(ao_);
        throw EngineError(EngineError::OutputOpen, "cannot start the output thread");
    }
}

void DeviceQueue::Open(int device, int rate, int channels, int bits) {
    const int encoding = EncodingFor(bits);
    if (rate <= 0 || channels < 1 || channels > 2 || encoding == 0)
        throw EngineError(EngineError::OutputOpen, "unsupported output format");
    ao_ = out123_new();
    if (!ao_)
        throw EngineError(EngineError::OutputOpen, "cannot create the output handle");
    out123_param2(ao_, OUT123_ADD_FLAGS, OUT123_QUIET, 0, nullptr);
    out123_param2(ao_, OUT123_DEVICEBUFFER, 0, kDeviceBufferSeconds, nullptr);
    out123_param2(ao_, OUT123_NAME, 0, 0, "zeb");

    std::string driver = kDrivers;
    std::string name;
    if (device >= 0) {
        DeviceList list = ListDevices(ao_);
        if (device < static_cast<int>(list.names.size())) {
            name = list.names[device];
            driver = list.driver;
        }
    }
    const bool chosen = !name.empty();
    if (out123_open(ao_, driver.c_str(), chosen ? name.c_str() : nullptr) != 0 ||
        !StartAtNearestRate(rate, channels, encoding, driver, name)) {
        const std::string reason = out123_strerror(ao_);
        DeleteOutput(ao_);
        ao_ = nullptr;
        if (chosen)
            throw EngineError(EngineError::OutputOpen, "cannot open " + name + ": " + reason);
        throw EngineError(EngineError::NoDevice, "no sound device: " + reason);
    }
}

// A device that refuses the rate (a sound card without resampling, asked for
// a quarter of 8000 Hz) is tried at the standard rates, nearest first; the
// decoder then resamples to the rate taken. Each refused start reopens the
// device so that the next try begins afresh.
bool DeviceQueue::StartAtNearestRate(int rate, int channels, int encoding,
                                     const std::string& driver, const std::string& name) {
    for (const int candidate : RatesByNearness(rate)) {
        if (out123_start(ao_, candidate, channels, encoding) == 0) {
            rate_ = candidate;
            return true;
        }
        out123_close(ao_);
        ForgetModuleErrorHandler();
        if (out123_open(ao_, driver.c_str(), name.empty() ? nullptr : name.c_str()) != 0)
            break;
    }
    return false;
}

DeviceQueue::~DeviceQueue() {
    Quit();
    writer_.join();
    if (hasCurrent_ || !pending_.empty())
        out123_drop(ao_);
    DeleteOutput(ao_);
}

void DeviceQueue::Quit() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    wake_.notify_one();
}

void DeviceQueue::SetNice(int nice) {
    std::lock_guard lock(mutex_);
    wantedNice_ = nice;
    if (writerTid_ != 0)
        SetThreadNice(writerTid_, nice);
}

void DeviceQueue::Push(Block block) {
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(std::move(block));
    }
    wake_.notify_one();
}

int DeviceQueue::TakeFinished(std::vector<Block>& out) {
    std::lock_guard lock(mutex_);
    const int count = static_cast<int>(finished_.size());
    for (auto& block : finished_)
        out.push_back(std::move(block));
    finished_.clear();
    return count;
}

void DeviceQueue::WaitForFinished(std::chrono::milliseconds timeout) {
    std::unique_lock lock(mutex_);
    answer_.wait_for(lock, timeout, [this] { return !finished_.empty() || woken_; });
    woken_ = false;
}

void DeviceQueue::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    answer_.notify_all();
}

uint64_t DeviceQueue::PiecesPlayed() {
    std::lock_guard lock(mutex_);
    return piecesPlayed_;
}

void DeviceQueue::Pause() {
    {
        std::lock_guard lock(mutex_);
        paused_ = true;
    }
    wake_.notify_one();
}

void DeviceQueue::Continue() {
    {
        std::lock_guard lock(mutex_);
        paused_ = false;
    }
    wake_.notify_one();
}

void DeviceQueue::Drop() {
    std::unique_lock lock(mutex_);
    dropRequested_ = true;
    wake_.notify_one();
    if (!stuck_ && !answer_.wait_for(lock, kAnswerLimit, [this] { return !dropRequested_; }))
        stuck_ = true;
}

void DeviceQueue::DrainDevice() {
    std::unique_lock lock(mutex_);
    drainRequested_ = true;
    wake_.notify_one();
    if (stuck_ || !answer_.wait_for(lock, kAnswerLimit, [this] { return !drainRequested_; })) {
        drainRequested_ = false;
        stuck_ = true;
    }
}

bool DeviceQueue::Failed() {
    std::lock_guard lock(mutex_);
    return failed_;
}

bool DeviceQueue::Stuck() {
    std::lock_guard lock(mutex_);
    return stuck_;
}

bool DeviceQueue::HasWork() const {
    const bool queueEmpty = !hasCurrent_ && pending_.empty();
    return quit_ || dropRequested_ || paused_ != devicePaused_ || (drainRequested_ && queueEmpty) ||
           (!paused_ && !queueEmpty);
}

void DeviceQueue::Run() {
    NameCurrentThread("zeb-output");
    std::unique_lock lock(mutex_);
    writerTid_ = CurrentThreadId();
    if (wantedNice_)
        SetThreadNice(writerTid_, *wantedNice_);
    for (;;) {
        wake_.wait(lock, [this] { return HasWork(); });
        if (quit_)
            return;
        if (dropRequested_) {
            DropAll();
            lock.unlock();
            out123_drop(ao_);
            lock.lock();
            dropRequested_ = false;
            answer_.notify_all();
        } else if (paused_ != devicePaused_) {
            const bool pause = paused_;
            lock.unlock();
            if (pause)
                out123_pause(ao_);
            else
                out123_continue(ao_);
            lock.lock();
            devicePaused_ = pause;
        } else if (!hasCurrent_ && pending_.empty()) {
            lock.unlock();
            out123_drain(ao_);
            lock.lock();
            drainRequested_ = false;
            answer_.notify_all();
        } else {
            PlayPiece(lock);
        }
    }
}

void DeviceQueue::DropAll() {
    if (hasCurrent_)
        FinishCurrent();
    for (auto& block : pending_)
        finished_.push_back(std::move(block));
    pending_.clear();
    answer_.notify_all();
}

void DeviceQueue::PlayPiece(std::unique_lock<std::mutex>& lock) {
    if (!hasCurrent_) {
        current_ = std::move(pending_.front());
        pending_.pop_front();
        hasCurrent_ = true;
        offset_ = 0;
    }
    const size_t length = std::min(pieceBytes_, current_.size() - offset_);
    char* piece = current_.data() + offset_;
    const bool skip = failed_;
    lock.unlock();
    const size_t played = skip ? length : out123_play(ao_, piece, length);
    lock.lock();
    offset_ += length;
    ++piecesPlayed_;
    if (played < length)
        failed_ = true;
    if (offset_ >= current_.size() || failed_) {
        FinishCurrent();
        // Woken outside the lock, the decoding thread takes it at once
        // instead of waking only to wait for it.
        lock.unlock();
        answer_.notify_all();
        lock.lock();
    }
}

void DeviceQueue::FinishCurrent() {
    finished_.push_back(std::move(current_));
    current_ = Block();
    hasCurrent_ = false;
}

namespace {

// Notices a device that has taken no audio for kStallLimit.
class StallWatch {
public:
    explicit StallWatch(DeviceQueue& device)
        : device_(device), pieces_(device.PiecesPlayed()), since_(Clock::now()) {}
    bool Stalled() {
        const uint64_t pieces = device_.PiecesPlayed();
        if (pieces != pieces_) {
            pieces_ = pieces;
            since_ = Clock::now();
        }
        return Clock::now() - since_ > kStallLimit;
    }

private:
    DeviceQueue& device_;
    uint64_t pieces_;
    Clock::time_point since_;
};

// A device whose writer is blocked inside the sound system cannot be closed
// without waiting for it, maybe for ever: it is told to quit and kept here,
// so the writer finds its queue when it wakes, and closing goes on.
void AbandonStuckDevice(std::unique_ptr<DeviceQueue> device) {
    static std::mutex mutex;
    static auto* abandoned = new std::vector<std::unique_ptr<DeviceQueue>>();
    device->Quit();
    std::lock_guard lock(mutex);
    abandoned->push_back(std::move(device));
}

} // namespace

CWaveOut::CWaveOut() = default;

CWaveOut::~CWaveOut() {
    try {
        Close();
    } catch (const EngineError&) {
    }
}

void CWaveOut::Configure(const WaveOutConfig& config) {
    config_ = config;
}

int CWaveOut::BlockSizeForLevel(int level) {
    return level >= 0 && level <= 4 ? kLevels[level].blockSize : 0;
}

int CWaveOut::BlockCountForLevel(int level) {
    return level >= 0 && level <= 4 ? kLevels[level].blockCount : 0;
}

std::vector<std::string> CWaveOut::DeviceNames() {
    out123_handle* ao = out123_new();
    if (!ao)
        return {};
    out123_param2(ao, OUT123_ADD_FLAGS, OUT123_QUIET, 0, nullptr);
    DeviceList list = ListDevices(ao);
    DeleteOutput(ao);
    return list.descriptions;
}

void CWaveOut::Open(int rate, int channels, int bits) {
    try {
        Close();
    } catch (const EngineError&) {
    }
    kind_ = config_.kind == WavFile ? WavFile : Device;
    queued_ = 0;
    paused_ = false;
    if (kind_ == Device)
        OpenDevice(rate, channels, bits);
    else
        OpenWavFile(rate, channels, bits);
    opened_ = true;
    trimFirstBlock_ = true;
}

void CWaveOut::OpenDevice(int rate, int channels, int bits) {
    auto device = std::make_unique<DeviceQueue>(config_.device, rate, channels, bits);
    rate_ = device->Rate();
    std::lock_guard lock(deviceMutex_);
    device_ = std::move(device);
}

void CWaveOut::Interrupt() {
    std::lock_guard lock(deviceMutex_);
    if (device_)
        device_->Wake();
}

void CWaveOut::OpenWavFile(int rate, int channels, int bits) {
    auto wav = std::make_unique<WavWriter>();
    const std::string path = PathBesideSource(config_.wavPath, config_.sourcePath);
    wav->Create(path, rate, channels, bits, config_.sourcePath);
    wav_ = std::move(wav);
    wavPath_ = path;
    rate_ = rate;
}

int CWaveOut::Write(const void* block, int length) {
    const char* data = static_cast<const char*>(block);
    if (trimFirstBlock_) {
        trimFirstBlock_ = false;
        if (length > kFirstBlockTrim) {
            data += kFirstBlockTrim;
            length -= kFirstBlockTrim;
        }
    }
    if (paused_)
        return -1;
    if (!opened_)
        throw EngineError(EngineError::OutputWrite, "the output is not open");
    if (length <= 0)
        return 0;
    return kind_ == Device ? WriteToDevice(data, length) : WriteToWavFile(data, length);
}

int CWaveOut::WriteToDevice(const char* data, int length) {
    Collect();
    StallWatch watch(*device_);
    while (queued_ >= std::max(1, config_.blockCount)) {
        if (paused_ || Interrupted())
            return -1;
        device_->WaitForFinished(kWaitStep);
        if (paused_ || Interrupted())
            return -1;
        Collect();
        if (device_->Failed() || watch.Stalled())
            throw EngineError(EngineError::OutputWrite, "the sound device takes no audio");
    }
    if (device_->Failed())
        throw EngineError(EngineError::OutputWrite, "the sound device failed");
    Block copy;
    if (!spare_.empty()) {
        copy = std::move(spare_.back());
        spare_.pop_back();
    }
    copy.assign(data, data + length);
    device_->Push(std::move(copy));
    ++queued_;
    return length;
}

int CWaveOut::WriteToWavFile(const char* data, int length) {
    wav_->Write(data, static_cast<size_t>(length));
    std::this_thread::sleep_for(std::chrono::milliseconds(kWavBlockPauseMs));
    return length;
}

void CWaveOut::SetNice(int nice) {
    if (device_)
        device_->SetNice(nice);
}

void CWaveOut::Collect() {
    if (!device_)
        return;
    queued_ -= device_->TakeFinished(spare_);
    queued_ = std::max(queued_, 0);
    // Keep no more spare blocks than can ever be queued.
    const size_t keep = static_cast<size_t>(std::max(1, config_.blockCount));
    if (spare_.size() > keep)
        spare_.resize(keep);
}

void CWaveOut::Pause() {
    if (kind_ != Device || !device_)
        return;
    paused_ = true;
    device_->Pause();
}

void CWaveOut::Restart() {
    if (kind_ != Device || !device_)
        return;
    paused_ = false;
    device_->Continue();
}

bool CWaveOut::WaitUntilPlayed() {
    Collect();
    StallWatch watch(*device_);
    while (queued_ != 0) {
        if (Interrupted())
            return false;
        device_->WaitForFinished(kWaitStep);
        Collect();
        if (watch.Stalled() || Interrupted())
            return false;
    }
    return true;
}

void CWaveOut::Drain() {
    // A held device plays nothing: there is nothing to wait for.
    if (kind_ != Device || !device_ || paused_)
        return;
    if (!WaitUntilPlayed())
        throw EngineError(EngineError::OutputWrite, "the sound device takes no audio");
    device_->DrainDevice();
}

void CWaveOut::Reset() {
    if (kind_ != Device || !device_)
        return;
    device_->Drop();
    Collect();
}

void CWaveOut::Close() {
    opened_ = false;
    if (device_)
        CloseDevice();
    if (wav_)
        CloseWavFile();
}

void CWaveOut::CloseDevice() {
    // Queued blocks are played to the end first, unless the device is held
    // or has stopped taking them.
    if (paused_ || !WaitUntilPlayed())
        device_->Drop();
    std::unique_ptr<DeviceQueue> device;
    {
        std::lock_guard lock(deviceMutex_);
        device = std::move(device_);
    }
    if (device->Stuck())
        AbandonStuckDevice(std::move(device));
    device.reset();
    spare_.clear();
    queued_ = 0;
    paused_ = false;
}

void CWaveOut::CloseWavFile() {
    auto wav = std::move(wav_);
    wav->Close();
}

void CWaveOut::Reopen(int rate, int channels, int bits) {
    try {
        Drain();
    } catch (const EngineError&) {
    }
    try {
        Close();
    } catch (const EngineError&) {
    }
    Open(rate, channels, bits);
}

} // namespace zeb
