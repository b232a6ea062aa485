#include "platform/RandomGenerator.h"

#include <time.h>

namespace zeb {

double RandomGenerator::Draw() {
    seed_ = seed_ * 51891u; // unsigned arithmetic wraps modulo 2^32
    return static_cast<double>(seed_) / 4294967295.0;
}

int RandomGenerator::Index(int n) {
    if (n <= 0)
        return 0;
    int i = static_cast<int>(Draw() * n);
    return i < n ? i : n - 1;
}

uint32_t TickCountSeed() {
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    uint64_t ms = uint64_t(ts.tv_sec) * 1000u + uint64_t(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

} // namespace zeb
