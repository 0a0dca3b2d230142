// quillora-bench: starts the game as the player does, then times frames of a few fixed scenes.
// Run it from the repository root on an otherwise quiet display, for example
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/quillora-bench
// The game's own log goes to /dev/null (or to --log FILE); the figures go to standard output.
#include <FreeImage.h>
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <fcntl.h>
#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "GameRules.h"
#include "Measure.h"
#include "Scenes.h"
#include "game/Game.h"
#include "game/Projection.h"
#include "platform/Window.h"
#include "render/ParticleSystem.h"
#include "render/paint/PaintTexture.h"
#include "shell/Application.h"
#include "shell/Globals.h"
#include "shell/Input.h"
#include "shell/Movement.h"

namespace {

struct Options {
    int rounds = 5;
    int frames = 40;  // timed frames per scene and round
    int warmup = 5;   // untimed frames after switching scenes
    std::string log = "/dev/null";
    std::string shots;      // folder for one picture per scene, none when empty
    bool fullPass = false;  // also time 300 splats painted over every wall and the whole terrain
};

void usage(FILE* out) {
    std::fprintf(out,
                 "usage: quillora-bench [--rounds N] [--frames N] [--warmup N] [--log FILE] "
                 "[--shots DIR] [--full-pass]\n"
                 "Times the game's frames in fixed scenes (rounds x frames per scene, the scenes\n"
                 "taking turns), its start-up and its memory. Run from the repository root.\n"
                 "--full-pass adds the 300 splats drawn without their reach (slow: a few\n"
                 "frames of it per round).\n");
}

bool parsePositive(const char* text, int& value) {
    if (!text) return false;
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < 1 || parsed > 100000) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
    enum { kRounds = 1, kFrames, kWarmup, kLog, kShots, kFullPass };
    static const option kOptions[] = {{"help", no_argument, nullptr, 'h'},
                                      {"rounds", required_argument, nullptr, kRounds},
                                      {"frames", required_argument, nullptr, kFrames},
                                      {"warmup", required_argument, nullptr, kWarmup},
                                      {"log", required_argument, nullptr, kLog},
                                      {"shots", required_argument, nullptr, kShots},
                                      {"full-pass", no_argument, nullptr, kFullPass},
                                      {nullptr, 0, nullptr, 0}};
    opterr = 0;  // usage says what is wrong
    for (int option = 0; (option = getopt_long(argc, argv, "h", kOptions, nullptr)) != -1;) {
        switch (option) {
        case 'h': usage(stdout); std::exit(0);
        case kRounds:
            if (!parsePositive(optarg, options.rounds)) return false;
            break;
        case kFrames:
            if (!parsePositive(optarg, options.frames)) return false;
            break;
        case kWarmup:
            if (!parsePositive(optarg, options.warmup)) return false;
            break;
        case kLog: options.log = optarg; break;
        case kShots: options.shots = optarg; break;
        case kFullPass: options.fullPass = true; break;
        default: return false;
        }
    }
    return optind == argc;
}

// The game prints its log with printf; the report keeps the real standard output for itself.
FILE* divertGameLog(const std::string& path) {
    std::fflush(stdout);
    const int report = dup(STDOUT_FILENO);
    const int log = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (report < 0 || log < 0) return nullptr;
    dup2(log, STDOUT_FILENO);
    close(log);
    return fdopen(report, "w");
}

// The window's picture as a PNG file; GL's rows come bottom-up, as FreeImage keeps them.
void keepPicture(const std::string& folder, const std::string& name) {
    if (folder.empty()) return;
    const int width = windowWidth, height = windowHeight;
    std::vector<unsigned char> bgra(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, bgra.data());
    for (std::size_t i = 3; i < bgra.size(); i += 4) bgra[i] = 255;
    FIBITMAP* picture =
        FreeImage_ConvertFromRawBits(bgra.data(), width, height, 4 * width, 32, FI_RGBA_RED_MASK,
                                     FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK);
    const std::string path = folder + "/" + name + ".png";
    if (!picture || !FreeImage_Save(FIF_PNG, picture, path.c_str()))
        std::fprintf(stderr, "quillora-bench: could not write %s\n", path.c_str());
    if (picture) FreeImage_Unload(picture);
}

double previousTime = 0.0;
int glErrors = 0;

// Milliseconds from the clear to glFinish, and the processor time all threads spent in them
// (the renderer's own threads included), which other work on the machine hardly changes.
struct FrameTime {
    double wall = 0.0;
    double processor = 0.0;
};

// One frame as the game's loop runs it.
FrameTime frame() {
    const double now = glfwGetTime();
    const double delta = now - previousTime;
    previousTime = now;
    const double processorBefore = processorSeconds();
    const auto begin = std::chrono::steady_clock::now();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    advanceFrame(delta);
    glFinish();
    const auto end = std::chrono::steady_clock::now();
    const double processorAfter = processorSeconds();
    glfwSwapBuffers(mainWindow);
    glfwPollEvents();
    if (glGetError() != GL_NO_ERROR) ++glErrors;
    return {std::chrono::duration<double, std::milli>(end - begin).count(),
            (processorAfter - processorBefore) * 1000.0};
}

struct Scene {
    Scene(std::string key, std::string name, std::function<void()> prepare,
          std::function<bool()> beforeFrame, int frames = 0)
        : key(std::move(key)),
          name(std::move(name)),
          prepare(std::move(prepare)),
          beforeFrame(std::move(beforeFrame)),
          frames(frames) {}

    std::string key;  // what the report and the pictures call it
    std::string name;
    std::function<void()> prepare;  // sets the splats and bursts before each run of frames
    // Before each frame; false when the frame is an arrival, not timed with the others.
    std::function<bool()> beforeFrame;
    int frames = 0;  // per round; 0 takes the option's
    std::vector<double> millis;
    std::vector<double> processorMillis;
    std::vector<double> arrivals;
    long residentKiB = 0;  // after its first run of frames (later ones follow every scene)
};

// Pictures for the player's guide: a few fresh splats with the HUD, and the finish gate seen
// from the way a player comes to it.
void keepGuidePictures(const std::string& folder, const std::vector<Projection>& allSplats) {
    // Two on walls and two on the ground, the nearest well inside the view and not at the
    // player's feet (farther ones hide behind the first wall).
    std::vector<std::pair<float, size_t>> byDistance;
    for (size_t i = 0; i < allSplats.size(); ++i) {
        const vec3 toSplat = allSplats[i].position - playerPosition;
        const float distance = glm::length(toSplat);
        if (distance < 6.0f || glm::dot(toSplat / distance, viewDirection) < 0.9f) continue;
        byDistance.push_back({distance, i});
    }
    std::sort(byDistance.begin(), byDistance.end());
    projections.clear();
    int onWalls = 0, onGround = 0;
    for (const auto& [distance, i] : byDistance) {
        int& taken = i % 2 == 0 ? onWalls : onGround;  // the scenes alternate wall, ground
        if (taken >= 2) continue;
        ++taken;
        projections.push_back(allSplats[i]);
    }
    game->particleSystems.clear();
    // The picture is read after the swap: the frame before shows.
    for (int i = 0; i < 2; ++i) frame();
    keepPicture(folder, "splats");
    projections.clear();
    playerPosition = vec3(177.3f, playerPosition.y, 126.0f);
    horizontalAngle = 3.14159265f;
    verticalAngle = 0.0f;
    for (int i = 0; i < 3; ++i) frame();
    keepPicture(folder, "gate");
}

// Where the player stands and looks; the scenes put it back before their frames.
struct Stance {
    vec3 position{0.0f};
    float horizontal = 0.0f;
    float vertical = 0.0f;
};

Stance currentStance() { return {playerPosition, horizontalAngle, verticalAngle}; }

void takeStance(const Stance& stance) {
    playerPosition = stance.position;
    horizontalAngle = stance.horizontal;
    verticalAngle = stance.vertical;
}

bool inRepositoryRoot() {
    if (access("Shader/phong.vert", R_OK) == 0 && access("Util/Files/Labyrinth2.txt", R_OK) == 0)
        return true;
    std::fprintf(stderr,
                 "quillora-bench: Shader/ and Util/Files/ are not here; run it from the "
                 "repository root\n");
    return false;
}

struct StartUp {
    double seconds = -1.0;  // from the process's start to the first poster on the screen
    double beforeMain = 0.0;
    double processorSeconds = 0.0;
    long residentKiB = -1;
};

// Start-up as the game does it, windowed, up to the first poster on the screen; then the
// first click.
bool startAsThePlayerDoes(const Options& options, double beforeMain, StartUp& startUp) {
    if (!glfwInit()) {
        std::fprintf(stderr, "quillora-bench: Failed to initialize GLFW\n");
        return false;
    }
    openGame(false);
    // Frames are timed as fast as they come, not at the display's pace.
    glfwSwapInterval(0);
    frame();
    startUp = {secondsSinceProcessStart(), beforeMain, processorSeconds(),
               processMemoryKiB("VmRSS")};
    keepPicture(options.shots, "poster");
    startGame();
    gameStarted = true;
    for (int i = 0; i < options.warmup; ++i) frame();
    return true;
}

// The splats a game leaves as the game adds them, their bursts long gone.
std::vector<Projection> addSplats(const std::vector<SplatSpot>& spots) {
    projections.clear();
    for (const SplatSpot& spot : spots) game->addProjection(spot.position, spot.direction, spot.up);
    game->particleSystems.clear();
    std::vector<Projection> added = projections;
    projections.clear();
    return added;
}

// The benchmark's splats and viewpoints, made once.
struct Material {
    Stance start;
    std::vector<SplatSpot> spots;         // in the start view
    std::vector<Projection> inView;       // 300 at the start
    std::vector<Projection> alongTheWay;  // every splat a game can hold
    std::vector<Stance> wayViews;
    std::vector<vec2> way;  // from the start to the gate
};

constexpr std::size_t kSplatsInView = 300;
constexpr std::size_t kSplatsAlongTheWay = 400;  // 200 balls at the start, 50 from each duck
constexpr std::size_t kWayViews = 6;
constexpr std::size_t kLookingFrames = 3;
constexpr std::size_t kMostSettlingFrames = 30;

bool paintSettled() { return game->paintTexture->fineSettled(); }

Material makeMaterial() {
    Material m;
    m.start = currentStance();
    m.spots = splatSpotsInView(*game, kSplatsInView);
    m.inView = addSplats(m.spots);
    m.way = wayThroughTheMaze(*game, vec2(m.start.position.x, m.start.position.z));
    m.alongTheWay = addSplats(splatSpotsAlongTheWay(*game, m.way, kSplatsAlongTheWay));
    for (const Viewpoint& place : viewpointsAlongTheWay(m.way, kWayViews)) {
        m.wayViews.push_back({vec3(place.position.x, m.start.position.y, place.position.y),
                              std::atan2(place.heading.x, place.heading.y), 0.0f});
    }
    return m;
}

// The scenes the report compares, by name.
const char* const kStartBare = "start";
const char* const kStart300 = "start-300";
const char* const kWayBare = "way";
const char* const kWay400 = "way-400";

Scene& sceneNamed(std::vector<Scene>& scenes, const std::string& key) {
    return *std::find_if(scenes.begin(), scenes.end(),
                         [&key](const Scene& scene) { return scene.key == key; });
}

const Scene& sceneNamed(const std::vector<Scene>& scenes, const std::string& key) {
    return sceneNamed(const_cast<std::vector<Scene>&>(scenes), key);
}

std::vector<Scene> makeScenes(const Options& options, const Material& m,
                              std::size_t& nextBurstSpot) {
    // The first count splats of a list, seen from the start.
    auto fromStart = [&m](const std::vector<Projection>& splats, std::size_t count) {
        return [&m, &splats, count]() {
            takeStance(m.start);
            projections.assign(splats.begin(), splats.begin() + std::min(count, splats.size()));
            game->particleSystems.clear();
        };
    };
    // One place on the way after the other, a frame at each.
    auto alongTheWay = [&m](std::size_t count) {
        return [&m, count]() {
            projections.assign(m.alongTheWay.begin(),
                               m.alongTheWay.begin() + std::min(count, m.alongTheWay.size()));
            game->particleSystems.clear();
        };
    };
    // A few frames at each place, as a player stops to look. The first frame at a place and
    // those after it while the paint near it still gets its detail (a few tiles a frame) are
    // the arrival rather than frames of looking.
    std::size_t place = 0, looked = kLookingFrames, settling = 0;
    auto nextPlace = [&m, place, looked, settling]() mutable {
        if (looked == kLookingFrames) {
            if (!m.wayViews.empty()) takeStance(m.wayViews[place++ % m.wayViews.size()]);
            looked = settling = 0;
            return false;
        }
        if (!paintSettled() && settling++ < kMostSettlingFrames) return false;
        ++looked;
        return true;
    };
    auto bursts = [&]() {
        keepBurstsAlive(*game, m.spots, 20, nextBurstSpot);
        return true;
    };
    std::vector<Scene> scenes = {
        {kStartBare, "start view, no splats", fromStart(m.inView, 0), nullptr},
        {"start-100", "100 splats (50 walls, 50 ground)", fromStart(m.inView, 100), nullptr},
        {kStart300, "300 splats (150 walls, 150 ground)", fromStart(m.inView, 300), nullptr},
        {"bursts", "20 live particle bursts", fromStart(m.inView, 0), bursts},
        {kWayBare, "along the way, no splats", alongTheWay(0), nextPlace},
        {kWay400, "along the way, 400 splats", alongTheWay(kSplatsAlongTheWay), nextPlace},
    };
    if (options.fullPass) {
        auto everything = [&m]() {
            takeStance(m.start);
            projections = m.inView;
            for (Projection& splat : projections) splat.reachKnown = false;
            game->particleSystems.clear();
        };
        scenes.push_back(
            {"full-pass", "300 splats, every wall, whole terrain", everything, nullptr, 2});
    }
    return scenes;
}

void runRounds(const Options& options, std::vector<Scene>& scenes) {
    for (int round = 0; round < options.rounds; ++round) {
        for (Scene& scene : scenes) {
            scene.prepare();
            const int warmup = scene.frames > 0 ? 1 : options.warmup;
            const int frames = scene.frames > 0 ? scene.frames : options.frames;
            for (int i = 0; i < warmup + frames; ++i) {
                // The clock must not run out: the lose poster would be all there is to draw.
                game->elapsedTime = 0.0;
                const bool timed = !scene.beforeFrame || scene.beforeFrame();
                const FrameTime time = frame();
                if (i < warmup) continue;
                if (!timed) {
                    scene.arrivals.push_back(time.wall);
                    continue;
                }
                scene.millis.push_back(time.wall);
                scene.processorMillis.push_back(time.processor);
            }
            if (round == 0) scene.residentKiB = processMemoryKiB("VmRSS");
            if (round == options.rounds - 1) keepPicture(options.shots, scene.key);
        }
    }
}

// Frames in motion among the 400 splats, each moving the player on by as much as the frame
// before it took.
struct Motion {
    std::string name;
    std::vector<double> millis, processorMillis;
};

// The player's brisk look round: the game turns 0.005 radians for a pixel of the pointer, and a
// player sweeping the view round moves it some 400 pixels a second.
constexpr double kTurnRadiansPerSecond = 2.0;
constexpr double kTurns = 2.0;

template <typename StanceAfter>
Motion move(const Material& m, const char* name, const StanceAfter& stanceAfter) {
    Motion motion{name, {}, {}};
    projections = m.alongTheWay;
    game->particleSystems.clear();
    double seconds = 0.0;
    Stance stance;
    // The jump to where the motion starts, and the frames that still bake the detail of the
    // paint near it, are left out: a player walks there.
    if (!stanceAfter(seconds, stance)) return motion;
    takeStance(stance);
    for (std::size_t i = 0; i == 0 || (i < kMostSettlingFrames && !paintSettled()); ++i) {
        game->elapsedTime = 0.0;
        frame();
    }
    while (stanceAfter(seconds, stance)) {
        takeStance(stance);
        game->elapsedTime = 0.0;
        const FrameTime time = frame();
        motion.millis.push_back(time.wall);
        motion.processorMillis.push_back(time.processor);
        seconds += time.wall / 1000.0;
    }
    return motion;
}

// From the start to the gate at walking speed.
Motion walkTheWay(const Material& m) {
    std::vector<double> legEnds;  // distance along the way at the end of each leg
    for (std::size_t i = 1; i < m.way.size(); ++i)
        legEnds.push_back((legEnds.empty() ? 0.0 : legEnds.back()) +
                          glm::distance(m.way[i - 1], m.way[i]));
    return move(m, "walking the way", [&](double seconds, Stance& stance) {
        const double along = seconds * kWalkSpeed;
        const auto end = std::upper_bound(legEnds.begin(), legEnds.end(), along);
        if (end == legEnds.end()) return false;
        const std::size_t i = static_cast<std::size_t>(end - legEnds.begin());
        const double begin = i == 0 ? 0.0 : legEnds[i - 1];
        const vec2 a = m.way[i], b = m.way[i + 1];
        // The leg found ends beyond along, so it has a length.
        const vec2 at = a + (b - a) * static_cast<float>((along - begin) / (*end - begin));
        stance = {vec3(at.x, m.start.position.y, at.y), std::atan2(b.x - a.x, b.y - a.y), 0.0f};
        return true;
    });
}

// Twice round on the spot, halfway along the way.
Motion turnOnTheSpot(const Material& m) {
    const Stance place = m.wayViews.empty() ? m.start : m.wayViews[m.wayViews.size() / 2];
    return move(m, "turning on the spot", [&](double seconds, Stance& stance) {
        const double turned = seconds * kTurnRadiansPerSecond;
        stance = place;
        stance.horizontal += static_cast<float>(turned);
        return turned < kTurns * 2.0 * 3.14159265358979;
    });
}

void printMotion(FILE* report, const std::vector<Motion>& motions) {
    std::fprintf(report, "%-36s %6s %9s %8s %8s %10s | %10s %8s %8s %10s\n",
                 "in motion, 400 splats", "frames", "median ms", "p99 ms", "max ms", "max/median",
                 "cpu median", "cpu p99", "cpu max", "max/median");
    for (const Motion& motion : motions) {
        const FrameStats s = summarise(motion.millis);
        const FrameStats p = summarise(motion.processorMillis);
        std::fprintf(report, "%-36s %6zu %9.2f %8.2f %8.2f %10.2f | %10.2f %8.2f %8.2f %10.2f\n",
                     motion.name.c_str(), s.frames, s.median, s.p99, s.max,
                     s.median > 0.0 ? s.max / s.median : 0.0, p.median, p.p99, p.max,
                     p.median > 0.0 ? p.max / p.median : 0.0);
    }
    std::fprintf(report, "(goal: no frame over 2 x the median while walking and turning)\n\n");
}

// Milliseconds of each pass of the frame, each finished before the next begins.
struct PassTimes {
    std::string scene;
    std::vector<std::string> names;
    std::vector<std::vector<double>> millis;
};

PassTimes* timedPasses = nullptr;
std::chrono::steady_clock::time_point passBegin;

void passDone(const char* name) {
    glFinish();
    const auto now = std::chrono::steady_clock::now();
    PassTimes& times = *timedPasses;
    std::size_t i = 0;
    while (i < times.names.size() && times.names[i] != name) ++i;
    if (i == times.names.size()) {
        times.names.push_back(name);
        times.millis.emplace_back();
    }
    times.millis[i].push_back(std::chrono::duration<double, std::milli>(now - passBegin).count());
    passBegin = now;
}

// The diagnostic round: the given scene's frames again, each pass timed on its own.
PassTimes timePasses(const Options& options, Scene& scene) {
    PassTimes times;
    times.scene = scene.name;
    timedPasses = &times;
    scene.prepare();
    for (int i = 0; i < options.warmup + options.frames; ++i) {
        game->elapsedTime = 0.0;
        if (scene.beforeFrame) scene.beforeFrame();
        handleMovement(0.0f);
        uploadCameraMatrices(projectionMatrix, viewMatrix);
        game->cameraPosition = playerPosition;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glFinish();
        game->afterPass = i < options.warmup ? nullptr : passDone;
        passBegin = std::chrono::steady_clock::now();
        // The light's depth pass is the update's last step.
        game->update(0.0);
        if (game->afterPass) passDone("update and shadow depth pass");
        game->renderFrame();
        game->afterPass = nullptr;
        glfwSwapBuffers(mainWindow);
        glfwPollEvents();
    }
    timedPasses = nullptr;
    return times;
}

void printReport(FILE* report, const Options& options, const StartUp& startUp,
                 const std::vector<Scene>& scenes, const std::vector<Motion>& motions,
                 const std::vector<PassTimes>& passes, const std::string& loadBefore,
                 std::size_t splatCount) {
    const std::string loadAfter = loadAverage();
    const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::fprintf(report, "Quillora benchmark: %d x %d window, %s\n", windowWidth, windowHeight,
                 renderer ? renderer : "unknown renderer");
    std::fprintf(report,
                 "frame = clear, movement, camera upload, update, render, glFinish; %d rounds "
                 "of %d frames per scene\n",
                 options.rounds, options.frames);
    // Other work on the machine shows in every figure: say how busy it was.
    std::fprintf(report, "%ld processors; load average %s at the start, %s at the end\n\n",
                 sysconf(_SC_NPROCESSORS_ONLN), loadBefore.c_str(), loadAfter.c_str());
    std::fprintf(report, "%-36s %6s %9s %8s %8s | %9s %8s | %7s\n", "scene", "frames", "median ms",
                 "p95 ms", "max ms", "cpu median", "cpu max", "RSS MiB");
    std::vector<FrameStats> stats, processor;
    for (const Scene& scene : scenes) {
        stats.push_back(summarise(scene.millis));
        processor.push_back(summarise(scene.processorMillis));
        const FrameStats& s = stats.back();
        const FrameStats& p = processor.back();
        std::fprintf(report, "%-36s %6zu %9.2f %8.2f %8.2f | %9.2f %8.2f | %7.1f\n",
                     scene.name.c_str(), s.frames, s.median, s.p95, s.max, p.median, p.max,
                     static_cast<double>(scene.residentKiB) / 1024.0);
    }
    std::fprintf(report,
                 "(ms of the clock from the clear to glFinish; cpu: ms of processor time of all "
                 "the game's threads in that span)\n");
    for (const Scene& scene : scenes) {
        if (scene.arrivals.empty()) continue;
        const FrameStats a = summarise(scene.arrivals);
        const FrameStats looking = summarise(scene.millis);
        std::fprintf(report,
                     "%s: %zu arrival frames (the first at a place, and those that still bake "
                     "the detail of the paint near), not in the figures above: median %.2f ms, "
                     "max %.2f ms, max / the "
                     "looking frames' median %.2f (goal: at most 3)\n",
                     scene.name.c_str(), a.frames, a.median, a.max,
                     looking.median > 0.0 ? a.max / looking.median : 0.0);
    }
    std::fprintf(report, "\n");
    printMotion(report, motions);
    for (std::size_t k = 0; k < passes.size(); ++k) {
        std::fprintf(report, "where the frame goes in \"%s\" (median ms, glFinish after each):\n",
                     passes[k].scene.c_str());
        double total = 0.0;
        for (std::size_t i = 0; i < passes[k].names.size(); ++i) {
            const double median = summarise(passes[k].millis[i]).median;
            total += median;
            std::fprintf(report, "  %-30s %8.2f\n", passes[k].names[i].c_str(), median);
        }
        std::fprintf(report, "  %-30s %8.2f\n\n", "sum", total);
    }
    std::fprintf(report, "splats added: %zu in the start view, %zu along the way\n", kSplatsInView,
                 splatCount);
    if (startUp.seconds >= 0.0) {
        std::fprintf(report,
                     "start-up to the first poster frame: %.2f s (%.2f s before main; %.2f "
                     "processor seconds in all threads; goal: at most 1.5 s)\n",
                     startUp.seconds, startUp.beforeMain, startUp.processorSeconds);
    } else {
        std::fprintf(report, "start-up to the first poster frame: unknown (no /proc)\n");
    }
    std::fprintf(report, "resident memory after start-up: %.1f MiB\n",
                 static_cast<double>(startUp.residentKiB) / 1024.0);
    std::fprintf(report,
                 "resident memory with the %zu splats along the way: %.1f MiB (peak in the run "
                 "%.1f MiB; goal: at most 300 MiB)\n",
                 splatCount, static_cast<double>(processMemoryKiB("VmRSS")) / 1024.0,
                 static_cast<double>(processMemoryKiB("VmHWM")) / 1024.0);
    const auto at = [&scenes](const char* key) {
        return static_cast<std::size_t>(&sceneNamed(scenes, key) - scenes.data());
    };
    auto ratios = [&](const char* what, const std::vector<FrameStats>& all) {
        const FrameStats figures[] = {
            all[at(kStartBare)], {}, all[at(kStart300)], {}, all[at(kWayBare)], all[at(kWay400)]};
        if (!(figures[0].median > 0.0) || !(figures[4].median > 0.0)) return;
        std::fprintf(report,
                     "%s: 300-splat / no-splat median %.2f; 400 splats along the way / none "
                     "%.2f (goals: at most 1.25); no-splat max / median %.2f (goal: at most 2)\n",
                     what, figures[2].median / figures[0].median,
                     figures[5].median / figures[4].median, figures[0].max / figures[0].median);
    };
    ratios("clock", stats);
    ratios("cpu", processor);
    if (glErrors > 0) std::fprintf(report, "OpenGL errors seen: %d frames\n", glErrors);
    std::fflush(report);
}

}  // namespace

int main(int argc, char** argv) {
    const double beforeMain = secondsSinceProcessStart();
    Options options;
    if (!parseOptions(argc, argv, options)) {
        usage(stderr);
        return 2;
    }
    if (!inRepositoryRoot()) return 2;
    const std::string loadBefore = loadAverage();
    FILE* report = divertGameLog(options.log);
    if (!report) {
        std::fprintf(stderr, "quillora-bench: cannot write the game log to %s\n",
                     options.log.c_str());
        return 2;
    }
    // No sound card is needed to time frames; a chosen driver is kept.
    setenv("ALSOFT_DRIVERS", "null", 0);

    StartUp startUp;
    if (!startAsThePlayerDoes(options, beforeMain, startUp)) return 1;
    const Material material = makeMaterial();
    std::size_t nextBurstSpot = 0;
    std::vector<Scene> scenes = makeScenes(options, material, nextBurstSpot);
    runRounds(options, scenes);
    const std::vector<Motion> motions = {walkTheWay(material), turnOnTheSpot(material)};
    // The 400 splats stay for the memory figure; the passes are timed after the rounds.
    const std::vector<PassTimes> passes = {timePasses(options, sceneNamed(scenes, kStartBare)),
                                           timePasses(options, sceneNamed(scenes, kStart300))};
    sceneNamed(scenes, kWay400).prepare();
    frame();
    printReport(report, options, startUp, scenes, motions, passes, loadBefore,
                material.alongTheWay.size());
    if (!options.shots.empty()) {
        takeStance(material.start);
        keepGuidePictures(options.shots, material.inView);
    }
    shutdown();
    return 0;
}
