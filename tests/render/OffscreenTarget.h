// An off-screen colour and depth target for the pixel checks of this room's GL tests.
#pragma once

#include <GL/glew.h>

#include <cstdint>
#include <cstring>
#include <vector>

struct Rgba {
    uint8_t r, g, b, a;
};
inline bool operator==(Rgba p, Rgba q) { return std::memcmp(&p, &q, sizeof(Rgba)) == 0; }

// An off-screen colour and depth target of its own size, bound while the test draws.
class Target {
public:
    Target(int width, int height) : width(width), height(height) {
        glGenFramebuffers(1, &framebuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
        glGenRenderbuffers(2, renderbuffers);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER,
                                  renderbuffers[0]);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT24, width, height);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER,
                                  renderbuffers[1]);
        glViewport(0, 0, width, height);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);
    }
    ~Target() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteRenderbuffers(2, renderbuffers);
        glDeleteFramebuffers(1, &framebuffer);
    }
    bool complete() const {
        return glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    }
    void clear(float r, float g, float b) {
        glClearColor(r, g, b, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    std::vector<Rgba> read() const {
        std::vector<Rgba> pixels(static_cast<size_t>(width) * height);
        glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        return pixels;
    }
    Rgba at(const std::vector<Rgba>& pixels, int x, int y) const {
        return pixels[static_cast<size_t>(y) * width + x];
    }

    const int width, height;

private:
    GLuint framebuffer = 0;
    GLuint renderbuffers[2] = {0, 0};
};

inline bool same(Rgba p, uint8_t r, uint8_t g, uint8_t b) {
    auto near = [](uint8_t a, uint8_t e) { return a + 2 >= e && a <= e + 2; };
    return near(p.r, r) && near(p.g, g) && near(p.b, b);
}
