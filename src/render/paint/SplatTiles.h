// Which tiles a splat paints, worked out without GL: the tiles its reach overlaps on the terrain
// and on each wall face it can paint, less those it leaves bare.
#pragma once

#include <memory>
#include <vector>

#include "Math.h"
#include "render/paint/PageTable.h"
#include "scene/SurfaceGrids.h"

struct AlphaMask;
struct Projection;
namespace kesto::scene {
class HeightMapObject;
class WallObject;
}  // namespace kesto::scene

// The surfaces paint lands on, as the paint texture sees them.
struct PaintSurfaces {
    const kesto::scene::HeightMapObject& terrain;
    const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls;
    const kesto::scene::SurfaceGrids& grids;
};

// A tile a splat paints: its entry in the page table, the surface it lies on and its corner in
// that surface's coordinates.
struct PaintedTile {
    TileEntry entry;
    int surface = kTerrainSurface;
    vec2 corner{0.0f};
};

// Every tile the splat's reach overlaps, on the terrain and on each wall face it can paint.
std::vector<PaintedTile> tilesReachedBy(const Projection& splat, const PageTable& table,
                                        const PaintSurfaces& surfaces);

// Whether any of the splat's paint shows on the tile, judged where the bake would paint it: the
// terrain's cell, or the part of the wall's face inside the tile.
bool splatShowsOn(const Projection& splat, const PaintedTile& tile, const AlphaMask& mask,
                  const PaintSurfaces& surfaces);
