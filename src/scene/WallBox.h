// The maze wall's box in its own space: x 0 to 1 along the wall, y 3 below to 4 above its foot,
// 0.1 thick. The wall mesh is made from it, and whatever needs a wall's shape reads it here.
#pragma once

constexpr float kWallBoxMin[3] = {0.0f, -3.0f, -0.05f};
constexpr float kWallBoxMax[3] = {1.0f, 4.0f, 0.05f};
