#include "platform/Sound.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <sndfile.h>
#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdio>

namespace audio {

// One OpenAL source playing one sound. Fire-and-forget voices have no handle.
struct Voice {
    ALuint source = 0;
    SoundSource* from = nullptr;
    Sound* handle = nullptr;
    bool paused = false;
};

namespace {

struct DecodedAudio {
    std::vector<short> samples;  // interleaved
    int channels = 0;
    int sampleRate = 0;
};

bool decodeFile(const char* path, DecodedAudio& out, std::string& error) {
    struct stat st;
    if (stat(path, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "no such file";
        return false;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (!file) {
        error = sf_strerror(nullptr);
        return false;
    }
    if (info.channels < 1 || info.samplerate < 1) {
        sf_close(file);
        error = "no channels or no sample rate";
        return false;
    }
    // Float files (Vorbis, MP3 decode) must scale to the full 16-bit range, not clip at +-1.
    sf_command(file, SFC_SET_SCALE_FLOAT_INT_READ, nullptr, SF_TRUE);

    // Reading in chunks instead of trusting the header's frame count: a broken header must
    // not make us allocate gigabytes.
    const std::size_t maxSamples = INT_MAX / sizeof(short);
    std::vector<short> chunk(4096 * static_cast<std::size_t>(info.channels));
    out.samples.clear();
    for (;;) {
        sf_count_t got = sf_readf_short(file, chunk.data(), 4096);
        if (got <= 0) break;
        std::size_t count = static_cast<std::size_t>(got) * info.channels;
        if (out.samples.size() + count > maxSamples) {
            sf_close(file);
            error = "too long to keep in memory";
            return false;
        }
        out.samples.insert(out.samples.end(), chunk.begin(), chunk.begin() + count);
    }
    int status = sf_error(file);
    std::string reason = status ? sf_strerror(file) : "";
    sf_close(file);
    if (status != SF_ERR_NO_ERROR) {
        error = reason;
        return false;
    }
    if (out.samples.empty()) {
        error = "holds no audio";
        return false;
    }
    out.channels = info.channels;
    out.sampleRate = info.samplerate;
    return true;
}

std::vector<short> downmixToMono(const std::vector<short>& samples, int channels) {
    std::vector<short> mono(samples.size() / channels);
    for (std::size_t frame = 0; frame < mono.size(); ++frame) {
        long sum = 0;
        for (int c = 0; c < channels; ++c) sum += samples[frame * channels + c];
        mono[frame] = static_cast<short>(sum / channels);
    }
    return mono;
}

ALuint uploadBuffer(const std::vector<short>& samples, bool stereo, int sampleRate) {
    alGetError();
    ALuint buffer = 0;
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR) return 0;
    alBufferData(buffer, stereo ? AL_FORMAT_STEREO16 : AL_FORMAT_MONO16, samples.data(),
                 static_cast<ALsizei>(samples.size() * sizeof(short)), sampleRate);
    if (alGetError() != AL_NO_ERROR) {
        alDeleteBuffers(1, &buffer);
        return 0;
    }
    return buffer;
}

ALint sourceState(const Voice& voice) {
    ALint state = AL_STOPPED;
    alGetSourcei(voice.source, AL_SOURCE_STATE, &state);
    return state;
}

void setVoicePaused(Voice& voice, bool paused) {
    if (voice.paused == paused) return;
    voice.paused = paused;
    ALint state = sourceState(voice);
    if (paused) {
        if (state == AL_PLAYING) alSourcePause(voice.source);
    } else if (state == AL_PAUSED || state == AL_INITIAL) {
        alSourcePlay(voice.source);
    }
}

bool isFinite(vec3 v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

// ---------------------------------------------------------------- SoundSource

SoundSource::~SoundSource() {
    if (monoBuffer && monoBuffer != buffer) alDeleteBuffers(1, &monoBuffer);
    if (buffer) alDeleteBuffers(1, &buffer);
}

unsigned SoundSource::getPlayLength() const {
    return sampleRate ? static_cast<unsigned>(frames * 1000ull / sampleRate) : 0;
}

// ---------------------------------------------------------------- Sound

void Sound::setVolume(float volume) {
    if (!voice || !std::isfinite(volume)) return;
    alSourcef(voice->source, AL_GAIN, std::max(volume, 0.0f));
}

void Sound::setMinDistance(float distance) {
    if (!voice || !std::isfinite(distance) || distance <= 0.0f) return;
    alSourcef(voice->source, AL_REFERENCE_DISTANCE, distance);
}

void Sound::setIsPaused(bool paused) {
    if (voice) setVoicePaused(*voice, paused);
}

bool Sound::getIsPaused() const { return voice && voice->paused; }

void Sound::setPlayPosition(unsigned milliseconds) {
    if (!voice || !voice->from) return;
    unsigned long long frame =
        static_cast<unsigned long long>(milliseconds) * voice->from->sampleRate / 1000ull;
    if (frame >= voice->from->frames) return;
    if (sourceState(*voice) == AL_STOPPED) {
        // Rewinding makes a finished sound playable again; the offset applies on the next play.
        alSourceRewind(voice->source);
        alSourcei(voice->source, AL_SAMPLE_OFFSET, static_cast<ALint>(frame));
        if (!voice->paused) alSourcePlay(voice->source);
    } else {
        alSourcei(voice->source, AL_SAMPLE_OFFSET, static_cast<ALint>(frame));
    }
}

unsigned Sound::getPlayPosition() const {
    if (!voice || !voice->from || !voice->from->sampleRate) return 0;
    ALint offset = 0;
    alGetSourcei(voice->source, AL_SAMPLE_OFFSET, &offset);
    return static_cast<unsigned>(offset * 1000ull / voice->from->sampleRate);
}

bool Sound::isFinished() const { return !voice || sourceState(*voice) == AL_STOPPED; }

void Sound::drop() {
    if (engine && voice) engine->releaseVoice(voice);
    delete this;
}

// ---------------------------------------------------------------- SoundEngine

SoundEngine* SoundEngine::create() {
    ALCdevice* device = alcOpenDevice(nullptr);
    if (!device) return nullptr;
    ALCcontext* context = alcCreateContext(device, nullptr);
    if (!context || !alcMakeContextCurrent(context)) {
        if (context) alcDestroyContext(context);
        alcCloseDevice(device);
        return nullptr;
    }
    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    SoundEngine* engine = new SoundEngine();
    engine->device = device;
    engine->context = context;
    return engine;
}

SoundEngine::~SoundEngine() {
    for (auto& voice : voices) {
        if (voice->handle) {
            // The caller may still drop its handle later: leave it harmless.
            voice->handle->engine = nullptr;
            voice->handle->voice = nullptr;
        }
        alSourceStop(voice->source);
        alDeleteSources(1, &voice->source);
    }
    voices.clear();
    sources.clear();
    alcMakeContextCurrent(nullptr);
    alcDestroyContext(static_cast<ALCcontext*>(context));
    alcCloseDevice(static_cast<ALCdevice*>(device));
}

void SoundEngine::drop() { delete this; }

SoundSource* SoundEngine::findSource(const std::string& name) const {
    for (const auto& source : sources)
        if (source->name == name) return source.get();
    return nullptr;
}

SoundSource* SoundEngine::loadSource(const char* path, bool needMono) {
    if (!path) return nullptr;
    SoundSource* known = findSource(path);
    if (known && (known->monoBuffer || !needMono)) return known;

    DecodedAudio audio;
    std::string error;
    if (!decodeFile(path, audio, error)) {
        std::fprintf(stderr, "Could not load sound '%s': %s\n", path, error.c_str());
        return nullptr;
    }
    if (audio.channels > 2) {
        audio.samples = downmixToMono(audio.samples, audio.channels);
        audio.channels = 1;
    }
    std::unique_ptr<SoundSource> loaded(new SoundSource());
    SoundSource* source = known ? known : loaded.get();
    if (!known) {
        source->name = path;
        source->sampleRate = static_cast<unsigned>(audio.sampleRate);
        source->frames = audio.samples.size() / audio.channels;
        source->buffer = uploadBuffer(audio.samples, audio.channels == 2, audio.sampleRate);
        if (!source->buffer) {
            std::fprintf(stderr, "Could not load sound '%s': OpenAL refused its data\n", path);
            return nullptr;
        }
        if (audio.channels == 1) source->monoBuffer = source->buffer;
    }
    // OpenAL only places mono sources in space, so 3D playback needs a down-mix.
    if (needMono && !source->monoBuffer) {
        source->monoBuffer = uploadBuffer(downmixToMono(audio.samples, 2), false, audio.sampleRate);
        if (!source->monoBuffer) {
            std::fprintf(stderr, "Could not load sound '%s': OpenAL refused its data\n", path);
            if (!known) return nullptr;
        }
    }
    if (!known) sources.push_back(std::move(loaded));
    return source;
}

SoundSource* SoundEngine::addSoundSourceFromFile(const char* path, bool /*preload*/) {
    // Always decoded at once, and with a down-mix, since effects play both in 2D and 3D.
    return loadSource(path, true);
}

Sound* SoundEngine::play2D(const char* path, bool looped, bool startPaused, bool track) {
    return play2D(loadSource(path, false), looped, startPaused, track);
}

Sound* SoundEngine::play3D(const char* path, vec3 position, bool looped, bool startPaused,
                           bool track) {
    return play3D(loadSource(path, true), position, looped, startPaused, track);
}

Sound* SoundEngine::play2D(SoundSource* source, bool looped, bool startPaused, bool track) {
    return startVoice(source, false, vec3(0.0f), looped, startPaused, track);
}

Sound* SoundEngine::play3D(SoundSource* source, vec3 position, bool looped, bool startPaused,
                           bool track) {
    if (source && !source->monoBuffer) source = loadSource(source->name.c_str(), true);
    return startVoice(source, true, position, looped, startPaused, track);
}

Sound* SoundEngine::startVoice(SoundSource* source, bool positional, vec3 position, bool looped,
                               bool startPaused, bool track) {
    collectFinished();
    if (!source) return nullptr;
    ALuint buffer = positional ? source->monoBuffer : source->buffer;
    if (!buffer) return nullptr;
    if (!isFinite(position)) position = vec3(0.0f);

    alGetError();
    ALuint name = 0;
    alGenSources(1, &name);
    if (alGetError() != AL_NO_ERROR) return nullptr;  // every source is in use

    alSourcei(name, AL_BUFFER, static_cast<ALint>(buffer));
    alSourcei(name, AL_LOOPING, looped ? AL_TRUE : AL_FALSE);
    alSourcei(name, AL_SOURCE_RELATIVE, positional ? AL_FALSE : AL_TRUE);
    alSource3f(name, AL_POSITION, position.x, position.y, position.z);
    alSourcef(name, AL_ROLLOFF_FACTOR, positional ? 1.0f : 0.0f);
    alSourcef(name, AL_REFERENCE_DISTANCE, source->defaultMinDistance);
    alSourcef(name, AL_GAIN, effectsVolume);

    auto voice = std::make_unique<Voice>();
    voice->source = name;
    voice->from = source;
    voice->paused = startPaused;
    // A sound started paused can only ever be heard through its handle.
    if (track || startPaused) voice->handle = new Sound(this, voice.get());
    if (!startPaused) alSourcePlay(name);
    Sound* handle = voice->handle;
    voices.push_back(std::move(voice));
    return handle;
}

void SoundEngine::releaseVoice(Voice* voice) {
    alSourceStop(voice->source);
    alSourcei(voice->source, AL_BUFFER, 0);
    alDeleteSources(1, &voice->source);
    voices.erase(
        std::remove_if(voices.begin(), voices.end(),
                       [voice](const std::unique_ptr<Voice>& v) { return v.get() == voice; }),
        voices.end());
}

void SoundEngine::collectFinished() {
    std::vector<Voice*> done;
    for (const auto& voice : voices)
        if (!voice->handle && sourceState(*voice) == AL_STOPPED) done.push_back(voice.get());
    for (Voice* voice : done) releaseVoice(voice);
}

void SoundEngine::setAllSoundsPaused(bool paused) {
    for (const auto& voice : voices)
        if (sourceState(*voice) != AL_STOPPED) setVoicePaused(*voice, paused);
}

void SoundEngine::setListenerPosition(vec3 position, vec3 lookDirection, vec3 velocity, vec3 up) {
    collectFinished();
    if (isFinite(position)) alListener3f(AL_POSITION, position.x, position.y, position.z);
    if (isFinite(velocity)) alListener3f(AL_VELOCITY, velocity.x, velocity.y, velocity.z);
    // Before the first frame the look direction is zero: keep the last usable orientation.
    if (!isFinite(lookDirection) || !isFinite(up)) return;
    if (glm::length(glm::cross(lookDirection, up)) < 1e-6f) return;
    vec3 at = glm::normalize(lookDirection);
    vec3 upward = glm::normalize(up);
    ALfloat orientation[6] = {at.x, at.y, at.z, upward.x, upward.y, upward.z};
    alListenerfv(AL_ORIENTATION, orientation);
}

void SoundEngine::stopAllSounds() {
    for (const auto& voice : voices) alSourceStop(voice->source);
    collectFinished();
}

void SoundEngine::removeAllSoundSources() {
    stopAllSounds();
    // Tracked handles outlive their data: detach them before the buffers go.
    for (const auto& voice : voices) {
        alSourcei(voice->source, AL_BUFFER, 0);
        voice->from = nullptr;
    }
    sources.clear();
}

}  // namespace audio
