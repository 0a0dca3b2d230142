#include "maze/MazePath.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <limits>
#include <queue>

namespace maze {

namespace {

// Slack for float rounding when a straight leg is compared with the clearance.
constexpr float kTolerance = 1e-4f;
// Beyond this many grid cells the caller is asked for a coarser grid rather than a huge search.
constexpr long long kMaxCells = 16'000'000;

float cross(vec2 a, vec2 b) { return a.x * b.y - a.y * b.x; }

bool finite(vec2 p) { return std::isfinite(p.x) && std::isfinite(p.y); }

bool properlyCross(vec2 a, vec2 b, vec2 c, vec2 d) {
    const float d1 = cross(b - a, c - a), d2 = cross(b - a, d - a);
    const float d3 = cross(d - c, a - c), d4 = cross(d - c, b - c);
    return ((d1 > 0 && d2 < 0) || (d1 < 0 && d2 > 0)) && ((d3 > 0 && d4 < 0) || (d3 < 0 && d4 > 0));
}

std::string describe(vec2 p) {
    char text[64];
    std::snprintf(text, sizeof text, "(%.3f, %.3f)", p.x, p.y);
    return text;
}

std::string tooClose(const char* what, vec2 p, float distance) {
    char text[64];
    std::snprintf(text, sizeof text, " is only %.3f from a wall", distance);
    return std::string("the ") + what + " " + describe(p) + text;
}

// Free spots: grid cells whose centre keeps the clearance from every wall.
struct Grid {
    vec2 origin{0.0f, 0.0f};
    float cell = 0.25f;
    int width = 0;
    int depth = 0;
    std::vector<uint8_t> free;

    vec2 centre(int index) const {
        return origin + vec2((index % width + 0.5f) * cell, (index / width + 0.5f) * cell);
    }
    int column(float x) const { return static_cast<int>(std::floor((x - origin.x) / cell)); }
    int row(float z) const { return static_cast<int>(std::floor((z - origin.y) / cell)); }
    bool inside(int c, int r) const { return c >= 0 && r >= 0 && c < width && r < depth; }
};

bool buildGrid(const std::vector<Wall>& walls, vec2 a, vec2 b, const SearchOptions& options,
               Grid& grid, std::string& problem) {
    vec2 low = glm::min(a, b), high = glm::max(a, b);
    for (const Wall& w : walls) {
        low = glm::min(low, glm::min(w.start, w.end));
        high = glm::max(high, glm::max(w.start, w.end));
    }
    const float pad = options.margin + options.clearance + options.cellSize;
    grid.cell = options.cellSize;
    grid.origin = low - vec2(pad);
    const double cols = std::ceil((high.x - low.x + 2.0 * pad) / options.cellSize);
    const double rows = std::ceil((high.y - low.y + 2.0 * pad) / options.cellSize);
    if (!(cols * rows <= static_cast<double>(kMaxCells))) {
        problem = "the search area needs more than 16 million grid cells; use a coarser grid";
        return false;
    }
    grid.width = static_cast<int>(cols);
    grid.depth = static_cast<int>(rows);
    grid.free.assign(static_cast<size_t>(grid.width) * grid.depth, 1);
    const float reach = options.clearance + grid.cell;
    for (const Wall& w : walls) {
        const vec2 lo = glm::min(w.start, w.end) - vec2(reach);
        const vec2 hi = glm::max(w.start, w.end) + vec2(reach);
        const int c0 = std::max(0, grid.column(lo.x)),
                  c1 = std::min(grid.width - 1, grid.column(hi.x));
        const int r0 = std::max(0, grid.row(lo.y)), r1 = std::min(grid.depth - 1, grid.row(hi.y));
        for (int r = r0; r <= r1; ++r) {
            for (int c = c0; c <= c1; ++c) {
                const int i = r * grid.width + c;
                if (grid.free[i] &&
                    distanceToSegment(grid.centre(i), w.start, w.end) < options.clearance)
                    grid.free[i] = 0;
            }
        }
    }
    return true;
}

// The free grid spot nearest to p that p reaches by a straight leg keeping the clearance.
int attach(const std::vector<Wall>& walls, const Grid& grid, vec2 p, float clear) {
    const int pc = grid.column(p.x), pr = grid.row(p.y);
    int best = -1;
    float bestDistance = std::numeric_limits<float>::max();
    for (int r = pr - 2; r <= pr + 2; ++r) {
        for (int c = pc - 2; c <= pc + 2; ++c) {
            if (!grid.inside(c, r) || !grid.free[r * grid.width + c]) continue;
            const int i = r * grid.width + c;
            const float d = glm::distance(grid.centre(i), p);
            if (d < bestDistance && clearance(walls, p, grid.centre(i)) >= clear - kTolerance) {
                best = i;
                bestDistance = d;
            }
        }
    }
    return best;
}

// A* over the free spots, 8-connected; diagonal steps only where both side steps are free too,
// so no step slips past a wall's end. Returns the reached goal spot or -1.
int searchGrid(const Grid& grid, int from, const std::function<float(int)>& remaining,
               const std::function<bool(int)>& isGoal, std::vector<int>& parent) {
    const size_t n = grid.free.size();
    std::vector<float> cost(n, std::numeric_limits<float>::infinity());
    std::vector<uint8_t> done(n, 0);
    parent.assign(n, -1);
    using Entry = std::pair<float, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    cost[from] = 0.0f;
    open.emplace(remaining(from), from);
    const float straight = grid.cell, diagonal = grid.cell * std::sqrt(2.0f);
    while (!open.empty()) {
        const int i = open.top().second;
        open.pop();
        if (done[i]) continue;
        done[i] = 1;
        if (isGoal(i)) return i;
        const int c = i % grid.width, r = i / grid.width;
        for (int dr = -1; dr <= 1; ++dr) {
            for (int dc = -1; dc <= 1; ++dc) {
                if ((dc == 0 && dr == 0) || !grid.inside(c + dc, r + dr)) continue;
                const int j = (r + dr) * grid.width + c + dc;
                if (!grid.free[j] || done[j]) continue;
                if (dc != 0 && dr != 0 &&
                    (!grid.free[r * grid.width + c + dc] || !grid.free[(r + dr) * grid.width + c]))
                    continue;
                const float next = cost[i] + (dc != 0 && dr != 0 ? diagonal : straight);
                if (next < cost[j]) {
                    cost[j] = next;
                    parent[j] = i;
                    open.emplace(next + remaining(j), j);
                }
            }
        }
    }
    return -1;
}

// Drops every waypoint that a straight leg keeping the clearance can skip.
std::vector<vec2> pullStraight(const std::vector<Wall>& walls, const std::vector<vec2>& points,
                               float clear) {
    if (points.size() < 3) return points;
    std::vector<vec2> out{points.front()};
    size_t anchor = 0;
    for (size_t k = 1; k + 1 < points.size(); ++k) {
        if (clearance(walls, points[anchor], points[k + 1]) < clear - kTolerance) {
            out.push_back(points[k]);
            anchor = k;
        }
    }
    out.push_back(points.back());
    return out;
}

// Pulls the string tight: each corner slides toward one of its neighbours or toward the
// straight line between them, whichever shortens the walk most while both legs keep the
// clearance, and goes when that straight line itself keeps it. The grid's staircase thus becomes
// legs that just graze the clearance round each wall end.
std::vector<vec2> tighten(const std::vector<Wall>& walls, std::vector<vec2> points, float clear) {
    const float need = clear - kTolerance;
    for (int pass = 0; pass < 60; ++pass) {
        bool moved = false;
        for (size_t i = 1; i + 1 < points.size(); ++i) {
            const vec2 a = points[i - 1], b = points[i + 1], p = points[i];
            if (clearance(walls, a, b) >= need) {
                points.erase(points.begin() + static_cast<long>(i));
                --i;
                moved = true;
                continue;
            }
            const vec2 ab = b - a;
            // a and b are two points of the path apart, never the same.
            const float t = nearestOnSegment(p, a, b);
            vec2 best = p;
            float bestLength = glm::distance(a, p) + glm::distance(p, b);
            for (const vec2& toward : {a + t * ab, a, b}) {
                float lo = 0.0f, hi = 1.0f;
                for (int step = 0; step < 12; ++step) {
                    const float mid = 0.5f * (lo + hi);
                    const vec2 q = p + mid * (toward - p);
                    (clearance(walls, a, q) >= need && clearance(walls, q, b) >= need ? lo : hi) =
                        mid;
                }
                const vec2 q = p + lo * (toward - p);
                const float length = glm::distance(a, q) + glm::distance(q, b);
                if (length < bestLength) {
                    best = q;
                    bestLength = length;
                }
            }
            if (glm::distance(a, p) + glm::distance(p, b) - bestLength > 1e-4f) {
                points[i] = best;
                moved = true;
            }
        }
        if (!moved) break;
    }
    return points;
}

Route routeTo(const std::vector<Wall>& walls, vec2 start, vec2 target, float reach,
              float lineClearance, bool exact, const SearchOptions& options) {
    Route route;
    if (!finite(start) || !finite(target)) {
        route.problem = "start and target must be finite numbers";
        return route;
    }
    if (!(options.cellSize > 0.0f) || !(options.clearance >= 0.0f) || !(options.margin >= 0.0f)) {
        route.problem = "cell size must be positive, clearance and margin not negative";
        return route;
    }
    const float clear = options.clearance;
    const float startClearance = clearance(walls, start);
    if (startClearance < clear - kTolerance) {
        route.problem = tooClose("start", start, startClearance);
        return route;
    }
    const float targetClearance = exact ? clearance(walls, target) : clear;
    if (targetClearance < clear - kTolerance) {
        route.problem = tooClose("target", target, targetClearance);
        return route;
    }
    Grid grid;
    if (!buildGrid(walls, start, target, options, grid, route.problem)) return route;
    const int from = attach(walls, grid, start, clear);
    const int to = exact ? attach(walls, grid, target, clear) : -1;
    if (from < 0 || (exact && to < 0)) {
        route.problem = "no free grid spot next to the " +
                        std::string(from < 0 ? "start" : "target") + "; use a finer grid";
        return route;
    }

    std::function<float(int)> remaining;
    std::function<bool(int)> isGoal;
    if (exact) {
        const vec2 goal = grid.centre(to);
        remaining = [&grid, goal](int i) {
            const vec2 d = glm::abs(grid.centre(i) - goal);
            return std::max(d.x, d.y) + (std::sqrt(2.0f) - 1.0f) * std::min(d.x, d.y);
        };
        isGoal = [to](int i) { return i == to; };
    } else {
        remaining = [&grid, target, reach](int i) {
            return std::max(0.0f, glm::distance(grid.centre(i), target) - reach);
        };
        isGoal = [&](int i) {
            const vec2 p = grid.centre(i);
            return glm::distance(p, target) <= reach &&
                   clearance(walls, p, target) >= lineClearance - kTolerance;
        };
    }
    std::vector<int> parent;
    const int reached = searchGrid(grid, from, remaining, isGoal, parent);
    if (reached < 0) {
        route.problem =
            "no walk from " + describe(start) + " to " + describe(target) + " keeps the clearance";
        return route;
    }
    std::vector<vec2> raw;
    if (exact) raw.push_back(target);
    for (int i = reached; i >= 0; i = parent[i]) raw.push_back(grid.centre(i));
    raw.push_back(start);
    std::reverse(raw.begin(), raw.end());
    route.waypoints = tighten(walls, pullStraight(walls, raw, clear), clear);
    route.length = polylineLength(route.waypoints);
    route.found = true;
    return route;
}

}  // namespace

std::vector<Wall> makeWalls(const std::vector<vec2>& starts, const std::vector<vec2>& ends) {
    std::vector<Wall> walls;
    const size_t n = std::min(starts.size(), ends.size());
    for (size_t i = 0; i < n; ++i) {
        if (!finite(starts[i]) || !finite(ends[i]) || starts[i] == ends[i]) continue;
        walls.push_back({starts[i], ends[i]});
    }
    return walls;
}

float distanceToSegment(vec2 p, vec2 a, vec2 b) {
    const vec2 d = b - a;
    // A segment of no length is its one point.
    const float t = glm::dot(d, d) > 0.0f ? nearestOnSegment(p, a, b) : 0.0f;
    return glm::distance(p, a + t * d);
}

float distanceBetweenSegments(vec2 a, vec2 b, vec2 c, vec2 d) {
    if (properlyCross(a, b, c, d)) return 0.0f;
    return std::min(std::min(distanceToSegment(a, c, d), distanceToSegment(b, c, d)),
                    std::min(distanceToSegment(c, a, b), distanceToSegment(d, a, b)));
}

float clearance(const std::vector<Wall>& walls, vec2 p) {
    float best = std::numeric_limits<float>::max();
    for (const Wall& w : walls) best = std::min(best, distanceToSegment(p, w.start, w.end));
    return best;
}

float clearance(const std::vector<Wall>& walls, vec2 a, vec2 b) {
    float best = std::numeric_limits<float>::max();
    for (const Wall& w : walls)
        best = std::min(best, distanceBetweenSegments(a, b, w.start, w.end));
    return best;
}

float clearanceAlong(const std::vector<Wall>& walls, const std::vector<vec2>& points) {
    if (points.size() == 1) return clearance(walls, points.front());
    float best = std::numeric_limits<float>::max();
    for (size_t i = 0; i + 1 < points.size(); ++i)
        best = std::min(best, clearance(walls, points[i], points[i + 1]));
    return best;
}

float polylineLength(const std::vector<vec2>& points) {
    float length = 0.0f;
    for (size_t i = 0; i + 1 < points.size(); ++i)
        length += glm::distance(points[i], points[i + 1]);
    return length;
}

Route findRoute(const std::vector<Wall>& walls, vec2 start, vec2 target,
                const SearchOptions& options) {
    return routeTo(walls, start, target, 0.0f, 0.0f, true, options);
}

Route findRouteWithinReach(const std::vector<Wall>& walls, vec2 start, vec2 target, float reach,
                           float lineClearance, const SearchOptions& options) {
    return routeTo(walls, start, target, reach, lineClearance, false, options);
}

}  // namespace maze
