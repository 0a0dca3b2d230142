#include "game/PlayRules.h"

#include <algorithm>
#include <cmath>

#include "scene/WallBox.h"

namespace {

constexpr float kSpawnDivisor = 2.0f;
constexpr float kRunningSpawnDivisor = 1.5f;
constexpr float kAddedAngle = 0.3490658f;         // 20 degrees
constexpr float kRunningAddedAngle = 0.1745329f;  // 10 degrees
constexpr float kRunningPower = 10.0f;

constexpr double kLongestHop = 0.1;
constexpr int kMostHops = 4096;

}  // namespace

Launch launchFrom(vec3 position, vec3 direction, bool running) {
    Launch launch;
    launch.spawn = position + direction / (running ? kRunningSpawnDivisor : kSpawnDivisor);
    launch.direction = glm::normalize(direction);
    const float ny = launch.direction.y;
    launch.angle = std::acos(1.0f / std::sqrt(1.0f + ny * ny));
    if (ny < 0.0f) launch.angle = -launch.angle;
    launch.angle += running ? kRunningAddedAngle : kAddedAngle;
    launch.power = running ? kRunningPower : 0.0f;
    return launch;
}

int flightHops(vec3 direction, double dt) {
    const double ground = std::sqrt(static_cast<double>(direction.x) * direction.x +
                                    static_cast<double>(direction.z) * direction.z);
    const double travel = kBallSpeed * ground * dt;
    if (!(travel > kLongestHop)) return 1;
    return static_cast<int>(
        std::min(std::ceil(travel / kLongestHop), static_cast<double>(kMostHops)));
}

bool touchesGround(float ballY, float groundY) {
    return static_cast<double>(groundY) >= static_cast<double>(ballY) - kBallRadius;
}

bool passesOverWalls(float ballY, float groundY) {
    return static_cast<double>(ballY) - kBallRadius > static_cast<double>(groundY) + kWallBoxMax[1];
}

bool reachesWall(vec2 start, vec2 end, float x, float z, vec2& away) {
    const vec2 along = end - start;
    const float lengthSquared = glm::dot(along, along);
    // A wall of no length is a post: its nearest point is its start.
    const float t = lengthSquared > 0.0f ? nearestOnSegment(vec2(x, z), start, end) : 0.0f;
    const vec2 nearest = start + t * along;
    away = vec2(x, z) - nearest;
    if (!(std::sqrt(static_cast<double>(glm::dot(away, away))) < kBallRadius)) return false;
    // Exactly on the wall's line: splat from one side of it rather than from nowhere.
    if (away == vec2(0.0f))
        away = lengthSquared > 0.0f ? vec2(-along.y, along.x) : vec2(1.0f, 0.0f);
    return true;
}

double afterCarBonus(double elapsedTime) {
    return elapsedTime - kCarBonusSeconds > 0.0 ? elapsedTime - kCarBonusSeconds : 0.0;
}

int afterDuckBonus(int ballsLeft) {
    return ballsLeft + kDuckBonusBalls < kStartBalls ? ballsLeft + kDuckBonusBalls : kStartBalls;
}

vec3 projectorAxis(vec3 direction) {
    const float length = glm::length(direction);
    return length > 0.0f ? direction / length : vec3(0.0f, 1.0f, 0.0f);
}

vec3 projectorUp(vec3 axis, vec3 up) {
    for (const vec3& candidate : {up, kGroundSplatUp, vec3(0.0f, 0.0f, 1.0f)}) {
        const float length = glm::length(candidate);
        if (length > 0.0f && glm::length(glm::cross(axis, candidate / length)) > 1e-3f)
            return candidate;
    }
    return vec3(1.0f, 0.0f, 0.0f);  // unreachable: z and (1, 0, 1) are never both parallel
}

mat4 projectorTextureMatrix(vec3 projectorPosition, vec3 position, vec3 up) {
    const mat4 view = glm::lookAt(projectorPosition, position, up);
    const mat4 projection = glm::perspective(45.0f * kDegreesToRadians, 1.0f, 0.1f, 50.0f);
    return biasMatrix * projection * view;
}
