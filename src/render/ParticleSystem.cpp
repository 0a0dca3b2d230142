#include "render/ParticleSystem.h"

#include <cstddef>
#include <vector>

#include "assets/Texture.h"
#include "render/Shader.h"

struct ParticleResources {
    ParticleResources() = default;
    ParticleResources(const ParticleResources&) = delete;
    ParticleResources& operator=(const ParticleResources&) = delete;
    ~ParticleResources() {
        if (randomTexture != 0) glDeleteTextures(1, &randomTexture);
    }

    std::unique_ptr<Shader> updateShader;
    std::unique_ptr<Shader> renderShader;
    std::unique_ptr<Texture> particleTexture;
    GLuint randomTexture = 0;
};

namespace {

constexpr const char* kParticleTexturePath = "Util/Files/particle.DDS";
constexpr GLint kSpriteUnit = 2;
constexpr GLint kRandomUnit = 3;
constexpr GLsizei kRecordStride = sizeof(ParticleRecord);

// Attribute locations of the update program; the render program reads position at 0.
enum : GLuint {
    kTypeAttribute = 0,
    kPositionAttribute = 1,
    kVelocityAttribute = 2,
    kAgeAttribute = 3
};
enum : GLuint { kRenderPosition = 0, kRenderType = 1, kRenderAge = 2 };

const void* fieldOffset(size_t offset) { return reinterpret_cast<const void*>(offset); }

void pointAt(GLuint location, GLint components, size_t offset) {
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, components, GL_FLOAT, GL_FALSE, kRecordStride,
                          fieldOffset(offset));
}

}  // namespace

void fillParticleRandomTable(float* table3000) {
    // The C library's reference generator (range 0 to 32767, never seeded), kept private so
    // that nobody else's rand() calls can shift the table.
    unsigned long next = 1;
    for (int i = 0; i < kRandomTableSize * 3; ++i) {
        next = next * 1103515245ul + 12345ul;
        const unsigned value = static_cast<unsigned>((next / 65536ul) % 32768ul);
        table3000[i] = static_cast<float>(value / 32767.0);
    }
}

ParticleSystem::ParticleSystem() : resources(std::make_shared<ParticleResources>()) {
    ParticleResources& shared = *resources;

    shared.updateShader = std::make_unique<Shader>("Shader/particleUpdateShader.vert", "",
                                                   "Shader/particleUpdateShader.geom", false);
    const char* varyings[] = {"Type1", "Position1", "Velocity1", "Age1"};
    glTransformFeedbackVaryings(shared.updateShader->programHandle, 4, varyings,
                                GL_INTERLEAVED_ATTRIBS);
    shared.updateShader->link();
    glUseProgram(shared.updateShader->programHandle);
    setUniform(*shared.updateShader, "gRandomTexture", kRandomUnit);
    setUniform(*shared.updateShader, "gLauncherLifetime", 25.0f);
    setUniform(*shared.updateShader, "gShellLifetime", 150.0f);
    setUniform(*shared.updateShader, "gSecondaryShellLifetime", 1000.0f);
    setUniform(*shared.updateShader, "gParticleLifetime", 10000.0f);

    std::vector<float> table(kRandomTableSize * 3);
    fillParticleRandomTable(table.data());
    glGenTextures(1, &shared.randomTexture);
    glBindTexture(GL_TEXTURE_1D, shared.randomTexture);
    glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB, kRandomTableSize, 0, GL_RGB, GL_FLOAT, table.data());
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_WRAP_S, GL_REPEAT);

    shared.renderShader = std::make_unique<Shader>("Shader/particleRenderShader.vert",
                                                   "Shader/particleRenderShader.frag",
                                                   "Shader/particleRenderShader.geom", true);
    glUseProgram(shared.renderShader->programHandle);
    setUniform(*shared.renderShader, "gColorMap", kSpriteUnit);
    setUniform(*shared.renderShader, "gBillboardSize", 0.1f);

    // The texture reports a missing file itself and is then drawn with name 0.
    shared.particleTexture = std::make_unique<Texture>(kParticleTexturePath, true);
}

ParticleSystem::ParticleSystem(const ParticleSystem& other)
    : cameraPosition(other.cameraPosition),
      viewProjection(other.viewProjection),
      isFirst(other.isFirst),
      currentVertexBuffer(other.currentVertexBuffer),
      currentFeedbackBuffer(other.currentFeedbackBuffer),
      time(other.time),
      aliveCount(other.aliveCount),
      direction(other.direction),
      resources(other.resources) {}

ParticleSystem::~ParticleSystem() {
    if (query != 0) glDeleteQueries(1, &query);
    if (transformFeedbacks[0] != 0) glDeleteTransformFeedbacks(2, transformFeedbacks);
    if (particleBuffers[0] != 0) glDeleteBuffers(2, particleBuffers);
    if (vertexArray != 0) glDeleteVertexArrays(1, &vertexArray);
}

void ParticleSystem::launch(const vec3& position, const vec3& launchDirection) {
    isFirst = true;
    time = 0;
    direction = launchDirection;

    std::vector<ParticleRecord> records(kMaxParticles);
    records[0].position = position;

    if (particleBuffers[0] == 0) {
        glGenTransformFeedbacks(2, transformFeedbacks);
        glGenBuffers(2, particleBuffers);
        glGenQueries(1, &query);
        glGenVertexArrays(1, &vertexArray);
    }
    for (int i = 0; i < 2; ++i) {
        glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, transformFeedbacks[i]);
        glBindBuffer(GL_ARRAY_BUFFER, particleBuffers[i]);
        glBufferData(GL_ARRAY_BUFFER, sizeof(ParticleRecord) * records.size(), records.data(),
                     GL_DYNAMIC_DRAW);
        glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, particleBuffers[i]);
    }
    glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    glUseProgram(resources->updateShader->programHandle);
    setUniform(*resources->updateShader, "gDirection", direction);
}

void ParticleSystem::update(int deltaMillis) {
    if (particleBuffers[0] == 0) {
        aliveCount = 0;  // never launched: nothing to advance
        return;
    }
    const Shader& program = *resources->updateShader;
    glUseProgram(program.programHandle);
    setUniform(program, "gTime", static_cast<float>(time));
    setUniform(program, "gDeltaTimeMillis", static_cast<float>(deltaMillis));
    // The program is shared: another burst may have been launched since ours.
    setUniform(program, "gDirection", direction);

    glActiveTexture(GL_TEXTURE0 + kRandomUnit);
    glBindTexture(GL_TEXTURE_1D, resources->randomTexture);

    glEnable(GL_RASTERIZER_DISCARD);
    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, particleBuffers[currentVertexBuffer]);
    glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, transformFeedbacks[currentFeedbackBuffer]);
    pointAt(kTypeAttribute, 1, offsetof(ParticleRecord, type));
    pointAt(kPositionAttribute, 3, offsetof(ParticleRecord, position));
    pointAt(kVelocityAttribute, 3, offsetof(ParticleRecord, velocity));
    pointAt(kAgeAttribute, 1, offsetof(ParticleRecord, age));

    glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, query);
    glBeginTransformFeedback(GL_POINTS);
    if (isFirst) {
        // Only the launcher: the rest of the fresh buffer is not a particle yet.
        glDrawArrays(GL_POINTS, 0, 1);
        isFirst = false;
    } else {
        glDrawTransformFeedback(GL_POINTS, transformFeedbacks[currentVertexBuffer]);
    }
    glEndTransformFeedback();
    for (GLuint location = kTypeAttribute; location <= kAgeAttribute; ++location)
        glDisableVertexAttribArray(location);
    glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &aliveCount);

    glBindTransformFeedback(GL_TRANSFORM_FEEDBACK, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
    // Whoever draws next must not find the rasteriser switched off.
    glDisable(GL_RASTERIZER_DISCARD);
}

void ParticleSystem::render() {
    if (particleBuffers[0] == 0) return;
    const Shader& program = *resources->renderShader;
    glUseProgram(program.programHandle);
    setUniform(program, "gCameraPos", cameraPosition);
    setUniform(program, "gVP", viewProjection);

    glActiveTexture(GL_TEXTURE0 + kSpriteUnit);
    const Texture* sprite = resources->particleTexture.get();
    glBindTexture(GL_TEXTURE_2D, sprite ? sprite->textureName : 0);
    glDisable(GL_RASTERIZER_DISCARD);

    // Paint covers what lies behind it; adding light would wash it out on bright ground
    // and lose it against the sky. The frame's own blend function is put back afterwards.
    GLint blend[4];
    glGetIntegerv(GL_BLEND_SRC_RGB, &blend[0]);
    glGetIntegerv(GL_BLEND_DST_RGB, &blend[1]);
    glGetIntegerv(GL_BLEND_SRC_ALPHA, &blend[2]);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &blend[3]);
    glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ZERO, GL_ONE);

    glBindVertexArray(vertexArray);
    glBindBuffer(GL_ARRAY_BUFFER, particleBuffers[currentFeedbackBuffer]);
    pointAt(kRenderPosition, 3, offsetof(ParticleRecord, position));
    pointAt(kRenderType, 1, offsetof(ParticleRecord, type));
    pointAt(kRenderAge, 1, offsetof(ParticleRecord, age));
    glDrawTransformFeedback(GL_POINTS, transformFeedbacks[currentFeedbackBuffer]);
    for (GLuint location = kRenderPosition; location <= kRenderAge; ++location)
        glDisableVertexAttribArray(location);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);

    glBlendFuncSeparate(static_cast<GLenum>(blend[0]), static_cast<GLenum>(blend[1]),
                        static_cast<GLenum>(blend[2]), static_cast<GLenum>(blend[3]));
}
