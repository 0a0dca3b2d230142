#include "Scenes.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "game/Game.h"
#include "game/PlayRules.h"
#include "maze/MazePath.h"
#include "render/ParticleSystem.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"

namespace {

// Splats the player would see: inside the splat culling distance, with room to spare.
constexpr float kFarthestSpot = 36.0f;
constexpr float kNearestGroundSpot = 4.0f;
constexpr float kSpotSpacing = 1.5f;
// A ball meets a wall while its centre is within 0.2 of it, at about hand height.
constexpr float kOffWall = 0.15f;
constexpr float kAboveGround = 1.2f;

bool inView(const Game& game, vec3 p) {
    const vec3 d = p - game.cameraPosition;
    return std::sqrt(d.x * d.x + d.z * d.z) < kFarthestSpot && game.isInFrustum(p, 0.0f, 42.0f);
}

std::vector<SplatSpot> wallSpots(const Game& game) {
    std::vector<SplatSpot> spots;
    const vec2 eye(game.cameraPosition.x, game.cameraPosition.z);
    for (const auto& wall : game.walls) {
        if (!wall->visible) continue;
        const vec2 along = wall->end - wall->start;
        const float length = std::sqrt(glm::dot(along, along));
        if (!(length > 0.0f)) continue;
        vec2 normal = vec2(-along.y, along.x) / length;
        for (float s = kSpotSpacing * 0.5f; s < length; s += kSpotSpacing) {
            const vec2 onWall = wall->start + along * (s / length);
            // Balls come from the player's side.
            const vec2 side = glm::dot(normal, eye - onWall) >= 0.0f ? normal : -normal;
            const vec2 ball = onWall + side * kOffWall;
            const float ground = game.terrain->cellHeight(ball.x, ball.y);
            const vec3 position(ball.x, ground + kAboveGround, ball.y);
            if (!inView(game, position)) continue;
            spots.push_back({position, vec3(side.x, 0.0f, side.y), vec3(0.0f, 1.0f, 0.0f)});
        }
    }
    return spots;
}

std::vector<SplatSpot> groundSpots(const Game& game) {
    std::vector<SplatSpot> spots;
    const vec3 eye = game.cameraPosition;
    for (float dz = -kFarthestSpot; dz <= kFarthestSpot; dz += kSpotSpacing) {
        for (float dx = -kFarthestSpot; dx <= kFarthestSpot; dx += kSpotSpacing) {
            if (dx * dx + dz * dz < kNearestGroundSpot * kNearestGroundSpot) continue;
            const float x = eye.x + dx, z = eye.z + dz;
            const float ground = game.terrain->cellHeight(x, z);
            const vec3 position(x, ground, z);
            if (!inView(game, position)) continue;
            // The ball has sunk a little into the ground when the impact test catches it.
            spots.push_back({position, vec3(0.0f, 0.1f, 0.0f), kGroundSplatUp});
        }
    }
    return spots;
}

// Every n-th of the candidates so the picks cover all of them; repeats when there are few.
const SplatSpot& spread(const std::vector<SplatSpot>& candidates, std::size_t i, std::size_t n) {
    return candidates[(i * candidates.size() / n) % candidates.size()];
}

}  // namespace

std::vector<SplatSpot> splatSpotsInView(const Game& game, std::size_t count) {
    const std::vector<SplatSpot> onWalls = wallSpots(game);
    const std::vector<SplatSpot> onGround = groundSpots(game);
    std::vector<SplatSpot> spots;
    const std::size_t wallCount = (count + 1) / 2, groundCount = count / 2;
    for (std::size_t i = 0; i < count; ++i) {
        const bool wallTurn = i % 2 == 0;
        const std::vector<SplatSpot>& from = wallTurn && !onWalls.empty() ? onWalls : onGround;
        if (from.empty()) break;
        spots.push_back(spread(from, i / 2, wallTurn ? wallCount : groundCount));
    }
    return spots;
}

void keepBurstsAlive(Game& game, const std::vector<SplatSpot>& spots, std::size_t count,
                     std::size_t& nextSpot) {
    if (spots.empty() || !game.particleSystem) return;
    while (game.particleSystems.size() < count) {
        const SplatSpot& spot = spots[nextSpot++ % spots.size()];
        auto burst = std::make_unique<ParticleSystem>(*game.particleSystem);
        burst->launch(spot.position, -projectorAxis(spot.direction));
        game.particleSystems.push_back(std::move(burst));
    }
}

namespace {

// The point at a given distance along the way, and the direction of the way there.
Viewpoint pointAlong(const std::vector<vec2>& way, float distance) {
    for (std::size_t i = 1; i < way.size(); ++i) {
        const vec2 leg = way[i] - way[i - 1];
        const float length = glm::length(leg);
        if (!(length > 0.0f)) continue;
        if (distance <= length || i + 1 == way.size()) {
            const float t = std::min(distance / length, 1.0f);
            return {way[i - 1] + leg * t, leg / length};
        }
        distance -= length;
    }
    return {way.empty() ? vec2(0.0f) : way.front(), vec2(0.0f, 1.0f)};
}

}  // namespace

std::vector<vec2> wayThroughTheMaze(const Game& game, vec2 start) {
    std::vector<maze::Wall> walls;
    for (const auto& wall : game.walls) walls.push_back({wall->start, wall->end});
    const maze::Route route = maze::findRoute(walls, start, vec2(kGoalX, kGoalZ));
    return route.found ? route.waypoints : std::vector<vec2>{};
}

std::vector<SplatSpot> splatSpotsAlongTheWay(const Game& game, const std::vector<vec2>& way,
                                             std::size_t count) {
    std::vector<SplatSpot> spots;
    const float length = maze::polylineLength(way);
    if (way.size() < 2 || game.walls.empty() || count == 0) return spots;
    for (std::size_t i = 0; i < count; ++i) {
        const Viewpoint at = pointAlong(way, length * (static_cast<float>(i) + 0.5f) / count);
        if (i % 2 == 1) {
            // Beside the way, a little to the left or the right.
            const vec2 side = vec2(-at.heading.y, at.heading.x) * (i % 4 == 1 ? 0.6f : -0.6f);
            const vec2 spot = at.position + side;
            const float ground = game.terrain->cellHeight(spot.x, spot.y);
            spots.push_back({vec3(spot.x, ground, spot.y), vec3(0.0f, 0.1f, 0.0f), kGroundSplatUp});
            continue;
        }
        const kesto::scene::WallObject* nearest = nullptr;
        float best = 0.0f;
        for (const auto& wall : game.walls) {
            const float d = maze::distanceToSegment(at.position, wall->start, wall->end);
            if (!nearest || d < best) best = d, nearest = wall.get();
        }
        const vec2 along = nearest->end - nearest->start;
        // The route's walls all have a length.
        const vec2 onWall =
            nearest->start + along * nearestOnSegment(at.position, nearest->start, nearest->end);
        const vec2 side = glm::normalize(at.position - onWall);
        const vec2 ball = onWall + side * kOffWall;
        const float ground = game.terrain->cellHeight(ball.x, ball.y);
        spots.push_back({vec3(ball.x, ground + kAboveGround, ball.y), vec3(side.x, 0.0f, side.y),
                         vec3(0.0f, 1.0f, 0.0f)});
    }
    return spots;
}

std::vector<Viewpoint> viewpointsAlongTheWay(const std::vector<vec2>& way, std::size_t count) {
    std::vector<Viewpoint> places;
    const float length = maze::polylineLength(way);
    for (std::size_t i = 0; i < count && way.size() >= 2; ++i)
        places.push_back(pointAlong(way, length * (static_cast<float>(i) + 0.5f) / count));
    return places;
}
