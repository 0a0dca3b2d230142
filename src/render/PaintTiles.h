// Paint kept on the surfaces it landed on, so that a splat is paid for once, when it lands, not
// in every frame after. Each surface is cut into square tiles of one world unit: the terrain by
// world (x, z), each wall face by (along, up) as its stone courses. A tile gets a layer of one
// texture array the first time paint reaches it; the receiving program finds the layer through
// an index texture and lights the paint itself. The paint is drawn "over" in throw order, with
// premultiplied colour, so a later splat covers an earlier one.
#pragma once

#include <GL/glew.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Math.h"
#include "render/SplatReach.h"

class Shader;
struct Projection;
struct PaintedTile;
namespace kesto::scene {
class HeightMapObject;
class WallObject;
}  // namespace kesto::scene

// Near the splat image's own density where it lands (256 texels over 3.3 units), with a texel
// of the neighbouring tiles' paint round the edge.
constexpr int kPaintTileTexels = 80;
constexpr float kPaintTileUnits = 1.0f;
// Rows of tiles a wall face has: the wall box's height; faces front, back, top and the ends.
constexpr int kWallFaceRows = 7;
constexpr int kWallFaces = 4;
// The two above for the programs, as #defines.
std::string paintTileDefines();
// Layers are allocated as paint arrives, this many at a time: the driver clears what it
// allocates, so every layer costs memory from the start and doubling would waste up to half.
constexpr int kPaintLayerStep = 128;
// Splats baked between checks for tiles they left without paint, whose layers go back.
constexpr size_t kSplatsPerBake = 16;

// The tiles of a surface a box of surface coordinates overlaps: columns from .. to, rows from
// .. to, clamped to the grid; false when it misses the grid.
struct TileSpan {
    int column = 0, lastColumn = -1, row = 0, lastRow = -1;
};
TileSpan tileSpanOf(vec2 low, vec2 high, vec2 origin, int columns, int rows);

class PaintTiles {
public:
    PaintTiles(const kesto::scene::HeightMapObject& terrain,
               const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls);
    ~PaintTiles();
    PaintTiles(const PaintTiles&) = delete;
    PaintTiles& operator=(const PaintTiles&) = delete;

    // Bakes the splats added since the last call, all in one go; a splat whose tiles cannot be
    // had (the array is full) is left for the splat pass to draw every frame.
    void bakeNew(const std::vector<Projection>& splats, GLuint splatTexture,
                 const kesto::scene::HeightMapObject& terrain,
                 const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls);
    // The splats the tiles hold (in throw order, each true when baked).
    const std::vector<bool>& baked() const { return bakedSplats; }

    GLuint layers() const { return layerTexture; }
    GLuint index() const { return indexTexture; }
    // The terrain's cells on painted tiles, and the others: only the first need the paint.
    const std::vector<TerrainRun>& paintedTerrain() const { return paintedRuns; }
    const std::vector<TerrainRun>& plainTerrain() const { return plainRuns; }
    bool wallPainted(size_t wall) const { return wall < wallTiles.size() && wallTiles[wall] > 0; }
    // The receiving program's paint_place for the terrain or a wall.
    vec4 terrainPlace() const;
    vec4 wallPlace(size_t wall) const;

private:
    struct Tile;
    // Where a wall's tiles start in the index: its first column and row.
    glm::ivec2 wallCorner(size_t wall) const;
    std::vector<PaintedTile> tilesOf(
        const Projection& splat,
        const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) const;
    int tileAt(int column, int row);  // the tile's layer, allocated on first paint; -1 if full
    void setIndex(int column, int row, GLushort texel);
    void release(const Tile& tile);
    bool grow();
    GLuint allocateLayers(int count) const;
    void forget();
    void bakeBatch(const std::vector<Projection>& splats, size_t end, GLuint splatTexture,
                   const kesto::scene::HeightMapObject& terrain,
                   const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls,
                   std::set<int>& changed);
    void buildMipmaps(const std::set<int>& layers);
    void findTerrainRuns();

    std::unique_ptr<Shader> bakeProgram;
    GLuint layerTexture = 0, indexTexture = 0, framebuffer = 0, readFramebuffer = 0;
    int levels = 1, capacity = 0, highestLayer = 0, usedLayers = 0, maxLayers = 0;
    std::vector<int> freeLayers;  // below highestLayer, given back by tiles left unpainted
    vec2 terrainOrigin{0.0f};
    int indexWidth = 0, terrainRows = 0, indexRows = 0, wallColumns = 0, wallsPerBand = 1;
    std::vector<GLushort> indexTexels;  // layer + 1 per tile, 0 where unpainted
    // The terrain's cells: how many, and the tile of the first.
    int cellColumns = 0, cellRows = 0, firstCellColumn = 0, firstCellRow = 0;
    std::vector<TerrainRun> paintedRuns, plainRuns;
    std::vector<int> wallTiles;
    std::vector<bool> bakedSplats;
    mat4 lastBaked{0.0f};  // the last splat baked: the list is still the same while it is there
};
