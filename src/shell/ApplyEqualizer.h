#pragma once

namespace zeb {

class EqualizerFactors;
struct MainWndSettings;

// Recomputes the engine's subband factors from EnableEQ, Preamp and
// EQ1..EQ10. With the equalizer off the factors are left as they are and
// not used.
void ApplyEqualizer(const MainWndSettings& settings, EqualizerFactors& engineFactors);

} // namespace zeb
