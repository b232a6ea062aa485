#include "shell/ApplyEqualizer.h"

#include "engine/Decoder.h"
#include "engine/EqualizerBands.h"
#include "shell/MainWndSettings.h"

#include <gtest/gtest.h>

namespace zeb {
namespace {

TEST(SubbandFactors, StepsBecomeSquaredGainsPerBandGroup) {
    std::array<int, 10> flat{};
    for (double f : SubbandFactors(0, flat))
        EXPECT_EQ(f, 1.0);
    for (double f : SubbandFactors(10, flat))
        EXPECT_DOUBLE_EQ(f, 2.25);

    std::array<int, 10> lastBandDown{};
    lastBandDown[9] = -10;
    auto factors = SubbandFactors(0, lastBandDown);
    for (int i = 0; i < 32; ++i)
        EXPECT_DOUBLE_EQ(factors[size_t(i)], i >= 20 ? 0.25 : 1.0) << i;

    // Each band drives its own subbands: 0..5 one each, then 6-7, 8-11, 12-19, 20-31.
    std::array<int, 10> ramp{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    factors = SubbandFactors(-4, ramp);
    const int firstSubband[10] = {0, 1, 2, 3, 4, 5, 6, 8, 12, 20};
    const int lastSubband[10] = {0, 1, 2, 3, 4, 5, 7, 11, 19, 31};
    for (int band = 0; band < 10; ++band) {
        double g = (1 + 0.05 * ramp[size_t(band)]) * (1 + 0.05 * ramp[size_t(band)]) * 0.8 * 0.8;
        for (int i = firstSubband[band]; i <= lastSubband[band]; ++i)
            EXPECT_DOUBLE_EQ(factors[size_t(i)], g) << "band " << band << " subband " << i;
    }
}

TEST(ApplyEqualizer, FollowsTheSettingsAndKeepsFactorsWhenSwitchedOff) {
    MainWndSettings s;
    EqualizerFactors engine;
    uint32_t generation = engine.Generation();
    s.EnableEQ = 1;
    s.Preamp = 10;
    ApplyEqualizer(s, engine);
    EXPECT_TRUE(engine.On());
    EXPECT_NE(engine.Generation(), generation);
    EXPECT_DOUBLE_EQ(engine.Factors()[31], 2.25);

    s.EnableEQ = 0;
    s.Preamp = -10;
    ApplyEqualizer(s, engine);
    EXPECT_FALSE(engine.On());
    EXPECT_DOUBLE_EQ(engine.Factors()[31], 2.25); // left as they were

    s.EnableEQ = 2; // any non-zero value switches it on
    ApplyEqualizer(s, engine);
    EXPECT_TRUE(engine.On());
    EXPECT_DOUBLE_EQ(engine.Factors()[0], 0.25);
}

} // namespace
} // namespace zeb
