// The game's rules in numbers, each written once: every room takes them from here, and the world
// generator (tools/world/make_world.py) reads the positions.
#pragma once

#include "Math.h"

// Play: seconds until the lose poster, balls at the start (also the most one can hold), and what
// the bonus items pay.
constexpr double kTimeLimit = 300.0;
constexpr int kStartBalls = 200;
constexpr double kCarBonusSeconds = 30.0;
constexpr int kDuckBonusBalls = 50;

// A ball's flight: ground speed in units per second, gravity, and its radius for every contact.
constexpr float kBallSpeed = 13.0f;
constexpr float kGravity = 9.81f;
constexpr double kBallRadius = 0.2;

// The player: vertical field of view, walking speed (units per second), eye height above the
// ground, and how near a wall the body may come.
constexpr float kFieldOfViewDegrees = 45.0f;
constexpr float kWalkSpeed = 10.0f;
constexpr float kEyeHeight = 1.5f;
constexpr float kPlayerRadius = 1.0f;

// Where the player starts (x, eye height, z), facing along the angle (radians about y).
inline const vec3 kStartPosition{282.0f, 11.0f, 22.0f};
constexpr float kStartHorizontalAngle = 6.2831855f;

// The finish gate stands at (kGoalX, terrain height, kGoalZ); the line across it runs from
// kFinishStart to kFinishEnd in the ground plane (x, z).
constexpr float kGoalX = 177.0f;
constexpr float kGoalZ = 119.0f;
constexpr float kFinishStartX = 175.35f, kFinishStartZ = 119.15f;
constexpr float kFinishEndX = 179.3f, kFinishEndZ = 119.15f;

// The full-screen posters; the values are the game's posterIndex.
enum Poster : int { kPosterPlay = 1, kPosterHelp = 2, kPosterWin = 3, kPosterLose = 4 };
