// libout123, loaded when the sound device is first opened (or listed)
// rather than at start, like the decoder library. The functions below stand
// in for the ones the program calls and pass each call on to the library,
// loaded on first use. Without the library no output handle can be made,
// as when libout123 itself fails.
#include "engine/LibraryOnDemand.h"

#include <out123.h>

namespace {

#define ZEB_OUT123_FUNCTIONS(F)                                                                    \
    F(out123_new)                                                                                  \
    F(out123_del)                                                                                  \
    F(out123_free)                                                                                 \
    F(out123_strerror)                                                                             \
    F(out123_param2)                                                                               \
    F(out123_devices)                                                                              \
    F(out123_stringlists_free)                                                                     \
    F(out123_open)                                                                                 \
    F(out123_close)                                                                                \
    F(out123_start)                                                                                \
    F(out123_pause)                                                                                \
    F(out123_continue)                                                                             \
    F(out123_play)                                                                                 \
    F(out123_drop)                                                                                 \
    F(out123_drain)

struct Out123Functions {
    ZEB_OUT123_FUNCTIONS(ZEB_FUNCTION_MEMBER)
};

Out123Functions LoadLibrary() {
    return zeb::LoadFunctions<Out123Functions>(
        "libout123.so.0", "no sound can be played", [](void* library, Out123Functions& functions) {
            return true ZEB_OUT123_FUNCTIONS(ZEB_RESOLVE_MEMBER);
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
    return Forward<&Out123Functions::out123_new>(static_cast<out123_handle*>(nullptr));
}

void out123_del(out123_handle* ao) {
    ForwardVoid<&Out123Functions::out123_del>(ao);
}

void out123_free(void* pointer) {
    ForwardVoid<&Out123Functions::out123_free>(pointer);
}

const char* out123_strerror(out123_handle* ao) {
    return Forward<&Out123Functions::out123_strerror>("libout123 is missing", ao);
}

int out123_param2(out123_handle* ao, int code, long value, double fvalue, const char* svalue) {
    return Forward<&Out123Functions::out123_param2>(kFailed, ao, code, value, fvalue, svalue);
}

int out123_devices(out123_handle* ao, const char* driver, char*** names, char*** descriptions,
                   char** activeDriver) {
    return Forward<&Out123Functions::out123_devices>(kFailed, ao, driver, names, descriptions,
                                                     activeDriver);
}

void out123_stringlists_free(char** names, char** descriptions, int count) {
    ForwardVoid<&Out123Functions::out123_stringlists_free>(names, descriptions, count);
}

int out123_open(out123_handle* ao, const char* driver, const char* device) {
    return Forward<&Out123Functions::out123_open>(kFailed, ao, driver, device);
}

void out123_close(out123_handle* ao) {
    ForwardVoid<&Out123Functions::out123_close>(ao);
}

int out123_start(out123_handle* ao, long rate, int channels, int encoding) {
    return Forward<&Out123Functions::out123_start>(kFailed, ao, rate, channels, encoding);
}

void out123_pause(out123_handle* ao) {
    ForwardVoid<&Out123Functions::out123_pause>(ao);
}

void out123_continue(out123_handle* ao) {
    ForwardVoid<&Out123Functions::out123_continue>(ao);
}

size_t out123_play(out123_handle* ao, void* buffer, size_t bytes) {
    return Forward<&Out123Functions::out123_play>(size_t{0}, ao, buffer, bytes);
}

void out123_drop(out123_handle* ao) {
    ForwardVoid<&Out123Functions::out123_drop>(ao);
}

void out123_drain(out123_handle* ao) {
    ForwardVoid<&Out123Functions::out123_drain>(ao);
}

} // extern "C"
