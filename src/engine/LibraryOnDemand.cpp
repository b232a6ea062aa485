#include "engine/LibraryOnDemand.h"

#include <cstdio>

namespace zeb {

// Loaded for good: handles and callbacks from the library may outlive any
// one user of it.
void* OpenLibraryOnDemand(const char* name, const char* whatFails) {
    void* library = ::dlopen(name, RTLD_NOW | RTLD_LOCAL);
    if (!library)
        std::fprintf(stderr, "zeb: %s: %s\n", whatFails, ::dlerror());
    return library;
}

void ReportMissingFunctions(const char* name, const char* whatFails) {
    std::fprintf(stderr, "zeb: %s: %s lacks functions the program calls\n", whatFails, name);
}

} // namespace zeb
