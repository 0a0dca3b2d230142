// The light that casts the shadows of balls and hit bonus items: it follows the player,
// 30 units up and 2 back in x and z, looking down on a 50 x 50 square around the camera.
#pragma once

#include "Math.h"

constexpr int kShadowMapSize = 2048;

mat4 shadowLightView(vec3 camera);
// The near plane comes closer to the light as the camera rises (25 - camera height).
mat4 shadowLightProjection(vec3 camera);

class Game;
class Shader;

// The visible walls and the terrain drawn with their programs, each placed by its model matrix
// in the uniform modelUniform: the normals view and the shadow receivers.
void drawWallsAndTerrain(Game& game, const Shader& wallProgram, const Shader& terrainProgram,
                         const char* modelUniform);
