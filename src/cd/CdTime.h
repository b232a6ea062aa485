#pragma once

#include <optional>
#include <string>
#include <vector>

namespace zeb {

// CD addresses: 75 frames (sectors) a second; MSF positions count from the start of the disc.
inline constexpr int kCdFramesPerSecond = 75;

// "mm:ss:ff" with two-digit fields (minutes grow beyond two digits only past 99 minutes).
std::string FormatMsf(long frames);

// "tt:mm:ss:ff": track, then the offset inside the track.
std::string FormatTmsf(int track, long framesIntoTrack);

// Parses up to `maxFields` colon-separated decimal fields ("3", "3:01", "3:01:20:05"). Missing
// trailing fields are absent from the result; anything non-numeric gives nullopt.
std::optional<std::vector<long>> ParseColonFields(const std::string& text, size_t maxFields);

} // namespace zeb
