// One hidden OpenGL 3.3 core window shared by every test that needs a GL context.
// The tests run under Xvfb; without a display the GL tests fail rather than skip.
#pragma once

#include <GL/glew.h>

// Makes the shared context current (creating it on first use); false when it cannot.
bool ensureGlContext();

// Fixture base for tests that need GL: fails the test when no context can be made.
#include <gtest/gtest.h>
class GlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ensureGlContext()) << "no OpenGL 3.3 context (DISPLAY?)"; }
};
