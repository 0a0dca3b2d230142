// Reads the heightmap image into the terrain grid: positions, accumulated normals, indices.
#pragma once

#include <vector>

#include "Math.h"

bool loadHeightmap(const char* path, std::vector<vec3>& positions, std::vector<vec3>& normals,
                   std::vector<unsigned>& indices, int& width, int& height);

// FreeImage's message handler; the format code is -1 for an unknown format.
void printFreeImageMessage(int format, const char* message);
// Registers printFreeImageMessage with FreeImage.
void installFreeImageMessageHandler();
