#include "AudioCapture.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numeric>
#include <thread>

#include "platform/Sound.h"

namespace testaudio {

namespace {

void readWave(const std::string& path, Capture& capture) {
    SF_INFO info{};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return;
    std::vector<float> frame(info.channels);
    while (sf_readf_float(file, frame.data(), 1) == 1) {
        capture.left.push_back(frame[0]);
        capture.right.push_back(frame[info.channels - 1]);
        capture.mono.push_back(0.5f * (frame[0] + frame[info.channels - 1]));
    }
    sf_close(file);
}

}  // namespace

const TempDir& scratch() {
    static const TempDir dir;  // children leave through _exit: only the parent removes it
    return dir;
}

std::string writeSine(const std::string& name, FileKind kind, double frequency, double seconds,
                      double rightFrequency) {
    SF_INFO info{};
    info.samplerate = kCaptureRate;
    info.channels = rightFrequency > 0.0 ? 2 : 1;
    switch (kind) {
    case FileKind::Wav: info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16; break;
    case FileKind::Ogg: info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS; break;
    case FileKind::Mp3: info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III; break;
    }
    const std::string path = scratch().file(name);
    SNDFILE* file = sf_format_check(&info) ? sf_open(path.c_str(), SFM_WRITE, &info) : nullptr;
    if (!file) return "";
    std::vector<float> samples(std::lround(seconds * kCaptureRate) * info.channels);
    for (size_t i = 0; i < samples.size(); ++i) {
        const double f = i % info.channels ? rightFrequency : frequency;
        samples[i] =
            static_cast<float>(0.5 * std::sin(2.0 * M_PI * f * (i / info.channels) / kCaptureRate));
    }
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size() / info.channels));
    sf_close(file);
    return path;
}

double Capture::loudSeconds(double threshold) const {
    const long window = kCaptureRate / 100;
    long loudWindows = 0;
    for (long start = 0; start + window <= frames(); start += window) {
        const double sum = std::inner_product(mono.begin() + start, mono.begin() + start + window,
                                              mono.begin() + start, 0.0);
        if (std::sqrt(sum / window) > threshold) ++loudWindows;
    }
    return loudWindows * 0.01;
}

double Capture::toneAmplitude(const std::vector<float>& channel, double frequency, long from,
                              long to) const {
    to = std::min(to, frames());
    from = std::max(from, 0L);
    if (from >= to) return 0.0;
    double coefficient = 2.0 * std::cos(2.0 * M_PI * frequency / kCaptureRate);
    double s1 = 0.0, s2 = 0.0;
    for (long i = from; i < to; ++i) {
        double s = channel[i] + coefficient * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
    return 2.0 * std::sqrt(std::max(power, 0.0)) / (to - from);
}

Capture runCaptured(const std::function<int(audio::SoundEngine&)>& scenario) {
    static int counter = 0;
    const std::string run = "run" + std::to_string(++counter), base = scratch().file(run);
    const std::string wavePath = base + ".wav", confPath = base + ".conf";
    const std::string outPath = base + ".out", errPath = base + ".err";
    {
        std::ofstream conf(confPath);
        conf << "[general]\ndrivers=wave\nchannels=stereo\nsample-type=float32\nfrequency="
             << kCaptureRate << "\nhrtf=false\n[wave]\nfile=" << wavePath << "\n";
    }
    std::fflush(stdout);
    std::fflush(stderr);
    Capture capture;
    pid_t child = fork();
    if (child == 0) {
        dup2(open("/dev/null", O_RDONLY), 0);
        dup2(open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        dup2(open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
        setenv("ALSOFT_CONF", confPath.c_str(), 1);
        unsetenv("ALSOFT_DRIVERS");
        setenv("ALSOFT_LOGLEVEL", "0", 1);
        audio::SoundEngine* engine = audio::SoundEngine::create();
        if (!engine) _exit(90);  // no engine: the scenario's own codes are small
        int code = scenario(*engine);
        engine->drop();
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(code);
    }
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child)
        capture.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    capture.out = scratch().read(run + ".out");
    capture.err = scratch().read(run + ".err");
    readWave(wavePath, capture);
    return capture;
}

void sleepMs(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace testaudio
