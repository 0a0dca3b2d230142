#include "render/paint/PaintBake.h"

#include <algorithm>
#include <utility>

#include "assets/Texture.h"
#include "game/Projection.h"
#include "render/Shader.h"
#include "scene/HeightMapObject.h"
#include "scene/WallObject.h"

namespace {

constexpr GLint kBakeSplatUnit = 1;
// Fine texels keep the splat's edge crisp where they are small; coarse ones keep it smooth, so
// that filtering finds the edge between them.
constexpr float kFineSteepness = 8.0f;
constexpr float kCoarseSteepness = 1.0f;

void clearSlot(glm::ivec2 corner, int side) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(corner.x, corner.y, side, side);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

}  // namespace

PaintBaker::PaintBaker()
    : bakeProgram(std::make_unique<Shader>("Shader/shadowmapping.vert", "Shader/paintBake.frag", "",
                                           true, "#define PAINT_BAKE\n")) {
    glGenFramebuffers(1, &drawFramebuffer);
    glGenFramebuffers(1, &readFramebuffer);
}

PaintBaker::~PaintBaker() {
    glDeleteFramebuffers(1, &drawFramebuffer);
    glDeleteFramebuffers(1, &readFramebuffer);
}

void PaintBaker::draw(std::vector<BakeDraw>& draws, const std::vector<Projection>& splats,
                      const PaintSurfaces& surfaces) {
    const auto target = [](const BakeDraw& d) {
        return std::make_pair(d.pages, d.pages->layerOf(d.slot));
    };
    std::stable_sort(draws.begin(), draws.end(),
                     [&](const BakeDraw& a, const BakeDraw& b) { return target(a) < target(b); });
    const Shader& bake = *bakeProgram;
    std::pair<PageArray*, int> attached(nullptr, -1);
    for (const BakeDraw& d : draws) {
        if (target(d) != attached) {
            attached = target(d);
            glFramebufferTextureLayer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, d.pages->texture(), 0,
                                      attached.second);
            drawnLayers.insert(attached);
        }
        const TileTexels& t = d.pages->texels();
        const glm::ivec2 corner = d.pages->slotCorner(d.slot);
        glViewport(corner.x, corner.y, t.slotSide(), t.slotSide());
        if (d.splat < 0) {
            clearSlot(corner, t.slotSide());
            continue;
        }
        const PaintedTile& tile = d.tile->place;
        const Projection& splat = splats[static_cast<size_t>(d.splat)];
        setUniform(bake, "proj_tex_mat", splat.textureMatrix);
        setUniform(bake, "paint_tile", vec4(tile.corner, kPaintTileUnits, 0.0f));
        setUniform(bake, "paint_texels", vec2(t.inner, t.border));
        setUniform(bake, "paint_steepness",
                   t.inner == kFineTexels.inner ? kFineSteepness : kCoarseSteepness);
        if (tile.surface == kTerrainSurface) {
            setUniform(bake, "paint_face", 0.0f);
            setUniform(bake, "M", surfaces.terrain.modelMatrix);
            surfaces.terrain.drawRuns(splat.terrainRuns);
            continue;
        }
        setUniform(bake, "paint_face", static_cast<float>(faceOfSurface(tile.surface)));
        kesto::scene::WallObject& wall = *surfaces.walls[wallOfSurface(tile.surface)];
        setUniform(bake, "M", wall.modelMatrix);
        wall.draw();
    }
    draws.clear();
}

void PaintBaker::finish(PageArray& fine, PageArray& coarse) {
    for (PageArray* pages : {&fine, &coarse}) {
        std::set<int> layers;
        for (const auto& [drawn, layer] : drawnLayers)
            if (drawn == pages) layers.insert(layer);
        pages->buildMipmaps(layers, readFramebuffer, drawFramebuffer);
    }
    drawnLayers.clear();
}

BakeScope::BakeScope(const PaintBaker& baker, const Texture* splatImage) {
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &framebuffer);
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    culling = glIsEnabled(GL_CULL_FACE);
    scissor = glIsEnabled(GL_SCISSOR_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glBindFramebuffer(GL_FRAMEBUFFER, baker.framebuffer());
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_BLEND);
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    // A texel is painted where one splat covers half of it or more, so coverage takes the
    // largest; the colour is the earliest splat's where it already covers, as the paint has
    // always looked (the first splat to cover a spot keeps it).
    glBlendEquationSeparate(GL_FUNC_ADD, GL_MAX);
    glBlendFuncSeparate(GL_ONE_MINUS_DST_ALPHA, GL_DST_ALPHA, GL_ONE, GL_ONE);
    glActiveTexture(GL_TEXTURE0 + kBakeSplatUnit);
    glBindTexture(GL_TEXTURE_2D, splatImage ? splatImage->textureName : 0);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    // The fine tiles' texels are about as dense as the image's where it lands.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glActiveTexture(GL_TEXTURE0);
    glUseProgram(baker.program().programHandle);
    setUniform(baker.program(), "proj_Map", kBakeSplatUnit);
}

BakeScope::~BakeScope() {
    glBlendEquation(GL_FUNC_ADD);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    if (culling) glEnable(GL_CULL_FACE);
    if (scissor) glEnable(GL_SCISSOR_TEST);
    glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(polygonMode[0]));
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(framebuffer));
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);
    glUseProgram(static_cast<GLuint>(program));
}
