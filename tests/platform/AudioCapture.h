// Test helpers for the sound layer: known test files made with libsndfile, and scenarios run in
// a child process whose OpenAL output goes to a WAV file through OpenAL Soft's wave backend.
// OpenAL reads its configuration once per process and completes the WAV only when the device
// closes, hence one child per scenario.
#pragma once

#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "assets/TempDir.h"

namespace audio {
class SoundEngine;
}

namespace testaudio {

constexpr int kCaptureRate = 44100;

enum class FileKind { Wav, Ogg, Mp3 };

// Directory for this test run's files (made once, removed at exit).
const TempDir& scratch();

// Writes a sine at half amplitude, mono, or stereo with another frequency on the right; the path,
// or "" when libsndfile cannot write the format.
std::string writeSine(const std::string& name, FileKind kind, double frequency, double seconds,
                      double rightFrequency = 0.0);

struct Capture {
    int exitCode = -1;
    std::string out, err;     // what the scenario printed on standard output and error
    std::vector<float> mono;  // the average of both channels
    std::vector<float> left, right;

    long frames() const { return static_cast<long>(mono.size()); }
    // Seconds of output whose 10 ms windows are louder than the threshold (root mean square).
    double loudSeconds(double threshold = 0.02) const;
    // Strength of one frequency (Goertzel, normalised to amplitude) over frames [from, to), in
    // the average of both channels or in one of them; the whole capture by default.
    double toneAmplitude(const std::vector<float>& channel, double frequency, long from = 0,
                         long to = std::numeric_limits<long>::max()) const;
};

// Runs the scenario in a child process with a fresh engine on the wave backend and returns the
// captured output. The scenario's return value becomes the child's exit code.
Capture runCaptured(const std::function<int(audio::SoundEngine&)>& scenario);

void sleepMs(int milliseconds);

}  // namespace testaudio
