#include "shell/ApplyEqualizer.h"

#include "engine/Decoder.h"
#include "engine/EqualizerBands.h"
#include "shell/MainWndSettings.h"

namespace zeb {

void ApplyEqualizer(const MainWndSettings& settings, EqualizerFactors& engineFactors) {
    if (settings.EnableEQ == 0) {
        engineFactors.SetOff();
        return;
    }
    engineFactors.Set(SubbandFactors(settings.Preamp, settings.EQ));
}

} // namespace zeb
