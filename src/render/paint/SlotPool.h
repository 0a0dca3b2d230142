// The slots of one physical page array, handed out to tiles and given back, worked out without
// GL. The array grows by whole steps of layers, up to a limit; the GL side follows layers().
#pragma once

#include <vector>

class SlotPool {
public:
    SlotPool(int slotsPerLayer, int layersPerStep, int mostLayers);

    // A free slot, the array grown by a step if need be; -1 when it is full.
    int take();
    void give(int slot);
    // Everything given back; the layers stay.
    void clear();

    // Slots still to be had, growing the array as far as it may.
    int room() const;
    int layers() const { return layerCount; }
    int layerOf(int slot) const { return slot / perLayer; }
    int inLayer(int slot) const { return slot % perLayer; }

private:
    int perLayer, step, most;
    int layerCount = 0;
    int handedOut = 0;        // slots 0 .. handedOut - 1 have been taken at some time
    std::vector<int> spares;  // of those, the ones given back
};
