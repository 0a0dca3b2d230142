// The central object: it owns every program, prototype, texture and tracked sound, holds the
// rules' state and runs the update and the frame. Reached through the global `game`.
#pragma once

#include <GL/glew.h>

#include <list>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "GameRules.h"
#include "Math.h"
#include "platform/Window.h"

class Shader;
class Texture;
class ParticleSystem;
struct Receivers;
class PaintTexture;
namespace audio {
class SoundEngine;
class Sound;
class SoundSource;
}  // namespace audio
namespace kesto::scene {
class HeightMapObject;
class BallObject;
class WallObject;
class VboObject;
class nonTexturedVboObject;
class BonusItemSet;
}  // namespace kesto::scene

class Game {
public:
    // Takes over the engine: the teardown stops its sounds and drops it.
    explicit Game(audio::SoundEngine* engine);
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Rules (game/)
    void update(double dt);
    void addBall(vec3 position, vec3 direction, bool running);
    void addWall(vec2 start, vec2 end);
    // Keeps this run's time (and adds it to the records when there are some).
    void recordWin();
    bool checkBallImpact(kesto::scene::BallObject* ball);
    // Loudness of the background music and the end jingles, 1 as built.
    void setMusicVolume(float volume);
    void addProjection(vec3 position, vec3 direction, vec3 up);

    // Frame (render/)
    void renderFrame();
    // Called after each pass of the frame with its name, when set (the benchmark times them).
    void (*afterPass)(const char* pass) = nullptr;
    // A copy of the particle template launched at position along direction.
    void launchBurst(vec3 position, vec3 direction);
    void drawPoster();
    void drawCrosshair();
    bool isInFrustum(vec3 center, float radius, float farDistance) const;
    void updateWallVisibility();

    // Shadows (render/)
    bool createShadowMap(GLuint& depthTexture, GLuint& framebuffer);
    void renderShadowMap();
    void bindShadowMapAndDrawReceivers();

    std::unique_ptr<kesto::scene::HeightMapObject> terrain;
    vec3 cameraPosition{0.0f};
    mat4 viewMatrix{1.0f};
    mat4 cameraPv{1.0f};  // projection times view, as uploaded to the programs as PV_cam
    mat4 depthMVP{1.0f};
    mat4 shadowTextureMatrix{1.0f};  // the light's, as uploaded as shadow_tex_mat
    bool flyMode = false;
    bool wireframe = false;
    bool switchedTerrainShader = false;
    bool showFrameTime = false;
    bool frustumCulling = true;
    bool transparency = true;
    int mipmapMode = 2;
    bool bilinearFiltering = true;
    bool showDebugHud = false;
    bool awaitingFirstStart = true;
    bool posterVisible = true;
    bool goalReached = false;
    bool tripleThrowUnlocked = false;
    bool bumpedBefore = false;
    bool bumpedWall = false;
    bool movedThisFrame = false;
    int posterIndex = kPosterPlay;
    double elapsedTime = 0.0;
    // Where a win adds its time; none when empty (tests, the benchmark).
    std::string recordsPath;
    // This run's time and the best one kept, once the game is won; negative before.
    double winTime = -1.0, bestTime = -1.0;
    double frameTime = 0.0;
    int ballsLeft = kStartBalls;
    char hudText[256] = {};
    float goalDistance = -1.0f;
    int windowWidth = kWindowedWidth;
    int windowHeight = kWindowedHeight;
    int lastParticleState = 0;
    std::list<int> removalIndices;
    std::unordered_set<int> hitBonusItems;
    std::vector<std::unique_ptr<ParticleSystem>> particleSystems;
    std::vector<audio::SoundSource*> bonusItemSounds;  // by type: car, croctopus, duck
    std::vector<std::unique_ptr<kesto::scene::BallObject>> balls;
    std::vector<std::unique_ptr<kesto::scene::WallObject>> walls;
    std::unique_ptr<kesto::scene::BonusItemSet> bonusItems;
    std::unique_ptr<ParticleSystem> particleSystem;  // the template every burst copies
    std::unique_ptr<kesto::scene::BallObject> ballPrototype;
    std::unique_ptr<kesto::scene::WallObject> wallPrototype;
    std::unique_ptr<kesto::scene::VboObject> finish;
    std::unique_ptr<kesto::scene::nonTexturedVboObject> finishLayer;
    std::unique_ptr<Shader> phongShader, normalsShader, contourShader, toonShader,
        transparencyShader, shadowDepthShader, shadowShader, projectionShader, textureShader;
    std::unique_ptr<Texture> finishTexture, crosshairTexture, splatTexture, posterPlayTexture,
        posterHelpTexture, posterWinTexture, posterLoseTexture;
    // The part of the window the crosshair's opaque texels cover, as fractions of it (x, y low,
    // then high); worked out on its first draw. The rest of the window needs no pixels drawn.
    vec4 crosshairArea{0.0f};
    bool crosshairAreaKnown = false;
    // Grass and stone colours made once at start-up for the shadow receivers.
    std::unique_ptr<Receivers> receivers;
    // The splats' paint, kept on the surfaces it landed on.
    std::unique_ptr<PaintTexture> paintTexture;
    // Whether the last depth pass drew a ball or a hit item inside the light's window.
    bool castersInLightWindow = false;
    GLuint shadowMapTexture = 0;
    GLuint shadowMapFramebuffer = 0;
    GLuint screenQuadBuffer = 0;
    GLuint screenQuadVao = 0;  // core profile needs a vertex array to draw the quad
    audio::SoundEngine* soundEngine = nullptr;
    // Tracked sounds; any of them may be null when its file could not be loaded.
    audio::Sound* backgroundMusic = nullptr;
    audio::Sound* goalHum = nullptr;
    audio::Sound* tickingSound = nullptr;
    audio::Sound* winJingle = nullptr;
    audio::Sound* loseJingle = nullptr;
    audio::Sound* footsteps = nullptr;
    // Preloaded sources, owned by the engine; may be null too.
    audio::SoundSource* gruntSound = nullptr;
    audio::SoundSource* emptySound = nullptr;
    audio::SoundSource* splashSound = nullptr;
    audio::SoundSource* duckSound = nullptr;
    audio::SoundSource* carSound = nullptr;
    audio::SoundSource* howlSound = nullptr;
};
