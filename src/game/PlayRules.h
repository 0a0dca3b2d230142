// The rules of a throw and of an impact, worked out without GL so they can be checked alone.
#pragma once

#include "GameRules.h"
#include "Math.h"

// The up vector of a ground splat's projector, which looks along y.
inline const vec3 kGroundSplatUp{1.0f, 0.0f, 1.0f};

// How a ball leaves the eye.
struct Launch {
    vec3 spawn{0.0f};      // the eye plus the view direction / 2 (/ 1.5 while running)
    vec3 direction{0.0f};  // the view direction, normalised
    float angle = 0.0f;    // radians above the horizontal
    float power = 0.0f;
};
Launch launchFrom(vec3 position, vec3 direction, bool running);

// A long frame would carry a ball through a wall's reach in one jump: the number of equal
// hops that keep every hop under a tenth of a unit along the ground (at least 1).
int flightHops(vec3 direction, double dt);

// The ball centred at ballY is on (or under) the ground vertex at groundY.
bool touchesGround(float ballY, float groundY);
// The ball flies above the top of every wall standing on groundY.
bool passesOverWalls(float ballY, float groundY);
// The ball at (x, z) comes within reach of the wall from start to end; away is the horizontal
// vector from the nearest point of the wall's base to the ball, never zero.
bool reachesWall(vec2 start, vec2 end, float x, float z, vec2& away);

// What a car leaves of the elapsed time, and what a duck makes of the balls left.
double afterCarBonus(double elapsedTime);
int afterDuckBonus(int ballsLeft);

// A paint projector's viewing axis: direction normalised, or straight up when it is zero.
vec3 projectorAxis(vec3 direction);
// up, unless it runs along the axis: then one that does not, so look-at stays defined.
vec3 projectorUp(vec3 axis, vec3 up);
// The projector's texture matrix for a splat at position seen from projectorPosition.
mat4 projectorTextureMatrix(vec3 projectorPosition, vec3 position, vec3 up);
