#include "render/paint/PaintTexture.h"

#include <algorithm>

#include "assets/Texture.h"
#include "game/Projection.h"
#include "platform/Memory.h"
#include "render/paint/PaintBake.h"
#include "render/paint/SplatCoverage.h"

namespace {

// Fine layers are allocated 128 at a time, coarse ones 16 (256 tiles).
constexpr int kFineLayersPerStep = 128;
constexpr int kCoarseLayersPerStep = 16;
// Slots are numbered by 16 bits in the index.
constexpr int kMostCoarseSlots = 65535;
// The camera moves this far before the fine tiles are chosen again.
constexpr float kLookAgainAfter = 0.25f;

int gpuLimit(GLenum limit) {
    GLint value = 0;
    glGetIntegerv(limit, &value);
    return value;
}

}  // namespace

PaintTexture::PaintTexture(const kesto::scene::SurfaceGrids& grids, int mostFineLayers,
                           int mostCoarseLayers)
    : grids(grids),
      table(grids),
      fineSlots(kFineTexels.slotsPerLayer(), kFineLayersPerStep,
                std::min(mostFineLayers, gpuLimit(GL_MAX_ARRAY_TEXTURE_LAYERS))),
      coarseSlots(kCoarseTexels.slotsPerLayer(), kCoarseLayersPerStep,
                  std::min({mostCoarseLayers, gpuLimit(GL_MAX_ARRAY_TEXTURE_LAYERS),
                            kMostCoarseSlots / kCoarseTexels.slotsPerLayer()})),
      pieces(grids.wallLengths.size(), std::vector<WallPiece>(1)),
      wallTiles(grids.wallLengths.size(), 0),
      wallFineTiles(grids.wallLengths.size(), 0) {
    // An index too large for the GPU leaves every splat to the splat pass.
    const int most = gpuLimit(GL_MAX_TEXTURE_SIZE);
    if (table.width() > most || table.rows() > most) return;
    glGenTextures(1, &indexTexture);
    glBindTexture(GL_TEXTURE_2D, indexTexture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RG16UI, table.width(), table.rows(), 0, GL_RG_INTEGER,
                 GL_UNSIGNED_SHORT, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    uploadIndex();
    baker = std::make_unique<PaintBaker>();
    findPieces();
}

PaintTexture::~PaintTexture() { glDeleteTextures(1, &indexTexture); }

GLuint PaintTexture::pages(PaintKind kind) const {
    return kind == PaintKind::Coarse ? coarsePages.texture() : finePages.texture();
}

PaintKind PaintTexture::wallKind(size_t wall) const {
    if (wall >= wallTiles.size() || wallTiles[wall] == 0) return PaintKind::None;
    return wallFineTiles[wall] == wallTiles[wall] ? PaintKind::Fine : PaintKind::Coarse;
}

void PaintTexture::setEntry(const TileRecord& tile) {
    table.set(tile.place.entry, tile.fineSlot, tile.coarseSlot);
    piecesStale = true;
}

void PaintTexture::countWallTile(const TileRecord& tile, int tiles, int fineTiles) {
    if (tile.place.surface == kTerrainSurface) return;
    const size_t wall = wallOfSurface(tile.place.surface);
    wallTiles[wall] += tiles;
    wallFineTiles[wall] += fineTiles;
}

// The entries changed since the last upload, or the whole table after it was cleared.
void PaintTexture::uploadIndex() {
    const bool whole = table.takeCleared();
    const std::vector<TileEntry> changed = table.takeChanged();
    if (!indexTexture || (!whole && changed.empty())) return;
    glBindTexture(GL_TEXTURE_2D, indexTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    if (whole) {
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, table.width(), table.rows(), GL_RG_INTEGER,
                        GL_UNSIGNED_SHORT, table.entries().data());
    } else {
        for (const TileEntry& entry : changed) {
            glTexSubImage2D(GL_TEXTURE_2D, 0, entry.column, entry.row, 1, 1, GL_RG_INTEGER,
                            GL_UNSIGNED_SHORT, &table.entries()[table.key(entry) * 2]);
        }
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);
}

void PaintTexture::findPieces() {
    findTerrainRuns(table, grids, runs);
    for (size_t wall = 0; wall < pieces.size(); ++wall)
        pieces[wall] = wallPiecesOf(table, wall, grids.wallLengths[wall], wallKind(wall));
    piecesStale = false;
}

void PaintTexture::forget() {
    table.clear();
    tileRecords.clear();
    fineSlots.clear();
    coarseSlots.clear();
    std::fill(wallTiles.begin(), wallTiles.end(), 0);
    std::fill(wallFineTiles.begin(), wallFineTiles.end(), 0);
    bakedSplats.clear();
    piecesStale = fineStale = true;
}

// A tile new to paint: its coarse slot, and a fine one while there is room (residency takes it
// back for a nearer tile), both cleared first.
TileRecord& PaintTexture::addTile(const PaintedTile& place, float distance,
                                  std::vector<BakeDraw>& draws) {
    TileRecord& tile = tileRecords[table.key(place.entry)];
    tile.place = place;
    tile.distance = distance;
    tile.coarseSlot = coarseSlots.take();
    tile.fineSlot = fineSlots.take();
    draws.push_back({&coarsePages, tile.coarseSlot, -1, &tile});
    if (tile.fineSlot >= 0) draws.push_back({&finePages, tile.fineSlot, -1, &tile});
    countWallTile(tile, 1, tile.fineSlot >= 0 ? 1 : 0);
    setEntry(tile);
    return tile;
}

std::vector<BakeDraw> PaintTexture::bakeNew(const std::vector<Projection>& splats,
                                            const AlphaMask& mask, vec2 eye,
                                            const PaintSurfaces& surfaces) {
    std::vector<BakeDraw> draws;
    for (size_t i = bakedSplats.size(); i < splats.size(); ++i) {
        const Projection& splat = splats[i];
        std::vector<PaintedTile> reached = tilesReachedBy(splat, table, surfaces);
        int needed = 0;
        // The projector's square reaches tiles its splat leaves bare: those are not taken.
        const auto isNew = [&](const PaintedTile& t) {
            return tileRecords.count(table.key(t.entry)) == 0;
        };
        reached.erase(std::remove_if(reached.begin(), reached.end(),
                                     [&](const PaintedTile& t) {
                                         return isNew(t) && !splatShowsOn(splat, t, mask, surfaces);
                                     }),
                      reached.end());
        for (const PaintedTile& t : reached) needed += isNew(t);
        if (!splat.reachKnown || needed > coarseSlots.room()) {
            bakedSplats.push_back(false);
            continue;
        }
        for (const PaintedTile& t : reached) {
            TileRecord& tile = isNew(t) ? addTile(t, tileDistance(t, eye, surfaces), draws)
                                        : tileRecords[table.key(t.entry)];
            tile.splats.push_back(static_cast<int>(i));
            draws.push_back({&coarsePages, tile.coarseSlot, static_cast<int>(i), &tile});
            if (tile.fineSlot >= 0)
                draws.push_back({&finePages, tile.fineSlot, static_cast<int>(i), &tile});
        }
        bakedSplats.push_back(true);
    }
    fineStale = fineStale || !draws.empty();
    return draws;
}

// The tiles nearest the camera that lack their fine paint get it; the draws that bake it.
std::vector<BakeDraw> PaintTexture::refine(vec3 camera, int budget, const PaintSurfaces& surfaces) {
    std::vector<BakeDraw> draws;
    fineStale = fineStale && !tileRecords.empty();
    if (tileRecords.empty() || (!fineStale && glm::distance(camera, lastLook) < kLookAgainAfter))
        return draws;
    lastLook = camera;
    const vec2 eye(camera.x, camera.z);
    std::vector<TileRecord*> all;
    for (auto& [key, tile] : tileRecords) {
        tile.distance = tileDistance(tile.place, eye, surfaces);
        all.push_back(&tile);
    }
    const FineChoice choice = chooseFineTiles(all, fineSlots, budget);
    fineStale = !choice.complete;
    for (TileRecord* tile : choice.demoted) {
        countWallTile(*tile, 0, -1);
        setEntry(*tile);
    }
    for (TileRecord* tile : choice.promoted) {
        countWallTile(*tile, 0, 1);
        setEntry(*tile);
        draws.push_back({&finePages, tile->fineSlot, -1, tile});
        for (const int splat : tile->splats)
            draws.push_back({&finePages, tile->fineSlot, splat, tile});
    }
    return draws;
}

void PaintTexture::update(const std::vector<Projection>& splats, vec3 camera,
                          const Texture* splatImage, const kesto::scene::HeightMapObject& terrain,
                          const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) {
    const bool sameSplats =
        splats.size() >= bakedSplats.size() &&
        (bakedSplats.empty() || splats[bakedSplats.size() - 1].textureMatrix == lastBaked);
    // The splats were cleared (a new game): their paint goes.
    if (!sameSplats) forget();
    if (!splats.empty()) lastBaked = splats.back().textureMatrix;
    // Without an index every splat is the splat pass's.
    if (!baker) {
        bakedSplats.resize(splats.size(), false);
        return;
    }
    const PaintSurfaces surfaces{terrain, walls, grids};
    static const AlphaMask kNoMask;
    std::vector<BakeDraw> draws = bakeNew(splats, splatImage ? splatImage->mask : kNoMask,
                                          vec2(camera.x, camera.z), surfaces);
    catchingUp = catchingUp || glm::distance(camera, lastCamera) > kJumpDistance;
    lastCamera = camera;
    std::vector<BakeDraw> fine =
        refine(camera, catchingUp ? fineTilesAfterAJump : fineTilesPerUpdate, surfaces);
    catchingUp = catchingUp && fineStale;
    draws.insert(draws.end(), fine.begin(), fine.end());
    // Switching the render target costs a flush: only when there is paint to bake.
    const bool baking = !draws.empty();
    const bool growing =
        finePages.layers() < fineSlots.layers() || coarsePages.layers() < coarseSlots.layers();
    if (baking) {
        finePages.resize(fineSlots.layers());
        coarsePages.resize(coarseSlots.layers());
        const BakeScope scope(*baker, splatImage);
        baker->draw(draws, splats, surfaces);
        baker->finish(finePages, coarsePages);
    }
    uploadIndex();
    if (piecesStale) findPieces();
    // The driver frees its staging memory once new pages are filled.
    if (growing) returnFreedMemory();
}
