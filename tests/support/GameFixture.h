// The real Game, built once per test program from the repository's Shader/ and Util/Files/,
// in the shared hidden window, with sound going nowhere (ALSOFT_DRIVERS=null).
// Tests that use it reset the fields they depend on first.
#pragma once

#include "support/GlContext.h"

#include <string>

class Game;

// Counts the (non-overlapping) occurrences of what in text: a message said once, or n times.
int countOf(const std::string& text, const std::string& what);

// Builds the game on first use (and sets the global `game`); null when it cannot.
Game* sharedGame();

class GameTest : public GlTest {
protected:
    void SetUp() override;
    Game* g = nullptr;
};
