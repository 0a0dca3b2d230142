// Reads the maze file: one wall per data line, "x1/z1 x2/z2".
#pragma once

#include <vector>

#include "Math.h"

bool loadWallFile(const char* path, std::vector<vec2>& starts, std::vector<vec2>& ends);
