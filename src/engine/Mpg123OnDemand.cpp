// libmpg123, loaded when the first track is decoded rather than at start:
// a player waiting in the tray keeps neither its code nor its tables. The
// functions below stand in for the ones the program calls and pass each
// call on to the library, loaded (and initialised) on first use. Without
// the library no decoder can be made, as when libmpg123 itself fails.
// mpg123.h maps mpg123_param and mpg123_eq to the library's int-typed
// mpg123_param2 and mpg123_eq2, which are the ones looked up.
#include "engine/LibraryOnDemand.h"

#include <mpg123.h>

namespace {

struct Mpg123Functions {
    decltype(&::mpg123_new) create = nullptr;
    decltype(&::mpg123_delete) destroy = nullptr;
    decltype(&::mpg123_param) param = nullptr;
    decltype(&::mpg123_format_none) formatNone = nullptr;
    decltype(&::mpg123_format) format = nullptr;
    decltype(&::mpg123_open_feed) openFeed = nullptr;
    decltype(&::mpg123_close) close = nullptr;
    decltype(&::mpg123_feed) feed = nullptr;
    decltype(&::mpg123_decode_frame) decodeFrame = nullptr;
    decltype(&::mpg123_eq) eq = nullptr;
    decltype(&::mpg123_reset_eq) resetEq = nullptr;
};

using zeb::ResolveFunction;

Mpg123Functions LoadLibrary() {
    decltype(&::mpg123_init) init = nullptr;
    Mpg123Functions functions = zeb::LoadFunctions<Mpg123Functions>(
        "libmpg123.so.0", "no track can be decoded", [&init](void* library, Mpg123Functions& f) {
            return ResolveFunction(library, "mpg123_init", init) &&
                   ResolveFunction(library, "mpg123_new", f.create) &&
                   ResolveFunction(library, "mpg123_delete", f.destroy) &&
                   ResolveFunction(library, "mpg123_param2", f.param) &&
                   ResolveFunction(library, "mpg123_format_none", f.formatNone) &&
                   ResolveFunction(library, "mpg123_format", f.format) &&
                   ResolveFunction(library, "mpg123_open_feed", f.openFeed) &&
                   ResolveFunction(library, "mpg123_close", f.close) &&
                   ResolveFunction(library, "mpg123_feed", f.feed) &&
                   ResolveFunction(library, "mpg123_decode_frame", f.decodeFrame) &&
                   ResolveFunction(library, "mpg123_eq2", f.eq) &&
                   ResolveFunction(library, "mpg123_reset_eq", f.resetEq);
        });
    if (functions.create && init() != MPG123_OK)
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
    if (!Mpg123().create) {
        if (error)
            *error = MPG123_ERR;
        return nullptr;
    }
    return Mpg123().create(decoder, error);
}

void mpg123_delete(mpg123_handle* handle) {
    zeb::ForwardVoidCall<&Mpg123, &Mpg123Functions::destroy>(handle);
}

int mpg123_param(mpg123_handle* handle, int type, long value, double fvalue) {
    return Forward<&Mpg123Functions::param>(static_cast<int>(MPG123_ERR), handle, type, value,
                                            fvalue);
}

int mpg123_format_none(mpg123_handle* handle) {
    return Forward<&Mpg123Functions::formatNone>(static_cast<int>(MPG123_ERR), handle);
}

int mpg123_format(mpg123_handle* handle, long rate, int channels, int encodings) {
    return Forward<&Mpg123Functions::format>(static_cast<int>(MPG123_ERR), handle, rate, channels,
                                             encodings);
}

int mpg123_open_feed(mpg123_handle* handle) {
    return Forward<&Mpg123Functions::openFeed>(static_cast<int>(MPG123_ERR), handle);
}

int mpg123_close(mpg123_handle* handle) {
    return Forward<&Mpg123Functions::close>(static_cast<int>(MPG123_ERR), handle);
}

int mpg123_feed(mpg123_handle* handle, const unsigned char* in, size_t size) {
    return Forward<&Mpg123Functions::feed>(static_cast<int>(MPG123_ERR), handle, in, size);
}

int mpg123_decode_frame(mpg123_handle* handle, off_t* num, unsigned char** audio, size_t* bytes) {
    return Forward<&Mpg123Functions::decodeFrame>(static_cast<int>(MPG123_ERR), handle, num, audio,
                                                  bytes);
}

int mpg123_eq(mpg123_handle* handle, int channel, int band, double value) {
    return Forward<&Mpg123Functions::eq>(static_cast<int>(MPG123_ERR), handle, channel, band,
                                         value);
}

int mpg123_reset_eq(mpg123_handle* handle) {
    return Forward<&Mpg123Functions::resetEq>(static_cast<int>(MPG123_ERR), handle);
}

} // extern "C"
