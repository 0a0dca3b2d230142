#include <cmath>
#include <cstdio>

#include "game/Game.h"
#include "game/PlayRules.h"
#include "platform/Records.h"
#include "platform/Sound.h"
#include "platform/Window.h"
#include "scene/BallObject.h"
#include "scene/BonusItem.h"

void Game::addBall(vec3 position, vec3 direction, bool running) {
    if (ballsLeft <= 0) {
        if (soundEngine && emptySound) soundEngine->play2D(emptySound);
        std::printf("There are no balls left to shoot");
        return;
    }
    const Launch launch = launchFrom(position, direction, running);
    auto ball = std::make_unique<kesto::scene::BallObject>(*ballPrototype);
    ball->modelMatrix = glm::translate(ball->modelMatrix, launch.spawn);
    ball->startHeight = translationOf(ball->modelMatrix).y;
    ball->direction = launch.direction;
    ball->angle = launch.angle;
    ball->power = launch.power;
    std::printf("Ball created with angle %0.2f\n", ball->angle);

    balls.push_back(std::move(ball));
    ballsLeft -= 1;
    std::printf("Ball %i created\n", static_cast<int>(balls.size()));
}

void Game::update(double dt) {
    if (posterVisible) return;  // the clock stands still under every poster
    frameTime = dt;

    for (auto& record : kesto::scene::BonusItemSet::bonusItemRecords) {
        if (record.item->hit) record.item->update(dt);
    }

    elapsedTime += dt;

    if (frustumCulling) updateWallVisibility();

    removalIndices.clear();
    const size_t flying = balls.size();
    for (size_t i = 0; i < flying; ++i) {
        kesto::scene::BallObject& ball = *balls[i];
        const int hops = flightHops(ball.direction, dt);
        for (int hop = 0; hop < hops; ++hop) {
            ball.update(dt / hops);
            if (checkBallImpact(&ball)) {
                removalIndices.push_back(static_cast<int>(i));
                break;
            }
        }
    }
    // From the back, so the positions still to erase stay valid and the rest keep their order.
    for (auto it = removalIndices.rbegin(); it != removalIndices.rend(); ++it)
        balls.erase(balls.begin() + *it);

    renderShadowMap();

    if (movedThisFrame) {
        if (bumpedWall && !bumpedBefore && soundEngine && gruntSound)
            soundEngine->play2D(gruntSound);
        bumpedBefore = bumpedWall;
        bumpedWall = false;
        movedThisFrame = false;
        if (footsteps) footsteps->setIsPaused(false);
    } else if (footsteps) {
        footsteps->setIsPaused(true);
    }

    // Reaching the gate in the last moment still wins.
    const auto showEndPoster = [this](int poster, audio::Sound* jingle) {
        posterIndex = poster;
        if (soundEngine) soundEngine->setAllSoundsPaused(true);
        if (jingle) jingle->setIsPaused(false);
        posterVisible = true;
        setCursorVisible(true);
    };
    if (goalReached) {
        // F1 on the end poster lets the update run again: the win counts once.
        if (winTime < 0.0) recordWin();
        showEndPoster(kPosterWin, winJingle);
    } else if (elapsedTime >= kTimeLimit) {
        showEndPoster(kPosterLose, loseJingle);
    }
}

void Game::recordWin() {
    winTime = elapsedTime;
    bestTime = winTime;
    if (recordsPath.empty()) return;
    const std::vector<Record> kept = addRecord(recordsPath, {winTime, currentDate()});
    bestTime = kept.front().seconds;
    std::printf("Time %.2f s, best %.2f s\n", winTime, bestTime);
}
