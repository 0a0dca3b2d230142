// What the frame shows, worked out without drawing: the HUD lines, the debug row and the
// ticking rule. Game::renderFrame prints and applies them.
#pragma once

#include <string>
#include <vector>

#include "GameRules.h"
#include "Math.h"

class Game;

const vec3 kHudBlack(0.0f, 0.0f, 0.0f);
const vec3 kHudRed(1.0f, 0.0f, 0.0f);

// One string of the overlay, in the 800 x 600 layout space.
struct HudLine {
    std::string text;
    int x = 0;
    int y = 0;
    int size = 0;
    vec3 colour{0.0f};
};

// The Game fields the HUD reads.
struct HudState {
    double elapsedTime = 0.0;
    int ballsLeft = 0;
    float goalDistance = -1.0f;
    bool showFrameTime = false;
    double frameTime = 0.0;
};

// The switches the debug row shows.
struct RenderSwitches {
    bool wireframe = false;
    bool bilinearFiltering = true;
    int mipmapMode = 2;
    bool flyMode = false;
    bool switchedTerrainShader = false;
    bool frustumCulling = true;
    bool transparency = true;
};

HudState hudStateOf(const Game& game);
RenderSwitches renderSwitchesOf(const Game& game);

// Whole seconds of play left, truncated.
int remainingSeconds(double elapsedTime);
// The clock starts ticking (again) once fewer than 16 seconds are left.
bool clockShouldTick(bool tickingPaused, int remaining);
// Clock, balls left, distance (when measured) and frame time (when switched on), in print order.
std::vector<HudLine> hudLines(const HudState& state);
// The win poster's two lines under its text: this run's time and the best kept, centred.
std::vector<HudLine> winPosterLines(double winTime, double bestTime);
// Seven columns of label (upper) and value (lower).
std::vector<HudLine> debugRowLines(const RenderSwitches& switches);
