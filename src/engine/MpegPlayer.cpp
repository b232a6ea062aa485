#include "engine/MpegPlayer.h"

#include "engine/EngineError.h"
#include "engine/ThreadPriority.h"
#include "engine/WaveOut.h"

#include <chrono>

namespace zeb {

namespace {

using namespace std::chrono_literals;

constexpr auto kPauseStep = 77ms;
// A seek waits for the decoding thread at most this long; a thread stuck on
// a stalled server serves the request later.
constexpr auto kSeekWaitLimit = 10s;

} // namespace

CMpegPlayer::CMpegPlayer() : reader_(stream_), output_(std::make_unique<CWaveOut>()) {
    // A stop ends every wait for the device, the final drain included.
    output_->SetInterrupt(&stopRequest_);
}

CMpegPlayer::~CMpegPlayer() {
    Stop();
    if (thread_.joinable())
        thread_.join();
}

void CMpegPlayer::SetSource(const std::string& name) {
    params_.sourceName = name;
    params_.isUrl = IsUrlName(name);
}

void CMpegPlayer::SetWavPath(const std::string& path) {
    params_.wavPath = path;
}
void CMpegPlayer::SetOutputKind(int kind) {
    params_.outputKind = kind == 1 ? 1 : 0;
}
void CMpegPlayer::SetDevice(int device) {
    params_.device = device;
}
void CMpegPlayer::SetNotify(EndCallback callback) {
    onEnd_ = std::move(callback);
}
void CMpegPlayer::SetForceMono(int forceMono) {
    forceMonoSetting_ = forceMono;
}
void CMpegPlayer::SetDownsampling(int downsampling) {
    downsamplingSetting_ = downsampling;
}

void CMpegPlayer::SetPriority(int prioritySetting) {
    if (prioritySetting < 1 || prioritySetting > 5)
        return;
    params_.threadPriority = prioritySetting - 3;
    priorityStep_ = params_.threadPriority;
    priorityChanged_ = true; // a running thread applies it after its frame
    pauseWake_.Set();
}

// On the decoding thread: its own nice value and the device writer's follow
// the step, relative to the process.
void CMpegPlayer::ApplyThreadPriority() {
    priorityChanged_ = false;
    int nice = NiceForPriorityStep(priorityStep_);
    SetThreadNice(CurrentThreadId(), nice);
    output_->SetNice(nice);
}

void CMpegPlayer::SetBufferLevels(int buffers, int inputBuffers) {
    if (buffers >= 0 && buffers <= 4) {
        params_.blockSize = CWaveOut::BlockSizeForLevel(buffers);
        params_.blockCount = CWaveOut::BlockCountForLevel(buffers);
    }
    if (inputBuffers >= 0 && inputBuffers <= 4)
        params_.ringSize = CFrameRing::SlotsForLevel(inputBuffers);
}

FrameHeader CMpegPlayer::CurrentHeader() const {
    std::lock_guard lock(headerMutex_);
    return publishedHeader_;
}

void CMpegPlayer::PublishHeader() {
    const FrameHeader& h = reader_.Current();
    if (h.word == publishedWord_)
        return;
    publishedWord_ = h.word;
    std::lock_guard lock(headerMutex_);
    publishedHeader_ = h;
}

// ------------------------------------------------------------ commands

bool CMpegPlayer::Open() {
    CancelOpen();
    pauseRequest_ = false;
    if (!Probe(params_.sourceName))
        return false;
    TakeOpenedSource();
    return true;
}

// Opens the stream and looks for the first header; the stream is left open
// at its start on success and closed on failure.
bool CMpegPlayer::Probe(const std::string& sourceName) {
    try {
        stream_.Open(sourceName);
    } catch (const EngineError&) {
        return false;
    }
    reader_.ResetForOpen();
    reader_.Current() = FrameHeader();
    reader_.SetFrameCounter(0);
    try {
        if (reader_.ReadHeader(reader_.Current()) > 0) {
            // A source that refuses to move back goes on from where the probe stopped.
            reader_.Rewind();
            reader_.PublishTiming();
            publishedWord_ = 0;
            PublishHeader();
            return true;
        }
    } catch (const EngineError&) {
    }
    stream_.Close();
    return false;
}

void CMpegPlayer::TakeOpenedSource() {
    params_.seekable = stream_.Seekable();
    state_ = Opened;
}

uint64_t CMpegPlayer::BeginOpen(std::function<void()> done) {
    Stop();
    pauseRequest_ = false;
    openPending_ = true;
    uint64_t ticket = ++openTicket_;
    std::string name = params_.sourceName;
    try {
        opener_ = std::thread([this, name, done] {
            probeOpened_ = Probe(name);
            done();
        });
    } catch (const std::system_error&) {
        probeOpened_ = false; // FinishOpen reports the failure
        done();
    }
    return ticket;
}

CMpegPlayer::OpenResult CMpegPlayer::FinishOpen(uint64_t ticket) {
    if (ticket != openTicket_ || !openPending_)
        return OpenResult::Cancelled;
    if (opener_.joinable())
        opener_.join();
    openPending_ = false;
    if (!probeOpened_)
        return OpenResult::Failed;
    TakeOpenedSource();
    return OpenResult::Opened;
}

// Ends a probe still running on its own thread: its connect or read fails
// at once, and its source is closed.
void CMpegPlayer::CancelOpen() {
    openPending_ = false;
    if (!opener_.joinable())
        return;
    stream_.Abort();
    opener_.join();
    stream_.Close();
}

int CMpegPlayer::RateAfterDownsampling(int rate) const {
    switch (params_.downsampling) {
    case 2:
        return rate / 4;
    case 1:
        return rate / 2;
    default:
        return rate;
    }
}

void CMpegPlayer::Play() {
    CancelOpen();
    params_.forceMono = forceMonoSetting_;
    params_.downsampling = downsamplingSetting_;
    FrameHeader& h = reader_.Current();
    params_.outputRate = RateAfterDownsampling(SamplingRateOf(h));
    params_.channels = 2;
    if (params_.forceMono) {
        if (h.mixingSelection < 0)
            h.mixingSelection = 3;
        params_.channels = 1;
    }
    started_.Reset();
    threadEnded_.Reset();
    if (thread_.joinable())
        thread_.join();
    stopRequest_ = false;
    threadRunning_ = true;
    try {
        thread_ = std::thread(&CMpegPlayer::DecodingThread, this);
    } catch (const std::system_error&) {
        threadRunning_ = false;
        return;
    }
    started_.Wait();
    if (state_ != Playing)
        stream_.Close();
}

// The decoding thread stores Stopped when it ends at any moment: the state
// moves only by exchange, so a track that just ended stays Stopped.
void CMpegPlayer::Pause() {
    int expected = Playing;
    if (state_.compare_exchange_strong(expected, Paused))
        pauseRequest_ = true;
}

void CMpegPlayer::Resume() {
    int expected = Paused;
    if (state_.compare_exchange_strong(expected, Playing)) {
        pauseRequest_ = false;
        pauseWake_.Set();
    }
}

void CMpegPlayer::Stop() {
    CancelOpen();
    int s = state_;
    if (s == Playing || s == Paused) {
        stopRequest_ = true;
        pauseRequest_ = false;
        pauseWake_.Set();
        // A read blocked on a stalled server ends when the stream is aborted.
        stream_.Abort();
        threadEnded_.Wait();
    }
    if (thread_.joinable())
        thread_.join();
    stream_.Close();
    state_ = Stopped;
}

void CMpegPlayer::Seek(int percent) {
    RequestSeek(percent < 0 ? 0 : percent, -1);
}

void CMpegPlayer::SeekMs(int positionMs) {
    RequestSeek(0, positionMs < 0 ? 0 : positionMs);
}

void CMpegPlayer::RequestSeek(int percent, int positionMs) {
    int s = state_;
    if ((s != Playing && s != Paused) || !threadRunning_)
        return;
    seekTarget_ = percent;
    seekTargetMs_ = positionMs;
    seekDone_.Reset();
    seekPending_ = true;
    pauseWake_.Set();
    // A thread that ends meanwhile answers the request on its way out; the
    // wait still looks whether it is there, in case it ended just before.
    for (auto until = std::chrono::steady_clock::now() + kSeekWaitLimit;
         std::chrono::steady_clock::now() < until;) {
        if (seekDone_.WaitFor(kPauseStep))
            return;
        if (!threadRunning_) {
            seekPending_ = false;
            return;
        }
    }
}

// ------------------------------------------------------ decoding thread

void CMpegPlayer::DecodingThread() {
    NameCurrentThread("zeb-decode");
    ApplyThreadPriority();
    if (PrepareThread()) {
        RunLoop();
        ring_.Release();
        if (stopRequest_)
            FinishAfterUserStop();
        else
            FinishAtEnd();
    }
    threadRunning_ = false;
}

bool CMpegPlayer::PrepareThread() {
    auto fail = [&] {
        state_ = Stopped;
        started_.Set();
        threadEnded_.Set();
        return false;
    };
    try {
        decoder_.Start(params_.downsampling, params_.forceMono != 0, params_.blockSize);
    } catch (const EngineError&) {
        return fail();
    }
    wavPart_ = 1;
    try {
        ConfigureOutput(params_.wavPath);
        output_->Open(params_.outputRate, params_.channels, params_.bits);
        decoder_.SetOutputRate(output_->Rate());
    } catch (const EngineError&) {
        decoder_.Stop();
        return fail();
    }
    try {
        ring_.Allocate(params_.ringSize);
    } catch (const std::exception&) {
        decoder_.Stop();
        output_->Close();
        return fail();
    }
    state_ = Playing;
    started_.Set();
    return true;
}

void CMpegPlayer::ConfigureOutput(const std::string& wavPath) {
    WaveOutConfig config;
    config.kind = params_.outputKind;
    config.device = params_.device;
    config.wavPath = wavPath;
    config.sourcePath = params_.isUrl ? std::string() : params_.sourceName;
    config.blockCount = params_.blockCount;
    output_->Configure(config);
}

void CMpegPlayer::WriteBlock(const uint8_t* data, size_t length) {
    output_->Write(data, static_cast<int>(length));
}

void CMpegPlayer::RunLoop() {
    CMpegDecoder::BlockSink sink = [this](const uint8_t* d, size_t n) { WriteBlock(d, n); };
    for (;;) {
        try {
            if (seekPending_.exchange(false) && !ServeSeek())
                break;
            output_->Collect();
            ring_.Fill(0, reader_);
            const uint8_t* body = nullptr;
            bool have = ring_.Take(reader_, body);
            if (stopRequest_ || !have)
                break;
            reader_.AdvanceFrameCounter();
            reader_.PublishTiming();
            PublishHeader();
            int rate = RateAfterDownsampling(SamplingRateOf(reader_.Current()));
            if (rate != params_.outputRate)
                ReopenOutputAt(rate, sink);
            decoder_.FollowEqualizer(equalizer_);
            decoder_.DecodeFrame(reader_.Current(), body, sink);
            if (priorityChanged_)
                ApplyThreadPriority();
            if (pauseRequest_ && !WaitWhilePaused())
                break;
        } catch (const EngineError&) {
            // The pass ends; the next one goes on with the next frame.
        }
    }
}

void CMpegPlayer::ReopenOutputAt(int rate, const CMpegDecoder::BlockSink& sink) {
    params_.outputRate = rate;
    decoder_.FlushBlock(sink);
    if (params_.outputKind == 1) {
        output_->Drain();
        output_->Close();
        // A WAV file holds one rate only: the audio goes on in "name (2).wav",
        // "name (3).wav", ..., never in the file just written.
        std::string next;
        do
            next = NumberedWavPath(params_.wavPath, ++wavPart_);
        while (next == output_->WavPath());
        ConfigureOutput(next);
        output_->Open(params_.outputRate, params_.channels, params_.bits);
    } else {
        output_->Reopen(params_.outputRate, params_.channels, params_.bits);
    }
    decoder_.SetOutputRate(output_->Rate());
}

// Serves a pending seek; false when it failed and the track must end.
bool CMpegPlayer::ServeSeek() {
    CMpegDecoder::BlockSink sink = [this](const uint8_t* d, size_t n) { WriteBlock(d, n); };
    if (params_.outputKind == 0) {
        decoder_.FlushBlock(sink);
        output_->Reset();
        output_->Collect();
    }
    const int ms = seekTargetMs_;
    bool ok = ms >= 0 ? reader_.SeekMs(ms, ring_) : reader_.SeekPercent(seekTarget_, ring_);
    if (ok) {
        decoder_.ResetStream();
        output_->SetFirstBlockTrim();
        reader_.PublishTiming();
    }
    seekTarget_ = ok ? -1 : 0;
    seekDone_.Set();
    return ok;
}

// Holds the thread while the pause request is on, asleep until a command
// wakes it; a seek asked for meanwhile is served at once. False when that
// seek failed.
bool CMpegPlayer::WaitWhilePaused() {
    bool device = params_.outputKind == 0;
    if (device)
        output_->Pause();
    bool ok = true;
    while (pauseRequest_ && !stopRequest_) {
        if (priorityChanged_)
            ApplyThreadPriority();
        if (seekPending_.exchange(false) && !ServeSeek()) {
            ok = false;
            break;
        }
        pauseWake_.Wait();
    }
    if (device && !stopRequest_)
        output_->Restart();
    return ok;
}

void CMpegPlayer::AnswerPendingSeek() {
    if (seekPending_.exchange(false)) {
        seekTarget_ = 0;
        seekDone_.Set();
    }
}

void CMpegPlayer::FinishAfterUserStop() {
    if (params_.outputKind == 0) {
        try {
            CMpegDecoder::BlockSink sink = [this](const uint8_t* d, size_t n) { WriteBlock(d, n); };
            decoder_.FlushBlock(sink);
            output_->Reset();
            output_->Collect();
        } catch (const EngineError&) {
        }
    }
    decoder_.Stop();
    output_->Close();
    state_ = Stopped;
    stopRequest_ = false;
    AnswerPendingSeek();
    threadEnded_.Set();
}

void CMpegPlayer::FinishAtEnd() {
    try {
        CMpegDecoder::BlockSink sink = [this](const uint8_t* d, size_t n) { WriteBlock(d, n); };
        decoder_.FlushBlock(sink);
        output_->Drain();
    } catch (const EngineError&) {
    }
    decoder_.Stop();
    output_->Close();
    state_ = Stopped;
    // A stop that came while the last blocks drained is still a user stop.
    bool userStopped = stopRequest_.exchange(false);
    AnswerPendingSeek();
    threadEnded_.Set();
    if (onEnd_ && !userStopped)
        onEnd_();
}

} // namespace zeb
