#include "engine/AlsaMixer.h"

#include <alsa/asoundlib.h>
#include <poll.h>

namespace zeb {

namespace {

bool HasPlaybackVolume(snd_mixer_elem_t* elem) {
    return elem && snd_mixer_selem_has_playback_volume(elem);
}

snd_mixer_elem_t* FindByName(snd_mixer_t* mixer, const char* name) {
    snd_mixer_selem_id_t* id = nullptr;
    snd_mixer_selem_id_alloca(&id);
    snd_mixer_selem_id_set_name(id, name);
    snd_mixer_selem_id_set_index(id, 0);
    snd_mixer_elem_t* elem = snd_mixer_find_selem(mixer, id);
    return HasPlaybackVolume(elem) ? elem : nullptr;
}

snd_mixer_elem_t* FirstWithPlaybackVolume(snd_mixer_t* mixer) {
    for (auto* elem = snd_mixer_first_elem(mixer); elem; elem = snd_mixer_elem_next(elem)) {
        if (HasPlaybackVolume(elem))
            return elem;
    }
    return nullptr;
}

} // namespace

AlsaMixer::~AlsaMixer() {
    Close();
}

std::string AlsaMixer::DeviceAddress(int device) {
    if (device <= 0)
        return "default";
    return "hw:" + std::to_string(device - 1);
}

std::vector<std::string> AlsaMixer::DeviceNames() {
    std::vector<std::string> names{"Default"};
    int card = -1;
    while (snd_card_next(&card) == 0 && card >= 0) {
        // Cards may be numbered with gaps; keep device N on card N - 1.
        while (static_cast<int>(names.size()) < card + 1)
            names.push_back("hw:" + std::to_string(names.size() - 1));
        char* name = nullptr;
        if (snd_card_get_name(card, &name) == 0 && name) {
            names.push_back(name);
            free(name);
        } else {
            names.push_back("hw:" + std::to_string(card));
        }
    }
    return names;
}

bool AlsaMixer::OpenLine(int device, LineKind kind) {
    Close();
    if (device < 0)
        return false;
    if (snd_mixer_open(&mixer_, 0) < 0) {
        mixer_ = nullptr;
        return false;
    }
    const std::string address = DeviceAddress(device);
    if (snd_mixer_attach(mixer_, address.c_str()) < 0 ||
        snd_mixer_selem_register(mixer_, nullptr, nullptr) < 0 || snd_mixer_load(mixer_) < 0 ||
        !UseElement(FindLine(kind))) {
        Close();
        return false;
    }
    return true;
}

snd_mixer_elem_t* AlsaMixer::FindLine(LineKind kind) const {
    if (kind == LineKind::CdAudio) {
        if (auto* cd = FindByName(mixer_, "CD"))
            return cd;
    }
    if (auto* master = FindByName(mixer_, "Master"))
        return master;
    if (auto* pcm = FindByName(mixer_, "PCM"))
        return pcm;
    return FirstWithPlaybackVolume(mixer_);
}

bool AlsaMixer::UseElement(snd_mixer_elem_t* elem) {
    if (!elem || !snd_mixer_selem_is_active(elem))
        return false;
    long min = 0;
    long max = 0;
    if (snd_mixer_selem_get_playback_volume_range(elem, &min, &max) < 0 || max <= min)
        return false;
    channels_.clear();
    for (int ch = 0; ch <= SND_MIXER_SCHN_LAST; ++ch) {
        if (snd_mixer_selem_has_playback_channel(elem,
                                                 static_cast<snd_mixer_selem_channel_id_t>(ch)))
            channels_.push_back(ch);
    }
    elem_ = elem;
    min_ = min;
    max_ = max;
    return true;
}

void AlsaMixer::Close() {
    if (mixer_)
        snd_mixer_close(mixer_);
    mixer_ = nullptr;
    elem_ = nullptr;
    channels_.clear();
    min_ = max_ = 0;
}

std::optional<std::vector<long>> AlsaMixer::ReadValues() {
    if (!elem_)
        return std::nullopt;
    // Take in changes made by other programs since the last look.
    snd_mixer_handle_events(mixer_);
    std::vector<long> values;
    values.reserve(channels_.size());
    for (int ch : channels_) {
        long value = 0;
        if (snd_mixer_selem_get_playback_volume(
                elem_, static_cast<snd_mixer_selem_channel_id_t>(ch), &value) < 0)
            return std::nullopt;
        values.push_back(value);
    }
    return values;
}

bool AlsaMixer::WriteValues(const std::vector<long>& values) {
    if (!elem_)
        return false;
    bool ok = true;
    for (size_t i = 0; i < values.size() && i < channels_.size(); ++i) {
        if (snd_mixer_selem_set_playback_volume(
                elem_, static_cast<snd_mixer_selem_channel_id_t>(channels_[i]), values[i]) < 0)
            ok = false;
    }
    return ok;
}

// The control devices behind the mixer announce changes on these; on a sound
// server's mixer that is the server's notification of a changed volume.
std::vector<int> AlsaMixer::EventDescriptors() const {
    if (!elem_)
        return {};
    const int count = snd_mixer_poll_descriptors_count(mixer_);
    if (count <= 0)
        return {};
    std::vector<pollfd> polls(static_cast<size_t>(count));
    const int filled = snd_mixer_poll_descriptors(mixer_, polls.data(), unsigned(count));
    std::vector<int> fds;
    for (int i = 0; i < filled; ++i) {
        if (polls[size_t(i)].events & POLLIN)
            fds.push_back(polls[size_t(i)].fd);
    }
    return fds;
}

bool AlsaMixer::HandleEvents() {
    return mixer_ && snd_mixer_handle_events(mixer_) >= 0;
}

} // namespace zeb
