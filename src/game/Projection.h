// Paint splats: each one a projector that paints the splat image onto walls and terrain.
#pragma once

#include <vector>

#include "Math.h"

// A surface a splat's paint can reach: a wall (its index in the game's walls) or the terrain
// (-1), with points whose convex hull holds every point of that surface the paint can land on.
struct SplatSurface {
    int wall = -1;
    std::vector<vec3> hull;
};

// A stretch of terrain cells in one grid row: columns cells from (column, row) on.
struct TerrainRun {
    int row = 0;
    int column = 0;
    int columns = 0;
};

struct Projection {
    vec3 projectorPosition{0.0f};
    vec3 position{0.0f};
    mat4 textureMatrix{1.0f};
    bool onTerrain = false;
    // Where the paint can land, found when the splat is added (render/SplatReach.h): the walls
    // it can reach and the terrain cells under it. The splat pass draws only those, each only
    // where its hull shows on the screen. A record without it (reachKnown false) paints over
    // every wall and the whole terrain.
    bool reachKnown = false;
    std::vector<SplatSurface> reachedWalls;
    SplatSurface terrainReach;
    std::vector<TerrainRun> terrainRuns;
};

// Every splat of the run, in the order they were added; it only grows while the game runs.
extern std::vector<Projection> projections;
