// What the shaders and the C++ side must agree on, written once here, in C++: every program's
// source gets these lines after its #version line, as #defines.
#pragma once

#include <string>

#include "render/paint/PaintLayout.h"

// The defines every program gets: the paint's tile size and face numbering, the wall box, the
// span a splat's projector paints and how shown paint is judged.
const std::string& shaderContracts();

// The receiving program's defines for a kind of paint: the slot layout of its pages.
std::string paintSlotDefines(PaintKind kind);
