// libmpg123, loaded when the first track is decoded rather than at start:
// a player waiting in the tray keeps neither its code nor its tables. The
// functions below stand in for the ones the program calls and pass each
// call on to the library, loaded (and initialised) on first use. Without
// the library no decoder can be made, as when libmpg123 itself fails.
// mpg123.h maps mpg123_param and mpg123_eq to the library's int-typed
// mpg123_param2 and mpg123_eq2, which are the ones defined and looked up.
#include "engine/LibraryOnDemand.h"

#include <mpg123.h>

namespace {

#define ZEB_MPG123_FUNCTIONS(F)                                                                    \
    F(mpg123_init)                                                                                 \
    F(mpg123_new)                                                                                  \
    F(mpg123_delete)                                                                               \
    F(mpg123_param)                                                                                \
    F(mpg123_format_none)                                                                          \
    F(mpg123_format)                                                                               \
    F(mpg123_open_feed)                                                                            \
    F(mpg123_close)                                                                                \
    F(mpg123_feed)                                                                                 \
    F(mpg123_decode_frame)                                                                         \
    F(mpg123_eq)                                                                                   \
    F(mpg123_reset_eq)

struct Mpg123Functions {
    ZEB_MPG123_FUNCTIONS(ZEB_FUNCTION_MEMBER)
};

Mpg123Functions LoadLibrary() {
    Mpg123Functions functions = zeb::LoadFunctions<Mpg123Functions>(
        "libmpg123.so.0", "no track can be decoded", [](void* library, Mpg123Functions& functions) {
            return true ZEB_MPG123_FUNCTIONS(ZEB_RESOLVE_MEMBER);
        });
    if (functions.mpg123_init && functions.mpg123_init() != MPG123_OK)
        return Mpg123Functions{};
    return functions;
}

// Loaded once, by whichever thread asks first.
const Mpg123Functions& Mpg123() {
    static const Mpg123Functions functions = LoadLibrary();
    return functions;
}

template <auto Function, typename Result, typename... Args>
Result Forward(Result failed, Args... args) {
    return zeb::ForwardCall<&Mpg123, Function>(failed, args...);
}

} // namespace

extern "C" {

mpg123_handle* mpg123_new(const char* decoder, int* error) {
    if (!Mpg123().mpg123_new) {
        if (error)
            *error = MPG123_ERR;
        return nullptr;
    }
    return Mpg123().mpg123_new(decoder, error);
}

void mpg123_delete(mpg123_handle* handle) {
    zeb::ForwardVoidCall<&Mpg123, &Mpg123Functions::mpg123_delete>(handle);
}

int mpg123_param(mpg123_handle* handle, int type, long value, double fvalue) {
    return Forward<&Mpg123Functions::mpg123_param>(static_cast<int>(MPG123_ERR), handle, type,
                                                   value, fvalue);
}

int mpg123_format_none(mpg123_handle* handle) {
    return Forward<&Mpg123Functions::mpg123_format_none>(static_cast<int>(MPG123_ERR), handle);
}

int mpg123_format(mpg123_handle* handle, long rate, int channels, int encodings) {
    return Forward<&Mpg123Functions::mpg123_format>(static_cast<int>(MPG123_ERR), handle, rate,
                                                    channels, encodings);
}

int mpg123_open_feed(mpg123_handle* handle) {
    return Forward<&Mpg123Functions::mpg123_open_feed>(static_cast<int>(MPG123_ERR), handle);
}

int mpg123_close(mpg123_handle* handle) {
    return Forward<&Mpg123Functions::mpg123_close>(static_cast<int>(MPG123_ERR), handle);
}

int mpg123_feed(mpg123_handle* handle, const unsigned char* in, size_t size) {
    return Forward<&Mpg123Functions::mpg123_feed>(static_cast<int>(MPG123_ERR), handle, in, size);
}

int mpg123_decode_frame(mpg123_handle* handle, off_t* num, unsigned char** audio, size_t* bytes) {
    return Forward<&Mpg123Functions::mpg123_decode_frame>(static_cast<int>(MPG123_ERR), handle, num,
                                                          audio, bytes);
}

int mpg123_eq(mpg123_handle* handle, int channel, int band, double value) {
    return Forward<&Mpg123Functions::mpg123_eq>(static_cast<int>(MPG123_ERR), handle, channel, band,
                                                value);
}

int mpg123_reset_eq(mpg123_handle* handle) {
    return Forward<&Mpg123Functions::mpg123_reset_eq>(static_cast<int>(MPG123_ERR), handle);
}

} // extern "C"
