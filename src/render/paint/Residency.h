// Which painted tiles keep fine paint: those nearest the camera, worked out without GL. The
// coarse paint of every tile shows until its fine paint is baked.
#pragma once

#include <vector>

#include "render/paint/SlotPool.h"
#include "render/paint/SplatTiles.h"

// A painted tile: where it lies, the splats on it in throw order, and its slots (-1: none).
struct TileRecord {
    PaintedTile place;
    std::vector<int> splats;
    int fineSlot = -1, coarseSlot = -1;
    float distance = 0.0f;  // from the camera at the last look
};

// How far a tile is from the eye on the ground: a terrain tile from its middle, a wall's from
// the wall's nearest point.
float tileDistance(const PaintedTile& tile, vec2 eye, const PaintSurfaces& surfaces);

// The tiles that got a fine slot this time (their fine paint is to be baked), nearest first,
// and those that gave theirs up; complete is false when the budget left some for next time.
struct FineChoice {
    std::vector<TileRecord*> promoted, demoted;
    bool complete = true;
};

// Gives tiles within reach of the camera (by their distance) a fine slot, the nearest first and
// at most budget of them; when the pool is full, the farthest fine tile makes room for a nearer
// one.
FineChoice chooseFineTiles(const std::vector<TileRecord*>& tiles, SlotPool& fineSlots, int budget);
