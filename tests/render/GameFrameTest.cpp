// Passes of the real Game's frame, drawn into an off-screen target and checked by pixels.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Sound.h"
#include "render/FrameFixture.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"
#include "shell/Globals.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

bool isClear(Rgba p) { return same(p, 255, 0, 255); }

class GameFrame : public FrameTest {
protected:
    GameFrame() : FrameTest(kWidth, kHeight) {}
    // The player at the start, looking along +z over the maze.
    void placeCamera() {
        const vec3 eye(kStartPosition.x,
                       g->terrain->heightAt(kStartPosition.x, kStartPosition.z) + 2.0f,
                       kStartPosition.z);
        lookAt(eye, eye + vec3(0.0f, -0.1f, 1.0f));
    }
    static Rgba at(const std::vector<Rgba>& pixels, int x, int y) {
        return pixels[static_cast<size_t>(y) * kWidth + x];
    }
    static GLint polygonMode() {
        GLint mode[2] = {0, 0};
        glGetIntegerv(GL_POLYGON_MODE, mode);
        return mode[0];
    }
};

int countClear(const std::vector<Rgba>& pixels) {
    int n = 0;
    for (const Rgba& p : pixels) n += isClear(p);
    return n;
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
        EXPECT_EQ(countClear(shots.back()), 0) << index;
        EXPECT_EQ(polygonMode(), wire ? GL_LINE : GL_FILL);
    }
    for (int a = 0; a < 4; ++a) {
        for (int b = a + 1; b < 4; ++b) {
            EXPECT_NE(shots[a], shots[b]) << "posters " << a + 1 << " and " << b + 1 << " alike";
        }
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

TEST_F(GameFrame, WallsBehindTheCameraAreCulled) {
    ASSERT_FALSE(g->walls.empty());
    const auto shown = [&] {
        size_t n = 0;
        for (const auto& wall : g->walls) n += wall->visible;
        return n;
    };
    placeCamera();
    const size_t ahead = shown();
    EXPECT_GT(ahead, 0u);
    EXPECT_LT(ahead, g->walls.size());
    // Turned around, towards z < 0 where the maze does not reach.
    lookAt(g->cameraPosition, g->cameraPosition + vec3(0.0f, 0.0f, -1.0f));
    EXPECT_LT(shown(), ahead);
}

namespace {

// How many pixels are mostly of one colour channel: the cones are pure blue, red or green.
int countTinted(const std::vector<Rgba>& pixels, int channel) {
    int n = 0;
    for (const Rgba& p : pixels) {
        const int c[3] = {p.r, p.g, p.b};
        n += c[channel] > 120 && c[channel] > c[(channel + 1) % 3] + 60 &&
             c[channel] > c[(channel + 2) % 3] + 60;
    }
    return n;
}

}  // namespace

TEST_F(GameFrame, BonusItemShowsItsConeUntilHitThenItsOutline) {
    auto& record = kesto::scene::BonusItemSet::bonusItemRecords.at(0);  // the first duck
    ASSERT_EQ(record.type, kesto::scene::Duck);
    const vec3 item = translationOf(record.item->modelMatrix);
    lookAt(item + vec3(0.0f, 1.0f, -5.0f), item + vec3(0.0f, 0.5f, 0.0f));
    const auto before = frame(true);
    record.item->hit = true;
    const auto after = frame(true);
    record.item->hit = false;

    EXPECT_GT(countTinted(before, 2), 500) << "no blue cone over the duck";
    EXPECT_LT(countTinted(after, 2), 50) << "the cone stays after the hit";
    // The outline: near-black pixels only once the item is hit.
    auto dark = [](const std::vector<Rgba>& pixels) {
        int n = 0;
        for (const Rgba& p : pixels) n += p.r < 30 && p.g < 30 && p.b < 30;
        return n;
    };
    EXPECT_GT(dark(after), dark(before) + 100);
}
