#include "cd/CdTime.h"

#include <cstdio>

namespace zeb {

std::string FormatMsf(long frames) {
    if (frames < 0)
        frames = 0;
    const long seconds = frames / kCdFramesPerSecond;
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", seconds / 60, seconds % 60,
                  frames % kCdFramesPerSecond);
    return text;
}

std::string FormatTmsf(int track, long framesIntoTrack) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d:", track);
    return text + FormatMsf(framesIntoTrack);
}

std::optional<std::vector<long>> ParseColonFields(const std::string& text, size_t maxFields) {
    std::vector<long> fields;
    size_t start = 0;
    while (true) {
        const size_t colon = text.find(':', start);
        const std::string field =
            text.substr(start, colon == std::string::npos ? colon : colon - start);
        if (field.empty() || field.size() > 9 || fields.size() == maxFields)
            return std::nullopt;
        long value = 0;
        for (char c : field) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        fields.push_back(value);
        if (colon == std::string::npos)
            return fields;
        start = colon + 1;
    }
}

} // namespace zeb
