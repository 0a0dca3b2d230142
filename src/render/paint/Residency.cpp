#include "render/paint/Residency.h"

#include <algorithm>

#include "scene/WallObject.h"

float tileDistance(const PaintedTile& tile, vec2 eye, const PaintSurfaces& surfaces) {
    if (tile.surface == kTerrainSurface)
        return glm::distance(eye, tile.corner + 0.5f * kPaintTileUnits);
    const kesto::scene::WallObject& wall = *surfaces.walls[wallOfSurface(tile.surface)];
    // A wall of no length takes no paint; its distance is its start's.
    const float along = wall.start != wall.end ? nearestOnSegment(eye, wall.start, wall.end) : 0.0f;
    return glm::distance(eye, wall.start + along * (wall.end - wall.start));
}

FineChoice chooseFineTiles(const std::vector<TileRecord*>& tiles, SlotPool& fineSlots, int budget) {
    FineChoice choice;
    std::vector<TileRecord*> wanted, held;
    for (TileRecord* tile : tiles) {
        if (tile->fineSlot >= 0)
            held.push_back(tile);
        else if (tile->distance <= kFinePaintReach)
            wanted.push_back(tile);
    }
    const auto nearer = [](const TileRecord* a, const TileRecord* b) {
        return a->distance < b->distance;
    };
    std::sort(wanted.begin(), wanted.end(), nearer);
    std::sort(held.begin(), held.end(), nearer);
    for (TileRecord* tile : wanted) {
        if (static_cast<int>(choice.promoted.size()) >= budget) {
            choice.complete = false;
            break;
        }
        int slot = fineSlots.take();
        if (slot < 0) {
            if (held.empty() || held.back()->distance <= tile->distance) break;
            TileRecord& farthest = *held.back();
            held.pop_back();
            slot = farthest.fineSlot;
            farthest.fineSlot = -1;
            choice.demoted.push_back(&farthest);
        }
        tile->fineSlot = slot;
        choice.promoted.push_back(tile);
    }
    return choice;
}
