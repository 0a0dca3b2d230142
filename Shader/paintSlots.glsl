// A tile's entry in the paint's index (slot + 1, 0 where it has none): the fine paint's in red,
// the coarse paint's (PAINT_COARSE) in green.
uint paintCode(usampler2D index, ivec2 at) {
    at = clamp(at, ivec2(0), textureSize(index, 0) - 1);
#ifdef PAINT_COARSE
    return texelFetch(index, at, 0).g;
#else
    return texelFetch(index, at, 0).r;
#endif
}

// Where the slot of an entry keeps its tile's paint: the first of its inner texels in its layer
// (xy; PAINT_BORDER texels of the neighbours' paint lie round them) and the layer (z).
// PAINT_PER_SIDE slots lie along a layer's side.
vec3 paintSlot(uint code) {
    uint slot = max(code, 1u) - 1u;
    uint inLayer = slot % (PAINT_PER_SIDE * PAINT_PER_SIDE);
    vec2 corner = vec2(inLayer % PAINT_PER_SIDE, inLayer / PAINT_PER_SIDE) * PAINT_SLOT;
    return vec3(corner + PAINT_BORDER, float(slot / (PAINT_PER_SIDE * PAINT_PER_SIDE)));
}
