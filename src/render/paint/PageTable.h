// The paint texture's page table, worked out without GL: one entry per tile of every surface,
// holding the tile's fine and coarse slot. The terrain's tiles come first, a row of entries per
// row of tiles by world (x, z); then the walls, side by side in bands as wide as the terrain's,
// each wall its faces' rows one face above the other.
#pragma once

#include <cstdint>
#include <vector>

#include "Math.h"
#include "render/paint/PaintLayout.h"

namespace kesto::scene {
struct SurfaceGrids;
}  // namespace kesto::scene

// Where a tile's entry lies in the table.
struct TileEntry {
    int column = 0, row = 0;
    bool operator==(const TileEntry& other) const {
        return column == other.column && row == other.row;
    }
};

// The tiles of a surface a box of surface coordinates overlaps: columns from .. to, rows from
// .. to, clamped to the grid; empty (lastColumn < column) when it misses the grid.
struct TileSpan {
    int column = 0, lastColumn = -1, row = 0, lastRow = -1;
};
TileSpan tileSpanOf(vec2 low, vec2 high, vec2 origin, int columns, int rows);

class PageTable {
public:
    explicit PageTable(const kesto::scene::SurfaceGrids& grids);

    int width() const { return tableWidth; }
    int rows() const { return tableRows; }
    // Tiles of one wall face along and up; of the terrain along x and z.
    int wallColumns() const { return wallTileColumns; }
    int terrainColumns() const { return tableWidth; }
    int terrainRows() const { return terrainTileRows; }
    vec2 terrainOrigin() const { return terrainTileOrigin; }
    vec2 wallOrigin() const { return wallTileOrigin; }
    // The entry of a wall's first tile (face 0, column 0, row 0).
    TileEntry wallCorner(size_t wall) const;
    // The receiving program's paint_place for the terrain or a wall.
    vec4 terrainPlace() const;
    vec4 wallPlace(size_t wall) const;

    // A tile's slots, -1 for none: none at all makes the tile unpainted.
    void set(TileEntry entry, int fineSlot, int coarseSlot);
    void clear();
    PaintKind kindAt(TileEntry entry) const;
    int key(TileEntry entry) const { return entry.row * tableWidth + entry.column; }
    // Each entry: fine slot + 1, coarse slot + 1, 0 where there is none; row by row.
    const std::vector<uint16_t>& entries() const { return slotCodes; }
    // Entries set since the last call, for the GPU's copy; all of them after clear.
    std::vector<TileEntry> takeChanged();
    bool takeCleared();

private:
    vec2 terrainTileOrigin{0.0f}, wallTileOrigin{0.0f};
    int tableWidth = 0, tableRows = 0, terrainTileRows = 0, wallTileColumns = 0, wallsPerBand = 1;
    std::vector<uint16_t> slotCodes;
    std::vector<TileEntry> changed;
    bool cleared = true;
};
