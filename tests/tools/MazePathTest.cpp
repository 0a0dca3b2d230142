#include <gtest/gtest.h>

#include <cmath>

#include "maze/MazePath.h"

using maze::Wall;

namespace {

// A closed square room from (0, 0) to (size, size).
std::vector<Wall> room(float size) {
    return {{{0, 0}, {size, 0}},
            {{size, 0}, {size, size}},
            {{size, size}, {0, size}},
            {{0, size}, {0, 0}}};
}

}  // namespace

TEST(SegmentDistance, PointsAndCrossings) {
    EXPECT_FLOAT_EQ(maze::distanceToSegment({5, 3}, {0, 0}, {10, 0}), 3.0f);
    EXPECT_FLOAT_EQ(maze::distanceToSegment({13, 4}, {0, 0}, {10, 0}), 5.0f);
    EXPECT_FLOAT_EQ(maze::distanceToSegment({1, 1}, {2, 2}, {2, 2}), std::sqrt(2.0f));
    EXPECT_FLOAT_EQ(maze::distanceBetweenSegments({0, -1}, {0, 1}, {-1, 0}, {1, 0}), 0.0f);
    EXPECT_FLOAT_EQ(maze::distanceBetweenSegments({0, 2}, {4, 2}, {1, 0}, {3, 0}), 2.0f);
    // Touching at an end counts as touching.
    EXPECT_FLOAT_EQ(maze::distanceBetweenSegments({0, 0}, {2, 0}, {2, 0}, {2, 5}), 0.0f);
}

TEST(MazeWalls, ZeroLengthAndBrokenSegmentsBlockNothing) {
    const std::vector<vec2> starts{{0, 0}, {3, 3}, {NAN, 1}, {5, 5}};
    const std::vector<vec2> ends{{4, 0}, {3, 3}, {2, 2}};
    const std::vector<Wall> walls = maze::makeWalls(starts, ends);
    ASSERT_EQ(walls.size(), 1u);
    EXPECT_EQ(walls[0].end, vec2(4, 0));
}

TEST(MazeRoute, OpenGroundIsOneStraightLeg) {
    const maze::Route r = maze::findRoute(room(40), {5, 5}, {30, 20});
    ASSERT_TRUE(r.found) << r.problem;
    ASSERT_EQ(r.waypoints.size(), 2u);
    EXPECT_EQ(r.waypoints.front(), vec2(5, 5));
    EXPECT_EQ(r.waypoints.back(), vec2(30, 20));
    EXPECT_NEAR(r.length, std::hypot(25.0f, 15.0f), 1e-3f);
}

TEST(MazeRoute, GoesRoundAWallEndKeepingClearance) {
    std::vector<Wall> walls = room(40);
    walls.push_back({{20, 0}, {20, 30}});  // a wall from the south side, open at the north
    const maze::Route r = maze::findRoute(walls, {10, 10}, {30, 10});
    ASSERT_TRUE(r.found) << r.problem;
    EXPECT_GE(maze::clearanceAlong(walls, r.waypoints), 0.98f);
    // The shortest walk keeping 1 from the wall's end at (20, 30): the two tangents from start and
    // target to the circle of radius 1 round that end, and the arc between them.
    const float tangent = std::sqrt(500.0f - 1.0f);
    const float arc = 2.0f * (std::atan2(20.0f, 10.0f) + std::asin(1.0f / std::sqrt(500.0f)));
    const float shortest = 2.0f * tangent + arc;
    EXPECT_GT(r.length, shortest - 0.01f);
    EXPECT_LT(r.length, shortest + 0.5f);
    float northmost = 0.0f;
    for (const vec2& p : r.waypoints) northmost = std::max(northmost, p.y);
    EXPECT_GT(northmost, 30.9f);
    EXPECT_LT(northmost, 31.5f);
}

TEST(MazeRoute, GapNarrowerThanThePlayerIsClosed) {
    // Two walls across the room leave a gap; the player needs twice the clearance to pass.
    auto across = [](float gap) {
        std::vector<Wall> walls = room(40);
        walls.push_back({{0, 20}, {20 - gap / 2, 20}});
        walls.push_back({{20 + gap / 2, 20}, {40, 20}});
        return walls;
    };
    EXPECT_FALSE(maze::findRoute(across(1.8f), {20, 5}, {20, 35}).found);
    const maze::Route r = maze::findRoute(across(2.6f), {20, 5}, {20, 35});
    ASSERT_TRUE(r.found) << r.problem;
    EXPECT_NEAR(r.length, 30.0f, 0.5f);
}

TEST(MazeRoute, ClosedRoomCannotBeLeft) {
    std::vector<Wall> walls = room(40);
    const std::vector<Wall> inner = {
        {{10, 10}, {20, 10}}, {{20, 10}, {20, 20}}, {{20, 20}, {10, 20}}, {{10, 20}, {10, 10}}};
    walls.insert(walls.end(), inner.begin(), inner.end());
    const maze::Route r = maze::findRoute(walls, {15, 15}, {30, 30});
    EXPECT_FALSE(r.found);
    EXPECT_NE(r.problem.find("no walk"), std::string::npos) << r.problem;
    // Nor can it be left on the outside, beyond the outer walls.
    EXPECT_FALSE(maze::findRoute(room(40), {5, 5}, {60, 20}).found);
}

TEST(MazeRoute, EndsTooCloseToAWallAreRefusedWithAReason) {
    const maze::Route fromWall = maze::findRoute(room(40), {0.5f, 20}, {20, 20});
    EXPECT_FALSE(fromWall.found);
    EXPECT_NE(fromWall.problem.find("start"), std::string::npos) << fromWall.problem;
    const maze::Route toWall = maze::findRoute(room(40), {20, 20}, {39.5f, 20});
    EXPECT_FALSE(toWall.found);
    EXPECT_NE(toWall.problem.find("target"), std::string::npos) << toWall.problem;
    EXPECT_FALSE(maze::findRoute(room(40), {NAN, 20}, {20, 20}).found);
}

TEST(MazeRoute, HugeAreaAsksForACoarserGrid) {
    const maze::Route r = maze::findRoute({{{0, 0}, {1e6f, 0}}}, {5, 5}, {6e5f, 9e5f});
    EXPECT_FALSE(r.found);
    EXPECT_NE(r.problem.find("coarser"), std::string::npos) << r.problem;
}

TEST(MazeReach, StopsWhereTheTargetCanBeSeen) {
    // The target sits behind a wall: within reach from the start's side, but out of sight.
    std::vector<Wall> walls = room(40);
    walls.push_back({{10, 20}, {30, 20}});
    const vec2 target(20, 22);
    const maze::Route r = maze::findRouteWithinReach(walls, {20, 10}, target, 8.0f, 0.2f);
    ASSERT_TRUE(r.found) << r.problem;
    const vec2 spot = r.waypoints.back();
    EXPECT_LE(glm::distance(spot, target), 8.0f + 1e-4f);
    EXPECT_GE(maze::clearance(walls, spot, target), 0.2f - 1e-4f);
    EXPECT_GT(spot.y, 20.0f);  // it had to walk round the wall to see the target
    // In plain sight the walker stays where it stands.
    const maze::Route here = maze::findRouteWithinReach(walls, {20, 28}, target, 8.0f, 0.2f);
    ASSERT_TRUE(here.found) << here.problem;
    EXPECT_LT(here.length, 0.5f);
}
