#include "engine/MixerVolume.h"

#include "engine/AlsaMixer.h"

#include <algorithm>

namespace zeb {

namespace {

// The loudest channel, but never below the control's minimum.
long PeakOf(const std::vector<long>& values, long min) {
    long peak = min;
    for (long v : values)
        peak = std::max(peak, v);
    return peak;
}

// The value the loudest channel gets for `percent`; a target of 0 is raised
// to a thousandth of the range so the line is never fully silenced.
long TargetFor(int percent, long min, long max) {
    long target = min + (max - min) * percent / 100;
    if (target == 0)
        target = (max - min) / 1000;
    return target;
}

std::vector<long> ScaledValues(const std::vector<long>& current, long min, long target) {
    const long peak = PeakOf(current, min);
    std::vector<long> scaled;
    scaled.reserve(current.size());
    for (long v : current) {
        if (peak == 0)
            scaled.push_back(target);
        else
            scaled.push_back(static_cast<long>(target * (static_cast<double>(v) / peak)));
    }
    return scaled;
}

} // namespace

CMixerVolume::CMixerVolume() : CMixerVolume(std::make_unique<AlsaMixer>()) {}

CMixerVolume::CMixerVolume(std::unique_ptr<MixerBackend> backend) : backend_(std::move(backend)) {}

CMixerVolume::~CMixerVolume() {
    Close();
}

bool CMixerVolume::Open(bool cdMode, int mixerDevice) {
    Close();
    const auto kind = cdMode ? MixerBackend::LineKind::CdAudio : MixerBackend::LineKind::WaveOutput;
    available_ = backend_ && backend_->OpenLine(mixerDevice, kind);
    return available_;
}

void CMixerVolume::Close() {
    if (backend_)
        backend_->Close();
    available_ = false;
}

void CMixerVolume::SetPercent(int percent) {
    if (!available_)
        return;
    percent = std::clamp(percent, 0, 100);
    const long min = backend_->Min();
    const long max = backend_->Max();
    auto current = backend_->ReadValues();
    if (!current)
        return;
    backend_->WriteValues(ScaledValues(*current, min, TargetFor(percent, min, max)));
}

int CMixerVolume::GetPercent() {
    if (!available_)
        return 0;
    const long min = backend_->Min();
    const long max = backend_->Max();
    auto current = backend_->ReadValues();
    if (!current || max <= min)
        return 0;
    return static_cast<int>((PeakOf(*current, min) - min) * 100 / (max - min));
}

std::vector<int> CMixerVolume::EventDescriptors() const {
    if (!available_)
        return {};
    return backend_->EventDescriptors();
}

bool CMixerVolume::HandleEvents() {
    return available_ && backend_->HandleEvents();
}

} // namespace zeb
