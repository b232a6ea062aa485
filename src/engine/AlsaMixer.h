#pragma once

#include "engine/MixerBackend.h"

#include <string>
#include <vector>

typedef struct _snd_mixer snd_mixer_t;
typedef struct _snd_mixer_elem snd_mixer_elem_t;

namespace zeb {

// A mixer line over the ALSA simple-mixer API.
//
// Mixer device numbers (the MDevice setting) follow the list a settings
// dialog shows: 0 is the system's default mixer ("default", which on a
// PulseAudio or PipeWire desktop is the sound server's), and N >= 1 is sound
// card N - 1 ("hw:<N-1>").
//
// The wave-output line is the "Master" playback volume, else "PCM", else the
// first element with a playback volume. The CD-audio line is a "CD" playback
// volume when the device has one, else the wave-output line.
class AlsaMixer : public MixerBackend {
public:
    AlsaMixer() = default;
    ~AlsaMixer() override;
    AlsaMixer(const AlsaMixer&) = delete;
    AlsaMixer& operator=(const AlsaMixer&) = delete;

    bool OpenLine(int device, LineKind kind) override;
    void Close() override;

    int Channels() const override { return static_cast<int>(channels_.size()); }
    long Min() const override { return min_; }
    long Max() const override { return max_; }

    std::optional<std::vector<long>> ReadValues() override;
    bool WriteValues(const std::vector<long>& values) override;
    std::vector<int> EventDescriptors() const override;
    bool HandleEvents() override;

    // The ALSA name of mixer device `device`, as described above.
    static std::string DeviceAddress(int device);
    // One display name per mixer device, in device-number order.
    static std::vector<std::string> DeviceNames();

private:
    snd_mixer_elem_t* FindLine(LineKind kind) const;
    bool UseElement(snd_mixer_elem_t* elem);

    snd_mixer_t* mixer_ = nullptr;
    snd_mixer_elem_t* elem_ = nullptr;
    std::vector<int> channels_; // ALSA channel ids that the element has
    long min_ = 0;
    long max_ = 0;
};

} // namespace zeb
