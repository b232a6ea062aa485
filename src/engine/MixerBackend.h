#pragma once

#include <optional>
#include <vector>

namespace zeb {

// One volume control of a system mixer line: an integer value per channel
// between Min() and Max(). CMixerVolume does its arithmetic over this, so a
// test can put a fake in place of the system mixer.
class MixerBackend {
public:
    enum class LineKind { WaveOutput, CdAudio };

    virtual ~MixerBackend() = default;

    // Opens the line of that kind on mixer device `device`. False when the
    // device, the line or a usable (present, enabled) volume control is missing.
    virtual bool OpenLine(int device, LineKind kind) = 0;
    virtual void Close() = 0;

    virtual int Channels() const = 0;
    virtual long Min() const = 0;
    virtual long Max() const = 0;

    // The current value of every channel; nothing when the control cannot be read.
    virtual std::optional<std::vector<long>> ReadValues() = 0;
    // One value per channel, in channel order.
    virtual bool WriteValues(const std::vector<long>& values) = 0;

    // Descriptors that turn readable when the mixer has news (another
    // program moved a control), for an event loop to wait on; empty when the
    // mixer cannot announce changes. HandleEvents takes the news in, after
    // which the descriptors are quiet until the next change. It returns false
    // when the mixer can tell nothing any more (its card or sound server went
    // away): its descriptors may then stay readable and are to be left alone.
    virtual std::vector<int> EventDescriptors() const { return {}; }
    virtual bool HandleEvents() { return false; }
};

} // namespace zeb
