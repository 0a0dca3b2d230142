// What a ball meets: bonus items, the ground, the walls; and the splats it leaves.
#include <gtest/gtest.h>

#include <algorithm>

#include "PlaySupport.h"
#include "game/Projection.h"
#include "platform/Sound.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"

using kesto::scene::BonusItemSet;

namespace {

// The first record of a kind, or the one after it.
size_t recordOf(int type, int skipped = 0) {
    const auto& records = BonusItemSet::bonusItemRecords;
    const auto found = std::find_if(records.begin(), records.end(), [&](const auto& record) {
        return record.type == type && skipped-- == 0;
    });
    EXPECT_NE(found, records.end()) << "no bonus item of type " << type;
    return static_cast<size_t>(found - records.begin());
}

vec3 itemPosition(size_t index) {
    return translationOf(BonusItemSet::bonusItemRecords.at(index).item->modelMatrix);
}

}  // namespace

TEST_F(PlayTest, GroundCountsOnlyWithinTheBallRadiusAndSplatsFromStraightAbove) {
    const vec3 ground = openGround();
    const size_t splats = projections.size();
    EXPECT_FALSE(g->checkBallImpact(ballAt(ground + vec3(0, 0.3f, 0)).get()));
    EXPECT_EQ(projections.size(), splats);
    EXPECT_TRUE(g->checkBallImpact(ballAt(ground + vec3(0, 0.1f, 0)).get()));
    ASSERT_EQ(projections.size(), splats + 1);
    EXPECT_EQ(projections.back().position, ground);
    EXPECT_TRUE(projections.back().onTerrain);
    EXPECT_NEAR(projections.back().projectorPosition.y, ground.y + 4.0f, 1e-4);
    EXPECT_FALSE(g->particleSystems.empty());

    // Exactly at ground height: no direction to take, yet a sound splat.
    ASSERT_TRUE(g->checkBallImpact(ballAt(ground).get()));
    const Projection& splat = projections.back();
    EXPECT_EQ(splat.projectorPosition, ground + vec3(0, 4, 0));
    for (int c = 0; c < 4; ++c)  // finite: no NaN passes the comparison
        EXPECT_TRUE(glm::all(glm::lessThan(glm::abs(splat.textureMatrix[c]), vec4(1e30f)))) << c;
}

TEST_F(PlayTest, WallIsHitJustInsideTheBallRadiusAndBelowItsTop) {
    vec2 mid, across;
    const auto& wall = lonelyWall(mid, across);
    const auto ballNear = [&](float distance, float aboveGround) {
        const vec2 p = mid + across * distance;
        return ballAt(vec3(p.x, g->terrain->cellHeight(p.x, p.y) + aboveGround, p.y));
    };
    EXPECT_FALSE(g->checkBallImpact(ballNear(0.1f, 4.25f).get()));
    EXPECT_FALSE(wall.hit);

    const size_t splats = projections.size();
    EXPECT_TRUE(g->checkBallImpact(ballNear(0.19f, 1.0f).get()));
    EXPECT_TRUE(wall.hit);
    ASSERT_EQ(projections.size(), splats + 1);
    const Projection& splat = projections.back();
    // The projector stands 4 units out on the ball's side, looking back at the wall.
    const vec3 out = splat.projectorPosition - splat.position;
    EXPECT_NEAR(glm::length(out), 4.0f, 1e-4);
    EXPECT_NEAR(glm::dot(vec2(out.x, out.z), across), 4.0f, 1e-3);
    EXPECT_TRUE(splat.onTerrain);  // 1 above the ground

    EXPECT_TRUE(g->checkBallImpact(ballNear(-0.19f, 2.5f).get()));
    EXPECT_FALSE(projections.back().onTerrain);
    EXPECT_TRUE(g->checkBallImpact(ballNear(0.1f, 4.15f).get()));
}

TEST_F(PlayTest, ItemOnTheGroundPaysAndSplatsInOneTest) {
    const vec3 ground = openGround();
    auto& duck = *BonusItemSet::bonusItemRecords.at(recordOf(kesto::scene::Duck)).item;
    const mat4 saved = duck.modelMatrix;
    duck.modelMatrix[3] = vec4(ground + vec3(0, 0.1f, 0), 1.0f);
    g->ballsLeft = 10;
    const size_t splats = projections.size();
    EXPECT_TRUE(g->checkBallImpact(ballAt(ground + vec3(0, 0.1f, 0)).get()));
    duck.modelMatrix = saved;
    EXPECT_EQ(g->ballsLeft, 60);
    EXPECT_EQ(projections.size(), splats + 1);
}

// A car gives 30 s back (100 s left leave 130 s), never more than was played; a duck 50 balls,
// up to 200; each pays once.
TEST_F(PlayTest, BonusItemsPayOnceTheirTimeBallsAndTripleThrow) {
    ASSERT_NE(g->tickingSound, nullptr);
    g->tickingSound->setIsPaused(false);
    const vec3 car = itemPosition(recordOf(kesto::scene::Car));
    const vec3 duck = itemPosition(recordOf(kesto::scene::Duck));
    const struct {
        vec3 item;
        double elapsedBefore, elapsedAfter;
        int ballsBefore, ballsAfter;
        const char* says;
    } hits[] = {
        {car, 200.0, 170.0, 7, 7, "Hit a car, got 30 sec time bonus!\n"},
        {car, 12.5, 12.5, 7, 7, "Already hit this bonus item\n"},
        {duck, 12.5, 12.5, 180, 200, "Hit a duck, got 50 more balls!\n"},
        {itemPosition(recordOf(kesto::scene::Car, 1)), 12.5, 0.0, 7, 7, "Hit a car"},
    };
    for (const auto& h : hits) {
        g->elapsedTime = h.elapsedBefore;
        g->ballsLeft = h.ballsBefore;
        const std::string out = hitAt(h.item);
        EXPECT_NE(out.find(h.says), std::string::npos) << out;
        EXPECT_DOUBLE_EQ(g->elapsedTime, h.elapsedAfter) << h.says;
        EXPECT_EQ(g->ballsLeft, h.ballsAfter) << h.says;
    }
    EXPECT_TRUE(g->tickingSound->getIsPaused());
    hitAt(itemPosition(recordOf(kesto::scene::Croctopus)));
    EXPECT_TRUE(g->tripleThrowUnlocked);
}
