// Test helpers for the sound layer: known test files made with libsndfile, and scenarios run in
// a child process whose OpenAL output goes to a WAV file through OpenAL Soft's wave backend.
// OpenAL reads its configuration once per process and completes the WAV only when the device
// closes, hence one child per scenario.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace audio {
class SoundEngine;
}

namespace testaudio {

constexpr int kCaptureRate = 44100;

enum class FileKind { Wav, Ogg, Mp3 };

// Directory for this test run's files (made once, removed at exit).
const std::string& scratchDir();

// Writes a sine of the given frequency, length and amplitude; every channel the same.
// Returns the path, or an empty string when libsndfile cannot write the format.
std::string writeSine(const std::string& name, FileKind kind, double frequency, double seconds,
                      int channels = 1, double amplitude = 0.5);

struct Capture {
    int exitCode = -1;
    std::string out;  // what the scenario printed on standard output
    std::string err;  // ... and on standard error
    std::vector<float> left, right;

    bool empty() const { return left.empty(); }
    // Root mean square of both channels over frames [from, to) (to = -1: the end).
    double rms(long from = 0, long to = -1) const;
    // Seconds of output whose 10 ms windows are louder than the threshold.
    double loudSeconds(double threshold = 0.02) const;
    // Strength of one frequency (Goertzel, normalised to amplitude) over frames [from, to).
    double toneAmplitude(double frequency, long from, long to) const;
    long frames() const { return static_cast<long>(left.size()); }
};

// Runs the scenario in a child process with a fresh engine on the wave backend and returns the
// captured output. The scenario's return value becomes the child's exit code. extraConfig goes
// into the [general] section of OpenAL Soft's configuration. A scenario that drops the engine
// itself says so, and the child does not drop it again.
Capture runCaptured(const std::function<int(audio::SoundEngine&)>& scenario,
                    const std::string& extraConfig = "", bool scenarioDropsEngine = false);

void sleepMs(int milliseconds);
// Polls the condition every 20 ms for at most the given time; true when it held.
bool waitFor(const std::function<bool()>& condition, int maxMilliseconds);

}  // namespace testaudio
