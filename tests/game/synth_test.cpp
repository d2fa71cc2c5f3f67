// Each of the game's sounds as the synthesizer makes it: length, peak, and no click at either end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfenv>
#include <cstdlib>

#include "sound/synth.h"

TEST(Synth, EverySoundHasItsLengthAndPeakAndStartsAndEndsInSilence) {
    const std::pair<float, int16_t> expected[gameSoundCount] = {
        {0.14f, 13107}, {0.7f, 19660},  {0.09f, 16384}, {1.1f, 29490},
        {0.8f, 22937},  {0.74f, 16384}, {1.6f, 22937},  {0.3f, 11468}};
    for (int s = 0; s < gameSoundCount; ++s) {
        const std::vector<int16_t> pcm = synth::render(synth::recipes[s]);
        const auto [seconds, peak] = expected[s];
        EXPECT_EQ(pcm.size(), size_t(seconds * synth::sampleRate + 0.5f)) << s;
        int16_t loudest = 0, jump = 0;
        for (size_t i = 0; i < pcm.size(); ++i) {
            loudest = std::max(loudest, int16_t(std::abs(pcm[i])));
            if (i + synth::sampleRate / 200 >= pcm.size())  // the last 5 ms
                jump = std::max(jump, int16_t(std::abs(pcm[i] - pcm[i - 1])));
        }
        EXPECT_NEAR(loudest, peak, 1) << s;
        EXPECT_TRUE(pcm.front() == 0 && pcm.back() == 0) << s;
        EXPECT_LT(jump, 400) << s << ": a click as it ends";
    }
}

// Each level's loop lasts its eight beats at 110 + 10 x level a minute, peaks
// at a fifth of full scale, and wraps round without a click.
TEST(Synth, EachLevelsMusicLoopsOnItsBeatsWithoutAClick) {
    for (int level = 1; level <= synth::musicParts; ++level) {
        const std::vector<int16_t> pcm = synth::renderMusic(level);
        const float seconds = 8 * 60.0f / float(110 + 10 * level);
        EXPECT_NEAR(double(pcm.size()), double(seconds * synth::sampleRate), 2) << level;
        const auto [low, high] = std::minmax_element(pcm.begin(), pcm.end());
        EXPECT_NEAR(std::max(-*low, int(*high)), 6553, 1) << level;
        EXPECT_TRUE(pcm.front() == 0 && pcm.back() == 0) << level;
    }
}

// 0 / 0 would make a NaN, which rounding then hides: the FPU's flag tells.
TEST(Synth, AToneOneSampleLongIsSilentNotNaN) {
    const synth::Tone tone{synth::Sine, 0, 1.0f / synth::sampleRate, 440, 440, 0, 1, 1000, 1000, 1};
    std::feclearexcept(FE_INVALID);
    EXPECT_EQ(synth::render({&tone, 1, 0.5f}), std::vector<int16_t>{0});
    EXPECT_FALSE(std::fetestexcept(FE_INVALID));
}
