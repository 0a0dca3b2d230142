#include "game/Game.h"

#include <cstdio>

#include "assets/Texture.h"
#include "assets/WallFile.h"
#include "game/Projection.h"
#include "platform/Console.h"
#include "platform/Sound.h"
#include "platform/Window.h"
#include "render/ParticleSystem.h"
#include "render/Shader.h"
#include "render/TextOverlay.h"
#include "scene/BallObject.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/MeshObjects.h"
#include "scene/WallObject.h"

using namespace kesto::scene;

namespace {

std::unique_ptr<Shader> makeProgram(const char* name) {
    const std::string base = std::string("Shader/") + name;
    return std::make_unique<Shader>(base + ".vert", base + ".frag", "", true);
}

// A sound source that failed to load stays null; the game plays on without it.
audio::SoundSource* loadEffect(audio::SoundEngine* engine, const char* path) {
    audio::SoundSource* source = engine->addSoundSourceFromFile(path, true);
    if (source) source->setDefaultMinDistance(3.0f);
    return source;
}

void dropSound(audio::Sound*& sound) {
    if (sound) sound->drop();
    sound = nullptr;
}

}  // namespace

Game::Game(audio::SoundEngine* engine) {
    const mat4 identity(1.0f);

    phongShader = makeProgram("phong");
    shadowDepthShader = makeProgram("shadowtexturing");
    shadowShader = makeProgram("shadowmapping");
    projectionShader = makeProgram("projTexture");
    textureShader =
        std::make_unique<Shader>("Shader/passthrough.vert", "Shader/simpletexture.frag", "", true);
    normalsShader = makeProgram("normals");
    toonShader = makeProgram("toon");
    contourShader = makeProgram("contoures");
    transparencyShader = makeProgram("transparency");

    ballPrototype = std::make_unique<BallObject>(identity, phongShader.get());
    wallPrototype = std::make_unique<WallObject>(identity, normalsShader.get());
    terrain = std::make_unique<HeightMapObject>(identity, normalsShader.get());

    const vec3 goal(kGoalX, terrain->heightAt(kGoalX, kGoalZ), kGoalZ);
    finish = std::make_unique<VboObject>(identity, toonShader.get());
    finish->modelMatrix = glm::translate(finish->modelMatrix, goal);
    finishLayer = std::make_unique<nonTexturedVboObject>("Util/Files/finish_transparent_layer.obj",
                                                         identity, transparencyShader.get());
    finishLayer->modelMatrix = glm::translate(finishLayer->modelMatrix, goal);

    bonusItems = std::make_unique<BonusItemSet>();
    particleSystem = std::make_unique<ParticleSystem>();

    if (!createShadowMap(shadowMapTexture, shadowMapFramebuffer))
        fatalError("Couldn't create shadow map\n");

    const char* mazePath = "Util/Files/Labyrinth2.txt";
    std::vector<vec2> starts, ends;
    if (!loadWallFile(mazePath, starts, ends))
        fatalError("Error reading object from file: '%s'", mazePath);
    std::printf("Adding %i walls.\n", static_cast<int>(starts.size()));
    for (size_t i = 0; i < starts.size() && i < ends.size(); ++i) addWall(starts[i], ends[i]);

    finishTexture = std::make_unique<Texture>("Util/Files/finish.DDS", true);
    splatTexture = std::make_unique<Texture>("Util/Files/farbklecks.DDS", true);
    // Every splat samples it over large, overlapping areas of the screen each frame.
    splatTexture->storeUncompressed();
    crosshairTexture = std::make_unique<Texture>("Util/Files/Fadenkreuz.tga", false);
    posterPlayTexture = std::make_unique<Texture>("Util/Files/poster_play.tga", false);
    posterHelpTexture = std::make_unique<Texture>("Util/Files/poster_help.tga", false);
    posterWinTexture = std::make_unique<Texture>("Util/Files/poster_win.tga", false);
    posterLoseTexture = std::make_unique<Texture>("Util/Files/poster_lose.tga", false);

    initTextOverlay();

    soundEngine = engine;
    if (soundEngine) {
        backgroundMusic = soundEngine->play2D("Util/Files/background.mp3", true, false, true);
        if (backgroundMusic) backgroundMusic->setVolume(0.1f);
        tickingSound =
            soundEngine->play2D("Util/Files/cartoon_clock_ticking.mp3", false, true, true);
        winJingle = soundEngine->play2D("Util/Files/bugle_music_reveille.mp3", false, true, true);
        loseJingle = soundEngine->play2D("Util/Files/musical_woodwinds_melody_descend_playful.mp3",
                                         false, true, true);
        // Looped: a one-shot track would fall silent for good after its first few seconds
        // of walking, since unpausing a finished sound plays nothing.
        footsteps = soundEngine->play2D(
            "Util/Files/footsteps_on_forest_pathway_dry_clear_of_debris_001.mp3", true, true, true);
        gruntSound = soundEngine->addSoundSourceFromFile("Util/Files/female_exert_grunt.mp3", true);
        splashSound = loadEffect(soundEngine, "Util/Files/sweep_organic_watery_fast.mp3");
        emptySound = loadEffect(soundEngine, "Util/Files/ambient_029.mp3");
        carSound = loadEffect(soundEngine, "Util/Files/car_horn_honk.mp3");
        bonusItemSounds.push_back(carSound);
        howlSound = loadEffect(soundEngine, "Util/Files/sound_design_effect_howling_short.mp3");
        bonusItemSounds.push_back(howlSound);
        duckSound = loadEffect(soundEngine, "Util/Files/goose_honk_once_001.mp3");
        bonusItemSounds.push_back(duckSound);
        goalHum = soundEngine->play3D("Util/Files/SFX_Horror-Woosh.ogg", goal, true, true, true);
        if (goalHum) {
            goalHum->setMinDistance(1.0f);
            goalHum->setIsPaused(false);
        }
    } else {
        bonusItemSounds.assign(3, nullptr);
    }

    flyMode = false;
    wireframe = false;
    switchedTerrainShader = false;
    showFrameTime = false;
    frustumCulling = true;
    transparency = true;
    mipmapMode = 2;
    bilinearFiltering = true;
    showDebugHud = false;
    awaitingFirstStart = true;
    posterVisible = true;
    goalReached = false;
    tripleThrowUnlocked = false;
    bumpedBefore = false;
    bumpedWall = false;
    movedThisFrame = false;
    posterIndex = 1;
    goalDistance = -1.0f;
    elapsedTime = 0.0;
    frameTime = 0.0;
    ballsLeft = 200;
    windowWidth = 1024;
    windowHeight = 768;
    lastParticleState = 0;
    cameraPosition = vec3(0.0f);
    viewMatrix = identity;
    depthMVP = identity;
    setCursorVisible(true);  // the play poster is up
}

Game::~Game() {
    balls.clear();
    walls.clear();
    particleSystems.clear();
    projections.clear();
    removalIndices.clear();
    hitBonusItems.clear();
    bonusItemSounds.clear();

    phongShader.reset();
    normalsShader.reset();
    contourShader.reset();
    toonShader.reset();
    transparencyShader.reset();
    shadowDepthShader.reset();
    shadowShader.reset();
    projectionShader.reset();
    textureShader.reset();

    ballPrototype.reset();
    wallPrototype.reset();
    terrain.reset();
    splatTexture.reset();
    finish.reset();
    finishLayer.reset();
    bonusItems.reset();
    particleSystem.reset();
    finishTexture.reset();
    crosshairTexture.reset();
    posterPlayTexture.reset();
    posterHelpTexture.reset();
    posterWinTexture.reset();
    posterLoseTexture.reset();

    glDeleteBuffers(1, &screenQuadBuffer);
    glDeleteVertexArrays(1, &screenQuadVao);
    glDeleteFramebuffers(1, &shadowMapFramebuffer);
    glDeleteTextures(1, &shadowMapTexture);
    screenQuadBuffer = screenQuadVao = shadowMapFramebuffer = shadowMapTexture = 0;

    if (soundEngine) {
        soundEngine->stopAllSounds();
        dropSound(backgroundMusic);
        dropSound(tickingSound);
        dropSound(winJingle);
        dropSound(loseJingle);
        dropSound(footsteps);
        dropSound(goalHum);
        soundEngine->removeAllSoundSources();
        gruntSound = emptySound = splashSound = duckSound = carSound = howlSound = nullptr;
        soundEngine->drop();
        soundEngine = nullptr;
    }

    cleanupTextOverlay();
}

void Game::addWall(vec2 start, vec2 end) {
    auto wall = std::make_unique<WallObject>(*wallPrototype);
    wall->start = start;
    wall->end = end;
    float angle = 0.0f;
    const auto ground = [this](float x, float z) { return terrain->cellHeight(x, z); };
    if (!placeWall(start, end, ground, wall->modelMatrix, angle)) {
        // A wall of no length has no direction: it would neither show sensibly nor block.
        std::printf("Skipping wall from %0.2f/%0.2f to %0.2f/%0.2f: it has no length\n", start.x,
                    start.y, end.x, end.y);
        return;
    }
    walls.push_back(std::move(wall));
    std::printf("Wall %i created with angle %0.0f\n", static_cast<int>(walls.size()), angle);
}
