#include <gtest/gtest.h>

#include <memory>

#include "scene/BallObject.h"
#include "scene/BonusItem.h"

using namespace kesto::scene;

namespace {

// Mesh-less stand-ins: the placement, spin and hit test need no GL context.
class Ring : public nonTexturedVboObject {
public:
    Ring() : nonTexturedVboObject(mat4(1.0f)) {}
};

class Item : public BonusItemObject {
public:
    Item(vec3 position, nonTexturedVboObject* atomTemplate = nullptr)
        : BonusItemObject(glm::translate(mat4(1.0f), position), atomTemplate) {}
};

class Ball : public BallObject {
public:
    explicit Ball(vec3 position) : BallObject(glm::translate(mat4(1.0f), position)) {}
};

// Records of the program-wide list, emptied again after each test.
class BonusItemRecords : public ::testing::Test {
protected:
    void TearDown() override { BonusItemSet::bonusItemRecords.clear(); }

    void place(vec3 position, int type) {
        BonusItemRecord record;
        record.item = std::make_unique<Item>(position);
        record.item->place(0.3f);
        record.type = type;
        BonusItemSet::bonusItemRecords.push_back(std::move(record));
    }

    std::pair<int, int> find(vec3 ballPosition) {
        int index = 99, type = 99;
        BonusItemSet::findHitItem(Ball(ballPosition), index, type);
        return {index, type};
    }
    bool hit(size_t record) const { return BonusItemSet::bonusItemRecords[record].item->hit; }
};

// The rotation part of m against a right-handed turn of the given degrees about the axis.
void expectTurn(const mat4& m, vec3 axis, float degrees) {
    const glm::mat3 turn(glm::rotate(mat4(1.0f), glm::radians(degrees), axis)), actual(m);
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) EXPECT_NEAR(actual[c][r], turn[c][r], 1e-5f) << c << r;
}

}  // namespace

TEST_F(BonusItemRecords, ReachIsRadiusPlusTwoTenthsInclusiveOfHalf) {
    place({262, 17, 33}, Duck);
    EXPECT_EQ(find({262.51f, 17, 33}), std::pair(-1, -1));
    EXPECT_FALSE(hit(0));
    EXPECT_EQ(find({262, 17.5f, 33}), std::pair(0, int(Duck)));
    EXPECT_TRUE(hit(0));
}

TEST_F(BonusItemRecords, FirstRecordInReachWinsOverANearerOne) {
    place({10, 0, 0}, Car);
    place({10.4f, 0, 0}, Croctopus);
    place({10.8f, 0, 0}, Duck);
    EXPECT_EQ(find({10.35f, 0, 0}), std::pair(0, int(Car)));
    EXPECT_FALSE(hit(1));
    EXPECT_EQ(find({10.7f, 0, 0}), std::pair(1, int(Croctopus)));
}

TEST(BonusItemObject, OneSecondSpinsItemAndRingsByNinetyDegrees) {
    Ring atomTemplate;
    Item item({5, 6, 7}, &atomTemplate);
    item.place(0.3f);
    const mat4 ring1Before = item.atoms[1]->modelMatrix;
    item.update(1.0);
    expectTurn(item.modelMatrix, {0.5f, -1, 0}, 90.0f);
    EXPECT_EQ(translationOf(item.modelMatrix), vec3(5, 6, 7));
    expectTurn(item.atoms[0]->modelMatrix, {0.5f, 1, 0}, 90.0f);
    expectTurn(glm::inverse(ring1Before) * item.atoms[1]->modelMatrix, {0.5f, 1, 0}, 90.0f);
    expectTurn(glm::inverse(glm::rotate(mat4(1.0f), 0.7853982f, vec3(0, 0, 1))) *
                   item.atoms[2]->modelMatrix,
               {0.5f, -1, 0}, 90.0f);

    Item still({0, 0, 0});
    still.update(0.0);
    EXPECT_EQ(still.modelMatrix, mat4(1.0f));
}
