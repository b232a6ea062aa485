#pragma once

#include <atomic>
#include <chrono>
#include <optional>
#include <string>

namespace zeb {

// Bounds of one CDDB request, so a silent server never holds a lookup.
struct CddbHttpLimits {
    std::chrono::milliseconds connectTimeout{10000};
    std::chrono::milliseconds totalTimeout{30000};
};

// The body of `url` over HTTP with the stream input's connection settings
// (user agent, proxy from the environment). Nothing when the request fails,
// the server answers an HTTP error, a bound runs out or `stop` becomes true;
// a raised `stop` ends the request within a fraction of a second.
std::optional<std::string> FetchCddbText(const std::string& url, const CddbHttpLimits& limits,
                                         const std::atomic<bool>& stop);

} // namespace zeb
