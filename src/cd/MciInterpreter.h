#pragma once

#include "cd/CdDrive.h"
#include "cd/CdPlayback.h"
#include "cd/MciDevice.h"
#include "engine/WaveOut.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace zeb {

// The MCI CD-audio device over libcdio. It understands the command strings of the CD player:
//   open <drive>[:] [type cdaudio] [shareable] [alias <name>]   (a device path or a CD image)
//   close <alias>|all
//   set <alias> time format tmsf|msf|milliseconds, set <alias> door open|closed
//   status <alias> number of tracks | position [track <n>] | length [track <n>] | mode |
//          media present | ready | current track | start position | time format |
//          type track <n>
//   info <alias> identity
//   play <alias> [from <pos>] [to <pos>], pause, resume, stop, seek <alias> to start|end|<pos>
// each optionally followed by "notify" (and, except play, "wait", which changes nothing since
// every command completes at once). Positions are written in the device's time format: in TMSF
// "t[:mm[:ss[:ff]]]" (a bare number is the start of that track), in MSF "mm[:ss[:ff]]" from
// the start of the disc, in milliseconds a decimal number. Replies use two-digit fields:
// "tt:mm:ss:ff" and "mm:ss:ff".
//
// Playing reads the disc digitally and sends the samples to the engine's output (the sound
// device or a WAV file); the position reported is what has been heard.
class MciInterpreter : public MciDevice {
public:
    MciInterpreter() = default;
    ~MciInterpreter() override;

    MciReply Send(const std::string& command) override;
    bool IsAudioTrack(const std::string& alias, int track) override;
    // The callback must not send commands itself (it may run inside Send); it posts the code
    // to the owner's thread.
    void SetNotifyCallback(NotifyCallback callback) override;
    // Where playback sends its samples, from the next play on.
    void SetOutput(const WaveOutConfig& config);

private:
    enum class TimeFormat { Tmsf, Msf, Milliseconds };
    enum class Mode { Stopped, Playing, Paused };

    // One opened device.
    struct Device {
        Device(std::string path, CdDrive::Kind kind) : drive(std::move(path), kind) {}
        CdDrive drive;
        CdPlayback playback;
        TimeFormat format = TimeFormat::Msf;
        Mode mode = Mode::Stopped;
        long positionLsn = -1; // -1: the start of the disc
        long playToLsn = 0;    // the end of the last play, for resume
        std::shared_ptr<std::atomic<bool>> pendingNotify;
    };
    using Words = std::vector<std::string>;

    MciReply Open(const Words& words, bool notify);
    MciReply Close(const std::string& alias);
    MciReply Set(Device& device, const Words& args);
    MciReply Status(Device& device, const Words& args);
    MciReply Info(Device& device, const Words& args);
    MciReply Play(Device& device, const Words& args, bool notify);
    MciReply Pause(Device& device);
    MciReply Resume(Device& device, bool notify);
    MciReply Stop(Device& device);
    MciReply Seek(Device& device, const Words& args);

    MciReply PlayNothing(Device& device, long atLsn, bool notify);
    MciReply StartPlaying(Device& device, long fromLsn, long toLsn, bool notify);
    // Ends the current playback; its pending notification gets `code`.
    void EndPlayback(Device& device, int code);
    // Notices a playback that has ended on its own.
    void Refresh(Device& device);
    long PositionLsn(Device& device);
    std::string FormatPosition(const Device& device, const CdToc& toc, long lsn) const;
    std::string FormatLength(const Device& device, long frames) const;
    // A position in the device's time format, as an LSN; the error code when it is malformed
    // (kMciErrBadInteger) or not on the disc (kMciErrOutOfRange).
    uint32_t ParsePosition(const Device& device, const CdToc& toc, const std::string& text,
                           long& lsn) const;
    Device* Find(const std::string& alias);
    void Notify(int code);

    std::mutex mutex_;
    std::map<std::string, std::unique_ptr<Device>> devices_; // by lower-case alias
    WaveOutConfig output_;
    std::mutex callbackMutex_;
    NotifyCallback callback_;
};

} // namespace zeb
