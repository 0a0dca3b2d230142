// Baking: splats drawn into the slots of the physical pages with the bake program, each onto
// the part of its surface a tile covers.
#pragma once

#include <GL/glew.h>

#include <memory>
#include <set>
#include <vector>

#include "render/paint/PhysicalPages.h"
#include "render/paint/Residency.h"

class Shader;
class Texture;

// One splat drawn onto one tile's slot, or the slot cleared first (splat -1).
struct BakeDraw {
    PageArray* pages;
    int slot;
    int splat;
    const TileRecord* tile;
};

class PaintBaker {
public:
    PaintBaker();
    ~PaintBaker();
    PaintBaker(const PaintBaker&) = delete;
    PaintBaker& operator=(const PaintBaker&) = delete;

    // Draws them grouped by layer, so the render target changes once per layer, in throw order
    // within each; the layers drawn wait for their mipmaps. Call inside a BakeScope.
    void draw(std::vector<BakeDraw>& draws, const std::vector<Projection>& splats,
              const PaintSurfaces& surfaces);
    // Brings the drawn layers' smaller levels up to date.
    void finish(PageArray& fine, PageArray& coarse);

    const Shader& program() const { return *bakeProgram; }
    GLuint framebuffer() const { return drawFramebuffer; }

private:
    std::unique_ptr<Shader> bakeProgram;
    GLuint drawFramebuffer = 0, readFramebuffer = 0;
    std::set<std::pair<PageArray*, int>> drawnLayers;
};

// The GL state the bake draws with, for as long as it lives; what the frame had comes back
// when it goes.
class BakeScope {
public:
    BakeScope(const PaintBaker& baker, const Texture* splatImage);
    ~BakeScope();
    BakeScope(const BakeScope&) = delete;
    BakeScope& operator=(const BakeScope&) = delete;

private:
    GLint viewport[4] = {0, 0, 0, 0}, program = 0, framebuffer = 0;
    GLint polygonMode[2] = {GL_FILL, GL_FILL};
    GLfloat clearColour[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    GLboolean culling = GL_FALSE, scissor = GL_FALSE;
};
