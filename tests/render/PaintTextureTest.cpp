// The paint texture's parts on their own (slots, page table, runs, pieces, residency), then the
// whole on the game's own terrain and walls.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>

#include "assets/Texture.h"
#include "game/Projection.h"
#include "render/FrameFixture.h"
#include "render/Receivers.h"
#include "render/Shader.h"
#include "render/paint/PaintTexture.h"
#include "render/paint/SplatCoverage.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"

using kesto::scene::SurfaceGrids;
using kesto::scene::surfaceGrids;

namespace {

// A 40 x 30 terrain and walls of these lengths: five to a band of the table.
SurfaceGrids gridsWithWalls(std::vector<float> lengths) {
    return surfaceGrids(vec2(0.0f), vec2(40.0f, 30.0f), glm::ivec2(40, 30), std::move(lengths));
}

TEST(SlotPool, TakesGivesBackGrowsByStepsAndFills) {
    SlotPool pool(4, 1, 2);  // 4 slots a layer, a layer a step, 2 layers at most
    const struct {
        int give;  // -1: take, -2: clear (the layers stay)
        int slot, layers, room;
    } steps[] = {{-1, 0, 1, 7},  {-1, 1, 1, 6},  {-1, 2, 1, 5}, {-1, 3, 1, 4}, {-1, 4, 2, 3},
                 {2, -1, 2, 4},  {-1, 2, 2, 3},  {-1, 5, 2, 2}, {-1, 6, 2, 1}, {-1, 7, 2, 0},
                 {-1, -1, 2, 0}, {-2, -1, 2, 8}, {-1, 0, 2, 7}};
    for (const auto& step : steps) {
        SCOPED_TRACE(&step - steps);
        if (step.give == -2)
            pool.clear();
        else if (step.give >= 0)
            pool.give(step.give);
        else
            EXPECT_EQ(pool.take(), step.slot);
        EXPECT_EQ(pool.layers(), step.layers);
        EXPECT_EQ(pool.room(), step.room);
    }
}

using PageArrayTest = GlTest;

TEST_F(PageArrayTest, GrowingKeepsWhatTheLayersHold) {
    PageArray pages(kCoarseTexels);
    pages.resize(1);
    const int side = kCoarseTexels.layerSide();
    const size_t layer = static_cast<size_t>(side * side);
    const std::vector<Rgba> held(layer, Rgba{0, 128, 255, 255});
    glBindTexture(GL_TEXTURE_2D_ARRAY, pages.texture());
    glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, 0, side, side, 1, GL_RGBA, GL_UNSIGNED_BYTE,
                    held.data());
    pages.resize(2);
    std::vector<Rgba> texels(layer * 2);
    glBindTexture(GL_TEXTURE_2D_ARRAY, pages.texture());
    glGetTexImage(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    EXPECT_TRUE(std::equal(held.begin(), held.end(), texels.begin()));
}

// A rectangle's tiles on a grid of 10 x 5 from the origin, clamped to it; none outside it.
TEST(PageTable, SpanHoldsTheTilesARectangleTouchesWithinTheGrid) {
    const struct {
        vec2 low, high;
        TileSpan span;  // columns, then rows
    } cases[] = {{{2.3f, 1.2f}, {4.5f, 2.7f}, {2, 4, 1, 2}},
                 {{8.5f, 3.5f}, {12, 7}, {8, 9, 3, 4}},
                 {{-3, -2}, {0.5f, 0.5f}, {0, 0, 0, 0}},
                 {{11, 1}, {12, 2}, {}},
                 {{1, 6}, {2, 7}, {}},
                 {{-4, 1}, {-1, 2}, {}}};
    for (const auto& c : cases) {
        const TileSpan s = tileSpanOf(c.low, c.high, vec2(0.0f), 10, 5), e = c.span;
        EXPECT_EQ(std::tuple(s.column, s.lastColumn, s.row, s.lastRow),
                  std::tuple(e.column, e.lastColumn, e.row, e.lastRow))
            << c.low.x << " " << c.low.y;
    }
}

// Every tile of the terrain and of every wall face has an entry of its own, and the receiving
// program, placed with a wall's paint_place, finds each wall tile at that entry.
TEST(PageTable, EveryTileHasItsOwnEntryWhereTheProgramLooks) {
    for (const std::vector<float>& lengths :
         {std::vector<float>{}, {3.0f}, {12.0f, 2.5f, 7.0f, 1.0f, 12.0f, 4.0f, 9.0f}}) {
        const PageTable table(gridsWithWalls(lengths));
        std::set<int> keys;
        for (int row = 0; row < table.terrainRows(); ++row)
            for (int column = 0; column < table.terrainColumns(); ++column)
                keys.insert(table.key({column, row}));
        size_t tiles = keys.size();
        for (size_t wall = 0; wall < lengths.size(); ++wall) {
            const vec4 place = table.wallPlace(wall);
            for (int face = 0; face < kWallFaces; ++face) {
                for (int row = 0; row < kWallFaceRows; ++row) {
                    for (int column = 0; column < table.wallColumns(); ++column) {
                        const vec2 q = table.wallOrigin() + vec2(column, row) + 0.5f;
                        const TileEntry seen{
                            static_cast<int>(std::floor(q.x - place.x)),
                            static_cast<int>(place.z + face * place.w + std::floor(q.y - place.y))};
                        ASSERT_LT(seen.column, table.width());
                        ASSERT_LT(seen.row, table.rows());
                        keys.insert(table.key(seen));
                        ++tiles;
                    }
                }
            }
        }
        EXPECT_EQ(keys.size(), tiles);
    }
}

// Painted cells by kind, a row of text per grid row: '.' none, 'f' fine, 'c' coarse.
PageTable tableWithTerrainPaint(const SurfaceGrids& grids, const std::vector<std::string>& rows) {
    PageTable table(grids);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        for (int c = 0; c < static_cast<int>(rows[r].size()); ++c) {
            const char kind = rows[r][c];
            if (kind != '.') table.set({c, r}, kind == 'f' ? c : -1, c);
        }
    }
    return table;
}

TEST(PaintPieces, TerrainRunsHoldEachCellOnceWithItsPaint) {
    const SurfaceGrids grids = gridsWithWalls({});
    for (const std::vector<std::string>& rows :
         {std::vector<std::string>{}, {"ff..cc.f"}, {"c", "", "..ffffcc", ".c.c.c.c"}}) {
        const PageTable table = tableWithTerrainPaint(grids, rows);
        std::vector<kesto::scene::TerrainRun> runs[kPaintKinds];
        findTerrainRuns(table, grids, runs);
        std::vector<int> seen(static_cast<size_t>(grids.cellColumns * grids.cellRows), 0);
        for (int kind = 0; kind < kPaintKinds; ++kind) {
            for (const auto& run : runs[kind]) {
                for (int c = run.column; c < run.column + run.columns; ++c) {
                    ++seen[static_cast<size_t>(run.row * grids.cellColumns + c)];
                    EXPECT_EQ(static_cast<int>(table.kindAt({c, run.row})), kind);
                }
            }
        }
        EXPECT_EQ(std::count(seen.begin(), seen.end(), 1), static_cast<long>(seen.size()));
    }
}

// Painted tiles of one wall as (face, column, row); the pieces cover the box once and put
// every painted tile's middle in a piece drawn with paint.
TEST(PaintPieces, WallPiecesCoverTheBoxOnceAndHoldThePaint) {
    const float length = 9.0f;
    const SurfaceGrids grids = gridsWithWalls({length});
    const std::vector<std::vector<glm::ivec3>> patterns = {
        {{kFrontFace, 4, 3}},
        {{kBackFace, 1, 0}, {kFrontFace, 9, 6}},
        {{kTopFace, 5, 3}},
        {{kEndFaces, 0, 2}, {kFrontFace, 2, 5}, {kFrontFace, 3, 1}, {kBackFace, 7, 4}}};
    for (const auto& painted : patterns) {
        PageTable table(grids);
        const TileEntry corner = table.wallCorner(0);
        for (const glm::ivec3& t : painted)
            table.set({corner.column + t.y, corner.row + t.x * kWallFaceRows + t.z}, -1, 0);
        const std::vector<WallPiece> pieces = wallPiecesOf(table, 0, length, PaintKind::Coarse);
        const auto holding = [&](float x, float y) {
            return std::count_if(pieces.begin(), pieces.end(), [&](const WallPiece& p) {
                return x >= p.from && x < p.to && y >= p.bottom && y < p.top;
            });
        };
        for (float x = 0.0005f; x < 1.0f; x += 0.001f)
            for (float y = kWallBoxMin[1] + 0.01f; y < kWallBoxMax[1]; y += 0.02f)
                ASSERT_EQ(holding(x, y), 1) << x << ", " << y;
        for (const glm::ivec3& t : painted) {
            const vec2 middle = table.wallOrigin() + vec2(t.y, t.z) + 0.5f;
            const float x = std::clamp(middle.x / length, 0.0005f, 0.9995f);
            const float y = t.x == kTopFace ? kWallBoxMax[1] - 0.01f : middle.y;
            EXPECT_TRUE(std::any_of(pieces.begin(), pieces.end(),
                                    [&](const WallPiece& p) {
                                        return p.kind != PaintKind::None && x >= p.from &&
                                               x < p.to && y >= p.bottom && y < p.top;
                                    }))
                << t.x << " " << t.y << " " << t.z;
        }
    }
}

TEST(Residency, FinePaintGoesToTheNearestWithinReachFirst) {
    const struct {
        std::vector<float> distances;
        std::vector<int> held;  // tiles already fine, by index
        int slots, budget;
        std::vector<int> promoted, demoted;
        bool complete;
    } cases[] = {
        {{3, kFinePaintReach + 1, 1, 10}, {}, 8, 99, {2, 0, 3}, {}, true},
        {{3, 5, 1, 10}, {}, 2, 99, {2, 0}, {}, true},
        {{3, 5, 1, 10}, {}, 8, 2, {2, 0}, {}, false},
        {{12, 2, 6}, {0}, 1, 99, {1}, {0}, true},
        {{2, 12, 6}, {0}, 1, 99, {}, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        SlotPool fine(1, 1, c.slots);
        std::vector<TileRecord> tiles(c.distances.size());
        std::vector<TileRecord*> all;
        for (size_t i = 0; i < tiles.size(); ++i) {
            tiles[i].distance = c.distances[i];
            all.push_back(&tiles[i]);
        }
        for (const int i : c.held) tiles[static_cast<size_t>(i)].fineSlot = fine.take();
        const FineChoice choice = chooseFineTiles(all, fine, c.budget);
        const auto indices = [&](const std::vector<TileRecord*>& list) {
            std::vector<int> found;
            for (const TileRecord* t : list) found.push_back(static_cast<int>(t - tiles.data()));
            return found;
        };
        EXPECT_EQ(indices(choice.promoted), c.promoted);
        EXPECT_EQ(indices(choice.demoted), c.demoted);
        EXPECT_EQ(choice.complete, c.complete);
    }
}

// Bottom row 0 and 255, top row 255 and 255; texel centres at a quarter and three quarters.
TEST(SplatCoverage, MaskIsFilteredBilinearlyAndClampedAtItsEdges) {
    const AlphaMask mask{2, 2, {0, 255, 255, 255}};
    const struct {
        vec2 uv;
        float coverage;
    } cases[] = {{{0.25f, 0.25f}, 0.0f}, {{0.75f, 0.25f}, 1.0f}, {{0.5f, 0.25f}, 0.5f},
                 {{0.5f, 0.5f}, 0.75f},  {{0.0f, 0.0f}, 0.0f},   {{0.5f, 1.0f}, 1.0f}};
    for (const auto& c : cases) EXPECT_NEAR(maskCoverage(mask, c.uv), c.coverage, 1e-5f) << c.uv.x;
    EXPECT_EQ(maskCoverage(AlphaMask{}, vec2(0.5f)), 1.0f);
}

// No splat of another test is left on the game, and none of these is left behind.
class PaintTextureOnTheGame : public FrameTest {
protected:
    PaintTextureOnTheGame() : FrameTest(160, 120) { projections.clear(); }
    void TearDown() override {
        projections.clear();
        FrameTest::TearDown();
    }
};

// A terrain tile is as far as its cell's middle, a wall's as the wall's nearest point.
TEST_F(PaintTextureOnTheGame, TilesAreAsFarAsTheirCellOrTheirWall) {
    const SurfaceGrids grids = kesto::scene::surfaceGridsOf(*g->terrain, g->walls);
    const PaintSurfaces surfaces{*g->terrain, g->walls, grids};
    const kesto::scene::WallObject& wall = *g->walls.at(0);
    const vec2 along = glm::normalize(wall.end - wall.start);
    const vec2 beside = 0.5f * (wall.start + wall.end) + 3.0f * vec2(-along.y, along.x);
    const PaintedTile onWall{{0, 0}, wallSurface(0, kBackFace), vec2(40.0f, 0.0f)};
    const PaintedTile cell{{0, 0}, kTerrainSurface, vec2(100.0f, 200.0f)};
    EXPECT_NEAR(tileDistance(onWall, beside, surfaces), 3.0f, 1e-3f);
    EXPECT_NEAR(tileDistance(cell, vec2(100.5f, 204.5f), surfaces), 4.0f, 1e-3f);
}

// The projector's square reaches tiles its splat leaves bare: they are not taken. A wall
// whose tiles all hold fine paint is drawn with it.
TEST_F(PaintTextureOnTheGame, KeepsOnlyTheTilesASplatShowsOn) {
    const kesto::scene::WallObject& wall = *g->walls.at(0);
    const vec2 middle = 0.5f * (wall.start + wall.end), along = wall.end - wall.start;
    const vec3 out = glm::normalize(vec3(-along.y, 0.0f, along.x));
    g->addProjection(
        vec3(middle.x, g->terrain->cellHeight(middle.x, middle.y) + 2.5f, middle.y) + 0.15f * out,
        out, vec3(0.0f, 1.0f, 0.0f));
    const vec3 spot(282.0f, g->terrain->cellHeight(282.0f, 30.0f), 30.0f);
    g->addProjection(spot, vec3(0.0f, 0.1f, 0.0f), vec3(1.0f, 0.0f, 1.0f));
    const SurfaceGrids grids = kesto::scene::surfaceGridsOf(*g->terrain, g->walls);
    PaintTexture paint(grids);
    paint.update(projections, spot, g->splatTexture.get(), *g->terrain, g->walls);
    const PaintSurfaces surfaces{*g->terrain, g->walls, grids};
    const size_t reached = tilesReachedBy(projections[0], PageTable(grids), surfaces).size() +
                           tilesReachedBy(projections[1], PageTable(grids), surfaces).size();
    EXPECT_GT(reached, paint.tiles().size());
    EXPECT_FALSE(paint.tiles().empty());
    std::vector<int> wallTiles(g->walls.size()), fineTiles(g->walls.size());
    for (const auto& [key, tile] : paint.tiles()) {
        if (tile.place.surface == kTerrainSurface) continue;
        ++wallTiles[wallOfSurface(tile.place.surface)];
        fineTiles[wallOfSurface(tile.place.surface)] += tile.fineSlot >= 0;
    }
    for (size_t w = 0; w < g->walls.size(); ++w) {
        const PaintKind drawn = wallTiles[w] == 0              ? PaintKind::None
                                : fineTiles[w] == wallTiles[w] ? PaintKind::Fine
                                                               : PaintKind::Coarse;
        EXPECT_EQ(paint.wallKind(w), drawn) << w;
    }
}

// A splat thrown square at one side of a wall paints that side of it alone (the ground, -1,
// lies beyond its reach).
TEST_F(PaintTextureOnTheGame, ASplatPaintsTheSideOfTheWallItFaces) {
    const kesto::scene::WallObject& wall = *g->walls.at(0);
    const auto world = [&](vec3 local) { return vec3(wall.modelMatrix * vec4(local, 1.0f)); };
    const vec3 along = glm::normalize(world(vec3(1, 0, 0)) - world(vec3(0))), up(0, 1, 0);
    const vec3 out = glm::normalize(world(vec3(0, 0, 1)) - world(vec3(0)));
    const struct {
        vec3 onFace, normal;
        std::set<int> faces;
    } cases[] = {{world(vec3(0.5f, 2.5f, kWallBoxMax[2])), out, {kFrontFace}},
                 {world(vec3(0.5f, 2.5f, kWallBoxMin[2])), -out, {kBackFace}},
                 {world(vec3(0.5f, kWallBoxMax[1], 0)), up, {kTopFace}},
                 {world(vec3(0, 2.5f, 0)), -along, {kEndFaces}},
                 {world(vec3(1, 2.5f, 0)), along, {kEndFaces}}};
    for (const auto& c : cases) {
        projections.clear();
        g->addProjection(c.onFace + 0.15f * c.normal, c.normal, c.normal == up ? along : up);
        PaintTexture paint(kesto::scene::surfaceGridsOf(*g->terrain, g->walls));
        paint.update(projections, c.onFace, g->splatTexture.get(), *g->terrain, g->walls);
        std::set<int> faces;
        for (const auto& [key, tile] : paint.tiles()) {
            const int surface = tile.place.surface;
            if (surface == kTerrainSurface || wallOfSurface(surface) == 0)
                faces.insert(surface == kTerrainSurface ? -1 : faceOfSurface(surface));
        }
        EXPECT_EQ(faces, c.faces) << &c - cases;
    }
}

// Sixteen fine slots, all held by the paint round a; the paint round b, 40 units on, is coarse.
// A jump to b brings its fine paint five tiles a frame till every slot is b's; walking back
// to a brings a's two a frame.
TEST_F(PaintTextureOnTheGame, FinePaintComesAFewTilesAFrameMoreAfterAJump) {
    const vec3 a(282.0f, 0.0f, 30.0f), b(322.0f, 0.0f, 30.0f);
    for (const float x : {a.x, b.x})
        for (const float dx : {-2.0f, 0.0f, 2.0f})
            for (const float dz : {-2.0f, 0.0f, 2.0f})
                g->addProjection(vec3(x + dx, g->terrain->cellHeight(x + dx, 30 + dz), 30 + dz),
                                 vec3(0.0f, 0.1f, 0.0f), vec3(1.0f, 0.0f, 1.0f));
    PaintTexture paint(kesto::scene::surfaceGridsOf(*g->terrain, g->walls), 16);
    paint.fineTilesPerUpdate = 2;
    paint.fineTilesAfterAJump = 5;
    const auto fineOf = [&](bool ofB) {  // the fine tiles round a or b
        int fine = 0;
        for (const auto& [key, tile] : paint.tiles())
            fine += tile.fineSlot >= 0 && (tile.splats.at(0) >= 9) == ofB;
        return fine;
    };
    const auto update = [&](vec3 camera) {
        paint.update(projections, camera, g->splatTexture.get(), *g->terrain, g->walls);
    };
    update(a);
    ASSERT_EQ(std::tuple(fineOf(false), fineOf(true)), std::tuple(16, 0));
    for (const int expected : {5, 10, 15, 16}) {
        EXPECT_FALSE(paint.fineSettled());
        update(b);
        EXPECT_EQ(fineOf(true), expected);
    }
    EXPECT_TRUE(paint.fineSettled());
    for (vec3 camera = b; camera.x >= a.x; camera.x -= 1.0f) {
        const int before = fineOf(false);
        update(camera);
        EXPECT_LE(fineOf(false) - before, 2) << camera.x;
    }
    EXPECT_EQ(fineOf(false), 16);
}

// A wall far longer than the world, as a damaged maze file may hold, is drawn without paint.
TEST_F(PaintTextureOnTheGame, AWallLongerThanTheWorldIsDrawnUnpainted) {
    const size_t before = g->walls.size();
    g->addWall(vec2(270.0f, 30.0f), vec2(900000.0f, 30.0f));
    ASSERT_EQ(g->walls.size(), before + 1);
    const SurfaceGrids grids = kesto::scene::surfaceGridsOf(*g->terrain, g->walls);
    Shader bake("Shader/passthrough.vert", "Shader/surfaceBake.frag", "", true);
    EXPECT_NE(makeReceivers(bake, g->screenQuadVao, grids), nullptr);
    g->addProjection(vec3(275.0f, g->terrain->heightAt(275.0f, 30.0f) + 1.0f, 29.85f),
                     vec3(0.0f, 0.0f, -1.0f), vec3(0.0f, 1.0f, 0.0f));
    g->paintTexture = std::make_unique<PaintTexture>(grids);
    lookAt(vec3(275.0f, g->terrain->heightAt(275.0f, 26.0f) + 1.5f, 26.0f),
           vec3(275.0f, g->terrain->heightAt(275.0f, 30.0f) + 1.0f, 30.0f));
    frame();
    EXPECT_EQ(g->paintTexture->wallKind(before), PaintKind::None);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    g->walls.resize(before);
    g->paintTexture =
        std::make_unique<PaintTexture>(kesto::scene::surfaceGridsOf(*g->terrain, g->walls));
}

}  // namespace
