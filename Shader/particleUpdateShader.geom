#version 330 core
// One generation of a paint burst. The launcher sits at the hit point and, during its short
// life, fires blobs of paint back out of the struck surface; each blob flies briefly, then
// bursts into droplets that fall under gravity and fade. Nothing is ever re-emitted for good,
// so the stream is empty about a second after the hit.
layout(points) in;
layout(points, max_vertices = 40) out;

in float Type0[];
in vec3 Position0[];
in vec3 Velocity0[];
in float Age0[];

out float Type1;
out vec3 Position1;
out vec3 Velocity1;
out float Age1;

uniform float gDeltaTimeMillis;
uniform float gTime;
uniform sampler1D gRandomTexture;
uniform float gLauncherLifetime;
uniform float gShellLifetime;
uniform float gSecondaryShellLifetime;
uniform float gParticleLifetime;
// The way the paint was travelling when it struck: into the surface.
uniform vec3 gDirection;

const float LAUNCHER = 0.0;
const float SHELL = 1.0;
const float DROPLET = 2.0;

const int blobsPerBurst = 30;
const int dropletsPerBlob = 4;
const vec3 gravity = vec3(0.0, -9.81, 0.0);

// A vector in [-1, 1]^3 from the shared random table.
vec3 randomVector(float seed) {
    return texture(gRandomTexture, seed).xyz * 2.0 - 1.0;
}

void emit(float type, vec3 position, vec3 velocity, float age) {
    Type1 = type;
    Position1 = position;
    Velocity1 = velocity;
    Age1 = age;
    EmitVertex();
    EndPrimitive();
}

vec3 awayFromSurface() {
    float len = length(gDirection);
    if (len == 0.0) return vec3(0.0, 1.0, 0.0);
    // Only ground hits strike vertically, and off the ground paint always splashes upwards,
    // also when the ball had sunk below the ground vertex by the step that caught it.
    if (abs(gDirection.y) > 0.99 * len) return vec3(0.0, 1.0, 0.0);
    return -gDirection / len;
}

void main() {
    float type = Type0[0];
    vec3 position = Position0[0];
    vec3 velocity = Velocity0[0];
    float age = Age0[0] + gDeltaTimeMillis;
    float dt = gDeltaTimeMillis / 1000.0;

    // Whatever outlives every kind, or is of no known kind, ends here.
    if (age >= gParticleLifetime) return;

    if (type == LAUNCHER) {
        // Blobs leave at fixed moments of the launcher's life, so a slow frame fires the
        // ones it skipped and a fast one fires none: the burst looks the same at any rate.
        vec3 away = awayFromSurface();
        for (int k = 0; k < blobsPerBurst; ++k) {
            float moment = gLauncherLifetime * float(k) / float(blobsPerBurst);
            bool due = moment >= Age0[0] && (moment < age || age >= gLauncherLifetime);
            if (!due) continue;
            float seed = (gTime + float(k) * 7.31 + dot(position, vec3(0.13, 0.71, 0.37))) / 997.0;
            vec3 spread = randomVector(seed);
            vec3 direction = normalize(away * 1.1 + spread * 0.9);
            // Keep every blob on the open side of the surface.
            float outward = dot(direction, away);
            if (outward < 0.25) direction = normalize(direction + away * (0.25 - outward + 0.1));
            float speed = 3.5 + 3.5 * abs(randomVector(seed + 0.37).x);
            emit(SHELL, position + away * 0.05, direction * speed, 0.0);
        }
        if (age < gLauncherLifetime) emit(LAUNCHER, position, vec3(0.0), age);
        return;
    }

    if (type != SHELL && type != DROPLET) return;

    vec3 moved = position + velocity * dt + 0.5 * gravity * dt * dt;
    vec3 falling = velocity + gravity * dt;

    if (type == SHELL) {
        if (age < gShellLifetime) {
            emit(SHELL, moved, falling, age);
            return;
        }
        for (int i = 0; i < dropletsPerBlob; ++i) {
            float seed = (gTime + float(i) * 13.7 + dot(moved, vec3(0.91, 0.23, 0.57))) / 991.0;
            vec3 jitter = randomVector(seed) * 1.6;
            // A droplet starts part-way through its life, so they do not all vanish at once.
            float head = abs(randomVector(seed + 0.21).y) * 0.45 * gSecondaryShellLifetime;
            emit(DROPLET, moved, falling * 0.8 + jitter, head);
        }
        return;
    }

    if (age < gSecondaryShellLifetime) emit(DROPLET, moved, falling, age);
}
