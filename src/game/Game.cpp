#include "game/Game.h"

#include <cstdio>

#include "assets/Texture.h"
#include "assets/WallFile.h"
#include "game/Projection.h"
#include "platform/Console.h"
#include "platform/Sound.h"
#include "platform/Window.h"
#include "render/ParticleSystem.h"
#include "render/Receivers.h"
#include "render/Shader.h"
#include "render/TextOverlay.h"
#include "render/paint/PaintTexture.h"
#include "scene/BallObject.h"
#include "scene/BonusItem.h"
#include "scene/HeightMapObject.h"
#include "scene/MeshObjects.h"
#include "scene/SurfaceGrids.h"
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

// The loads of the constructor, in its order; each ends the game on a missing file it needs.

void loadPrograms(Game& g) {
    g.phongShader = makeProgram("phong");
    g.shadowDepthShader = makeProgram("shadowtexturing");
    g.shadowShader = makeProgram("shadowmapping");
    g.projectionShader = makeProgram("projTexture");
    g.textureShader =
        std::make_unique<Shader>("Shader/passthrough.vert", "Shader/simpletexture.frag", "", true);
    g.normalsShader = makeProgram("normals");
    g.toonShader = makeProgram("toon");
    g.contourShader = makeProgram("contoures");
    g.transparencyShader = makeProgram("transparency");
}

void loadPrototypes(Game& g) {
    g.ballPrototype = std::make_unique<BallObject>(mat4(1.0f), g.phongShader.get());
    g.wallPrototype = std::make_unique<WallObject>(mat4(1.0f), g.normalsShader.get());
}

void loadTerrain(Game& g) {
    g.terrain = std::make_unique<HeightMapObject>(mat4(1.0f), g.normalsShader.get());
}

// The gate and its red layer stand on the ground at the goal.
vec3 goalPosition(const Game& g) {
    return vec3(kGoalX, g.terrain->heightAt(kGoalX, kGoalZ), kGoalZ);
}

void loadGate(Game& g) {
    const vec3 goal = goalPosition(g);
    g.finish = std::make_unique<VboObject>(mat4(1.0f), g.toonShader.get());
    g.finish->modelMatrix = glm::translate(g.finish->modelMatrix, goal);
    g.finishLayer = std::make_unique<nonTexturedVboObject>(
        "Util/Files/finish_transparent_layer.obj", mat4(1.0f), g.transparencyShader.get());
    g.finishLayer->modelMatrix = glm::translate(g.finishLayer->modelMatrix, goal);
}

void loadItems(Game& g) {
    g.bonusItems = std::make_unique<BonusItemSet>();
    g.particleSystem = std::make_unique<ParticleSystem>();
}

void loadShadowMap(Game& g) {
    if (!g.createShadowMap(g.shadowMapTexture, g.shadowMapFramebuffer))
        fatalError("Couldn't create shadow map\n");
}

void loadMaze(Game& g) {
    const char* mazePath = "Util/Files/Labyrinth2.txt";
    std::vector<vec2> starts, ends;
    if (!loadWallFile(mazePath, starts, ends))
        fatalError("Error reading object from file: '%s'", mazePath);
    std::printf("Adding %i walls.\n", static_cast<int>(starts.size()));
    for (size_t i = 0; i < starts.size() && i < ends.size(); ++i) g.addWall(starts[i], ends[i]);
}

// Grass and stone are the same every frame: drawn once here, looked up by the receivers.
void bakeSurfaces(Game& g) {
    Shader bakeProgram("Shader/passthrough.vert", "Shader/surfaceBake.frag", "", true);
    const kesto::scene::SurfaceGrids grids = kesto::scene::surfaceGridsOf(*g.terrain, g.walls);
    g.receivers = makeReceivers(bakeProgram, g.screenQuadVao, grids);
    if (!g.receivers) fatalError("Couldn't make the surface textures\n");
    g.paintTexture = std::make_unique<PaintTexture>(grids);
}

// A missing texture leaves its name 0 and the game goes on.
void loadTextures(Game& g) {
    g.finishTexture = std::make_unique<Texture>("Util/Files/finish.DDS", true);
    g.splatTexture = std::make_unique<Texture>("Util/Files/farbklecks.DDS", true);
    // Every splat samples it over large, overlapping areas of the screen each frame.
    g.splatTexture->storeUncompressed();
    g.crosshairTexture = std::make_unique<Texture>("Util/Files/Fadenkreuz.tga", false);
    g.posterPlayTexture = std::make_unique<Texture>("Util/Files/poster_play.tga", false);
    g.posterHelpTexture = std::make_unique<Texture>("Util/Files/poster_help.tga", false);
    g.posterWinTexture = std::make_unique<Texture>("Util/Files/poster_win.tga", false);
    g.posterLoseTexture = std::make_unique<Texture>("Util/Files/poster_lose.tga", false);
}

// The background music plays well under the effects.
constexpr float kMusicVolume = 0.1f;

void loadSounds(Game& g, audio::SoundEngine* engine) {
    g.soundEngine = engine;
    if (!engine) {
        g.bonusItemSounds.assign(3, nullptr);
        return;
    }
    g.backgroundMusic = engine->play2D("Util/Files/background.mp3", true, false, true);
    if (g.backgroundMusic) g.backgroundMusic->setVolume(kMusicVolume);
    g.tickingSound = engine->play2D("Util/Files/cartoon_clock_ticking.mp3", false, true, true);
    g.winJingle = engine->play2D("Util/Files/bugle_music_reveille.mp3", false, true, true);
    g.loseJingle = engine->play2D("Util/Files/musical_woodwinds_melody_descend_playful.mp3", false,
                                  true, true);
    // Looped: a one-shot track would fall silent for good after its first few seconds
    // of walking, since unpausing a finished sound plays nothing.
    g.footsteps = engine->play2D(
        "Util/Files/footsteps_on_forest_pathway_dry_clear_of_debris_001.mp3", true, true, true);
    g.gruntSound = engine->addSoundSourceFromFile("Util/Files/female_exert_grunt.mp3", true);
    g.splashSound = loadEffect(engine, "Util/Files/sweep_organic_watery_fast.mp3");
    g.emptySound = loadEffect(engine, "Util/Files/ambient_029.mp3");
    g.carSound = loadEffect(engine, "Util/Files/car_horn_honk.mp3");
    g.bonusItemSounds.push_back(g.carSound);
    g.howlSound = loadEffect(engine, "Util/Files/sound_design_effect_howling_short.mp3");
    g.bonusItemSounds.push_back(g.howlSound);
    g.duckSound = loadEffect(engine, "Util/Files/goose_honk_once_001.mp3");
    g.bonusItemSounds.push_back(g.duckSound);
    g.goalHum =
        engine->play3D("Util/Files/SFX_Horror-Woosh.ogg", goalPosition(g), true, true, true);
    if (g.goalHum) {
        g.goalHum->setMinDistance(1.0f);
        g.goalHum->setIsPaused(false);
    }
}

}  // namespace

Game::Game(audio::SoundEngine* engine) {
    loadPrograms(*this);
    loadPrototypes(*this);
    loadTerrain(*this);
    loadGate(*this);
    loadItems(*this);
    loadShadowMap(*this);
    loadMaze(*this);
    bakeSurfaces(*this);
    loadTextures(*this);
    initTextOverlay();
    loadSounds(*this, engine);
    // The rules start in their member values, on the play poster.
    setCursorVisible(true);
}

void Game::setMusicVolume(float volume) {
    if (backgroundMusic) backgroundMusic->setVolume(kMusicVolume * volume);
    for (audio::Sound* jingle : {winJingle, loseJingle})
        if (jingle) jingle->setVolume(volume);
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
    receivers.reset();
    paintTexture.reset();

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
