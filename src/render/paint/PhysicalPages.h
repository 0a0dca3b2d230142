// The paint texture's physical pages: a texture array of one density whose layers hold the
// tiles' slots, with its mipmaps. It owns its GL texture.
#pragma once

#include <GL/glew.h>

#include <set>

#include "Math.h"
#include "render/paint/PaintLayout.h"

class PageArray {
public:
    explicit PageArray(TileTexels texels);
    ~PageArray();
    PageArray(const PageArray&) = delete;
    PageArray& operator=(const PageArray&) = delete;

    // Makes room for the given number of layers, keeping what the array holds.
    void resize(int layers);
    GLuint texture() const { return arrayTexture; }
    int layers() const { return layerCount; }
    const TileTexels& texels() const { return slotTexels; }
    int layerOf(int slot) const { return slot / slotTexels.slotsPerLayer(); }
    // The texel at a slot's corner in its layer.
    glm::ivec2 slotCorner(int slot) const;
    // Each smaller level of the given layers from the one above, through the two framebuffers.
    void buildMipmaps(const std::set<int>& layers, GLuint readFramebuffer,
                      GLuint drawFramebuffer) const;

private:
    void copyLayers(GLuint to) const;

    TileTexels slotTexels;
    int levels = 1;
    int layerCount = 0;
    GLuint arrayTexture = 0;
};
