// OpenAL 1.1: one buffer per sound made at start-up, and a fixed pool of sources.
#include "sound/sound.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdio>
#include <cstdlib>

#include "game/world.h"
#include "sound/synth.h"

namespace {

// The first rocketSlots sources belong to the rockets' flight loops.
constexpr int sourceCount = 16;
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

// The first idle one-shot source, else the one started longest ago.
int freeSource() {
    int oldest = rocketSlots;
    for (int i = rocketSlots; i < sourceCount; ++i) {
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
    for (ALuint source : sources) alSourcef(source, AL_REFERENCE_DISTANCE, referenceDistance);
    for (int i = 0; i < rocketSlots; ++i) {
        alSourcei(sources[i], AL_BUFFER, static_cast<ALint>(buffers[RocketFlight]));
    }
    on = alGetError() == AL_NO_ERROR;
    if (!on) std::fputs("skorvane: no sound: OpenAL refused the game's sounds\n", stderr);
    followWorld();
}

void playSound(GameSound sound, float x, float y, float z) {
    if (!on) return;
    const int i = freeSource();
    const ALuint source = sources[i];
    const bool placed = sound < LifeLost;
    alSourcei(source, AL_BUFFER, static_cast<ALint>(buffers[sound]));
    alSourcei(source, AL_SOURCE_RELATIVE, placed ? AL_FALSE : AL_TRUE);
    if (placed) {
        alSource3f(source, AL_POSITION, x, y, z);
    } else {
        alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    }
    startedAt[i] = ++starts;
    start(i);
}

// The scene is drawn shifted by the aim, from z = 50 looking down -z: that is the ear.
// A rocket that is gone lets its loop run out at the end of its pulse, so nothing clicks.
void followWorld() {
    if (!on) return;
    alListener3f(AL_POSITION, world.aimX, world.aimY, 50.0f);
    for (int i = 0; i < rocketSlots; ++i) {
        const Rocket& r = world.rockets[i];
        const bool flying = r.alive == 1 && world.playState != GameOver;
        if (flying) alSource3f(sources[i], AL_POSITION, r.x, r.y, r.z);
        if (flying == looping[i]) continue;
        looping[i] = flying;
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
