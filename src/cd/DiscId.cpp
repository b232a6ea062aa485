#include "cd/DiscId.h"

#include "cd/DiscToc.h"

#include <cstdio>

namespace zeb {

namespace {

int DigitSum(int n) {
    int sum = 0;
    for (; n > 0; n /= 10)
        sum += n % 10;
    return sum;
}

int Seconds(const Msf& msf) {
    return msf.minutes * 60 + msf.seconds;
}

} // namespace

uint32_t CddbDiscId(const DiscToc& toc) {
    if (toc.starts.empty())
        return 0;
    uint32_t digitSum = 0;
    for (const Msf& start : toc.starts)
        digitSum += static_cast<uint32_t>(DigitSum(Seconds(start)));
    uint32_t playing = static_cast<uint32_t>(Seconds(toc.leadOut) - Seconds(toc.starts.front()));
    return ((digitSum % 255) << 24) | ((playing & 0xFFFF) << 8) |
           (static_cast<uint32_t>(toc.TrackCount()) & 0xFF);
}

std::string FormatDiscId(uint32_t id) {
    char text[9];
    std::snprintf(text, sizeof text, "%08x", id);
    return text;
}

} // namespace zeb
