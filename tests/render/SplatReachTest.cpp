// The reach of a paint splat: the geometry that bounds where its paint can land, and the frame
// drawn with it, which must be the very picture the splat pass draws without it.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <numeric>
#include <random>
#include <regex>
#include <string>

#include "game/PlayRules.h"
#include "game/Projection.h"
#include "render/FrameFixture.h"
#include "render/ParticleSystem.h"
#include "render/SplatReach.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"

TEST(SplatReach, LimitsCoverWhatTheProgramPaints) {
    std::ifstream file("Shader/projTexture.frag");
    const std::string frag{std::istreambuf_iterator<char>(file), {}};
    ASSERT_FALSE(frag.empty()) << "run from the repository root";
    const struct {
        const char* pattern;
        float ours;
        bool atMost;
    } limits[] = {
        {R"(nearestPainted\s*=\s*([0-9.]+))", kNearestPainted, true},
        {R"(farthestPainted\s*=\s*([0-9.]+))", kFarthestPainted, false},
        {R"(smoothstep\(\s*([0-9.]+)\s*,\s*[0-9.]+\s*,\s*facing\s*\))", kLeastPaintedFacing, true}};
    for (const auto& limit : limits) {
        std::smatch match;
        ASSERT_TRUE(std::regex_search(frag, match, std::regex(limit.pattern))) << limit.pattern;
        const float theirs = std::stof(match[1]);
        EXPECT_TRUE(limit.atMost ? limit.ours <= theirs : limit.ours >= theirs) << limit.pattern;
    }
}

TEST(SplatReach, ClippingKeepsExactlyTheSlabOfTheHull) {
    std::vector<vec3> cube;
    for (int i = 0; i < 8; ++i) cube.emplace_back(i & 1, (i >> 1) & 1, (i >> 2) & 1);

    const std::vector<vec3> slab = clipToSlab(cube, vec3(1, 0, 0), 0.25f, 0.5f);
    ASSERT_FALSE(slab.empty());
    vec3 low(INFINITY), high(-INFINITY);
    for (const vec3& p : slab) {
        low = glm::min(low, p);
        high = glm::max(high, p);
    }
    EXPECT_EQ(low, vec3(0.25f, 0.0f, 0.0f));
    EXPECT_EQ(high, vec3(0.5f, 1.0f, 1.0f));

    // A slab across the diagonal: the hull's corner at the origin is cut off, the far one kept.
    const vec3 diagonal = glm::normalize(vec3(1, 1, 1));
    const std::vector<vec3> corner = clipToSlab(cube, diagonal, 0.5f, 10.0f);
    for (const vec3& p : corner) EXPECT_GE(glm::dot(diagonal, p), 0.5f - 1e-5f);
    EXPECT_NE(std::find(corner.begin(), corner.end(), vec3(1, 1, 1)), corner.end());

    EXPECT_TRUE(clipToSlab(cube, vec3(0, 0, 1), 1.5f, 2.0f).empty());
    EXPECT_TRUE(clipToSlab({}, vec3(0, 0, 1), 0.0f, 1.0f).empty());
}

TEST(SplatReach, TerrainSpanCoversTheCellsUnderTheBoxAndStaysOnTheGrid) {
    const auto span = [](float x0, float z0, float x1, float z1, int width) {
        const TerrainSpan s = terrainSpanOf({vec2(x0, z0), vec2(x1, z1)}, width, 8);
        return std::vector<int>{s.column, s.columns, s.row, s.rows};
    };
    // Cell c covers c to c + 1: a box from 2.5 to 4.0 touches cells 2, 3 and 4.
    EXPECT_EQ(span(2.5f, 1.0f, 4.0f, 1.5f, 10), (std::vector<int>{2, 3, 0, 2}));
    EXPECT_EQ(span(-1e30f, -1e30f, 1e30f, 1e30f, 10), (std::vector<int>{0, 9, 0, 7}));
    EXPECT_EQ(span(11, 1, 12, 2, 10)[1], 0);
    EXPECT_EQ(span(1, -3, 2, -2, 10)[3], 0);
    EXPECT_EQ(span(1, 1, 2, 2, 1)[1], 0);  // no cells at all
}

TEST(SplatReach, ScreenRectHoldsTheHullAndGivesUpBehindTheCamera) {
    const mat4 pv = glm::perspective(glm::radians(45.0f), 4.0f / 3.0f, 0.1f, 210.0f) *
                    glm::lookAt(vec3(0, 0, 0), vec3(0, 0, -1), vec3(0, 1, 0));
    const int viewport[4] = {0, 0, 800, 600};
    int rect[4] = {};
    // A point straight ahead lands in the middle.
    ASSERT_TRUE(screenRectOf({vec3(0, 0, -10)}, pv, viewport, rect));
    EXPECT_TRUE(rect[0] <= 400 && rect[0] + rect[2] >= 400) << rect[0] << " + " << rect[2];
    EXPECT_TRUE(rect[1] <= 300 && rect[1] + rect[3] >= 300) << rect[1] << " + " << rect[3];
    EXPECT_LT(rect[2], 10);

    EXPECT_FALSE(screenRectOf({vec3(100, 0, -10), vec3(120, 5, -10)}, pv, viewport, rect));
    EXPECT_FALSE(screenRectOf({}, pv, viewport, rect));

    ASSERT_TRUE(screenRectOf({vec3(0, 0, -10), vec3(0, 0, 5)}, pv, viewport, rect));
    EXPECT_EQ(std::vector<int>(rect, rect + 4), (std::vector<int>{0, 0, 800, 600}));
}

namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 384;

class SplatPass : public FrameTest {
protected:
    SplatPass() : FrameTest(kWidth, kHeight) {}
    void SetUp() override {
        FrameTest::SetUp();
        saved = projections;
        projections.clear();
    }
    void TearDown() override {
        FrameTest::TearDown();
        projections = saved;
        if (g) g->particleSystems.clear();
    }

    // Splats in view where thrown balls would leave them: on walls, at hand heights and up to
    // their ends, on either side, and on the ground, some right beside a wall.
    void splatInView(vec3 eye, int count) {
        std::minstd_rand engine{12345u};  // the same splats on every run
        const auto next = [&] { return std::uniform_real_distribution<float>(0, 1)(engine); };
        std::vector<const kesto::scene::WallObject*> near;
        for (const auto& wall : g->walls) {
            const vec2 mid = (wall->start + wall->end) * 0.5f;
            if (glm::length(mid - vec2(eye.x, eye.z)) < 40.0f) near.push_back(wall.get());
        }
        ASSERT_FALSE(near.empty());
        auto wallPoint = [&](vec2& side) {
            const auto& wall = *near[static_cast<size_t>(next() * near.size())];
            const vec2 along = wall.end - wall.start;
            side = glm::normalize(vec2(-along.y, along.x));
            if (next() < 0.5f) side = -side;
            return wall.start + along * next();
        };
        auto around = [&](float spread) { return (next() - 0.5f) * 2.0f * spread; };
        int added = 0;
        for (int attempt = 0; added < count && attempt < 100000; ++attempt) {
            vec2 side;
            vec3 position, direction, up(0, 1, 0);
            const int kind = attempt % 5;
            if (kind == 0) {
                const vec2 ball = wallPoint(side) + side * 0.15f;
                const float ground = g->terrain->cellHeight(ball.x, ball.y);
                position = vec3(ball.x, ground + 0.3f + 3.4f * next(), ball.y);
                direction = vec3(side.x, 0.0f, side.y);
            } else if (kind == 3) {
                // Any projector the operation accepts: askew to a wall, the surface anywhere
                // from the nearest to the farthest painted distance.
                const vec2 at = wallPoint(side) + side * around(3.0f);
                position = vec3(at.x, g->terrain->cellHeight(at.x, at.y) + 4.0f * next(), at.y);
                direction = glm::normalize(vec3(side.x, 0.0f, side.y) * (0.2f + next()) +
                                           vec3(around(1.0f), around(0.7f), around(1.0f)));
            } else if (kind == 4) {
                const vec2 at(eye.x + around(25.0f), eye.z + around(25.0f));
                position = vec3(at.x, g->terrain->cellHeight(at.x, at.y) + around(3.0f), at.y);
                direction = glm::normalize(vec3(around(1.2f), 1.0f, around(1.2f)));
                up = kGroundSplatUp;
            } else {
                const vec2 at = kind == 1 ? wallPoint(side) + side * (0.3f + 1.5f * next())
                                          : vec2(eye.x + around(25.0f), eye.z + around(25.0f));
                position = vec3(at.x, g->terrain->cellHeight(at.x, at.y), at.y);
                direction = vec3(0, 0.1f, 0);
                up = kGroundSplatUp;
            }
            if (!g->isInFrustum(position, 0.5f, 40.0f)) continue;
            g->addProjection(position, direction, up);
            ++added;
        }
        // Bursts live on; the picture of the splats is what is compared.
        g->particleSystems.clear();
    }

    std::vector<Projection> saved;
};

int differing(const std::vector<Rgba>& a, const std::vector<Rgba>& b) {
    return std::inner_product(a.begin(), a.end(), b.begin(), 0, std::plus<>(),
                              [](Rgba p, Rgba q) { return !(p == q); });
}

}  // namespace

TEST_F(SplatPass, ReachedPartsPaintTheSamePictureAsEverything) {
    struct View {
        const char* name;
        vec3 eye;
        vec3 direction;
        bool culling;
    };
    const float startHeight = g->terrain->heightAt(282.0f, 22.0f) + 1.5f;
    const View views[] = {
        {"splats_start", vec3(282.0f, startHeight, 22.0f), vec3(0.0f, -0.15f, 1.0f), true},
        // Close to the wall beside the start, where paint runs round into the corners.
        {"splats_close", vec3(282.0f, startHeight, 22.0f), vec3(1.0f, -0.2f, 0.4f), true},
        // From above, down onto walls and the slopes between them, nothing culled.
        {"splats_above", vec3(275.0f, startHeight + 6.0f, 30.0f), vec3(0.6f, -0.7f, 0.4f), false},
    };
    for (const View& view : views) {
        SCOPED_TRACE(view.name);
        projections.clear();
        g->frustumCulling = view.culling;
        lookAt(view.eye, view.eye + view.direction);
        const std::vector<Rgba> bare = frame(true);
        splatInView(view.eye, 60);

        size_t wallsDrawn = 0, cellsDrawn = 0;
        for (const Projection& splat : projections) {
            ASSERT_TRUE(splat.reachKnown);
            wallsDrawn += splat.reachedWalls.size();
            for (const TerrainRun& run : splat.terrainRuns) cellsDrawn += run.columns;
        }
        const size_t cells = static_cast<size_t>(g->terrain->width - 1) * (g->terrain->depth - 1);
        EXPECT_LT(wallsDrawn, projections.size() * 3);
        EXPECT_LT(cellsDrawn, projections.size() * cells / 1000);

        const std::vector<Projection> reached = projections;
        // Lines too: a wireframe splat pass paints the edges its paint lands on.
        for (bool wire : {false, !view.culling}) {
            g->wireframe = wire;
            glPolygonMode(GL_FRONT_AND_BACK, wire ? GL_LINE : GL_FILL);
            projections = reached;
            const std::vector<Rgba> reduced = frame(true);
            for (Projection& splat : projections) splat.reachKnown = false;
            const std::vector<Rgba> full = frame(true);

            // The splats show, so there is something to compare.
            EXPECT_GT(differing(bare, full), kWidth * kHeight / (wire ? 500 : 50)) << wire;
            EXPECT_EQ(differing(reduced, full), 0) << wire;
        }
        g->wireframe = false;
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    }
}
