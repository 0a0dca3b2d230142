// The shipped maze, read by the game's own reader, against the game's fixed
// positions: start, finish gate and the ten bonus items.
#include <gtest/gtest.h>

#include <cmath>

#include "GameRules.h"
#include "assets/WallFile.h"
#include "maze/MazePath.h"
#include "scene/BonusItem.h"

namespace {

const vec2 kStart(kStartPosition.x, kStartPosition.z);
const vec2 kFinishA(kFinishStartX, kFinishStartZ), kFinishB(kFinishEndX, kFinishEndZ);
const vec2 kFinishMiddle = 0.5f * (kFinishA + kFinishB);

struct World {
    bool wallsLoaded = false;
    std::vector<vec2> starts, ends;
    std::vector<maze::Wall> walls;
};

const World& world() {
    static const World loaded = [] {
        World w;
        w.wallsLoaded = loadWallFile("Util/Files/Labyrinth2.txt", w.starts, w.ends);
        w.walls = maze::makeWalls(w.starts, w.ends);
        return w;
    }();
    return loaded;
}

class WorldFit : public ::testing::Test {
protected:
    void SetUp() override {
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
