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

#define ZEB_ALSA_FUNCTIONS(F)                                                                      \
    F(snd_card_next)                                                                               \
    F(snd_card_get_name)                                                                           \
    F(snd_mixer_open)                                                                              \
    F(snd_mixer_close)                                                                             \
    F(snd_mixer_attach)                                                                            \
    F(snd_mixer_load)                                                                              \
    F(snd_mixer_handle_events)                                                                     \
    F(snd_mixer_poll_descriptors_count)                                                            \
    F(snd_mixer_poll_descriptors)                                                                  \
    F(snd_mixer_first_elem)                                                                        \
    F(snd_mixer_elem_next)                                                                         \
    F(snd_mixer_find_selem)                                                                        \
    F(snd_mixer_selem_register)                                                                    \
    F(snd_mixer_selem_id_sizeof)                                                                   \
    F(snd_mixer_selem_id_set_name)                                                                 \
    F(snd_mixer_selem_id_set_index)                                                                \
    F(snd_mixer_selem_is_active)                                                                   \
    F(snd_mixer_selem_has_playback_volume)                                                         \
    F(snd_mixer_selem_has_playback_channel)                                                        \
    F(snd_mixer_selem_get_playback_volume_range)                                                   \
    F(snd_mixer_selem_get_playback_volume)                                                         \
    F(snd_mixer_selem_set_playback_volume)

struct AlsaFunctions {
    ZEB_ALSA_FUNCTIONS(ZEB_FUNCTION_MEMBER)
};

AlsaFunctions LoadLibrary() {
    return zeb::LoadFunctions<AlsaFunctions>(kLibraryName, "the mixer cannot be opened",
                                             [](void* library, AlsaFunctions& functions) {
                                                 return true ZEB_ALSA_FUNCTIONS(ZEB_RESOLVE_MEMBER);
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
    return Forward<&AlsaFunctions::snd_card_next>(kMissing, card);
}

int snd_card_get_name(int card, char** name) {
    return Forward<&AlsaFunctions::snd_card_get_name>(kMissing, card, name);
}

int snd_mixer_open(snd_mixer_t** mixer, int mode) {
    return Forward<&AlsaFunctions::snd_mixer_open>(kMissing, mixer, mode);
}

int snd_mixer_close(snd_mixer_t* mixer) {
    return Forward<&AlsaFunctions::snd_mixer_close>(kMissing, mixer);
}

int snd_mixer_attach(snd_mixer_t* mixer, const char* name) {
    return Forward<&AlsaFunctions::snd_mixer_attach>(kMissing, mixer, name);
}

int snd_mixer_load(snd_mixer_t* mixer) {
    return Forward<&AlsaFunctions::snd_mixer_load>(kMissing, mixer);
}

int snd_mixer_handle_events(snd_mixer_t* mixer) {
    return Forward<&AlsaFunctions::snd_mixer_handle_events>(kMissing, mixer);
}

int snd_mixer_poll_descriptors_count(snd_mixer_t* mixer) {
    return Forward<&AlsaFunctions::snd_mixer_poll_descriptors_count>(kMissing, mixer);
}

int snd_mixer_poll_descriptors(snd_mixer_t* mixer, struct pollfd* pfds, unsigned int space) {
    return Forward<&AlsaFunctions::snd_mixer_poll_descriptors>(kMissing, mixer, pfds, space);
}

snd_mixer_elem_t* snd_mixer_first_elem(snd_mixer_t* mixer) {
    return Forward<&AlsaFunctions::snd_mixer_first_elem>(static_cast<snd_mixer_elem_t*>(nullptr),
                                                         mixer);
}

snd_mixer_elem_t* snd_mixer_elem_next(snd_mixer_elem_t* elem) {
    return Forward<&AlsaFunctions::snd_mixer_elem_next>(static_cast<snd_mixer_elem_t*>(nullptr),
                                                        elem);
}

snd_mixer_elem_t* snd_mixer_find_selem(snd_mixer_t* mixer, const snd_mixer_selem_id_t* id) {
    return Forward<&AlsaFunctions::snd_mixer_find_selem>(static_cast<snd_mixer_elem_t*>(nullptr),
                                                         mixer, id);
}

int snd_mixer_selem_register(snd_mixer_t* mixer, struct snd_mixer_selem_regopt* options,
                             snd_mixer_class_t** classp) {
    return Forward<&AlsaFunctions::snd_mixer_selem_register>(kMissing, mixer, options, classp);
}

// An identifier is only ever made for a mixer that opened, so the library
// is there whenever this is asked; without it, a place holder the size of
// a pointer.
size_t snd_mixer_selem_id_sizeof() {
    return Forward<&AlsaFunctions::snd_mixer_selem_id_sizeof>(sizeof(void*));
}

void snd_mixer_selem_id_set_name(snd_mixer_selem_id_t* id, const char* name) {
    zeb::ForwardVoidCall<&Alsa, &AlsaFunctions::snd_mixer_selem_id_set_name>(id, name);
}

void snd_mixer_selem_id_set_index(snd_mixer_selem_id_t* id, unsigned int index) {
    zeb::ForwardVoidCall<&Alsa, &AlsaFunctions::snd_mixer_selem_id_set_index>(id, index);
}

int snd_mixer_selem_is_active(snd_mixer_elem_t* elem) {
    return Forward<&AlsaFunctions::snd_mixer_selem_is_active>(0, elem);
}

int snd_mixer_selem_has_playback_volume(snd_mixer_elem_t* elem) {
    return Forward<&AlsaFunctions::snd_mixer_selem_has_playback_volume>(0, elem);
}

int snd_mixer_selem_has_playback_channel(snd_mixer_elem_t* elem,
                                         snd_mixer_selem_channel_id_t channel) {
    return Forward<&AlsaFunctions::snd_mixer_selem_has_playback_channel>(0, elem, channel);
}

int snd_mixer_selem_get_playback_volume_range(snd_mixer_elem_t* elem, long* min, long* max) {
    return Forward<&AlsaFunctions::snd_mixer_selem_get_playback_volume_range>(kMissing, elem, min,
                                                                              max);
}

int snd_mixer_selem_get_playback_volume(snd_mixer_elem_t* elem,
                                        snd_mixer_selem_channel_id_t channel, long* value) {
    return Forward<&AlsaFunctions::snd_mixer_selem_get_playback_volume>(kMissing, elem, channel,
                                                                        value);
}

int snd_mixer_selem_set_playback_volume(snd_mixer_elem_t* elem,
                                        snd_mixer_selem_channel_id_t channel, long value) {
    return Forward<&AlsaFunctions::snd_mixer_selem_set_playback_volume>(kMissing, elem, channel,
                                                                        value);
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
