// The whole frame in views players know, against pictures kept from the frame as it was first
// drawn: cheaper passes must not change what is seen. QUILLORA_KEEP_PICTURES=1 writes the
// references anew; QUILLORA_PICTURES_OUT=DIR keeps this run's pictures beside them.
#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "Scenes.h"
#include "game/Game.h"
#include "game/PlayRules.h"
#include "game/Projection.h"
#include "render/FrameFixture.h"
#include "render/ParticleSystem.h"
#include "scene/BallObject.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"
#include "shell/Globals.h"

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
};

bool writePicture(const std::string& path, const std::vector<Rgba>& pixels) {
    FIBITMAP* picture = FreeImage_Allocate(kWidth, kHeight, 24);
    for (int y = 0; y < kHeight; ++y) {
        BYTE* row = FreeImage_GetScanLine(picture, y);  // bottom-up, as GL reads them
        for (int x = 0; x < kWidth; ++x) {
            const Rgba p = pixels[static_cast<size_t>(y) * kWidth + x];
            row[3 * x + FI_RGBA_RED] = p.r;
            row[3 * x + FI_RGBA_GREEN] = p.g;
            row[3 * x + FI_RGBA_BLUE] = p.b;
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, picture, path.c_str(), PNG_Z_BEST_COMPRESSION);
    FreeImage_Unload(picture);
    return saved;
}

std::vector<Rgba> readPicture(const std::string& path) {
    std::vector<Rgba> pixels;
    FIBITMAP* loaded = FreeImage_Load(FIF_PNG, path.c_str());
    if (!loaded) return pixels;
    FIBITMAP* picture = FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    if (FreeImage_GetWidth(picture) == kWidth && FreeImage_GetHeight(picture) == kHeight) {
        for (int y = 0; y < kHeight; ++y) {
            const BYTE* row = FreeImage_GetScanLine(picture, y);
            for (int x = 0; x < kWidth; ++x) {
                pixels.push_back({row[3 * x + FI_RGBA_RED], row[3 * x + FI_RGBA_GREEN],
                                  row[3 * x + FI_RGBA_BLUE], 255});
            }
        }
    }
    FreeImage_Unload(picture);
    return pixels;
}

// Neighbours that differ by more than a quarter of the range: the edges a blur would soften.
int sharpSteps(const std::vector<Rgba>& pixels) {
    int steps = 0;
    for (size_t i = 1; i < pixels.size(); ++i) {
        const Rgba p = pixels[i - 1], q = pixels[i];
        steps += std::abs(p.r - q.r) > 64 || std::abs(p.g - q.g) > 64 || std::abs(p.b - q.b) > 64;
    }
    return steps;
}

class ReferencePictures : public FrameTest {
protected:
    ReferencePictures() : FrameTest(kWidth, kHeight) {}
    void TearDown() override {
        clearScene();
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
        const kesto::scene::WallObject* nearest = nullptr;
        float best = 1e9f;
        for (const auto& wall : g->walls) {
            const vec2 middle = (wall->start + wall->end) * 0.5f;
            const float d = glm::length(middle - start);
            if (glm::length(wall->end - wall->start) > 3.0f && d < best)
                best = d, nearest = wall.get();
        }
        ASSERT_NE(nearest, nullptr);
        const vec2 along = glm::normalize(nearest->end - nearest->start);
        vec2 side(-along.y, along.x);
        const vec2 middle = (nearest->start + nearest->end) * 0.5f;
        if (glm::dot(side, start - middle) < 0.0f) side = -side;
        const vec3 onWall = ground(middle.x, middle.y) + vec3(0.0f, 1.2f, 0.0f);
        const vec3 out(side.x, 0.0f, side.y);
        const vec3 sideways(along.x, 0.0f, along.y);
        // Two overlapping splats: the later one must stay on top.
        g->addProjection(onWall + 0.15f * out, out, vec3(0.0f, 1.0f, 0.0f));
        g->addProjection(onWall + 0.15f * out + 0.35f * sideways + vec3(0.0f, 0.2f, 0.0f), out,
                         vec3(0.0f, 1.0f, 0.0f));
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
    void startView() {
        const vec3 eye = ground(282.0f, 22.0f) + vec3(0.0f, 2.0f, 0.0f);
        lookAt(eye, eye + vec3(0.0f, -0.1f, 1.0f));
    }
    void place(const View& view) {
        switch (view.place) {
        case Place::Start: startView(); break;
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
        if (view.splats > 0) {
            for (const SplatSpot& spot : splatSpotsInView(*g, static_cast<size_t>(view.splats)))
                g->addProjection(spot.position, spot.direction, spot.up);
        }
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
        SCOPED_TRACE(view.name);
        clearScene();
        place(view);
        g->renderShadowMap();
        const std::vector<Rgba> pixels = frame();
        const std::string name = std::string(view.name) + ".png";
        if (out) writePicture(std::string(out) + "/" + name, pixels);
        if (keep) {
            EXPECT_TRUE(writePicture(kFolder + name, pixels));
            continue;
        }
        const std::vector<Rgba> reference = readPicture(kFolder + name);
        ASSERT_EQ(reference.size(), pixels.size()) << "no reference picture " << kFolder + name;
        size_t close = 0;
        for (size_t i = 0; i < pixels.size(); ++i) {
            const Rgba p = pixels[i], r = reference[i];
            close +=
                std::abs(p.r - r.r) <= 16 && std::abs(p.g - r.g) <= 16 && std::abs(p.b - r.b) <= 16;
        }
        EXPECT_GE(close * 100, pixels.size() * 98);
        if (view.distance > 0.0f && view.distance < 2.0f)
            EXPECT_GE(sharpSteps(pixels) * 10, sharpSteps(reference) * 9) << "paint edges blurred";
    }
}

}  // namespace
