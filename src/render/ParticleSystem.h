// A burst of GPU particles: two buffers ping-ponged through transform feedback.
// The template (built once) owns the programs, the random table and the sprite texture;
// every burst is a copy that shares them and owns only its buffers, feedback objects and query.
#pragma once

#include <GL/glew.h>

#include <memory>

#include "Math.h"

class Shader;
class Texture;

// What every burst shares with the template; freed when the last system using it goes.
struct ParticleResources;

class ParticleSystem {
public:
    ParticleSystem();  // the template: programs, random table, texture; no buffers
    ParticleSystem(const ParticleSystem& other);  // shares the template's resources
    ParticleSystem& operator=(const ParticleSystem&) = delete;
    ~ParticleSystem();  // frees this system's own buffers, feedback objects and query

    void launch(const vec3& position, const vec3& direction);
    void update(int deltaMillis);
    void render();

    vec3 cameraPosition{0.0f};
    mat4 viewProjection{1.0f};
    bool isFirst = false;
    int currentVertexBuffer = 0;
    int currentFeedbackBuffer = 1;
    int time = 0;
    GLuint aliveCount = 0;
    GLuint particleBuffers[2] = {0, 0};
    GLuint transformFeedbacks[2] = {0, 0};
    GLuint query = 0;
    std::shared_ptr<ParticleResources> resources;
};

// The random table: 1000 entries of (x, y, z), each in [0, 1], the same on every run.
void fillParticleRandomTable(float* table3000);
