// The shipped heightmap and maze, read by the game's own readers, against the game's fixed
// positions: start, finish gate and the ten bonus items.
#include <gtest/gtest.h>

#include <cmath>

#include "GameRules.h"
#include "assets/HeightmapReader.h"
#include "assets/WallFile.h"
#include "maze/MazePath.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"

namespace {

const vec2 kStart(kStartPosition.x, kStartPosition.z);
const vec2 kFinishA(kFinishStartX, kFinishStartZ), kFinishB(kFinishEndX, kFinishEndZ);
const vec2 kFinishMiddle = 0.5f * (kFinishA + kFinishB);

struct World {
    bool terrainLoaded = false;
    bool wallsLoaded = false;
    std::vector<vec3> positions;
    int width = 0;
    int depth = 0;
    std::vector<vec2> starts, ends;
    std::vector<maze::Wall> walls;

    float cell(float x, float z) const {
        return kesto::scene::gridCellHeight(positions, width, depth, x, z);
    }
};

const World& world() {
    static const World loaded = [] {
        World w;
        std::vector<vec3> normals;
        std::vector<unsigned> indices;
        w.terrainLoaded = loadHeightmap("Util/Files/heightmap3.png", w.positions, normals, indices,
                                        w.width, w.depth);
        w.wallsLoaded = loadWallFile("Util/Files/Labyrinth2.txt", w.starts, w.ends);
        w.walls = maze::makeWalls(w.starts, w.ends);
        return w;
    }();
    return loaded;
}

class WorldFit : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(w.terrainLoaded) << "Util/Files/heightmap3.png";
        ASSERT_TRUE(w.wallsLoaded) << "Util/Files/Labyrinth2.txt";
        ASSERT_FALSE(w.walls.empty());
    }
    const World& w = world();
};

bool polylineCrosses(const std::vector<vec2>& points, vec2 a, vec2 b) {
    for (size_t i = 0; i + 1 < points.size(); ++i)
        if (maze::distanceBetweenSegments(points[i], points[i + 1], a, b) == 0.0f) return true;
    return false;
}

}  // namespace

TEST_F(WorldFit, WallsArePlantedOnTheTerrain) {
    // A wall's foot runs straight between the ground heights at its ends; the ground under it
    // may rise at most 1.5 above that line (the wall still stands 2.5 tall) and sink at most 2.5
    // below it (the wall reaches 3 below its foot, so it never floats).
    for (size_t i = 0; i < w.starts.size(); ++i) {
        const vec2 a = w.starts[i], b = w.ends[i];
        const float length = glm::distance(a, b);
        ASSERT_GT(length, 0.01f) << "zero-length wall on data line " << i + 1;
        const float h1 = w.cell(a.x, a.y), h2 = w.cell(b.x, b.y);
        const int samples = static_cast<int>(length / 0.1f) + 1;
        for (int k = 0; k <= samples; ++k) {
            const float t = static_cast<float>(k) / samples;
            const vec2 p = a + t * (b - a);
            const float off = w.cell(p.x, p.y) - (h1 + t * (h2 - h1));
            ASSERT_TRUE(off > -2.5f && off < 1.5f)
                << off << ": wall " << i + 1 << " at " << p.x << ", " << p.y;
        }
    }
    EXPECT_EQ(w.walls.size(), w.starts.size());
}

TEST_F(WorldFit, StartAndItemsStandClearOfWalls) {
    EXPECT_GT(maze::clearance(w.walls, kStart), kPlayerRadius);
    for (const auto& item : kesto::scene::kBonusItemPlaces)
        EXPECT_GT(maze::clearance(w.walls, vec2(item.x, item.z)), kPlayerRadius)
            << item.x << ", " << item.z;
}

TEST_F(WorldFit, WalkFromStartCrossesTheFinishLineInsideTheGate) {
    for (const maze::Wall& wall : w.walls)
        ASSERT_GT(maze::distanceBetweenSegments(wall.start, wall.end, kFinishA, kFinishB),
                  kPlayerRadius)
            << "wall " << wall.start.x << "/" << wall.start.y << " " << wall.end.x << "/"
            << wall.end.y;

    const maze::Route toLine = maze::findRoute(w.walls, kStart, kFinishMiddle);
    ASSERT_TRUE(toLine.found) << toLine.problem;
    // About 60 to 120 seconds at walking speed for a player who knows the way.
    EXPECT_GE(toLine.length, 600.0f);
    EXPECT_LE(toLine.length, 1200.0f);
    EXPECT_GE(maze::clearanceAlong(w.walls, toLine.waypoints), 0.98f);

    // Walking on through the gate to the ground behind it crosses the line between its ends.
    const maze::Route through = maze::findRoute(w.walls, kStart, kFinishMiddle - vec2(0.0f, 1.0f));
    ASSERT_TRUE(through.found) << through.problem;
    EXPECT_TRUE(polylineCrosses(through.waypoints, kFinishA, kFinishB));
}
