#include "render/Hud.h"

#include <cstdarg>
#include <cstdio>
#include <tuple>

#include "game/Game.h"

namespace {

constexpr int kClockRedSeconds = 15;
constexpr int kBallsRedCount = 10;
constexpr float kDistanceRedMetres = 25.0f;
constexpr int kTickingFromSeconds = 16;

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));
std::string format(const char* pattern, ...) {
    char buffer[256];
    va_list args;
    va_start(args, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, args);
    va_end(args);
    return buffer;
}

const char* onOff(bool on) { return on ? "on" : "off"; }

}  // namespace

HudState hudStateOf(const Game& game) {
    HudState state;
    state.elapsedTime = game.elapsedTime;
    state.ballsLeft = game.ballsLeft;
    state.goalDistance = game.goalDistance;
    state.showFrameTime = game.showFrameTime;
    state.frameTime = game.frameTime;
    return state;
}

RenderSwitches renderSwitchesOf(const Game& game) {
    RenderSwitches switches;
    switches.wireframe = game.wireframe;
    switches.bilinearFiltering = game.bilinearFiltering;
    switches.mipmapMode = game.mipmapMode;
    switches.flyMode = game.flyMode;
    switches.switchedTerrainShader = game.switchedTerrainShader;
    switches.frustumCulling = game.frustumCulling;
    switches.transparency = game.transparency;
    return switches;
}

int remainingSeconds(double elapsedTime) { return static_cast<int>(kTimeLimit - elapsedTime); }

bool clockShouldTick(bool tickingPaused, int remaining) {
    return tickingPaused && remaining < kTickingFromSeconds;
}

std::vector<HudLine> hudLines(const HudState& state) {
    std::vector<HudLine> lines;
    const int remaining = remainingSeconds(state.elapsedTime);
    lines.push_back({format("%.2i:%.2i", remaining / 60, remaining % 60), 10, 560, 20,
                     remaining <= kClockRedSeconds ? kHudRed : kHudBlack});
    lines.push_back({format("%i", state.ballsLeft), 10, 540, 20,
                     state.ballsLeft <= kBallsRedCount ? kHudRed : kHudBlack});
    if (state.goalDistance >= 0.0f) {
        lines.push_back({format("%.0fm", static_cast<double>(state.goalDistance)), 10, 520, 20,
                         state.goalDistance <= kDistanceRedMetres ? kHudRed : kHudBlack});
    }
    if (state.showFrameTime) {
        lines.push_back({format("%0.0f ms", state.frameTime * 1000.0), 675, 560, 20, kHudBlack});
    }
    return lines;
}

std::vector<HudLine> winPosterLines(double winTime, double bestTime) {
    // The poster's own dark brown, in the free band between its text and "Press Esc".
    const vec3 brown(0.3f, 0.12f, 0.0f);
    constexpr int kSize = 20, kCentre = 400;
    std::vector<HudLine> lines;
    for (const auto& [label, seconds, y] :
         {std::tuple("Your time", winTime, 215), std::tuple("Best time", bestTime, 188)}) {
        std::string text = format("%s: %.2f s", label, seconds);
        const int x = kCentre - static_cast<int>(text.size()) * kSize / 2;
        lines.push_back({std::move(text), x, y, kSize, brown});
    }
    return lines;
}

std::vector<HudLine> debugRowLines(const RenderSwitches& s) {
    const char* mipmap = s.mipmapMode == 0 ? "off" : s.mipmapMode == 1 ? "nearest" : "linear";
    const struct {
        int x;
        const char* label;
        const char* value;
    } columns[] = {
        {10, "Wire Mode", onOff(s.wireframe)},
        {140, "Tex Qual.", s.bilinearFiltering ? "bilinear" : "nearest"},
        {270, "MipMap", mipmap},
        {370, "Fly", onOff(s.flyMode)},
        {450, "Show", s.switchedTerrainShader ? "all" : "none"},
        {540, "Frustum Cul.", onOff(s.frustumCulling)},
        {680, "Transpar.", onOff(s.transparency)},
    };
    std::vector<HudLine> lines;
    for (const auto& column : columns) {
        lines.push_back({column.label, column.x, 20, 10, kHudBlack});
        lines.push_back({format("%s", column.value), column.x, 10, 10, kHudBlack});
    }
    return lines;
}
