// The per-frame movement step: mouse look, walking, collision, goal test, camera upload.
#pragma once

#include "Math.h"

void handleMovement(float dt);
// Runs the goal test and pushes the position out of every wall it comes within 1.0 of.
void stepCheck(vec3& p);
void uploadCameraMatrices(mat4 projection, mat4 view);

// Turns the view by the cursor's offset from the window centre, in pixels (positive: the cursor
// went left or up), at the settings' pointer speed, and sets viewDirection.
void lookAround(int offsetX, int offsetY);
// Turns the view by radians to the left and up (down when the settings invert it), clamps the
// pitch and sets viewDirection.
void turnView(float left, float up);

// Distance in the ground plane from p to the finish line.
float finishLineDistance(vec3 p);
// Pushes p (x and z) to exactly 1.0 from the segment when closer; true when it did.
bool pushOutOfWall(vec3& p, vec2 start, vec2 end);
