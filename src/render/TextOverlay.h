// The HUD text: one textured quad per character from the 16 x 16 glyph grid of font.tga.
// Screen units are a 800 x 600 layout space whose origin is the bottom left of the window.
#pragma once

#include <vector>

#include "Math.h"

void initTextOverlay();
void printTextOverlay(const char* text, int x, int y, int size, vec3 colour);
void cleanupTextOverlay();

// The quads of one string: 6 corners per character, positions and glyph coordinates.
void layoutText(const char* text, int x, int y, int size, std::vector<vec2>& positions,
                std::vector<vec2>& uvs);
