// ALSA, loaded when the mixer is first opened rather than at start. Opening
// any ALSA device reads ALSA's configuration, whose sound-server hook loads
// that server's client library and its codecs; a player that waits in the
// tray needs none of it. The functions below stand in for the ones the
// program calls and pass each call on to the library, loaded on first use.
// Without the library every call fails as ALSA's own calls fail.
#include "engine/LibraryOnDemand.h"

#include <alsa/asoundlib.h>
#include <cerrno>

namespace {

constexpr const char* kLibraryName = "libasound.so.2";

struct AlsaFunctions {
    decltype(&::snd_card_next) cardNext = nullptr;
    decltype(&::snd_card_get_name) cardGetName = nullptr;
    decltype(&::snd_mixer_open) mixerOpen = nullptr;
    decltype(&::snd_mixer_close) mixerClose = nullptr;
    decltype(&::snd_mixer_attach) mixerAttach = nullptr;
    decltype(&::snd_mixer_load) mixerLoad = nullptr;
    decltype(&::snd_mixer_handle_events) mixerHandleEvents = nullptr;
    decltype(&::snd_mixer_poll_descriptors_count) mixerPollDescriptorsCount = nullptr;
    decltype(&::snd_mixer_poll_descriptors) mixerPollDescriptors = nullptr;
    decltype(&::snd_mixer_first_elem) mixerFirstElem = nullptr;
    decltype(&::snd_mixer_elem_next) mixerElemNext = nullptr;
    decltype(&::snd_mixer_find_selem) mixerFindSelem = nullptr;
    decltype(&::snd_mixer_selem_register) selemRegister = nullptr;
    decltype(&::snd_mixer_selem_id_sizeof) selemIdSizeof = nullptr;
    decltype(&::snd_mixer_selem_id_set_name) selemIdSetName = nullptr;
    decltype(&::snd_mixer_selem_id_set_index) selemIdSetIndex = nullptr;
    decltype(&::snd_mixer_selem_is_active) selemIsActive = nullptr;
    decltype(&::snd_mixer_selem_has_playback_volume) selemHasPlaybackVolume = nullptr;
    decltype(&::snd_mixer_selem_has_playback_channel) selemHasPlaybackChannel = nullptr;
    decltype(&::snd_mixer_selem_get_playback_volume_range) selemGetPlaybackVolumeRange = nullptr;
    decltype(&::snd_mixer_selem_get_playback_volume) selemGetPlaybackVolume = nullptr;
    decltype(&::snd_mixer_selem_set_playback_volume) selemSetPlaybackVolume = nullptr;
};

using zeb::ResolveFunction;

AlsaFunctions LoadLibrary() {
    return zeb::LoadFunctions<AlsaFunctions>(
        kLibraryName, "the mixer cannot be opened", [](void* library, AlsaFunctions& f) {
            return ResolveFunction(library, "snd_card_next", f.cardNext) &&
                   ResolveFunction(library, "snd_card_get_name", f.cardGetName) &&
                   ResolveFunction(library, "snd_mixer_open", f.mixerOpen) &&
                   ResolveFunction(library, "snd_mixer_close", f.mixerClose) &&
                   ResolveFunction(library, "snd_mixer_attach", f.mixerAttach) &&
                   ResolveFunction(library, "snd_mixer_load", f.mixerLoad) &&
                   ResolveFunction(library, "snd_mixer_handle_events", f.mixerHandleEvents) &&
                   ResolveFunction(library, "snd_mixer_poll_descriptors_count",
                                   f.mixerPollDescriptorsCount) &&
                   ResolveFunction(library, "snd_mixer_poll_descriptors", f.mixerPollDescriptors) &&
                   ResolveFunction(library, "snd_mixer_first_elem", f.mixerFirstElem) &&
                   ResolveFunction(library, "snd_mixer_elem_next", f.mixerElemNext) &&
                   ResolveFunction(library, "snd_mixer_find_selem", f.mixerFindSelem) &&
                   ResolveFunction(library, "snd_mixer_selem_register", f.selemRegister) &&
                   ResolveFunction(library, "snd_mixer_selem_id_sizeof", f.selemIdSizeof) &&
                   ResolveFunction(library, "snd_mixer_selem_id_set_name", f.selemIdSetName) &&
                   ResolveFunction(library, "snd_mixer_selem_id_set_index", f.selemIdSetIndex) &&
                   ResolveFunction(library, "snd_mixer_selem_is_active", f.selemIsActive) &&
                   ResolveFunction(library, "snd_mixer_selem_has_playback_volume",
                                   f.selemHasPlaybackVolume) &&
                   ResolveFunction(library, "snd_mixer_selem_has_playback_channel",
                                   f.selemHasPlaybackChannel) &&
                   ResolveFunction(library, "snd_mixer_selem_get_playback_volume_range",
                                   f.selemGetPlaybackVolumeRange) &&
                   ResolveFunction(library, "snd_mixer_selem_get_playback_volume",
                                   f.selemGetPlaybackVolume) &&
                   ResolveFunction(library, "snd_mixer_selem_set_playback_volume",
                                   f.selemSetPlaybackVolume);
        });
}

// Loaded once, by whichever thread asks first.
const AlsaFunctions& Alsa() {
    static const AlsaFunctions functions = LoadLibrary();
    return functions;
}

template <auto Function, typename Result, typename... Args>
Result Forward(Result failed, Args... args) {
    return zeb::ForwardCall<&Alsa, Function>(failed, args...);
}

constexpr int kMissing = -ENOSYS;

} // namespace

extern "C" {

int snd_card_next(int* card) {
    return Forward<&AlsaFunctions::cardNext>(kMissing, card);
}

int snd_card_get_name(int card, char** name) {
    return Forward<&AlsaFunctions::cardGetName>(kMissing, card, name);
}

int snd_mixer_open(snd_mixer_t** mixer, int mode) {
    return Forward<&AlsaFunctions::mixerOpen>(kMissing, mixer, mode);
}

int snd_mixer_close(snd_mixer_t* mixer) {
    return Forward<&AlsaFunctions::mixerClose>(kMissing, mixer);
}

int snd_mixer_attach(snd_mixer_t* mixer, const char* name) {
    return Forward<&AlsaFunctions::mixerAttach>(kMissing, mixer, name);
}

int snd_mixer_load(snd_mixer_t* mixer) {
    return Forward<&AlsaFunctions::mixerLoad>(kMissing, mixer);
}

int snd_mixer_handle_events(snd_mixer_t* mixer) {
    return Forward<&AlsaFunctions::mixerHandleEvents>(kMissing, mixer);
}

int snd_mixer_poll_descriptors_count(snd_mixer_t* mixer) {
    return Forward<&AlsaFunctions::mixerPollDescriptorsCount>(kMissing, mixer);
}

int snd_mixer_poll_descriptors(snd_mixer_t* mixer, struct pollfd* pfds, unsigned int space) {
    return Forward<&AlsaFunctions::mixerPollDescriptors>(kMissing, mixer, pfds, space);
}

snd_mixer_elem_t* snd_mixer_first_elem(snd_mixer_t* mixer) {
    return Forward<&AlsaFunctions::mixerFirstElem>(static_cast<snd_mixer_elem_t*>(nullptr), mixer);
}

snd_mixer_elem_t* snd_mixer_elem_next(snd_mixer_elem_t* elem) {
    return Forward<&AlsaFunctions::mixerElemNext>(static_cast<snd_mixer_elem_t*>(nullptr), elem);
}

snd_mixer_elem_t* snd_mixer_find_selem(snd_mixer_t* mixer, const snd_mixer_selem_id_t* id) {
    return Forward<&AlsaFunctions::mixerFindSelem>(static_cast<snd_mixer_elem_t*>(nullptr), mixer,
                                                   id);
}

int snd_mixer_selem_register(snd_mixer_t* mixer, struct snd_mixer_selem_regopt* options,
                             snd_mixer_class_t** classp) {
    return Forward<&AlsaFunctions::selemRegister>(kMissing, mixer, options, classp);
}

// An identifier is only ever made for a mixer that opened, so the library
// is there whenever this is asked; without it, a place holder the size of
// a pointer.
size_t snd_mixer_selem_id_sizeof() {
    return Forward<&AlsaFunctions::selemIdSizeof>(sizeof(void*));
}

void snd_mixer_selem_id_set_name(snd_mixer_selem_id_t* id, const char* name) {
    zeb::ForwardVoidCall<&Alsa, &AlsaFunctions::selemIdSetName>(id, name);
}

void snd_mixer_selem_id_set_index(snd_mixer_selem_id_t* id, unsigned int index) {
    zeb::ForwardVoidCall<&Alsa, &AlsaFunctions::selemIdSetIndex>(id, index);
}

int snd_mixer_selem_is_active(snd_mixer_elem_t* elem) {
    return Forward<&AlsaFunctions::selemIsActive>(0, elem);
}

int snd_mixer_selem_has_playback_volume(snd_mixer_elem_t* elem) {
    return Forward<&AlsaFunctions::selemHasPlaybackVolume>(0, elem);
}

int snd_mixer_selem_has_playback_channel(snd_mixer_elem_t* elem,
                                         snd_mixer_selem_channel_id_t channel) {
    return Forward<&AlsaFunctions::selemHasPlaybackChannel>(0, elem, channel);
}

int snd_mixer_selem_get_playback_volume_range(snd_mixer_elem_t* elem, long* min, long* max) {
    return Forward<&AlsaFunctions::selemGetPlaybackVolumeRange>(kMissing, elem, min, max);
}

int snd_mixer_selem_get_playback_volume(snd_mixer_elem_t* elem,
                                        snd_mixer_selem_channel_id_t channel, long* value) {
    return Forward<&AlsaFunctions::selemGetPlaybackVolume>(kMissing, elem, channel, value);
}

int snd_mixer_selem_set_playback_volume(snd_mixer_elem_t* elem,
                                        snd_mixer_selem_channel_id_t channel, long value) {
    return Forward<&AlsaFunctions::selemSetPlaybackVolume>(kMissing, elem, channel, value);
}

// Only an ALSA already loaded (by an output module) can hold a handler to
// reset, so this never loads the library itself.
int snd_lib_error_set_handler(snd_lib_error_handler_t handler) {
    void* loaded = ::dlopen(kLibraryName, RTLD_NOW | RTLD_NOLOAD);
    if (!loaded)
        return 0;
    decltype(&::snd_lib_error_set_handler) setHandler = nullptr;
    int result = 0;
    if (zeb::ResolveFunction(loaded, "snd_lib_error_set_handler", setHandler))
        result = setHandler(handler);
    ::dlclose(loaded);
    return result;
}

} // extern "C"
