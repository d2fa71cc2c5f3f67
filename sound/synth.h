// A small synthesizer: a sound is a few summed tones turned into mono 16-bit PCM. No device.
#pragma once

#include <cstdint>
#include <vector>

#include "game/platform_hooks.h"

namespace synth {

constexpr int sampleRate = 22050;

enum Wave { Sine, Square, Saw, Noise };

// One voice: its pitch glides from startHz to endHz and a one-pole low-pass
// sweeps from startCutoff to endCutoff over its length. It rises linearly for
// attack seconds and falls as (1 - t)^decay to exactly zero at its end.
struct Tone {
    Wave wave;
    float delay, seconds;
    float startHz, endHz;
    float attack, decay;
    float startCutoff, endCutoff;
    float gain;
};

struct Recipe {
    const Tone* tones;
    int toneCount;
    float peak;  // of the whole sound, as a share of full scale
};

// The tones summed, scaled so the loudest sample is the recipe's peak.
std::vector<int16_t> render(const Recipe& recipe);

// The game's sounds, by GameSound; a sound added without its recipe fails to compile.
extern const Recipe (&recipes)[gameSoundCount];

// The music: one loop of two bars for each level, faster, higher and with
// more parts at each; it starts and ends in silence, so it loops without a click.
constexpr int musicParts = 5;
std::vector<int16_t> renderMusic(int level);  // 1 to musicParts

}  // namespace synth
