#include "render/TextOverlay.h"

#include <GL/glew.h>

#include <cstdint>
#include <cstring>
#include <memory>

#include "assets/Texture.h"
#include "render/Shader.h"

namespace {

constexpr float kCell = 0.0625f;  // one glyph of the 16 x 16 grid

std::unique_ptr<Texture> fontTexture;
GLuint positionBuffer = 0;
GLuint uvBuffer = 0;
GLuint textVao = 0;  // a core context draws nothing without a vertex array
std::unique_ptr<Shader> textShader;

void upload(GLuint buffer, const std::vector<vec2>& data) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(vec2)),
                 data.empty() ? nullptr : data.data(), GL_STATIC_DRAW);
}

void pointAttribute(GLuint buffer, const char* name) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    const GLint location = glGetAttribLocation(textShader->programHandle, name);
    if (location < 0) return;
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), 2, GL_FLOAT, GL_FALSE, 0, nullptr);
}

}  // namespace

void layoutText(const char* text, int x, int y, int size, std::vector<vec2>& positions,
                std::vector<vec2>& uvs) {
    positions.clear();
    uvs.clear();
    if (!text) return;
    const size_t length = std::strlen(text);
    positions.reserve(6 * length);
    uvs.reserve(6 * length);
    const float bottom = static_cast<float>(y);
    const float top = static_cast<float>(static_cast<int64_t>(y) + size);
    for (size_t i = 0; i < length; ++i) {
        const float left = static_cast<float>(x + static_cast<int64_t>(i) * size);
        const float right = static_cast<float>(x + static_cast<int64_t>(i + 1) * size);
        // Unsigned, so codes 128 to 255 land in the lower half of the grid, never outside it.
        const int c = static_cast<unsigned char>(text[i]);
        const float u0 = static_cast<float>(c % 16) / 16.0f;
        const float u1 = u0 + kCell;
        const float vTop = 1.0f - static_cast<float>(c / 16) / 16.0f;
        const float vBottom = vTop - kCell;

        positions.insert(positions.end(),
                         {vec2(left, top), vec2(left, bottom), vec2(right, top),
                          vec2(right, bottom), vec2(right, top), vec2(left, bottom)});
        uvs.insert(uvs.end(), {vec2(u0, vTop), vec2(u0, vBottom), vec2(u1, vTop), vec2(u1, vBottom),
                               vec2(u1, vTop), vec2(u0, vBottom)});
    }
}

void initTextOverlay() {
    fontTexture = std::make_unique<Texture>("Util/Files/font.tga", false);
    glGenBuffers(1, &positionBuffer);
    glGenBuffers(1, &uvBuffer);
    glGenVertexArrays(1, &textVao);
    textShader = std::make_unique<Shader>("Shader/TextVertexShader.vert",
                                          "Shader/TextVertexShader.frag", "", true);
}

void printTextOverlay(const char* text, int x, int y, int size, vec3 colour) {
    if (!textShader) return;
    std::vector<vec2> positions;
    std::vector<vec2> uvs;
    layoutText(text, x, y, size, positions, uvs);

    upload(positionBuffer, positions);
    upload(uvBuffer, uvs);

    glUseProgram(textShader->programHandle);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, fontTexture ? fontTexture->textureName : 0);

    glBindVertexArray(textVao);
    pointAttribute(positionBuffer, "vertexPosition_screenspace");
    pointAttribute(uvBuffer, "vertexUV");
    setUniform(*textShader, "color", colour);

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDrawArrays(GL_TRIANGLES, 0, static_cast<GLsizei>(positions.size()));
    glDisable(GL_BLEND);

    glDisableVertexAttribArray(0);
    glDisableVertexAttribArray(1);
    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void cleanupTextOverlay() {
    glDeleteBuffers(1, &positionBuffer);
    glDeleteBuffers(1, &uvBuffer);
    glDeleteVertexArrays(1, &textVao);
    positionBuffer = uvBuffer = textVao = 0;
    // The Texture releases its own GL name.
    fontTexture.reset();
    textShader.reset();
}
