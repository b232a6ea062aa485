// libout123, loaded when the sound device is first opened (or listed)
// rather than at start, like the decoder library. The functions below stand
// in for the ones the program calls and pass each call on to the library,
// loaded on first use. Without the library no output handle can be made,
// as when libout123 itself fails.
#include "engine/LibraryOnDemand.h"

#include <out123.h>

namespace {

struct Out123Functions {
    decltype(&::out123_new) create = nullptr;
    decltype(&::out123_del) destroy = nullptr;
    decltype(&::out123_free) release = nullptr;
    decltype(&::out123_strerror) errorText = nullptr;
    decltype(&::out123_param2) param = nullptr;
    decltype(&::out123_devices) devices = nullptr;
    decltype(&::out123_stringlists_free) freeLists = nullptr;
    decltype(&::out123_open) open = nullptr;
    decltype(&::out123_close) close = nullptr;
    decltype(&::out123_start) start = nullptr;
    decltype(&::out123_pause) pause = nullptr;
    decltype(&::out123_continue) resume = nullptr;
    decltype(&::out123_play) play = nullptr;
    decltype(&::out123_drop) drop = nullptr;
    decltype(&::out123_drain) drain = nullptr;
};

using zeb::ResolveFunction;

Out123Functions LoadLibrary() {
    return zeb::LoadFunctions<Out123Functions>(
        "libout123.so.0", "no sound can be played", [](void* library, Out123Functions& f) {
            return ResolveFunction(library, "out123_new", f.create) &&
                   ResolveFunction(library, "out123_del", f.destroy) &&
                   ResolveFunction(library, "out123_free", f.release) &&
                   ResolveFunction(library, "out123_strerror", f.errorText) &&
                   ResolveFunction(library, "out123_param2", f.param) &&
                   ResolveFunction(library, "out123_devices", f.devices) &&
                   ResolveFunction(library, "out123_stringlists_free", f.freeLists) &&
                   ResolveFunction(library, "out123_open", f.open) &&
                   ResolveFunction(library, "out123_close", f.close) &&
                   ResolveFunction(library, "out123_start", f.start) &&
                   ResolveFunction(library, "out123_pause", f.pause) &&
                   ResolveFunction(library, "out123_continue", f.resume) &&
                   ResolveFunction(library, "out123_play", f.play) &&
                   ResolveFunction(library, "out123_drop", f.drop) &&
                   ResolveFunction(library, "out123_drain", f.drain);
        });
}

// Loaded once, by whichever thread asks first.
const Out123Functions& Out123() {
    static const Out123Functions functions = LoadLibrary();
    return functions;
}

template <auto Function, typename Result, typename... Args>
Result Forward(Result failed, Args... args) {
    return zeb::ForwardCall<&Out123, Function>(failed, args...);
}

template <auto Function, typename... Args>
void ForwardVoid(Args... args) {
    zeb::ForwardVoidCall<&Out123, Function>(args...);
}

constexpr int kFailed = OUT123_ERR;

} // namespace

extern "C" {

out123_handle* out123_new() {
    return Forward<&Out123Functions::create>(static_cast<out123_handle*>(nullptr));
}

void out123_del(out123_handle* ao) {
    ForwardVoid<&Out123Functions::destroy>(ao);
}

void out123_free(void* pointer) {
    ForwardVoid<&Out123Functions::release>(pointer);
}

const char* out123_strerror(out123_handle* ao) {
    return Forward<&Out123Functions::errorText>("libout123 is missing", ao);
}

int out123_param2(out123_handle* ao, int code, long value, double fvalue, const char* svalue) {
    return Forward<&Out123Functions::param>(kFailed, ao, code, value, fvalue, svalue);
}

int out123_devices(out123_handle* ao, const char* driver, char*** names, char*** descriptions,
                   char** activeDriver) {
    return Forward<&Out123Functions::devices>(kFailed, ao, driver, names, descriptions,
                                              activeDriver);
}

void out123_stringlists_free(char** names, char** descriptions, int count) {
    ForwardVoid<&Out123Functions::freeLists>(names, descriptions, count);
}

int out123_open(out123_handle* ao, const char* driver, const char* device) {
    return Forward<&Out123Functions::open>(kFailed, ao, driver, device);
}

void out123_close(out123_handle* ao) {
    ForwardVoid<&Out123Functions::close>(ao);
}

int out123_start(out123_handle* ao, long rate, int channels, int encoding) {
    return Forward<&Out123Functions::start>(kFailed, ao, rate, channels, encoding);
}

void out123_pause(out123_handle* ao) {
    ForwardVoid<&Out123Functions::pause>(ao);
}

void out123_continue(out123_handle* ao) {
    ForwardVoid<&Out123Functions::resume>(ao);
}

size_t out123_play(out123_handle* ao, void* buffer, size_t bytes) {
    return Forward<&Out123Functions::play>(size_t{0}, ao, buffer, bytes);
}

void out123_drop(out123_handle* ao) {
    ForwardVoid<&Out123Functions::drop>(ao);
}

void out123_drain(out123_handle* ao) {
    ForwardVoid<&Out123Functions::drain>(ao);
}

} // extern "C"
