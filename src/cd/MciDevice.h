#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace zeb {

// Error codes of the MCI layer: the Windows MCIERR_* numbers, so callers and logs keep their
// meaning.
inline constexpr uint32_t kMciErrInvalidDeviceId = 257;
inline constexpr uint32_t kMciErrUnrecognizedKeyword = 259;
inline constexpr uint32_t kMciErrUnrecognizedCommand = 261;
inline constexpr uint32_t kMciErrHardware = 262;
inline constexpr uint32_t kMciErrInvalidDeviceName = 263;
inline constexpr uint32_t kMciErrDeviceOpen = 265;
inline constexpr uint32_t kMciErrBadInteger = 270;
inline constexpr uint32_t kMciErrMissingParameter = 273;
inline constexpr uint32_t kMciErrOutOfRange = 282;
inline constexpr uint32_t kMciErrDuplicateAlias = 289;
inline constexpr uint32_t kMciErrExtraCharacters = 305;

// Completion codes passed to the notification callback (MCI_NOTIFY_*).
inline constexpr int kMciNotifySuccessful = 1;
inline constexpr int kMciNotifySuperseded = 2;
inline constexpr int kMciNotifyAborted = 4;
inline constexpr int kMciNotifyFailure = 8;

// An MCI device driven by command strings, as the CD logic sends them ("open d: type cdaudio
// shareable alias zeb", "set zeb time format tmsf", "status zeb position", ...).
struct MciReply {
    uint32_t error = 0; // 0 on success, else an MCI error code (kMciErr* above)
    std::string text;   // the reply string ("01:02:33:10", "12", "true", ...), empty when none
};

class MciDevice {
public:
    using NotifyCallback = std::function<void(int status)>;

    virtual ~MciDevice() = default;

    // Runs one command string; synchronous, never blocks for long.
    virtual MciReply Send(const std::string& command) = 0;

    // True when track `track` of the device opened as `alias` is an audio track.
    virtual bool IsAudioTrack(const std::string& alias, int track) = 0;

    // Receives the completion of commands sent with "notify" (kMciNotify* codes). It is called
    // on the device's own playing thread or inside Send; the owner posts it to its thread.
    virtual void SetNotifyCallback(NotifyCallback callback) = 0;
};

} // namespace zeb
