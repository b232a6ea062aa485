#include "engine/EqualizerBands.h"

#include <cstddef>

namespace zeb {

int BandOfSubband(int subband) {
    if (subband < 6)
        return subband;
    if (subband < 8)
        return 6;
    if (subband < 12)
        return 7;
    if (subband < 20)
        return 8;
    return 9;
}

std::array<double, 32> SubbandFactors(int preamp, const std::array<int, 10>& bands) {
    auto gain = [](int step) {
        double g = 1.0 + 0.05 * step;
        return g * g;
    };
    std::array<double, 32> factors;
    for (int i = 0; i < 32; ++i)
        factors[static_cast<size_t>(i)] =
            gain(bands[static_cast<size_t>(BandOfSubband(i))]) * gain(preamp);
    return factors;
}

} // namespace zeb
