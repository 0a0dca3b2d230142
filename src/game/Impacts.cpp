#include <cstdio>

#include "game/Game.h"
#include "game/PlayRules.h"
#include "game/Projection.h"
#include "platform/Sound.h"
#include "scene/BallObject.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/SplatReach.h"
#include "scene/WallObject.h"

std::vector<Projection> projections;

namespace {

constexpr float kProjectorDistance = 4.0f;
constexpr float kOnTerrainBelow = 2.0f;
const vec3 kWallUp(0.0f, 1.0f, 0.0f);

// Pays the bonus of a newly hit item and plays its sound, whether new or not.
void rewardItem(Game& game, int index, int type, vec3 at) {
    if (game.hitBonusItems.count(index) != 0) {
        std::printf("Already hit this bonus item\n");
    } else {
        game.hitBonusItems.insert(index);
        switch (type) {
        case kesto::scene::Car:
            game.elapsedTime = afterCarBonus(game.elapsedTime);
            if (game.tickingSound) game.tickingSound->setIsPaused(true);
            std::printf("Hit a car, got %0.0f sec time bonus!\n", kCarBonusSeconds);
            break;
        case kesto::scene::Croctopus:
            game.tripleThrowUnlocked = true;
            std::printf(
                "Hit a croctopus, can now throw three balls at a time (with right "
                "click)!\n");
            break;
        case kesto::scene::Duck:
            game.ballsLeft = afterDuckBonus(game.ballsLeft);
            std::printf("Hit a duck, got %i more balls!\n", kDuckBonusBalls);
            break;
        default: std::printf("Sorry, I don't know this bonus item\n"); break;
        }
    }
    if (type >= 0 && static_cast<size_t>(type) < game.bonusItemSounds.size()) {
        audio::SoundSource* sound = game.bonusItemSounds[static_cast<size_t>(type)];
        if (game.soundEngine && sound) game.soundEngine->play3D(sound, at);
    } else {
        std::fprintf(stderr, "No sound defined for bonus item with type: %i", type);
    }
}

}  // namespace

bool Game::checkBallImpact(kesto::scene::BallObject* ball) {
    const vec3 b = translationOf(ball->modelMatrix);

    int index = -1;
    int type = -1;
    kesto::scene::BonusItemSet::findHitItem(*ball, index, type);
    if (index != -1) rewardItem(*this, index, type, b);

    const float h = terrain->cellHeight(b.x, b.z);
    if (touchesGround(b.y, h)) {
        addProjection(vec3(b.x, h, b.z), vec3(0.0f, b.y - h, 0.0f), kGroundSplatUp);
        return true;
    }

    if (!passesOverWalls(b.y, h)) {
        for (auto& wall : walls) {
            vec2 away;
            if (!reachesWall(wall->start, wall->end, b.x, b.z, away)) continue;
            addProjection(b, vec3(away.x, 0.0f, away.y), kWallUp);
            wall->hit = true;
            return true;
        }
    }
    return index != -1;
}

void Game::addProjection(vec3 position, vec3 direction, vec3 up) {
    const vec3 axis = projectorAxis(direction);
    Projection splat;
    splat.projectorPosition = position + kProjectorDistance * axis;
    splat.position = position;
    splat.textureMatrix =
        projectorTextureMatrix(splat.projectorPosition, position, projectorUp(axis, up));

    const float ground = terrain->heightAt(position.x, position.z);
    std::printf("Difference is %0.02f\n", position.y - ground);
    splat.onTerrain = position.y - ground < kOnTerrainBelow;
    findSplatReach(splat, splat.textureMatrix, walls, *terrain);
    projections.push_back(splat);

    launchBurst(position, -axis);

    std::printf(
        "Adding Projection on position: %0.2f/%0.2f/%0.2f | Pointing to: %0.2f/%0.2f/%0.2f \n",
        splat.projectorPosition.x, splat.projectorPosition.y, splat.projectorPosition.z, position.x,
        position.y, position.z);
    std::printf("Number of projections is %i\n", static_cast<int>(projections.size()));
    if (soundEngine && splashSound) soundEngine->play3D(splashSound, position);
}
