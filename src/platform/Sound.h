// The sound layer: a small engine on OpenAL Soft and libsndfile with the operations the game
// calls. Files are decoded completely when loaded, never inside a frame.
// Every call that loads a file returns null when the file is missing or cannot be decoded
// (after one line on standard error naming it); callers go on without that sound.
// Every call comes from the main thread; OpenAL mixes on a thread of its own.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "Math.h"

namespace audio {

class SoundEngine;
struct Voice;

// Decoded audio data, owned by the engine that loaded it.
class SoundSource {
public:
    ~SoundSource();
    SoundSource(const SoundSource&) = delete;
    SoundSource& operator=(const SoundSource&) = delete;

    // Minimum distance given to every 3D sound started from this source later on.
    void setDefaultMinDistance(float distance) { defaultMinDistance = distance; }
    float getDefaultMinDistance() const { return defaultMinDistance; }
    const std::string& getName() const { return name; }
    // Length in milliseconds.
    unsigned getPlayLength() const;

private:
    friend class SoundEngine;
    friend class Sound;
    SoundSource() = default;
    std::string name;
    unsigned buffer = 0;      // OpenAL buffer as decoded (mono or stereo)
    unsigned monoBuffer = 0;  // down-mix for 3D playback; equals buffer for mono files
    unsigned sampleRate = 0;
    unsigned long frames = 0;
    float defaultMinDistance = 1.0f;
};

// A sound handed out to the caller ("tracked"): valid until drop(), even after it has finished
// and even after the engine is gone (then every call is a no-op).
class Sound {
public:
    Sound(const Sound&) = delete;
    Sound& operator=(const Sound&) = delete;

    void setVolume(float volume);
    // Distance up to which a 3D sound plays at full volume; it fades beyond.
    void setMinDistance(float distance);
    void setIsPaused(bool paused = true);
    bool getIsPaused() const;
    // Position in milliseconds from the start. Moving a finished sound back into its length
    // makes it playable again (it resumes unless paused).
    void setPlayPosition(unsigned milliseconds);
    // Current position in milliseconds; 0 once finished.
    unsigned getPlayPosition() const;
    // True once a sound that does not loop has played to its end, or was stopped.
    bool isFinished() const;
    // Releases the caller's handle; the voice stops and is freed, and so is this object.
    void drop();

private:
    friend class SoundEngine;
    Sound(SoundEngine* engine, Voice* voice) : engine(engine), voice(voice) {}
    ~Sound() = default;
    SoundEngine* engine;
    Voice* voice;
};

class SoundEngine {
public:
    // Opens the default output device; null when there is none.
    static SoundEngine* create();

    // Playback from a file (decoded once, then kept by the engine under its path).
    // With track or startPaused the caller gets a Sound to drop; otherwise the sound is
    // fire and forget and the call returns null. Null as well when the file cannot be loaded
    // or OpenAL has no free source.
    Sound* play2D(const char* path, bool looped = false, bool startPaused = false,
                  bool track = false);
    Sound* play3D(const char* path, vec3 position, bool looped = false, bool startPaused = false,
                  bool track = false);
    // Playback of a preloaded source, with the same rules; a null source plays nothing.
    Sound* play2D(SoundSource* source, bool looped = false, bool startPaused = false,
                  bool track = false);
    Sound* play3D(SoundSource* source, vec3 position, bool looped = false, bool startPaused = false,
                  bool track = false);

    // Loads and decodes a file once; the engine owns the result (loading a path again returns
    // the same source). Null on failure.
    SoundSource* addSoundSourceFromFile(const char* path, bool preload = true);

    // Gain of every sound started from now on (1 as loaded); Sound::setVolume overrides it.
    void setEffectsVolume(float volume) { effectsVolume = volume; }

    // Pauses (or resumes) every sound that has not finished.
    void setAllSoundsPaused(bool paused = true);
    // Also frees the voices of finished fire-and-forget sounds (it runs every frame).
    void setListenerPosition(vec3 position, vec3 lookDirection, vec3 velocity = vec3(0.0f),
                             vec3 up = vec3(0.0f, 1.0f, 0.0f));
    // Stops every sound; tracked handles stay valid (finished) until dropped.
    void stopAllSounds();
    // Stops the sounds and frees every source and file the engine loaded.
    void removeAllSoundSources();
    // Closes the device and frees the engine.
    void drop();

    // Frees voices of finished fire-and-forget sounds; every play call does this too.
    void collectFinished();
    // Voices alive: playing, paused, or tracked and not yet dropped.
    std::size_t voiceCount() const { return voices.size(); }

    SoundEngine(const SoundEngine&) = delete;
    SoundEngine& operator=(const SoundEngine&) = delete;

private:
    friend class Sound;
    SoundEngine() = default;
    ~SoundEngine();
    SoundSource* findSource(const std::string& name) const;
    SoundSource* loadSource(const char* path, bool needMono);
    Sound* startVoice(SoundSource* source, bool positional, vec3 position, bool looped,
                      bool startPaused, bool track);
    void releaseVoice(Voice* voice);

    void* device = nullptr;   // ALCdevice
    void* context = nullptr;  // ALCcontext
    float effectsVolume = 1.0f;
    std::vector<std::unique_ptr<SoundSource>> sources;
    std::vector<std::unique_ptr<Voice>> voices;
};

}  // namespace audio
