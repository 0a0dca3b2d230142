// The sound layer: a small engine on OpenAL Soft and libsndfile with the operations the game
// calls. Files are decoded completely when loaded, never inside a frame.
// Every call that loads a file returns null when the file is missing or cannot be decoded
// (after one line on standard error naming it); callers go on without that sound.
#pragma once

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
    void setDefaultMinDistance(float distance) { defaultMinDistance = distance; }
    float getDefaultMinDistance() const { return defaultMinDistance; }
    const std::string& getName() const { return name; }
    // Length in milliseconds.
    unsigned getPlayLength() const;

private:
    friend class SoundEngine;
    SoundSource() = default;
    std::string name;
    unsigned buffer = 0;      // OpenAL buffer name
    unsigned sampleRate = 0;
    unsigned frames = 0;
    float defaultMinDistance = 1.0f;
};

// A playing sound handed out to the caller ("tracked"): valid until drop().
class Sound {
public:
    void setVolume(float volume);
    void setMinDistance(float distance);
    void setIsPaused(bool paused = true);
    bool getIsPaused() const;
    // Position in milliseconds from the start.
    void setPlayPosition(unsigned milliseconds);
    bool isFinished() const;
    // Releases the caller's handle; the voice stops and is freed.
    void drop();

private:
    friend class SoundEngine;
    Sound(SoundEngine* engine, Voice* voice) : engine(engine), voice(voice) {}
    SoundEngine* engine;
    Voice* voice;
};

class SoundEngine {
public:
    // Opens the default output device; null when there is none.
    static SoundEngine* create();

    // Tracked playback from a file: returns a Sound valid until dropped, or null.
    Sound* play2D(const char* path, bool looped, bool startPaused, bool track);
    Sound* play3D(const char* path, vec3 position, bool looped, bool startPaused, bool track);
    // Playback of a preloaded source. Untracked (fire and forget) returns null and frees its
    // voice when the sound ends; a null source plays nothing.
    Sound* play2D(SoundSource* source, bool looped = false, bool startPaused = false,
                  bool track = false);
    Sound* play3D(SoundSource* source, vec3 position, bool looped = false,
                  bool startPaused = false, bool track = false);

    // Loads (and decodes) a file once; the engine owns the result. Null on failure.
    SoundSource* addSoundSourceFromFile(const char* path, bool preload = true);

    void setAllSoundsPaused(bool paused = true);
    void setListenerPosition(vec3 position, vec3 lookDirection, vec3 velocity, vec3 up);
    void stopAllSounds();
    void removeAllSoundSources();
    // Closes the device and frees the engine.
    void drop();

    // Frees voices of finished fire-and-forget sounds; called by every play call.
    void collectFinished();
    // Number of voices alive (playing, paused or tracked); for tests.
    size_t voiceCount() const { return voices.size(); }

private:
    friend class Sound;
    SoundEngine() = default;
    ~SoundEngine();
    Voice* startVoice(SoundSource* source, bool positional, vec3 position, bool looped,
                      bool startPaused, bool track);
    void releaseVoice(Voice* voice);

    void* device = nullptr;   // ALCdevice
    void* context = nullptr;  // ALCcontext
    std::vector<std::unique_ptr<SoundSource>> sources;
    std::vector<std::unique_ptr<SoundSource>> fileSources;  // decoded for play2D/3D by path
    std::vector<std::unique_ptr<Voice>> voices;
};

}  // namespace audio
