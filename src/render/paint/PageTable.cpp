#include "render/paint/PageTable.h"

#include <algorithm>
#include <cmath>

#include "scene/SurfaceGrids.h"

namespace {

// Rounding in the program's coordinates must not reach a tile that was never allocated.
constexpr float kSlack = 0.02f;

}  // namespace

TileSpan tileSpanOf(vec2 low, vec2 high, vec2 origin, int columns, int rows) {
    TileSpan span;
    const vec2 from = glm::floor((low - kSlack - origin) / kPaintTileUnits);
    const vec2 to = glm::floor((high + kSlack - origin) / kPaintTileUnits);
    if (to.x < 0.0f || to.y < 0.0f || from.x >= columns || from.y >= rows) return span;
    span.column = static_cast<int>(std::max(from.x, 0.0f));
    span.row = static_cast<int>(std::max(from.y, 0.0f));
    span.lastColumn = static_cast<int>(std::min(to.x, columns - 1.0f));
    span.lastRow = static_cast<int>(std::min(to.y, rows - 1.0f));
    return span;
}

PageTable::PageTable(const kesto::scene::SurfaceGrids& grids) {
    terrainTileOrigin = glm::floor(grids.terrainLow / kPaintTileUnits) * kPaintTileUnits;
    const vec2 terrainTiles =
        glm::floor((grids.terrainHigh - terrainTileOrigin) / kPaintTileUnits) + 1.0f;
    wallTileOrigin = grids.wallOrigin;
    wallTileColumns = static_cast<int>(std::ceil(grids.wallExtent.x / kPaintTileUnits)) + 1;
    tableWidth = std::max(static_cast<int>(terrainTiles.x), wallTileColumns);
    terrainTileRows = static_cast<int>(terrainTiles.y);
    wallsPerBand = std::max(tableWidth / std::max(wallTileColumns, 1), 1);
    const int walls = static_cast<int>(grids.wallLengths.size());
    const int bands = (walls + wallsPerBand - 1) / wallsPerBand;
    tableRows = terrainTileRows + bands * kWallFaces * kWallFaceRows;
    slotCodes.assign(static_cast<size_t>(tableWidth) * tableRows * 2, 0);
}

TileEntry PageTable::wallCorner(size_t wall) const {
    const int band = static_cast<int>(wall) / wallsPerBand;
    return {static_cast<int>(wall) % wallsPerBand * wallTileColumns,
            terrainTileRows + band * kWallFaces * kWallFaceRows};
}

vec4 PageTable::terrainPlace() const { return vec4(terrainTileOrigin, 0.0f, 0.0f); }

vec4 PageTable::wallPlace(size_t wall) const {
    // The wall's first column moves its origin: the program finds the tile from there.
    const TileEntry corner = wallCorner(wall);
    return vec4(wallTileOrigin.x - static_cast<float>(corner.column) * kPaintTileUnits,
                wallTileOrigin.y, static_cast<float>(corner.row),
                static_cast<float>(kWallFaceRows));
}

void PageTable::set(TileEntry entry, int fineSlot, int coarseSlot) {
    const size_t at = static_cast<size_t>(key(entry)) * 2;
    slotCodes[at] = static_cast<uint16_t>(fineSlot + 1);
    slotCodes[at + 1] = static_cast<uint16_t>(coarseSlot + 1);
    changed.push_back(entry);
}

void PageTable::clear() {
    std::fill(slotCodes.begin(), slotCodes.end(), 0);
    changed.clear();
    cleared = true;
}

PaintKind PageTable::kindAt(TileEntry entry) const {
    const size_t at = static_cast<size_t>(key(entry)) * 2;
    if (slotCodes[at]) return PaintKind::Fine;
    return slotCodes[at + 1] ? PaintKind::Coarse : PaintKind::None;
}

bool PageTable::takeCleared() {
    const bool was = cleared;
    cleared = false;
    return was;
}

std::vector<TileEntry> PageTable::takeChanged() {
    std::vector<TileEntry> taken;
    taken.swap(changed);
    return taken;
}
