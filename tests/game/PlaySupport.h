// Helpers of the play tests: a clean game state and places in the maze to throw at.
#pragma once

#include <memory>
#include <string>
#include <tuple>

#include "game/Game.h"
#include "scene/BallObject.h"
#include "support/GameFixture.h"

class PlayTest : public GameTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A ball copied from the prototype, standing still at p.
    std::unique_ptr<kesto::scene::BallObject> ballAt(vec3 p) const;
    // Such a ball checked for impact; what the game printed meanwhile.
    std::string hitAt(vec3 p) const;
    // A point on the ground (integer x and z) with no wall and no bonus item within 3 units.
    vec3 openGround() const;
    // A wall of some length with no other wall near its middle; mid is that middle (x, z)
    // and across a unit vector across it.
    const kesto::scene::WallObject& lonelyWall(vec2& mid, vec2& across) const;

private:
    // The switches and rules state these tests change, put back for the other rooms' tests.
    auto state() const {
        return std::tie(g->posterVisible, g->frustumCulling, g->goalReached, g->tripleThrowUnlocked,
                        g->posterIndex, g->ballsLeft, g->elapsedTime, g->frameTime);
    }
    std::tuple<bool, bool, bool, bool, int, int, double, double> saved;
};
