// How the receivers draw the surfaces so that only painted pixels pay for the paint, worked out
// from the page table without GL: the terrain's cells in runs by their kind of paint, a wall in
// pieces.
#pragma once

#include <vector>

#include "render/paint/PageTable.h"
#include "scene/HeightMapObject.h"

namespace kesto::scene {
struct SurfaceGrids;
}  // namespace kesto::scene

// A piece of a wall's box: from .. to as fractions of its length, bottom .. top as its height;
// and how its paint is drawn.
struct WallPiece {
    float from = 0.0f, to = 1.0f;
    float bottom = kWallBoxMin[1], top = kWallBoxMax[1];
    PaintKind kind = PaintKind::None;
};

// The terrain's cells, each in the run of its kind of paint (runs[kind]).
void findTerrainRuns(const PageTable& table, const kesto::scene::SurfaceGrids& grids,
                     std::vector<kesto::scene::TerrainRun> (&runs)[kPaintKinds]);

// A wall of the given length whose tiles draw their paint as kind, in pieces: the stretches of
// tiles with paint drawn with it, the rest without; together they cover the box once.
std::vector<WallPiece> wallPiecesOf(const PageTable& table, size_t wall, float length,
                                    PaintKind kind);
