// OpenAL 1.1: one buffer per sound and per level's music, a fixed set of sources
// for each, fades instead of cuts, and a device that is opened again once it comes back.
#include "sound/sound.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <vector>

#include "game/world.h"
#include "sound/synth.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#else
#include <dlfcn.h>
#endif

#ifndef ALC_CONNECTED
#define ALC_CONNECTED 0x313  // ALC_EXT_disconnect's, from alext.h, which Emscripten lacks
#endif

namespace {

// How many of each sound can be heard at once, by GameSound. Each one-shot
// sound has one source more, on which a voice taken over fades out while the
// new sound starts; the flight loops are one for each rocket slot.
constexpr int voices[] = {3, 3, 2, 2, 1, 1, 1, rocketSlots};
static_assert(std::size(voices) == gameSoundCount, "voices for every GameSound");
static_assert(*std::min_element(std::begin(voices), std::end(voices)) > 0, "a voice each");

constexpr int sourcesOf(int sound) {
    return sound == RocketFlight ? voices[sound] : voices[sound] + 1;
}
constexpr int firstSource(int sound) {
    int first = 0;
    for (int s = 0; s < sound; ++s) first += sourcesOf(s);
    return first;
}
constexpr int firstLoop = firstSource(RocketFlight);
constexpr int firstMusic = firstSource(gameSoundCount);  // then one source a level
constexpr int sourceCount = firstMusic + synth::musicParts;
constexpr int bufferCount = gameSoundCount + synth::musicParts;

// These three are heard at the listener, wherever they happen, and so is the music.
constexpr bool atListener(int sound) {
    return sound == LifeLost || sound == LevelGained || sound == GameEnded;
}

// A burst at the far plane, 50 units off, still plays at a third of full gain.
constexpr float referenceDistance = 16.0f;

// OpenAL Soft moves a gain to a new value over one mixing period (23 ms at
// its defaults), so a fade is a gain of 0, and the source is paused or
// stopped once it has had that long to get there.
using Clock = std::chrono::steady_clock;
constexpr auto fadeTime = std::chrono::milliseconds(30);
constexpr auto retryPeriod = std::chrono::seconds(3);
constexpr float crossfadeSeconds = 0.5f;

// Made once, and kept for a device that comes back: about 1 MB.
std::vector<int16_t> pcm[bufferCount];

ALCdevice* device = nullptr;
ALCcontext* context = nullptr;
bool on = false;    // a device with every buffer and source
bool lost = false;  // had one, and tries again every retryPeriod
bool watched = false;
Clock::time_point lastTry, lastFollowed;
float playerGain = 1.0f;
bool musicOn = true;
bool libraryLogs = false;  // the player set ALSOFT_LOGLEVEL

ALuint buffers[bufferCount];
ALuint sources[sourceCount];
unsigned startedAt[sourceCount];  // when each one-shot last started, to find the oldest
unsigned starts = 0;
bool fading[sourceCount];  // its gain on its way to 0, to stop at quietSince + fadeTime
Clock::time_point quietSince[sourceCount];
bool looping[rocketSlots];
float musicGain[synth::musicParts];

// Paused, the listener fades out, then every playing source pauses; sounds
// started meanwhile wait. Released, they all go on.
enum Hold { Open, Fading, Holding } hold = Open;
Clock::time_point holdSince;
ALuint held[sourceCount];
int heldCount = 0;

// Holding, the page's device pauses (ALC_SOFT_pause_device): its audio and the
// timer that feeds it, which would wake the page 40 times a second, rest until
// play goes on. OpenAL Soft's mixer costs the desktop little, and goes on.
using DeviceSwitch = void (*)(ALCdevice*);
DeviceSwitch pauseDevice = nullptr, resumeDevice = nullptr;

// One at a time: Emscripten 3.1.6's alSourcePlayv and its kin pass a source's
// name where they need the source, and fail.
void each(int count, const ALuint* list, void (*act)(ALuint)) {
    for (int i = 0; i < count; ++i) act(list[i]);
}

ALint stateOf(int i) {
    ALint state;
    alGetSourcei(sources[i], AL_SOURCE_STATE, &state);
    return state;
}

bool waiting(int i) {
    return std::find(held, held + heldCount, sources[i]) != held + heldCount;
}

bool busy(int i) {
    const ALint state = stateOf(i);
    return state == AL_PLAYING || state == AL_PAUSED || waiting(i);
}

void applyGain() {
    alListenerf(AL_GAIN, hold == Open ? playerGain : 0.0f);
}

void fadeOut(int i, Clock::time_point now) {
    alSourcef(sources[i], AL_GAIN, 0.0f);
    fading[i] = true;
    quietSince[i] = now;
}

// Stopped at once: the hold has already silenced it, or its fade has run.
void stopSource(int i) {
    alSourceStop(sources[i]);
    heldCount = static_cast<int>(std::remove(held, held + heldCount, sources[i]) - held);
    fading[i] = false;
    if (i < firstMusic) alSourcef(sources[i], AL_GAIN, 1.0f);
}

void finishFades(Clock::time_point now) {
    for (int i = 0; i < sourceCount; ++i)
        if (fading[i] && now - quietSince[i] >= fadeTime) stopSource(i);
}

void start(int i) {
    if (hold == Open) {
        alSourcePlay(sources[i]);
    } else if (!waiting(i)) {
        held[heldCount++] = sources[i];
    }
}

// A source of the sound's own: at most its voices are heard, the one started
// longest ago fading out for a new one.
int freeSource(GameSound sound, Clock::time_point now) {
    const int first = firstSource(sound), end = first + sourcesOf(sound);
    int heard = 0, oldest = -1, idle = -1, oldestFading = -1;
    for (int i = first; i < end; ++i) {
        if (fading[i]) {
            if (oldestFading < 0 || startedAt[i] < startedAt[oldestFading]) oldestFading = i;
        } else if (busy(i)) {
            ++heard;
            if (oldest < 0 || startedAt[i] < startedAt[oldest]) oldest = i;
        } else if (idle < 0) {
            idle = i;
        }
    }
    if (heard >= voices[sound]) {
        if (hold == Open)
            fadeOut(oldest, now);
        else
            stopSource(oldest);  // silent already
        if (idle < 0) idle = hold == Open ? oldestFading : oldest;
    }
    if (idle < 0) idle = oldestFading >= 0 ? oldestFading : oldest;
    if (busy(idle) || fading[idle]) stopSource(idle);
    return idle;
}

#ifndef __EMSCRIPTEN__
// ALSA prints its own errors while OpenAL Soft looks for a device: a player
// without one needs only the game's line. Looked up at run time, as OpenAL
// Soft loads ALSA itself. A player who sets ALSOFT_LOGLEVEL hears them all.
void silentAlsa(const char*, int, const char*, int, const char*, ...) {}
using AlsaErrorHandler = decltype(&silentAlsa);

void quietAlsa(bool quiet) {
    static void* alsa = dlopen("libasound.so.2", RTLD_LAZY);
    if (alsa == nullptr || libraryLogs) return;
    const auto setHandler =
        reinterpret_cast<int (*)(AlsaErrorHandler)>(dlsym(alsa, "snd_lib_error_set_handler"));
    if (setHandler != nullptr) setHandler(quiet ? silentAlsa : nullptr);
}
#else
void quietAlsa(bool) {}
#endif

// clang-format off
#ifdef __EMSCRIPTEN__
// The page resumes this context whenever the browser has suspended it (index.js).
EM_JS(void, shareAudioContext, (), { Module.audioContext = AL.currentCtx && AL.currentCtx.audioCtx; });
#else
void shareAudioContext() {}
#endif
// clang-format on

void findDevicePause() {
    pauseDevice = resumeDevice = nullptr;
#ifdef __EMSCRIPTEN__
    if (alcIsExtensionPresent(device, "ALC_SOFT_pause_device") != ALC_TRUE) return;
    pauseDevice = reinterpret_cast<DeviceSwitch>(alcGetProcAddress(device, "alcDevicePauseSOFT"));
    resumeDevice = reinterpret_cast<DeviceSwitch>(alcGetProcAddress(device, "alcDeviceResumeSOFT"));
    if (pauseDevice == nullptr || resumeDevice == nullptr) pauseDevice = resumeDevice = nullptr;
#endif
}

void closeDevice() {
    if (context != nullptr) {
        alDeleteSources(sourceCount, sources);
        alDeleteBuffers(bufferCount, buffers);
        alcMakeContextCurrent(nullptr);
        alcDestroyContext(context);
    }
    if (device != nullptr) alcCloseDevice(device);
    context = nullptr, device = nullptr;
}

bool openDevice() {
    quietAlsa(true);
    device = alcOpenDevice(nullptr);
    quietAlsa(false);
    if (device == nullptr) return false;
    context = alcCreateContext(device, nullptr);
    if (context == nullptr || !alcMakeContextCurrent(context)) {
        if (context != nullptr) alcDestroyContext(context);
        context = nullptr;
        return false;
    }
    watched = alcIsExtensionPresent(device, "ALC_EXT_disconnect") == ALC_TRUE;
    findDevicePause();
    shareAudioContext();
    return true;
}

void setUpSource(int i, int buffer, bool relative) {
    alSourcei(sources[i], AL_BUFFER, static_cast<ALint>(buffers[buffer]));
    alSourcei(sources[i], AL_SOURCE_RELATIVE, relative ? AL_TRUE : AL_FALSE);
    alSourcef(sources[i], AL_REFERENCE_DISTANCE, referenceDistance);
}

// Each source plays once at no gain, so that OpenAL Soft makes its voices and
// most of its property records here rather than in play; it may still make
// a few more in the first seconds, then reuses them.
void warmUp() {
    for (ALuint source : sources) alSourcef(source, AL_GAIN, 0.0f);
    each(sourceCount, sources, alSourcePlay);
    each(sourceCount, sources, alSourceStop);
    for (int i = 0; i < firstMusic; ++i) alSourcef(sources[i], AL_GAIN, 1.0f);
}

void fillBuffer(int b) {
    alBufferData(buffers[b], AL_FORMAT_MONO16, pcm[b].data(),
                 static_cast<ALsizei>(pcm[b].size() * sizeof pcm[b][0]), synth::sampleRate);
}

void attachMusic(int part) {
    const int b = gameSoundCount + part, i = firstMusic + part;
    fillBuffer(b);
    setUpSource(i, b, true);
    alSourcei(sources[i], AL_LOOPING, AL_TRUE);
    alSourcef(sources[i], AL_GAIN, 0.0f);
}

// A level's loop at a time, from the first: each plays once it is made.
bool makeNextMusic() {
    for (int p = 0; p < synth::musicParts; ++p) {
        std::vector<int16_t>& loop = pcm[gameSoundCount + p];
        if (!loop.empty()) continue;
        loop = synth::renderMusic(p + 1);
        if (on) attachMusic(p);
        return p + 1 == synth::musicParts;
    }
    return true;
}

// The buffers from the kept sounds, and every source bound to its own; the
// state of play starts afresh, and followWorld brings it to the World's.
bool makeSources() {
    alGenBuffers(bufferCount, buffers);
    for (int b = 0; b < gameSoundCount; ++b) fillBuffer(b);
    alGenSources(sourceCount, sources);
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    for (int s = 0; s < gameSoundCount; ++s)
        for (int i = firstSource(s); i < firstSource(s + 1); ++i) setUpSource(i, s, atListener(s));
    warmUp();
    for (int p = 0; p < synth::musicParts; ++p)
        if (!pcm[gameSoundCount + p].empty()) attachMusic(p);
    hold = Open, heldCount = 0;
    std::fill(std::begin(fading), std::end(fading), false);
    std::fill(std::begin(looping), std::end(looping), false);
    std::fill(std::begin(musicGain), std::end(musicGain), 0.0f);
    applyGain();
    return alGetError() == AL_NO_ERROR;
}

// Paused fades, then holds; anything else lets go.
void followHold(Clock::time_point now) {
    const bool paused = world.playState == Paused;
    if (paused && hold == Open) {
        hold = Fading, holdSince = now;
        applyGain();
    } else if (paused && hold == Fading && now - holdSince >= fadeTime) {
        for (int i = 0; i < sourceCount; ++i)
            if (stateOf(i) == AL_PLAYING && !waiting(i)) held[heldCount++] = sources[i];
        each(heldCount, held, alSourcePause);
        hold = Holding;
        if (pauseDevice != nullptr) pauseDevice(device);
    } else if (!paused && hold != Open) {
        if (hold == Holding && resumeDevice != nullptr) resumeDevice(device);
        each(heldCount, held, alSourcePlay);
        heldCount = 0, hold = Open;
        applyGain();
    }
}

// A rocket that is gone lets its loop run out at the end of its pulse, so nothing clicks.
void followRockets() {
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

// The level's loop comes in over crossfadeSeconds as the last goes; after
// "GAME OVER" the music goes at once, for the game-over sound. Held, it waits.
void followMusic(Clock::time_point now, float seconds) {
    if (world.playState == Paused) return;
    const bool playing = world.playState == Playing && world.lives > 0 && musicOn;
    const int part = playing ? std::clamp(world.level, 1, synth::musicParts) - 1 : -1;
    const float step = world.playState == GameOver ? 1.0f : seconds / crossfadeSeconds;
    for (int p = 0; p < synth::musicParts; ++p) {
        const int i = firstMusic + p;
        const float target = p == part ? 1.0f : 0.0f, was = musicGain[p];
        if (was == target || pcm[gameSoundCount + p].empty()) continue;
        musicGain[p] = target > was ? std::min(target, was + step) : std::max(target, was - step);
        alSourcef(sources[i], AL_GAIN, musicGain[p]);
        if (target > was && stateOf(i) != AL_PLAYING) alSourcePlay(sources[i]);
        fading[i] = false;
        if (musicGain[p] == 0.0f) fadeOut(i, now);
    }
}

bool stillConnected() {
    ALCint connected = ALC_TRUE;
    if (watched) alcGetIntegerv(device, ALC_CONNECTED, 1, &connected);
    return connected == ALC_TRUE;
}

// A lost device is said once and closed; the default one is tried again
// every few seconds, and found, gets every buffer and source again.
void watchDevice(Clock::time_point now) {
    if (on && !stillConnected()) {
        std::fputs("skorvane: sound lost: the audio device went away; trying again\n", stderr);
        closeDevice();
        on = false, lost = true, lastTry = now;
    } else if (lost && now - lastTry >= retryPeriod) {
        lastTry = now;
        on = openDevice() && makeSources();
        if (!on) closeDevice();
        lost = !on;
        if (on) std::fputs("skorvane: sound is back\n", stderr);
    }
}

}  // namespace

bool setUpSound(bool muted) {
    static bool begun = false;
    if (muted) return true;
    if (begun) return makeNextMusic();
    begun = true;
    // The mixer's name for the game. OpenAL Soft names its PulseAudio client after
    // the binary, which only libpulse's OVERRIDE form replaces; a player's own wins.
    setenv("PULSE_PROP_OVERRIDE_application.name", "Skorvane", 0);
    // OpenAL Soft's own errors: the game says what matters in one line.
    libraryLogs = std::getenv("ALSOFT_LOGLEVEL") != nullptr;
    setenv("ALSOFT_LOGLEVEL", "0", 0);
    for (int s = 0; s < gameSoundCount; ++s) pcm[s] = synth::render(synth::recipes[s]);
    if (!openDevice()) {
        std::fputs("skorvane: no sound: no audio device could be opened\n", stderr);
        closeDevice();
        return true;
    }
    std::atexit(stopSound);
    on = makeSources();
    if (!on) std::fputs("skorvane: no sound: OpenAL refused the game's sounds\n", stderr);
    lastFollowed = Clock::now();
    followWorld();
    return !on;
}

void stopSound() {
    closeDevice();
    on = lost = false;
}

void playSound(GameSound sound, float x, float y, float z) {
    if (!on || (world.playState == GameOver && sound != GameEnded)) return;
    const int i = freeSource(sound, Clock::now());
    if (!atListener(sound)) alSource3f(sources[i], AL_POSITION, x, y, z);
    startedAt[i] = ++starts;
    start(i);
}

// The scene is drawn shifted by the aim, from z = 50 looking down -z: that is the ear.
void followWorld() {
    const Clock::time_point now = Clock::now();
    const float seconds = std::min(std::chrono::duration<float>(now - lastFollowed).count(), 0.1f);
    lastFollowed = now;
    watchDevice(now);
    if (!on) return;
    alListener3f(AL_POSITION, world.aimX, world.aimY, 50.0f);
    followHold(now);
    followRockets();
    followMusic(now, seconds);
    finishFades(now);
}

void setSoundGain(float gain) {
    playerGain = gain;
    if (on) applyGain();
}

void setMusicOn(bool wanted) {
    musicOn = wanted;
}
