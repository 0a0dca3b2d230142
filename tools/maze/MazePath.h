// Routes through the maze for a walker who keeps a clearance from every wall, as the player
// does: A* over a fine grid of free spots, then pulled straight wherever a straight line keeps
// the clearance. Used by the world checks and by the scripted player.
#pragma once

#include <string>
#include <vector>

#include "Math.h"

namespace maze {

// A wall's ground segment, (x, z) at both ends as the maze file gives them.
struct Wall {
    vec2 start;
    vec2 end;
};

// Pairs the reader's parallel arrays. Zero-length segments are left out: the game neither
// draws nor collides with them.
std::vector<Wall> makeWalls(const std::vector<vec2>& starts, const std::vector<vec2>& ends);

float distanceToSegment(vec2 p, vec2 a, vec2 b);
float distanceBetweenSegments(vec2 a, vec2 b, vec2 c, vec2 d);
// Smallest distance from a point, or from the straight line a-b, to any wall (huge with none).
float clearance(const std::vector<Wall>& walls, vec2 p);
float clearance(const std::vector<Wall>& walls, vec2 a, vec2 b);
// Smallest clearance anywhere along a polyline.
float clearanceAlong(const std::vector<Wall>& walls, const std::vector<vec2>& points);
float polylineLength(const std::vector<vec2>& points);

struct SearchOptions {
    float clearance = 1.0f;  // the player's collision radius
    float cellSize = 0.25f;
    float margin = 4.0f;  // how far the searched area reaches beyond the walls and end points
};

struct Route {
    bool found = false;
    std::vector<vec2> waypoints;  // start first; every leg but a few grid steps keeps the clearance
    float length = 0.0f;
    std::string problem;  // why no route was found
};

// Shortest walk from start to target.
Route findRoute(const std::vector<Wall>& walls, vec2 start, vec2 target,
                const SearchOptions& options = {});

// Shortest walk from start to a spot within `reach` of target from which the straight line to
// the target keeps `lineClearance` from every wall: where a ball can be thrown at it.
Route findRouteWithinReach(const std::vector<Wall>& walls, vec2 start, vec2 target, float reach,
                           float lineClearance, const SearchOptions& options = {});

}  // namespace maze
