// The layout every part of the paint texture agrees on, the shaders too: how big a tile is, how
// a slot holds one, how the wall faces are numbered.
#pragma once

#include "Math.h"
#include "scene/WallBox.h"

// How a tile's paint is kept in a slot: texels across the tile, texels of the neighbouring
// tiles' paint round them (for the filters), and slots along each side of a layer.
struct TileTexels {
    int inner, border, perSide;
    constexpr int slotSide() const { return inner + 2 * border; }
    constexpr int layerSide() const { return slotSide() * perSide; }
    constexpr int slotsPerLayer() const { return perSide * perSide; }
};
// Four fifths of the splat image's own density where it lands (256 texels over 3.3 units): with
// its border a slot is 64 texels, and a game's fine paint keeps within its memory.
constexpr TileTexels kFineTexels{62, 1, 1};
// Enough for paint seen from afar; sixteen tiles to a layer.
constexpr TileTexels kCoarseTexels{24, 2, 4};
constexpr float kPaintTileUnits = 1.0f;

// How a surface draws its paint: not at all, fine or coarse.
enum class PaintKind { None = 0, Fine = 1, Coarse = 2 };
constexpr int kPaintKinds = 3;

// A wall's faces as its tiles number them. The ends share a number: they face opposite ways,
// and a projector can paint only one of them.
enum WallFaceNumber { kFrontFace = 0, kBackFace = 1, kTopFace = 2, kEndFaces = 3, kWallFaces = 4 };
// The bottom is never seen and takes no paint.
constexpr int kUnpaintedFace = -1;
// Rows of tiles a wall face has: the wall box's height.
constexpr int kWallFaceRows = static_cast<int>((kWallBoxMax[1] - kWallBoxMin[1]) / kPaintTileUnits);
// The top's across coordinate is moved by this, so that the thin top lies inside one row.
constexpr float kTopAcross = 0.5f;

// A surface's tiles: the terrain's, or a wall's face (wall * kWallFaces + face).
constexpr int kTerrainSurface = -1;
inline int wallSurface(size_t wall, int face) { return static_cast<int>(wall) * kWallFaces + face; }
inline size_t wallOfSurface(int surface) { return static_cast<size_t>(surface / kWallFaces); }
inline int faceOfSurface(int surface) { return surface % kWallFaces; }

// Where the point local of a wall's box lies on its face's (along, up) coordinates, or (along,
// across) on the top; length is the wall's foot length.
inline vec2 faceCoordinate(vec3 local, float length, int face) {
    if (face == kTopFace) return vec2(local.x * length, local.z + kTopAcross);
    return vec2(local.x * length + local.z, local.y);
}

// Tiles this near the camera (walls by their nearest point) get their fine paint, the nearest
// first, as many as the fine layers hold.
constexpr float kFinePaintReach = 14.0f;
constexpr int kMostFineLayers = 768;
// Tiles coming into reach get their fine paint this many at a time, so that no frame bakes much
// more than the others; the coarse paint shows meanwhile. On a software rasteriser a tile costs
// a few tenths of a millisecond, mostly waits for each of its levels: four a frame keep up
// with a walk and stay out of sight in its frame times.
constexpr int kFineTilesPerUpdate = 4;
// After a jump to a new place (the camera this far from where the last frame had it) each
// frame takes more till they all have it, so that the detail round the new place comes in a
// few frames.
constexpr float kJumpDistance = 3.0f;
constexpr int kFineTilesAfterAJump = 32;
