// Paint as a sparse virtual texture: a splat is paid for once, when it lands, not in every
// frame after. The road of one splat:
// - It lands (game/Impacts.cpp): a projector record with its reach, the walls and terrain cells
//   it can paint (scene/SplatReach.h).
// - update finds the tiles of those surfaces it reaches, one world unit square each, and keeps
//   those it shows on (SplatTiles.h, judged from the splat image's alpha on the processor).
// - A tile new to paint gets a slot in the coarse pages, kept for the whole game, and one in the
//   fine pages while there is room (SlotPool.h, PhysicalPages.h); the page table records both
//   (PageTable.h) and the GPU's index texture follows it.
// - The baker draws the splat onto each of its tiles' slots (PaintBake.h): coverage in alpha,
//   the earliest splat's colour where splats overlap.
// - As the camera moves, tiles within reach get fine slots back, the nearest first, a few each
//   frame, the coarse paint showing meanwhile (Residency.h).
// - The receiving program (Shader/shadowmapping.*) finds a pixel's tile in the index, its slot
//   in the pages, and lights the paint with the surface; walls are drawn in pieces and the
//   terrain in runs so that only painted pixels pay for it (PaintPieces.h).
// A splat whose tiles cannot be had (the coarse pages are full) is left to the splat pass, which
// draws it every frame.
#pragma once

#include <GL/glew.h>

#include <memory>
#include <unordered_map>
#include <vector>

#include "render/paint/PageTable.h"
#include "render/paint/PaintBake.h"
#include "render/paint/PaintPieces.h"
#include "render/paint/PhysicalPages.h"
#include "render/paint/Residency.h"
#include "render/paint/SlotPool.h"
#include "scene/SurfaceGrids.h"

class Texture;
struct AlphaMask;
struct Projection;

class PaintTexture {
public:
    // mostFineLayers: how many tiles may keep fine paint at once; mostCoarseLayers limits the
    // coarse pages below what the GPU and the index allow (16 tiles a layer).
    explicit PaintTexture(const kesto::scene::SurfaceGrids& grids,
                          int mostFineLayers = kMostFineLayers, int mostCoarseLayers = 1 << 30);
    ~PaintTexture();
    PaintTexture(const PaintTexture&) = delete;
    PaintTexture& operator=(const PaintTexture&) = delete;

    // Bakes the splats added since the last call, then gives the tiles near the camera their
    // fine paint, at most fineTilesPerUpdate of them (fineTilesAfterAJump from a jump of the
    // camera till they all have it).
    void update(const std::vector<Projection>& splats, vec3 camera, const Texture* splatImage,
                const kesto::scene::HeightMapObject& terrain,
                const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls);
    // The splats the pages hold (in throw order, each true when baked).
    const std::vector<bool>& baked() const { return bakedSplats; }

    GLuint pages(PaintKind kind) const;
    GLuint index() const { return indexTexture; }
    const std::vector<kesto::scene::TerrainRun>& terrainRuns(PaintKind kind) const {
        return runs[static_cast<int>(kind)];
    }
    const std::vector<WallPiece>& wallPieces(size_t wall) const { return pieces[wall]; }
    // How a wall drawn whole draws its paint.
    PaintKind wallKind(size_t wall) const;
    vec4 terrainPlace() const { return table.terrainPlace(); }
    vec4 wallPlace(size_t wall) const { return table.wallPlace(wall); }
    // The painted tiles, for looking into.
    const std::unordered_map<int, TileRecord>& tiles() const { return tileRecords; }

    // Whether every tile in reach that can have fine paint has it.
    bool fineSettled() const { return !fineStale; }

    int fineTilesPerUpdate = kFineTilesPerUpdate, fineTilesAfterAJump = kFineTilesAfterAJump;

private:
    void forget();
    std::vector<BakeDraw> bakeNew(const std::vector<Projection>& splats, const AlphaMask& mask,
                                  vec2 eye, const PaintSurfaces& surfaces);
    TileRecord& addTile(const PaintedTile& place, float distance, std::vector<BakeDraw>& draws);
    std::vector<BakeDraw> refine(vec3 camera, int budget, const PaintSurfaces& surfaces);
    void setEntry(const TileRecord& tile);
    void countWallTile(const TileRecord& tile, int tiles, int fineTiles);
    void uploadIndex();
    void findPieces();

    kesto::scene::SurfaceGrids grids;
    PageTable table;
    SlotPool fineSlots, coarseSlots;
    PageArray finePages{kFineTexels}, coarsePages{kCoarseTexels};
    std::unique_ptr<PaintBaker> baker;
    GLuint indexTexture = 0;
    std::unordered_map<int, TileRecord> tileRecords;  // by their entry's key in the table
    std::vector<kesto::scene::TerrainRun> runs[kPaintKinds];
    std::vector<std::vector<WallPiece>> pieces;
    std::vector<int> wallTiles, wallFineTiles;  // per wall: painted tiles, and those fine
    bool piecesStale = true;
    std::vector<bool> bakedSplats;
    mat4 lastBaked{0.0f};     // the last splat baked: the list is still the same while it is there
    vec3 lastLook{1e9f};      // the camera when the fine tiles were last chosen
    vec3 lastCamera{1e9f};    // the camera at the last update
    bool catchingUp = false;  // since a jump, till the tiles in reach have their fine paint
    bool fineStale = true;
};
