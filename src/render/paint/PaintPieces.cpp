#include "render/paint/PaintPieces.h"

#include <algorithm>

#include "scene/SurfaceGrids.h"

namespace {

// Rounding in the program's coordinates must not lose paint at a piece's edge.
constexpr float kSlack = 0.02f;

// The rows with paint in a column of a wall's tiles on the faces standing up, and whether the
// top has any.
struct PaintedRows {
    int low = kWallFaceRows, high = -1;
    bool top = false;
    bool any() const { return top || high >= low; }
    void add(const PaintedRows& other) {
        low = std::min(low, other.low);
        high = std::max(high, other.high);
        top = top || other.top;
    }
};

PaintedRows paintedRowsOf(const PageTable& table, TileEntry corner, int column) {
    PaintedRows rows;
    for (int face = 0; face < kWallFaces; ++face) {
        for (int r = 0; r < kWallFaceRows; ++r) {
            const TileEntry entry{corner.column + column, corner.row + face * kWallFaceRows + r};
            if (table.kindAt(entry) == PaintKind::None) continue;
            if (face == kTopFace) {
                rows.top = true;
            } else {
                rows.low = std::min(rows.low, r);
                rows.high = std::max(rows.high, r);
            }
        }
    }
    return rows;
}

// The painted stretches of the wall, side by side columns (or near enough to overlap) as one.
std::vector<WallPiece> paintedStretches(const PageTable& table, size_t wall, float length,
                                        PaintKind kind) {
    const TileEntry corner = table.wallCorner(wall);
    const vec2 origin = table.wallOrigin();
    // The front and back faces' coordinate runs half the wall's thickness ahead of the box's
    // length and behind it; the top's and the ends' lie within.
    const float margin = kWallBoxMax[2] + kSlack;
    const auto along = [&](int column, float by) {
        const float x = origin.x + static_cast<float>(column) * kPaintTileUnits + by;
        return std::clamp(x / length, 0.0f, 1.0f);
    };
    const float bottom = kWallBoxMin[1], top = kWallBoxMax[1];
    const auto up = [&](int row) {
        return std::clamp(origin.y + static_cast<float>(row) * kPaintTileUnits, bottom, top);
    };
    std::vector<WallPiece> stretches;
    for (int c = 0; c < table.wallColumns();) {
        PaintedRows rows = paintedRowsOf(table, corner, c);
        if (!rows.any()) {
            ++c;
            continue;
        }
        const int first = c;
        for (++c; c < table.wallColumns(); ++c) {
            const PaintedRows next = paintedRowsOf(table, corner, c);
            if (!next.any()) break;
            rows.add(next);
        }
        WallPiece piece{along(first, -margin), along(c, margin), top, bottom, kind};
        if (rows.high >= rows.low) {
            piece.bottom = up(rows.low) - kSlack;
            piece.top = up(rows.high + 1) + kSlack;
        }
        // The top's paint needs the top row under it, or the piece would have no height.
        if (rows.top) {
            piece.bottom = std::min(piece.bottom, up(kWallFaceRows - 1) - kSlack);
            piece.top = top;
        }
        if (!(piece.to > piece.from)) continue;
        if (!stretches.empty() && piece.from <= stretches.back().to) {
            WallPiece& last = stretches.back();
            last.to = piece.to;
            last.bottom = std::min(last.bottom, piece.bottom);
            last.top = std::max(last.top, piece.top);
        } else {
            stretches.push_back(piece);
        }
    }
    return stretches;
}

}  // namespace

void findTerrainRuns(const PageTable& table, const kesto::scene::SurfaceGrids& grids,
                     std::vector<kesto::scene::TerrainRun> (&runs)[kPaintKinds]) {
    for (auto& list : runs) list.clear();
    // The terrain's cells are a unit square each, one tile each.
    static_assert(kPaintTileUnits == 1.0f, "a terrain cell is one tile");
    const glm::ivec2 firstCell(grids.terrainLow - table.terrainOrigin());
    for (int r = 0; r < grids.cellRows; ++r) {
        const int row = r + firstCell.y;
        const auto kindAt = [&](int column) {
            const int at = column + firstCell.x;
            if (row >= table.terrainRows() || at >= table.terrainColumns()) return 0;
            return static_cast<int>(table.kindAt({at, row}));
        };
        int c = 0;
        while (c < grids.cellColumns) {
            const int kind = kindAt(c);
            const int first = c;
            while (c < grids.cellColumns && kindAt(c) == kind) ++c;
            runs[kind].push_back({r, first, c - first});
        }
    }
}

std::vector<WallPiece> wallPiecesOf(const PageTable& table, size_t wall, float length,
                                    PaintKind kind) {
    std::vector<WallPiece> pieces(1);
    if (kind == PaintKind::None || !(length > 0.0f)) return pieces;
    // Each stretch with its paint, unpainted above and below it, and unpainted between them.
    pieces.clear();
    const float bottom = kWallBoxMin[1], top = kWallBoxMax[1];
    float from = 0.0f;
    for (WallPiece piece : paintedStretches(table, wall, length, kind)) {
        piece.bottom = std::max(piece.bottom, bottom);
        piece.top = std::min(piece.top, top);
        if (piece.from > from) pieces.push_back({from, piece.from, bottom, top, PaintKind::None});
        if (piece.bottom > bottom)
            pieces.push_back({piece.from, piece.to, bottom, piece.bottom, PaintKind::None});
        if (piece.top < top)
            pieces.push_back({piece.from, piece.to, piece.top, top, PaintKind::None});
        pieces.push_back(piece);
        from = piece.to;
    }
    if (from < 1.0f) pieces.push_back({from, 1.0f, bottom, top, PaintKind::None});
    return pieces;
}
