#include "render/paint/SlotPool.h"

#include <algorithm>

SlotPool::SlotPool(int slotsPerLayer, int layersPerStep, int mostLayers)
    : perLayer(std::max(slotsPerLayer, 1)), step(std::max(layersPerStep, 1)), most(mostLayers) {}

int SlotPool::take() {
    if (!spares.empty()) {
        const int slot = spares.back();
        spares.pop_back();
        return slot;
    }
    if (handedOut == layerCount * perLayer) {
        // Allocated memory is resident at once (the driver clears it): grow in steps rather
        // than doubling.
        const int wanted = std::min(layerCount + step, most);
        if (wanted <= layerCount) return -1;
        layerCount = wanted;
    }
    return handedOut++;
}

void SlotPool::give(int slot) { spares.push_back(slot); }

void SlotPool::clear() {
    handedOut = 0;
    spares.clear();
}

int SlotPool::room() const {
    return std::max(most, layerCount) * perLayer - handedOut + static_cast<int>(spares.size());
}
