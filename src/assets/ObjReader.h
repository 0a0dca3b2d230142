// Readers of the OBJ subset: triangles whose corners give every index explicitly.
// Outputs are unindexed triangle lists appended to the caller's arrays, only on success.
#pragma once

#include <vector>

#include "Math.h"

bool loadObjFile(const char* path, std::vector<vec3>& positions, std::vector<vec2>& uvs,
                 std::vector<vec3>& normals);
bool loadNonTexturedObjFile(const char* path, std::vector<vec3>& positions,
                            std::vector<vec3>& normals);
