// quillora-bench: starts the game as the player does, then times frames of a few fixed scenes.
// Run it from the repository root on an otherwise quiet display, for example
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/quillora-bench
// The game's own log goes to /dev/null (or to --log FILE); the figures go to standard output.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "Measure.h"
#include "Scenes.h"
#include "game/Game.h"
#include "game/Projection.h"
#include "platform/Window.h"
#include "render/ParticleSystem.h"
#include "shell/Application.h"
#include "shell/Globals.h"
#include "shell/Input.h"

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
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < 1 || parsed > 100000) return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string name = argv[i];
        if (name == "--help" || name == "-h") {
            usage(stdout);
            std::exit(0);
        }
        if (name == "--full-pass") {
            options.fullPass = true;
            continue;
        }
        if (i + 1 >= argc) return false;
        const char* value = argv[++i];
        if (name == "--rounds") {
            if (!parsePositive(value, options.rounds)) return false;
        } else if (name == "--frames") {
            if (!parsePositive(value, options.frames)) return false;
        } else if (name == "--warmup") {
            if (!parsePositive(value, options.warmup)) return false;
        } else if (name == "--log") {
            options.log = value;
        } else if (name == "--shots") {
            options.shots = value;
        } else {
            return false;
        }
    }
    return true;
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

void keepPicture(const std::string& folder, const std::string& name) {
    if (folder.empty()) return;
    const int width = windowWidth, height = windowHeight;
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    FILE* file = std::fopen((folder + "/" + name + ".ppm").c_str(), "wb");
    if (!file) return;
    std::fprintf(file, "P6 %d %d 255\n", width, height);
    for (int y = height - 1; y >= 0; --y)
        std::fwrite(&rgb[static_cast<size_t>(y) * width * 3], 1, static_cast<size_t>(width) * 3,
                    file);
    std::fclose(file);
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
    std::string name;
    std::function<void()> prepare;  // sets the splats and bursts before each run of frames
    std::function<void()> beforeFrame;
    int frames = 0;  // per round; 0 takes the option's
    std::vector<double> millis;
    std::vector<double> processorMillis;
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

}  // namespace

int main(int argc, char** argv) {
    const double beforeMain = secondsSinceProcessStart();
    Options options;
    if (!parseOptions(argc, argv, options)) {
        usage(stderr);
        return 2;
    }
    if (access("Shader/phong.vert", R_OK) != 0 || access("Util/Files/Labyrinth2.txt", R_OK) != 0) {
        std::fprintf(stderr,
                     "quillora-bench: Shader/ and Util/Files/ are not here; run it from the "
                     "repository root\n");
        return 2;
    }
    const std::string loadBefore = loadAverage();
    FILE* report = divertGameLog(options.log);
    if (!report) {
        std::fprintf(stderr, "quillora-bench: cannot write the game log to %s\n",
                     options.log.c_str());
        return 2;
    }
    // No sound card is needed to time frames; a chosen driver is kept.
    setenv("ALSOFT_DRIVERS", "null", 0);

    // Start-up as the game does it, windowed, up to the first poster on the screen.
    if (!glfwInit()) {
        std::fprintf(stderr, "quillora-bench: Failed to initialize GLFW\n");
        return 1;
    }
    openGame(false);
    // Frames are timed as fast as they come, not at the display's pace.
    glfwSwapInterval(0);
    frame();
    const double startUp = secondsSinceProcessStart();
    const double startUpProcessor = processorSeconds();
    const long residentAfterStart = processMemoryKiB("VmRSS");
    keepPicture(options.shots, "poster");

    // The first click.
    startGame();
    gameStarted = true;
    for (int i = 0; i < options.warmup; ++i) frame();

    const std::vector<SplatSpot> spots = splatSpotsInView(*game, 300);
    for (const SplatSpot& spot : spots) game->addProjection(spot.position, spot.direction, spot.up);
    const std::vector<Projection> allSplats = projections;
    // The bursts of those splats are long gone in a game that has gathered them.
    game->particleSystems.clear();

    auto splats = [&allSplats](std::size_t count) {
        return [&allSplats, count]() {
            projections.assign(allSplats.begin(),
                               allSplats.begin() + std::min(count, allSplats.size()));
            game->particleSystems.clear();
        };
    };
    std::size_t nextBurstSpot = 0;
    std::vector<Scene> scenes = {
        {"start view, no splats", splats(0), nullptr, 0, {}, {}},
        {"100 splats (50 walls, 50 ground)", splats(100), nullptr, 0, {}, {}},
        {"300 splats (150 walls, 150 ground)", splats(300), nullptr, 0, {}, {}},
        {"20 live particle bursts",
         splats(0),
         [&]() { keepBurstsAlive(*game, spots, 20, nextBurstSpot); },
         0,
         {},
         {}},
    };
    if (options.fullPass) {
        auto everything = [&allSplats]() {
            projections = allSplats;
            for (Projection& splat : projections) splat.reachKnown = false;
            game->particleSystems.clear();
        };
        scenes.push_back({"300 splats, every wall, whole terrain", everything, nullptr, 2, {}, {}});
    }

    for (int round = 0; round < options.rounds; ++round) {
        for (Scene& scene : scenes) {
            scene.prepare();
            const int warmup = scene.frames > 0 ? 1 : options.warmup;
            const int frames = scene.frames > 0 ? scene.frames : options.frames;
            for (int i = 0; i < warmup + frames; ++i) {
                // The clock must not run out: the lose poster would be all there is to draw.
                game->elapsedTime = 0.0;
                if (scene.beforeFrame) scene.beforeFrame();
                const FrameTime time = frame();
                if (i < warmup) continue;
                scene.millis.push_back(time.wall);
                scene.processorMillis.push_back(time.processor);
            }
            if (round == options.rounds - 1) {
                keepPicture(options.shots, "scene" + std::to_string(&scene - scenes.data() + 1));
            }
        }
    }

    if (!options.shots.empty()) keepGuidePictures(options.shots, allSplats);

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
    std::fprintf(report, "%-36s %6s %9s %8s %8s | %9s %8s\n", "scene", "frames", "median ms",
                 "p95 ms", "max ms", "cpu median", "cpu max");
    std::vector<FrameStats> stats, processor;
    for (const Scene& scene : scenes) {
        stats.push_back(summarise(scene.millis));
        processor.push_back(summarise(scene.processorMillis));
        const FrameStats& s = stats.back();
        const FrameStats& p = processor.back();
        std::fprintf(report, "%-36s %6zu %9.2f %8.2f %8.2f | %9.2f %8.2f\n", scene.name.c_str(),
                     s.frames, s.median, s.p95, s.max, p.median, p.max);
    }
    std::fprintf(report,
                 "(ms of the clock from the clear to glFinish; cpu: ms of processor time of all "
                 "the game's threads in that span)\n");
    std::fprintf(report, "\n");
    std::fprintf(report, "splats added: %zu\n", allSplats.size());
    if (startUp >= 0.0) {
        std::fprintf(report,
                     "start-up to the first poster frame: %.2f s (%.2f s before main; %.2f "
                     "processor seconds in all threads)\n",
                     startUp, beforeMain, startUpProcessor);
    } else {
        std::fprintf(report, "start-up to the first poster frame: unknown (no /proc)\n");
    }
    std::fprintf(report, "resident memory after start-up: %.1f MiB (peak in the run %.1f MiB)\n",
                 static_cast<double>(residentAfterStart) / 1024.0,
                 static_cast<double>(processMemoryKiB("VmHWM")) / 1024.0);
    auto ratios = [report](const char* what, const std::vector<FrameStats>& figures) {
        const FrameStats& none = figures[0];
        const FrameStats& many = figures[2];
        if (!(none.median > 0.0)) return;
        std::fprintf(report,
                     "%s: 300-splat median / no-splat median %.2f (goal: at most 1.5); no-splat "
                     "max / median %.2f (goal: at most 2)\n",
                     what, many.median / none.median, none.max / none.median);
    };
    ratios("clock", stats);
    ratios("cpu", processor);
    if (glErrors > 0) std::fprintf(report, "OpenGL errors seen: %d frames\n", glErrors);
    std::fflush(report);

    shutdown();
    return 0;
}
