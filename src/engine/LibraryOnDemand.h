#pragma once

#include <dlfcn.h>

namespace zeb {

// Opens a shared library that the program loads on first use rather than at
// start (see CurlOnDemand.cpp, AlsaOnDemand.cpp). Missing, it is reported on
// standard error with `whatFails`, and nullptr is returned.
void* OpenLibraryOnDemand(const char* name, const char* whatFails);

// Looks up one function of such a library; false when it is missing.
template <typename F>
bool ResolveFunction(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(::dlsym(library, name));
    return function != nullptr;
}

} // namespace zeb
