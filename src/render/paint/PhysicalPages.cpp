#include "render/paint/PhysicalPages.h"

#include <algorithm>

PageArray::PageArray(TileTexels texels) : slotTexels(texels) {
    for (int size = texels.layerSide(); size > 1; size /= 2) ++levels;
}

PageArray::~PageArray() { glDeleteTextures(1, &arrayTexture); }

glm::ivec2 PageArray::slotCorner(int slot) const {
    const int inLayer = slot % slotTexels.slotsPerLayer();
    return glm::ivec2(inLayer % slotTexels.perSide, inLayer / slotTexels.perSide) *
           slotTexels.slotSide();
}

void PageArray::resize(int layers) {
    if (layers <= layerCount) return;
    const int side = slotTexels.layerSide();
    GLuint grown = 0;
    glGenTextures(1, &grown);
    glBindTexture(GL_TEXTURE_2D_ARRAY, grown);
    if (GLEW_ARB_texture_storage) {
        glTexStorage3D(GL_TEXTURE_2D_ARRAY, levels, GL_RGBA8, side, side, layers);
    } else {
        // Asked for mipmaps first, the driver allocates the whole chain at once.
        glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        for (int level = 0, size = side; level < levels; ++level, size = std::max(size / 2, 1)) {
            glTexImage3D(GL_TEXTURE_2D_ARRAY, level, GL_RGBA8, size, size, layers, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, nullptr);
        }
    }
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, levels - 1);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D_ARRAY, 0);
    if (layerCount) copyLayers(grown);
    glDeleteTextures(1, &arrayTexture);
    arrayTexture = grown;
    layerCount = layers;
}

// What the array holds, into a larger one: on the GPU, never through the processor.
void PageArray::copyLayers(GLuint to) const {
    if (GLEW_ARB_copy_image) {
        for (int level = 0, size = slotTexels.layerSide(); level < levels;
             ++level, size = std::max(size / 2, 1)) {
            glCopyImageSubData(arrayTexture, GL_TEXTURE_2D_ARRAY, level, 0, 0, 0, to,
                               GL_TEXTURE_2D_ARRAY, level, 0, 0, 0, size, size, layerCount);
        }
        return;
    }
    GLint bound = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    GLuint copying[2] = {0, 0};
    glGenFramebuffers(2, copying);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, copying[0]);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, copying[1]);
    for (int level = 0, size = slotTexels.layerSide(); level < levels;
         ++level, size = std::max(size / 2, 1)) {
        for (int layer = 0; layer < layerCount; ++layer) {
            glFramebufferTextureLayer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, arrayTexture,
                                      level, layer);
            glFramebufferTextureLayer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, to, level, layer);
            glBlitFramebuffer(0, 0, size, size, 0, 0, size, size, GL_COLOR_BUFFER_BIT, GL_NEAREST);
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(bound));
    glDeleteFramebuffers(2, copying);
}

void PageArray::buildMipmaps(const std::set<int>& layers, GLuint readFramebuffer,
                             GLuint drawFramebuffer) const {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, readFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, drawFramebuffer);
    for (const int layer : layers) {
        for (int level = 1, size = slotTexels.layerSide(); level < levels; ++level) {
            const int smaller = std::max(size / 2, 1);
            glFramebufferTextureLayer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, arrayTexture,
                                      level - 1, layer);
            glFramebufferTextureLayer(GL_DRAW_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, arrayTexture,
                                      level, layer);
            glBlitFramebuffer(0, 0, size, size, 0, 0, smaller, smaller, GL_COLOR_BUFFER_BIT,
                              GL_LINEAR);
            size = smaller;
        }
    }
    glBindFramebuffer(GL_FRAMEBUFFER, drawFramebuffer);
}
