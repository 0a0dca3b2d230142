#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "scene/HeightMapObject.h"

using kesto::scene::gridCellHeight;
using kesto::scene::gridHeightAt;

namespace {

struct Grid {
    std::vector<vec3> vertices;
    int width = 0;
    int depth = 0;

    float at(int c, int r) const { return vertices[static_cast<size_t>(r) * width + c].y; }
    // The vertex a query may reach, with its column and row clamped into the grid.
    float clamped(int c, int r) const {
        c = c < 0 ? 0 : (c > width - 1 ? width - 1 : c);
        r = r < 0 ? 0 : (r > depth - 1 ? depth - 1 : r);
        return at(c, r);
    }
    float cell(float x, float z) const { return gridCellHeight(vertices, width, depth, x, z); }
    float smooth(float x, float z) const { return gridHeightAt(vertices, width, depth, x, z); }
};

Grid makeGrid(int width, int depth, const std::function<float(int, int)>& height) {
    Grid g;
    g.width = width;
    g.depth = depth;
    for (int r = 0; r < depth; ++r)
        for (int c = 0; c < width; ++c)
            g.vertices.emplace_back(static_cast<float>(c), height(c, r), static_cast<float>(r));
    return g;
}

// Every vertex different, so a query's answer tells which vertices it read.
Grid irregularGrid() {
    return makeGrid(7, 6, [](int c, int r) {
        return static_cast<float>((c * 7 + r * 13) % 11) + 0.25f * static_cast<float>(c);
    });
}

// The mean of the 16 vertices from column c - 1 to c + 2 and row r - 1 to r + 2, clamped.
float plainMean(const Grid& g, int c, int r) {
    float sum = 0.0f;
    for (int i = -1; i <= 2; ++i)
        for (int j = -1; j <= 2; ++j) sum += g.clamped(c + i, r + j);
    return sum / 16.0f;
}

}  // namespace

TEST(HeightQueries, FlatOrSingleVertexGridGivesItsHeightEverywhere) {
    for (const Grid& g : {makeGrid(5, 4, [](int, int) { return 6.4f; }),
                          makeGrid(1, 1, [](int, int) { return 6.4f; })}) {
        SCOPED_TRACE(g.width);
        for (vec2 p : {vec2(2.3f, 1.7f), vec2(4, 3), vec2(-7.5f, 2), vec2(0.4f, 0.2f), vec2(400)}) {
            EXPECT_FLOAT_EQ(g.cell(p.x, p.y), 6.4f) << p.x << ", " << p.y;
            EXPECT_NEAR(g.smooth(p.x, p.y), 6.4f, 1e-5f) << p.x << ", " << p.y;
        }
    }
}

TEST(HeightQueries, CellHeightTruncatesTowardZeroAndClampsFarOutside) {
    const Grid g = irregularGrid();
    EXPECT_EQ(g.cell(2.9f, 1.2f), g.at(2, 1));
    EXPECT_EQ(g.cell(-5.0f, 3.7f), g.at(0, 3));
    EXPECT_EQ(g.cell(5.999f, 4.999f), g.at(5, 4));
    EXPECT_EQ(g.cell(1e30f, -1e30f), g.at(6, 0));
    EXPECT_EQ(g.cell(std::numeric_limits<float>::infinity(), 1.0f), g.at(6, 1));
    // Not a number must still land on a vertex rather than read out of bounds.
    EXPECT_EQ(g.cell(std::nanf(""), 1.0f), g.at(0, 1));
}

TEST(HeightQueries, HeightAtHalfCellIsPlainMeanOfSixteen) {
    const Grid g = irregularGrid();
    // At the corners the clamping repeats the edge rows and columns.
    for (auto [c, r] : {std::pair{2, 2}, std::pair{0, 0}, std::pair{5, 4}})
        EXPECT_NEAR(g.smooth(c + 0.5f, r + 0.5f), plainMean(g, c, r), 1e-5f) << c << ", " << r;
}

// Inside the grid the smoothing follows a ramp exactly, at any fraction of a cell.
TEST(HeightQueries, HeightAtFollowsARampAtAnyFraction) {
    const Grid g = makeGrid(8, 7, [](int c, int r) { return 0.5f * c - 0.25f * r + 3.0f; });
    for (vec2 p : {vec2(2.25f, 1.7f), vec2(3.8f, 2.1f), vec2(4.0f, 3.0f), vec2(1.13f, 4.91f)})
        EXPECT_NEAR(g.smooth(p.x, p.y), 0.5f * p.x - 0.25f * p.y + 3.0f, 1e-5f)
            << p.x << ", " << p.y;
}

TEST(HeightQueries, HeightAtFloorsNegativeCoordinates) {
    // With floor, x = -0.5 lies half way into the cell from column -1 to 0: all weights 1 over
    // the clamped columns 0, 0, 0, 1. Truncation would give negative weights instead.
    const Grid g = irregularGrid();
    float sum = 0.0f;
    for (int col : {0, 0, 0, 1})
        for (int row = 1; row <= 4; ++row) sum += g.at(col, row);
    EXPECT_NEAR(g.smooth(-0.5f, 2.5f), sum / 16.0f, 1e-5f);
}

TEST(HeightQueries, HeightAtFarOutsideUsesEdgeColumn) {
    const Grid g = irregularGrid();
    float sum = 0.0f;
    for (int row = 1; row <= 4; ++row) sum += g.at(6, row);
    EXPECT_NEAR(g.smooth(1e6f, 2.5f), sum / 4.0f, 1e-5f);
    EXPECT_NEAR(g.smooth(1e30f, 2.5f), sum / 4.0f, 1e-5f);
    EXPECT_NEAR(g.smooth(-1e30f, -1e30f), g.at(0, 0), 1e-5f);
    EXPECT_TRUE(std::isfinite(g.smooth(std::nanf(""), std::nanf(""))));
}

TEST(HeightQueries, EmptyOrShortGridGivesZeroInsteadOfReading) {
    std::vector<vec3> none;
    EXPECT_EQ(gridCellHeight(none, 0, 0, 1.0f, 1.0f), 0.0f);
    EXPECT_EQ(gridHeightAt(none, 0, 0, 1.0f, 1.0f), 0.0f);
    std::vector<vec3> three(3, vec3(0.0f, 5.0f, 0.0f));
    EXPECT_EQ(gridCellHeight(three, 2, 2, 1.0f, 1.0f), 0.0f);
    EXPECT_EQ(gridHeightAt(three, 2, 2, 1.0f, 1.0f), 0.0f);
}
