// The synthesizer and the game's recipes: every sound is made here at start-up.
#include "sound/synth.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace synth {

namespace {

constexpr float twoPi = 6.2831853f;

// Its own noise, so that making sounds never moves the game's random source.
struct Xorshift {
    uint32_t state = 2463534242u;
    float next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<float>(state) / 2147483648.0f - 1.0f;
    }
};

int samplesOf(float seconds) {
    return static_cast<int>(std::lround(seconds * sampleRate));
}

float oscillator(Wave wave, float phase, Xorshift& noise) {
    switch (wave) {
        case Sine:
            return std::sin(twoPi * phase);
        case Square:
            return phase < 0.5f ? 1.0f : -1.0f;
        case Saw:
            return 2.0f * phase - 1.0f;
        case Noise:
            return noise.next();
    }
    return 0.0f;
}

// Filtered before the envelope, so the filter's lag cannot carry past the end.
void addTone(const Tone& tone, std::vector<float>& mix) {
    const int first = samplesOf(tone.delay);
    const int n = samplesOf(tone.seconds);
    const float attack = std::max(1.0f, tone.attack * sampleRate);
    Xorshift noise;
    float phase = 0.0f, filtered = 0.0f;
    const bool sweeps = tone.startCutoff != tone.endCutoff;  // else one coefficient serves
    float pole = 1.0f - std::exp(-twoPi * tone.startCutoff / sampleRate);
    for (int i = 0; i < n; ++i) {
        const float t = n > 1 ? static_cast<float>(i) / static_cast<float>(n - 1) : 0.0f;
        const float hz = tone.startHz + (tone.endHz - tone.startHz) * t;
        const float cutoff = tone.startCutoff + (tone.endCutoff - tone.startCutoff) * t;
        if (sweeps) pole = 1.0f - std::exp(-twoPi * cutoff / sampleRate);
        filtered += pole * (oscillator(tone.wave, phase, noise) - filtered);
        phase += hz / sampleRate;
        if (phase >= 1.0f) phase -= 1.0f;
        const float left = 1.0f - t;  // the common decays without pow, which is slow
        const float fall = tone.decay == 1.0f   ? left
                           : tone.decay == 2.0f ? left * left
                                                : std::pow(left, tone.decay);
        const float envelope = std::min(static_cast<float>(i) / attack, 1.0f) * fall;
        mix[static_cast<size_t>(first + i)] += tone.gain * envelope * filtered;
    }
}

constexpr float open = 11000.0f;  // a cutoff at the top of the band: no filtering to speak of

constexpr Tone bullet[] = {
    {Square, 0, 0.14f, 1400, 300, 0.002f, 2, 6000, 1500, 1},
    {Noise, 0, 0.05f, 0, 0, 0.001f, 1, 8000, 3000, 0.5f},
};
constexpr Tone rocketLaunch[] = {
    {Noise, 0, 0.7f, 0, 0, 0.02f, 1.5f, 4000, 400, 1},
    {Saw, 0, 0.5f, 160, 60, 0.01f, 1, 1200, 300, 0.6f},
};
constexpr Tone rocketFlight[] = {
    {Noise, 0, 0.3f, 0, 0, 0.08f, 1, 1500, 900, 1},
    {Sine, 0, 0.3f, 70, 60, 0.08f, 1, open, open, 0.5f},
};
constexpr Tone hit[] = {
    {Square, 0, 0.09f, 500, 350, 0.002f, 1.5f, 3000, 1000, 0.7f},
    {Noise, 0, 0.06f, 0, 0, 0.001f, 2, 6000, 2000, 1},
};
constexpr Tone burst[] = {
    {Noise, 0, 1.1f, 0, 0, 0.004f, 2, 3000, 150, 1},
    {Sine, 0, 0.8f, 90, 35, 0.004f, 1.5f, open, open, 0.8f},
};
constexpr Tone lifeLost[] = {
    {Saw, 0, 0.8f, 320, 70, 0.01f, 1, 2500, 400, 1},
    {Noise, 0, 0.4f, 0, 0, 0.005f, 2, 2000, 300, 0.6f},
};
constexpr Tone levelGained[] = {
    {Sine, 0, 0.3f, 523, 523, 0.005f, 1.5f, open, open, 1},
    {Sine, 0.12f, 0.3f, 659, 659, 0.005f, 1.5f, open, open, 1},
    {Sine, 0.24f, 0.5f, 784, 784, 0.005f, 1.5f, open, open, 1},
};
constexpr Tone gameEnded[] = {
    {Saw, 0, 1.6f, 220, 55, 0.01f, 1, 1800, 300, 1},
    {Sine, 0.1f, 1.5f, 110, 40, 0.01f, 1, open, open, 0.8f},
};

template <int n>
constexpr Recipe recipe(const Tone (&tones)[n], float peak) {
    return {tones, n, peak};
}

// Two bars of four beats over four chords, in semitones from the key's A.
constexpr int chordRoots[4] = {0, -4, -2, -5};  // A minor, F, G, E minor
constexpr int chordTones[4][3] = {{0, 3, 7}, {-4, 0, 3}, {-2, 2, 5}, {-5, -2, 2}};
constexpr int melody[16] = {12, 10, 7, 10, 12, 15, 12, 10, 8, 7, 3, 7, 10, 7, 5, 2};

float pitch(float a, int semitones) {
    return a * std::pow(2.0f, static_cast<float>(semitones) / 12.0f);
}

// What plays at a level, each part from the level it joins at: bass, kick
// and pad from the first, then an arpeggio, hats, a lead.
void addBeat(std::vector<Tone>& tones, int level, int beat, float seconds, float a) {
    const int chord = beat / 2;
    const float at = static_cast<float>(beat) * seconds, half = seconds / 2;
    const float root = pitch(a / 4, chordRoots[chord]);
    for (float eighth : {at, at + half}) {
        tones.push_back({Sine, eighth, half * 0.9f, root, root, 0.004f, 2, open, open, 1});
        tones.push_back({Saw, eighth, half * 0.9f, root, root, 0.004f, 2, 400, 200, 0.3f});
    }
    tones.push_back({Sine, at, seconds * 0.6f, 150, 45, 0.002f, 2, open, open, 0.9f});
    if (beat % 2 == 0)
        for (int k = 1; k < 3; ++k) {
            const float hz = pitch(a, chordTones[chord][k]);
            tones.push_back({Sine, at, 2 * seconds, hz, hz, 0.1f, 1, open, open, 0.2f});
        }
    for (int s = 0; level >= 2 && s < 4; ++s) {
        const float hz = pitch(2 * a, chordTones[chord][s % 3] + (s == 3 ? 12 : 0));
        const float sixteenth = at + static_cast<float>(s) * seconds / 4;
        tones.push_back({Sine, sixteenth, seconds / 4, hz, hz, 0.003f, 2, open, open, 0.3f});
    }
    if (level >= 3) tones.push_back({Noise, at + half, 0.04f, 0, 0, 0.001f, 2, 7000, 5000, 0.12f});
    for (int e = 0; level >= 4 && e < 2; ++e) {
        const float hz = pitch(a, melody[2 * beat + e]);
        tones.push_back({Saw, e == 0 ? at : at + half, half, hz, hz, 0.01f, 1, 2500, 1200, 0.25f});
    }
}

constexpr Recipe table[] = {
    recipe(bullet, 0.4f),    recipe(rocketLaunch, 0.6f),  recipe(hit, 0.5f),
    recipe(burst, 0.9f),     recipe(lifeLost, 0.7f),      recipe(levelGained, 0.5f),
    recipe(gameEnded, 0.7f), recipe(rocketFlight, 0.35f),
};
static_assert(std::size(table) == gameSoundCount, "a recipe for every GameSound");

}  // namespace

// Faster by ten beats a minute and higher by two semitones at each level.
std::vector<int16_t> renderMusic(int level) {
    const float beat = 60.0f / static_cast<float>(110 + 10 * level);
    const float a = pitch(440.0f, 2 * (level - 1));
    std::vector<Tone> tones{{Sine, 0, 8 * beat, 0, 0, 0, 1, open, open, 0}};  // the loop's length
    for (int b = 0; b < 8; ++b) addBeat(tones, level, b, beat, a);
    return render({tones.data(), static_cast<int>(tones.size()), 0.2f});
}

const Recipe (&recipes)[gameSoundCount] = table;

std::vector<int16_t> render(const Recipe& recipe) {
    int length = 0;
    for (int k = 0; k < recipe.toneCount; ++k) {
        const Tone& tone = recipe.tones[k];
        length = std::max(length, samplesOf(tone.delay) + samplesOf(tone.seconds));
    }
    std::vector<float> mix(static_cast<size_t>(length), 0.0f);
    for (int k = 0; k < recipe.toneCount; ++k) addTone(recipe.tones[k], mix);
    float loudest = 0.0f;
    for (float s : mix) loudest = std::max(loudest, std::fabs(s));
    const float scale = loudest > 0.0f ? recipe.peak * 32767.0f / loudest : 0.0f;
    std::vector<int16_t> pcm(mix.size());
    std::transform(mix.begin(), mix.end(), pcm.begin(),
                   [scale](float s) { return static_cast<int16_t>(std::lround(s * scale)); });
    return pcm;
}

}  // namespace synth
