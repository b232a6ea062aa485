#pragma once

#include "engine/MixerBackend.h"

#include <memory>
#include <vector>

namespace zeb {

// The player's volume as a percentage of one mixer line: the wave-output
// line in MP3 mode, the CD-audio line in CD mode. Setting a percentage moves
// the loudest channel to it and keeps the ratio between the channels.
class CMixerVolume {
public:
    // Over the system mixer (ALSA).
    CMixerVolume();
    explicit CMixerVolume(std::unique_ptr<MixerBackend> backend);
    ~CMixerVolume();
    CMixerVolume(const CMixerVolume&) = delete;
    CMixerVolume& operator=(const CMixerVolume&) = delete;

    // Opens the CD-audio line (cdMode) or the wave-output line of mixer
    // device `mixerDevice`; any failure leaves the volume unavailable.
    bool Open(bool cdMode, int mixerDevice);
    void Close();
    bool IsAvailable() const { return available_; }

    // Nothing when unavailable; `percent` is taken within 0..100.
    void SetPercent(int percent);
    // 0 when unavailable.
    int GetPercent();

    // Descriptors that turn readable when another program moves the line's
    // mixer; empty when unavailable or when the mixer cannot tell. After
    // they fire, HandleEvents takes the news in and quiets them; false when
    // the mixer went away and its descriptors are to be left alone.
    std::vector<int> EventDescriptors() const;
    bool HandleEvents();

private:
    std::unique_ptr<MixerBackend> backend_;
    bool available_ = false;
};

} // namespace zeb
