// Paint kept on the surfaces it landed on, so that a splat is paid for once, when it lands, not
// in every frame after. Each surface is cut into square tiles of one world unit: the terrain by
// world (x, z), each wall face by (along, up) as its stone courses. A painted tile keeps its
// paint twice: coarse, for the whole game, in one of the sixteen slots of an atlas layer; and
// fine, near the camera only, in a layer of its own, baked again from the tile's splats when
// the camera comes near. The receiving program finds either through an index texture and
// lights the paint itself.
#pragma once

#include <GL/glew.h>

#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "Math.h"
#include "scene/SplatReach.h"

class Shader;
class Texture;
struct AlphaMask;
struct Projection;
struct PaintedTile;
namespace kesto::scene {
class HeightMapObject;
class WallObject;
struct SurfaceGrids;
}  // namespace kesto::scene

// How tiles keep their paint: texels per tile, texels of the neighbouring tiles' paint round
// them (for the filters), and tiles along each side of a layer.
struct TileTexels {
    int inner, border, perSide;
    int slot() const { return inner + 2 * border; }
    int side() const { return slot() * perSide; }
};
// Near the splat image's own density where it lands (256 texels over 3.3 units).
constexpr TileTexels kFineTexels{78, 1, 1};
// Enough for paint seen from afar; sixteen tiles to a layer.
constexpr TileTexels kCoarseTexels{24, 2, 4};
constexpr float kPaintTileUnits = 1.0f;
// Tiles this near the camera (walls by their nearest point) get their fine paint, the nearest
// first, as many as the fine layers hold.
constexpr float kFinePaintReach = 14.0f;
constexpr int kMostFineLayers = 1024;
// Rows of tiles a wall face has: the wall box's height; faces front, back, top and the ends.
constexpr int kWallFaceRows = static_cast<int>((kWallBoxMax[1] - kWallBoxMin[1]) / kPaintTileUnits);
constexpr int kWallFaces = 4;

// How a receiver draws its paint: not at all, fine or coarse.
enum class PaintKind { None = 0, Fine = 1, Coarse = 2 };
// The receiving program's #defines for a kind of paint.
std::string paintTileDefines(PaintKind kind);

// A piece of a wall's box: from .. to as fractions of its length, bottom .. top as its height;
// and how its paint is drawn.
struct WallPiece {
    float from = 0.0f, to = 1.0f;
    float bottom = kWallBoxMin[1], top = kWallBoxMax[1];
    PaintKind kind = PaintKind::None;
};

// The tiles of a surface a box of surface coordinates overlaps: columns from .. to, rows from
// .. to, clamped to the grid; false when it misses the grid.
struct TileSpan {
    int column = 0, lastColumn = -1, row = 0, lastRow = -1;
};
TileSpan tileSpanOf(vec2 low, vec2 high, vec2 origin, int columns, int rows);

class PaintTiles {
public:
    // mostFineLayers: how many tiles may keep fine paint at once.
    explicit PaintTiles(const kesto::scene::SurfaceGrids& grids,
                        int mostFineLayers = kMostFineLayers);
    ~PaintTiles();
    PaintTiles(const PaintTiles&) = delete;
    PaintTiles& operator=(const PaintTiles&) = delete;

    // Bakes the splats added since the last call, all in one go, then gives the tiles near the
    // camera their fine paint. A splat whose tiles cannot be had (the atlas is full) is left
    // for the splat pass to draw every frame.
    void update(const std::vector<Projection>& splats, vec3 camera, const Texture* splatImage,
                const kesto::scene::HeightMapObject& terrain,
                const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls);
    // The splats the tiles hold (in throw order, each true when baked).
    const std::vector<bool>& baked() const { return bakedSplats; }

    GLuint layers(PaintKind kind) const;
    GLuint index() const { return indexTexture; }
    // The terrain's cells by how their paint is drawn.
    const std::vector<TerrainRun>& terrainRuns(PaintKind kind) const {
        return runs[static_cast<int>(kind)];
    }
    // A wall in pieces: the stretches of tiles with paint drawn with its paint, the rest
    // without, so that only painted pixels pay for the paint.
    const std::vector<WallPiece>& wallPieces(size_t wall) const { return pieces[wall]; }
    // How a wall drawn whole draws its paint.
    PaintKind wallKind(size_t wall) const;
    // The receiving program's paint_place for the terrain or a wall.
    vec4 terrainPlace() const;
    vec4 wallPlace(size_t wall) const;

private:
    // Layers of one density and the slots in them handed out to tiles.
    struct LayerArray {
        TileTexels texels{0, 0, 1};
        int step = 0, most = 0, levels = 1;
        GLuint texture = 0;
        int capacity = 0, highest = 0;  // layers allocated, slots handed out
        std::vector<int> spare;         // slots below highest given back
        int take();                     // a slot, or -1 when the array is full
        void give(int slot);
        int layerOf(int slot) const { return slot / (texels.perSide * texels.perSide); }
        bool grow();
        void copyLayers(GLuint from, GLuint to) const;
    };
    struct Tile {
        int column = 0, row = 0, surface = 0;
        vec2 corner{0.0f};
        std::vector<int> splats;  // in throw order
        int fine = -1, coarse = -1;
        float distance = 0.0f;  // from the camera at the last look
    };
    // One splat drawn on one tile's slot, or the slot cleared first.
    struct Draw {
        LayerArray* array;
        int slot;
        int splat;  // -1: clear the slot
        const Tile* tile;
    };

    glm::ivec2 wallCorner(size_t wall) const;  // where a wall's tiles start in the index
    std::vector<PaintedTile> tilesOf(
        const Projection& splat,
        const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) const;
    void writeIndex(const Tile& tile, bool painted);
    void forget();
    void bakeNew(const std::vector<Projection>& splats, const AlphaMask& mask,
                 const kesto::scene::HeightMapObject& terrain,
                 const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls);
    bool showsOn(const Projection& splat, const PaintedTile& tile, const AlphaMask& mask,
                 const kesto::scene::HeightMapObject& terrain,
                 const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls) const;
    std::vector<Draw> refine(vec3 camera,
                             const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls);
    void drawAll(std::vector<Draw>& draws, const std::vector<Projection>& splats,
                 const kesto::scene::HeightMapObject& terrain,
                 const std::vector<std::unique_ptr<kesto::scene::WallObject>>& walls);
    void buildMipmaps(LayerArray& array, const std::set<int>& layers);
    void findRuns();
    void findWallPieces(size_t wall);

    std::unique_ptr<Shader> bakeProgram;
    GLuint indexTexture = 0, framebuffer = 0, readFramebuffer = 0;
    LayerArray fine, coarse;
    std::set<int> changedFine, changedCoarse;  // layers whose mipmaps are out of date
    vec2 terrainOrigin{0.0f}, wallOrigin{0.0f};
    int indexWidth = 0, terrainRows = 0, indexRows = 0, wallColumns = 0, wallsPerBand = 1;
    // Per tile: fine layer + 1 and coarse slot + 1, 0 where there is none.
    std::vector<GLushort> indexTexels;
    std::unordered_map<int, Tile> painted;  // by index position, row * indexWidth + column
    // The terrain's cells: how many, and the tile of the first.
    int cellColumns = 0, cellRows = 0, firstCellColumn = 0, firstCellRow = 0;
    std::vector<TerrainRun> runs[3];
    std::vector<std::vector<WallPiece>> pieces;
    std::vector<float> wallLengths;
    bool runsStale = true;
    std::vector<int> wallTiles, wallFineTiles;
    std::vector<bool> bakedSplats;
    mat4 lastBaked{0.0f};  // the last splat baked: the list is still the same while it is there
    vec3 lastLook{1e9f};   // the camera when the fine tiles were last chosen
    bool fineStale = true;
};
