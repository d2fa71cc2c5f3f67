// OpenAL 1.1: one buffer per sound made at start-up, and a fixed set of sources for each.
#include "sound/sound.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdio>
#include <cstdlib>

#include "game/world.h"
#include "sound/synth.h"

namespace {

// How many of each sound can be heard at once, by GameSound: each has sources
// of its own with its buffer bound at start-up, as binding one allocates in some
// OpenAL implementations. The flight loops are one for each rocket slot.
constexpr int voices[gameSoundCount] = {3, 3, 2, 2, 1, 1, 1, rocketSlots};

constexpr int firstSource(GameSound sound) {
    int first = 0;
    for (int s = 0; s < sound; ++s) first += voices[s];
    return first;
}
constexpr int sourceCount = firstSource(gameSoundCount);
constexpr int firstLoop = firstSource(RocketFlight);

// These three are heard at the listener, wherever they happen.
constexpr bool atListener(int sound) {
    return sound == LifeLost || sound == LevelGained || sound == GameEnded;
}

// A burst at the far plane, 50 units off, still plays at a third of full gain.
constexpr float referenceDistance = 16.0f;

bool on = false;
bool held = false;
ALuint buffers[gameSoundCount];
ALuint sources[sourceCount];
unsigned startedAt[sourceCount];  // when each one-shot last started, to find the oldest
unsigned starts = 0;
bool waiting[sourceCount];  // set up while held, or paused by the hold: starts on release
bool looping[rocketSlots];
ALCdevice* device = nullptr;
ALCcontext* context = nullptr;

// Closed at exit, or OpenAL Soft complains of a device left open.
void closeDevice() {
    alcMakeContextCurrent(nullptr);
    if (context != nullptr) alcDestroyContext(context);
    alcCloseDevice(device);
}

bool busy(int i) {
    ALint state;
    alGetSourcei(sources[i], AL_SOURCE_STATE, &state);
    return waiting[i] || state == AL_PLAYING || state == AL_PAUSED;
}

void start(int i) {
    if (held) {
        waiting[i] = true;
    } else {
        alSourcePlay(sources[i]);
    }
}

// The sound's first idle source, else its one started longest ago.
int freeSource(GameSound sound) {
    const int first = firstSource(sound);
    int oldest = first;
    for (int i = first; i < first + voices[sound]; ++i) {
        if (!busy(i)) return i;
        if (startedAt[i] < startedAt[oldest]) oldest = i;
    }
    alSourceStop(sources[oldest]);
    waiting[oldest] = false;
    return oldest;
}

}  // namespace

void startSound(bool muted) {
    if (muted) return;
    // The mixer's name for the game. OpenAL Soft names its PulseAudio client after
    // the binary, which only libpulse's OVERRIDE form replaces; a player's own wins.
    setenv("PULSE_PROP_OVERRIDE_application.name", "Skorvane", 0);
    device = alcOpenDevice(nullptr);
    if (device == nullptr) {
        std::fputs("skorvane: no sound: no audio device could be opened\n", stderr);
        return;
    }
    std::atexit(closeDevice);
    context = alcCreateContext(device, nullptr);
    if (context == nullptr || !alcMakeContextCurrent(context)) {
        std::fputs("skorvane: no sound: the audio device gave no context\n", stderr);
        return;
    }
    alGenBuffers(gameSoundCount, buffers);
    for (int s = 0; s < gameSoundCount; ++s) {
        const std::vector<int16_t> pcm = synth::render(synth::recipes[s]);
        alBufferData(buffers[s], AL_FORMAT_MONO16, pcm.data(),
                     static_cast<ALsizei>(pcm.size() * sizeof pcm[0]), synth::sampleRate);
    }
    alGenSources(sourceCount, sources);
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    for (int s = 0; s < gameSoundCount; ++s) {
        for (int i = firstSource(GameSound(s)); i < firstSource(GameSound(s + 1)); ++i) {
            alSourcei(sources[i], AL_BUFFER, static_cast<ALint>(buffers[s]));
            alSourcei(sources[i], AL_SOURCE_RELATIVE, atListener(s) ? AL_TRUE : AL_FALSE);
            alSourcef(sources[i], AL_REFERENCE_DISTANCE, referenceDistance);
        }
    }
    on = alGetError() == AL_NO_ERROR;
    if (!on) std::fputs("skorvane: no sound: OpenAL refused the game's sounds\n", stderr);
    followWorld();
}

void playSound(GameSound sound, float x, float y, float z) {
    if (!on) return;
    const int i = freeSource(sound);
    if (!atListener(sound)) alSource3f(sources[i], AL_POSITION, x, y, z);
    startedAt[i] = ++starts;
    start(i);
}

// The scene is drawn shifted by the aim, from z = 50 looking down -z: that is the ear.
// A rocket that is gone lets its loop run out at the end of its pulse, so nothing clicks.
void followWorld() {
    if (!on) return;
    alListener3f(AL_POSITION, world.aimX, world.aimY, 50.0f);
    for (int slot = 0; slot < rocketSlots; ++slot) {
        const Rocket& r = world.rockets[slot];
        const int i = firstLoop + slot;
        const bool flying = r.alive == 1 && world.playState != GameOver;
        if (flying) alSource3f(sources[i], AL_POSITION, r.x, r.y, r.z);
        if (flying == looping[slot]) continue;
        looping[slot] = flying;
        alSourcei(sources[i], AL_LOOPING, flying ? AL_TRUE : AL_FALSE);
        if (flying && !busy(i)) start(i);
    }
}

void holdSound(bool hold) {
    if (!on || hold == held) return;
    held = hold;
    for (int i = 0; i < sourceCount; ++i) {
        ALint state;
        alGetSourcei(sources[i], AL_SOURCE_STATE, &state);
        if (held && state == AL_PLAYING) {
            alSourcePause(sources[i]);
            waiting[i] = true;
        } else if (!held && waiting[i]) {
            alSourcePlay(sources[i]);
            waiting[i] = false;
        }
    }
}

void setSoundGain(float gain) {
    if (on) alListenerf(AL_GAIN, gain);
}
