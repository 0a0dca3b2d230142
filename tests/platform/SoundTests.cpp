// The sound layer, heard through OpenAL Soft's wave backend: each scenario runs in its own
// process and the test looks at what reached the output file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "AudioCapture.h"
#include "platform/Sound.h"

using audio::Sound;
using audio::SoundEngine;
using audio::SoundSource;
using namespace testaudio;

namespace {

// The test files, written once per test program.
struct TestFiles {
    std::string tone440Wav = writeSine("tone440.wav", FileKind::Wav, 440, 0.3);
    std::string tone440Ogg = writeSine("tone440.ogg", FileKind::Ogg, 440, 0.3);
    std::string tone440Mp3 = writeSine("tone440.mp3", FileKind::Mp3, 440, 0.3);
    std::string tone660 = writeSine("tone660.ogg", FileKind::Ogg, 660, 0.3);
    std::string tone880Long = writeSine("tone880.ogg", FileKind::Ogg, 880, 1.5);
    std::string longTone = writeSine("long440.wav", FileKind::Wav, 440, 1.5);
    std::string stereo = writeSine("stereo.ogg", FileKind::Ogg, 550, 0.3, 990);
    std::string stereoHigh = writeSine("stereo2.ogg", FileKind::Ogg, 1210, 0.3, 1430);
};

const TestFiles& files() {
    static const TestFiles f;
    return f;
}

// Prints "name=value" lines the parent test reads back.
void report(const char* name, long value) { std::printf("%s=%ld\n", name, value); }

void expectReported(const Capture& c, std::initializer_list<const char*> lines) {
    EXPECT_EQ(c.exitCode, 0) << c.err;
    for (const char* line : lines)
        EXPECT_NE(c.out.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << c.out;
}

// Plays the file in 2D as a tracked sound in a child and hands it to the scenario.
Capture played2D(const std::string& path, bool loop, bool paused,
                 const std::function<void(SoundEngine&, Sound*)>& scenario) {
    return runCaptured([&](SoundEngine& engine) {
        Sound* s = engine.play2D(path.c_str(), loop, paused, true);
        if (!s) return 1;
        scenario(engine, s);
        s->drop();
        return 0;
    });
}

}  // namespace

TEST(SoundPlayback, EveryFileFormatReachesTheOutputOnce) {
    ASSERT_FALSE(files().tone440Ogg.empty());
    ASSERT_FALSE(files().tone440Mp3.empty()) << "libsndfile cannot write MP3 here";
    for (const std::string& path : {files().tone440Wav, files().tone440Ogg, files().tone440Mp3}) {
        SCOPED_TRACE(path);
        Capture c = played2D(path, false, false, [](SoundEngine&, Sound* s) {
            sleepMs(700);
            report("finished", s->isFinished());
        });
        expectReported(c, {"finished=1"});
        // Played once: about as long as the file, not cut short and not repeated.
        EXPECT_GT(c.loudSeconds(), 0.22);
        EXPECT_LT(c.loudSeconds(), 0.45);
        // The file's tone, not noise or a shifted pitch from a wrong sample rate.
        double tone = c.toneAmplitude(c.mono, 440);
        EXPECT_GT(tone, 10 * c.toneAmplitude(c.mono, 660));
        EXPECT_GT(tone, 10 * c.toneAmplitude(c.mono, 220));
    }
}

TEST(SoundPlayback, PauseAllSilencesEverySoundButOnesUnpausedAfterwards) {
    Capture c = runCaptured([&](SoundEngine& engine) {
        Sound* music = engine.play2D(files().longTone.c_str(), true, false, true);
        Sound* jingle = engine.play2D(files().tone880Long.c_str(), false, true, true);
        SoundSource* effect = engine.addSoundSourceFromFile(files().tone660.c_str());
        if (!music || !jingle || !effect) return 1;
        engine.play2D(effect, true);  // fire and forget, looped
        sleepMs(400);
        engine.setAllSoundsPaused(true);
        report("musicPaused", music->getIsPaused());
        jingle->setIsPaused(false);
        sleepMs(700);
        music->drop();
        jingle->drop();
        return 0;
    });
    expectReported(c, {"musicPaused=1"});
    ASSERT_GT(c.frames(), kCaptureRate);
    // Judged after the pause only: a loaded machine may start the sounds a little late.
    long tail0 = c.frames() - kCaptureRate / 4, tail1 = c.frames();
    EXPECT_GT(c.toneAmplitude(c.mono, 880, tail0, tail1), 0.1);
    EXPECT_LT(c.toneAmplitude(c.mono, 440, tail0, tail1), 0.01);
    EXPECT_LT(c.toneAmplitude(c.mono, 660, tail0, tail1), 0.01);
}

TEST(SoundFiles, MissingOrBrokenFileGivesNullAndOneLineNamingIt) {
    const std::string missing = scratch().file("missing.mp3");
    const std::string empty = scratch().write("empty.mp3", "");
    const std::string broken = scratch().write("broken.ogg", "just some words, not audio at all");
    Capture c = runCaptured([&](SoundEngine& engine) {
        report("missing2D", engine.play2D(missing.c_str(), false, false, true) != nullptr);
        report("missing3D", engine.play3D(missing.c_str(), vec3(0), true, false, true) != nullptr);
        report("brokenSource", engine.addSoundSourceFromFile(broken.c_str()) != nullptr);
        report("emptySource", engine.addSoundSourceFromFile(empty.c_str()) != nullptr);
        SoundSource* none = nullptr;
        report("nullSource2D", engine.play2D(none, false, false, true) != nullptr);
        report("nullSource3D", engine.play3D(none, vec3(0), false, false, true) != nullptr);
        report("voices", static_cast<long>(engine.voiceCount()));
        return 0;
    });
    expectReported(c, {"missing2D=0", "missing3D=0", "brokenSource=0", "emptySource=0",
                       "nullSource2D=0", "nullSource3D=0", "voices=0"});

    EXPECT_EQ(std::count(c.err.begin(), c.err.end(), '\n'), 4) << c.err;  // one per failed load
    for (const std::string& named : {missing, broken, empty})
        EXPECT_NE(c.err.find("'" + named + "'"), std::string::npos) << c.err;
}

// The clock's ticking is rewound and unpaused, even after it once ran out: a held sound keeps
// its voice after the end, while every frame frees the ended effects nobody holds.
TEST(SoundHandles, FinishedHeldSoundKeepsItsVoiceAndSeeksBack) {
    Capture c = played2D(files().tone440Ogg, false, false, [](SoundEngine& engine, Sound* s) {
        engine.play2D(files().tone660.c_str());
        report("playing", static_cast<long>(engine.voiceCount()));
        for (int waited = 0; waited < 3000 && !s->isFinished(); waited += 20) sleepMs(20);
        report("finished", s->isFinished());
        sleepMs(100);
        engine.setListenerPosition(vec3(0.0f), vec3(0, 0, -1));
        report("ended", static_cast<long>(engine.voiceCount()));
        s->setIsPaused(true);
        s->setPlayPosition(150);  // of 300 ms
        report("finishedAfterSeek", s->isFinished());
        sleepMs(200);
        s->setIsPaused(false);
        sleepMs(600);
    });
    expectReported(c, {"playing=2", "finished=1", "ended=1", "finishedAfterSeek=0"});
    EXPECT_GT(c.loudSeconds(), 0.38);  // once and a half
    EXPECT_LT(c.loudSeconds(), 0.55);
}

// Music, jingles and the grunt sound alike wherever the player stands and looks: centred and at
// full strength. Effects in the world come from where they are.
TEST(SoundPlacement, TwoDimensionalSoundsStayCentredAndFullThreeDimensionalOnesArePlaced) {
    Capture c = runCaptured([&](SoundEngine& engine) {
        SoundSource* effect = engine.addSoundSourceFromFile(files().tone660.c_str());
        SoundSource* placed = engine.addSoundSourceFromFile(files().tone880Long.c_str());
        if (!effect || !placed) return 1;
        engine.play2D(files().tone440Ogg.c_str());
        sleepMs(400);
        // Far away, looking along +x: +z is to the right.
        const vec3 listener(500.0f, 20.0f, -300.0f);
        engine.setListenerPosition(listener, vec3(1, 0, 0));
        engine.play2D(effect);
        engine.play3D(placed, listener + vec3(0, 0, 4));
        sleepMs(400);
        // A stereo file keeps its sides in 2D and is mixed down to one point in 3D.
        engine.play2D(files().stereo.c_str());
        engine.play3D(files().stereoHigh.c_str(), listener + vec3(0, 0, -4));
        sleepMs(1300);
        return 0;
    });
    ASSERT_EQ(c.exitCode, 0) << c.err;
    const auto level = [&](const auto& channel, double f) { return c.toneAmplitude(channel, f); };
    const double centred = level(c.left, 440);
    EXPECT_GT(centred, 0.05);
    for (const std::vector<float>* channel : {&c.left, &c.right}) {
        EXPECT_NEAR(level(*channel, 440), centred, 0.1 * centred);
        EXPECT_NEAR(level(*channel, 660), centred, 0.1 * centred);
    }
    EXPECT_GT(level(c.right, 880), 2 * level(c.left, 880));
    EXPECT_GT(level(c.left, 550), 10 * level(c.right, 550));
    EXPECT_GT(level(c.right, 990), 10 * level(c.left, 990));
    EXPECT_GT(level(c.left, 1210), 2 * level(c.right, 1210));
    EXPECT_NEAR(level(c.left, 1430), level(c.left, 1210), 0.05 * level(c.left, 1210));
}

TEST(SoundPlayback, EffectsVolumeScalesTheSoundsStartedAfterIt) {
    Capture c = runCaptured([&](SoundEngine& engine) {
        engine.play2D(files().tone440Ogg.c_str());
        sleepMs(400);
        engine.setEffectsVolume(0.25f);
        engine.play2D(files().tone660.c_str());
        sleepMs(400);
        return 0;
    });
    EXPECT_NEAR(c.toneAmplitude(c.left, 660) / c.toneAmplitude(c.left, 440), 0.25, 0.03);
}
