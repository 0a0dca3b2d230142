#include <gtest/gtest.h>

#include <memory>

#include "render/Hud.h"

namespace {

HudState playing(double elapsed) {
    HudState state;
    state.elapsedTime = elapsed;
    state.ballsLeft = 200;
    return state;
}

void expectLine(const HudLine& line, const char* text, int x, int y, int size, vec3 colour) {
    EXPECT_EQ(line.text, text);
    EXPECT_EQ(line.x, x);
    EXPECT_EQ(line.y, y);
    EXPECT_EQ(line.size, size);
    EXPECT_EQ(line.colour, colour) << text;
}

}  // namespace

TEST(HudClock, FullGameReadsFiveMinutes) {
    auto lines = hudLines(playing(0.0));
    ASSERT_EQ(lines.size(), 2u);
    expectLine(lines[0], "05:00", 10, 560, 20, kHudBlack);
    expectLine(lines[1], "200", 10, 540, 20, kHudBlack);
    expectLine(hudLines(playing(0.9))[0], "04:59", 10, 560, 20, kHudBlack);
    expectLine(hudLines(playing(201.0))[0], "01:39", 10, 560, 20, kHudBlack);
}

TEST(HudClock, TurnsRedAtFifteenSeconds) {
    expectLine(hudLines(playing(284.0))[0], "00:16", 10, 560, 20, kHudBlack);
    expectLine(hudLines(playing(284.5))[0], "00:15", 10, 560, 20, kHudRed);
    expectLine(hudLines(playing(285.0))[0], "00:15", 10, 560, 20, kHudRed);
    expectLine(hudLines(playing(299.5))[0], "00:00", 10, 560, 20, kHudRed);
}

TEST(HudClock, TicksBelowSixteenWhilePaused) {
    EXPECT_FALSE(clockShouldTick(true, remainingSeconds(284.0)));
    EXPECT_TRUE(clockShouldTick(true, remainingSeconds(284.5)));
    EXPECT_TRUE(clockShouldTick(true, remainingSeconds(299.5)));
    // Already ticking: no restart every frame.
    EXPECT_FALSE(clockShouldTick(false, 10));
}

TEST(HudBalls, RedAtTenOrFewer) {
    HudState state = playing(0.0);
    state.ballsLeft = 11;
    expectLine(hudLines(state)[1], "11", 10, 540, 20, kHudBlack);
    state.ballsLeft = 10;
    expectLine(hudLines(state)[1], "10", 10, 540, 20, kHudRed);
    state.ballsLeft = 0;
    expectLine(hudLines(state)[1], "0", 10, 540, 20, kHudRed);
}

TEST(HudDistance, HiddenUntilMeasuredRedWithin25) {
    HudState state = playing(0.0);
    state.goalDistance = -1.0f;
    EXPECT_EQ(hudLines(state).size(), 2u);
    state.goalDistance = 123.6f;
    expectLine(hudLines(state).at(2), "124m", 10, 520, 20, kHudBlack);
    state.goalDistance = 25.4f;
    expectLine(hudLines(state).at(2), "25m", 10, 520, 20, kHudBlack);
    state.goalDistance = 25.0f;
    expectLine(hudLines(state).at(2), "25m", 10, 520, 20, kHudRed);
    state.goalDistance = 0.0f;
    expectLine(hudLines(state).at(2), "0m", 10, 520, 20, kHudRed);
}

TEST(HudFrameTime, OnlyWhenSwitchedOn) {
    HudState state = playing(0.0);
    state.frameTime = 0.0166;
    EXPECT_EQ(hudLines(state).size(), 2u);
    state.showFrameTime = true;
    auto lines = hudLines(state);
    ASSERT_EQ(lines.size(), 3u);
    expectLine(lines[2], "17 ms", 675, 560, 20, kHudBlack);
    state.goalDistance = 40.0f;
    lines = hudLines(state);
    ASSERT_EQ(lines.size(), 4u);
    expectLine(lines[2], "40m", 10, 520, 20, kHudBlack);
    expectLine(lines[3], "17 ms", 675, 560, 20, kHudBlack);
}

TEST(HudDebugRow, StartValuesInSevenColumns) {
    const auto lines = debugRowLines(RenderSwitches{});
    ASSERT_EQ(lines.size(), 14u);
    const struct {
        int x;
        const char* label;
        const char* value;
    } expected[] = {{10, "Wire Mode", "off"}, {140, "Tex Qual.", "bilinear"},
                    {270, "MipMap", "linear"}, {370, "Fly", "off"},
                    {450, "Show", "none"},     {540, "Frustum Cul.", "on"},
                    {680, "Transpar.", "on"}};
    for (int i = 0; i < 7; ++i) {
        expectLine(lines[2 * i], expected[i].label, expected[i].x, 20, 10, kHudBlack);
        expectLine(lines[2 * i + 1], expected[i].value, expected[i].x, 10, 10, kHudBlack);
    }
}

TEST(HudDebugRow, EverySwitchFlipped) {
    RenderSwitches s;
    s.wireframe = true;
    s.bilinearFiltering = false;
    s.mipmapMode = 1;
    s.flyMode = true;
    s.switchedTerrainShader = true;
    s.frustumCulling = false;
    s.transparency = false;
    const auto lines = debugRowLines(s);
    const char* values[] = {"on", "nearest", "nearest", "on", "all", "off", "off"};
    for (int i = 0; i < 7; ++i) EXPECT_EQ(lines[2 * i + 1].text, values[i]);
    s.mipmapMode = 0;
    EXPECT_EQ(debugRowLines(s)[5].text, "off");
    s.mipmapMode = 7;  // anything else reads as linear
    EXPECT_EQ(debugRowLines(s)[5].text, "linear");
}

TEST(TextureSampling, SwitchesPickTheFilters) {
    EXPECT_EQ(magFilterFor(true), GL_LINEAR);
    EXPECT_EQ(magFilterFor(false), GL_NEAREST);
    EXPECT_EQ(minFilterFor(2), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(minFilterFor(1), GL_NEAREST_MIPMAP_NEAREST);
    // No mip-mapping gives linear minification whatever F4 says.
    EXPECT_EQ(minFilterFor(0), GL_LINEAR);
    EXPECT_EQ(minFilterFor(-3), GL_LINEAR);
}

TEST(ParticleRemoval, ExpiredSystemsGoOthersKeepOrder) {
    std::vector<std::unique_ptr<int>> systems;
    for (int i = 0; i < 6; ++i) systems.push_back(std::make_unique<int>(i));
    eraseAtPositions(systems, {1, 2, 4});
    ASSERT_EQ(systems.size(), 3u);
    EXPECT_EQ(*systems[0], 0);
    EXPECT_EQ(*systems[1], 3);
    EXPECT_EQ(*systems[2], 5);
    eraseAtPositions(systems, {});
    EXPECT_EQ(systems.size(), 3u);
    eraseAtPositions(systems, {0, 1, 2});
    EXPECT_TRUE(systems.empty());
}
