// quillora-path: the shortest walk through a maze file that keeps the player's clearance from
// every wall, printed as waypoints for a scripted player.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "assets/WallFile.h"
#include "maze/MazePath.h"

namespace {

const char* kUsage =
    "usage: quillora-path [--clearance R] [--cell S] [--reach D] MAZE_FILE START_X START_Z "
    "TARGET_X TARGET_Z\n"
    "Prints the shortest walk from the start to the target that keeps R (default 1.0) from every\n"
    "wall of the maze file: one waypoint \"x z\" per line, start first, then \"length L\".\n"
    "With --reach the walk ends at the nearest spot within D of the target that sees it along a\n"
    "line keeping 0.2 from every wall (where a ball can be thrown at it).\n"
    "--cell sets the search grid (default 0.25). Exit status: 0 walk found, 1 no walk,\n"
    "2 bad arguments or unreadable maze file.\n";

bool parseNumber(const char* text, float& value) {
    errno = 0;
    char* end = nullptr;
    const float v = std::strtof(text, &end);
    if (end == text || *end != '\0' || errno == ERANGE || !std::isfinite(v)) return false;
    value = v;
    return true;
}

// The wall reader announces itself on standard output, which is ours for the waypoints.
bool loadQuietly(const char* path, std::vector<vec2>& starts, std::vector<vec2>& ends) {
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int sink = open("/dev/null", O_WRONLY);
    if (saved >= 0 && sink >= 0) dup2(sink, STDOUT_FILENO);
    const bool ok = loadWallFile(path, starts, ends);
    std::fflush(stdout);
    if (saved >= 0 && sink >= 0) dup2(saved, STDOUT_FILENO);
    if (sink >= 0) close(sink);
    if (saved >= 0) close(saved);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    maze::SearchOptions options;
    float reach = -1.0f;  // negative: walk to the target itself
    std::vector<const char*> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        float* option = arg == "--clearance" ? &options.clearance
                        : arg == "--cell"    ? &options.cellSize
                        : arg == "--reach"   ? &reach
                                             : nullptr;
        if (arg == "-h" || arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (option) {
            if (i + 1 >= argc || !parseNumber(argv[i + 1], *option) || *option < 0.0f) {
                std::fprintf(stderr, "quillora-path: %s needs a number, not negative\n%s",
                             arg.c_str(), kUsage);
                return 2;
            }
            ++i;
        } else {
            positional.push_back(argv[i]);
        }
    }
    float coords[4];
    bool numbersOk = positional.size() == 5;
    for (int k = 0; numbersOk && k < 4; ++k) numbersOk = parseNumber(positional[k + 1], coords[k]);
    if (!numbersOk) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!(options.cellSize >= 0.01f) || options.clearance < 0.0f) {
        std::fprintf(stderr,
                     "quillora-path: --cell must be at least 0.01, --clearance not negative\n");
        return 2;
    }

    std::vector<vec2> starts, ends;
    if (!loadQuietly(positional[0], starts, ends)) return 2;
    const std::vector<maze::Wall> walls = maze::makeWalls(starts, ends);
    const vec2 start(coords[0], coords[1]), target(coords[2], coords[3]);
    const maze::Route route =
        reach >= 0.0f ? maze::findRouteWithinReach(walls, start, target, reach, 0.2f, options)
                      : maze::findRoute(walls, start, target, options);
    if (!route.found) {
        std::fprintf(stderr, "quillora-path: %s\n", route.problem.c_str());
        return 1;
    }
    for (const vec2& p : route.waypoints) std::printf("%.3f %.3f\n", p.x, p.y);
    std::printf("length %.3f\n", route.length);
    return 0;
}
