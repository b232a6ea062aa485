#pragma once

#include <array>
#include <cstddef>

namespace zeb {

class RandomGenerator;

// The fixed random order MP3 shuffle walks: a permutation of the first
// 5000 entry indices, made once at start by 7500 random swaps.
class ShuffleTable {
public:
    static constexpr int kSize = 5000;
    static constexpr int kSwaps = 7500;

    ShuffleTable(); // identity order
    explicit ShuffleTable(RandomGenerator& random);

    int operator[](int slot) const { return table_[static_cast<size_t>(slot)]; }

private:
    std::array<int, kSize> table_;
};

} // namespace zeb
