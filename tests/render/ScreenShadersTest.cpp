// The programs of this room built by the real Shader class and drawn into a small target.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "game/Game.h"
#include "render/OffscreenTarget.h"
#include "render/Shader.h"
#include "render/TextOverlay.h"
#include "support/GameFixture.h"

namespace {

// A 2 x 2 RGBA texture on unit 5, row 0 at the bottom, sampled without blending texels.
GLuint makeTexture(const std::array<Rgba, 4>& texels) {
    GLuint name = 0;
    glActiveTexture(GL_TEXTURE5);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    return name;
}

struct ProgramInterface {
    const char* vertex;
    const char* fragment;
    std::vector<const char*> attributes;  // position, normal, uv in that order when used
    std::vector<const char*> uniforms;
};

}  // namespace

class ScreenShaders : public GlTest {};

TEST_F(ScreenShaders, SceneProgramsKeepTheSharedAttributeLocations) {
    const ProgramInterface programs[] = {
        {"phong",
         "phong",
         {"position", "normal"},
         {"projectionMatrix", "viewMatrix", "modelMatrix"}},
        {"normals", "normals", {"position", "normal"}, {"PV", "modelMatrix"}},
        {"toon",
         "toon",
         {"position", "normal", "uv"},
         {"projectionMatrix", "viewMatrix", "modelMatrix", "colorTexture"}},
        {"contoures", "contoures", {"position", "normal"}, {"PV", "modelMatrix"}},
        {"transparency", "transparency", {"position", "normal"}, {"PV", "modelMatrix", "color"}},
        {"labyrinth", "labyrinth", {"position", "normal"}, {"PV", "modelMatrix"}},
        {"passthrough", "simpletexture", {"position"}, {"texture"}},
    };
    for (const auto& p : programs) {
        Shader shader(std::string("Shader/") + p.vertex + ".vert",
                      std::string("Shader/") + p.fragment + ".frag", "", true);
        ASSERT_TRUE(shader.linked) << p.vertex;
        // Objects record the locations of the program they were built with, so every program
        // must give the same ones, and none may drop an attribute its objects feed.
        for (size_t i = 0; i < p.attributes.size(); ++i) {
            EXPECT_EQ(glGetAttribLocation(shader.programHandle, p.attributes[i]),
                      static_cast<GLint>(i))
                << p.vertex << " " << p.attributes[i];
        }
        for (const char* uniform : p.uniforms) {
            EXPECT_GE(glGetUniformLocation(shader.programHandle, uniform), 0)
                << p.vertex << " " << uniform;
        }
    }
    Shader text("Shader/TextVertexShader.vert", "Shader/TextVertexShader.frag", "", true);
    EXPECT_EQ(glGetAttribLocation(text.programHandle, "vertexPosition_screenspace"), 0);
    EXPECT_EQ(glGetAttribLocation(text.programHandle, "vertexUV"), 1);
    EXPECT_GE(glGetUniformLocation(text.programHandle, "myTextureSampler"), 0);
    EXPECT_GE(glGetUniformLocation(text.programHandle, "color"), 0);
}

// The game's own screen quad.
using ScreenQuad = GameTest;

TEST_F(ScreenQuad, FillsTheTargetTheRightWayUpAndKeepsTheSceneWhereTransparent) {
    Target target(64, 48);
    ASSERT_TRUE(target.complete());
    target.clear(0.5f, 0.5f, 0.5f);
    Shader shader("Shader/passthrough.vert", "Shader/simpletexture.frag", "", true);
    // Bottom row red, see-through; top row blue, white. Blending off: only the program can
    // leave the scene showing, as the crosshair needs.
    GLuint texture = makeTexture(
        {Rgba{255, 0, 0, 255}, Rgba{0, 255, 0, 0}, Rgba{0, 0, 255, 255}, Rgba{255, 255, 255, 255}});
    glDisable(GL_BLEND);
    glUseProgram(shader.programHandle);
    setUniform(shader, "texture", 5);
    glBindVertexArray(g->screenQuadVao);
    glDrawArrays(GL_TRIANGLES, 0, 6);
    glBindVertexArray(0);
    const auto pixels = target.read();
    glDeleteTextures(1, &texture);

    EXPECT_TRUE(same(target.at(pixels, 0, 0), 255, 0, 0));
    EXPECT_TRUE(same(target.at(pixels, 0, 47), 0, 0, 255));
    EXPECT_TRUE(same(target.at(pixels, 63, 47), 255, 255, 255));
    const auto isGrey = [](Rgba p) { return same(p, 128, 128, 128) || same(p, 127, 127, 127); };
    EXPECT_TRUE(isGrey(target.at(pixels, 50, 10)));
    int grey = 0;
    for (const Rgba& p : pixels) grey += isGrey(p);
    EXPECT_EQ(grey, 32 * 24) << "only the see-through quarter may show the scene";
}

namespace {

struct Coverage {
    int inside = 0, outside = 0, upperHalf = 0, lowerHalf = 0;
};

// Counts red pixels in and out of the square [x0, x1) x [y0, y1) of target pixels.
Coverage redCoverage(const Target& target, const std::vector<Rgba>& pixels, int x0, int y0, int x1,
                     int y1) {
    Coverage c;
    for (int y = 0; y < target.height; ++y) {
        for (int x = 0; x < target.width; ++x) {
            const Rgba p = target.at(pixels, x, y);
            if (!(p.r > 128 && p.g < 100 && p.b < 100)) continue;
            const bool in = x >= x0 && x < x1 && y >= y0 && y < y1;
            (in ? c.inside : c.outside)++;
            if (in) (y >= (y0 + y1) / 2 ? c.upperHalf : c.lowerHalf)++;
        }
    }
    return c;
}

}  // namespace

TEST_F(ScreenShaders, TextLandsInItsLayoutSquareAtAnyTargetSize) {
    initTextOverlay();
    for (const auto& size : {std::array<int, 2>{400, 300}, std::array<int, 2>{1000, 500}}) {
        Target target(size[0], size[1]);
        ASSERT_TRUE(target.complete());
        target.clear(1.0f, 1.0f, 1.0f);
        // "_" sits low in its cell: ink in the lower half shows the glyph stands upright.
        printTextOverlay("_", 200, 100, 200, vec3(1.0f, 0.0f, 0.0f));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        const auto pixels = target.read();
        const float sx = size[0] / 800.0f, sy = size[1] / 600.0f;
        const Coverage c = redCoverage(target, pixels, int(200 * sx), int(100 * sy),
                                       int(400 * sx) + 1, int(300 * sy) + 1);
        EXPECT_GT(c.inside, 0) << size[0];
        EXPECT_EQ(c.outside, 0) << size[0];
        EXPECT_GT(c.lowerHalf, c.upperHalf) << size[0];
    }
    cleanupTextOverlay();
}

TEST_F(ScreenShaders, SmallGlyphsTakeNoInkFromTheCellAbove) {
    // 'o' sits under '_' in the font; at the debug row's size the blurred mip levels reach
    // across the cell border unless the lookups stay inside the glyph's own cell.
    initTextOverlay();
    Target target(1024, 768);
    ASSERT_TRUE(target.complete());
    target.clear(1.0f, 1.0f, 1.0f);
    printTextOverlay("o", 100, 10, 10, vec3(1.0f, 0.0f, 0.0f));
    const auto pixels = target.read();
    cleanupTextOverlay();
    // The quad spans pixels 12.8 to 25.6 upwards; the glyph ends below row 23.
    const int x0 = 128, x1 = 141, yTop = 25, yFrom = 23;
    int ink = 0, body = 0;
    for (int x = x0; x < x1; ++x) {
        for (int y = 13; y < yFrom; ++y) body += target.at(pixels, x, y).g < 128;
        for (int y = yFrom; y <= yTop; ++y) ink += target.at(pixels, x, y).g < 250;
    }
    EXPECT_GT(body, 0) << "no glyph drawn";
    EXPECT_EQ(ink, 0);
}
