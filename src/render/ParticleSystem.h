// A burst of GPU particles: two buffers ping-ponged through transform feedback.
// The template (built once) owns the programs, the random table and the sprite texture;
// every burst is a copy that shares them and owns only its buffers, feedback objects and query.
#pragma once

#include <GL/glew.h>

#include <list>
#include <memory>

#include "Math.h"

class Shader;
class Texture;

// What every burst shares with the template; freed when the last system using it goes.
struct ParticleResources;

constexpr int kMaxParticles = 1000;
constexpr int kRandomTableSize = 1000;

// One particle as the buffers and the transform feedback hold it (32 bytes, packed).
struct ParticleRecord {
    float type = 0.0f;  // 0 is the launcher
    vec3 position{0.0f};
    vec3 velocity{0.0f};
    float age = 0.0f;  // milliseconds
};
static_assert(sizeof(ParticleRecord) == 32, "the shaders read 32-byte records");

class ParticleSystem {
public:
    ParticleSystem();  // the template: programs, random table, texture; no buffers
    // Shares the template's resources. GL objects of the original's own are not shared:
    // the copy makes its own in launch().
    ParticleSystem(const ParticleSystem& other);
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
    GLuint vertexArray = 0;  // core profile: attribute state lives in a vertex array
    // The launch direction of this burst; each update re-sends it because the program is shared.
    vec3 direction{0.0f, -1.0f, 0.0f};
    std::shared_ptr<ParticleResources> resources;
};

// The random table: 1000 entries of (x, y, z), each in [0, 1], the same on every run.
void fillParticleRandomTable(float* table3000);

// Erases the elements at the given ascending positions; the others keep their order.
template <typename List>
void eraseAtPositions(List& items, const std::list<int>& positions) {
    for (auto it = positions.rbegin(); it != positions.rend(); ++it) {
        if (*it >= 0 && static_cast<size_t>(*it) < items.size()) items.erase(items.begin() + *it);
    }
}
