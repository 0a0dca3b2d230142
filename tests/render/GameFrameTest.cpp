// Passes of the real Game's frame, drawn into an off-screen target and checked by pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <numeric>

#include "assets/TempDir.h"
#include "platform/Records.h"
#include "render/FrameFixture.h"
#include "render/Hud.h"
#include "render/ParticleSystem.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"

namespace {

class GameFrame : public FrameTest {
protected:
    GameFrame() : FrameTest(400, 300) {}
};

template <typename Test>
long count(const std::vector<Rgba>& pixels, Test test) {
    return std::count_if(pixels.begin(), pixels.end(), test);
}

}  // namespace

TEST_F(GameFrame, EveryPosterFillsTheWindowWithItsOwnPictureAlsoInWireframe) {
    std::vector<std::vector<Rgba>> shots;
    for (int index = 1; index <= 4; ++index) {
        const bool wire = index % 2 == 0;
        g->posterVisible = true;
        g->posterIndex = index;
        g->wireframe = wire;
        glPolygonMode(GL_FRONT_AND_BACK, wire ? GL_LINE : GL_FILL);
        shots.push_back(frame());
        EXPECT_EQ(count(shots.back(), [](Rgba p) { return p == Rgba{255, 0, 255, 255}; }), 0);
        GLint mode[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, mode);
        EXPECT_EQ(mode[0], wire ? GL_LINE : GL_FILL) << index;
        for (int other = 0; other + 1 < index; ++other) EXPECT_NE(shots[other], shots.back());
    }
}

TEST_F(GameFrame, ViewTestUsesTheWindowAspect) {
    g->cameraPosition = vec3(0.0f);
    g->viewMatrix = glm::lookAt(vec3(0.0f), vec3(0, 0, -1), vec3(0, 1, 0));
    g->windowWidth = 1000;
    g->windowHeight = 1000;
    EXPECT_FALSE(g->isInFrustum({8.0f, 0.0f, -10.0f}, 0.0f, 50.0f));
    g->windowWidth = 2000;
    EXPECT_TRUE(g->isInFrustum({8.0f, 0.0f, -10.0f}, 0.0f, 50.0f));
    g->windowHeight = 0;  // minimised: an infinite aspect would let everything through
    EXPECT_FALSE(g->isInFrustum({8.0f, 0.0f, -10.0f}, 0.0f, 50.0f));
}

TEST_F(GameFrame, WallsOutOfViewAreCulled) {
    const vec3 eye(kStartPosition.x, g->terrain->heightAt(kStartPosition.x, kStartPosition.z) + 2,
                   kStartPosition.z);
    lookAt(eye, eye + vec3(0.0f, -0.1f, 1.0f));
    const long shown =
        std::count_if(g->walls.begin(), g->walls.end(), [](auto& w) { return w->visible; });
    EXPECT_GT(shown, 0);
    EXPECT_LT(shown, static_cast<long>(g->walls.size()));
}

TEST_F(GameFrame, BonusItemShowsItsConeUntilHitThenItsSkinAndOutline) {
    auto& record = kesto::scene::BonusItemSet::bonusItemRecords.at(0);  // the first duck
    ASSERT_EQ(record.type, kesto::scene::Duck);
    const vec3 item = translationOf(record.item->modelMatrix);
    lookAt(item + vec3(0.0f, 1.0f, -5.0f), item + vec3(0.0f, 0.5f, 0.0f));
    const auto before = frame(true);
    record.item->hit = true;
    const auto after = frame(true);
    record.item->hit = false;

    const auto blue = [](Rgba p) { return p.b > 120 && p.b > p.r + 60 && p.b > p.g + 60; };
    const auto dark = [](Rgba p) { return p.r < 30 && p.g < 30 && p.b < 30; };
    const auto yellow = [](Rgba p) { return p.r > 150 && p.g > 110 && p.b + 80 < p.g; };
    EXPECT_GT(count(before, blue), 500) << "no blue cone over the duck";
    EXPECT_LT(count(after, blue), 50) << "the cone stays after the hit";
    EXPECT_GT(count(after, dark), count(before, dark) + 100);
    EXPECT_GT(count(after, yellow), 400) << "the duck is not in its yellow skin";
}

// A win goes into the records once, even when F1 lets the update run again, and its poster
// shows this run's time and the best.
TEST_F(GameFrame, AWinIsRecordedOnceAndItsPosterShowsItsTimeAndTheBest) {
    TempDir dir;
    g->recordsPath = dir.write("records", "88.25 2026-12-02T11:30:00Z\n");
    g->winTime = -1.0;
    g->elapsedTime = 100.0;
    g->goalReached = g->posterVisible = true;
    g->posterIndex = kPosterWin;
    const std::vector<Rgba> plain = frame();
    for (int update = 0; update < 3; ++update) {
        g->posterVisible = false;
        g->update(0.0);
    }
    std::vector<Record> records;
    std::string problem;
    EXPECT_TRUE(readRecords(g->recordsPath, records, problem) && records.size() == 2 &&
                records[1].seconds == 100.0);
    const std::vector<HudLine> lines = winPosterLines(g->winTime, g->bestTime);
    EXPECT_EQ(lines.at(0).text + ", " + lines.at(1).text,
              "Your time: 100.00 s, Best time: 88.25 s");
    const std::vector<Rgba> shown = frame();
    EXPECT_GT(std::inner_product(plain.begin(), plain.end(), shown.begin(), 0L, std::plus<>(),
                                 [](Rgba p, Rgba q) { return !(p == q); }),
              200);
    g->recordsPath.clear();
    g->goalReached = false;
}

// A burst's particles turn to the eye: from the side they cover about as much as from the front.
TEST_F(GameFrame, BurstParticlesFaceTheEyeFromEverySide) {
    const vec3 at(282.0f, g->terrain->heightAt(282.0f, 30.0f) + 1.5f, 30.0f);
    long covered[2];
    for (int side = 0; side < 2; ++side) {
        const vec3 eye = at + (side ? vec3(3, 0, 0) : vec3(0, 0, 3));
        lookAt(eye, at);
        g->particleSystems.clear();
        const auto bare = frame();
        g->launchBurst(at, vec3(0, -1, 0));
        lookAt(eye, at);  // the camera's matrices and place reach the burst as in the main loop
        g->particleSystems.back()->cameraPosition = eye;
        std::vector<Rgba> painted;
        for (int i = 0; i < 10; ++i) painted = frame();
        covered[side] = std::inner_product(painted.begin(), painted.end(), bare.begin(), 0L,
                                           std::plus<>(), [](Rgba p, Rgba q) { return !(p == q); });
    }
    EXPECT_GT(std::min(covered[0], covered[1]) * 2, std::max(covered[0], covered[1]));
    g->frameTime = 0.25;  // a burst is over within a few seconds, and then it goes
    for (int i = 0; i < 20 && !g->particleSystems.empty(); ++i) frame();
    EXPECT_TRUE(g->particleSystems.empty());
}
