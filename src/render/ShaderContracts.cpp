#include "render/ShaderContracts.h"

#include "render/paint/SplatCoverage.h"
#include "scene/SplatReach.h"
#include "scene/WallBox.h"

namespace {

std::string define(const char* name, float value) {
    return std::string("#define ") + name + " " + std::to_string(value) + "\n";
}

}  // namespace

const std::string& shaderContracts() {
    static const std::string contracts =
        define("PAINT_TILE_UNITS", kPaintTileUnits) +
        define("PAINT_FACE_FRONT", static_cast<float>(kFrontFace)) +
        define("PAINT_FACE_BACK", static_cast<float>(kBackFace)) +
        define("PAINT_FACE_TOP", static_cast<float>(kTopFace)) +
        define("PAINT_FACE_ENDS", static_cast<float>(kEndFaces)) +
        define("PAINT_FACE_NONE", static_cast<float>(kUnpaintedFace)) +
        define("PAINT_TOP_ACROSS", kTopAcross) + define("PAINT_SHOWN", kShownCoverage) +
        define("WALL_BOX_BOTTOM", kWallBoxMin[1]) + define("WALL_BOX_TOP", kWallBoxMax[1]) +
        define("PROJECTOR_NEAREST", kNearestPainted) +
        define("PROJECTOR_FARTHEST", kFarthestPainted) +
        define("PROJECTOR_LEAST_FACING", kLeastPaintedFacing) +
        define("PROJECTOR_FULL_FACING", kFullyPaintedFacing);
    return contracts;
}

std::string paintSlotDefines(PaintKind kind) {
    const TileTexels& t = kind == PaintKind::Coarse ? kCoarseTexels : kFineTexels;
    return std::string("#define PAINTED\n") +
           (kind == PaintKind::Coarse ? "#define PAINT_COARSE\n" : "") +
           define("PAINT_INNER", static_cast<float>(t.inner)) +
           define("PAINT_BORDER", static_cast<float>(t.border)) +
           define("PAINT_SLOT", static_cast<float>(t.slotSide())) +
           define("PAINT_SIDE", static_cast<float>(t.layerSide())) +
           define("PAINT_TEXEL_STEP",
                  static_cast<float>(t.inner) / (kPaintTileUnits * t.layerSide())) +
           "#define PAINT_PER_SIDE " + std::to_string(t.perSide) + "u\n";
}
