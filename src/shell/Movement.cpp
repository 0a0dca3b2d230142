#include "shell/Movement.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "GameRules.h"
#include "game/Game.h"
#include "platform/Sound.h"
#include "platform/Window.h"
#include "render/ParticleSystem.h"
#include "render/Shader.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"
#include "shell/Globals.h"

namespace {

constexpr float kMouseSensitivity = 0.005f;
constexpr float kPitchLimit = 0.7853982f;
constexpr float kHalfPi = 1.5707964f;
// Longest hop between two goal tests and wall push-outs: half the finish band and a tenth of the
// player's reach, so that a slow frame can neither step over the line nor through a wall.
constexpr float kLongestStep = 0.1f;
constexpr float kMostSteps = 100000.0f;

// The finish line across the gate, in the ground plane (x, z).
constexpr float kFinishX = kFinishStartX, kFinishZ = kFinishStartZ;
constexpr float kFinishDx = kFinishEndX - kFinishStartX, kFinishDz = kFinishEndZ - kFinishStartZ;
constexpr float kFinishLengthSquared = kFinishDx * kFinishDx + kFinishDz * kFinishDz;

bool held(int key) { return keyState[key] == 1; }

// The goal test and the wall push-out of one hop; true when the hop ended at the finish line.
bool checkHop(vec3& p) {
    game->movedThisFrame = true;
    game->goalDistance = finishLineDistance(p);
    const bool atGoal = static_cast<double>(game->goalDistance) < 0.1;
    if (atGoal) game->goalReached = true;
    bool bumped = false;
    for (const auto& wall : game->walls)
        if (pushOutOfWall(p, wall->start, wall->end)) bumped = true;
    if (bumped) game->bumpedWall = true;
    return atGoal;
}

void announceGoal() { std::printf("GOAL REACHED!!!\n"); }

// Walks by delta in hops, checking the goal and the walls after each; a step of a key that
// reaches the line says so once, however many of its hops end there.
void walk(vec3 delta, bool checked) {
    const float length = glm::length(delta);
    const int hops = checked && length > kLongestStep
                         ? static_cast<int>(std::min(std::ceil(length / kLongestStep), kMostSteps))
                         : 1;
    bool atGoal = false;
    for (int hop = 0; hop < hops; ++hop) {
        playerPosition += delta / static_cast<float>(hops);
        if (checked && checkHop(playerPosition)) atGoal = true;
    }
    if (atGoal) announceGoal();
}

const Shader& use(const std::unique_ptr<Shader>& program) {
    glUseProgram(program->programHandle);
    return *program;
}

}  // namespace

void lookAround(int offsetX, int offsetY) {
    const float perPixel = kMouseSensitivity * pointerSpeed;
    turnView(perPixel * static_cast<float>(offsetX), perPixel * static_cast<float>(offsetY));
}

void turnView(float left, float up) {
    horizontalAngle += left;
    verticalAngle += invertVerticalLook ? -up : up;
    if (verticalAngle > kPitchLimit)
        verticalAngle = kPitchLimit;
    else if (verticalAngle < -kPitchLimit)
        verticalAngle = -kPitchLimit;
    viewDirection =
        vec3(std::cos(verticalAngle) * std::sin(horizontalAngle), std::sin(verticalAngle),
             std::cos(verticalAngle) * std::cos(horizontalAngle));
}

void handleMovement(float dt) {
    if (game->posterVisible) return;

    // An unfocused window cannot put the pointer back: reading it would turn the view forever.
    if (windowFocused) {
        int x = 0, y = 0;
        getCursorPos(x, y);
        setCursorPos(windowWidth / 2, windowHeight / 2);
        lookAround(windowWidth / 2 - x, windowHeight / 2 - y);
    }
    if (padTurn != vec2(0.0f))
        turnView(padTurn.x * pointerSpeed * dt, padTurn.y * pointerSpeed * dt);

    const vec3 right(std::sin(horizontalAngle - kHalfPi), 0.0f,
                     std::cos(horizontalAngle - kHalfPi));
    const vec3 up = glm::cross(right, viewDirection);

    const float step = dt * kWalkSpeed;
    const bool walking = !game->flyMode;
    if (held(kKeyW)) walk(viewDirection * step, walking);
    if (held(kKeyS)) walk(-viewDirection * step, walking);
    if (held(kKeyA)) walk(-right * step, walking);
    if (held(kKeyD)) walk(right * step, walking);
    if (padWalk != vec2(0.0f))
        walk((viewDirection * padWalk.y + right * padWalk.x) * step, walking);
    if (walking)
        playerPosition.y = game->terrain->heightAt(playerPosition.x, playerPosition.z) + kEyeHeight;

    viewMatrix = glm::lookAt(playerPosition, playerPosition + viewDirection, up);
    if (soundEngine)
        soundEngine->setListenerPosition(playerPosition, viewDirection, vec3(0.0f), up);
}

float finishLineDistance(vec3 p) {
    float t = ((p.x - kFinishX) * kFinishDx + (p.z - kFinishZ) * kFinishDz) / kFinishLengthSquared;
    t = std::clamp(t, 0.0f, 1.0f);
    const float qx = kFinishX + t * kFinishDx;
    const float qz = kFinishZ + t * kFinishDz;
    return std::sqrt((p.x - qx) * (p.x - qx) + (p.z - qz) * (p.z - qz));
}

bool pushOutOfWall(vec3& p, vec2 start, vec2 end) {
    const vec2 segment = end - start;
    const float lengthSquared = glm::dot(segment, segment);
    if (!(lengthSquared > 0.0f)) return false;  // a wall of no length blocks nothing
    const vec2 position(p.x, p.z);
    const vec2 closest = start + nearestOnSegment(position, start, end) * segment;
    const vec2 away = position - closest;
    const float d = glm::length(away);
    if (!(d < kPlayerRadius)) return false;
    // Standing exactly on the centre line gives no direction: step off to one side.
    const vec2 normal = d > 0.0f ? away / d : glm::normalize(vec2(-segment.y, segment.x));
    p.x += normal.x * (kPlayerRadius - d);
    p.z += normal.y * (kPlayerRadius - d);
    return true;
}

void stepCheck(vec3& p) {
    if (checkHop(p)) announceGoal();
}

void uploadCameraMatrices(mat4 projection, mat4 view) {
    const mat4 pv = projection * view;
    const Shader& phong = use(game->phongShader);
    setUniform(phong, "projectionMatrix", projection);
    setUniform(phong, "viewMatrix", view);
    setUniform(use(game->shadowShader), "PV_cam", pv);
    setUniform(use(game->projectionShader), "PV_cam", pv);
    setUniform(use(game->normalsShader), "PV", pv);
    setUniform(use(game->contourShader), "PV", pv);
    const Shader& toon = use(game->toonShader);
    setUniform(toon, "projectionMatrix", projection);
    setUniform(toon, "viewMatrix", view);
    setUniform(use(game->transparencyShader), "PV", pv);

    game->bonusItems->setCameraMatrices(projection, view);
    for (const auto& system : game->particleSystems) system->viewProjection = pv;
    game->viewMatrix = view;
    game->cameraPv = pv;
}
