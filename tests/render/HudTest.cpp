#include <gtest/gtest.h>

#include <memory>
#include <tuple>

#include "render/Hud.h"
#include "render/ParticleSystem.h"

namespace {

void expectLine(const HudLine& line, const char* text, int x, int y, int size, vec3 colour) {
    EXPECT_EQ(std::tie(line.text, line.x, line.y, line.size), std::tuple(text, x, y, size));
    EXPECT_EQ(line.colour, colour) << text;
}

}  // namespace

TEST(Hud, ClockBallsAndDistanceTurnRedNearTheirLimits) {
    const struct {
        double elapsed;
        int balls;
        float distance;
        size_t line;
        const char* text;
        int y;
        bool red;
    } cases[] = {
        {0.0, 200, -1, 0, "05:00", 560, false},    {0.9, 200, -1, 0, "04:59", 560, false},
        {284.0, 200, -1, 0, "00:16", 560, false},  {284.5, 200, -1, 0, "00:15", 560, true},
        {0.0, 11, -1, 1, "11", 540, false},        {0.0, 10, -1, 1, "10", 540, true},
        {0.0, 200, 123.6f, 2, "124m", 520, false}, {0.0, 200, 25.4f, 2, "25m", 520, false},
        {0.0, 200, 25.0f, 2, "25m", 520, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto lines = hudLines(HudState{c.elapsed, c.balls, c.distance});
        ASSERT_EQ(lines.size(), c.distance < 0.0f ? 2u : 3u);  // no distance until measured
        expectLine(lines[c.line], c.text, 10, c.y, 20, c.red ? kHudRed : kHudBlack);
    }
}

TEST(Hud, ClockTicksBelowSixteenWhilePaused) {
    EXPECT_FALSE(clockShouldTick(true, remainingSeconds(284.0)));
    EXPECT_TRUE(clockShouldTick(true, remainingSeconds(284.5)));
    // Already ticking: no restart every frame.
    EXPECT_FALSE(clockShouldTick(false, 10));
}

TEST(HudDebugRow, SevenColumnsOfLabelsAndValues) {
    const struct {
        int x;
        const char *label, *shown, *flipped;
    } columns[] = {{10, "Wire Mode", "off", "on"},       {140, "Tex Qual.", "bilinear", "nearest"},
                   {270, "MipMap", "linear", "nearest"}, {370, "Fly", "off", "on"},
                   {450, "Show", "none", "all"},         {540, "Frustum Cul.", "on", "off"},
                   {680, "Transpar.", "on", "off"}};
    const RenderSwitches flipped{true, false, 1, true, true, false, false};
    const auto lines = debugRowLines(RenderSwitches{}), flippedLines = debugRowLines(flipped);
    ASSERT_EQ(lines.size(), 14u);
    for (int i = 0; i < 7; ++i) {
        expectLine(lines[2 * i], columns[i].label, columns[i].x, 20, 10, kHudBlack);
        expectLine(lines[2 * i + 1], columns[i].shown, columns[i].x, 10, 10, kHudBlack);
        EXPECT_EQ(flippedLines[2 * i + 1].text, columns[i].flipped);
    }
    RenderSwitches off;
    off.mipmapMode = 0;
    EXPECT_EQ(debugRowLines(off)[5].text, "off");
}

TEST(ParticleRemoval, ExpiredSystemsGoOthersKeepOrder) {
    std::vector<std::unique_ptr<int>> systems;
    for (int i = 0; i < 6; ++i) systems.push_back(std::make_unique<int>(i));
    eraseAtPositions(systems, {1, 2, 4});
    std::vector<int> left;
    for (const auto& system : systems) left.push_back(*system);
    EXPECT_EQ(left, (std::vector<int>{0, 3, 5}));
}
