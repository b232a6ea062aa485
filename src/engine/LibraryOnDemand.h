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

// Reports a library that lacks a function the program calls.
void ReportMissingFunctions(const char* name, const char* whatFails);

// A table of a library's functions is written once, as a list macro that
// applies `F(name)` to each function (see AlsaOnDemand.cpp). With
// ZEB_FUNCTION_MEMBER the list declares the members, each named and typed as
// the library's header declares the function; with ZEB_RESOLVE_MEMBER, in a
// `resolveAll(library, functions)` for LoadFunctions, it looks them up. The
// name is expanded before it is quoted, so where a header renames a function
// (mpg123_param is mpg123_param2) the library's own name is looked up.
#define ZEB_FUNCTION_MEMBER(name) decltype(&::name) name = nullptr;
#define ZEB_QUOTED_NAME(name) #name
#define ZEB_RESOLVE_MEMBER(name)                                                                   \
    &&::zeb::ResolveFunction(library, ZEB_QUOTED_NAME(name), functions.name)

// Loads `name` and fills a table of its functions through `resolveAll(library,
// table)`, false when one is missing. A missing library or function leaves
// the whole table empty, so every stand-in fails as the library's own call
// fails; `whatFails` tells on standard error what cannot be done then.
template <typename Functions, typename ResolveAll>
Functions LoadFunctions(const char* name, const char* whatFails, ResolveAll resolveAll) {
    Functions functions;
    void* library = OpenLibraryOnDemand(name, whatFails);
    if (library && !resolveAll(library, functions)) {
        ReportMissingFunctions(name, whatFails);
        return Functions{};
    }
    return functions;
}

// Passes a call on to the function `Function` of the table that `Table()`
// loads, or answers `failed` when the library or the function is missing.
template <auto Table, auto Function, typename Result, typename... Args>
Result ForwardCall(Result failed, Args... args) {
    auto function = Table().*Function;
    return function ? function(args...) : failed;
}

// The same for a function without a result: nothing is done without it.
template <auto Table, auto Function, typename... Args>
void ForwardVoidCall(Args... args) {
    if (auto function = Table().*Function)
        function(args...);
}

} // namespace zeb
