#include "PlaySupport.h"

#include <limits>

#include "render/ParticleSystem.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"

using kesto::scene::BonusItemSet;

namespace {

float distanceToSegment(vec2 p, vec2 a, vec2 b) {
    const vec2 ab = b - a;
    const float t = glm::dot(ab, ab) > 0.0f ? nearestOnSegment(p, a, b) : 0.0f;
    return glm::length(p - (a + t * ab));
}

float nearestWall(const Game& g, vec2 p, const kesto::scene::WallObject* except) {
    float nearest = std::numeric_limits<float>::max();
    for (const auto& wall : g.walls) {
        if (wall.get() != except)
            nearest = std::min(nearest, distanceToSegment(p, wall->start, wall->end));
    }
    return nearest;
}

}  // namespace

void PlayTest::SetUp() {
    GameTest::SetUp();
    if (!g) return;
    saved = state();
    g->posterVisible = g->goalReached = g->tripleThrowUnlocked = false;
    g->elapsedTime = 0.0;
    g->ballsLeft = kStartBalls;
    g->movedThisFrame = g->bumpedWall = g->bumpedBefore = false;
    g->frustumCulling = false;  // nothing may depend on where the camera happens to look
    g->balls.clear();
    g->particleSystems.clear();
    g->hitBonusItems.clear();
    for (auto& record : BonusItemSet::bonusItemRecords) record.item->hit = false;
    for (auto& wall : g->walls) wall->hit = false;
}

void PlayTest::TearDown() {
    if (!g) return;
    g->balls.clear();
    g->particleSystems.clear();
    state() = saved;
}

std::unique_ptr<kesto::scene::BallObject> PlayTest::ballAt(vec3 p) const {
    auto ball = std::make_unique<kesto::scene::BallObject>(*g->ballPrototype);
    ball->modelMatrix = glm::translate(mat4(1.0f), p);
    ball->startHeight = p.y;
    return ball;
}

std::string PlayTest::hitAt(vec3 p) const {
    testing::internal::CaptureStdout();
    g->checkBallImpact(ballAt(p).get());
    return testing::internal::GetCapturedStdout();
}

vec3 PlayTest::openGround() const {
    const auto& terrain = *g->terrain;
    for (int z = 10; z < terrain.depth - 10; z += 3) {
        for (int x = 10; x < terrain.width - 10; x += 3) {
            const vec2 p(x, z);
            if (nearestWall(*g, p, nullptr) < 3.0f) continue;
            bool nearItem = false;
            for (const auto& record : BonusItemSet::bonusItemRecords) {
                const vec3 item = translationOf(record.item->modelMatrix);
                nearItem = nearItem || glm::length(vec2(item.x, item.z) - p) < 3.0f;
            }
            if (!nearItem) return vec3(x, terrain.cellHeight(x, z), z);
        }
    }
    ADD_FAILURE() << "no open ground in the maze";
    return vec3(0.0f);
}

const kesto::scene::WallObject& PlayTest::lonelyWall(vec2& mid, vec2& across) const {
    for (const auto& wall : g->walls) {
        const vec2 along = wall->end - wall->start;
        if (glm::length(along) < 2.0f) continue;
        mid = (wall->start + wall->end) * 0.5f;
        if (nearestWall(*g, mid, wall.get()) < 1.0f) continue;
        across = glm::normalize(vec2(-along.y, along.x));
        return *wall;
    }
    ADD_FAILURE() << "no wall stands alone";
    return *g->walls.front();
}
