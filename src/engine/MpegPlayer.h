#pragma once

#include "engine/AutoResetEvent.h"
#include "engine/Decoder.h"
#include "engine/FrameReader.h"
#include "engine/InputStream.h"
#include "engine/PlayParams.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace zeb {

class CWaveOut;

// The audio engine as the program sees it: one source at a time, opened,
// played on a decoding thread of its own, paused, sought and stopped from
// the user-interface thread.
class CMpegPlayer {
public:
    enum State { Stopped = 0, Opened = 1, Playing = 2, Paused = 3 };
    // Called on the decoding thread when a track ended by itself or a seek
    // failed; never after Stop. The owner turns it into a queued call.
    using EndCallback = std::function<void()>;

    CMpegPlayer();
    ~CMpegPlayer();
    CMpegPlayer(const CMpegPlayer&) = delete;
    CMpegPlayer& operator=(const CMpegPlayer&) = delete;

    void SetSource(const std::string& name);
    void SetWavPath(const std::string& path);
    void SetOutputKind(int kind); // 0 sound device, 1 WAV file
    void SetDevice(int device);   // -1 the default output
    void SetNotify(EndCallback callback);
    // The Priority setting: 1..5 give the thread priorities -2..+2, steps of
    // nice values from the process's own; other values leave it alone. A
    // running thread applies it after its current frame, to itself and to
    // the device writer; what the system refuses is reported on standard
    // error and applies from the next play.
    void SetPriority(int prioritySetting);
    // Buffers and InputBuffers levels 0..4; values outside keep the last choice.
    void SetBufferLevels(int buffers, int inputBuffers);
    void SetForceMono(int forceMono);
    void SetDownsampling(int downsampling);
    EqualizerFactors& Equalizer() { return equalizer_; }

    bool Open();
    // Opens like Open on a thread of its own, so that a slow or dead server
    // holds nobody. `done` runs on that thread when the probe has finished;
    // the caller then calls FinishOpen with the ticket on its own thread.
    // Stop, Open and a later BeginOpen abort a probe still running.
    enum class OpenResult { Opened, Failed, Cancelled };
    uint64_t BeginOpen(std::function<void()> done);
    // The outcome of the probe of this ticket: Opened (the state is now
    // Opened), Failed, or Cancelled when it was aborted or superseded.
    OpenResult FinishOpen(uint64_t ticket);
    bool IsOpening() const { return openPending_; }
    void Play();
    void Pause();
    void Resume();
    void Stop();
    // Seeks to a percentage of the track (negative is 0). Served by the
    // decoding thread; returns at once when no thread plays or holds the track.
    void Seek(int percent);
    // Seeks to a time in the track, to 1/10000 of its length (a play that
    // goes on where it was).
    void SeekMs(int positionMs);

    int GetState() const { return state_.load(); }
    int LengthMs() const { return reader_.LengthMs(); }
    int PositionMs() const { return reader_.PositionMs(); }
    bool IsSeekable() const { return GetState() == Playing && params_.seekable; }
    const PlayParams& Params() const { return params_; }
    // The header of the frame being played (bitrate, rate, mode).
    FrameHeader CurrentHeader() const;

private:
    bool Probe(const std::string& sourceName);
    void TakeOpenedSource();
    void CancelOpen();
    void DecodingThread();
    bool PrepareThread();
    void RunLoop();
    bool ServeSeek();
    void RequestSeek(int percent, int positionMs);
    bool WaitWhilePaused();
    void FinishAfterUserStop();
    void FinishAtEnd();
    void AnswerPendingSeek();
    int RateAfterDownsampling(int rate) const;
    void ApplyThreadPriority();
    void WriteBlock(const uint8_t* data, size_t length);
    void ConfigureOutput(const std::string& wavPath);
    void PublishHeader();
    void ReopenOutputAt(int rate, const CMpegDecoder::BlockSink& sink);

    PlayParams params_;
    CInputStream stream_;
    CFrameReader reader_;
    CFrameRing ring_;
    CMpegDecoder decoder_;
    EqualizerFactors equalizer_;
    std::unique_ptr<CWaveOut> output_;
    EndCallback onEnd_;

    std::atomic<int> state_{Stopped};
    std::atomic<bool> pauseRequest_{false};
    std::atomic<bool> stopRequest_{false};
    std::atomic<bool> seekPending_{false};
    std::atomic<int> seekTarget_{-1};
    std::atomic<int> seekTargetMs_{-1}; // -1: the seek is by percent
    AutoResetEvent threadEnded_;
    AutoResetEvent seekDone_;
    AutoResetEvent started_;
    // Wakes a paused decoding thread: resume, stop, seek or a new priority.
    AutoResetEvent pauseWake_;
    std::thread thread_;
    std::atomic<bool> threadRunning_{false}; // from Play until the decoding thread returns
    std::atomic<int> priorityStep_{0};
    std::atomic<bool> priorityChanged_{false};
    std::thread opener_;
    std::atomic<bool> probeOpened_{false};
    bool openPending_ = false; // from BeginOpen until FinishOpen or a cancel
    uint64_t openTicket_ = 0;
    int forceMonoSetting_ = 0;
    int downsamplingSetting_ = 0;
    int wavPart_ = 1;

    mutable std::mutex headerMutex_;
    FrameHeader publishedHeader_;
    uint32_t publishedWord_ = 0;
};

} // namespace zeb
