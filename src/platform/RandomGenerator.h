#pragma once

#include <cstdint>

namespace zeb {

// The program's one random generator: a multiplicative congruential
// sequence seeded once at start from the time since boot. Shuffle of MP3
// entries, list shuffle and CD shuffle all draw from it.
class RandomGenerator {
public:
    explicit RandomGenerator(uint32_t seed = 0) : seed_(seed) {}

    void Seed(uint32_t seed) { seed_ = seed; }
    uint32_t State() const { return seed_; }

    // seed = seed * 51891 mod 2^32; returns seed / (2^32 - 1), in [0, 1].
    double Draw();
    // floor(Draw() * n), at most n - 1; 0 when n is not positive.
    int Index(int n);

private:
    uint32_t seed_;
};

// Milliseconds since boot, the seed taken at start.
uint32_t TickCountSeed();

} // namespace zeb
