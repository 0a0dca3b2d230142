#include <gtest/gtest.h>

#include <iterator>
#include <string>

#include "game/Game.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/MeshObjects.h"
#include "scene/WallObject.h"
#include "shell/Globals.h"
#include "support/GameFixture.h"

using namespace kesto::scene;
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

using GameSetup = GameTest;

TEST_F(GameSetup, StartsOnThePlayPosterWithEverythingBuilt) {
    // Fields other tests change are left alone; these stay as construction made them.
    EXPECT_EQ(playerPosition, vec3(282, 11, 22));  // where the player starts
    ASSERT_NE(g->terrain, nullptr);
    const vec3 goal(177, g->terrain->heightAt(177, 119), 119);
    EXPECT_EQ(translationOf(g->finish->modelMatrix), goal);
    EXPECT_EQ(translationOf(g->finishLayer->modelMatrix), goal);
}

TEST_F(GameSetup, ItemsPlacedInTableOrder) {
    const auto& records = BonusItemSet::bonusItemRecords;
    ASSERT_EQ(records.size(), std::size(kBonusItemPlaces));
    for (size_t i = 0; i < records.size(); ++i) {
        const BonusItemPlace& place = kBonusItemPlaces[i];
        EXPECT_EQ(records[i].type, place.type);
        EXPECT_EQ(translationOf(records[i].item->modelMatrix), vec3(place.x, place.y, place.z));
        EXPECT_EQ(translationOf(records[i].cone->modelMatrix), vec3(place.x, place.y, place.z));
        const auto* skin = place.type == Car    ? g->bonusItems->carTexture.get()
                           : place.type == Duck ? g->bonusItems->duckTexture.get()
                                                : g->bonusItems->croctopusTexture.get();
        EXPECT_EQ(records[i].skin, skin) << i;
    }
}

TEST_F(GameSetup, WallsAreNumberedInOrderAndZeroLengthIsSkipped) {
    const size_t before = g->walls.size();
    CaptureStdout();
    g->addWall({10, 24}, {10, 20});
    g->addWall({14, 20}, {10, 21});
    g->addWall({3, 3}, {3, 3});
    const std::string out = GetCapturedStdout();
    EXPECT_EQ(out, "Wall " + std::to_string(before + 1) + " created with angle 90\n" + "Wall " +
                       std::to_string(before + 2) + " created with angle 166\n" +
                       "Skipping wall from 3.00/3.00 to 3.00/3.00: it has no length\n");
    ASSERT_EQ(g->walls.size(), before + 2);
    EXPECT_EQ(g->walls[before]->start, vec2(10, 24));  // as given, not swapped
    EXPECT_EQ(g->walls[before]->end, vec2(10, 20));
    g->walls.resize(before);
}

// Walls are copies of one indexed box: dropping a copy frees nothing, dropping the prototype
// frees every name, the index buffer included.
TEST_F(GameSetup, WallCopiesNeverFreeTheBoxThePrototypeFreesAllOfIt) {
    auto prototype = std::make_unique<WallObject>(mat4(1.0f), nullptr);
    const MeshBuffers& box = *prototype->mesh;
    const GLuint vao = box.vao, position = box.positionBuffer, normal = box.normalBuffer,
                 index = box.indexBuffer;
    const auto alive = [&] {
        return glIsVertexArray(vao) + glIsBuffer(position) + glIsBuffer(normal) + glIsBuffer(index);
    };
    ASSERT_EQ(alive(), 4);
    std::make_unique<WallObject>(*prototype).reset();
    EXPECT_EQ(alive(), 4);
    prototype.reset();
    EXPECT_EQ(alive(), 0);
}
