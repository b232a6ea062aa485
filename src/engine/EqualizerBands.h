#pragma once

#include <array>

namespace zeb {

// The subband factors for a preamplifier step and ten band steps (-10..+10):
// factor = (1 + 0.05 b)^2 (1 + 0.05 p)^2, band EQ1..EQ6 one subband each,
// EQ7 subbands 6-7, EQ8 8-11, EQ9 12-19, EQ10 20-31.
std::array<double, 32> SubbandFactors(int preamp, const std::array<int, 10>& bands);

// The band (0..9) that drives a subband (0..31).
int BandOfSubband(int subband);

} // namespace zeb
