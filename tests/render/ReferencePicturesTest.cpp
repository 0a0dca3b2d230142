// The whole frame in views players know, against pictures kept from the frame as it was first
// drawn: cheaper passes must not change what is seen. QUILLORA_KEEP_PICTURES=1 writes the
// references anew; QUILLORA_PICTURES_OUT=DIR keeps this run's pictures beside them.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <string>

#include "Scenes.h"
#include "game/PlayRules.h"
#include "game/Projection.h"
#include "render/FrameFixture.h"
#include "render/ParticleSystem.h"
#include "render/paint/PaintTexture.h"
#include "scene/BallObject.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/SurfaceGrids.h"
#include "scene/WallObject.h"

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
const std::string kFolder = QUILLORA_SOURCE_DIR "/tests/render/reference/";

enum class Place { Start, Wall, Ground, Balls, HitItem };

struct View {
    const char* name;
    Place place;
    float distance;  // from the paint in the close-ups
    int splats;      // the benchmark's, from the start
    bool wireframe, terrainProgram;
    bool coarse = false;     // no fine paint: the far paint's look, up close
    bool splatPass = false;  // no pages at all: every splat drawn by the splat pass
};

const View kViews[] = {
    {"start", Place::Start, 0.0f, 0, false, false},
    {"start-100", Place::Start, 0.0f, 100, false, false},
    {"start-300", Place::Start, 0.0f, 300, false, false},
    {"wall-1.5", Place::Wall, 1.5f, 0, false, false},
    {"wall-4", Place::Wall, 4.0f, 0, false, false},
    {"ground-1.5", Place::Ground, 1.5f, 0, false, false},
    {"ground-4", Place::Ground, 4.0f, 0, false, false},
    {"balls", Place::Balls, 0.0f, 0, false, false},
    {"hit-item", Place::HitItem, 0.0f, 0, false, false},
    {"wireframe-100", Place::Start, 0.0f, 100, true, false},
    {"terrain-program-100", Place::Start, 0.0f, 100, false, true},
    {"wall-4", Place::Wall, 4.0f, 0, false, false, true},
    {"ground-4", Place::Ground, 4.0f, 0, false, false, true},
    {"start-100", Place::Start, 0.0f, 100, false, false, false, true},
    {"wall-1.5", Place::Wall, 1.5f, 0, false, false, false, true},
    {"ground-4", Place::Ground, 4.0f, 0, false, false, false, true},
};

// Pixels are kept in FreeImage's order (blue first on this machine) and bottom-up, as GL reads.
bool writePicture(const std::string& path, std::vector<Rgba> pixels) {
    FIBITMAP* picture = FreeImage_ConvertFromRawBits(reinterpret_cast<BYTE*>(pixels.data()), kWidth,
                                                     kHeight, 4 * kWidth, 32, FI_RGBA_RED_MASK,
                                                     FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    const bool saved = FreeImage_Save(FIF_PNG, picture, path.c_str(), PNG_Z_BEST_COMPRESSION);
    FreeImage_Unload(picture);
    return saved;
}

std::vector<Rgba> readPicture(const std::string& path) {
    std::vector<Rgba> pixels;
    FIBITMAP* loaded = FreeImage_Load(FIF_PNG, path.c_str());
    if (!loaded) return pixels;
    if (FreeImage_GetWidth(loaded) == kWidth && FreeImage_GetHeight(loaded) == kHeight) {
        pixels.resize(static_cast<size_t>(kWidth) * kHeight);
        FreeImage_ConvertToRawBits(reinterpret_cast<BYTE*>(pixels.data()), loaded, 4 * kWidth, 32,
                                   FI_RGBA_RED_MASK, FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    }
    FreeImage_Unload(loaded);
    return pixels;
}

bool near(Rgba p, Rgba q, int most) {
    return std::abs(p.r - q.r) <= most && std::abs(p.g - q.g) <= most &&
           std::abs(p.b - q.b) <= most;
}

// Neighbours that differ by more than a quarter of the range: the edges a blur would soften.
int sharpSteps(const std::vector<Rgba>& pixels) {
    return std::inner_product(pixels.begin() + 1, pixels.end(), pixels.begin(), 0, std::plus<>(),
                              [](Rgba p, Rgba q) { return !near(p, q, 64); });
}

class ReferencePictures : public FrameTest {
protected:
    ReferencePictures() : FrameTest(kWidth, kHeight) {}
    void TearDown() override {
        if (g) clearScene();
        FrameTest::TearDown();
    }
    void clearScene() {
        projections.clear();
        g->balls.clear();
        g->particleSystems.clear();
        for (auto& record : kesto::scene::BonusItemSet::bonusItemRecords) record.item->hit = false;
    }
    vec3 ground(float x, float z) const { return vec3(x, g->terrain->heightAt(x, z), z); }
    // The wall nearest the start, seen square-on from the start's side at hand height.
    void paintWall(float distance) {
        const vec2 start(282.0f, 22.0f);
        const auto away = [&](const auto& wall) {
            const bool long_ = glm::length(wall->end - wall->start) > 3.0f;
            return glm::length((wall->start + wall->end) * 0.5f - start) + (long_ ? 0.0f : 1e9f);
        };
        const auto found =
            std::min_element(g->walls.begin(), g->walls.end(),
                             [&](const auto& a, const auto& b) { return away(a) < away(b); });
        const auto& nearest = **found;
        const vec2 along = glm::normalize(nearest.end - nearest.start);
        const vec2 middle = (nearest.start + nearest.end) * 0.5f;
        vec2 side(-along.y, along.x);
        if (glm::dot(side, start - middle) < 0.0f) side = -side;
        const vec3 onWall = ground(middle.x, middle.y) + vec3(0.0f, 1.2f, 0.0f);
        const vec3 out(side.x, 0.0f, side.y), sideways(along.x, 0.0f, along.y),
            up(0.0f, 1.0f, 0.0f);
        // Two overlapping splats: the later one must stay on top.
        g->addProjection(onWall + 0.15f * out, out, up);
        g->addProjection(onWall + 0.15f * out + 0.35f * sideways + 0.2f * up, out, up);
        // Up close, the splat's edge in the middle of the view.
        const vec3 target = onWall + (distance < 2.0f ? 1.0f : 0.0f) * sideways;
        lookAt(target + distance * out, target);
    }
    void paintGround(float distance) {
        const vec3 spot = ground(282.0f, 30.0f);
        g->addProjection(spot, vec3(0.0f, 0.1f, 0.0f), kGroundSplatUp);
        g->addProjection(ground(282.3f, 30.25f), vec3(0.0f, 0.1f, 0.0f), kGroundSplatUp);
        lookAt(spot + distance * glm::normalize(vec3(0.0f, 1.0f, -0.8f)), spot);
    }
    void place(const View& view) {
        g->paintTexture = std::make_unique<PaintTexture>(
            kesto::scene::surfaceGridsOf(*g->terrain, g->walls),
            view.coarse || view.splatPass ? 0 : kMostFineLayers, view.splatPass ? 0 : 1 << 30);
        switch (view.place) {
        case Place::Start:
            lookAt(ground(282.0f, 22.0f) + vec3(0.0f, 2.0f, 0.0f),
                   ground(282.0f, 22.0f) + vec3(0.0f, 1.9f, 1.0f));
            break;
        case Place::Wall: paintWall(view.distance); break;
        case Place::Ground: paintGround(view.distance); break;
        case Place::Balls:
            for (float dx : {-1.5f, 0.0f, 1.5f}) {
                g->addBall(ground(282.0f, 22.0f), vec3(0.0f, 0.0f, 1.0f), false);
                const vec3 at =
                    ground(282.0f + dx, 26.0f + dx) + vec3(0.0f, 0.9f + dx / 3.0f, 0.0f);
                g->balls.back()->modelMatrix[3] = vec4(at, 1.0f);
            }
            lookAt(ground(282.0f, 22.0f) + vec3(0.0f, 3.0f, 0.0f), ground(282.0f, 27.0f));
            break;
        case Place::HitItem: {
            auto& record = kesto::scene::BonusItemSet::bonusItemRecords.at(0);
            record.item->hit = true;
            const vec3 item = translationOf(record.item->modelMatrix);
            lookAt(item + vec3(0.0f, 2.0f, -5.0f), item - vec3(0.0f, 0.5f, 0.0f));
            break;
        }
        }
        for (const SplatSpot& spot : splatSpotsInView(*g, static_cast<size_t>(view.splats)))
            g->addProjection(spot.position, spot.direction, spot.up);
        g->particleSystems.clear();
        g->wireframe = view.wireframe;
        g->switchedTerrainShader = view.terrainProgram;
        glPolygonMode(GL_FRONT_AND_BACK, view.wireframe ? GL_LINE : GL_FILL);
    }
};

TEST_F(ReferencePictures, EveryViewLooksAsItDidWithPaintCrispUpClose) {
    const bool keep = std::getenv("QUILLORA_KEEP_PICTURES") != nullptr;
    const char* out = std::getenv("QUILLORA_PICTURES_OUT");
    for (const View& view : kViews) {
        const std::string variant = view.coarse ? "-coarse" : view.splatPass ? "-splat-pass" : "";
        SCOPED_TRACE(view.name + variant);
        clearScene();
        place(view);
        g->renderShadowMap();
        std::vector<Rgba> pixels = frame();
        GLfloat sky[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, sky);
        // The next frame is cleared to the sky: new paint must leave that colour alone.
        EXPECT_EQ(vec4(sky[0], sky[1], sky[2], sky[3]), vec4(1.0f, 0.0f, 1.0f, 1.0f));
        // Every splat goes to the pages, or with none to the splat pass.
        const std::vector<bool>& baked = g->paintTexture->baked();
        EXPECT_EQ(std::count(baked.begin(), baked.end(), true),
                  view.splatPass ? 0 : projections.size());
        for (Rgba& p : pixels) std::swap(p.r, p.b);
        const std::string name = std::string(view.name) + ".png";
        if (out) writePicture(std::string(out) + "/" + view.name + variant + ".png", pixels);
        if (keep && variant.empty()) {
            EXPECT_TRUE(writePicture(kFolder + name, pixels));
            continue;
        }
        const std::vector<Rgba> reference = readPicture(kFolder + name);
        ASSERT_EQ(reference.size(), pixels.size()) << "no reference picture " << kFolder + name;
        const size_t close =
            std::inner_product(pixels.begin(), pixels.end(), reference.begin(), size_t{0},
                               std::plus<>(), [](Rgba p, Rgba q) { return near(p, q, 16); });
        EXPECT_GE(close * 100, pixels.size() * 98);
        if (view.distance > 0.0f && view.distance < 2.0f)
            EXPECT_GE(sharpSteps(pixels) * 10, sharpSteps(reference) * 9) << "paint edges blurred";
    }
}

}  // namespace
